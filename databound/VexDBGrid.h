#pragma once
// The library's data grid: drawn titles with sort markers, an indicator
// column with state pictures, zebra rows, check boxes for Boolean columns,
// inactive rows in their own colour, sorting by title clicks, a title menu
// that shows and hides columns, an optional insert strip under the titles,
// bookmarks on Ctrl+digit and pick lists with display texts. Attached to a
// division, it keeps the division's detail fields first in every sort and
// marks the columns its active filters narrow. Errors of the
// dataset are reported as the platform grid reports them; a sort the dataset
// cannot take is told to the user and leaves the order as it was.
#include <QImage>
#include <QPointer>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "databound/BevelKind.h"
#include "databound/VexDivisao.h"
#include "platform/ui/DBGrids.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Messages.h"

namespace databound {

using platform::data::TField;
using platform::ui::TCanvas;
using platform::ui::TColumn;
using platform::ui::TGridDrawState;

enum TEstiloZebra { ezNenhum, ezPar, ezImpar };
enum TGridBorderStyle { bsNone, bsSingle };

// Grid messages the grid posts to itself (first parameter of WM_USER).
inline constexpr int kGridSortMessage = 100;    // second parameter: a TGridSortRequest*, freed by the receiver
inline constexpr int kGridInsertMessage = 101;  // insert unless already inserting
inline constexpr int kGridLayoutMessage = 102;  // lay out again and refresh the editor
// Sent to the companion window on a double click.
inline constexpr unsigned kCompanionDblClickMessage = platform::ui::WM_APP + 4;
inline constexpr unsigned kCompanionChangeViewMessage = platform::ui::WM_APP + 20;  // second parameter: the grid

class TVexDBGridColumn : public TColumn {
public:
    using TColumn::TColumn;

    // A Boolean field is drawn as a check box.
    bool CheckBox() const { return FCheckBox; }
    void SetCheckBox(bool Value);
    // Display texts: entry i is shown for the stored value PickList entry i.
    QStringList PickListEx() const { return FPickListEx; }
    void SetPickListEx(const QStringList& Value);
    // Copies CheckBox, PickListEx and the alignment.
    void Assign(const TVexDBGridColumn& Source);

private:
    bool FCheckBox = true;
    QStringList FPickListEx;
};

class TVexDBGrid : public platform::ui::TCustomDBGrid {
    Q_OBJECT
public:
    explicit TVexDBGrid(QWidget* AParent = nullptr);
    ~TVexDBGrid() override;

    TVexDBGridColumn* Column(int Index) const;

    bool NewLine() const { return FNewLine; }
    void SetNewLine(bool Value);
    QColor NewLineColor() const { return FNewLineColor; }
    void SetNewLineColor(QColor Value) { SetAndRepaint(FNewLineColor, Value); }
    platform::ui::TPopupMenu* TitlePopup() const { return FTitlePopup; }
    TEstiloZebra EstiloZebra() const { return FEstiloZebra; }
    void SetEstiloZebra(TEstiloZebra Value) { SetAndRepaint(FEstiloZebra, Value); }
    TBevelKind BevelKind() const { return FBevelKind; }
    void SetBevelKind(TBevelKind Value);
    TGridBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TGridBorderStyle Value);
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool Value) { FMultiSelect = Value; }
    bool ChangeView() const { return FChangeView; }
    void SetChangeView(bool Value) { FChangeView = Value; }
    QColor ZebraColor() const { return FZebraColor; }
    void SetZebraColor(QColor Value) { SetAndRepaint(FZebraColor, Value); }
    bool ColumnOrder() const { return FColumnOrder; }
    void SetColumnOrder(bool Value) { FColumnOrder = Value; }
    platform::ui::TImageList* Images() const { return FImages; }
    void SetImages(platform::ui::TImageList* Value);
    bool DrawFocusRect() const { return FDrawFocusRect; }
    void SetDrawFocusRect(bool Value) { SetAndRepaint(FDrawFocusRect, Value); }
    bool AtalhosEdicao() const { return FAtalhosEdicao; }
    void SetAtalhosEdicao(bool Value) { FAtalhosEdicao = Value; }
    bool DestacarInativos() const { return FDestacarInativos; }
    void SetDestacarInativos(bool Value) { SetAndRepaint(FDestacarInativos, Value); }
    bool AutoInsertEof() const { return FAutoInsertEof; }  // kept for the application
    void SetAutoInsertEof(bool Value) { FAutoInsertEof = Value; }
    QColor CorInativos() const { return FCorInativos; }
    void SetCorInativos(QColor Value) { SetAndRepaint(FCorInativos, Value); }
    bool AutoTab() const { return FAutoTab; }
    void SetAutoTab(bool Value) { FAutoTab = Value; }
    // The division that configures the grid's fields; cleared when it is destroyed.
    TVexDBDivisao* Divisao() const { return FDivisao; }
    void SetDivisao(TVexDBDivisao* Value);

    // Whether the insert strip shows now: NewLine, a browsing dataset with rows.
    bool NewLineShown() const { return FNewLineShown; }
    // The title or indicator cell under the mouse; (-1, -1) when none. Row -1 is the title row.
    QPoint HotCell() const { return FHotCell; }
    // Fills TitlePopup: one entry per column sorted by caption, then the
    // column dialog, and with Full the full grid. An entry starts a new menu
    // column where the running height would reach ColumnHeight (two thirds of
    // the desktop when not given).
    void BuildTitleMenu(bool Full, int ColumnHeight = 0);
    // The rectangle of a column's title without the insert strip.
    QRect TitleCellRect(int Column) const;
    // The insert strip under the titles; empty while it is not shown.
    QRect NewLineRect() const;
    // Asks for the sort of Column as a title click does (posted; Multi keeps the earlier columns).
    void RequestSort(int Column, bool Multi);
    // Sort requests posted and not yet received; the grid frees them when it goes first.
    int PendingSortRequests() const { return static_cast<int>(FPendingSorts.size()); }

    // The column dialog and the full grid live above the grid; they register
    // their openers here. Without one, the title menu leaves its entry out.
    static void SetColumnDialogOpener(std::function<void(TVexDBGrid*)> Opener);
    static void SetFullGridOpener(std::function<void(TVexDBGrid*)> Opener);

    std::function<void(TVexDBGrid* Sender, TColumn* AColumn, int& AImageIndex)> OnGetImageIndex;
    std::function<void(QObject* Sender, const QRect& Rect, int DataCol, TColumn* Column, TGridDrawState State,
                       unsigned& AFlags, bool& DefaultDraw)>
        OnAdvancedDrawColumnCell;
    std::function<void(TVexDBGrid* Sender, int& AHeight)> OnMeasureItem;  // kept for the application
    std::function<void(QObject* Sender, int ACol, int ARow, const QRect& Rect, TGridDrawState State)> OnDrawCell;
    std::function<void(QObject* Sender, TField* AField, QString& AValue)> OnGetText;
    std::function<void(QObject* Sender, bool& AAllow)> OnEditShow;
    std::function<void(QObject* Sender, bool& AAllow)> OnGridAcceptKey;

protected:
    int FrameWidth() const override;
    int IndicatorWidth() const override;
    int TitleHeight() const override;
    void PaintFrame(TCanvas& C) override;
    void PaintTitles(TCanvas& C) override;
    void PaintIndicator(TCanvas& C, int Row, const QRect& Rect) override;
    void PaintRow(TCanvas& C, int Row, const QRect& RowRect, bool Active) override;
    QString CellDisplayText(int Column) const override;
    QString CellEditText(int Column) const override;
    QStringList EditorPickList(int Column) const override;
    QString StoredText(int Column, const QString& EditorText) const override;
    bool EditorAllowed(int Column) const override;
    void DataStateChanged() override;
    bool HasEllipsis(int Column) const override;
    // On a reference column of the division, the search by key runs before OnEditButtonClick.
    void EditButtonClick() override;

    void KeyDown(int& Key, Qt::KeyboardModifiers Shift) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) override;
    void MouseMove(Qt::KeyboardModifiers Shift, int X, int Y) override;
    void MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) override;
    void MouseLeave() override;
    void DblClick() override;

private:
    struct TGridSortRequest;

    void HandleGridMessage(platform::ui::TMessage& Message);
    void SortByRequest(TGridSortRequest* Request);
    // The window told about double clicks: the division's related component.
    QObject* CompanionWindow() const { return FDivisao ? FDivisao->Relacionado() : nullptr; }
    // The division's detail fields, which the sort keeps first; empty without a division.
    QString DetailFields() const;
    // An active filter of the division on the column's field has an active value.
    bool ColumnFiltered(const TColumn* Column) const;
    bool IsCheckBoxColumn(int Column) const;
    // The division configures the column's field as a reference that may search by itself.
    bool IsSearchColumn(int Column) const;
    // Ctrl+Enter, a modified Down or a typed search character on a reference column searches; true when consumed.
    bool SearchKey(QKeyEvent* Event);
    bool IsMemoColumn(int Column) const;
    QString MappedText(int Column, const QString& Text) const;
    void DrawTitleCell(TCanvas& C, const QRect& R, bool Hot, bool Pressed);
    void DrawSortMarker(TCanvas& C, QRect& Caption, TColumn* Column);
    void DrawDataCell(TCanvas& C, int Row, int DataCol, const QRect& Cell, TGridDrawState State);
    void DrawCellContent(TCanvas& C, const QRect& Inner, int DataCol, unsigned Flags);
    void ApplyZebra(TCanvas& C, const QRect& R);
    void SetHotCell(QPoint Value, bool StripHot);
    int TitleColumnAt(QPoint At) const;  // -1 off the titles
    void ToggleCheckBox();
    bool CyclePickList();
    void EnterNextColumn();
    void SelectThroughIndicator(Qt::KeyboardModifiers Shift, int Y);
    void LeaveRowSelection();

    QPointer<platform::ui::TPopupMenu> FTitlePopup;
    QPointer<platform::ui::TImageList> FImages;
    QPointer<TVexDBDivisao> FDivisao;
    std::vector<std::unique_ptr<TGridSortRequest>> FPendingSorts;
    bool FNewLine = false;
    QColor FNewLineColor;
    TEstiloZebra FEstiloZebra = ezImpar;
    TBevelKind FBevelKind = bkFlat;
    TGridBorderStyle FBorderStyle = bsNone;
    bool FMultiSelect = true;
    bool FChangeView = true;
    QColor FZebraColor;
    bool FColumnOrder = true;
    bool FDrawFocusRect = true;
    bool FAtalhosEdicao = false;
    bool FDestacarInativos = true;
    bool FAutoInsertEof = true;
    QColor FCorInativos;
    bool FAutoTab = true;

    QPoint FHotCell{-1, -1};
    bool FHotPressed = false;
    bool FButtonDown = false;  // hot tracking pauses while a button is held
    bool FNewLineHot = false;
    bool FNewLineShown = false;
    bool FEditableWhenLoaded = true;
    std::array<platform::data::TBookmark, 10> FBookmarks{};
};

}  // namespace databound
