#pragma once
// The descriptor of one module of an application: the database objects it
// needs, the windows it offers, the actions it adds to other windows, its
// version history and its image lists. The host builds descriptors in code
// and its module controller reads them. Every collection, list and object
// property is owned by its holder: setting one copies the given value in.
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

#include "dataaccess/OwnedList.h"
#include "platform/data/ADODB.h"
#include "platform/ui/ImgList.h"

class QWidget;

namespace dataaccess {

class TVexModulo;

enum TTipoRequisito { trCampos, trCriaTabela };
enum TTipoJanela { tjNormal, tjMenu, tjDados, tjConsulta, tjAssistente, tjConsultaDinamica };
enum TAcessoRelacao { arInserir, arEditar, arExcluir };
using TAcessosRelacao = unsigned;  // bit n stands for the access of ordinal n
inline constexpr TAcessosRelacao kTodosAcessos = 1u << arInserir | 1u << arEditar | 1u << arExcluir;
enum TAtalhoOption {
    aoCadastros, aoMovimentacoes, aoFerramentas, aoDesktop, aoQuick, aoPainelControle, aoConsultasDinamicas, aoRecent
};
using TAtalhoOptions = unsigned;  // bit n stands for the option of ordinal n

// The descriptor that owns the collection of an item, or nullptr.
template <class TItem>
TVexModulo* ModuloOf(const TOwnedList<TItem>& List);

class TRequisitoCampo : public platform::ui::TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;
    void Assign(const TCollectionItem& Source) override;
    QString DisplayName() const;  // Nome, or the class name when empty

    QString Nome;
    int Tamanho = 0;
    QString Tipo;  // the column's type as text
};
using TRequisitoCampos = TOwnedList<TRequisitoCampo>;

class TRequisitoModulo : public platform::ui::TCollectionItem {
public:
    explicit TRequisitoModulo(platform::ui::TCollection* Collection);
    void Assign(const TCollectionItem& Source) override;
    // "[C] Tabela" or "[T] Tabela"; the class name when Tabela is empty.
    QString DisplayName() const;

    QString Tabela;
    QStringList CreateSql;
    TTipoRequisito Tipo = trCampos;
    // Owned by the descriptor, as the designer shows it.
    TRequisitoCampos& Campos() { return FCampos; }
    const TRequisitoCampos& Campos() const { return FCampos; }
    void SetCampos(const TRequisitoCampos& Value) { FCampos.Assign(Value); }

private:
    TRequisitoCampos FCampos;
};
using TRequisitosModulo = TOwnedList<TRequisitoModulo>;

struct TRelacaoAtalho {
    QString MenuPath;
    TAtalhoOptions Options = 0;
    bool Enabled = true;
    QString Hint;
    int GroupIndex = 0;
    bool ExibirRecentes = true;
};

// One window of a module.
class TRelacaoModulo : public platform::ui::TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;
    void Assign(const TCollectionItem& Source) override;  // the stored properties and the events
    QString DisplayName() const;                          // Nome, or the class name when empty
    TVexModulo* Modulo() const { return ModuloOf(TOwnedList<TRelacaoModulo>::Of(*this)); }

    QString Nome;
    QStringList Divisoes;  // "Main.Divisao[0].Name=..."
    QStringList Disposicao;
    TTipoJanela TipoJanela = tjDados;
    QString Caption;
    int ImageIndex = -1;
    TRelacaoAtalho Atalho;
    bool ReadOnly = false;
    TAcessosRelacao Acessos = kTodosAcessos;
    QStringList Permissoes;
    std::function<void(TRelacaoModulo* Sender, QWidget* Form)> OnAjustaForm;
    std::function<void(TRelacaoModulo* Sender)> Execute;

    // Run-time state of the module controller, never stored or copied.
    bool Disponivel = true;
    int Tag = 0;
    QString TagString;
    int Handle = 0;
};
using TRelacoesModulo = TOwnedList<TRelacaoModulo>;

// An action a module offers to the windows of other modules.
class TAcaoModulo : public platform::ui::TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;
    void Assign(const TCollectionItem& Source) override;  // everything, the lists by content
    QString DisplayName() const;                          // Caption, or the class name when empty
    TVexModulo* Modulo() const { return ModuloOf(TOwnedList<TAcaoModulo>::Of(*this)); }

    QString Caption;
    QString Category;
    int ImageIndex = -1;
    QStringList Tabelas, Divisoes, Relacoes;
    std::function<void(TAcaoModulo* Sender, int ARelacao, bool& ADisponibilizar, QString& ACaption,
                       QString& ACategory)>
        OnVerificaRelacao;
    std::function<void(TAcaoModulo* Sender, int ADivisao, QWidget* AFrame, bool& ADisponibilizar, QString& ACaption,
                       QString& ACategory)>
        OnVerificaDivisao;
    std::function<void(TAcaoModulo* Sender, int ARelacao, int ADivisao, QWidget* AFrame)> OnExecutaAcaoModulo;
};
using TAcoesModulo = TOwnedList<TAcaoModulo>;

class THistoricoItem : public platform::ui::TCollectionItem {
public:
    // Data starts as the day the item is created.
    explicit THistoricoItem(platform::ui::TCollection* Collection);
    void Assign(const TCollectionItem& Source) override;
    QString DisplayName() const;  // "0.0.0.0 - 03/03/2024"

    QString Versao = QStringLiteral("0.0.0.0");
    QDateTime Data;
    QStringList Detalhes;
};
using THistoricoVersao = TOwnedList<THistoricoItem>;

// References to image lists, each cleared when its list is freed.
struct TModuloImages {
    QPointer<platform::ui::TImageList> Small, Medium, Large, ExtraLarge, Actions;
};

class TVexModulo : public QObject {
    Q_OBJECT
public:
    explicit TVexModulo(QObject* AOwner = nullptr);
    ~TVexModulo() override;

    TRequisitosModulo& Requisitos() { return FRequisitos; }
    const TRequisitosModulo& Requisitos() const { return FRequisitos; }
    void SetRequisitos(const TRequisitosModulo& Value) { FRequisitos.Assign(Value); }
    TRelacoesModulo& Relacoes() { return FRelacoes; }
    const TRelacoesModulo& Relacoes() const { return FRelacoes; }
    void SetRelacoes(const TRelacoesModulo& Value) { FRelacoes.Assign(Value); }
    TAcoesModulo& Acoes() { return FAcoes; }
    const TAcoesModulo& Acoes() const { return FAcoes; }
    void SetAcoes(const TAcoesModulo& Value) { FAcoes.Assign(Value); }
    THistoricoVersao& Historico() { return FHistorico; }
    const THistoricoVersao& Historico() const { return FHistorico; }
    void SetHistorico(const THistoricoVersao& Value) { FHistorico.Assign(Value); }
    TModuloImages& Images() { return FImages; }
    const TModuloImages& Images() const { return FImages; }
    void SetImages(const TModuloImages& Value) { FImages = Value; }

    std::function<void(QObject* Sender)> OnCarrega;
    std::function<void(TVexModulo* Sender, platform::data::TADOConnection* Connection)> OnConnection;

private:
    TRequisitosModulo FRequisitos;
    TRelacoesModulo FRelacoes;
    TAcoesModulo FAcoes;
    THistoricoVersao FHistorico;
    TModuloImages FImages;
};

template <class TItem>
TVexModulo* ModuloOf(const TOwnedList<TItem>& List) {
    return qobject_cast<TVexModulo*>(List.Owner());
}

}  // namespace dataaccess
