#pragma once
// A division: one working area of a business screen, with a caption, a host
// that may gate its operations, and a place in a master/detail tree through
// which updates propagate. TVexDBDivisao governs one data source: it builds
// the Select of its dataset from a base command, filters, parameter items, the
// master relation and a record limit; gates insert, edit and delete through
// its host; keeps refresh requests until no dataset of its tree is editing;
// re-reads one record or everything; locates records by key values through its
// master; and asks to save pending changes before its screen closes.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

#include "databound/CamposDivisao.h"
#include "databound/ConditionOwner.h"
#include "databound/ConditionParameters.h"
#include "databound/DataSetParametros.h"
#include "databound/FerramentasDivisao.h"
#include "databound/FiltroDivisao.h"
#include "databound/RefreshSettings.h"
#include "databound/ValoresPossiveis.h"
#include "platform/data/DB.h"

namespace dataaccess {
class TDivisionHost;
class TVexDBIni;
class TVexModulo;
}  // namespace dataaccess
namespace platform::ui {
struct TMessage;
}
namespace platform::data {
class TADOConnection;
class TClientDataSet;
class TCustomADODataSet;
class TDataSetProvider;
class TDataSource;
class TField;
}  // namespace platform::data

namespace databound {

class TDivisionFieldRules;
class TDivisionRules;

inline constexpr const char* kUnsavedChangesQuestion =
    "Existem alterações em algum registro que ainda não foram salvas em '%1'. Deseja gravar estas alterações?";

class TDivisao : public QObject {
    Q_OBJECT
public:
    // Registers the division in the process-wide division list; destruction takes it out.
    explicit TDivisao(QObject* AOwner = nullptr);
    ~TDivisao() override;

    bool AjustaControls() const { return FAjustaControls; }
    // Outside loading it can only be switched on, which arranges the owner's controls.
    void SetAjustaControls(bool Value);
    QString Nome() const { return FNome; }
    // Names the companion components after the division (underscores left out).
    virtual void SetNome(const QString& Value);
    QString Caption() const { return FCaption; }
    virtual void SetCaption(const QString& Value) { FCaption = Value; }
    QString BaseCaption() const { return FBaseCaption; }
    TDivisao* Master() const { return FMaster; }
    // Also moves the division to the new master's details and recaptions it.
    void SetMaster(TDivisao* Value);
    QList<TDivisao*> Details() const;
    QObject* Acoes() const { return FAcoes; }
    void SetAcoes(QObject* Value) { FAcoes = Value; }
    // The related component: the window the division's grid tells about double clicks. Cleared when it goes away.
    QObject* Relacionado() const { return FRelacionado; }
    void SetRelacionado(QObject* Value) { FRelacionado = Value; }
    // Without a host every operation is allowed and nothing is sent.
    dataaccess::TDivisionHost* Host() const { return FHost; }
    void SetHost(dataaccess::TDivisionHost* Value) { FHost = Value; }
    // The module the division belongs to; cleared when the module goes away.
    dataaccess::TVexModulo* Modulo() const;
    void SetModulo(dataaccess::TVexModulo* Value);
    TFerramentasDivisao& Ferramentas() { return FFerramentas; }
    const TFerramentasDivisao& Ferramentas() const { return FFerramentas; }
    bool Ativa() const { return FAtiva; }
    bool Propagating() const { return FPropagating; }
    bool Handled() const { return FHandled; }
    void SetHandled(bool Value) { FHandled = Value; }
    // While loading, setters keep stored values and run none of their side effects.
    bool Loading() const { return FLoading; }
    void SetLoading(bool Value) { FLoading = Value; }

    // "<own caption> (<master's caption>)" with a master, else the own caption.
    virtual void MasterChanged();
    virtual bool CloseQuery();
    virtual void AddRefreshSettings(const TRefreshSettings* Settings);
    // Raises OnAtualizaDivisao and, unless handled, updates the whole master tree but this division's own subtree.
    virtual void AtualizaDivisao();
    virtual void Activate();
    virtual void Deactivate();

    std::function<void(TDivisao* Sender, TDivisao* Master)> OnMasterChanged;
    std::function<void(TDivisao* Sender, bool& CanClose)> OnCloseQuery;
    std::function<void(TDivisao* Sender, const TRefreshSettings* Settings)> OnAddRefreshSettings;
    std::function<void(TDivisao* Sender)> OnAtualizaDivisao, OnActivate, OnDeactivate;
    // Raised by the application around the life of the division's screen (see DivisionScreen.h).
    std::function<void(QObject* Sender)> BeforeCreate;
    std::function<void(TDivisao* Sender, dataaccess::TVexDBIni* Ini)> OnCreate, OnDestroy;
    std::function<void(TDivisao* Sender, platform::ui::TMessage& Message)> OnRelacaoMessage;

protected:
    // Sets a component's name without underscores, when the component exists and its name differs.
    static void ApplyName(QObject* Component, const QString& Format, const QString& Nome);

private:
    void Propagate(TDivisao* Node, TDivisao* Origin);

    QString FNome, FCaption, FBaseCaption;
    QPointer<TDivisao> FMaster;
    QList<QPointer<TDivisao>> FDetails;
    QPointer<QObject> FAcoes, FRelacionado, FModulo;
    TFerramentasDivisao FFerramentas{this};
    dataaccess::TDivisionHost* FHost = nullptr;
    bool FAtiva = false, FPropagating = false, FHandled = false, FLoading = false, FAjustaControls = false;
};

class TVexDBDivisao : public TDivisao, public TConditionOwner {
    Q_OBJECT
public:
    explicit TVexDBDivisao(QObject* AOwner = nullptr);
    ~TVexDBDivisao() override;

    QString Nome() const override { return TDivisao::Nome(); }
    void SetNome(const QString& Value) override;
    void SetParamsChanged() override { FParamsChanged = true; }
    TSearchTarget SearchTarget(const platform::data::TField& Field) const override;
    bool ParamsChanged() const { return FParamsChanged; }

    platform::data::TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(platform::data::TDataSource* Value);
    QObject* Grid() const { return FGrid; }
    void SetGrid(QObject* Value) { FGrid = Value; }
    QObject* Frame() const { return FFrame; }
    void SetFrame(QObject* Value) { FFrame = Value; }
    // Also captions the frame when the frame is a tab page.
    void SetCaption(const QString& Value) override;
    // The rules of the field configuration unless others were set; nullptr brings those back.
    TDivisionRules* Rules() const { return FRules; }
    void SetRules(TDivisionRules* Value);
    TDivisionFieldRules& FieldRules() const { return *FFieldRules; }
    // The main table (Campos.Tabela); refresh requests for it (or for TabelasRefresh) are accepted.
    QString Tabela() const { return FCampos.Tabela(); }
    void SetTabela(const QString& Value) { FCampos.SetTabela(Value); }
    TFiltrosDivisao& Filtros() { return FFiltros; }
    TDataSetParametros& Parametros() { return FParametros; }
    TAjustaCampos& Campos() { return FCampos; }
    const TAjustaCampos& Campos() const { return FCampos; }
    TEspecializacao& Especializacao() { return FEspecializacao; }
    const TEspecializacao& Especializacao() const { return FEspecializacao; }
    QStringList TabelasRefresh, FiltroWhere;
    bool MensagensAtualizar = true;
    // Registered class name of the table class used for searches.
    QString NomeClasse;
    // Whether the search combo opens expanded unless the user chose otherwise.
    bool ComboModoAbertoComoPadrao = true;
    bool SuspendDetailRefresh = false;
    bool SuspendLookups = false;                 // search fields fill no join or lookup fields
    bool SuspendSpecializationUpdates = false;   // provider rows count as applied; companions are not written
    bool SuspendDefaultValues = false;
    bool SuspendRequiredCheck = false;
    int RecordLimit = -1;
    int ActiveLimit() const { return FActiveLimit; }
    QString BaseCommandText() const { return FBaseCommandText; }
    // Comma-separated, of equal length: DetailFields entry i refers to the master's MasterFields entry i.
    QString MasterFields, DetailFields, ExtraMasterCondition;
    QStringList MasterFieldNames() const;
    QStringList DetailFieldNames() const;
    platform::data::TADOConnection* Connection() const { return FConnection; }
    const TRefreshSettingsList& RefreshSettingsList() const { return FPending; }

    // Takes the base command, installs the hooks and binds the connection; call once the division is set up.
    void Loaded();
    platform::data::TDataSet* GetDataSet() const;
    platform::data::TDataSetProvider* GetProvider() const;
    platform::data::TCustomADODataSet* GetProviderDataSet() const;

    // Values as "Name=Value" lines; the values are bound as parameters of their fields' types.
    bool LocateValues(const QStringList& Values);
    void RefreshRecord(const QStringList& Names, const QVariantList& Values, bool RebuildIfChanged);
    void RefreshAll(bool RebuildIfChanged) { RefreshRecord({}, {}, RebuildIfChanged); }
    // Target nullptr: the provider dataset.
    void ApplyCommandText(platform::data::TCustomADODataSet* Target, bool CountOnly);
    QString BuildCommandText(QList<TParametroMaster>& MasterParams, bool CountOnly) const;
    void CheckRecordLimit();

    // The special values of the registered providers for a field, then the application's.
    void GetValoresPossiveisFiltro(platform::data::TField& Field, TValoresPossiveisFiltro& Lista);
    std::function<void(TVexDBDivisao* Sender, platform::data::TField& Field, TValoresPossiveisFiltro& Lista)>
        OnGetValoresPossiveisFiltro;

    // Asks the host for a search in the division the field's item references and stores the chosen key;
    // false when the item is no search field or nothing was chosen.
    bool SearchByKey(platform::data::TField& Field);
    // The restriction of the rows a search field may pick; empty when none.
    QString MasterFilterCondition(const TConfigCampo& Config) const;
    // May change the value of each :Name token of a master filter before it is pasted in.
    std::function<void(const TVexDBDivisao* Sender, const TConfigCampo& AConfig, const QString& AParam,
                       QVariant& AValue)>
        OnGetValoresMasterFilter;

    // Data labels showing this division's fields (each an IDivisionLabel); they bind again when an item's
    // Tipos or AutoSearch change.
    void RegisterLabel(QObject* Label);
    void UnregisterLabel(QObject* Label);
    QList<QObject*> Labels() const;
    void ReBindLabels();

    bool CloseQuery() override;
    void AddRefreshSettings(const TRefreshSettings* Settings) override;
    void AtualizaDivisao() override;

private:
    struct THandlers;
    void InstallHooks(platform::data::TDataSet* DataSet);
    void RemoveHooks();
    // Each search field fills its join and lookup fields after the change handler it had.
    void InstallLookupHandlers();
    void InstallProviderHooks(platform::data::TDataSetProvider* Provider);
    void RemoveProviderHooks();
    bool HostAllows(int Operation);
    void RelockReadOnly();
    QStringList KeyFieldNames() const;
    // "Name=Value" of each key field of the current record.
    QStringList CurrentKey() const;
    // The current record holds every "Name=Value" of the list.
    bool CurrentKeyIs(const QStringList& Values) const;
    // "(Origin = :RefreshKeyN)" for each key field of the current record, its value added to Params.
    QStringList KeyConditions(const platform::data::TDataSet& DataSet, QList<TParametroMaster>& Params) const;
    // Re-read the current record alone, through the provider or through a second command.
    void RefreshCurrentRecord(platform::data::TClientDataSet& Client);
    void RefreshCurrentRecord(platform::data::TCustomADODataSet& Query);
    // A dataset of the division's master/detail tree (or one linked to them) is editing.
    bool TreeEditing() const;

    QPointer<platform::data::TDataSource> FDataSource;
    QPointer<QObject> FGrid, FFrame;
    std::unique_ptr<TDivisionFieldRules> FFieldRules;
    TDivisionRules* FRules = nullptr;
    // Search fields whose change handler the division chained, with the handler it replaced.
    QList<QPair<QPointer<platform::data::TField>, std::function<void(platform::data::TField*)>>> FSearchFields;
    TFiltrosDivisao FFiltros{this};
    TDataSetParametros FParametros{this};
    TAjustaCampos FCampos{this};
    TEspecializacao FEspecializacao;
    QList<QPointer<QObject>> FLabels;
    TRefreshSettingsList FPending;
    bool FParamsChanged = false;
    bool FLocating = false;
    int FActiveLimit = -1;
    QString FBaseCommandText;
    platform::data::TADOConnection* FConnection = nullptr;
    QList<QPointer<platform::data::TField>> FReadOnlyFields;
    QPointer<platform::data::TDataSet> FHookedDataSet;
    QPointer<platform::data::TDataSetProvider> FHookedProvider;
    std::unique_ptr<THandlers> FSaved;
};

// The master relation of a division: its detail fields limited to what its master selects; empty without a
// master division. The master's command parameters are added to MasterParams when given. A master field
// missing from the master's dataset raises "Field '<name>' not found".
QString BuildMasterCondition(const TVexDBDivisao& Divisao, QList<TParametroMaster>* MasterParams);

}  // namespace databound
