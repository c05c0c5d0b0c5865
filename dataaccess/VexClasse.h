#pragma once
// The base of the framework's table classes. A subclass names its table, its
// display name and its columns; the base loads the table into a client dataset
// fed by a provider, routes every event of that dataset and of its fields
// through overridable hooks, permission checks and monitors, and applies the
// cached changes after each post and delete unless told to wait.
//
// Tables are built in two steps, because the columns and names come from
// virtual operations: create them with CreateClasseTabela<T>(Owner) (or by
// name through the registry), never with a bare new.
//
// Failures: an unknown column index raises kInvalidFieldIndex; a refusal the
// user was already told about (a failed apply) ends in a silent EAbort.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

#include "dataaccess/PermissaoLib.h"
#include "dataaccess/VexCampo.h"
#include "dataaccess/VexMonitor.h"
#include "platform/data/ADODB.h"
#include "platform/data/DBClient.h"

namespace platform::data {
class TADOQuery;
class TDataSetProvider;
}  // namespace platform::data

namespace dataaccess {

inline constexpr const char* kInvalidFieldIndex = "Invalid field name '%1' (Index %2).";
inline constexpr const char* kUpdateError = "Ocorreu um erro ao tentar atualizar o(a) %1.";
inline constexpr const char* kInsertError = "Ocorreu um erro ao tentar inserir o(a) %1.";
inline constexpr const char* kDeleteError = "Ocorreu um erro ao tentar excluir o(a) %1.";
inline constexpr const char* kTotalError = "Ocorreu um erro ao tentar totalizar o(a) %1.";
inline constexpr const char* kNotFound = "Não foi possível localizar o(a) %1.";
inline constexpr const char* kMonitorError = "Ocorreu algum erro no monitoramento do(a) '%1' (%2).";
inline constexpr const char* kBlobError = "Ocorreu algum erro ao tentar gravar os dados de um campo binário.";
inline constexpr const char* kBlobRowMissing = "Nenhum registro foi atualizado ao gravar o campo '%1'.";
inline constexpr const char* kFixedRecord = "Não é mais possível efetuar modificações no registro atual.";
inline constexpr const char* kFixedRecordHint =
    "Contacte o usuário administrador do sistema para gerenciar as suas permissões de acesso.";
inline constexpr const char* kConfirmFixedRecord =
    "O registro que você está tentando modificar está travado pelo sistema. Não é aconselhável fazer alterações "
    "neste registro.\r\nDeseja realmente continuar?";
inline constexpr const char* kMasterEmpty = "É preciso inserir um registro no cabeçalho antes de inserir um item.";
inline constexpr const char* kCaptionCodigo = "Código";
inline constexpr const char* kCaptionNumero = "Número";
inline constexpr const char* kLoadError = "Ocorreu algum erro ao tentar carregar o dataset da tabela '%1'.";

class TClasseTabela;

// Lets the table hear when its bound dataset is destroyed by someone else.
class TClasseTabelaOwner : public QObject {
    Q_OBJECT
public:
    explicit TClasseTabelaOwner(TClasseTabela* Table);
    TClasseTabela* Table() const { return FTable; }

private:
    TClasseTabela* FTable;
};

class TClasseTabela : public TComponentMonitor, public IPermissionTable {
    Q_OBJECT
public:
    explicit TClasseTabela(QObject* AOwner = nullptr);
    ~TClasseTabela() override;

    // The second construction step: provider name, permissions, numbering key and columns.
    void AfterConstruction();

    // Names and columns, answered by every subclass.
    virtual void GetTableName(QString& Name) = 0;
    void GetCaption(QString& Caption) override = 0;
    QString TableName();
    QString Caption();
    // The class name without namespace, "TUsuario".
    QString ClassName() const;
    // "prvTUsuarioProdiver" for TUsuario (the spelling is part of stored forms).
    QString GetProviderName() const;

    // Columns.
    const std::vector<TCampoTabela>& Campos() const { return FCampos; }
    void AddField(const TCampoTabela& Field) { FCampos.push_back(Field); }
    virtual void AddFields(const std::vector<TCampoTabela>& Fields);
    // The first column with Index as Indice; nullptr when none has it.
    const TCampoTabela* FindCampo(int Index) const;
    // The column of that name, ignoring case; nullptr when none has it.
    const TCampoTabela* FindCampo(const QString& Name) const;

    // Access by Indice through the bound dataset (loading it on demand).
    platform::data::TField* FieldByIndex(int Index);
    void SetValue(int Index, const QVariant& Value);
    void SetAsSmallInt(int Index, int16_t Value);
    void SetAsInteger(int Index, int32_t Value);
    void SetAsString(int Index, const QString& Value);
    QString GetAsString(int Index);
    int GetAsInteger(int Index);

    // Writes Value with the key, reference and zero-date rules; a nil field is ignored.
    void SetFieldValue(platform::data::TField* Field, const QVariant& Value);
    // Names the bound dataset lacks are skipped; with nothing bound nothing is written.
    virtual void SetFieldValues(const QStringList& Names, const QVariantList& Values);
    virtual void SetFieldValue(const QString& Name, const QVariant& Value);

    // Snapshot of every field (Null when Clear), taken before edit, insert and delete.
    void SaveFieldValues(bool Clear);
    // The saved value of a field, ignoring case; Unassigned when none was saved.
    QVariant SavedFieldValue(const QString& FieldName) const;

    // The bound dataset, loaded (empty, or with the table's columns and no row) when nothing is bound.
    platform::data::TDataSet* DataSet();
    platform::data::TDataSet* BoundDataSet() const { return FDataSet; }
    platform::data::TDataSource* DataSource() const { return FDataSource; }
    // The provider and query behind loaded datasets, for components that hook their events.
    platform::data::TDataSetProvider* Provider() const { return FProvider; }
    platform::data::TADOQuery* Query() const { return FQuery; }
    // Binds a dataset somebody else created; the table never frees it.
    virtual void AttachDataSet(platform::data::TDataSet* Value);
    // Unbinds the current dataset (freeing it when the table created it), then binds Value (nullptr: none).
    void BindDataSet(platform::data::TDataSet* Value);

    // Reads the table into a new client dataset bound to the table; true when it holds a row.
    virtual bool Load(const QStringList& Fields, const QStringList& KeyFields, const QVariantList& KeyValues,
                      const TOperadores& Operators, const QString& Where, const QStringList& ParamNames,
                      const QVariantList& ParamValues, const QStringList& OrderBy, int Top,
                      platform::data::TADOConnection* Connection, bool CreateEmpty);
    virtual bool Load(const QStringList& KeyFields, const QVariantList& KeyValues,
                      platform::data::TADOConnection* Connection = nullptr);
    // The shorter forms; distinct names keep braced arguments from matching two of them.
    bool Load(const QStringList& KeyFields, const QVariantList& KeyValues, const TOperadores& Operators,
              platform::data::TADOConnection* Connection = nullptr);
    bool LoadWhere(const QString& Where, const QStringList& ParamNames, const QVariantList& ParamValues,
                   platform::data::TADOConnection* Connection = nullptr);
    bool LoadFields(const QStringList& Fields, const QStringList& KeyFields, const QVariantList& KeyValues,
                    platform::data::TADOConnection* Connection = nullptr);
    bool LoadFields(const QStringList& Fields, const QStringList& KeyFields, const QVariantList& KeyValues,
                    const TOperadores& Operators, platform::data::TADOConnection* Connection = nullptr);
    bool LoadFieldsWhere(const QStringList& Fields, const QString& Where, const QStringList& ParamNames,
                         const QVariantList& ParamValues, platform::data::TADOConnection* Connection = nullptr);

    // Deletes every row the load finds, through the delete pipeline, in one transaction with prompts suppressed:
    // 0 failed (nothing deleted, the error shown), 1 no row matched, 2 deleted.
    int DeleteRecords(const QStringList& Fields, const QStringList& KeyFields, const QVariantList& KeyValues,
                      const TOperadores& Operators, const QString& Where, const QStringList& ParamNames,
                      const QVariantList& ParamValues, const QStringList& OrderBy, int Top,
                      platform::data::TADOConnection* Connection);
    int DeleteRecords(const QStringList& KeyFields, const QVariantList& KeyValues,
                      platform::data::TADOConnection* Connection = nullptr);
    int DeleteRecords(const QStringList& KeyFields, const QVariantList& KeyValues, const TOperadores& Operators,
                      platform::data::TADOConnection* Connection = nullptr);
    int DeleteRecordsWhere(const QString& Where, const QStringList& ParamNames, const QVariantList& ParamValues,
                           platform::data::TADOConnection* Connection = nullptr);

    // Cached updates: 0 failed (every cached change discarded), 1 deferred, 2 applied.
    int ApplyUpdates();
    virtual void BeginUpdate();
    virtual void EndUpdate();
    virtual void CancelUpdates();
    int UpdateLockCount() const { return FUpdateLock; }
    bool ApplyPending() const { return FApplyPending; }

    // Messages added to the message batch with the display name in lower case.
    virtual void ShowUpdateError(const QString& Details);
    virtual void ShowInsertError(const QString& Details);
    virtual void ShowDeleteError(const QString& Details);
    virtual void ShowTotalError(const QString& Details);
    virtual void ShowNotFound();

    // Permissions.
    void CheckPermission(TPermissionAction Action);
    // Raises when the table skipped its second construction step.
    TPermissaoClasse& Permissions();
    bool MonitorValidate(int Kind, TPermissionAction Action, QString& Operation) override;
    bool RequiresControlPassword(TPermissionAction Action, QString& Operation) override;
    int GetMinReasonLength(TPermissionAction Action) override;
    void GetOperationDescription(QString& Text) override;
    void SetLastAction(TPermissionAction Action) override { FLastAction = Action; }
    TPermissionAction LastAction() const { return FLastAction; }
    platform::data::TADOConnection* Connection() const override { return FConnection; }
    void SetConnection(platform::data::TADOConnection* Value) { FConnection = Value; }

    // Monitor dispatch over the monitors registered for exactly this class.
    virtual bool MonitorCanInsert(TMonitorPhase Phase, const TMasterFields& MasterFields,
                                  const TMasterValues& MasterValues);
    virtual void MonitorFieldChange(TMonitorPhase Phase, const QString& FieldName);
    virtual void MonitorNotify(TMonitorNotifyEvent Event, TMonitorPhase Phase);
    virtual void MonitorError(TMonitorErrorEvent Event, TMonitorPhase Phase, platform::data::EDatabaseError& E,
                              platform::data::TDataAction& Action);
    virtual void MonitorReconcileError(TMonitorPhase Phase, platform::data::EReconcileError& E,
                                       platform::data::TReconcileAction& Action,
                                       platform::data::TUpdateKind UpdateKind);

    // Binary columns written after the next post; the table takes the stream.
    void QueueBlobUpdate(const QString& FieldName, std::unique_ptr<platform::os::TStream> Stream);
    const std::vector<TBlobUpdate>& BlobUpdates() const { return FBlobUpdates; }
    void DiscardBlobUpdates() { FBlobUpdates.clear(); }
    // Writes the queued values into the current row by its key, in one transaction: 0 failed (the error shown,
    // nothing written), 1 nothing to write or no key column, 2 written (the queue emptied).
    int ApplyBlobUpdates();

    // Settings.
    bool CheckPermissions() const { return FCheckPermissions; }
    void SetCheckPermissions(bool Value) { FCheckPermissions = Value; }
    bool ManualApply() const { return FManualApply; }
    void SetManualApply(bool Value) { FManualApply = Value; }
    bool KeepZeroDates() const { return FKeepZeroDates; }
    void SetKeepZeroDates(bool Value) { FKeepZeroDates = Value; }
    bool ForceWrite() const { return FForceWrite; }
    void SetForceWrite(bool Value) { FForceWrite = Value; }
    bool CreateEmptyOnDemand() const { return FCreateEmptyOnDemand; }
    void SetCreateEmptyOnDemand(bool Value) { FCreateEmptyOnDemand = Value; }
    bool FieldDefsFromClass() const { return FFieldDefsFromClass; }
    void SetFieldDefsFromClass(bool Value) { FFieldDefsFromClass = Value; }
    bool PositionalParams() const { return FPositionalParams; }
    void SetPositionalParams(bool Value) { FPositionalParams = Value; }
    bool ColonDisablesPositional() const { return FColonDisablesPositional; }
    void SetColonDisablesPositional(bool Value) { FColonDisablesPositional = Value; }
    bool SkipFixedCheck() const { return FSkipFixedCheck; }
    void SetSkipFixedCheck(bool Value) { FSkipFixedCheck = Value; }
    bool SkipAutoNumbering() const { return FSkipAutoNumbering; }
    void SetSkipAutoNumbering(bool Value) { FSkipAutoNumbering = Value; }
    bool RenameCode() const { return FRenameCode; }
    void SetRenameCode(bool Value) { FRenameCode = Value; }
    bool SuppressFieldHooks() const { return FSuppressFieldHooks; }
    void SetSuppressFieldHooks(bool Value) { FSuppressFieldHooks = Value; }
    // False when the class keeps the empty DoValidateField: a written value then formats no text for it.
    // CreateClasseTabela tells it from the class; a table made otherwise calls the hook.
    bool ValidatesFields() const { return FValidatesFields; }
    void SetValidatesFields(bool Value) { FValidatesFields = Value; }
    bool SkipPostPipeline() const { return FSkipPostPipeline; }
    void SetSkipPostPipeline(bool Value) { FSkipPostPipeline = Value; }
    bool SkipDeletePipeline() const { return FSkipDeletePipeline; }
    void SetSkipDeletePipeline(bool Value) { FSkipDeletePipeline = Value; }
    bool Deleting() const { return FDeleting; }
    void SetDeleting(bool Value) { FDeleting = Value; }
    QString NumberingKey() const { return FNumberingKey; }
    TClasseTabela* NumberingDelegate() const { return FNumberingDelegate; }
    void SetNumberingDelegate(TClasseTabela* Value) { FNumberingDelegate = Value; }
    // Lines alias=column: a column change is reported under its alias.
    QStringList& ColumnAliases() { return FColumnAliases; }
    platform::data::TDataSetState StateAtPost() const { return FStateAtPost; }

    std::function<void(TMasterFields& MasterFields, TMasterValues& MasterValues)> OnMasterValues;

    // Rows with a true Fixo: refused for a user who is not a data moderator (EDesktopError), else confirmed;
    // true means the change is abandoned.
    virtual bool CheckFixedRecord();
    // A detail row needs a master row; its key values are offered to the monitors and CanInsertDetail, any of
    // which may refuse (a silent abort).
    virtual void CheckMasterRecord();

    // Numbering: lines "name=caption" of the numbered columns, Codigo and Numero by default.
    virtual void GetNumberedFields(QStringList& List);
    virtual bool GetNumberedFieldCaption(const QString& Name, QString& Caption);
    // False when the column has no default numbering.
    virtual bool GetNumberingDefaults(const QString& Name, QString& Mask, int& Digits, int& Reset);
    // Both answer for the numbering delegate when there is one.
    bool HasNumbering();
    void ConfigureNumbering();

protected:
    virtual void DefineFields() = 0;
    virtual void DoAfterLoad() {}
    virtual void DoAfterCancel() {}
    virtual void DoAfterClose() {}
    virtual void DoAfterDelete() {}
    virtual void DoAfterEdit() {}
    virtual void DoAfterInsert() {}
    virtual void DoAfterOpen() {}
    virtual void DoAfterPost() {}
    virtual void DoAfterRefresh() {}
    virtual void DoAfterScroll() {}
    virtual void DoAfterApplyUpdates() {}
    virtual void DoAfterCancelUpdates() {}
    virtual void DoBeforeCancel() {}
    virtual void DoBeforeClose() {}
    virtual void DoBeforeDelete() {}
    virtual void DoBeforeEdit() {}
    virtual void DoBeforeInsert() {}
    virtual void DoBeforeOpen() {}
    virtual void DoBeforePost() {}
    virtual void DoBeforeScroll() {}
    virtual void DoCalcFields() {}
    virtual void DoDeleteError(platform::data::EDatabaseError&, platform::data::TDataAction&) {}
    virtual void DoEditError(platform::data::EDatabaseError&, platform::data::TDataAction&) {}
    virtual void DoReconcileError(platform::data::EReconcileError&, platform::data::TUpdateKind,
                                  platform::data::TReconcileAction&) {}
    virtual void DoNewRecord() {}
    virtual void DoPostError(platform::data::EDatabaseError&, platform::data::TDataAction&) {}
    virtual void DoValidateField(const QString&, const QString&, bool&) {}
    virtual void DoFieldChanged(const QString&) {}
    virtual bool CanInsertDetail(const TMasterFields&, const TMasterValues&) { return true; }

private:
    struct TInterceptedEvent;
    struct TSavedHandlers;
    struct TFieldHook;
    static const std::vector<TInterceptedEvent>& InterceptedEvents();

    void Unbind();
    void Bind(platform::data::TDataSet* Value);
    void HookField(platform::data::TField* Field);
    void DataSetEvent(const TInterceptedEvent& Event, platform::data::TDataSet* Sender);
    void PlainSequence(const TInterceptedEvent& Event, platform::data::TDataSet* Sender);
    void ErrorEvent(TMonitorErrorEvent Event, platform::data::TDataSet* Sender, platform::data::EDatabaseError& E,
                    platform::data::TDataAction& Action);
    void ReconcileEvent(platform::data::TClientDataSet* Sender, platform::data::EReconcileError& E,
                        platform::data::TUpdateKind UpdateKind, platform::data::TReconcileAction& Action);
    // Ends the transaction this table began for the current post or delete, if any.
    void EndTransaction(bool Commit);
    // Runs Steps, rolling back the table's transaction when they raise.
    void RollbackOnFailure(const std::function<void()>& Steps);
    // Fills the numbered columns of a new row through the numbering service.
    void NumberNewRecord();
    void FieldChanged(TFieldHook& Hook, platform::data::TField* Sender);
    void FieldSetText(TFieldHook& Hook, platform::data::TField* Sender, const QString& Text);
    void FieldValidate(TFieldHook& Hook, platform::data::TField* Sender);
    // Whether a monitor listens to this class, kept until the registry grows.
    bool Monitored();
    // Runs Call for every monitor of this class; Keep false stops the loop.
    void DispatchMonitors(const QString& Label, const std::function<bool(IComponentMonitor&)>& Call,
                          const std::function<void()>& OnFailure = {});
    void ShowError(const char* Text, const QString& Details);
    void PrepareQuery(const QString& Sql, bool Named, const QStringList& KeyFields, const QVariantList& KeyValues,
                      const TOperadores& Operators, const QStringList& ParamNames, const QVariantList& ParamValues);
    void DefineQueryFields(const QStringList& Fields);

    int FUpdateLock = 0;
    bool FApplyPending = false;
    TClasseTabelaOwner* FInternalOwner;
    platform::data::TDataSetProvider* FProvider;
    platform::data::TADOQuery* FQuery;
    // The current fields' names and values first, in field order; names saved from earlier field lists follow.
    std::vector<QString> FSavedNames;
    std::vector<QVariant> FSavedValues;
    const QMetaObject* FMonitoredClass = nullptr;
    size_t FMonitorsSeen = 0;
    bool FMonitored = false;
    std::vector<TCampoTabela> FCampos;
    QPointer<platform::data::TDataSet> FDataSet;
    bool FOwnsDataSet = false;
    QPointer<platform::data::TADOConnection> FConnection;
    platform::data::TDataSource* FDataSource;
    std::unique_ptr<TSavedHandlers> FSavedHandlers;
    std::unique_ptr<TPermissaoClasse> FPermissions;
    bool FCheckPermissions = true;
    bool FSkipFixedCheck = false;
    bool FSkipAutoNumbering = false;
    bool FRenameCode = false;
    QString FNumberingKey;
    QPointer<TClasseTabela> FNumberingDelegate;
    bool FDeleting = false;
    bool FSuppressFieldHooks = false;
    bool FValidatesFields = true;
    bool FSkipPostPipeline = false;
    bool FSkipDeletePipeline = false;
    TPermissionAction FLastAction = paVisualizar;
    platform::data::TDataSetState FStateAtPost = platform::data::dsInactive;
    bool FTransactionStarted = false;
    std::vector<std::unique_ptr<TFieldHook>> FFieldHooks;
    bool FInSetText = false;
    bool FManualApply = false;
    std::vector<TBlobUpdate> FBlobUpdates;
    QStringList FColumnAliases;
    bool FForceWrite = false;
    bool FKeepZeroDates = false;
    bool FCreateEmptyOnDemand = true;
    bool FFieldDefsFromClass = true;
    bool FPositionalParams = true;
    bool FColonDisablesPositional = true;
    QMetaObject::Connection FFreeNotification;
};

// Whether T, or a class between it and TClasseTabela, overrides DoValidateField: the derived probe may name the
// protected hook, and its pointer's class is the one that declares it.
template <class T>
struct TValidateFieldProbe : T {
    static constexpr bool Overridden =
        !std::is_same_v<decltype(&TValidateFieldProbe::DoValidateField),
                        void (TClasseTabela::*)(const QString&, const QString&, bool&)>;
};

// Creates a table of class T and finishes its construction.
template <class T>
T* CreateClasseTabela(QObject* Owner = nullptr) {
    T* Table = new T(Owner);
    Table->SetValidatesFields(TValidateFieldProbe<T>::Overridden);
    Table->AfterConstruction();
    return Table;
}

}  // namespace dataaccess
