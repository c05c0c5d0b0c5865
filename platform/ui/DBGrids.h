#pragma once
// The data grid: columns over the fields of a data source's dataset, a title
// row, an indicator column with the record state, in-place editors, the
// keyboard and mouse of such grids, selected rows kept as bookmarks, and
// drawing hooks. It reads only the rows on its screen, through the
// dataset's shown rows, without moving the cursor: painting and scrolling
// cost the same whatever the row count, and showing a dataset fires no
// scroll event. Errors of the dataset (a refused value, a required field)
// are reported and the grid stays where it was.
#include <QPointer>
#include <QScrollBar>
#include <functional>
#include <memory>
#include <vector>

#include "platform/data/DB.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DBGridColumns.h"
#include "platform/ui/DBGridEditor.h"
#include "platform/ui/ImgList.h"

namespace platform::ui {

enum TDBGridOption : unsigned {
    dgEditing = 1 << 0,
    dgAlwaysShowEditor = 1 << 1,
    dgTitles = 1 << 2,
    dgIndicator = 1 << 3,
    dgColumnResize = 1 << 4,
    dgColLines = 1 << 5,
    dgRowLines = 1 << 6,
    dgTabs = 1 << 7,
    dgRowSelect = 1 << 8,
    dgAlwaysShowSelection = 1 << 9,
    dgConfirmDelete = 1 << 10,
    dgCancelOnExit = 1 << 11,
    dgMultiSelect = 1 << 12,
};
using TDBGridOptions = unsigned;
inline constexpr TDBGridOptions kDefaultDBGridOptions = dgEditing | dgTitles | dgIndicator | dgColumnResize |
                                                         dgColLines | dgRowLines | dgTabs | dgConfirmDelete |
                                                         dgCancelOnExit;

enum TGridDrawStateFlag : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = unsigned;

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// The DT_ text flag of a field alignment.
unsigned AlignmentFlags(platform::data::TAlignment Value);

class TCustomDBGrid;

// The rows a multi-select grid has selected, as bookmarks in selection order.
class TBookmarkList {
public:
    explicit TBookmarkList(TCustomDBGrid* Grid) : FGrid(Grid) {}

    int Count() const { return static_cast<int>(FItems.size()); }
    platform::data::TBookmark Items(int Index) const { return FItems.at(Index); }
    int IndexOf(platform::data::TBookmark Value) const;
    bool CurrentRowSelected() const;
    void SetCurrentRowSelected(bool Value);
    // Adds the shown rows From to To (either order), keeping those already selected.
    void SelectRange(int From, int To);
    void Clear();
    // Deletes the selected rows from the dataset.
    void Delete();
    // Drops bookmarks whose rows are gone; true when one was dropped.
    bool Refresh();

private:
    friend class TCustomDBGrid;
    void Toggle(platform::data::TBookmark Value, bool Selected);
    TCustomDBGrid* FGrid;
    std::vector<platform::data::TBookmark> FItems;
};

class TCustomDBGrid : public TCustomControl {
    Q_OBJECT
public:
    explicit TCustomDBGrid(QWidget* AParent = nullptr);
    ~TCustomDBGrid() override;

    platform::data::TDataSource* DataSource() const;
    void SetDataSource(platform::data::TDataSource* Value);
    platform::data::TDataSet* DataSet() const;

    TDBGridColumns& Columns() { return FColumns; }
    const TDBGridColumns& Columns() const { return FColumns; }
    TDBGridOptions Options() const { return FOptions; }
    void SetOptions(TDBGridOptions Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool Value) { FDefaultDrawing = Value; }
    TFont TitleFont() const { return FTitleFont; }
    void SetTitleFont(const TFont& Value);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    int DefaultRowHeight() const { return FRowHeight; }
    void SetDefaultRowHeight(int Value);

    // The current column (an index into Columns) and its field.
    int SelectedIndex() const { return FSelectedIndex; }
    void SetSelectedIndex(int Value);
    platform::data::TField* SelectedField() const;
    void SetSelectedField(platform::data::TField* Value);
    TBookmarkList& SelectedRows() { return FSelectedRows; }

    // The rows the grid shows: the dataset's rows with the one being inserted.
    int RowCount() const { return DataSet() ? DataSet()->DisplayRecordCount() : 0; }
    // The shown row at the top of the screen and how many rows fit wholly.
    int TopRow() const { return FTopRow; }
    int VisibleRowCount() const;
    // The rectangle of a column's cell on shown row Row (a dataset row
    // index); empty when it is off the screen. Column -1 is the indicator.
    QRect CellRect(int Column, int Row) const;
    QRect TitleRect(int Column) const;
    // The text the grid shows in a cell, read without moving the cursor.
    QString CellText(int Row, int Column) const;
    // The width the columns may share: the grid without its frame and vertical scroll bar.
    int ClientAreaWidth() const;

    bool EditorMode() const;
    // Opens (or closes) the editor on the current cell when editing is allowed.
    void SetEditorMode(bool Value);
    // The editor's text; empty when it is closed.
    QString EditorText() const;

    void DefaultDrawColumnCell(const QRect& Rect, int DataCol, TColumn* Column, TGridDrawState State);

    // After the default drawing, or instead of it when DefaultDrawing is off;
    // the canvas is the grid's, with the cell's colours and font set.
    std::function<void(TCustomDBGrid* Sender, const QRect& Rect, int DataCol, TColumn* Column, TGridDrawState State)>
        OnDrawColumnCell;
    // A title cell: set Handled to leave out the default title.
    std::function<void(TCustomDBGrid* Sender, const QRect& Rect, TColumn* Column, bool& Handled)> OnDrawTitleCell;
    std::function<void(TColumn* Column)> OnTitleClick;
    std::function<void(TColumn* Column)> OnCellClick;
    std::function<void(QObject* Sender)> OnColEnter;
    std::function<void(QObject* Sender)> OnEditButtonClick;
    std::function<void(QObject* Sender, int FromIndex, int ToIndex)> OnColumnMoved;

    // The canvas of the paint in progress, for the drawing hooks.
    TCanvas& Canvas() { return TCustomControl::Canvas(); }

protected:
    void Paint() override;
    void KeyDown(int& Key, Qt::KeyboardModifiers Shift) override;
    void MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) override;
    void MouseMove(Qt::KeyboardModifiers Shift, int X, int Y) override;
    void MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) override;
    void DblClick() override;
    bool WantsKey(int Key) const override;
    bool WantsChars() const override { return true; }
    bool focusNextPrevChild(bool Next) override;
    void resizeEvent(QResizeEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void FocusChanged(QWidget* NewFocus) override;
    // A row's picture instead of a cell's text: derived grids answer an image index.
    virtual int CellImageIndex(int DataCol) const { (void)DataCol; return -1; }
    virtual TImageList* CellImages() const { return nullptr; }

    // Layout and painting a derived grid with its own look replaces.
    QRect Inside() const;  // within the frame
    virtual int FrameWidth() const;
    virtual int IndicatorWidth() const;
    virtual int TitleHeight() const;
    QRect DataArea() const;
    int ColumnAt(int X) const;  // -1 outside the columns
    int RowAt(int Y) const;     // a shown row index; -1 outside the rows
    int ColumnLeft(int Column) const;  // in grid pixels, before horizontal scrolling
    int TotalColumnsWidth() const;
    virtual void PaintFrame(TCanvas& C);
    virtual void PaintTitles(TCanvas& C);
    virtual void PaintIndicator(TCanvas& C, int Row, const QRect& Rect);
    virtual void PaintRow(TCanvas& C, int Row, const QRect& RowRect, bool Active);
    // The text a cell shows and the text its editor starts with; the dataset's fields show the row.
    virtual QString CellDisplayText(int Column) const;
    virtual QString CellEditText(int Column) const;
    // The items of the column's pick-list editor and the field text stored for the one chosen.
    virtual QStringList EditorPickList(int Column) const;
    virtual QString StoredText(int Column, const QString& EditorText) const;

    // Navigation and editing for derived grids.
    bool CanEditGrid() const;
    bool CanEditColumn(int Column) const;
    int NextVisibleColumn(int From, int Step) const;
    void MoveRows(int Distance, Qt::KeyboardModifiers Shift);
    // Writes a changed editor text to the field; false (error reported) when refused.
    bool CommitEditor();
    void ShowEditor();
    void HideEditor();
    bool ShowingSelection() const;
    // False keeps the in-place editor closed on the column.
    virtual bool EditorAllowed(int Column) const { (void)Column; return true; }
    // After any change of the dataset's rows or state.
    virtual void DataStateChanged() {}
    // Whether the column's editor shows the ellipsis button (which Ctrl+Enter clicks).
    virtual bool HasEllipsis(int Column) const;
    // The ellipsis button was clicked: OnEditButtonClick.
    virtual void EditButtonClick();
    // Scroll bars, the shown rows and the editor again, after a change of the layout.
    void Relayout();

private:
    class TGridLink;
    friend class TBookmarkList;
    struct TDrag {
        enum { None, Resize, Move } Kind = None;
        int Column = -1;
        int StartX = 0;
        bool Moved = false;
    };

    // Layout.
    int ResizeBorderAt(int X) const;   // the column whose right border is at X; -1 when none
    void UpdateScrollBars();
    void ScrollToActive();
    void ScrollToColumn(int Column);

    // Data events.
    void LinkActiveChanged();
    void LinkDataChanged();
    void LinkEditingChanged();
    void LinkUpdateData();
    void ColumnsChanged();

    // Navigation and editing.
    void MoveToRow(int Row, Qt::KeyboardModifiers Shift);
    void RowMoved();
    void MoveColumn(int Distance, bool WrapRows);
    void DeleteRecords();
    void PlaceEditor();
    void SetEditorVisible(bool Value);
    void ResetEditor();
    bool EditorChanging();
    void EditorKeyDown(int& Key, Qt::KeyboardModifiers Shift);
    void CancelEdits();

    std::unique_ptr<TGridLink> FLink;
    TDBGridColumns FColumns;
    TBookmarkList FSelectedRows;
    TInplaceEditor* FEditor;
    QScrollBar* FVertical;
    QScrollBar* FHorizontal;
    TDBGridOptions FOptions = kDefaultDBGridOptions;
    TScrollStyle FScrollBars = TScrollStyle::ssBoth;
    TFont FTitleFont;
    bool FReadOnly = false;
    bool FDefaultDrawing = true;
    int FRowHeight;
    int FSelectedIndex = 0;
    int FTopRow = 0;
    int FLeftOffset = 0;
    bool FEditorShown = false;
    bool FInternalScroll = false;
    bool FStartingEdit = false;  // the first key of an edit puts the dataset in edit
    bool FHadFocus = false;
    TDrag FDrag;
};

// The data grid as forms place it.
class TDBGrid : public TCustomDBGrid {
    Q_OBJECT
public:
    using TCustomDBGrid::TCustomDBGrid;
};

// A grid that only shows: whole rows selected, no editor, no indicator; a
// cell may show a picture of an image list instead of its text.
class TDBReadOnlyGrid : public TCustomDBGrid {
    Q_OBJECT
public:
    explicit TDBReadOnlyGrid(QWidget* AParent = nullptr);

    int ColumnCount() const { return Columns().Count(); }
    platform::data::TField* ColumnField(int Index) const { return Columns()[Index]->Field(); }
    int ColumnIndexOf(const QString& FieldName) const { return Columns().IndexOfField(FieldName); }
    int ColumnWidth(int Index) const { return Columns()[Index]->Width(); }
    void SetColumnWidth(int Index, int Width) { Columns()[Index]->SetWidth(Width); }

    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* Value);
    // A cell shows picture ImageIndex (when set to 0 or more) instead of its
    // text; asked while the dataset's fields show the cell's row.
    std::function<void(TDBReadOnlyGrid* Sender, platform::data::TField* Field, int& ImageIndex)> OnGetImageIndex;
    // The picture a cell shows; -1 for its text.
    int ImageIndexAt(int Row, int Column) const;

protected:
    int CellImageIndex(int DataCol) const override;
    TImageList* CellImages() const override { return FImages; }

private:
    QPointer<TImageList> FImages;
};

}  // namespace platform::ui
