#pragma once
// The lookup search combo: a small borderless window opened under a reference
// field that lists the rows of the referenced screen's table, filters them as
// the user types and writes the chosen row's key into the field. When the
// field has no usable search configuration the combo is not shown and the
// caller handles the key itself; database errors while opening propagate, an
// invalid client filter is told to the user.
#include <QChar>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <Qt>
#include <memory>

#include "platform/data/DataTypes.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Messages.h"

class QKeyEvent;
class QLabel;
class QLineEdit;
class QToolButton;

namespace platform::data {
class TADOQuery;
class TDataSource;
class TField;
}  // namespace platform::data
namespace platform::ui {
class TMenuItem;
class TPopupMenu;
}  // namespace platform::ui
namespace dataaccess {
class TVexDBIni;
}

namespace databound {

class TVexDBDivisao;
class TVexDBGrid;

// Sent to the opening control before a row is applied; first parameter: a TAllowApplyOptions*.
inline constexpr platform::ui::UINT WM_COMBOALLOWAPPLY = platform::ui::WM_APP + 55;
// Sent to the opening control before the grid is positioned; first parameter: the field's value (QVariant*).
inline constexpr platform::ui::UINT WM_COMBOCURRENTVALUE = platform::ui::WM_APP + 56;
// Posted by the combo to itself: select the whole search text.
inline constexpr platform::ui::UINT WM_COMBOSELECTTEXT = platform::ui::WM_APP + 57;

inline constexpr const char* kComboNotFoundFor = "Não foi encontrado nenhum registro para %1 igual a '%2'.";
inline constexpr const char* kComboNotFound = "Não foi encontrado nenhum registro para %1.";
inline constexpr const char* kComboInvalidFilter = "A palavra especificada não é válida para o filtro.";
inline constexpr const char* kComboFromWordStart = "Pesquisar no início da palavra";
inline constexpr const char* kComboOpenByDefault = "Modo aberto como padrão";
inline constexpr const char* kComboVisibleFields = "Campos visíveis";
// The expanded height never goes this low.
inline constexpr int kComboMinHeight = 88;

// One column of the combo.
struct TComboSelectField {
    QString FieldName, DisplayLabel;
    QString DisplayFormat;  // a Boolean field's display values, else the display format
    QString PickList, PickListEx;  // comma text
    QString Origin;  // the column's SQL expression
    platform::data::TAlignment Alignment = platform::data::taLeftJustify;
    int Width = 0;
    bool Visible = false;
    bool Searchable = false;  // a string field; only visible searchable columns are searched
};

class TComboSelectFields {
public:
    void Add(const TComboSelectField& Field) { FItems.append(Field); }
    int Count() const { return int(FItems.size()); }
    TComboSelectField Items(int Index) const { return FItems.at(Index); }
    // The column of that name (ignoring case); nullptr when none.
    const TComboSelectField* Find(const QString& FieldName) const;

private:
    QList<TComboSelectField> FItems;
};

// What happens when a row is applied; the opening control may change it.
struct TAllowApplyOptions {
    QVariant Value;  // the key
    QString Text;    // the search text
    bool ShowNotFound = true, Reopen = true, Apply = true, CloseCombo = true, SendEnter = false;
};

class TfrmCustomCombo : public platform::ui::TCustomForm {
    Q_OBJECT
public:
    explicit TfrmCustomCombo(QWidget* AOwner);
    ~TfrmCustomCombo() override;

    // The combo open now, or nullptr.
    static TfrmCustomCombo* Current();

    platform::data::TField* Field() const { return FField; }
    QString KeyFieldName() const { return FKeyFieldName; }
    const TComboSelectFields& Fields() const { return FFields; }
    QString CommandText() const { return FCommandText; }
    QString MasterCondition() const { return FMasterCondition; }
    QString AtivoOrigin() const { return FAtivoOrigin; }
    int AtivoValue() const { return FAtivoValue; }
    void SetAtivoValue(int Value) { FAtivoValue = Value; }  // -1 lifts the restriction
    bool Opened() const { return FOpened; }
    int SavedHeight() const { return FSavedHeight; }
    bool FromWordStart() const;
    bool OpenByDefault() const;

    QLineEdit* edtIdentidade() const { return FEdit; }
    TVexDBGrid* grdCombo() const { return FGrid; }
    platform::data::TADOQuery* dstCombo() const { return FDataSet; }
    platform::ui::TPopupMenu* pumOpcoes() const { return FOptions; }
    QWidget* pnlTitle() const { return FTitlePanel; }
    QWidget* pnlSizer() const { return FSizer; }

    // Loads the settings and shows the combo, expanded when the open flag (inverted by an unticked
    // "Modo aberto como padrão") says so. False when a single row was applied at once.
    bool Execute(bool OpenFlag);
    // Runs the select with the typed words and shows the rows; a single row is applied at once.
    void OpenCombo();
    void ApplyRow();
    // The expanded height; never 88 pixels or less.
    void SetComboHeight(int Value);

protected:
    void DoClose(platform::ui::TCloseAction& Action) override;
    bool event(QEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    friend bool ShowSearchCombo(TVexDBDivisao&, QWidget&, platform::data::TField&, bool, Qt::KeyboardModifiers);

    bool AddField(TVexDBDivisao& Division, const QString& Name, bool Visible, bool Offered);
    void SortVisibleFieldEntries();
    QString SelectList() const;
    int VisibleWidth() const;
    QStringList SearchColumns(bool Origins) const;
    void CreateComboFields();
    void LocateCurrentKey();
    void ApplyFilter();
    void LoadSettings();
    void SaveSettings();
    QString Section() const;
    void KeyDownHandler(int& Key);
    // Moves the rows as the grid's own keys would.
    void MoveGrid(int Key);
    void StayOnDesktop();
    void CloseLater();

    QPointer<platform::data::TField> FField;
    QString FKeyFieldName;
    std::unique_ptr<dataaccess::TVexDBIni> FSettings;
    TComboSelectFields FFields;
    QString FCommandText, FMasterCondition, FAtivoOrigin, FTitle, FGridSection;
    int FAtivoValue = 1;
    QPointer<QWidget> FControl;
    bool FSendEnterOnApply = false;
    bool FOpened = false;
    int FSavedHeight = 250;
    bool FFieldsCreated = false;
    QPoint FDragStart;
    enum class TDrag { dNone, dMove, dSize } FDrag = TDrag::dNone;
    int FBusy = 0;  // a deactivation while busy closes the combo afterwards
    bool FCloseWanted = false, FClosed = false, FWasActive = false;

    QWidget* FTitlePanel;
    QLabel* FTitleLabel;
    QToolButton* FOptionsButton;
    QToolButton* FCloseButton;
    QWidget* FSearchPanel;
    QLineEdit* FEdit;
    QWidget* FGridPanel;
    TVexDBGrid* FGrid;
    QWidget* FSizer;
    platform::data::TADOQuery* FDataSet;
    platform::data::TDataSource* FSource;
    platform::ui::TPopupMenu* FOptions;
    platform::ui::TMenuItem* FFromWordStartItem;
    platform::ui::TMenuItem* FOpenByDefaultItem;
    platform::ui::TMenuItem* FVisibleFieldsLine;
    platform::ui::TMenuItem* FVisibleFieldsItem;
};

// Opens the combo for Field under Control (a grid opens it under its current
// cell); Ctrl in Shift inverts the stored open mode. True when shown.
bool ShowSearchCombo(TVexDBDivisao& Division, QWidget& Control, platform::data::TField& Field,
                     bool SendEnterOnApply, Qt::KeyboardModifiers Shift);

// Whether a keystroke on a read-only reference field starts a search (letters,
// accented letters, digits and signs; never the blank).
bool IsSearchChar(QChar Ch);

// Posts Key to the open combo's search edit, so that a typed character starts the search; nothing without a combo.
void ForwardToSearchEdit(const QKeyEvent& Key);

}  // namespace databound
