#include "databound/VexDBGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QKeyEvent>
#include <QScreen>
#include <algorithm>
#include <map>
#include <memory>

#include "controls/VexPaint.h"
#include "databound/CustomCombo.h"
#include "dataaccess/DataSetSort.h"
#include "dataaccess/VexMenu.h"
#include "platform/ui/Fonts.h"
#include "platform/ui/Messages.h"

namespace databound {

using platform::data::TDataSet;
using platform::ui::dgColLines;
using platform::ui::dgEditing;
using platform::ui::dgIndicator;
using platform::ui::dgMultiSelect;
using platform::ui::dgRowLines;
using platform::ui::dgRowSelect;
using platform::ui::dgTitles;
using platform::ui::gdFocused;
using platform::ui::gdSelected;
using platform::ui::TSysColor;
using platform::ui::SysColor;

namespace {

constexpr int kRowHeight = 18;
constexpr int kTitleRowHeight = 21;
constexpr int kNewLineTitleHeight = 39;
constexpr int kIndicatorWidth = 14;
constexpr int kSortMarkerRight = 4;
constexpr int kFlatButtonPressed = 76;
constexpr int kMenuEntryHeight = 24;
constexpr int kMenuSeparatorHeight = 3;

using platform::ui::ColorFromRef;

const QColor kTitleColor = ColorFromRef(0xDBEAEB);
const QColor kHotTitleColor = ColorFromRef(0xF4F9FA);
const QColor kTitleLineDark = ColorFromRef(0xB8C7CB);
const QColor kTitleLineMid = ColorFromRef(0xC2D2D6);
const QColor kTitleLineLight = ColorFromRef(0xCDDEE2);
const QColor kHotEdge = ColorFromRef(0x31B2F8);
const QColor kSortNumberColor = ColorFromRef(0x808080);
const QColor kDefaultZebra = ColorFromRef(0xF0F5F7);
const QColor kDefaultInactive = ColorFromRef(0x0000FF);
const QString kActiveField = QStringLiteral("Ativo");
const QString kCustomizeCaption = QStringLiteral("Personalizar...");
const QString kFullGridCaption = QStringLiteral("Abrir grade completa");

constexpr platform::ui::TDBGridOptions kVexGridOptions =
    dgTitles | dgIndicator | platform::ui::dgColumnResize | dgColLines | dgRowLines | platform::ui::dgTabs |
    platform::ui::dgConfirmDelete | platform::ui::dgCancelOnExit;

// The digit keys also as they arrive with Shift on the usual layout.
int DigitOf(int Key) {
    if (Key >= Qt::Key_0 && Key <= Qt::Key_9) return Key - Qt::Key_0;
    static const QString kShifted = QStringLiteral(")!@#$%^&*(");
    if (Key < 0x20 || Key > 0x7E) return -1;
    return static_cast<int>(kShifted.indexOf(QChar(Key)));
}

const QImage& Picture(const QString& Name) {
    static std::map<QString, QImage> Cache;
    auto Found = Cache.find(Name);
    if (Found == Cache.end()) {
        QImage Bitmap;
        controls::LoadSkinBitmap(Bitmap, Name);
        Found = Cache.emplace(Name, Bitmap).first;
    }
    return Found->second;
}

void DrawCentred(TCanvas& C, const QRect& R, const QImage& Bitmap) {
    const QRect Target(R.left() + (R.width() - Bitmap.width()) / 2, R.top() + (R.height() - Bitmap.height()) / 2,
                       Bitmap.width(), Bitmap.height());
    const platform::ui::TBrushStyle Style = C.Brush().Style;
    C.Brush().Style = platform::ui::TBrushStyle::bsClear;
    C.KeyColorDraw(Target, Bitmap);
    C.Brush().Style = Style;
}

void HorizontalLine(TCanvas& C, int Left, int Right, int Y, QColor Color) {
    C.Pen().Color = Color;
    C.MoveTo(Left, Y);
    C.LineTo(Right + 1, Y);
}

void VerticalLine(TCanvas& C, int X, int Top, int Bottom, QColor Color) {
    C.Pen().Color = Color;
    C.MoveTo(X, Top);
    C.LineTo(X, Bottom + 1);
}

std::function<void(TVexDBGrid*)>& ColumnDialogOpener() {
    static std::function<void(TVexDBGrid*)> Opener;
    return Opener;
}

std::function<void(TVexDBGrid*)>& FullGridOpener() {
    static std::function<void(TVexDBGrid*)> Opener;
    return Opener;
}

}  // namespace

struct TVexDBGrid::TGridSortRequest {
    int Column;
    bool Shift;
};

// ---------------------------------------------------------------- column

void TVexDBGridColumn::SetCheckBox(bool Value) {
    if (FCheckBox == Value) return;
    FCheckBox = Value;
    Collection()->Changed();
}

void TVexDBGridColumn::SetPickListEx(const QStringList& Value) {
    FPickListEx = Value;
    Collection()->Changed();
}

void TVexDBGridColumn::Assign(const TVexDBGridColumn& Source) {
    FCheckBox = Source.FCheckBox;
    FPickListEx = Source.FPickListEx;
    SetAlignment(Source.Alignment());
}

// ---------------------------------------------------------------- grid

TVexDBGrid::TVexDBGrid(QWidget* AParent)
    : TCustomDBGrid(AParent),
      FTitlePopup(new platform::ui::TPopupMenu(this)),
      FNewLineColor(SysColor(TSysColor::clWindow)),
      FZebraColor(kDefaultZebra),
      FCorInativos(kDefaultInactive) {
    Columns().SetColumnFactory(
        [](platform::ui::TDBGridColumns* Owner) { return std::make_unique<TVexDBGridColumn>(Owner); });
    FTitlePopup->SetOwnerDraw(true);
    SetOptions(kVexGridOptions);
    SetDefaultDrawing(false);
    SetDefaultRowHeight(kRowHeight);
    SetFont(platform::ui::TFont(platform::ui::DefaultFont()));
    SetTitleFont(platform::ui::TFont(platform::ui::DefaultFont()));
    SetMessageHandler(platform::ui::WM_USER, [this](platform::ui::TMessage& Message) { HandleGridMessage(Message); });
}

TVexDBGrid::~TVexDBGrid() = default;

TVexDBGridColumn* TVexDBGrid::Column(int Index) const { return static_cast<TVexDBGridColumn*>(Columns()[Index]); }

void TVexDBGrid::SetNewLine(bool Value) {
    if (FNewLine == Value) return;
    FNewLine = Value;
    DataStateChanged();
}

void TVexDBGrid::SetBevelKind(TBevelKind Value) {
    FBevelKind = Value;
    Relayout();
}

void TVexDBGrid::SetBorderStyle(TGridBorderStyle Value) {
    FBorderStyle = Value;
    Relayout();
}

void TVexDBGrid::SetDivisao(TVexDBDivisao* Value) {
    FDivisao = Value;
    update();
}

QString TVexDBGrid::DetailFields() const {
    // The division lists them with commas, the ordering with semicolons.
    return FDivisao ? QString(FDivisao->DetailFields).replace(QLatin1Char(','), QLatin1Char(';')) : QString();
}

bool TVexDBGrid::ColumnFiltered(const TColumn* Column) const {
    if (!FDivisao || !Column->Field()) return false;
    const TFiltrosDivisao& Filtros = FDivisao->Filtros();
    for (int I = 0; I < Filtros.Count(); ++I) {
        const TFiltroDivisao* Filtro = Filtros.Items(I);
        if (!Filtro->Active() || Filtro->Field() != Column->Field()) continue;
        for (int V = 0; V < Filtro->Values().Count(); ++V)
            if (Filtro->Values().Items(V)->Active()) return true;
    }
    return false;
}

void TVexDBGrid::SetImages(platform::ui::TImageList* Value) {
    FImages = Value;
    update();
}

void TVexDBGrid::SetColumnDialogOpener(std::function<void(TVexDBGrid*)> Opener) {
    ColumnDialogOpener() = std::move(Opener);
}

void TVexDBGrid::SetFullGridOpener(std::function<void(TVexDBGrid*)> Opener) { FullGridOpener() = std::move(Opener); }

// ---------------------------------------------------------------- layout

int TVexDBGrid::FrameWidth() const {
    if (FBorderStyle == bsSingle) return TCustomDBGrid::FrameWidth();
    return FBevelKind == bkFlat ? 1 : 0;
}

int TVexDBGrid::IndicatorWidth() const { return (Options() & dgIndicator) ? kIndicatorWidth : 0; }

int TVexDBGrid::TitleHeight() const {
    if (!(Options() & dgTitles)) return 0;
    if (!FNewLineShown) return kTitleRowHeight;
    return kNewLineTitleHeight + ((Options() & dgRowLines) ? 1 : 0);
}

QRect TVexDBGrid::TitleCellRect(int Column) const {
    const QRect R = TitleRect(Column);
    return R.isEmpty() ? R : QRect(R.left(), R.top(), R.width(), kTitleRowHeight);
}

QRect TVexDBGrid::NewLineRect() const {
    if (!FNewLineShown) return {};
    const QRect In = Inside();
    return QRect(In.left(), In.top() + kTitleRowHeight, DataArea().right() + 1 - In.left(),
                 TitleHeight() - kTitleRowHeight);
}

void TVexDBGrid::DataStateChanged() {
    TDataSet* Data = DataSet();
    const bool Shown =
        FNewLine && Data && Data->State() == platform::data::dsBrowse && !Data->IsEmpty();
    if (Shown == FNewLineShown) return;
    FNewLineShown = Shown;
    if (!Shown) FNewLineHot = false;
    platform::ui::PostMessage(this, platform::ui::WM_USER, kGridLayoutMessage, 0);
}

void TVexDBGrid::HandleGridMessage(platform::ui::TMessage& Message) {
    switch (Message.WParam) {
        case kGridSortMessage: SortByRequest(reinterpret_cast<TGridSortRequest*>(Message.LParam)); break;
        case kGridInsertMessage:
            if (TDataSet* Data = DataSet(); Data && Data->State() != platform::data::dsInsert) Data->Insert();
            break;
        case kGridLayoutMessage: Relayout(); break;
        default: break;
    }
}

void TVexDBGrid::RequestSort(int Column, bool Multi) {
    auto Request = std::make_unique<TGridSortRequest>(TGridSortRequest{Column, Multi});
    // The grid keeps the request until it arrives, so a grid destroyed first frees it.
    if (platform::ui::PostMessage(this, platform::ui::WM_USER, kGridSortMessage,
                                  reinterpret_cast<platform::ui::LPARAM>(Request.get())))
        FPendingSorts.push_back(std::move(Request));
}

void TVexDBGrid::SortByRequest(TGridSortRequest* Request) {
    const auto Found = std::find_if(FPendingSorts.begin(), FPendingSorts.end(),
                                    [Request](const auto& Pending) { return Pending.get() == Request; });
    if (Found == FPendingSorts.end()) return;
    const std::unique_ptr<TGridSortRequest> Received = std::move(*Found);
    FPendingSorts.erase(Found);
    TDataSet* Data = DataSet();
    if (!Data || Received->Column < 0 || Received->Column >= Columns().Count()) return;
    if (TField* Field = Columns()[Received->Column]->Field())
        dataaccess::ToggleSort(Data, DetailFields(), Field->FieldName(), Received->Shift);
    update();
}

// ---------------------------------------------------------------- painting

void TVexDBGrid::PaintFrame(TCanvas& C) {
    if (FrameWidth() != 1) {
        if (FrameWidth() > 1) TCustomDBGrid::PaintFrame(C);
        return;
    }
    C.Brush().Color = SysColor(TSysColor::clBtnShadow);
    C.FrameRect(rect());
}

void TVexDBGrid::DrawTitleCell(TCanvas& C, const QRect& R, bool Hot, bool Pressed) {
    if (Pressed) {
        controls::DrawFlatButton(C, R, nullptr, nullptr, kFlatButtonPressed, -1);
        return;
    }
    C.Brush().Color = Hot ? kHotTitleColor : kTitleColor;
    C.FillRect(R);
    HorizontalLine(C, R.left(), R.right(), R.top(), Qt::white);
    VerticalLine(C, R.left(), R.top(), R.bottom(), Qt::white);
    VerticalLine(C, R.right(), R.top(), R.bottom(), kTitleLineDark);
    const QColor Bottom[] = {kTitleLineDark, kTitleLineMid, kTitleLineLight};
    for (int I = 0; I < 3; ++I) HorizontalLine(C, R.left(), R.right() - 1, R.bottom() - I, Hot ? kHotEdge : Bottom[I]);
}

void TVexDBGrid::DrawSortMarker(TCanvas& C, QRect& Caption, TColumn* Column) {
    TDataSet* Data = DataSet();
    TField* Field = Column->Field();
    if (!Data || !Field) return;
    int Position = -1;
    const int State = dataaccess::GetSortState(Data, Field->FieldName(), DetailFields(), Position);
    int Right = Caption.right() + 1;
    if (State != 0) {
        const QImage Arrow = State == 1 ? Picture(QStringLiteral("DBGRIDSORT")).mirrored(false, true)
                                        : Picture(QStringLiteral("DBGRIDSORT"));
        QString Number;
        if (dataaccess::SortFieldCount(Data, DetailFields()) > 1) Number = QString::number(Position + 1);
        C.SetFont(platform::ui::TFont(platform::ui::MakeFont(QStringLiteral("Small Fonts"), 7), kSortNumberColor));
        const int NumberWidth = Number.isEmpty() ? 0 : C.TextWidth(Number) + 1;
        const int ArrowLeft = Right - kSortMarkerRight - NumberWidth - Arrow.width();
        DrawCentred(C, QRect(ArrowLeft, Caption.top(), Arrow.width(), Caption.height()), Arrow);
        if (!Number.isEmpty()) {
            QRect NumberRect(ArrowLeft + Arrow.width() + 1, Caption.top(), NumberWidth, Caption.height());
            C.Brush().Style = platform::ui::TBrushStyle::bsClear;
            C.DrawText(Number, NumberRect, platform::ui::DT_SINGLELINE | platform::ui::DT_VCENTER);
            C.Brush().Style = platform::ui::TBrushStyle::bsSolid;
        }
        Right = ArrowLeft;
    }
    if (ColumnFiltered(Column)) {
        const QImage& Filter = Picture(QStringLiteral("DBGRIDFILTER"));
        Right -= Filter.width() + 2;
        DrawCentred(C, QRect(Right, Caption.top(), Filter.width(), Caption.height()), Filter);
    }
    Caption.setRight(Right - 1);
}

void TVexDBGrid::PaintTitles(TCanvas& C) {
    if (!(Options() & dgTitles)) return;
    const QRect In = Inside();
    // Right of the last column, and over the indicator, an empty title.
    DrawTitleCell(C, QRect(In.left(), In.top(), In.width(), kTitleRowHeight), false, false);
    for (int I = 0; I < Columns().Count(); ++I) {
        const QRect R = TitleCellRect(I);
        if (R.isEmpty()) continue;
        const bool Hot = FHotCell == QPoint(I, -1);
        DrawTitleCell(C, R, Hot, Hot && FHotPressed);
        TColumn* Column = Columns()[I];
        QRect Caption = R.adjusted(2, 4, -2, -4).translated(3, 0);
        DrawSortMarker(C, Caption, Column);
        C.SetFont(platform::ui::TFont(platform::ui::DefaultFont(), Qt::black));
        C.Brush().Style = platform::ui::TBrushStyle::bsClear;
        C.DrawText(Column->Title().Caption(), Caption,
                   platform::ui::DT_SINGLELINE | platform::ui::DT_VCENTER | platform::ui::DT_END_ELLIPSIS |
                       platform::ui::DT_NOPREFIX);
        C.Brush().Style = platform::ui::TBrushStyle::bsSolid;
    }
    if (!FNewLineShown) return;
    const QRect Strip = NewLineRect();
    C.Brush().Color = FNewLineColor;
    C.FillRect(Strip.adjusted(IndicatorWidth(), 0, 0, 0));
    if (Options() & dgIndicator) {
        const QRect Cell(Strip.left(), Strip.top(), kIndicatorWidth, Strip.height());
        DrawTitleCell(C, Cell, FNewLineHot, false);
        DrawCentred(C, Cell, Picture(QStringLiteral("DBGRIDINSERT")));
    }
}

void TVexDBGrid::PaintIndicator(TCanvas& C, int Row, const QRect& R) {
    C.Brush().Color = kTitleColor;
    C.FillRect(R);
    HorizontalLine(C, R.left(), R.right(), R.bottom(), kTitleLineDark);
    VerticalLine(C, R.right(), R.top(), R.bottom(), kTitleLineDark);
    TDataSet* Data = DataSet();
    const bool Multi = Options() & dgMultiSelect;
    const bool Selected = Multi && SelectedRows().IndexOf(Data->DisplayBookmark(Row)) >= 0;
    const bool Current = Row == Data->ActiveDisplayIndex();
    QString Name;
    if (Current && Data->State() == platform::data::dsEdit) Name = QStringLiteral("DBGRIDEDIT");
    else if (Current && Data->State() == platform::data::dsInsert) Name = QStringLiteral("DBGRIDINSERT");
    else if (Current && Selected) Name = QStringLiteral("DBGRIDMULTIARROW");
    else if (Current) Name = QStringLiteral("DBGRIDSETA");
    else if (Selected) Name = QStringLiteral("DBGRIDMULTIDOT");
    if (!Name.isEmpty()) DrawCentred(C, R, Picture(Name));
}

void TVexDBGrid::PaintRow(TCanvas& C, int Row, const QRect& RowRect, bool Active) {
    (void)RowRect;
    const bool RowSelected =
        (Options() & dgMultiSelect) && SelectedRows().IndexOf(DataSet()->DisplayBookmark(Row)) >= 0;
    for (int I = 0; I < Columns().Count(); ++I) {
        const QRect Cell = CellRect(I, Row);
        if (Cell.isEmpty()) continue;
        const bool Current = Active && ((Options() & dgRowSelect) || I == SelectedIndex());
        TGridDrawState State = 0;
        if (RowSelected || (Current && ShowingSelection())) State |= gdSelected;
        if (Current && hasFocus() && !(Options() & dgRowSelect)) State |= gdFocused;
        DrawDataCell(C, Row, I, Cell, State);
    }
}

void TVexDBGrid::DrawDataCell(TCanvas& C, int Row, int DataCol, const QRect& Cell, TGridDrawState State) {
    if (OnDrawCell) OnDrawCell(this, DataCol, Row, Cell, State);
    const int ColLine = (Options() & dgColLines) ? 1 : 0;
    const int RowLine = (Options() & dgRowLines) ? 1 : 0;
    if (ColLine) VerticalLine(C, Cell.right(), Cell.top(), Cell.bottom(), Color());
    if (RowLine) HorizontalLine(C, Cell.left(), Cell.right(), Cell.bottom(), kTitleColor);
    const QRect Inner = Cell.adjusted(0, 0, -ColLine, -RowLine);
    TColumn* Column = Columns()[DataCol];
    platform::ui::TFont CellFont = Column->Font().value_or(Font());
    if (State & gdSelected) {
        C.Brush().Color = SysColor(TSysColor::clHighlight);
        CellFont.SetColor(SysColor(TSysColor::clHighlightText));
    } else {
        C.Brush().Color = Column->Color().value_or(Color());
        TField* Active = DataSet()->FindField(kActiveField);
        if (FDestacarInativos && Active && !Active->IsNull() && !Active->AsBoolean()) CellFont.SetColor(FCorInativos);
    }
    if (!isEnabled()) CellFont.SetColor(SysColor(TSysColor::clGrayText));
    C.SetFont(CellFont);
    using namespace platform::ui;
    unsigned Flags = AlignmentFlags(Column->Alignment()) | DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER;
    bool DefaultDraw = true;
    if (OnAdvancedDrawColumnCell) OnAdvancedDrawColumnCell(this, Inner, DataCol, Column, State, Flags, DefaultDraw);
    if (DefaultDraw) DrawCellContent(C, Inner, DataCol, Flags);
    if (FDrawFocusRect && hasFocus() && !(Options() & dgMultiSelect) && (State & gdSelected) && (State & gdFocused))
        C.DrawFocusRect(Inner);
    if (OnDrawColumnCell) OnDrawColumnCell(this, Inner, DataCol, Column, State);
    const bool Odd = Row % 2 == 1;
    if ((FEstiloZebra == ezPar && !Odd) || (FEstiloZebra == ezImpar && Odd)) ApplyZebra(C, Inner);
}

void TVexDBGrid::DrawCellContent(TCanvas& C, const QRect& Inner, int DataCol, unsigned Flags) {
    C.FillRect(Inner);
    TField* Field = Columns()[DataCol]->Field();
    if (!Field) return;
    if (IsCheckBoxColumn(DataCol)) {
        int Image = -1;
        if (FImages && OnGetImageIndex) OnGetImageIndex(this, Columns()[DataCol], Image);
        if (Image >= 0 && FImages) {
            const QImage Bitmap = FImages->GetBitmap(Image, C.Brush().Color);
            DrawCentred(C, Inner, Bitmap);
        } else {
            const bool Checked = !Field->IsNull() && Field->AsBoolean();
            DrawCentred(C, Inner, Picture(Checked ? QStringLiteral("CHECKCHECKED") : QStringLiteral("CHECKUNCHECKED")));
        }
        return;
    }
    QRect Text = Inner.adjusted(2, 0, -2, 0);
    C.Brush().Style = platform::ui::TBrushStyle::bsClear;
    C.DrawText(CellDisplayText(DataCol), Text, Flags);
    C.Brush().Style = platform::ui::TBrushStyle::bsSolid;
}

void TVexDBGrid::ApplyZebra(TCanvas& C, const QRect& R) {
    // The tint keeps each colour channel's bits that the zebra colour has: white rows take the zebra colour.
    QPainter& P = C.Painter();
    const QPainter::CompositionMode Mode = P.compositionMode();
    P.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    P.fillRect(R, FZebraColor);
    P.setCompositionMode(Mode);
}

// ---------------------------------------------------------------- cell texts

bool TVexDBGrid::IsCheckBoxColumn(int Column) const {
    TField* Field = Columns()[Column]->Field();
    return Field && Field->DataType() == platform::data::ftBoolean && this->Column(Column)->CheckBox();
}

bool TVexDBGrid::IsMemoColumn(int Column) const {
    TField* Field = Columns()[Column]->Field();
    return Field && (Field->DataType() == platform::data::ftMemo || Field->DataType() == platform::data::ftFmtMemo);
}

QString TVexDBGrid::MappedText(int Column, const QString& Text) const {
    QString Value = Text;
    const QStringList Shown = this->Column(Column)->PickListEx();
    if (!Shown.isEmpty()) {
        const int Index = static_cast<int>(Columns()[Column]->PickList().indexOf(Text));
        if (Index >= 0 && Index < Shown.size()) Value = Shown[Index];
    }
    if (OnGetText) OnGetText(const_cast<TVexDBGrid*>(this), Columns()[Column]->Field(), Value);
    return Value;
}

QString TVexDBGrid::CellDisplayText(int Column) const {
    TField* Field = Columns()[Column]->Field();
    if (!Field) return {};
    if (IsMemoColumn(Column)) {
        const QString Whole = Field->AsString();
        const qsizetype Break = Whole.indexOf(QLatin1Char('\n'));
        if (Break >= 0) return Whole.left(Break).remove(QLatin1Char('\r')) + QStringLiteral("...");
        return Whole;
    }
    return MappedText(Column, Field->DisplayText());
}

QString TVexDBGrid::CellEditText(int Column) const {
    TField* Field = Columns()[Column]->Field();
    if (!Field) return {};
    return MappedText(Column, IsMemoColumn(Column) ? Field->AsString() : Field->Text());
}

QStringList TVexDBGrid::EditorPickList(int Column) const {
    const QStringList Shown = this->Column(Column)->PickListEx();
    return Shown.isEmpty() ? Columns()[Column]->PickList() : Shown;
}

QString TVexDBGrid::StoredText(int Column, const QString& EditorText) const {
    const QStringList Shown = this->Column(Column)->PickListEx();
    const QStringList Stored = Columns()[Column]->PickList();
    const int Index = static_cast<int>(Shown.indexOf(EditorText));
    return Index >= 0 && Index < Stored.size() ? Stored[Index] : EditorText;
}

bool TVexDBGrid::EditorAllowed(int Column) const {
    if (IsCheckBoxColumn(Column) || IsMemoColumn(Column)) return false;
    bool Allow = true;
    if (OnEditShow) OnEditShow(const_cast<TVexDBGrid*>(this), Allow);
    return Allow;
}

// ---------------------------------------------------------------- keys

void TVexDBGrid::keyPressEvent(QKeyEvent* Event) {
    if (!EditorMode() && SearchKey(Event)) {
        Event->accept();
        return;
    }
    if (Event->key() == Qt::Key_Space && Event->modifiers() == Qt::NoModifier && !EditorMode() &&
        IsCheckBoxColumn(SelectedIndex())) {
        platform::ui::RunGuarded([this] { ToggleCheckBox(); });
        Event->accept();
        return;
    }
    TCustomDBGrid::keyPressEvent(Event);
}

bool TVexDBGrid::IsSearchColumn(int Column) const {
    return FDivisao && Column >= 0 && Column < Columns().Count() &&
           FDivisao->Campos().Config().SearchesByItself(Columns()[Column]->Field());
}

bool TVexDBGrid::HasEllipsis(int Column) const {
    return TCustomDBGrid::HasEllipsis(Column) || IsSearchColumn(Column);
}

void TVexDBGrid::EditButtonClick() {
    if (IsSearchColumn(SelectedIndex()))
        platform::ui::RunGuarded([this] { FDivisao->SearchByKey(*SelectedField()); });
    TCustomDBGrid::EditButtonClick();
}

bool TVexDBGrid::SearchKey(QKeyEvent* Event) {
    TDataSet* Data = DataSet();
    TField* Field = SelectedField();
    if (!Data || !Field || !IsSearchColumn(SelectedIndex())) return false;
    const bool Editing = Data->State() == platform::data::dsEdit || Data->State() == platform::data::dsInsert;
    if (!Editing && !(DataSource() && DataSource()->AutoEdit())) return false;
    const Qt::KeyboardModifiers Shift = Event->modifiers();
    if ((Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter) && (Shift & Qt::ControlModifier)) {
        EditButtonClick();
        return true;
    }
    const bool Modified = Shift & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    const bool Typed = !Event->text().isEmpty() && IsSearchChar(Event->text().front()) && Field->ReadOnly();
    if (!(Event->key() == Qt::Key_Down && Modified) && !Typed) return false;
    bool Shown = false;
    platform::ui::RunGuarded([&] { Shown = ShowSearchCombo(*FDivisao, *this, *Field, FAutoTab, Shift); });
    // Without a combo the key goes on as any other.
    if (!Shown) return false;
    if (Typed) ForwardToSearchEdit(*Event);
    return true;
}

void TVexDBGrid::ToggleCheckBox() {
    TDataSet* Data = DataSet();
    TField* Field = SelectedField();
    if (!Data || !Field || ReadOnly() || Field->ReadOnly() || Columns()[SelectedIndex()]->ReadOnly() ||
        !Data->CanModify())
        return;
    if (Data->State() == platform::data::dsBrowse) {
        if (Data->IsEmpty()) Data->Insert();
        else Data->Edit();
    }
    Field->SetAsBoolean(Field->IsNull() || !Field->AsBoolean());
}

void TVexDBGrid::EnterNextColumn() {
    TDataSet* Data = DataSet();
    if (!Data || !CommitEditor()) return;
    std::vector<int> Editable;
    for (int I = 0; I < Columns().Count(); ++I) {
        TColumn* C = Columns()[I];
        if (C->Visible() && C->Field() && !C->ReadOnly()) Editable.push_back(I);
    }
    if (Editable.empty()) return;
    const auto Next = std::upper_bound(Editable.begin(), Editable.end(), SelectedIndex());
    if (Next != Editable.end()) {
        SetSelectedIndex(*Next);
        return;
    }
    const bool LastRecord = Data->ActiveDisplayIndex() >= Data->DisplayRecordCount() - 1;
    if (LastRecord) {
        HideEditor();
        // Leaves the grid as Tab does on a form, past the grid's own columns.
        QWidget::focusNextPrevChild(true);
        return;
    }
    SetSelectedIndex(Editable.front());
    MoveRows(1, {});
}

void TVexDBGrid::KeyDown(int& Key, Qt::KeyboardModifiers Shift) {
    bool Accept = !((Key == Qt::Key_Return || Key == Qt::Key_Enter) &&
                    (IsCheckBoxColumn(SelectedIndex()) || IsMemoColumn(SelectedIndex())));
    if (OnGridAcceptKey) OnGridAcceptKey(this, Accept);
    if (!Accept) {
        Key = 0;
        return;
    }
    TDataSet* Data = DataSet();
    const bool Ctrl = Shift & Qt::ControlModifier;
    if (const int Digit = DigitOf(Key); Ctrl && Digit >= 0 && Data) {
        if (Shift & Qt::ShiftModifier) FBookmarks[Digit] = Data->GetBookmark();
        else if (FBookmarks[Digit] != 0 && Data->BookmarkValid(FBookmarks[Digit]) && CommitEditor())
            Data->GotoBookmark(FBookmarks[Digit]);
        Key = 0;
        return;
    }
    if (Ctrl && Key == Qt::Key_C && Data && SelectedField()) {
        QApplication::clipboard()->setText(CellDisplayText(SelectedIndex()));
        QApplication::beep();
        Key = 0;
        return;
    }
    if (!FAtalhosEdicao && (Key == Qt::Key_Insert || (Key == Qt::Key_Delete && Ctrl))) {
        Key = 0;
        return;
    }
    if (FAutoTab && (Key == Qt::Key_Return || Key == Qt::Key_Enter) && !Ctrl) {
        EnterNextColumn();
        Key = 0;
        return;
    }
    if (Key == Qt::Key_Up && Shift == Qt::NoModifier && FNewLineShown && Data && Data->ActiveDisplayIndex() == 0) {
        platform::ui::PostMessage(this, platform::ui::WM_USER, kGridInsertMessage, 0);
        Key = 0;
        return;
    }
    TCustomDBGrid::KeyDown(Key, Shift);
}

// ---------------------------------------------------------------- mouse

void TVexDBGrid::SetHotCell(QPoint Value, bool StripHot) {
    if (Value == FHotCell && StripHot == FNewLineHot) return;
    FHotCell = Value;
    FNewLineHot = StripHot;
    update();
}

void TVexDBGrid::MouseMove(Qt::KeyboardModifiers Shift, int X, int Y) {
    TCustomDBGrid::MouseMove(Shift, X, Y);
    if (FButtonDown) return;
    const QPoint At(X, Y);
    if (NewLineRect().contains(At)) {
        SetHotCell({-1, -1}, true);
        return;
    }
    if (const int Title = TitleColumnAt(At); Title >= 0) {
        SetHotCell({Title, -1}, false);
        return;
    }
    const int Row = RowAt(Y);
    if (Row >= 0 && X >= Inside().left() && X < Inside().left() + IndicatorWidth()) SetHotCell({-1, Row}, false);
    else SetHotCell({-1, -1}, false);
}

int TVexDBGrid::TitleColumnAt(QPoint At) const {
    for (int I = 0; I < Columns().Count(); ++I)
        if (TitleCellRect(I).contains(At)) return I;
    return -1;
}

void TVexDBGrid::MouseLeave() {
    if (!FHotPressed) SetHotCell({-1, -1}, false);
}

void TVexDBGrid::SelectThroughIndicator(Qt::KeyboardModifiers Shift, int Y) {
    using namespace platform::ui;
    SetOptions((Options() | dgRowSelect | dgMultiSelect) & ~TDBGridOptions(dgEditing));
    TDataSet* Data = DataSet();
    const int Row = RowAt(Y);
    if (!Data || Row < 0) return;
    const bool Selected = SelectedRows().IndexOf(Data->DisplayBookmark(Row)) >= 0;
    if (!(Shift & Qt::ControlModifier)) SelectedRows().Clear();
    if (!CommitEditor()) return;
    Data->MoveBy(Row - Data->ActiveDisplayIndex());
    SelectedRows().SetCurrentRowSelected((Shift & Qt::ControlModifier) ? !Selected : true);
}

void TVexDBGrid::LeaveRowSelection() {
    using namespace platform::ui;
    if (!(Options() & dgMultiSelect)) return;
    TDBGridOptions Value = Options() & ~TDBGridOptions(dgRowSelect | dgMultiSelect);
    if (FEditableWhenLoaded) Value |= dgEditing;
    SetOptions(Value);
}

void TVexDBGrid::MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
    FButtonDown = true;
    if (Button == Qt::LeftButton && FNewLineHot && NewLineRect().contains(X, Y)) {
        if (TDataSet* Data = DataSet(); Data && CommitEditor()) {
            Data->First();
            Data->Insert();
        }
        return;
    }
    const bool InIndicator = X >= Inside().left() && X < Inside().left() + IndicatorWidth();
    if (Button == Qt::LeftButton && FMultiSelect && (Options() & dgTitles) && InIndicator && RowAt(Y) >= 0) {
        if (!(Options() & dgMultiSelect)) FEditableWhenLoaded = (Options() & dgEditing) != 0;
        SetFocus();
        SelectThroughIndicator(Shift, Y);
        return;
    }
    if (Button == Qt::LeftButton) {
        LeaveRowSelection();
        // A press without a move before it finds its title too.
        if (const int Title = TitleColumnAt({X, Y});
            Title >= 0 && TitleCellRect(Title).adjusted(4, 0, -4, 0).contains(X, Y)) {
            FHotCell = {Title, -1};
            FHotPressed = true;
            update();
        }
    }
    const int Before = SelectedIndex();
    TCustomDBGrid::MouseDown(Button, Shift, X, Y);
    // A click onto a check box ticks it, as Space does.
    if (Button == Qt::LeftButton && SelectedIndex() != Before && RowAt(Y) >= 0 && IsCheckBoxColumn(SelectedIndex()))
        platform::ui::RunGuarded([this] { ToggleCheckBox(); });
}

void TVexDBGrid::MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
    const bool WasPressed = FHotPressed;
    FHotPressed = false;
    FButtonDown = false;
    const int Column = FHotCell.y() == -1 ? FHotCell.x() : -1;
    if (WasPressed && Column >= 0) {
        update();
        if (FColumnOrder && TitleCellRect(Column).adjusted(3, 3, -3, -3).contains(X, Y))
            RequestSort(Column, Shift & Qt::ShiftModifier);
    }
    const bool OnTitles = (Options() & dgTitles) && Y >= Inside().top() && Y < Inside().top() + kTitleRowHeight;
    TCustomDBGrid::MouseUp(Button, Shift, X, Y);
    if (Button == Qt::RightButton && OnTitles) {
        BuildTitleMenu(Shift & Qt::ShiftModifier);
        const QPoint At = QCursor::pos();
        FTitlePopup->Popup(At.x(), At.y());
    }
}

void TVexDBGrid::BuildTitleMenu(bool Full, int ColumnHeight) {
    if (ColumnHeight <= 0) ColumnHeight = QGuiApplication::primaryScreen()->geometry().height() * 2 / 3;
    platform::ui::TMenuItem* Root = FTitlePopup->Items();
    for (platform::ui::TMenuItem* Item : Root->Children()) delete Item;
    std::vector<int> Order;
    for (int I = 0; I < Columns().Count(); ++I) Order.push_back(I);
    std::stable_sort(Order.begin(), Order.end(), [this](int A, int B) {
        return Columns()[A]->Title().Caption().localeAwareCompare(Columns()[B]->Title().Caption()) < 0;
    });
    int Running = 0;
    const auto PlacedInColumn = [&Running, ColumnHeight](platform::ui::TMenuItem* Item) {
        const int Height = Item->IsLine() ? kMenuSeparatorHeight : kMenuEntryHeight;
        if (Running > 0 && Running + Height >= ColumnHeight) {
            Item->SetBreak(platform::ui::mbBarBreak);
            Running = 0;
        }
        Running += Height;
        return dataaccess::OwnerDrawn(Item);
    };
    for (const int I : Order) {
        TColumn* Column = Columns()[I];
        platform::ui::TMenuItem* Item = PlacedInColumn(Root->Add(Column->Title().Caption()));
        Item->SetChecked(Column->Visible());
        QPointer<TVexDBGrid> Grid(this);
        Item->OnClick = [Grid, I](QObject*) {
            if (Grid && I < Grid->Columns().Count()) Grid->Columns()[I]->SetVisible(!Grid->Columns()[I]->Visible());
        };
    }
    if (ColumnDialogOpener()) {
        PlacedInColumn(Root->Add(QStringLiteral("-")));
        platform::ui::TMenuItem* Customize = PlacedInColumn(Root->Add(kCustomizeCaption));
        Customize->SetBitmap(Picture(QStringLiteral("GRIDCOLUMNS")));
        Customize->OnClick = [this](QObject*) { ColumnDialogOpener()(this); };
    }
    if (Full && FullGridOpener()) {
        PlacedInColumn(Root->Add(QStringLiteral("-")));
        PlacedInColumn(Root->Add(kFullGridCaption))->OnClick = [this](QObject*) { FullGridOpener()(this); };
    }
}

// ---------------------------------------------------------------- double click

bool TVexDBGrid::CyclePickList() {
    TDataSet* Data = DataSet();
    TField* Field = SelectedField();
    const int Index = SelectedIndex();
    if (!Data || !Field || !Columns()[Index]->HasPickList() || !CanEditColumn(Index)) return false;
    const QStringList Shown = EditorPickList(Index);
    const QStringList Stored = Columns()[Index]->PickList();
    if (!CommitEditor()) return true;
    HideEditor();
    const int Current = static_cast<int>(Shown.indexOf(CellEditText(Index)));
    const QString Next = Shown[(Current + 1) % Shown.size()];
    // Without display texts the shown entry is the stored one.
    const int StoredIndex = static_cast<int>(Shown.indexOf(Next));
    const QString Value = this->Column(Index)->PickListEx().isEmpty() ? Next : Stored.value(std::max(0, StoredIndex));
    if (Data->State() == platform::data::dsBrowse) {
        if (Data->IsEmpty()) Data->Insert();
        else Data->Edit();
    }
    Field->SetText(Value);
    return true;
}

void TVexDBGrid::DblClick() {
    if (!OnDblClick) {
        bool Cycled = false;
        platform::ui::RunGuarded([&] { Cycled = CyclePickList(); });
        if (Cycled) return;
    }
    QPointer<TVexDBGrid> Self(this);
    TCustomDBGrid::DblClick();
    if (!Self) return;
    if (QObject* Companion = CompanionWindow()) {
        platform::ui::SendMessage(Companion, kCompanionDblClickMessage, 0, 0);
        if (FChangeView)
            platform::ui::SendMessage(Companion, kCompanionChangeViewMessage,
                                      reinterpret_cast<platform::ui::WPARAM>(this), 0);
    }
}

}  // namespace databound
