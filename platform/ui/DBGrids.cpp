#include "platform/ui/DBGrids.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QWheelEvent>
#include <algorithm>
#include <unordered_set>

#include "platform/ui/DBConsts.h"

namespace platform::ui {

using platform::data::TBookmark;
using platform::data::TDataSet;
using platform::data::TDataSource;
using platform::data::TField;

namespace {

constexpr int kIndicatorWidth = 11;
constexpr int kBorder = 2;  // the sunken frame
constexpr int kCellMargin = 2;
constexpr int kResizeGrip = 3;
constexpr int kMinColumnWidth = 4;
constexpr int kDragThreshold = 4;
const QColor kLineColor(192, 192, 192);

// One pixel of a sunken frame inside R, which shrinks by it.
void Frame3D(TCanvas& C, QRect& R, QColor TopLeft, QColor BottomRight) {
    C.Pen().Color = TopLeft;
    C.MoveTo(R.left(), R.bottom());
    C.LineTo(R.left(), R.top());
    C.LineTo(R.right() + 1, R.top());
    C.Pen().Color = BottomRight;
    C.MoveTo(R.right(), R.top() + 1);
    C.LineTo(R.right(), R.bottom());
    C.LineTo(R.left(), R.bottom());
    R.adjust(1, 1, -1, -1);
}

bool IsEditing(const TDataSet* DataSet) {
    return DataSet->State() == platform::data::dsEdit || DataSet->State() == platform::data::dsInsert;
}

}  // namespace

unsigned AlignmentFlags(platform::data::TAlignment Value) {
    switch (Value) {
        case platform::data::taRightJustify: return DT_RIGHT;
        case platform::data::taCenter: return DT_CENTER;
        default: return DT_LEFT;
    }
}

// ---------------------------------------------------------------- selected rows

int TBookmarkList::IndexOf(TBookmark Value) const {
    const auto Found = std::find(FItems.begin(), FItems.end(), Value);
    return Found == FItems.end() ? -1 : static_cast<int>(Found - FItems.begin());
}

bool TBookmarkList::CurrentRowSelected() const {
    TDataSet* DataSet = FGrid->DataSet();
    return DataSet && DataSet->Active() && IndexOf(DataSet->GetBookmark()) >= 0;
}

void TBookmarkList::SetCurrentRowSelected(bool Value) {
    TDataSet* DataSet = FGrid->DataSet();
    if (DataSet && DataSet->Active() && DataSet->GetBookmark() != 0) Toggle(DataSet->GetBookmark(), Value);
}

void TBookmarkList::Toggle(TBookmark Value, bool Selected) {
    const int Index = IndexOf(Value);
    if (Selected == (Index >= 0)) return;
    if (Selected) FItems.push_back(Value);
    else FItems.erase(FItems.begin() + Index);
    FGrid->update();
}

void TBookmarkList::SelectRange(int From, int To) {
    TDataSet* DataSet = FGrid->DataSet();
    if (!DataSet) return;
    std::unordered_set<TBookmark> Known(FItems.begin(), FItems.end());
    for (int Row = std::min(From, To); Row <= std::max(From, To); ++Row) {
        const TBookmark Mark = DataSet->DisplayBookmark(Row);
        if (Mark != 0 && Known.insert(Mark).second) FItems.push_back(Mark);
    }
    FGrid->update();
}

void TBookmarkList::Clear() {
    if (FItems.empty()) return;
    FItems.clear();
    FGrid->update();
}

void TBookmarkList::Delete() {
    TDataSet* DataSet = FGrid->DataSet();
    if (!DataSet) return;
    DataSet->DisableControls();
    struct TEnable {
        TDataSet* DataSet;
        ~TEnable() { DataSet->EnableControls(); }
    } const Enable{DataSet};
    while (!FItems.empty()) {
        const TBookmark Mark = FItems.back();
        FItems.pop_back();
        if (!DataSet->BookmarkValid(Mark)) continue;
        DataSet->GotoBookmark(Mark);
        DataSet->Delete();
    }
}

bool TBookmarkList::Refresh() {
    TDataSet* DataSet = FGrid->DataSet();
    const auto Gone = std::remove_if(FItems.begin(), FItems.end(),
                                     [DataSet](TBookmark Mark) { return !DataSet || !DataSet->BookmarkValid(Mark); });
    const bool Dropped = Gone != FItems.end();
    FItems.erase(Gone, FItems.end());
    if (Dropped) FGrid->update();
    return Dropped;
}

// ---------------------------------------------------------------- data link

class TCustomDBGrid::TGridLink : public platform::data::TDataLink {
public:
    explicit TGridLink(TCustomDBGrid* Grid) : FGrid(Grid) {}

protected:
    void ActiveChanged() override { FGrid->LinkActiveChanged(); }
    void DataSetChanged() override { FGrid->LinkDataChanged(); }
    void DataSetScrolled(int) override { FGrid->LinkDataChanged(); }
    void RecordChanged(TField*) override { FGrid->LinkDataChanged(); }
    void LayoutChanged() override { FGrid->FColumns.RebuildDefaults(); }
    void EditingChanged() override { FGrid->LinkEditingChanged(); }
    void UpdateData() override { FGrid->LinkUpdateData(); }
    void FocusControl(TField* Field) override {
        const int Column = FGrid->FColumns.IndexOfField(Field->FieldName());
        if (Column < 0) return;
        FGrid->SetSelectedIndex(Column);
        FGrid->SetFocus();
    }

private:
    TCustomDBGrid* FGrid;
};

// ---------------------------------------------------------------- the grid

TCustomDBGrid::TCustomDBGrid(QWidget* AParent)
    : TCustomControl(AParent),
      FLink(std::make_unique<TGridLink>(this)),
      FColumns([this] { return DataSet(); },
               [this](int Chars) { return Chars * QFontMetrics(font()).averageCharWidth() + 4; },
               [this] { ColumnsChanged(); }),
      FSelectedRows(this),
      FEditor(new TInplaceEditor(this)),
      FVertical(new QScrollBar(Qt::Vertical, this)),
      FHorizontal(new QScrollBar(Qt::Horizontal, this)),
      FTitleFont(font()),
      FRowHeight(TextMetricsOf(font()).Height() + 3) {
    SetColor(SysColor(TSysColor::clWindow));
    SetTabStop(true);
    SetDoubleClicks(true);
    setMouseTracking(true);
    FVertical->hide();
    FHorizontal->hide();
    for (QScrollBar* Bar : {FVertical, FHorizontal}) Bar->setFocusPolicy(Qt::NoFocus);
    connect(FVertical, &QScrollBar::valueChanged, this, [this](int Value) {
        if (FInternalScroll) return;
        FTopRow = Value;
        PlaceEditor();
        update();
    });
    connect(FHorizontal, &QScrollBar::valueChanged, this, [this](int Value) {
        if (FInternalScroll) return;
        FLeftOffset = Value;
        PlaceEditor();
        update();
    });
    FEditor->OnChanging = [this] { return EditorChanging(); };
    FEditor->OnKeyDown = [this](int& Key, Qt::KeyboardModifiers Shift) { EditorKeyDown(Key, Shift); };
    FEditor->OnEditButtonClick = [this] { EditButtonClick(); };
}

TCustomDBGrid::~TCustomDBGrid() {
    // The link goes first so that no dataset event reaches a half-destroyed grid.
    FLink.reset();
}

TDataSource* TCustomDBGrid::DataSource() const { return FLink->DataSource(); }

void TCustomDBGrid::SetDataSource(TDataSource* Value) {
    FLink->SetDataSource(Value);
    LinkActiveChanged();
}

TDataSet* TCustomDBGrid::DataSet() const { return FLink && FLink->Active() ? FLink->DataSet() : nullptr; }

void TCustomDBGrid::SetOptions(TDBGridOptions Value) {
    if (Value == FOptions) return;
    FOptions = Value;
    if (!(FOptions & dgEditing)) HideEditor();
    if (!(FOptions & dgMultiSelect)) FSelectedRows.Clear();
    UpdateScrollBars();
    ScrollToActive();
    update();
}

void TCustomDBGrid::SetTitleFont(const TFont& Value) {
    FTitleFont = Value;
    update();
}

void TCustomDBGrid::SetScrollBars(TScrollStyle Value) {
    FScrollBars = Value;
    UpdateScrollBars();
    update();
}

void TCustomDBGrid::SetDefaultRowHeight(int Value) {
    FRowHeight = std::max(1, Value);
    ScrollToActive();
    PlaceEditor();
    update();
}

void TCustomDBGrid::SetSelectedIndex(int Value) {
    if (Value < 0 || Value >= FColumns.Count() || Value == FSelectedIndex) return;
    if (!CommitEditor()) return;
    const bool Editing = FEditorShown;
    HideEditor();
    FSelectedIndex = Value;
    ScrollToColumn(Value);
    if (Editing || (FOptions & dgAlwaysShowEditor)) ShowEditor();
    update();
    if (OnColEnter) OnColEnter(this);
}

TField* TCustomDBGrid::SelectedField() const {
    return FSelectedIndex < FColumns.Count() ? FColumns[FSelectedIndex]->Field() : nullptr;
}

void TCustomDBGrid::SetSelectedField(TField* Value) {
    for (int I = 0; Value && I < FColumns.Count(); ++I)
        if (FColumns[I]->Field() == Value) SetSelectedIndex(I);
}

// ---------------------------------------------------------------- layout

int TCustomDBGrid::FrameWidth() const { return kBorder; }

int TCustomDBGrid::ClientAreaWidth() const {
    const int Bar = ScrollBars() == TScrollStyle::ssVertical || ScrollBars() == TScrollStyle::ssBoth
                        ? style()->pixelMetric(QStyle::PM_ScrollBarExtent)
                        : 0;
    return width() - 2 * FrameWidth() - Bar;
}

int TCustomDBGrid::IndicatorWidth() const { return (FOptions & dgIndicator) ? kIndicatorWidth : 0; }

int TCustomDBGrid::TitleHeight() const { return (FOptions & dgTitles) ? FRowHeight : 0; }

QRect TCustomDBGrid::DataArea() const {
    QRect R = Inside();
    if (!FVertical->isHidden()) R.setWidth(R.width() - FVertical->width());
    if (!FHorizontal->isHidden()) R.setHeight(R.height() - FHorizontal->height());
    R.setLeft(R.left() + IndicatorWidth());
    R.setTop(R.top() + TitleHeight());
    return R;
}

int TCustomDBGrid::VisibleRowCount() const { return std::max(1, DataArea().height() / FRowHeight); }

int TCustomDBGrid::ColumnLeft(int Column) const {
    int Left = 0;
    for (int I = 0; I < Column; ++I)
        if (FColumns[I]->Visible()) Left += FColumns[I]->Width();
    return Left;
}

int TCustomDBGrid::TotalColumnsWidth() const { return ColumnLeft(FColumns.Count()); }

int TCustomDBGrid::ColumnAt(int X) const {
    const int Offset = X - DataArea().left() + FLeftOffset;
    if (X < DataArea().left()) return -1;
    int Left = 0;
    for (int I = 0; I < FColumns.Count(); ++I) {
        if (!FColumns[I]->Visible()) continue;
        if (Offset < Left + FColumns[I]->Width()) return I;
        Left += FColumns[I]->Width();
    }
    return -1;
}

int TCustomDBGrid::RowAt(int Y) const {
    const QRect Area = DataArea();
    TDataSet* Data = DataSet();
    if (!Data || Y < Area.top() || Y >= Area.bottom() + 1) return -1;
    const int Row = FTopRow + (Y - Area.top()) / FRowHeight;
    return Row < Data->DisplayRecordCount() ? Row : -1;
}

int TCustomDBGrid::ResizeBorderAt(int X) const {
    const int Left = DataArea().left() - FLeftOffset;
    for (int I = 0; I < FColumns.Count(); ++I)
        if (FColumns[I]->Visible() && std::abs(X - (Left + ColumnLeft(I) + FColumns[I]->Width())) <= kResizeGrip)
            return I;
    return -1;
}

QRect TCustomDBGrid::TitleRect(int Column) const {
    if (!(FOptions & dgTitles) || Column < 0 || Column >= FColumns.Count() || !FColumns[Column]->Visible()) return {};
    const QRect Area = DataArea();
    const int Top = Inside().top();
    return QRect(Area.left() + ColumnLeft(Column) - FLeftOffset, Top, FColumns[Column]->Width(), TitleHeight())
        .intersected(QRect(Area.left(), Top, Area.width(), TitleHeight()));
}

QRect TCustomDBGrid::CellRect(int Column, int Row) const {
    const QRect Area = DataArea();
    TDataSet* Data = DataSet();
    if (!Data || Row < FTopRow || Row >= Data->DisplayRecordCount()) return {};
    const int Top = Area.top() + (Row - FTopRow) * FRowHeight;
    if (Top > Area.bottom()) return {};
    if (Column == -1) return QRect(Inside().left(), Top, IndicatorWidth(), FRowHeight);
    if (Column < 0 || Column >= FColumns.Count() || !FColumns[Column]->Visible()) return {};
    const QRect Cell(Area.left() + ColumnLeft(Column) - FLeftOffset, Top, FColumns[Column]->Width(), FRowHeight);
    return Cell.intersected(Area);
}

void TCustomDBGrid::UpdateScrollBars() {
    const QScopedValueRollback<bool> Internal(FInternalScroll, true);
    TDataSet* Data = DataSet();
    const int Count = Data ? Data->DisplayRecordCount() : 0;
    const bool WantVertical = FScrollBars == TScrollStyle::ssVertical || FScrollBars == TScrollStyle::ssBoth;
    const bool WantHorizontal = FScrollBars == TScrollStyle::ssHorizontal || FScrollBars == TScrollStyle::ssBoth;
    const int Bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    FHorizontal->setVisible(WantHorizontal && TotalColumnsWidth() > width() - IndicatorWidth() - Bar);
    FVertical->setVisible(WantVertical && Count > VisibleRowCount());
    const QRect In = Inside();
    const int Height = FHorizontal->isHidden() ? In.height() : In.height() - Bar;
    const int Width = FVertical->isHidden() ? In.width() : In.width() - Bar;
    FVertical->setGeometry(In.right() + 1 - Bar, In.top(), Bar, Height);
    FHorizontal->setGeometry(In.left(), In.bottom() + 1 - Bar, Width, Bar);
    FVertical->setRange(0, std::max(0, Count - VisibleRowCount()));
    FVertical->setPageStep(VisibleRowCount());
    FVertical->setValue(FTopRow);
    const int Hidden = std::max(0, TotalColumnsWidth() - DataArea().width());
    FLeftOffset = std::min(FLeftOffset, Hidden);
    FHorizontal->setRange(0, Hidden);
    FHorizontal->setPageStep(std::max(1, DataArea().width()));
    FHorizontal->setValue(FLeftOffset);
}

void TCustomDBGrid::ScrollToActive() {
    TDataSet* Data = DataSet();
    if (!Data) {
        FTopRow = 0;
        UpdateScrollBars();
        return;
    }
    UpdateScrollBars();
    const int Rows = VisibleRowCount();
    const int Active = Data->ActiveDisplayIndex();
    if (Active >= 0 && Active < FTopRow) FTopRow = Active;
    if (Active >= FTopRow + Rows) FTopRow = Active - Rows + 1;
    FTopRow = std::clamp(FTopRow, 0, std::max(0, Data->DisplayRecordCount() - Rows));
    UpdateScrollBars();
}

void TCustomDBGrid::ScrollToColumn(int Column) {
    const int Left = ColumnLeft(Column);
    const int Width = DataArea().width();
    if (Left < FLeftOffset) FLeftOffset = Left;
    else if (Left + FColumns[Column]->Width() > FLeftOffset + Width)
        FLeftOffset = std::min(Left, Left + FColumns[Column]->Width() - Width);
    UpdateScrollBars();
}

void TCustomDBGrid::resizeEvent(QResizeEvent* Event) {
    TCustomControl::resizeEvent(Event);
    ScrollToActive();
    PlaceEditor();
}

// ---------------------------------------------------------------- data events

void TCustomDBGrid::LinkActiveChanged() {
    FSelectedRows.FItems.clear();
    HideEditor();
    FTopRow = 0;
    FLeftOffset = 0;
    FColumns.RebuildDefaults();
    DataStateChanged();
}

void TCustomDBGrid::ColumnsChanged() {
    FSelectedIndex = std::clamp(FSelectedIndex, 0, std::max(0, FColumns.Count() - 1));
    if (FLink) ScrollToActive();
    PlaceEditor();
    update();
}

void TCustomDBGrid::LinkDataChanged() {
    ScrollToActive();
    if (FEditorShown && !FEditor->Modified() && !FStartingEdit) ResetEditor();
    PlaceEditor();
    update();
    DataStateChanged();
}

void TCustomDBGrid::LinkEditingChanged() {
    if (!FLink->Editing() && FEditorShown && !FStartingEdit) ResetEditor();
    update();
    DataStateChanged();
}

void TCustomDBGrid::Relayout() {
    ScrollToActive();
    PlaceEditor();
    update();
}

void TCustomDBGrid::LinkUpdateData() {
    TField* Field = SelectedField();
    if (!FEditorShown || !FEditor->Modified() || !Field) return;
    Field->SetText(StoredText(FSelectedIndex, FEditor->Text()));
    FEditor->Reset(CellEditText(FSelectedIndex));
}

// ---------------------------------------------------------------- painting

QRect TCustomDBGrid::Inside() const {
    const int Frame = FrameWidth();
    return rect().adjusted(Frame, Frame, -Frame, -Frame);
}

void TCustomDBGrid::PaintFrame(TCanvas& C) {
    QRect Frame = rect();
    Frame3D(C, Frame, SysColor(TSysColor::clBtnShadow), SysColor(TSysColor::clBtnHighlight));
    Frame3D(C, Frame, Qt::black, SysColor(TSysColor::clBtnFace));
}

void TCustomDBGrid::Paint() {
    TCanvas& C = Canvas();
    PaintFrame(C);
    PaintTitles(C);
    TDataSet* Data = DataSet();
    if (!Data) return;
    const QRect Area = DataArea();
    const int Count = Data->DisplayRecordCount();
    const int Active = Data->ActiveDisplayIndex();
    // One partly shown row more than the whole ones.
    const int Last = std::min(Count, FTopRow + VisibleRowCount() + 1);
    for (int Row = FTopRow; Row < Last; ++Row) {
        const QRect RowRect(Area.left(), Area.top() + (Row - FTopRow) * FRowHeight, Area.width(), FRowHeight);
        Data->ReadDisplayRecord(Row, [&] { PaintRow(C, Row, RowRect, Row == Active); });
        if (FOptions & dgIndicator) PaintIndicator(C, Row, CellRect(-1, Row));
    }
}

void TCustomDBGrid::PaintTitles(TCanvas& C) {
    if (!(FOptions & dgTitles)) return;
    C.Brush().Color = SysColor(TSysColor::clBtnFace);
    C.FillRect(QRect(Inside().topLeft(), QPoint(DataArea().right(), Inside().top() + FRowHeight - 1)));
    for (int I = 0; I < FColumns.Count(); ++I) {
        const QRect R = TitleRect(I);
        if (R.isEmpty()) continue;
        TColumn* Column = FColumns[I];
        C.Brush().Color = SysColor(TSysColor::clBtnFace);
        C.SetFont(Column->Title().Font().value_or(FTitleFont));
        bool Handled = false;
        if (OnDrawTitleCell) OnDrawTitleCell(this, R, Column, Handled);
        if (!Handled) {
            QRect Text = R.adjusted(kCellMargin, 0, -kCellMargin, 0);
            C.Brush().Style = TBrushStyle::bsClear;
            C.DrawText(Column->Title().Caption(), Text,
                       AlignmentFlags(Column->Title().Alignment()) | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
            C.Brush().Style = TBrushStyle::bsSolid;
        }
        C.Pen().Color = SysColor(TSysColor::clBtnShadow);
        C.MoveTo(R.right(), R.top());
        C.LineTo(R.right(), R.bottom() + 1);
        C.MoveTo(R.left(), R.bottom());
        C.LineTo(R.right() + 1, R.bottom());
    }
}

void TCustomDBGrid::PaintIndicator(TCanvas& C, int Row, const QRect& R) {
    C.Brush().Color = SysColor(TSysColor::clBtnFace);
    C.FillRect(R);
    C.Pen().Color = SysColor(TSysColor::clBtnShadow);
    C.MoveTo(R.left(), R.bottom());
    C.LineTo(R.right() + 1, R.bottom());
    TDataSet* Data = DataSet();
    const int MidX = R.left() + R.width() / 2;
    const int MidY = R.top() + R.height() / 2;
    C.Brush().Color = SysColor(TSysColor::clWindowText);
    C.Pen().Color = SysColor(TSysColor::clWindowText);
    const bool Selected = (FOptions & dgMultiSelect) && FSelectedRows.IndexOf(Data->DisplayBookmark(Row)) >= 0;
    if (Row != Data->ActiveDisplayIndex()) {
        if (Selected) C.Painter().fillRect(QRect(MidX - 2, MidY - 2, 4, 4), SysColor(TSysColor::clWindowText));
        return;
    }
    switch (Data->State()) {
        case platform::data::dsEdit:  // an I-beam
            C.MoveTo(MidX, MidY - 4);
            C.LineTo(MidX, MidY + 5);
            C.MoveTo(MidX - 2, MidY - 4);
            C.LineTo(MidX + 3, MidY - 4);
            C.MoveTo(MidX - 2, MidY + 4);
            C.LineTo(MidX + 3, MidY + 4);
            break;
        case platform::data::dsInsert:  // an asterisk
            for (const auto& [DX, DY] : {std::pair{0, 3}, {3, 0}, {2, 2}, {2, -2}}) {
                C.MoveTo(MidX - DX, MidY - DY);
                C.LineTo(MidX + DX + (DX ? 1 : 0), MidY + DY + (DX ? 0 : 1));
            }
            break;
        default:  // the browse arrow, with the selection dot inside when the row is selected
            C.Polygon({QPoint(MidX - 2, MidY - 4), QPoint(MidX + 2, MidY), QPoint(MidX - 2, MidY + 4)});
            if (Selected) C.Painter().fillRect(QRect(R.left() + 1, MidY - 1, 2, 2), SysColor(TSysColor::clWindowText));
            break;
    }
}

void TCustomDBGrid::PaintRow(TCanvas& C, int Row, const QRect& RowRect, bool Active) {
    const int ColLine = (FOptions & dgColLines) ? 1 : 0;
    const int RowLine = (FOptions & dgRowLines) ? 1 : 0;
    TDataSet* Data = DataSet();
    const bool RowSelected = (FOptions & dgMultiSelect) && FSelectedRows.IndexOf(Data->DisplayBookmark(Row)) >= 0;
    const bool ShowSelection = ShowingSelection();
    C.Brush().Color = kLineColor;
    C.FillRect(RowRect.intersected(QRect(RowRect.left(), RowRect.top(), TotalColumnsWidth() - FLeftOffset,
                                         RowRect.height())));
    for (int I = 0; I < FColumns.Count(); ++I) {
        const QRect Cell = CellRect(I, Row);
        if (Cell.isEmpty()) continue;
        TColumn* Column = FColumns[I];
        const bool Current = Active && ((FOptions & dgRowSelect) || I == FSelectedIndex);
        TGridDrawState State = 0;
        if (RowSelected || (Current && ShowSelection)) State |= gdSelected;
        if (Current && hasFocus() && !(FOptions & dgRowSelect)) State |= gdFocused;
        const QRect Inner = Cell.adjusted(0, 0, -ColLine, -RowLine);
        const TFont CellFont = Column->Font().value_or(Font());
        if (State & gdSelected) {
            C.Brush().Color = SysColor(TSysColor::clHighlight);
            C.SetFont(TFont(CellFont, SysColor(TSysColor::clHighlightText)));
        } else {
            C.Brush().Color = Column->Color().value_or(Color());
            C.SetFont(CellFont);
        }
        if (FDefaultDrawing) DefaultDrawColumnCell(Inner, I, Column, State);
        if (OnDrawColumnCell) OnDrawColumnCell(this, Inner, I, Column, State);
        if ((State & gdFocused) && FDefaultDrawing) C.DrawFocusRect(Inner);
    }
}

bool TCustomDBGrid::ShowingSelection() const {
    return hasFocus() || FEditor->isAncestorOf(QApplication::focusWidget()) || (FOptions & dgAlwaysShowSelection);
}

void TCustomDBGrid::DefaultDrawColumnCell(const QRect& Rect, int DataCol, TColumn* Column, TGridDrawState) {
    TCanvas& C = Canvas();
    C.FillRect(Rect);
    if (const int Image = CellImageIndex(DataCol); Image >= 0 && CellImages()) {
        TImageList* Images = CellImages();
        C.Draw(Rect.left() + (Rect.width() - Images->Width()) / 2, Rect.top() + (Rect.height() - Images->Height()) / 2,
               Images->GetBitmap(Image, C.Brush().Color));
        return;
    }
    if (!Column->Field()) return;
    QRect Text = Rect.adjusted(kCellMargin, 0, -kCellMargin, 0);
    C.Brush().Style = TBrushStyle::bsClear;
    C.DrawText(CellDisplayText(DataCol), Text,
               AlignmentFlags(Column->Alignment()) | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    C.Brush().Style = TBrushStyle::bsSolid;
}

QString TCustomDBGrid::CellText(int Row, int Column) const {
    TDataSet* Data = DataSet();
    TField* Field = Data && Column >= 0 && Column < FColumns.Count() ? FColumns[Column]->Field() : nullptr;
    QString Text;
    if (Field) Data->ReadDisplayRecord(Row, [&] { Text = CellDisplayText(Column); });
    return Text;
}

QString TCustomDBGrid::CellDisplayText(int Column) const {
    TField* Field = FColumns[Column]->Field();
    return Field ? Field->DisplayText() : QString();
}

QString TCustomDBGrid::CellEditText(int Column) const {
    TField* Field = FColumns[Column]->Field();
    return Field ? Field->Text() : QString();
}

QStringList TCustomDBGrid::EditorPickList(int Column) const { return FColumns[Column]->PickList(); }

QString TCustomDBGrid::StoredText(int, const QString& EditorText) const { return EditorText; }

// ---------------------------------------------------------------- navigation

bool TCustomDBGrid::CanEditGrid() const {
    TDataSet* Data = DataSet();
    return Data && (FOptions & dgEditing) && !(FOptions & dgRowSelect) && !FReadOnly && !FLink->ReadOnly() &&
           Data->CanModify();
}

bool TCustomDBGrid::CanEditColumn(int Column) const {
    if (!CanEditGrid() || Column < 0 || Column >= FColumns.Count()) return false;
    const TColumn* C = FColumns[Column];
    return C->Visible() && C->Field() && !C->ReadOnly();
}

void TCustomDBGrid::MoveRows(int Distance, Qt::KeyboardModifiers Shift) {
    TDataSet* Data = DataSet();
    if (!Data || Distance == 0 || !CommitEditor()) return;
    const bool Extend = (FOptions & dgMultiSelect) && (Shift & Qt::ShiftModifier);
    if (Extend) FSelectedRows.SetCurrentRowSelected(true);
    else if (FOptions & dgMultiSelect) FSelectedRows.Clear();
    const bool AtLast = Data->ActiveDisplayIndex() == Data->DisplayRecordCount() - 1;
    const bool Inserting = Data->State() == platform::data::dsInsert;
    if (Distance > 0 && AtLast) {
        // Down from the last row adds one, unless that row is a new one not typed in yet.
        if (CanEditGrid() && !(Inserting && !Data->Modified())) Data->Append();
    } else if (Distance < 0 && Inserting && !Data->Modified()) {
        Data->Cancel();
    } else {
        Data->MoveBy(Distance);
    }
    if (Extend) FSelectedRows.SetCurrentRowSelected(true);
    RowMoved();
}

void TCustomDBGrid::MoveToRow(int Row, Qt::KeyboardModifiers Shift) {
    TDataSet* Data = DataSet();
    if (!Data || !CommitEditor()) return;
    const int Active = Data->ActiveDisplayIndex();
    if (Row == Active) return;
    if (!(Shift & (Qt::ControlModifier | Qt::ShiftModifier)) && (FOptions & dgMultiSelect)) FSelectedRows.Clear();
    if (Data->State() != platform::data::dsInsert) {
        Data->MoveBy(Row - Active);
    } else {
        // The new row is stored or dropped first; the target is then found by its bookmark.
        const TBookmark Target = Data->DisplayBookmark(Row);
        if (Data->Modified()) Data->Post();
        else Data->Cancel();
        if (Data->BookmarkValid(Target)) Data->GotoBookmark(Target);
    }
    RowMoved();
}

void TCustomDBGrid::RowMoved() {
    // Editing ends with the row, unless the editor always shows.
    if (!(FOptions & dgAlwaysShowEditor)) HideEditor();
}

int TCustomDBGrid::NextVisibleColumn(int From, int Step) const {
    for (int I = From + Step; I >= 0 && I < FColumns.Count(); I += Step)
        if (FColumns[I]->Visible()) return I;
    return -1;
}

void TCustomDBGrid::MoveColumn(int Distance, bool WrapRows) {
    const int Step = Distance > 0 ? 1 : -1;
    if (const int Next = NextVisibleColumn(FSelectedIndex, Step); Next >= 0) {
        SetSelectedIndex(Next);
        return;
    }
    TDataSet* Data = DataSet();
    if (!WrapRows || !Data || !CommitEditor()) return;
    const int Before = Data->ActiveDisplayIndex();
    MoveRows(Step, {});
    if (Data->ActiveDisplayIndex() == Before && Data->State() != platform::data::dsInsert) return;
    const int Edge = NextVisibleColumn(Step > 0 ? -1 : FColumns.Count(), Step);
    if (Edge >= 0) SetSelectedIndex(Edge);
}

bool TCustomDBGrid::focusNextPrevChild(bool Next) {
    TDataSet* Data = DataSet();
    if (!(FOptions & dgTabs) || !Data || (FOptions & dgRowSelect)) return TCustomControl::focusNextPrevChild(Next);
    const bool AtEnd = NextVisibleColumn(FSelectedIndex, Next ? 1 : -1) < 0 &&
                       (Next ? Data->ActiveDisplayIndex() == Data->DisplayRecordCount() - 1
                             : Data->ActiveDisplayIndex() <= 0);
    if (AtEnd) return TCustomControl::focusNextPrevChild(Next);
    RunGuarded([&] { MoveColumn(Next ? 1 : -1, true); });
    return true;
}

void TCustomDBGrid::DeleteRecords() {
    TDataSet* Data = DataSet();
    if (!Data || !CanEditGrid() || Data->IsEmpty()) return;
    const bool Several = (FOptions & dgMultiSelect) && FSelectedRows.Count() > 0;
    if ((FOptions & dgConfirmDelete) &&
        !AskConfirmation(Several ? kSDeleteMultipleRecordsQuestion : kSDeleteRecordQuestion))
        return;
    HideEditor();
    if (Several) FSelectedRows.Delete();
    else Data->Delete();
}

bool TCustomDBGrid::HasEllipsis(int Column) const {
    return CanEditColumn(Column) && FColumns[Column]->ButtonStyle() == cbsEllipsis;
}

void TCustomDBGrid::EditButtonClick() {
    if (OnEditButtonClick) RunGuarded([this] { OnEditButtonClick(this); });
}

void TCustomDBGrid::CancelEdits() {
    TDataSet* Data = DataSet();
    if (FEditorShown && FEditor->Modified()) {
        // The first Esc undoes the cell, the next one the record.
        ResetEditor();
        FEditor->SelectAll();
        return;
    }
    if (Data && IsEditing(Data)) Data->Cancel();
    if (!(FOptions & dgAlwaysShowEditor)) HideEditor();
}

void TCustomDBGrid::KeyDown(int& Key, Qt::KeyboardModifiers Shift) {
    TDataSet* Data = DataSet();
    if (!Data) return;
    const bool Ctrl = Shift & Qt::ControlModifier;
    switch (Key) {
        case Qt::Key_Up: MoveRows(-1, Shift); break;
        case Qt::Key_Down: MoveRows(1, Shift); break;
        case Qt::Key_PageUp: MoveRows(-VisibleRowCount(), Shift); break;
        case Qt::Key_PageDown: MoveRows(VisibleRowCount(), Shift); break;
        case Qt::Key_Home:
        case Qt::Key_End:
            if (Ctrl || (FOptions & dgRowSelect)) {
                if (!CommitEditor()) break;
                if (Key == Qt::Key_Home) Data->First();
                else Data->Last();
            } else {
                const int Edge = NextVisibleColumn(Key == Qt::Key_Home ? -1 : FColumns.Count(),
                                                   Key == Qt::Key_Home ? 1 : -1);
                if (Edge >= 0) SetSelectedIndex(Edge);
            }
            break;
        case Qt::Key_Left: MoveColumn(-1, false); break;
        case Qt::Key_Right: MoveColumn(1, false); break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Ctrl+Enter is the keyboard's way to the ellipsis button.
            if (Ctrl && HasEllipsis(FSelectedIndex)) EditButtonClick();
            else if (!FEditorShown) SetEditorMode(true);
            else if (CommitEditor() && !(FOptions & dgAlwaysShowEditor)) HideEditor();
            break;
        case Qt::Key_F2: SetEditorMode(true); break;
        case Qt::Key_Escape: CancelEdits(); break;
        case Qt::Key_Insert:
            if (Shift != Qt::NoModifier || !CanEditGrid() || !CommitEditor()) return;
            Data->Insert();
            break;
        case Qt::Key_Delete:
            if (!Ctrl) return;
            DeleteRecords();
            break;
        default: return;
    }
    Key = 0;
}

void TCustomDBGrid::keyPressEvent(QKeyEvent* Event) {
    const QString Text = Event->text();
    const bool Typed = Text.size() == 1 && Text[0].isPrint() &&
                       !(Event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (Typed && CanEditColumn(FSelectedIndex)) {
        // The first key opens the editor and is its first character; with the editor open, the key is its own.
        if (FEditorShown) FEditor->setFocus();
        else ShowEditor();
        if (FEditorShown) FEditor->Type(Text);
        Event->accept();
        return;
    }
    TCustomControl::keyPressEvent(Event);
}

bool TCustomDBGrid::WantsKey(int Key) const {
    // Esc undoes an edit; otherwise it belongs to the form (a cancel button).
    if (Key == Qt::Key_Escape) return FEditorShown || (DataSet() && IsEditing(DataSet()));
    return CanEditGrid();
}

void TCustomDBGrid::wheelEvent(QWheelEvent* Event) {
    const int Notches = Event->angleDelta().y() / 120;
    RunGuarded([&] { MoveRows(-Notches, {}); });
    Event->accept();
}

void TCustomDBGrid::FocusChanged(QWidget* NewFocus) {
    const bool Inside = NewFocus && (NewFocus == this || isAncestorOf(NewFocus));
    const bool Leaving = FHadFocus && !Inside;
    FHadFocus = Inside;
    if (!Leaving) {
        update();
        return;
    }
    TDataSet* Data = DataSet();
    if (CommitEditor() && Data && (FOptions & dgCancelOnExit) && Data->State() == platform::data::dsInsert &&
        !Data->Modified())
        Data->Cancel();
    update();
}

// ---------------------------------------------------------------- mouse

void TCustomDBGrid::MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != Qt::LeftButton) return;
    SetFocus();
    if (Y < DataArea().top()) {
        const int Border = (FOptions & dgColumnResize) ? ResizeBorderAt(X) : -1;
        if (Border >= 0) FDrag = TDrag{TDrag::Resize, Border, X, false};
        else if (const int Column = ColumnAt(X); Column >= 0) FDrag = TDrag{TDrag::Move, Column, X, false};
        return;
    }
    TDataSet* Data = DataSet();
    const int Row = RowAt(Y);
    const int Column = ColumnAt(X);
    if (!Data || Row < 0) return;
    const bool SameCell = Row == Data->ActiveDisplayIndex() && Column == FSelectedIndex;
    // Shift+click selects every row from the current one to the one clicked.
    if ((FOptions & dgMultiSelect) && (Shift & Qt::ShiftModifier) && Data->State() != platform::data::dsInsert)
        FSelectedRows.SelectRange(Data->ActiveDisplayIndex(), Row);
    MoveToRow(Row, Shift);
    if (Column >= 0 && !(FOptions & dgRowSelect)) SetSelectedIndex(Column);
    if ((FOptions & dgMultiSelect) && (Shift & Qt::ControlModifier))
        FSelectedRows.SetCurrentRowSelected(!FSelectedRows.CurrentRowSelected());
    if (SameCell && !FEditorShown && CanEditColumn(Column)) ShowEditor();
    if (Column >= 0 && OnCellClick) OnCellClick(FColumns[Column]);
}

void TCustomDBGrid::MouseMove(Qt::KeyboardModifiers Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    const bool OnBorder = Y < DataArea().top() && (FOptions & dgColumnResize) && ResizeBorderAt(X) >= 0;
    setCursor(FDrag.Kind == TDrag::Resize || OnBorder ? Qt::SplitHCursor : Qt::ArrowCursor);
    if (FDrag.Kind == TDrag::Resize) {
        const int Left = DataArea().left() + ColumnLeft(FDrag.Column) - FLeftOffset;
        FColumns[FDrag.Column]->SetWidth(std::max(kMinColumnWidth, X - Left));
    } else if (FDrag.Kind == TDrag::Move && std::abs(X - FDrag.StartX) > kDragThreshold) {
        FDrag.Moved = (FOptions & dgColumnResize) != 0;
    }
}

void TCustomDBGrid::MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
    const TDrag Drag = FDrag;
    FDrag = TDrag{};
    if (Drag.Kind == TDrag::Move) {
        const int Target = ColumnAt(X);
        if (!Drag.Moved) {
            if (OnTitleClick && Target == Drag.Column) OnTitleClick(FColumns[Drag.Column]);
        } else if (Target >= 0 && Target != Drag.Column) {
            TField* Selected = SelectedField();
            FColumns.Move(Drag.Column, Target);
            if (Selected) SetSelectedField(Selected);
            if (OnColumnMoved) OnColumnMoved(this, Drag.Column, Target);
        }
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomDBGrid::DblClick() {
    TCustomControl::DblClick();
    if (CanEditColumn(FSelectedIndex)) ShowEditor();
}

// ---------------------------------------------------------------- the editor

bool TCustomDBGrid::EditorMode() const { return FEditorShown; }

void TCustomDBGrid::SetEditorMode(bool Value) {
    if (Value) ShowEditor();
    else if (CommitEditor()) HideEditor();
}

QString TCustomDBGrid::EditorText() const { return FEditorShown ? FEditor->Text() : QString(); }

void TCustomDBGrid::ShowEditor() {
    if (!CanEditColumn(FSelectedIndex) || !EditorAllowed(FSelectedIndex) || !DataSet() ||
        (DataSet()->IsEmpty() && !IsEditing(DataSet())))
        return;
    TColumn* Column = FColumns[FSelectedIndex];
    TField* Field = Column->Field();
    if (Column->HasPickList()) FEditor->SetKind(TInplaceEditor::ekPickList, EditorPickList(FSelectedIndex));
    else FEditor->SetKind(HasEllipsis(FSelectedIndex) ? TInplaceEditor::ekEllipsis : TInplaceEditor::ekText);
    FEditor->SetMaxLength(platform::data::IsStringType(Field->DataType()) ? Field->Size() : 0);
    FEditorShown = true;
    ResetEditor();
    PlaceEditor();
    FEditor->setFocus();
    FEditor->SelectAll();
}

void TCustomDBGrid::HideEditor() {
    if (!FEditorShown) return;
    FEditorShown = false;
    SetEditorVisible(false);
    update();
}

void TCustomDBGrid::PlaceEditor() {
    if (!FEditorShown || !DataSet()) return;
    const QRect Cell = CellRect(FSelectedIndex, DataSet()->ActiveDisplayIndex());
    const int ColLine = (FOptions & dgColLines) ? 1 : 0;
    const int RowLine = (FOptions & dgRowLines) ? 1 : 0;
    FEditor->setGeometry(Cell.adjusted(0, 0, -ColLine, -RowLine));
    SetEditorVisible(!Cell.isEmpty());
}

void TCustomDBGrid::SetEditorVisible(bool Value) {
    // Hiding the focused editor would pass the focus on as Tab does: the grid takes it first.
    if (!Value && FEditor->isAncestorOf(QApplication::focusWidget())) setFocus();
    FEditor->setVisible(Value);
}

void TCustomDBGrid::ResetEditor() {
    FEditor->Reset(SelectedField() ? CellEditText(FSelectedIndex) : QString());
    FEditor->SetReadOnly(!CanEditColumn(FSelectedIndex));
}

bool TCustomDBGrid::EditorChanging() {
    bool Editing = false;
    {
        const QScopedValueRollback<bool> Starting(FStartingEdit, true);
        RunGuarded([&] { Editing = CanEditColumn(FSelectedIndex) && FLink->Edit(); });
    }
    if (!Editing) ResetEditor();
    update();
    return Editing;
}

void TCustomDBGrid::EditorKeyDown(int& Key, Qt::KeyboardModifiers Shift) {
    RunGuarded([&] { KeyDown(Key, Shift); });
    Key = 0;
}

bool TCustomDBGrid::CommitEditor() {
    TField* Field = SelectedField();
    if (!FEditorShown || !FEditor->Modified() || !Field) return true;
    try {
        if (!FLink->Edit()) {
            ResetEditor();
            return true;
        }
        Field->SetText(StoredText(FSelectedIndex, FEditor->Text()));
        FEditor->Reset(CellEditText(FSelectedIndex));
        return true;
    } catch (...) {
        // The field's error is shown and the editor keeps the focus with the value typed.
        HandleException();
        FEditor->setFocus();
        FEditor->SelectAll();
        return false;
    }
}

// ---------------------------------------------------------------- read-only grid

TDBReadOnlyGrid::TDBReadOnlyGrid(QWidget* AParent) : TCustomDBGrid(AParent) {
    SetOptions(dgTitles | dgColLines | dgRowLines | dgRowSelect | dgAlwaysShowSelection | dgColumnResize);
    SetReadOnly(true);
}

void TDBReadOnlyGrid::SetImages(TImageList* Value) {
    FImages = Value;
    update();
}

int TDBReadOnlyGrid::CellImageIndex(int DataCol) const {
    int Image = -1;
    if (TField* Field = ColumnField(DataCol); Field && FImages && OnGetImageIndex)
        OnGetImageIndex(const_cast<TDBReadOnlyGrid*>(this), Field, Image);
    return Image;
}

int TDBReadOnlyGrid::ImageIndexAt(int Row, int Column) const {
    int Image = -1;
    if (platform::data::TDataSet* Data = DataSet())
        Data->ReadDisplayRecord(Row, [&] { Image = CellImageIndex(Column); });
    return Image;
}

}  // namespace platform::ui
