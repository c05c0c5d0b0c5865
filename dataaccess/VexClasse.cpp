#include "dataaccess/VexClasse.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QScopeGuard>
#include <algorithm>
#include <exception>

#include "controls/VexMessage.h"
#include "dataaccess/NumberingHook.h"
#include "dataaccess/TabelaSelect.h"
#include "dataaccess/VexFieldValue.h"
#include "dataaccess/VexHost.h"
#include "dataaccess/VexSession.h"
#include "platform/data/ADODataSet.h"
#include "platform/data/Provider.h"
#include "platform/os/Exceptions.h"
#include "platform/ui/Forms.h"

namespace dataaccess {

using namespace platform::data;
using platform::os::EAbort;

namespace {

const QString kProviderName = QStringLiteral("prv%1Prodiver");
const QDate kZeroDate(1899, 12, 30);
const QString kValidateLabel = QStringLiteral("validação interna");
const QString kCanInsertLabel = QStringLiteral("pode inserir");
const QString kFieldChangeLabel = QStringLiteral("change field");
const QString kReconcileLabel = QStringLiteral("reconcile error");
const QString kFixedColumn = QStringLiteral("Fixo");

// A value the original compared equal to 0: the number, or the date-time origin.
bool IsZero(const QVariant& Value) {
    if (VarIsClear(Value)) return false;
    switch (Value.typeId()) {
    case QMetaType::QDateTime: return Value.toDateTime() == QDateTime(kZeroDate, QTime(0, 0));
    case QMetaType::QDate: return Value.toDate() == kZeroDate;
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::Double: case QMetaType::Float:
        return Value.toDouble() == 0;
    default: return false;
    }
}

// Runs Body inside a message batch that is shown at its end, also when Body raises.
template <class TBody>
auto InBatch(TBody&& Body) {
    SessionMessages().BeginMessages();
    try {
        auto Result = Body();
        SessionMessages().EndMessages(true);
        return Result;
    } catch (...) {
        SessionMessages().EndMessages(true);
        throw;
    }
}

}  // namespace

TClasseTabelaOwner::TClasseTabelaOwner(TClasseTabela* Table) : FTable(Table) {}

// The dataset events the table intercepts, with their monitor event and hook.
struct TClasseTabela::TInterceptedEvent {
    TDataSet::TDataSetNotifyEvent TDataSet::*Event;
    TMonitorNotifyEvent Kind;
    void (TClasseTabela::*Hook)();
};

struct TClasseTabela::TSavedHandlers {
    std::vector<TDataSet::TDataSetNotifyEvent> Notify;
    TDataSet::TDataSetErrorEvent PostError, EditError, DeleteError;
    TDataSet::TDataSetNotifyEvent ChangeFailed;
    decltype(TClientDataSet::OnReconcileError) ReconcileError;
};

struct TClasseTabela::TFieldHook {
    QPointer<TField> Field;
    decltype(TField::OnChange) OnChange;
    decltype(TField::OnValidate) OnValidate;
    decltype(TField::OnSetText) OnSetText;
};

const std::vector<TClasseTabela::TInterceptedEvent>& TClasseTabela::InterceptedEvents() {
    static const std::vector<TInterceptedEvent> kEvents = {
        {&TDataSet::AfterCancel, neAfterCancel, &TClasseTabela::DoAfterCancel},
        {&TDataSet::AfterClose, neAfterClose, &TClasseTabela::DoAfterClose},
        {&TDataSet::AfterDelete, neAfterDelete, &TClasseTabela::DoAfterDelete},
        {&TDataSet::AfterEdit, neAfterEdit, &TClasseTabela::DoAfterEdit},
        {&TDataSet::AfterInsert, neAfterInsert, &TClasseTabela::DoAfterInsert},
        {&TDataSet::AfterOpen, neAfterOpen, &TClasseTabela::DoAfterOpen},
        {&TDataSet::AfterPost, neAfterPost, &TClasseTabela::DoAfterPost},
        {&TDataSet::AfterRefresh, neAfterRefresh, &TClasseTabela::DoAfterRefresh},
        {&TDataSet::AfterScroll, neAfterScroll, &TClasseTabela::DoAfterScroll},
        {&TDataSet::BeforeCancel, neBeforeCancel, &TClasseTabela::DoBeforeCancel},
        {&TDataSet::BeforeClose, neBeforeClose, &TClasseTabela::DoBeforeClose},
        {&TDataSet::BeforeDelete, neBeforeDelete, &TClasseTabela::DoBeforeDelete},
        {&TDataSet::BeforeEdit, neBeforeEdit, &TClasseTabela::DoBeforeEdit},
        {&TDataSet::BeforeInsert, neBeforeInsert, &TClasseTabela::DoBeforeInsert},
        {&TDataSet::BeforeOpen, neBeforeOpen, &TClasseTabela::DoBeforeOpen},
        {&TDataSet::BeforePost, neBeforePost, &TClasseTabela::DoBeforePost},
        {&TDataSet::BeforeScroll, neBeforeScroll, &TClasseTabela::DoBeforeScroll},
        {&TDataSet::OnCalcFields, neOnCalcFields, &TClasseTabela::DoCalcFields},
        {&TDataSet::OnNewRecord, neOnNewRecord, &TClasseTabela::DoNewRecord},
    };
    return kEvents;
}

TClasseTabela::TClasseTabela(QObject* AOwner)
    : TComponentMonitor(AOwner),
      FInternalOwner(new TClasseTabelaOwner(this)),
      FProvider(new TDataSetProvider(FInternalOwner)),
      FQuery(new TADOQuery(FInternalOwner)),
      FDataSource(new TDataSource(FInternalOwner)) {
    FProvider->SetUpdateMode(upWhereKeyOnly);
    FProvider->SetDataSet(FQuery);
}

void TClasseTabela::AfterConstruction() {
    FProvider->setObjectName(GetProviderName());
    FPermissions = std::make_unique<TPermissaoClasse>(TableName(), FConnection);
    FNumberingKey = TableName();
    DefineFields();
}

TClasseTabela::~TClasseTabela() {
    FSavedNames.clear();
    FSavedValues.clear();
    DiscardBlobUpdates();
    FCampos.clear();
    BindDataSet(nullptr);
    delete FInternalOwner;
}

QString TClasseTabela::TableName() {
    QString Name;
    GetTableName(Name);
    return Name;
}

QString TClasseTabela::Caption() {
    QString Text;
    GetCaption(Text);
    return Text;
}

QString TClasseTabela::ClassName() const {
    const QString Name = QString::fromLatin1(metaObject()->className());
    return Name.mid(Name.lastIndexOf(':') + 1);
}

QString TClasseTabela::GetProviderName() const { return kProviderName.arg(ClassName()); }

void TClasseTabela::AddFields(const std::vector<TCampoTabela>& Fields) {
    for (const TCampoTabela& Field : Fields) AddField(Field);
}

const TCampoTabela* TClasseTabela::FindCampo(int Index) const {
    for (const TCampoTabela& Campo : FCampos)
        if (Campo.Indice == Index) return &Campo;
    return nullptr;
}

const TCampoTabela* TClasseTabela::FindCampo(const QString& Name) const {
    for (const TCampoTabela& Campo : FCampos)
        if (SameName(Campo.Nome, Name)) return &Campo;
    return nullptr;
}

TField* TClasseTabela::FieldByIndex(int Index) {
    const TCampoTabela* Campo = FindCampo(Index);
    TField* Field = Campo ? DataSet()->FindField(Campo->Nome) : nullptr;
    if (!Field)
        throw platform::os::Exception(
            QString(kInvalidFieldIndex).arg(Campo ? Campo->Nome : QString()).arg(Index).toStdString());
    return Field;
}

void TClasseTabela::SetValue(int Index, const QVariant& Value) { SetFieldValue(FieldByIndex(Index), Value); }
void TClasseTabela::SetAsSmallInt(int Index, int16_t Value) { SetValue(Index, QVariant::fromValue(Value)); }
void TClasseTabela::SetAsInteger(int Index, int32_t Value) { SetValue(Index, QVariant::fromValue(Value)); }
void TClasseTabela::SetAsString(int Index, const QString& Value) { SetValue(Index, Value); }
QString TClasseTabela::GetAsString(int Index) { return FieldByIndex(Index)->AsString(); }
int TClasseTabela::GetAsInteger(int Index) { return FieldByIndex(Index)->AsInteger(); }

void TClasseTabela::SetFieldValue(TField* Field, const QVariant& Value) {
    if (!Field) return;
    QVariant Written = Value;
    if (IsNumericType(Field->DataType())) {
        const TCampoTabela* Campo = FindCampo(Field->FieldName());
        if (Campo && (Campo->Chave || Campo->Referencia) && IsZero(Value)) Written = Null();
    } else if (IsDateTimeType(Field->DataType()) && IsZero(Value)) {
        Written = FKeepZeroDates ? QVariant(QDateTime(kZeroDate, QTime(0, 0))) : Null();
    }
    dataaccess::SetFieldValue(Field, Written, false, FForceWrite);
}

void TClasseTabela::SetFieldValues(const QStringList& Names, const QVariantList& Values) {
    if (!FDataSet) return;
    for (int I = 0; I < Names.size(); ++I) SetFieldValue(FDataSet->FindField(Names[I]), Values.value(I));
}

void TClasseTabela::SetFieldValue(const QString& Name, const QVariant& Value) {
    if (FDataSet) SetFieldValue(FDataSet->FindField(Name), Value);
}

void TClasseTabela::SaveFieldValues(bool Clear) {
    if (!FDataSet) return;
    const std::vector<TField*>& Fields = FDataSet->FieldList();
    // Names kept as copies of the fields' own share their text: the same list is known without comparing letters.
    auto Kept = [](const TField* F, const QString& Name) {
        return F->FieldName().constData() == Name.constData() && F->FieldName().size() == Name.size();
    };
    const bool SameFields =
        FSavedNames.size() >= Fields.size() && std::equal(Fields.begin(), Fields.end(), FSavedNames.begin(), Kept);
    if (!SameFields) {
        std::vector<QString> Names;
        std::vector<QVariant> Values;
        for (TField* F : Fields) {
            Names.push_back(F->FieldName());
            Values.push_back(SavedFieldValue(F->FieldName()));
        }
        for (size_t I = 0; I < FSavedNames.size(); ++I)
            if (!FDataSet->FindField(FSavedNames[I])) {
                Names.push_back(std::move(FSavedNames[I]));
                Values.push_back(std::move(FSavedValues[I]));
            }
        FSavedNames = std::move(Names);
        FSavedValues = std::move(Values);
    }
    const std::span<QVariant> Current(FSavedValues.data(), Fields.size());
    if (Clear) std::fill(Current.begin(), Current.end(), Null());
    else FDataSet->CopyFieldValues(Current);
}

QVariant TClasseTabela::SavedFieldValue(const QString& FieldName) const {
    for (size_t I = 0; I < FSavedNames.size(); ++I)
        if (SameName(FSavedNames[I], FieldName)) return FSavedValues[I];
    return QVariant();
}

TDataSet* TClasseTabela::DataSet() {
    if (!FDataSet) {
        if (FCreateEmptyOnDemand) Load({}, {}, {}, {}, QString(), {}, {}, {}, 0, FConnection, true);
        else Load({QStringLiteral("0")}, {1}, FConnection);
    }
    return FDataSet;
}

void TClasseTabela::AttachDataSet(TDataSet* Value) {
    BindDataSet(Value);
    DoAfterLoad();
}

void TClasseTabela::BindDataSet(TDataSet* Value) {
    Unbind();
    FDataSource->SetDataSet(Value);
    if (Value) Bind(Value);
}

void TClasseTabela::Unbind() {
    QObject::disconnect(FFreeNotification);
    TDataSet* Bound = FDataSet;
    if (Bound && FSavedHandlers) {
        const auto& Events = InterceptedEvents();
        for (size_t I = 0; I < Events.size(); ++I) Bound->*(Events[I].Event) = FSavedHandlers->Notify[I];
        Bound->OnPostError = FSavedHandlers->PostError;
        Bound->OnEditError = FSavedHandlers->EditError;
        Bound->OnDeleteError = FSavedHandlers->DeleteError;
        Bound->OnChangeFailed = FSavedHandlers->ChangeFailed;
        if (auto* Client = qobject_cast<TClientDataSet*>(Bound))
            Client->OnReconcileError = FSavedHandlers->ReconcileError;
    }
    for (const auto& Hook : FFieldHooks) {
        if (!Hook->Field) continue;
        Hook->Field->OnChange = Hook->OnChange;
        Hook->Field->OnValidate = Hook->OnValidate;
        Hook->Field->OnSetText = Hook->OnSetText;
    }
    FFieldHooks.clear();
    FSavedHandlers.reset();
    FDataSet = nullptr;
    if (Bound && FOwnsDataSet) {
        FOwnsDataSet = false;
        if (Bound->State() == dsInsert || Bound->State() == dsEdit) Bound->Cancel();
        delete Bound;
    }
    FOwnsDataSet = false;
}

void TClasseTabela::Bind(TDataSet* Value) {
    FDataSet = Value;
    // Destroyed by its owner: only forget it, the object can no longer take its handlers back.
    FFreeNotification = QObject::connect(Value, &QObject::destroyed, FInternalOwner, [this] {
        FFieldHooks.clear();
        FSavedHandlers.reset();
        FOwnsDataSet = false;
        FDataSource->SetDataSet(nullptr);
    });
    FSavedHandlers = std::make_unique<TSavedHandlers>();
    const auto& Events = InterceptedEvents();
    for (size_t I = 0; I < Events.size(); ++I) {
        FSavedHandlers->Notify.push_back(Value->*(Events[I].Event));
        Value->*(Events[I].Event) = [this, I](TDataSet* Sender) { DataSetEvent(InterceptedEvents()[I], Sender); };
    }
    FSavedHandlers->PostError = Value->OnPostError;
    FSavedHandlers->EditError = Value->OnEditError;
    FSavedHandlers->DeleteError = Value->OnDeleteError;
    Value->OnPostError = [this](TDataSet* S, EDatabaseError& E, TDataAction& A) { ErrorEvent(eeOnPostError, S, E, A); };
    Value->OnEditError = [this](TDataSet* S, EDatabaseError& E, TDataAction& A) { ErrorEvent(eeOnEditError, S, E, A); };
    Value->OnDeleteError = [this](TDataSet* S, EDatabaseError& E, TDataAction& A) {
        ErrorEvent(eeOnDeleteError, S, E, A);
    };
    FSavedHandlers->ChangeFailed = Value->OnChangeFailed;
    // Failures the error events never see (a raising link or scroll handler) must not leave the transaction open.
    Value->OnChangeFailed = [this](TDataSet* Sender) {
        EndTransaction(false);
        if (FSavedHandlers->ChangeFailed) FSavedHandlers->ChangeFailed(Sender);
    };
    if (auto* Client = qobject_cast<TClientDataSet*>(Value)) {
        FSavedHandlers->ReconcileError = Client->OnReconcileError;
        Client->OnReconcileError = [this](TClientDataSet* S, EReconcileError& E, TUpdateKind K, TReconcileAction& A) {
            ReconcileEvent(S, E, K, A);
        };
    }
    for (TField* Field : Value->FieldList()) HookField(Field);
}

void TClasseTabela::HookField(TField* Field) {
    auto Hook = std::make_unique<TFieldHook>(TFieldHook{Field, Field->OnChange, Field->OnValidate, Field->OnSetText});
    TFieldHook* H = Hook.get();
    Field->OnChange = [this, H](TField* Sender) { FieldChanged(*H, Sender); };
    Field->OnValidate = [this, H](TField* Sender) { FieldValidate(*H, Sender); };
    Field->OnSetText = [this, H](TField* Sender, const QString& Text) { FieldSetText(*H, Sender, Text); };
    FFieldHooks.push_back(std::move(Hook));
}

void TClasseTabela::DataSetEvent(const TInterceptedEvent& Event, TDataSet* Sender) {
    const auto& User = FSavedHandlers->Notify[&Event - InterceptedEvents().data()];
    auto CallUser = [&User, Sender] {
        if (User) User(Sender);
    };
    auto Pipeline = [&] {
        MonitorNotify(Event.Kind, 1);
        (this->*Event.Hook)();
        MonitorNotify(Event.Kind, 2);
    };
    switch (Event.Kind) {
    case neBeforeOpen:
        if (FCheckPermissions) CheckPermission(paVisualizar);
        break;
    case neBeforeEdit:
        DiscardBlobUpdates();
        SaveFieldValues(false);
        if (FCheckPermissions) CheckPermission(paAtualizar);
        if (CheckFixedRecord()) throw EAbort();
        break;
    case neBeforeInsert:
        // Values queued for an earlier row must not land in the new one.
        DiscardBlobUpdates();
        SaveFieldValues(true);
        // One scope for the whole insert check, so a control password is asked at most once.
        OpenScope();
        try {
            CheckMasterRecord();
            if (FCheckPermissions) CheckPermission(paInserir);
        } catch (...) {
            CloseScope();
            throw;
        }
        CloseScope();
        break;
    case neBeforeDelete:
    case neBeforePost:
        // A flag left from an earlier post or delete must not make this one roll back a transaction it never began.
        FTransactionStarted = false;
        if (Event.Kind == neBeforeDelete) {
            SaveFieldValues(false);
            if (FCheckPermissions) CheckPermission(paExcluir);
            if (CheckFixedRecord()) throw EAbort();
        } else {
            FStateAtPost = Sender->State();
        }
        CallUser();
        if (Event.Kind == neBeforeDelete ? FSkipDeletePipeline : FSkipPostPipeline) return;
        MonitorNotify(Event.Kind, 0);
        BeginTransaction();
        FTransactionStarted = true;
        RollbackOnFailure(Pipeline);
        return;
    case neAfterPost:
    case neAfterDelete:
        RollbackOnFailure([&] {
            if (!FManualApply && ApplyUpdates() == 0) throw EAbort();
            CallUser();
            if (Event.Kind == neAfterPost && ApplyBlobUpdates() == 0) throw EAbort();
            if (Event.Kind == neAfterDelete ? FSkipDeletePipeline : FSkipPostPipeline) return;
            MonitorNotify(Event.Kind, 1);
            (this->*Event.Hook)();
            MonitorNotify(Event.Kind, 2);
            EndTransaction(true);
            MonitorNotify(Event.Kind, 3);
        });
        if (Event.Kind == neAfterPost) FStateAtPost = Sender->State();
        return;
    case neOnNewRecord:
        CallUser();
        if (!FSkipAutoNumbering) NumberNewRecord();
        Pipeline();
        return;
    default:
        break;
    }
    CallUser();
    Pipeline();
}

void TClasseTabela::NumberNewRecord() {
    QStringList Fields;
    GetNumberedFields(Fields);
    for (const QString& Line : Fields) {
        const QString Own = Line.section('=', 0, 0);
        const bool Renamed = FRenameCode && Own.compare("Codigo", Qt::CaseInsensitive) == 0;
        const QString Name = Renamed ? QString("Numero") : Own;
        QString Mask;
        int Digits = 0;
        int Reset = 0;
        const bool Automatic = GetNumberingDefaults(Name, Mask, Digits, Reset);
        const QString Number =
            GerarNumeracao(FNumberingKey, Name, 0, Reset, Digits, Mask, Automatic, FConnection, QDateTime());
        if (!Number.isEmpty()) SetFieldValue(Own, Number);
    }
}

void TClasseTabela::GetNumberedFields(QStringList& List) {
    for (const TCampoTabela& Campo : FCampos) {
        QString Caption;
        if (!GetNumberedFieldCaption(Campo.Nome, Caption)) continue;
        const QString Line = Campo.Nome + "=" + Caption;
        const int At = List.indexOf(QRegularExpression("^" + QRegularExpression::escape(Campo.Nome) + "=",
                                                       QRegularExpression::CaseInsensitiveOption));
        if (At >= 0) List[At] = Line;
        else List << Line;
    }
}

bool TClasseTabela::GetNumberedFieldCaption(const QString& Name, QString& Caption) {
    if (Name.compare("Codigo", Qt::CaseInsensitive) == 0) Caption = kCaptionCodigo;
    else if (Name.compare("Numero", Qt::CaseInsensitive) == 0) Caption = kCaptionNumero;
    else return false;
    return true;
}

bool TClasseTabela::GetNumberingDefaults(const QString& Name, QString& Mask, int& Digits, int& Reset) {
    if (Name.compare("Codigo", Qt::CaseInsensitive) == 0) {
        Mask = "[Numero]";
        Reset = 0;
    } else if (Name.compare("Numero", Qt::CaseInsensitive) == 0) {
        Mask = "[Numero]/[YY]";
        Reset = 3;
    } else {
        return false;
    }
    Digits = 6;
    return true;
}

bool TClasseTabela::HasNumbering() {
    if (FNumberingDelegate) return FNumberingDelegate->HasNumbering();
    QStringList Fields;
    GetNumberedFields(Fields);
    return !Fields.isEmpty();
}

void TClasseTabela::ConfigureNumbering() {
    if (FNumberingDelegate) {
        FNumberingDelegate->ConfigureNumbering();
        return;
    }
    QStringList Fields;
    GetNumberedFields(Fields);
    std::vector<TNumberedField> Items;
    for (const QString& Line : Fields) {
        TNumberedField Item;
        Item.Campo = Line.section('=', 0, 0);
        Item.Caption = Line.section('=', 1);
        if (FRenameCode && Item.Campo.compare("Codigo", Qt::CaseInsensitive) == 0) {
            Item.Campo = "Numero";
            Item.Caption = kCaptionNumero;
        }
        Item.Automatica = GetNumberingDefaults(Item.Campo, Item.Mascara, Item.Quantidade_Digitos, Item.Opcao_Zeramento);
        Items.push_back(Item);
    }
    ConfigurarNumeracao(FNumberingKey, Items);
}

bool TClasseTabela::CheckFixedRecord() {
    if (FSkipFixedCheck || !FDataSet) return false;
    TField* Fixo = FDataSet->FindField(kFixedColumn);
    if (!Fixo || VarIsClear(Fixo->Value()) || !Fixo->AsBoolean()) return false;
    if (!IsDataModerator()) throw controls::EDesktopError(kFixedRecord, kFixedRecordHint);
    return controls::ShowMessageDialog(kConfirmFixedRecord, QString(), controls::dkConfirmation,
                                       controls::ButtonSet({controls::dbYes, controls::dbNo}), 0, 0,
                                       controls::AutoCancelResult) == platform::ui::mrNo;
}

void TClasseTabela::CheckMasterRecord() {
    TDataSet* Detail = DataSet();
    TDataSource* Source = Detail->MasterSource();
    TDataSet* Master = Source ? Source->DataSet() : nullptr;
    QString DetailKeys = Detail->IndexFieldNames();
    if (!Detail->IndexName().isEmpty()) {
        const TIndexDef* Index = Detail->IndexDefs().Find(Detail->IndexName());
        DetailKeys = Index ? Index->Fields : QString();
    }
    TMasterFields MasterFields;
    TMasterValues MasterValues;
    if (Master && !Detail->MasterFields().isEmpty() && !DetailKeys.isEmpty()) {
        if (Master->IsEmpty()) {
            controls::ShowMessageDialog(kMasterEmpty, QString(), controls::dkInformation,
                                        controls::ButtonSet({controls::dbOK}), 0, 0, controls::AutoCancelResult);
            throw EAbort();
        }
        if (Master->State() == dsInsert || Master->State() == dsEdit) Master->Post();
        auto Split = [](const QString& Text) {
            QStringList Items = Text.split(';');
            for (QString& Item : Items) Item = Item.trimmed();
            while (!Items.isEmpty() && Items.last().isEmpty()) Items.removeLast();
            return Items;
        };
        const QStringList Masters = Split(Detail->MasterFields());
        const QStringList Keys = Split(DetailKeys);
        if (Keys.size() >= Masters.size()) {
            for (int I = 0; I < Masters.size(); ++I) {
                TField* Field = Master->FindField(Masters[I]);
                if (!Field) continue;
                MasterFields << Keys[I];
                MasterValues << Field->Value();
            }
        }
    }
    if (OnMasterValues) OnMasterValues(MasterFields, MasterValues);
    if (MasterFields.isEmpty() || MasterValues.isEmpty()) return;
    if (!MonitorCanInsert(1, MasterFields, MasterValues) || !CanInsertDetail(MasterFields, MasterValues) ||
        !MonitorCanInsert(2, MasterFields, MasterValues))
        throw EAbort();
}

void TClasseTabela::EndTransaction(bool Commit) {
    if (!FTransactionStarted) return;
    // Cleared first: a commit that fails has ended the transaction all the same.
    FTransactionStarted = false;
    if (Commit) CommitTransaction();
    else RollbackTransaction();
}

void TClasseTabela::RollbackOnFailure(const std::function<void()>& Steps) {
    try {
        Steps();
    } catch (...) {
        EndTransaction(false);
        throw;
    }
}

void TClasseTabela::ErrorEvent(TMonitorErrorEvent Event, TDataSet* Sender, EDatabaseError& E, TDataAction& Action) {
    const TDataSet::TDataSetErrorEvent& User = Event == eeOnPostError   ? FSavedHandlers->PostError
                                               : Event == eeOnEditError ? FSavedHandlers->EditError
                                                                        : FSavedHandlers->DeleteError;
    if (Event == eeOnEditError) {
        if (User) User(Sender, E, Action);
        MonitorError(Event, 1, E, Action);
        DoEditError(E, Action);
        MonitorError(Event, 2, E, Action);
        Action = daAbort;
        return;
    }
    RollbackOnFailure([&] {
        if (User) User(Sender, E, Action);
        MonitorError(Event, 1, E, Action);
        if (Event == eeOnPostError) DoPostError(E, Action);
        else DoDeleteError(E, Action);
        MonitorError(Event, 2, E, Action);
        EndTransaction(false);
        MonitorError(Event, 3, E, Action);
    });
    Action = daAbort;
    throw EDatabaseError(QString::fromUtf8(E.what()));
}

void TClasseTabela::ReconcileEvent(TClientDataSet* Sender, EReconcileError& E, TUpdateKind UpdateKind,
                                   TReconcileAction& Action) {
    if (FSavedHandlers->ReconcileError) FSavedHandlers->ReconcileError(Sender, E, UpdateKind, Action);
    Action = raAbort;
    MonitorReconcileError(1, E, Action, UpdateKind);
    DoReconcileError(E, UpdateKind, Action);
    MonitorReconcileError(2, E, Action, UpdateKind);
    TDataAction ErrorAction = daAbort;
    const QString Message = QString::fromUtf8(E.what());
    switch (UpdateKind) {
    case ukModify:
        DoPostError(E, ErrorAction);
        ShowUpdateError(Message);
        break;
    case ukInsert:
        DoPostError(E, ErrorAction);
        ShowInsertError(Message);
        break;
    case ukDelete:
        DoDeleteError(E, ErrorAction);
        ShowDeleteError(Message);
        break;
    }
}

void TClasseTabela::FieldChanged(TFieldHook& Hook, TField* Sender) {
    if (Hook.OnChange) Hook.OnChange(Sender);
    if (FSuppressFieldHooks) return;
    QString Name = Sender->FieldName();
    for (const QString& Line : FColumnAliases) {
        const int Eq = Line.indexOf('=');
        if (Eq >= 0 && Line.mid(Eq + 1).compare(Name, Qt::CaseInsensitive) == 0) {
            Name = Line.left(Eq);
            break;
        }
    }
    MonitorFieldChange(1, Name);
    DoFieldChanged(Name);
    MonitorFieldChange(2, Name);
}

void TClasseTabela::FieldSetText(TFieldHook& Hook, TField* Sender, const QString& Text) {
    if (FInSetText) {
        Sender->SetAsString(Text);
        return;
    }
    QString NewText = Text;
    if (Hook.OnSetText) {
        Hook.OnSetText(Sender, Text);
        NewText = Sender->Text();
    }
    bool Accept = true;
    if (!FSuppressFieldHooks) DoValidateField(Sender->FieldName(), NewText, Accept);
    if (!Accept || Sender->Text() == NewText) return;
    FInSetText = true;
    try {
        Sender->SetAsString(NewText);
    } catch (...) {
        FInSetText = false;
        throw;
    }
    FInSetText = false;
}

void TClasseTabela::FieldValidate(TFieldHook& Hook, TField* Sender) {
    if (Hook.OnValidate) Hook.OnValidate(Sender);
    if (FInSetText || FSuppressFieldHooks || !FValidatesFields) return;
    bool Accept = true;
    DoValidateField(Sender->FieldName(), Sender->Text(), Accept);
    if (!Accept) throw EAbort();
}

bool TClasseTabela::Load(const QStringList& KeyFields, const QVariantList& KeyValues, TADOConnection* Connection) {
    return Load({}, KeyFields, KeyValues, {}, QString(), {}, {}, {}, 0, Connection, false);
}

bool TClasseTabela::Load(const QStringList& KeyFields, const QVariantList& KeyValues, const TOperadores& Operators,
                         TADOConnection* Connection) {
    return Load({}, KeyFields, KeyValues, Operators, QString(), {}, {}, {}, 0, Connection, false);
}

bool TClasseTabela::LoadWhere(const QString& Where, const QStringList& ParamNames, const QVariantList& ParamValues,
                              TADOConnection* Connection) {
    return Load({}, {}, {}, {}, Where, ParamNames, ParamValues, {}, 0, Connection, false);
}

bool TClasseTabela::LoadFields(const QStringList& Fields, const QStringList& KeyFields, const QVariantList& KeyValues,
                               TADOConnection* Connection) {
    return Load(Fields, KeyFields, KeyValues, {}, QString(), {}, {}, {}, 0, Connection, false);
}

bool TClasseTabela::LoadFields(const QStringList& Fields, const QStringList& KeyFields, const QVariantList& KeyValues,
                               const TOperadores& Operators, TADOConnection* Connection) {
    return Load(Fields, KeyFields, KeyValues, Operators, QString(), {}, {}, {}, 0, Connection, false);
}

bool TClasseTabela::LoadFieldsWhere(const QStringList& Fields, const QString& Where, const QStringList& ParamNames,
                                    const QVariantList& ParamValues, TADOConnection* Connection) {
    return Load(Fields, {}, {}, {}, Where, ParamNames, ParamValues, {}, 0, Connection, false);
}

bool TClasseTabela::Load(const QStringList& Fields, const QStringList& KeyFields, const QVariantList& KeyValues,
                         const TOperadores& Operators, const QString& Where, const QStringList& ParamNames,
                         const QVariantList& ParamValues, const QStringList& OrderBy, int Top,
                         TADOConnection* Connection, bool CreateEmpty) {
    if (FCheckPermissions) {
        Permissions().SetConnection(Connection);
        CheckPermission(paVisualizar);
    }
    if (Connection) FConnection = Connection;
    const bool Named = !FPositionalParams || (FColonDisablesPositional && Where.contains(':'));
    const QString Sql = SelectText(FCampos, {TableName(), Fields, KeyFields, Operators, Where, OrderBy, Top, Named});
    if (Sql.isEmpty()) return false;
    // Held here until bound, so a failure before that frees it too.
    auto Client = std::make_unique<TClientDataSet>(FInternalOwner);
    try {
        PrepareQuery(Sql, Named, KeyFields, KeyValues, Operators, ParamNames, ParamValues);
        DefineQueryFields(Fields);
        Client->SetProviderName(GetProviderName());
        Client->FieldDefs() = FQuery->FieldDefs();
        Client->CreateFields();
        // The previous dataset is freed here only when the table created it; an attached one lives on.
        BindDataSet(Client.get());
        FOwnsDataSet = true;
        TClientDataSet* Bound = Client.release();
        if (CreateEmpty) Bound->CreateDataSet();
        else Bound->Open();
        const bool Found = !Bound->IsEmpty();
        DoAfterLoad();
        return Found;
    } catch (const std::exception& E) {
        BindDataSet(nullptr);
        if (!dynamic_cast<const EAbort*>(&E))
            SessionMessages().AddMessage(QString(kLoadError).arg(TableName()), QString::fromUtf8(E.what()), controls::dkError,
                               controls::ButtonSet({controls::dbOK}), 0, 0);
        throw EAbort();
    }
}

int TClasseTabela::DeleteRecords(const QStringList& Fields, const QStringList& KeyFields,
                                 const QVariantList& KeyValues, const TOperadores& Operators, const QString& Where,
                                 const QStringList& ParamNames, const QVariantList& ParamValues,
                                 const QStringList& OrderBy, int Top, TADOConnection* Connection) {
    BeginSuppress();
    const auto Resume = qScopeGuard([] { EndSuppress(); });
    return InBatch([&] {
        BeginTransaction();
        try {
            const bool Found = Load(Fields, KeyFields, KeyValues, Operators, Where, ParamNames, ParamValues, OrderBy,
                                    Top, Connection, false);
            if (Found) {
                FDeleting = true;
                const auto Done = qScopeGuard([this] { FDeleting = false; });
                TDataSet* Rows = DataSet();
                while (!Rows->IsEmpty()) {
                    Rows->First();
                    Rows->Delete();
                }
            }
            CommitTransaction();
            return Found ? 2 : 1;
        } catch (const std::exception& E) {
            // Ends the whole nest: rows already deleted by this call come back.
            RollbackTransaction();
            if (!dynamic_cast<const EAbort*>(&E)) ShowDeleteError(QString::fromUtf8(E.what()));
            return 0;
        }
    });
}

int TClasseTabela::DeleteRecords(const QStringList& KeyFields, const QVariantList& KeyValues,
                                 TADOConnection* Connection) {
    return DeleteRecords({}, KeyFields, KeyValues, {}, QString(), {}, {}, {}, 0, Connection);
}

int TClasseTabela::DeleteRecords(const QStringList& KeyFields, const QVariantList& KeyValues,
                                 const TOperadores& Operators, TADOConnection* Connection) {
    return DeleteRecords({}, KeyFields, KeyValues, Operators, QString(), {}, {}, {}, 0, Connection);
}

int TClasseTabela::DeleteRecordsWhere(const QString& Where, const QStringList& ParamNames,
                                      const QVariantList& ParamValues, TADOConnection* Connection) {
    return DeleteRecords({}, {}, {}, {}, Where, ParamNames, ParamValues, {}, 0, Connection);
}

void TClasseTabela::PrepareQuery(const QString& Sql, bool Named, const QStringList& KeyFields,
                                 const QVariantList& KeyValues, const TOperadores& Operators,
                                 const QStringList& ParamNames, const QVariantList& ParamValues) {
    FQuery->Close();
    FQuery->SetConnection(&SessionConnection(FConnection));
    FQuery->SetCommandTimeout(DefaultCommandTimeout());
    FQuery->SetParamCheck(Named);
    FQuery->SetCommandText(Sql);
    TParameters& Params = FQuery->Parameters();
    if (!Named) Params.Clear();
    auto Assign = [&](const QString& Name, const QString& Marker, const QVariant& Value) {
        TParameter* Param = Named ? Params.FindParam(Marker) : &Params.AddParameter();
        if (!Param) return;
        if (!Named) Param->SetName(QString::number(Params.Count() - 1));
        if (const TCampoTabela* Campo = FindCampo(Name)) {
            Param->SetDataType(Campo->TipoDado);
            Param->SetPrecision(Campo->Precisao);
            Param->SetSize(Campo->Tamanho);
        }
        Param->SetValue(Value);
    };
    // In statement order: the markers of the Where text come before those of the conditions.
    for (int I = 0; I < ParamNames.size(); ++I) Assign(ParamNames[I], ParamNames[I], ParamValues.value(I));
    const QStringList Markers = ConditionMarkers(KeyFields);
    for (int I = 0; I < KeyFields.size(); ++I) {
        const TOperadorFiltro Operator = I < static_cast<int>(Operators.size()) ? Operators[I] : ofIgual;
        if (Operator != ofIsNull && Operator != ofIsNotNull) Assign(KeyFields[I], Markers[I], KeyValues.value(I));
    }
}

void TClasseTabela::DefineQueryFields(const QStringList& Fields) {
    FQuery->DestroyFields();
    TFieldDefs& Defs = FQuery->FieldDefs();
    Defs.Clear();
    if (FFieldDefsFromClass) {
        for (const TCampoTabela& Campo : FCampos) {
            if (!Fields.isEmpty() && !Campo.Chave && !Fields.contains(Campo.Nome, Qt::CaseInsensitive)) continue;
            Defs.Add(Campo.Nome, Campo.TipoDado, Campo.Tamanho).Precision = Campo.Precisao;
        }
    } else {
        FQuery->UpdateFieldDefs();
    }
    FQuery->SetStoreDefs(true);
    FQuery->CreateFields();
    for (TField* Field : FQuery->FieldList()) {
        const TCampoTabela* Campo = FindCampo(Field->FieldName());
        Field->SetProviderFlags(Campo && Campo->Chave ? pfInUpdate | pfInKey : pfInUpdate);
    }
}

int TClasseTabela::ApplyUpdates() {
    if (FUpdateLock > 0) {
        FApplyPending = true;
        return 1;
    }
    return InBatch([this] {
        auto* Client = qobject_cast<TClientDataSet*>(FDataSet.data());
        // One rejected row throws every cached change away, so the rows on screen match the table again.
        if (Client && Client->ApplyUpdates(1) > 0) {
            CancelUpdates();
            return 0;
        }
        FUpdateLock = 0;
        FApplyPending = false;
        DoAfterApplyUpdates();
        return 2;
    });
}

void TClasseTabela::BeginUpdate() {
    if (FUpdateLock == 0) FApplyPending = false;
    ++FUpdateLock;
}

void TClasseTabela::EndUpdate() {
    // An unmatched end must not leave the count below 0, where no later begin could defer again.
    if (FUpdateLock > 0) --FUpdateLock;
    if (FApplyPending && ApplyUpdates() == 0) throw EAbort();
}

void TClasseTabela::CancelUpdates() {
    InBatch([this] {
        if (auto* Client = qobject_cast<TClientDataSet*>(FDataSet.data())) Client->CancelUpdates();
        FUpdateLock = 0;
        FApplyPending = false;
        DoAfterCancelUpdates();
        return 0;
    });
}

void TClasseTabela::ShowError(const char* Text, const QString& Details) {
    SessionMessages().AddMessage(QString(Text).arg(Caption().toLower()), Details, controls::dkError,
                       controls::ButtonSet({controls::dbOK}), 0, 0);
}

void TClasseTabela::ShowUpdateError(const QString& Details) { ShowError(kUpdateError, Details); }
void TClasseTabela::ShowInsertError(const QString& Details) { ShowError(kInsertError, Details); }
void TClasseTabela::ShowDeleteError(const QString& Details) { ShowError(kDeleteError, Details); }
void TClasseTabela::ShowTotalError(const QString& Details) { ShowError(kTotalError, Details); }
void TClasseTabela::ShowNotFound() { ShowError(kNotFound, QString()); }

void TClasseTabela::CheckPermission(TPermissionAction Action) {
    ::dataaccess::CheckPermission(*this, Permissions(), Action);
}

TPermissaoClasse& TClasseTabela::Permissions() {
    if (!FPermissions)
        throw platform::os::Exception(
            QString("The table class %1 was created without CreateClasseTabela.").arg(ClassName()).toStdString());
    return *FPermissions;
}

bool TClasseTabela::RequiresControlPassword(TPermissionAction, QString&) { return false; }

int TClasseTabela::GetMinReasonLength(TPermissionAction) { return 1; }

void TClasseTabela::GetOperationDescription(QString& Text) {
    if (Text.isEmpty()) Text = Caption();
    Text = PermissionActionName(FLastAction) + " - " + Text;
}

bool TClasseTabela::Monitored() {
    const QMetaObject* Class = metaObject();
    const size_t Registrations = ComponentMonitorRegistrations();
    if (Class != FMonitoredClass || Registrations != FMonitorsSeen) {
        FMonitored = HasComponentMonitors(*Class);
        FMonitoredClass = Class;
        FMonitorsSeen = Registrations;
    }
    return FMonitored;
}

void TClasseTabela::DispatchMonitors(const QString& Label, const std::function<bool(IComponentMonitor&)>& Call,
                                     const std::function<void()>& OnFailure) {
    if (!Monitored()) return;
    const std::vector<TMonitorFactory> Monitors = ComponentMonitorsOf(*metaObject());
    if (Monitors.empty()) return;
    BeginSuppress();
    SessionMessages().BeginMessages();
    std::exception_ptr Failure;
    try {
        for (const TMonitorFactory& Create : Monitors) {
            std::unique_ptr<TComponentMonitor> Monitor(Create(this));
            if (!Call(*Monitor)) break;
        }
    } catch (const EAbort&) {
        if (OnFailure) OnFailure();
        Failure = std::current_exception();
    } catch (const std::exception& E) {
        if (OnFailure) OnFailure();
        SessionMessages().AddMessage(QString(kMonitorError).arg(Caption(), Label), QString::fromUtf8(E.what()),
                           controls::dkError, controls::ButtonSet({controls::dbOK}), 0, 0);
        Failure = std::make_exception_ptr(EAbort());
    }
    SessionMessages().EndMessages(true);
    EndSuppress();
    if (Failure) std::rethrow_exception(Failure);
}

bool TClasseTabela::MonitorValidate(int Kind, TPermissionAction Action, QString& Operation) {
    bool Result = false;
    DispatchMonitors(
        kValidateLabel,
        [&](IComponentMonitor& M) {
            Result = M.Validate(this, Kind, Action, Operation);
            return !Result;
        },
        [&] { Result = false; });
    return Result;
}

bool TClasseTabela::MonitorCanInsert(TMonitorPhase Phase, const TMasterFields& MasterFields,
                                     const TMasterValues& MasterValues) {
    bool Result = true;
    DispatchMonitors(
        kCanInsertLabel,
        [&](IComponentMonitor& M) {
            Result = M.CanInsert(this, Phase, MasterFields, MasterValues);
            return Result;
        },
        [&] { Result = false; });
    return Result;
}

void TClasseTabela::MonitorFieldChange(TMonitorPhase Phase, const QString& FieldName) {
    // Runs twice per field change: nothing is built for a table no monitor listens to.
    if (!Monitored()) return;
    DispatchMonitors(kFieldChangeLabel, [&](IComponentMonitor& M) {
        M.FieldChange(this, Phase, FieldName);
        return true;
    });
}

void TClasseTabela::MonitorNotify(TMonitorNotifyEvent Event, TMonitorPhase Phase) {
    // Runs up to ten times per edit: nothing is built for a table no monitor listens to.
    if (!Monitored()) return;
    DispatchMonitors(MonitorEventName(Event), [&](IComponentMonitor& M) {
        M.Notify(this, Event, Phase);
        return true;
    });
}

void TClasseTabela::MonitorError(TMonitorErrorEvent Event, TMonitorPhase Phase, EDatabaseError& E,
                                 TDataAction& Action) {
    DispatchMonitors(MonitorEventName(Event), [&](IComponentMonitor& M) {
        M.Error(this, Event, Phase, E, Action);
        return true;
    });
}

void TClasseTabela::MonitorReconcileError(TMonitorPhase Phase, EReconcileError& E, TReconcileAction& Action,
                                          TUpdateKind UpdateKind) {
    DispatchMonitors(kReconcileLabel, [&](IComponentMonitor& M) {
        M.ReconcileError(this, Phase, E, Action, UpdateKind);
        return true;
    });
}

int TClasseTabela::ApplyBlobUpdates() {
    if (FBlobUpdates.empty()) return 1;
    QStringList Conditions;
    std::vector<std::pair<const TCampoTabela*, QVariant>> Keys;
    for (const TCampoTabela& Campo : FCampos) {
        if (!Campo.Chave) continue;
        Conditions << QString("%1 = :%1").arg(Campo.Nome);
        TField* Field = DataSet()->FindField(Campo.Nome);
        Keys.emplace_back(&Campo, Field ? Field->Value() : QVariant());
    }
    if (Keys.empty()) return 1;
    BeginSuppress();
    const auto Resume = qScopeGuard([] { EndSuppress(); });
    return InBatch([&] {
        BeginTransaction();
        try {
            for (const TBlobUpdate& Update : FBlobUpdates) {
                TADOCommand Command;
                Command.SetConnection(&SessionConnection(FConnection));
                Command.SetCommandText(QString("Update %1 Set %2 = :%2 Where %3")
                                           .arg(TableName(), Update.FieldName, Conditions.join(" and ")));
                if (TParameter* Param = Command.Parameters().FindParam(Update.FieldName))
                    Param->LoadFromStream(*Update.Stream);
                for (const auto& [Campo, Value] : Keys) {
                    TParameter* Param = Command.Parameters().FindParam(Campo->Nome);
                    Param->SetDataType(Campo->TipoDado);
                    Param->SetValue(Value);
                }
                // Counted as written, the value would be lost without a word.
                if (Command.Execute() == 0) throw EDatabaseError(QString(kBlobRowMissing).arg(Update.FieldName));
            }
            CommitTransaction();
            FBlobUpdates.clear();
            return 2;
        } catch (const std::exception& E) {
            RollbackTransaction();
            if (!dynamic_cast<const EAbort*>(&E))
                SessionMessages().AddMessage(kBlobError, QString::fromUtf8(E.what()), controls::dkError,
                                   controls::ButtonSet({controls::dbOK}), 0, 0);
            return 0;
        }
    });
}

void TClasseTabela::QueueBlobUpdate(const QString& FieldName, std::unique_ptr<platform::os::TStream> Stream) {
    FBlobUpdates.push_back({FieldName, std::move(Stream)});
}

}  // namespace dataaccess
