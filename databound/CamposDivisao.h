#pragma once
// The field configuration of a division: per dataset field, whether it is the
// primary key, refers to another table (search field) or shows a value looked
// up through such a reference (join field), which default it gets and whether
// it is required; and the companion tables written beside the main one.
// Assigning a field applies the automatic settings its name implies. Field
// references are cleared when the field goes away. Assign copies every
// setting (lists by content, field references as references).
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>
#include <memory>

#include "platform/data/Field.h"
#include "platform/ui/Classes.h"

namespace databound {

class TVexDBDivisao;
class TConfigCampo;
class TConfigCampos;

enum TTipoField : unsigned { tfSearch = 1, tfJoin = 2 };
using TTiposField = unsigned;  // a set of TTipoField
enum TValorTipo { vtValor, vtIncremento, vtIncrementoMax, vtData, vtDateTime, vtTime, vtUltimo, vtUser };
enum TExcluirTipo { etNaoExcluir, etLocalPrimeiro, etLocalDepois };

inline constexpr const char* kDefaultResultField = "Nome";

class TMasterFilter {
public:
    explicit TMasterFilter(const TConfigCampo& Owner) : FOwner(Owner) {}
    platform::data::TField* Field() const { return FField; }
    void SetField(platform::data::TField* Value) { FField = Value; }
    QString Where() const { return FWhere; }
    void SetWhere(const QString& Value) { FWhere = Value; }
    // The stored column, else the key column of the item configuring Field, else Field's own name.
    QString FieldName() const;
    // Setting the default stores nothing.
    void SetFieldName(const QString& Value);
    QString StoredFieldName() const { return FFieldName; }
    void Assign(const TMasterFilter& Source);

private:
    QString DefaultFieldName() const;

    const TConfigCampo& FOwner;
    QPointer<platform::data::TField> FField;
    QString FWhere, FFieldName;
};

class TSearchField {
public:
    explicit TSearchField(const TConfigCampo& Owner) : FMasterFilter(Owner) {}
    QString Divisao() const { return FDivisao; }
    void SetDivisao(const QString& Value) { FDivisao = Value; }
    // The trimmed stored table, or Divisao when none is stored.
    QString Tabela() const;
    void SetTabela(const QString& Value) { FTabela = Value; }
    // "LocalField=RemoteColumn" lines filled from the referenced row.
    QStringList Lookups;
    QString FieldName() const { return FFieldName; }
    void SetFieldName(const QString& Value) { FFieldName = Value; }
    TMasterFilter& MasterFilter() { return FMasterFilter; }
    const TMasterFilter& MasterFilter() const { return FMasterFilter; }
    void Assign(const TSearchField& Source);

private:
    QString FDivisao, FTabela, FFieldName;
    TMasterFilter FMasterFilter;
};

class TJoinField {
public:
    // The key field through which this field's value is looked up.
    platform::data::TField* SearchField() const { return FSearchField; }
    void SetSearchField(platform::data::TField* Value) { FSearchField = Value; }
    QString ResultField() const { return FResultField; }
    void SetResultField(const QString& Value) { FResultField = Value; }
    // Further columns the search combo shows.
    QStringList AddResultFields;
    void Assign(const TJoinField& Source);

private:
    QPointer<platform::data::TField> FSearchField;
    QString FResultField = kDefaultResultField;
};

struct TValorIncremento {
    QString Tabela, FieldName;
    bool MasterFilter = false;  // with vtIncrementoMax: only the rows of the current master
    void Assign(const TValorIncremento& Source) { *this = Source; }
};

class TValor {
public:
    explicit TValor(TConfigCampo& Owner) : FOwner(Owner) {}
    QVariant Valor() const { return FValor; }
    void SetValor(const QVariant& Value) { FValor = Value; }
    TValorTipo Tipo() const { return FTipo; }
    // Outside loading, an increment kind points the counter at the item's field and the main table.
    void SetTipo(TValorTipo Value);
    bool Obrigatorio() const { return FObrigatorio; }
    void SetObrigatorio(bool Value) { FObrigatorio = Value; }
    bool Modificacao() const { return FModificacao; }
    void SetModificacao(bool Value) { FModificacao = Value; }
    QStringList Items, ItemsEx;  // pick lists of the grid column
    TValorIncremento& Incremento() { return FIncremento; }
    const TValorIncremento& Incremento() const { return FIncremento; }
    // A fixed non-null value or any computed kind.
    bool HasDefault() const { return FTipo != vtValor || !platform::data::VarIsClear(FValor); }
    void Assign(const TValor& Source);

private:
    TConfigCampo& FOwner;
    QVariant FValor = platform::data::Null();
    TValorTipo FTipo = vtValor;
    bool FObrigatorio = false, FModificacao = false;
    TValorIncremento FIncremento;
};

class TConfigCampo : public platform::ui::TCollectionItem {
public:
    explicit TConfigCampo(platform::ui::TCollection* Collection);
    ~TConfigCampo() override;

    platform::data::TField* Field() const { return FField; }
    // Outside loading, a field brings the settings its name implies.
    void SetField(platform::data::TField* Value);
    TSearchField& SearchField() { return *FSearchField; }
    const TSearchField& SearchField() const { return *FSearchField; }
    TJoinField& JoinField() { return *FJoinField; }
    const TJoinField& JoinField() const { return *FJoinField; }
    TTiposField Tipos() const { return FTipos; }
    bool Is(TTipoField Tipo) const { return (FTipos & Tipo) != 0; }
    // A change makes the division's data labels bind again.
    void SetTipos(TTiposField Value);
    bool PrimaryKey() const { return FPrimaryKey; }
    void SetPrimaryKey(bool Value) { FPrimaryKey = Value; }
    TValor& Valor() { return *FValor; }
    const TValor& Valor() const { return *FValor; }
    bool AutoSearch() const { return FAutoSearch; }
    void SetAutoSearch(bool Value);

    TConfigCampos& Campos() const;
    // The field name with its flags ("Nome [OV]"), and " -> " the search field of a join field.
    QString DisplayName() const;
    void Assign(const platform::ui::TCollectionItem& Source) override;

private:
    void ApplyAutomaticSettings();

    QPointer<platform::data::TField> FField;
    std::unique_ptr<TSearchField> FSearchField;
    std::unique_ptr<TJoinField> FJoinField;
    std::unique_ptr<TValor> FValor;
    TTiposField FTipos = 0;
    bool FPrimaryKey = false, FAutoSearch = true;
};

class TAjustaCampos;

class TConfigCampos : public platform::ui::TOwnedCollection<TConfigCampo> {
public:
    explicit TConfigCampos(TAjustaCampos& Owner) : FOwner(Owner) {}
    TAjustaCampos& Owner() const { return FOwner; }
    // The first item configuring the field; nullptr when none or no field.
    TConfigCampo* FindByField(const platform::data::TField* Field) const;
    // The field is configured as a reference (search or join) that may open a search by itself.
    bool SearchesByItself(const platform::data::TField* Field) const;

private:
    TAjustaCampos& FOwner;
};

class TAjustaCampos {
public:
    // Division may be nullptr: a configuration standing alone, always outside loading.
    explicit TAjustaCampos(TVexDBDivisao* Division) : FDivision(Division), FConfig(*this) {}

    TVexDBDivisao* Division() const { return FDivision; }
    bool Loading() const;
    QString Prefixo() const { return FPrefixo; }
    void SetPrefixo(const QString& Value);
    QString Tabela() const { return FTabela; }
    void SetTabela(const QString& Value);
    bool Ajustados() const { return FAjustados; }
    // Outside loading, a different value runs the field adjustment of the division and keeps its result.
    void SetAjustados(bool Value);
    // What a change of the table, alias or data source does: the fields count as not adjusted.
    void ClearAjustados() { FAjustados = false; }
    TConfigCampos& Config() { return FConfig; }
    const TConfigCampos& Config() const { return FConfig; }
    QWidget* InsertFocus() const { return FInsertFocus; }
    void SetInsertFocus(QWidget* Value) { FInsertFocus = Value; }
    bool Aggregate() const { return FAggregate; }
    void SetAggregate(bool Value) { FAggregate = Value; }
    void Assign(const TAjustaCampos& Source);

private:
    TVexDBDivisao* FDivision;
    QString FPrefixo, FTabela;
    bool FAjustados = false, FAggregate = false;
    TConfigCampos FConfig;
    QPointer<QWidget> FInsertFocus;
};

class TEspecializacaoCampo : public platform::ui::TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;
    platform::data::TField* Campo() const { return FCampo; }
    void SetCampo(platform::data::TField* Value) { FCampo = Value; }
    QString Origem() const { return FOrigem; }
    void SetOrigem(const QString& Value) { FOrigem = Value; }
    bool PrimaryKey() const { return FPrimaryKey; }
    void SetPrimaryKey(bool Value) { FPrimaryKey = Value; }
    // "Field -> Column" when both are set.
    QString DisplayName() const;
    void Assign(const platform::ui::TCollectionItem& Source) override;

private:
    QPointer<platform::data::TField> FCampo;
    QString FOrigem;
    bool FPrimaryKey = false;
};

using TEspecializacaoCampos = platform::ui::TOwnedCollection<TEspecializacaoCampo>;

class TEspecializacaoItem : public platform::ui::TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;
    QString Tabela() const { return FTabela; }
    void SetTabela(const QString& Value) { FTabela = Value; }
    TEspecializacaoCampos& Campos() { return FCampos; }
    const TEspecializacaoCampos& Campos() const { return FCampos; }
    // Write the main table first: the companion row follows the provider's update.
    bool UpdateLocalPrimeiro() const { return FUpdateLocalPrimeiro; }
    void SetUpdateLocalPrimeiro(bool Value) { FUpdateLocalPrimeiro = Value; }
    TExcluirTipo Excluir() const { return FExcluir; }
    void SetExcluir(TExcluirTipo Value) { FExcluir = Value; }
    QString DisplayName() const { return FTabela.trimmed(); }
    void Assign(const platform::ui::TCollectionItem& Source) override;

private:
    QString FTabela;
    TEspecializacaoCampos FCampos;
    bool FUpdateLocalPrimeiro = false;
    TExcluirTipo FExcluir = etNaoExcluir;
};

using TEspecializacao = platform::ui::TOwnedCollection<TEspecializacaoItem>;

}  // namespace databound
