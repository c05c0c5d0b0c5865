#include "databound/VexDivisao.h"

#include <QWidget>

#include "controls/VexMessage.h"
#include "dataaccess/DataSetSort.h"
#include "dataaccess/VexFieldValue.h"
#include "dataaccess/VexHost.h"
#include "dataaccess/VexModulo.h"
#include "dataaccess/VexSession.h"
#include "dataaccess/VexSqlText.h"
#include "databound/ArrangeControls.h"
#include "databound/AtualizaDivisaoList.h"
#include "databound/DivisionCommand.h"
#include "databound/DivisionFieldRules.h"
#include "databound/DivisionLabel.h"
#include "databound/DivisionPickLists.h"
#include "databound/SearchFieldRules.h"
#include "databound/DivisionRules.h"
#include "databound/InsertFocus.h"
#include "platform/data/ADODataSet.h"
#include "platform/data/DBClient.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/Provider.h"
#include "platform/os/Exceptions.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Messages.h"

namespace databound {

using platform::data::TDataSet;

namespace {

void Call(const TDataSet::TDataSetNotifyEvent& Handler, TDataSet* DataSet) {
    if (Handler) Handler(DataSet);
}

QStringList SplitFields(const QString& Text) {
    QStringList Result;
    for (const QString& Part : Text.split(',', Qt::SkipEmptyParts)) Result << Part.trimmed();
    return Result;
}

QString Column(const platform::data::TField& Field) {
    return Field.Origin().trimmed().isEmpty() ? Field.FieldName() : Field.Origin();
}

// The text of a located value as its field's type; invalid when the text cannot be of that type.
QVariant TypedValue(const platform::data::TField& Field, const QString& Text) {
    bool Ok = true;
    QVariant Result = Text;
    if (platform::data::IsIntegerType(Field.DataType()))
        Result = Text.trimmed().toLongLong(&Ok);
    else if (platform::data::IsFloatType(Field.DataType()))
        Result = Text.trimmed().toDouble(&Ok);
    return Ok ? Result : QVariant();
}

// Clears a flag on every path out of a scope.
class TFlagScope {
public:
    TFlagScope(bool& Flag, bool Value) : FFlag(Flag), FSaved(Flag) { FFlag = Value; }
    ~TFlagScope() { FFlag = FSaved; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& FFlag;
    bool FSaved;
};

class TBusyScope {
public:
    TBusyScope() { dataaccess::BeginBusy(); }
    ~TBusyScope() { dataaccess::EndBusy(); }
    TBusyScope(const TBusyScope&) = delete;
    TBusyScope& operator=(const TBusyScope&) = delete;
};

// The master's current command selecting one of its fields, with its own relation and extra condition.
QString MasterSubquery(const TVexDBDivisao& Master, const QString& FieldName, QList<TParametroMaster>* MasterParams) {
    const platform::data::TCustomADODataSet* Source = Master.GetProviderDataSet();
    // SQL Server refuses an Order By inside In (...).
    QString Text = WithoutOrderBy(Source ? Source->CommandText() : QString());
    const int From = Text.indexOf(" From ", 0, Qt::CaseInsensitive);
    if (From >= 0) {
        TDataSet* DataSet = Master.GetDataSet();
        if (!DataSet) platform::data::DatabaseError(QString("Field '%1' not found").arg(FieldName));
        Text = QString("Select %1%2").arg(Column(*DataSet->FieldByName(FieldName)), Text.mid(From));
    }
    if (!Master.ExtraMasterCondition.trimmed().isEmpty())
        Text = dataaccess::InjectCondition(Text, {Master.ExtraMasterCondition});
    const QString Relation = BuildMasterCondition(Master, MasterParams);
    if (!Relation.isEmpty()) Text = dataaccess::InjectCondition(Text, {Relation});
    return Text;
}

}  // namespace

// ---- TDivisao

TDivisao::TDivisao(QObject* AOwner) : QObject(AOwner) { AtualizaDivisaoList().Add(this); }

TDivisao::~TDivisao() {
    AtualizaDivisaoList().Remove(this);
    for (TDivisao* Detail : Details()) Detail->FMaster = nullptr;
    if (FMaster) FMaster->FDetails.removeAll(this);
}

void TDivisao::ApplyName(QObject* Component, const QString& Format, const QString& Nome) {
    if (!Component) return;
    const QString Name = QString(Format).arg(Nome).remove('_');
    if (Component->objectName() != Name) Component->setObjectName(Name);
}

dataaccess::TVexModulo* TDivisao::Modulo() const { return static_cast<dataaccess::TVexModulo*>(FModulo.data()); }

void TDivisao::SetModulo(dataaccess::TVexModulo* Value) { FModulo = Value; }

void TDivisao::SetAjustaControls(bool Value) {
    if (!FLoading) Value = true;
    if (Value == FAjustaControls) return;
    FAjustaControls = Value;
    auto* Owner = qobject_cast<QWidget*>(parent());
    if (!FLoading && Owner && !Owner->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).isEmpty())
        ArrangeControls(Owner);
}

void TDivisao::SetNome(const QString& Value) {
    FNome = Value;
    if (FLoading || Value.isEmpty()) return;
    ApplyName(parent(), "frm%1Div", Value);
    ApplyName(FAcoes, "acl%1", Value);
}

void TDivisao::SetMaster(TDivisao* Value) {
    if (Value == FMaster) return;
    if (FMaster) FMaster->FDetails.removeAll(this);
    FMaster = Value;
    if (FMaster) FMaster->FDetails.append(this);
    MasterChanged();
}

QList<TDivisao*> TDivisao::Details() const {
    QList<TDivisao*> Result;
    for (const QPointer<TDivisao>& D : FDetails)
        if (D) Result << D.data();
    return Result;
}

void TDivisao::MasterChanged() {
    if (FBaseCaption.isEmpty()) FBaseCaption = FCaption;
    if (FMaster) {
        const QString Of = FMaster->FBaseCaption.isEmpty() ? FMaster->FCaption : FMaster->FBaseCaption;
        SetCaption(QString("%1 (%2)").arg(FBaseCaption, Of));
    } else {
        SetCaption(FBaseCaption);
    }
    if (OnMasterChanged) OnMasterChanged(this, FMaster);
}

bool TDivisao::CloseQuery() {
    bool CanClose = true;
    if (OnCloseQuery) OnCloseQuery(this, CanClose);
    return CanClose;
}

void TDivisao::AddRefreshSettings(const TRefreshSettings* Settings) {
    if (OnAddRefreshSettings) OnAddRefreshSettings(this, Settings);
    AtualizaDivisao();
}

void TDivisao::AtualizaDivisao() {
    if (!FAtiva) return;
    FHandled = false;
    if (OnAtualizaDivisao) OnAtualizaDivisao(this);
    if (FHandled || FPropagating || !FMaster) return;
    TDivisao* Top = this;
    while (Top->FMaster) Top = Top->FMaster;
    Propagate(Top, this);
}

void TDivisao::Propagate(TDivisao* Node, TDivisao* Origin) {
    if (Node == Origin) return;
    {
        const TFlagScope Marked(Node->FPropagating, true);
        Node->AtualizaDivisao();
    }
    for (TDivisao* Detail : Node->Details()) Propagate(Detail, Origin);
}

void TDivisao::Activate() {
    if (OnActivate) OnActivate(this);
    FAtiva = true;
    AtualizaDivisao();
}

void TDivisao::Deactivate() {
    if (OnDeactivate) OnDeactivate(this);
    FAtiva = false;
}

// ---- TVexDBDivisao

struct TVexDBDivisao::THandlers {
    TDataSet::TDataSetNotifyEvent BeforeOpen, BeforeInsert, AfterInsert, BeforeEdit, BeforePost, AfterPost,
        AfterCancel, BeforeDelete, OnNewRecord;
    decltype(platform::data::TDataSetProvider::BeforeUpdateRecord) BeforeUpdateRecord;
    decltype(platform::data::TDataSetProvider::AfterUpdateRecord) AfterUpdateRecord;
};

TVexDBDivisao::TVexDBDivisao(QObject* AOwner)
    : TDivisao(AOwner),
      FFieldRules(std::make_unique<TDivisionFieldRules>(*this)),
      FRules(FFieldRules.get()),
      FSaved(std::make_unique<THandlers>()) {}

QStringList TVexDBDivisao::MasterFieldNames() const { return SplitFields(MasterFields); }

QStringList TVexDBDivisao::DetailFieldNames() const { return SplitFields(DetailFields); }

void TVexDBDivisao::SetRules(TDivisionRules* Value) { FRules = Value ? Value : FFieldRules.get(); }

TVexDBDivisao::~TVexDBDivisao() {
    RemoveHooks();
    RemoveProviderHooks();
}

void TVexDBDivisao::SetNome(const QString& Value) {
    TDivisao::SetNome(Value);
    if (Loading() || Value.isEmpty()) return;
    ApplyName(this, "div%1", Value);
    ApplyName(FGrid, "grd%1", Value);
    ApplyName(FDataSource, "dts%1", Value);
    ApplyName(FFrame, "fra%1", Value);
    if (FCampos.Tabela().isEmpty()) FCampos.SetTabela(Value);
    TDataSet* DataSet = GetDataSet();
    auto* Client = qobject_cast<platform::data::TClientDataSet*>(DataSet);
    if (!Client) {
        ApplyName(DataSet, "dst%1", Value);
        return;
    }
    platform::data::TDataSetProvider* Provider = GetProvider();
    ApplyName(Client, "cds%1", Value);
    if (!Provider) return;
    ApplyName(Provider, "prv%1", Value);
    Client->SetProviderName(Provider->objectName());
    ApplyName(Provider->DataSet(), "dst%1", Value);
}

void TVexDBDivisao::SetCaption(const QString& Value) {
    TDivisao::SetCaption(Value);
    if (auto* Page = qobject_cast<platform::ui::TTabSheet*>(FFrame)) Page->SetCaption(Value);
}

TSearchTarget TVexDBDivisao::SearchTarget(const platform::data::TField& Field) const {
    return FRules->SearchTarget(Field);
}

void TVexDBDivisao::GetValoresPossiveisFiltro(platform::data::TField& Field, TValoresPossiveisFiltro& Lista) {
    GetValoresPossiveis(this, Field, Lista);
    if (OnGetValoresPossiveisFiltro) OnGetValoresPossiveisFiltro(this, Field, Lista);
}

bool TVexDBDivisao::SearchByKey(platform::data::TField& Field) { return databound::SearchByKey(*this, Field); }

QString TVexDBDivisao::MasterFilterCondition(const TConfigCampo& Config) const {
    return databound::MasterFilterCondition(*this, Config);
}

void TVexDBDivisao::RegisterLabel(QObject* Label) {
    if (Label && !FLabels.contains(Label)) FLabels.append(Label);
}

void TVexDBDivisao::UnregisterLabel(QObject* Label) { FLabels.removeAll(Label); }

QList<QObject*> TVexDBDivisao::Labels() const {
    QList<QObject*> Result;
    for (const QPointer<QObject>& Label : FLabels)
        if (Label) Result << Label.data();
    return Result;
}

void TVexDBDivisao::ReBindLabels() {
    if (Loading()) return;
    for (QObject* Label : Labels())
        if (auto* Bound = dynamic_cast<IDivisionLabel*>(Label)) Bound->Rebind();
}

void TVexDBDivisao::SetDataSource(platform::data::TDataSource* Value) {
    if (Value != FDataSource && !Loading()) FCampos.ClearAjustados();
    FDataSource = Value;
}

TDataSet* TVexDBDivisao::GetDataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }

platform::data::TDataSetProvider* TVexDBDivisao::GetProvider() const {
    auto* Client = qobject_cast<platform::data::TClientDataSet*>(GetDataSet());
    if (!Client || !parent() || Client->ProviderName().isEmpty()) return nullptr;
    return parent()->findChild<platform::data::TDataSetProvider*>(Client->ProviderName(),
                                                                  Qt::FindDirectChildrenOnly);
}

platform::data::TCustomADODataSet* TVexDBDivisao::GetProviderDataSet() const {
    platform::data::TDataSetProvider* Provider = GetProvider();
    return Provider ? qobject_cast<platform::data::TCustomADODataSet*>(Provider->DataSet()) : nullptr;
}

void TVexDBDivisao::Loaded() {
    if (platform::data::TCustomADODataSet* Source = GetProviderDataSet()) {
        FBaseCommandText = Source->CommandText();
        const QString Where = FiltroWhere.join('\n').trimmed();
        if (!Where.isEmpty())
            FBaseCommandText = dataaccess::InjectCondition(
                FBaseCommandText, {dataaccess::ReplaceFieldTokens(Where, GetDataSet())});
    }
    InstallHooks(GetDataSet());
    InstallProviderHooks(GetProvider());
    ApplyPickLists(*this);
    ReBindLabels();
    const dataaccess::TVexHost* Host = dataaccess::Host();
    FConnection = Host ? Host->DefaultConnection() : nullptr;
    TDataSet* DataSet = GetDataSet();
    if (!FConnection || !DataSet) return;
    if (qobject_cast<platform::data::TClientDataSet*>(DataSet)) {
        if (platform::data::TCustomADODataSet* Source = GetProviderDataSet())
            dataaccess::AssignConnection(Source, FConnection);
    } else if (qobject_cast<platform::data::TCustomADODataSet*>(DataSet)) {
        dataaccess::AssignConnection(DataSet, FConnection);
    }
}

bool TVexDBDivisao::HostAllows(int Operation) {
    dataaccess::TDivisionHost* H = Host();
    if (!H) return true;
    if (!(H->AllowedOperations() & Operation)) return false;
    if (Operation != dataaccess::kAllowDelete)
        platform::ui::SendMessage(H->HostWindow(), dataaccess::WM_DIVISIONEDIT, 0, 0);
    return true;
}

void TVexDBDivisao::RelockReadOnly() {
    for (const QPointer<platform::data::TField>& Field : FReadOnlyFields)
        if (Field) Field->SetReadOnly(true);
    FReadOnlyFields.clear();
}

void TVexDBDivisao::InstallHooks(TDataSet* DataSet) {
    RemoveHooks();
    if (!DataSet) return;
    FHookedDataSet = DataSet;
    THandlers& S = *FSaved;
    S.BeforeOpen = DataSet->BeforeOpen;
    S.BeforeInsert = DataSet->BeforeInsert;
    S.AfterInsert = DataSet->AfterInsert;
    S.BeforeEdit = DataSet->BeforeEdit;
    S.BeforePost = DataSet->BeforePost;
    S.AfterPost = DataSet->AfterPost;
    S.AfterCancel = DataSet->AfterCancel;
    S.BeforeDelete = DataSet->BeforeDelete;
    S.OnNewRecord = DataSet->OnNewRecord;
    InstallLookupHandlers();
    DataSet->BeforeOpen = [this](TDataSet* D) {
        ApplyCommandText(nullptr, false);
        Call(FSaved->BeforeOpen, D);
    };
    DataSet->BeforeInsert = [this](TDataSet* D) {
        if (!HostAllows(dataaccess::kAllowInsert)) throw platform::os::EAbort();
        FReadOnlyFields.clear();
        for (platform::data::TField* Field : D->FieldList()) {
            if (!Field->ReadOnly()) continue;
            FReadOnlyFields << Field;
            Field->SetReadOnly(false);
        }
        try {
            Call(FSaved->BeforeInsert, D);
        } catch (...) {
            RelockReadOnly();
            throw;
        }
    };
    // A failed new record never reaches AfterInsert: the fields are locked again here.
    DataSet->OnNewRecord = [this](TDataSet* D) {
        try {
            FRules->NewRecord(*D);
            Call(FSaved->OnNewRecord, D);
        } catch (...) {
            RelockReadOnly();
            throw;
        }
    };
    DataSet->AfterInsert = [this](TDataSet* D) {
        try {
            Call(FSaved->AfterInsert, D);
        } catch (...) {
            RelockReadOnly();
            throw;
        }
        RelockReadOnly();
        if (QWidget* Control = FCampos.InsertFocus()) FocusAfterInsert(Control);
    };
    DataSet->BeforeEdit = [this](TDataSet* D) {
        if (!HostAllows(dataaccess::kAllowEdit)) throw platform::os::EAbort();
        Call(FSaved->BeforeEdit, D);
    };
    DataSet->BeforePost = [this](TDataSet* D) {
        FRules->BeforePost(*D);
        Call(FSaved->BeforePost, D);
    };
    DataSet->AfterPost = [this](TDataSet* D) {
        if (Host()) platform::ui::SendMessage(Host()->HostWindow(), dataaccess::WM_DIVISIONPOSTED, 0, 0);
        Call(FSaved->AfterPost, D);
        AtualizaDivisao();
    };
    DataSet->AfterCancel = [this](TDataSet* D) {
        Call(FSaved->AfterCancel, D);
        AtualizaDivisao();
    };
    DataSet->BeforeDelete = [this](TDataSet* D) {
        if (!HostAllows(dataaccess::kAllowDelete)) throw platform::os::EAbort();
        Call(FSaved->BeforeDelete, D);
    };
}

void TVexDBDivisao::InstallProviderHooks(platform::data::TDataSetProvider* Provider) {
    RemoveProviderHooks();
    if (!Provider) return;
    FHookedProvider = Provider;
    FSaved->BeforeUpdateRecord = Provider->BeforeUpdateRecord;
    FSaved->AfterUpdateRecord = Provider->AfterUpdateRecord;
    Provider->BeforeUpdateRecord = [this](QObject* Sender, TDataSet* SourceDS, platform::data::TClientDataSet* Delta,
                                          platform::data::TUpdateKind Kind, bool& Applied) {
        if (FSaved->BeforeUpdateRecord) FSaved->BeforeUpdateRecord(Sender, SourceDS, Delta, Kind, Applied);
        if (!Applied) FRules->BeforeUpdate(*Delta, Kind, Applied);
    };
    Provider->AfterUpdateRecord = [this](QObject* Sender, TDataSet* SourceDS, platform::data::TClientDataSet* Delta,
                                         platform::data::TUpdateKind Kind) {
        if (FSaved->AfterUpdateRecord) FSaved->AfterUpdateRecord(Sender, SourceDS, Delta, Kind);
        FRules->AfterUpdate(*Delta, Kind);
    };
}

void TVexDBDivisao::RemoveProviderHooks() {
    if (platform::data::TDataSetProvider* P = FHookedProvider) {
        P->BeforeUpdateRecord = FSaved->BeforeUpdateRecord;
        P->AfterUpdateRecord = FSaved->AfterUpdateRecord;
    }
    FHookedProvider = nullptr;
    FSaved->BeforeUpdateRecord = nullptr;
    FSaved->AfterUpdateRecord = nullptr;
}

void TVexDBDivisao::InstallLookupHandlers() {
    for (int I = 0; I < FCampos.Config().Count(); ++I) {
        const TConfigCampo& Item = *FCampos.Config().Items(I);
        platform::data::TField* Field = Item.Field();
        if (!Field || !Item.Is(tfSearch)) continue;
        FSearchFields.append({Field, Field->OnChange});
        Field->OnChange = [this, Previous = Field->OnChange](platform::data::TField* Sender) {
            if (Previous) Previous(Sender);
            if (!SuspendLookups) FillLookups(*this, *Sender);
        };
    }
}

void TVexDBDivisao::RemoveHooks() {
    for (const auto& [Field, Previous] : FSearchFields)
        if (Field) Field->OnChange = Previous;
    FSearchFields.clear();
    if (TDataSet* D = FHookedDataSet) {
        const THandlers& S = *FSaved;
        D->BeforeOpen = S.BeforeOpen;
        D->BeforeInsert = S.BeforeInsert;
        D->AfterInsert = S.AfterInsert;
        D->BeforeEdit = S.BeforeEdit;
        D->BeforePost = S.BeforePost;
        D->AfterPost = S.AfterPost;
        D->AfterCancel = S.AfterCancel;
        D->BeforeDelete = S.BeforeDelete;
        D->OnNewRecord = S.OnNewRecord;
    }
    FHookedDataSet = nullptr;
    THandlers& S = *FSaved;
    S.BeforeOpen = S.BeforeInsert = S.AfterInsert = S.BeforeEdit = S.BeforePost = S.AfterPost = S.AfterCancel =
        S.BeforeDelete = S.OnNewRecord = nullptr;
}

bool TVexDBDivisao::CloseQuery() {
    if (!TDivisao::CloseQuery()) return false;
    TDataSet* DataSet = GetDataSet();
    if (!DataSet) return true;
    const platform::data::TDataSetState State = DataSet->State();
    if (State != platform::data::dsEdit && State != platform::data::dsInsert && State != platform::data::dsSetKey)
        return true;
    const int Answer = controls::ShowMessageDialog(
        QString(kUnsavedChangesQuestion).arg(Caption()), QString(), controls::dkConfirmation,
        controls::ButtonSet({controls::dbYes, controls::dbNo, controls::dbCancel}), 0, -1, platform::ui::mrCancel);
    if (Answer == platform::ui::mrYes) {
        DataSet->Post();
    } else if (Answer == platform::ui::mrNo) {
        DataSet->Cancel();
    } else {
        return false;
    }
    return true;
}

void TVexDBDivisao::AddRefreshSettings(const TRefreshSettings* Settings) {
    if (!MensagensAtualizar) return;
    if (!Settings) {
        TDivisao::AddRefreshSettings(nullptr);
        return;
    }
    if (FPending.Add(*Settings, QStringList(TabelasRefresh) << FCampos.Tabela())) TDivisao::AddRefreshSettings(Settings);
}

void TVexDBDivisao::AtualizaDivisao() {
    TDivisao::AtualizaDivisao();
    if (!Ativa() || FPending.Count() == 0 || Handled() || TreeEditing()) return;
    const QList<TRefreshSettings> Requests = FPending.Items();
    for (const TRefreshSettings& Request : Requests) {
        QStringList Names;
        QVariantList Values;
        for (const TRefreshField& Field : Request.Fields) {
            Names << Field.Campo;
            Values << Field.Valor;
        }
        RefreshRecord(Names, Values, false);
        if (FPending.Count() == 0) return;  // a full refresh took everything
    }
    FPending.Clear();
}

bool TVexDBDivisao::TreeEditing() const {
    const TDivisao* Top = this;
    while (Top->Master()) Top = Top->Master();
    QList<const TDivisao*> Pending{Top};
    while (!Pending.isEmpty()) {
        const TDivisao* Node = Pending.takeFirst();
        if (const auto* DB = qobject_cast<const TVexDBDivisao*>(Node))
            if (dataaccess::FindEditingDataSet(DB->GetDataSet())) return true;
        for (const TDivisao* Detail : Node->Details()) Pending << Detail;
    }
    return false;
}

QStringList TVexDBDivisao::KeyFieldNames() const {
    TDataSet* DataSet = GetDataSet();
    QStringList Names = FRules->KeyFields();
    if (Names.isEmpty() && DataSet)
        for (platform::data::TField* Field : DataSet->FieldList())
            if (Field->ProviderFlags() & platform::data::pfInKey) Names << Field->FieldName();
    return Names;
}

QStringList TVexDBDivisao::CurrentKey() const {
    TDataSet* DataSet = GetDataSet();
    QStringList Result;
    if (!DataSet || DataSet->IsEmpty()) return Result;
    for (const QString& Name : KeyFieldNames())
        if (platform::data::TField* Field = DataSet->FindField(Name)) Result << Name + "=" + Field->AsString();
    return Result;
}

bool TVexDBDivisao::CurrentKeyIs(const QStringList& Values) const {
    TDataSet* DataSet = GetDataSet();
    if (!DataSet || DataSet->IsEmpty() || Values.isEmpty()) return false;
    for (const QString& Line : Values) {
        const int Equals = Line.indexOf('=');
        const platform::data::TField* Field = Equals < 0 ? nullptr : DataSet->FindField(Line.left(Equals));
        if (!Field || Field->AsString() != Line.mid(Equals + 1)) return false;
    }
    return true;
}

QStringList TVexDBDivisao::KeyConditions(const TDataSet& DataSet, QList<TParametroMaster>& Params) const {
    QStringList Conditions;
    for (const QString& Name : KeyFieldNames()) {
        if (platform::data::TField* Field = DataSet.FindField(Name)) {
            const QString Param = QString("RefreshKey%1").arg(Params.size() + 1);
            Conditions << QString("(%1 = :%2)").arg(Column(*Field), Param);
            Params.append({Param, Field->DataType(), Field->Value()});
        }
    }
    return Conditions;
}

void TVexDBDivisao::RefreshCurrentRecord(platform::data::TClientDataSet& Client) {
    platform::data::TCustomADODataSet* Source = GetProviderDataSet();
    QList<TParametroMaster> Params;
    const QStringList Conditions = KeyConditions(Client, Params);
    if (!Source || Conditions.isEmpty()) {
        Client.RefreshRecord();
        return;
    }
    // The provider reads the one row; its own command and values come back whatever happens.
    const QString Saved = Source->CommandText();
    AddMasterParams(Params, Source->Parameters());
    struct TRestore {
        platform::data::TCustomADODataSet& Source;
        const QString& Text;
        const QList<TParametroMaster>& Params;
        ~TRestore() {
            Source.SetCommandText(Text);
            BindMasterParams(Source.Parameters(), Params);
        }
    } Restore{*Source, Saved, Params};
    Source->SetCommandText(dataaccess::InjectCondition(Saved, Conditions));
    BindMasterParams(Source->Parameters(), Params);
    Client.RefreshRecord();
}

void TVexDBDivisao::RefreshCurrentRecord(platform::data::TCustomADODataSet& Query) {
    QList<TParametroMaster> Params;
    const QStringList Conditions = KeyConditions(Query, Params);
    if (Conditions.isEmpty()) {
        Query.RefreshRecord();
        return;
    }
    // A second command reads the one row, so the open dataset keeps its command and its rows.
    platform::data::TADOQuery Reader;
    Reader.SetConnection(Query.Connection());
    Reader.SetCommandTimeout(Query.CommandTimeout());
    Reader.SetSQL(dataaccess::InjectCondition(Query.CommandText(), Conditions));
    AddMasterParams(Params, Query.Parameters());
    BindMasterParams(Reader.Parameters(), Params);
    Query.RefreshRecordFrom(Reader.FetchPacket(), KeyFieldNames());
}

void TVexDBDivisao::RefreshRecord(const QStringList& Names, const QVariantList& Values, bool RebuildIfChanged) {
    const TBusyScope Busy;
    TDataSet* DataSet = GetDataSet();
    if (!DataSet || !DataSet->Active()) return;
    if (RebuildIfChanged && FParamsChanged) {
        ApplyCommandText(nullptr, false);
        FParamsChanged = false;
    }
    const QStringList Key = CurrentKey();
    bool Whole = Names.isEmpty();
    if (!Whole) {
        QStringList Lines;
        for (int I = 0; I < Names.size() && I < Values.size(); ++I) Lines << Names[I] + "=" + Values[I].toString();
        auto* Client = qobject_cast<platform::data::TClientDataSet*>(DataSet);
        auto* Query = qobject_cast<platform::data::TCustomADODataSet*>(DataSet);
        // The current record needs no search of the whole dataset.
        Whole = !(Client || Query) || !(CurrentKeyIs(Lines) || LocateValues(Lines));
        if (!Whole) {
            try {
                if (Client) RefreshCurrentRecord(*Client);
                else RefreshCurrentRecord(*Query);
            } catch (const std::exception&) {
                Whole = true;
            }
        }
    }
    if (Whole) {
        DataSet->Refresh();
        FPending.Clear();
    }
    if (!Key.isEmpty() && !CurrentKeyIs(Key)) LocateValues(Key);
}

bool TVexDBDivisao::LocateValues(const QStringList& Values) {
    TDataSet* DataSet = GetDataSet();
    if (!DataSet || Values.isEmpty()) return false;
    const TFlagScope Guard(FLocating, true);
    QStringList Conditions, Names;
    QVariantList Typed;
    platform::data::TParameters Params;
    for (const QString& Line : Values) {
        const int Equals = Line.indexOf('=');
        const QString Name = Equals < 0 ? Line : Line.left(Equals);
        platform::data::TField* Field = DataSet->FindField(Name);
        if (!Field) continue;
        const QVariant Value = TypedValue(*Field, Equals < 0 ? QString() : Line.mid(Equals + 1));
        if (!Value.isValid()) return false;  // no row holds a number that is no number
        const QString Param = QString("Locate%1").arg(Names.size() + 1);
        Conditions << QString("%1 = :%2").arg(Column(*Field), Param);
        Params.CreateParameter(Param, Field->DataType(), Value);
        Names << Field->FieldName();
        Typed << Value;
    }
    if (Names.isEmpty()) return false;
    if (auto* Master = qobject_cast<TVexDBDivisao*>(this->Master())) {
        platform::data::TADOConnection* Connection = FConnection;
        if (!Connection && dataaccess::Host()) Connection = dataaccess::Host()->DefaultConnection();
        if (!Connection) return false;
        platform::data::TADOQuery Query;
        Query.SetConnection(Connection);
        Query.SetSQL(dataaccess::InjectCondition(FBaseCommandText, Conditions));
        platform::data::TCustomADODataSet* Source = GetProviderDataSet();
        for (int I = 0; I < Query.Parameters().Count(); ++I) {
            platform::data::TParameter& P = Query.Parameters()[I];
            const platform::data::TParameter* From = Params.FindParam(P.Name());
            if (!From && Source) From = Source->Parameters().FindParam(P.Name());
            if (!From) continue;
            P.SetDataType(From->DataType());
            P.SetValue(From->Value());
        }
        Query.Open();
        if (Query.Eof()) return false;
        const QStringList MasterNames = SplitFields(MasterFields), DetailNames = SplitFields(DetailFields);
        QStringList MasterValues;
        for (int I = 0; I < MasterNames.size() && I < DetailNames.size(); ++I)
            MasterValues << MasterNames[I] + "=" + Query.FieldByName(DetailNames[I])->AsString();
        if (!Master->LocateValues(MasterValues)) return false;
    }
    return DataSet->Locate(Names.join(';'), Typed.size() == 1 ? Typed[0] : QVariant(Typed));
}

void TVexDBDivisao::ApplyCommandText(platform::data::TCustomADODataSet* Target, bool CountOnly) {
    if (Loading()) return;
    const bool Own = !Target;
    if (!Target) Target = GetProviderDataSet();
    if (!Target) return;
    QList<TParametroMaster> Saved;
    AddMasterParams(Saved, Target->Parameters());
    if (!CountOnly) CheckRecordLimit();
    QList<TParametroMaster> MasterParams;
    Target->SetCommandText(BuildCommandText(MasterParams, CountOnly));
    BindMasterParams(Target->Parameters(), Saved);
    BindConditionParameters(Target->Parameters(), MasterParams, FParametros, FFiltros);
    if (!Own || CountOnly || SuspendDetailRefresh) return;
    for (TDivisao* Detail : Details()) {
        if (auto* DB = qobject_cast<TVexDBDivisao*>(Detail)) {
            DB->SetParamsChanged();
            DB->RefreshAll(true);
        }
    }
}

QString TVexDBDivisao::BuildCommandText(QList<TParametroMaster>& MasterParams, bool CountOnly) const {
    const QString Text =
        AddConditions(CommandOnOneLine(FBaseCommandText),
                      {FFiltros.BuildCondition(), FParametros.BuildCondition(), BuildMasterCondition(*this, &MasterParams)},
                      FCampos.Aggregate());
    return CountOnly || FActiveLimit < 0 ? Text : LimitCommandText(Text, FActiveLimit);
}

void TVexDBDivisao::CheckRecordLimit() {
    FActiveLimit = -1;
    platform::data::TCustomADODataSet* Source = GetProviderDataSet();
    platform::data::TADOConnection* Connection = FConnection ? FConnection : (Source ? Source->Connection() : nullptr);
    if (RecordLimit < 0 || !Connection) return;
    QList<TParametroMaster> MasterParams;
    const QString Text = BuildCommandText(MasterParams, true);
    platform::data::TParameters Params;
    Params.ParseSQL(Text, true);
    if (Source) {
        QList<TParametroMaster> Current;
        AddMasterParams(Current, Source->Parameters());
        MasterParams.append(Current);
    }
    try {
        BindConditionParameters(Params, MasterParams, FParametros, FFiltros);
    } catch (const platform::data::EDatabaseError&) {
        return;  // the command cannot run as it stands; opening it reports why
    }
    FActiveLimit = databound::CheckRecordLimit(*Connection, Text, Params, Caption(), RecordLimit);
}

QString BuildMasterCondition(const TVexDBDivisao& Divisao, QList<TParametroMaster>* MasterParams) {
    const auto* Master = qobject_cast<const TVexDBDivisao*>(Divisao.Master());
    if (!Master) return {};
    if (MasterParams)
        if (platform::data::TCustomADODataSet* Source = Master->GetProviderDataSet())
            AddMasterParams(*MasterParams, Source->Parameters());
    const QStringList MasterNames = SplitFields(Divisao.MasterFields);
    const QStringList DetailNames = SplitFields(Divisao.DetailFields);
    const TDataSet* DataSet = Divisao.GetDataSet();
    QStringList Conditions;
    for (int I = 0; I < MasterNames.size() && I < DetailNames.size(); ++I) {
        QString Detail = DetailNames[I];
        if (const platform::data::TField* Field = DataSet ? DataSet->FindField(Detail) : nullptr)
            Detail = Field->Origin();
        if (Detail.trimmed().isEmpty()) continue;
        Conditions << QString("((%1 Is Not Null) And (%1 in (%2)))")
                          .arg(Detail, MasterSubquery(*Master, MasterNames[I], MasterParams));
    }
    return Conditions.join(" and ");
}

}  // namespace databound
