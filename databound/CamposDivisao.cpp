#include "databound/CamposDivisao.h"

#include "dataaccess/VexUtils.h"
#include "databound/AjustaCampos.h"
#include "databound/VexDivisao.h"

namespace databound {

using platform::data::TField;

// ---- TMasterFilter

QString TMasterFilter::DefaultFieldName() const {
    if (!FField) return {};
    const TConfigCampo* Item = FOwner.Campos().FindByField(FField);
    if (Item && !Item->SearchField().FieldName().isEmpty()) return Item->SearchField().FieldName();
    return FField->FieldName();
}

QString TMasterFilter::FieldName() const { return FFieldName.isEmpty() ? DefaultFieldName() : FFieldName; }

void TMasterFilter::SetFieldName(const QString& Value) {
    FFieldName = Value == DefaultFieldName() ? QString() : Value;
}

void TMasterFilter::Assign(const TMasterFilter& Source) {
    FField = Source.FField;
    FWhere = Source.FWhere;
    FFieldName = Source.FFieldName;
}

// ---- TSearchField

QString TSearchField::Tabela() const {
    const QString Trimmed = FTabela.trimmed();
    return Trimmed.isEmpty() ? FDivisao : Trimmed;
}

void TSearchField::Assign(const TSearchField& Source) {
    FDivisao = Source.FDivisao;
    FTabela = Source.FTabela;
    FFieldName = Source.FFieldName;
    Lookups = Source.Lookups;
    FMasterFilter.Assign(Source.FMasterFilter);
}

// ---- TJoinField

void TJoinField::Assign(const TJoinField& Source) {
    FSearchField = Source.FSearchField;
    FResultField = Source.FResultField;
    AddResultFields = Source.AddResultFields;
}

// ---- TValor

void TValor::SetTipo(TValorTipo Value) {
    FTipo = Value;
    if (FOwner.Campos().Owner().Loading() || (Value != vtIncremento && Value != vtIncrementoMax)) return;
    FIncremento.FieldName = FOwner.Field() ? FOwner.Field()->FieldName() : QString();
    FIncremento.Tabela = FOwner.Campos().Owner().Tabela();
}

void TValor::Assign(const TValor& Source) {
    FValor = Source.FValor;
    FTipo = Source.FTipo;
    FObrigatorio = Source.FObrigatorio;
    FModificacao = Source.FModificacao;
    Items = Source.Items;
    ItemsEx = Source.ItemsEx;
    FIncremento.Assign(Source.FIncremento);
}

// ---- TConfigCampo

TConfigCampo::TConfigCampo(platform::ui::TCollection* Collection)
    : TCollectionItem(Collection),
      FSearchField(std::make_unique<TSearchField>(*this)),
      FJoinField(std::make_unique<TJoinField>()),
      FValor(std::make_unique<TValor>(*this)) {}

TConfigCampo::~TConfigCampo() = default;

TConfigCampos& TConfigCampo::Campos() const { return *static_cast<TConfigCampos*>(Collection()); }

void TConfigCampo::SetField(TField* Value) {
    FField = Value;
    if (Value && !Campos().Owner().Loading()) ApplyAutomaticSettings();
}

void TConfigCampo::ApplyAutomaticSettings() {
    const QString Name = FField->FieldName();
    if (Name == "Nome") FValor->SetObrigatorio(true);
    if (FField->DataType() == platform::data::ftBoolean) FValor->SetValor(Name == "Ativo");
    if (Name.compare("Id" + Campos().Owner().Tabela(), Qt::CaseInsensitive) == 0) {
        FPrimaryKey = true;
        FValor->SetObrigatorio(true);
        FValor->SetTipo(vtIncremento);
    } else if (FSearchField->Divisao().isEmpty() && dataaccess::IsIdField(Name)) {
        SetTipos(tfSearch);
        FSearchField->SetDivisao(Name.mid(2));
        FSearchField->SetFieldName(Name);
    }
}

void TConfigCampo::SetTipos(TTiposField Value) {
    if (Value == FTipos) return;
    FTipos = Value;
    if (TVexDBDivisao* Division = Campos().Owner().Division()) Division->ReBindLabels();
}

void TConfigCampo::SetAutoSearch(bool Value) {
    if (Value == FAutoSearch) return;
    FAutoSearch = Value;
    if (TVexDBDivisao* Division = Campos().Owner().Division()) Division->ReBindLabels();
}

QString TConfigCampo::DisplayName() const {
    if (!FField) return {};
    QString Flags;
    if (!FValor->Items.isEmpty()) Flags += 'I';
    if (FValor->Obrigatorio()) Flags += 'O';
    if (FPrimaryKey) Flags += 'P';
    if (Is(tfSearch)) Flags += 'S';
    if (Is(tfJoin)) Flags += 'J';
    if (FValor->HasDefault()) Flags += 'V';
    QString Result = FField->FieldName();
    if (!Flags.isEmpty()) Result += " [" + Flags + "]";
    if (Is(tfJoin) && FJoinField->SearchField()) Result += " -> " + FJoinField->SearchField()->FieldName();
    return Result;
}

void TConfigCampo::Assign(const platform::ui::TCollectionItem& Source) {
    const auto* From = dynamic_cast<const TConfigCampo*>(&Source);
    if (!From) return;
    FField = From->FField;
    FSearchField->Assign(*From->FSearchField);
    FJoinField->Assign(*From->FJoinField);
    FValor->Assign(*From->FValor);
    FPrimaryKey = From->FPrimaryKey;
    SetTipos(From->FTipos);
    SetAutoSearch(From->FAutoSearch);
}

// ---- TConfigCampos

TConfigCampo* TConfigCampos::FindByField(const TField* Field) const {
    if (!Field) return nullptr;
    for (int I = 0; I < Count(); ++I)
        if (Items(I)->Field() == Field) return Items(I);
    return nullptr;
}

bool TConfigCampos::SearchesByItself(const TField* Field) const {
    const TConfigCampo* Item = FindByField(Field);
    return Item && Item->AutoSearch() && Item->Tipos() != 0;
}

// ---- TAjustaCampos

bool TAjustaCampos::Loading() const { return FDivision && FDivision->Loading(); }

void TAjustaCampos::SetAjustados(bool Value) {
    if (Value == FAjustados) return;
    if (Loading() || !FDivision) {
        FAjustados = Value;
        return;
    }
    FAjustados = AdjustFields(*FDivision);
}

void TAjustaCampos::SetPrefixo(const QString& Value) {
    if (Value == FPrefixo) return;
    FPrefixo = Value;
    FAjustados = false;
}

void TAjustaCampos::SetTabela(const QString& Value) {
    if (Value == FTabela) return;
    FTabela = Value;
    FAjustados = false;
}

void TAjustaCampos::Assign(const TAjustaCampos& Source) {
    FPrefixo = Source.FPrefixo;
    FTabela = Source.FTabela;
    FAjustados = Source.FAjustados;
    FAggregate = Source.FAggregate;
    FInsertFocus = Source.FInsertFocus;
    FConfig.Assign(Source.FConfig);
}

// ---- Companion tables

QString TEspecializacaoCampo::DisplayName() const {
    if (!FCampo || FOrigem.isEmpty()) return {};
    return QString("%1 -> %2").arg(FCampo->FieldName(), FOrigem);
}

void TEspecializacaoCampo::Assign(const platform::ui::TCollectionItem& Source) {
    const auto* From = dynamic_cast<const TEspecializacaoCampo*>(&Source);
    if (!From) return;
    FCampo = From->FCampo;
    FOrigem = From->FOrigem;
    FPrimaryKey = From->FPrimaryKey;
}

void TEspecializacaoItem::Assign(const platform::ui::TCollectionItem& Source) {
    const auto* From = dynamic_cast<const TEspecializacaoItem*>(&Source);
    if (!From) return;
    FTabela = From->FTabela;
    FCampos.Assign(From->FCampos);
    FUpdateLocalPrimeiro = From->FUpdateLocalPrimeiro;
    FExcluir = From->FExcluir;
}

}  // namespace databound
