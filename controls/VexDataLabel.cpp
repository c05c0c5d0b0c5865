#include "controls/VexDataLabel.h"

#include <QEvent>
#include <QScopedValueRollback>
#include <QToolTip>
#include <algorithm>
#include <utility>

#include "controls/VexFocus.h"
#include "controls/VexPaint.h"

namespace controls {

using namespace platform::ui;

namespace {

const int DefaultButtonSize = 14;

// The built-in pictures, one character a pixel: '.' is the magenta key.
const char* const SearchPicture[] = {
    "..####....", ".#wwww#...", "#ww##ww#..", "#w#wwww#..", "#wwwwww#..", "#wwwwww#..",
    ".#wwww#...", "..#####...", "......###.", ".......###", "........##",
};
const char* const LinkPicture[] = {
    ".....#####", "........##", ".......#.#", "####..#..#", "#....#...#", "#...#.....",
    "#..#......", "#......#..", "#......#..", "########..", "..........",
};
const char* const ClearPicture[] = {
    "..........", "rr......rr", ".rr....rr.", "..rr..rr..", "...rrrr...", "....rr....",
    "...rrrr...", "..rr..rr..", ".rr....rr.", "rr......rr", "..........",
};
const int PictureWidth = 10;
const int PictureHeight = 11;
const QColor Key(255, 0, 255);

QImage PictureBitmap(const char* const (&Rows)[PictureHeight]) {
    QImage Bitmap = NewBitmap(PictureWidth, PictureHeight, Key);
    for (int Y = 0; Y < PictureHeight; ++Y)
        for (int X = 0; X < PictureWidth; ++X) {
            switch (Rows[Y][X]) {
                case '#':
                    Bitmap.setPixelColor(X, Y, QColor(64, 64, 64));
                    break;
                case 'w':
                    Bitmap.setPixelColor(X, Y, Qt::white);
                    break;
                case 'r':
                    Bitmap.setPixelColor(X, Y, QColor(192, 32, 32));
                    break;
                default:
                    break;
            }
        }
    return Bitmap;
}

int BuiltInImage(TTipoBotao Tipo) {
    switch (Tipo) {
        case tbClear:
            return ilClear;
        case tbSearch:
            return ilSearch;
        case tbLink:
            return ilLink;
        default:
            return -1;
    }
}

// Stores a changed value and tells of it; an equal value changes nothing.
template <class TValue, class TNotify>
void ChangeValue(TValue& Field, const TValue& Value, TNotify Notify) {
    if (Field == Value) return;
    Field = Value;
    Notify();
}

}  // namespace

TImageList* ilsVexLabel() {
    static TImageList List(nullptr, PictureWidth, PictureHeight);
    if (List.Count() == 0) {
        List.AddMasked(PictureBitmap(SearchPicture), Key.rgb());
        List.AddMasked(PictureBitmap(LinkPicture), Key.rgb());
        List.AddMasked(PictureBitmap(ClearPicture), Key.rgb());
    }
    return &List;
}

// ---- TLabelButton

TLabelButton::TLabelButton(TLabelButtons* Collection) : FCollection(Collection) {}

int TLabelButton::Index() const { return FCollection ? FCollection->IndexOf(this) : -1; }

QString TLabelButton::DisplayName() const { return FHint.isEmpty() ? QStringLiteral("TLabelButton") : FHint; }

void TLabelButton::SetImageIndex(int Value) {
    ChangeValue(FImageIndex, Value, [this] { Changed(); });
}

void TLabelButton::SetEnabled(bool Value) {
    ChangeValue(FEnabled, Value, [this] { Changed(); });
}

void TLabelButton::SetTipo(TTipoBotao Value) {
    ChangeValue(FTipo, Value, [this] { Changed(); });
}

void TLabelButton::Assign(const TLabelButton& Source) {
    FImageIndex = Source.FImageIndex;
    FHint = Source.FHint;
    FEnabled = Source.FEnabled;
    FTag = Source.FTag;
    FTipo = Source.FTipo;
    FAutoClick = Source.FAutoClick;
    FAuto = Source.FAuto;
    OnClick = Source.OnClick;
    Changed();
}

void TLabelButton::Changed() const {
    if (FCollection && FCollection->Label()) FCollection->Label()->InvalidateButton(Index());
}

// ---- TLabelButtons

TLabelButton* TLabelButtons::Items(int Index) const {
    if (Index < 0 || Index >= Count()) throw platform::os::EListError::IndexOutOfBounds(Index);
    return FItems[Index].get();
}

int TLabelButtons::IndexOf(const TLabelButton* Button) const {
    for (int I = 0; I < Count(); ++I)
        if (FItems[I].get() == Button) return I;
    return -1;
}

TLabelButton* TLabelButtons::Insert(int Index) {
    if (Index < 0 || Index > Count()) throw platform::os::EListError::IndexOutOfBounds(Index);
    TLabelButton* Button = FItems.insert(FItems.begin() + Index, std::make_unique<TLabelButton>(this))->get();
    Changed();
    return Button;
}

void TLabelButtons::Delete(int Index) {
    Items(Index);  // checks the index
    FItems.erase(FItems.begin() + Index);
    Changed();
}

void TLabelButtons::Clear() {
    FItems.clear();
    Changed();
}

void TLabelButtons::Assign(const TLabelButtons& Source) {
    if (&Source == this) return;
    std::vector<std::unique_ptr<TLabelButton>> Copies;
    for (const auto& Item : Source.FItems) {
        Copies.push_back(std::make_unique<TLabelButton>(this));
        Copies.back()->Assign(*Item);
    }
    FItems = std::move(Copies);
    Changed();
}

void TLabelButtons::Changed() const {
    if (FLabel) FLabel->ButtonsChanged();
}

// ---- TControlOffset

void TControlOffset::Change(int& Field, int Value) {
    ChangeValue(Field, Value, [this] {
        if (FLabel) FLabel->UpdatePosition();
    });
}

void TControlOffset::Assign(const TControlOffset& Source) {
    FLeft = Source.FLeft;
    FTop = Source.FTop;
    FWidth = Source.FWidth;
}

// ---- TCustomVexLabel

TCustomVexLabel::TCustomVexLabel(QWidget* AOwner)
    : TCustomControl(AOwner), FNotifier([this](QObject* Subject) { Freed(Subject); }) {
    // Clicking the label focuses its control, never the label.
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    resize(75, DefaultButtonSize);
}

TCustomVexLabel::~TCustomVexLabel() { Unlink(); }

void TCustomVexLabel::SetControl(QWidget* Value) {
    if (Value == FControl) return;
    Unlink();
    FControl = Value;
    if (FControl) {
        FNotifier.Add(FControl);
        FControl->installEventFilter(this);
        UpdatePosition();
    }
    ControlChanged();
}

void TCustomVexLabel::Unlink() {
    if (!FControl) return;
    FNotifier.Remove(FControl);
    FControl->removeEventFilter(this);
    FControl = nullptr;
}

void TCustomVexLabel::Freed(QObject* Subject) {
    if (Subject == FControl) {
        FControl = nullptr;
        ControlChanged();
    }
    if (Subject == FImages) {
        FImages = nullptr;
        UpdatePosition();
    }
}

void TCustomVexLabel::SetLabelSpacing(int Value) {
    ChangeValue(FLabelSpacing, Value, [this] { UpdatePosition(); });
}

void TCustomVexLabel::SetImages(TImageList* Value) {
    if (Value == FImages) return;
    if (FImages) FNotifier.Remove(FImages);
    FImages = Value;
    if (FImages) FNotifier.Add(FImages);
    UpdatePosition();
}

void TCustomVexLabel::SetHint(const QString& Value) {
    FHint = Value;
    setToolTip(Value);
}

void TCustomVexLabel::SetOffset(const TControlOffset& Value) {
    FOffset.Assign(Value);
    UpdatePosition();
}

void TCustomVexLabel::SetAutoPosition(bool Value) {
    ChangeValue(FAutoPosition, Value, [this] { UpdatePosition(); });
}

int TCustomVexLabel::ButtonSize() const {
    if (FImages && FButtons.Count() > 0) return std::max(DefaultButtonSize, FImages->Height() + 4);
    return DefaultButtonSize;
}

int TCustomVexLabel::ButtonSide() const { return std::max(TextMetricsOf(font()).Height(), ButtonSize()); }

QRect TCustomVexLabel::GetButtonRect(int Index) const {
    const int Side = ButtonSide();
    return QRect(ClientWidth() - Side * (std::max(Index, 0) + 1), 0, Side, Side);
}

int TCustomVexLabel::ButtonAt(QPoint Point) const {
    for (int I = 0; I < FButtons.Count(); ++I)
        if (GetButtonRect(I).contains(Point)) return I;
    return -1;
}

void TCustomVexLabel::UpdatePosition() {
    ApplyPositionRules();
    Invalidate();
}

void TCustomVexLabel::ApplyPositionRules() {
    if (!FControl || FPositioning) return;
    const QScopedValueRollback Guard(FPositioning, true);
    const int Side = ButtonSide();
    QRect Bounds = BoundsRect();
    Bounds.setHeight(Side);
    QWidget* Parent = FControl->isWindow() ? nullptr : FControl->parentWidget();
    if (FAutoPosition && Parent) {
        if (Parent != parentWidget()) MoveToParent(Parent);
        const QRect Place = GetBounds(FControl);
        Bounds = QRect(Place.x() + FOffset.Left(), Place.y() + FOffset.Top() - Side - FLabelSpacing,
                       std::max(0, Place.width() + FOffset.Width()), Side);
    }
    if (Bounds != BoundsRect()) SetBounds(Bounds.x(), Bounds.y(), Bounds.width(), Bounds.height());
}

void TCustomVexLabel::MoveToParent(QWidget* Parent) {
    // Qt hides a widget that changes parent; the label stays as visible as it was.
    const bool Hidden = isHidden() && testAttribute(Qt::WA_WState_ExplicitShowHide);
    setParent(Parent);
    if (!Hidden) show();
}

void TCustomVexLabel::ButtonsChanged() {
    FHotButton = -1;
    FPressedButton = -1;
    UpdatePosition();
}

void TCustomVexLabel::InvalidateButton(int Index) {
    if (Index >= 0 && Index < FButtons.Count()) update(GetButtonRect(Index));
}

void TCustomVexLabel::SetHotButton(int Index) {
    if (Index == FHotButton) return;
    InvalidateButton(FHotButton);
    FHotButton = Index;
    InvalidateButton(FHotButton);
}

void TCustomVexLabel::DoButtonClick(TLabelButton* Button) {
    if (Button->OnClick) Button->OnClick(Button);
}

bool TCustomVexLabel::ControlEvent(QEvent* Event) {
    switch (Event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::ParentChange:
        case QEvent::Show:  // delivers the moves made while hidden
            UpdatePosition();
            break;
        case QEvent::EnabledChange:
            SetEnabled(IsEnabledFlag(FControl));
            break;
        default:
            break;
    }
    return false;
}

QString TCustomVexLabel::GetCaption() const {
    QString Result = TCustomControl::Caption();
    // The handler may act on the label; asking for the caption does not change it.
    if (OnGetCaption) OnGetCaption(const_cast<TCustomVexLabel*>(this), Result);
    return Result;
}

void TCustomVexLabel::TakeControlEnabled() {
    if (!FControl || IsEnabledFlag(FControl) == Enabled()) return;
    const QScopedValueRollback Quiet(FQuietEnabling, true);
    SetEnabled(IsEnabledFlag(FControl));
}

void TCustomVexLabel::EnabledChanged() {
    // The buttons of a disabled label are all disabled, and so never hot.
    if (!Enabled()) {
        FPressedButton = -1;
        SetHotButton(-1);
    }
    if (!FQuietEnabling) TCustomControl::EnabledChanged();
}

void TCustomVexLabel::paintEvent(QPaintEvent* Event) {
    TakeControlEnabled();
    TCustomControl::paintEvent(Event);
}

void TCustomVexLabel::Paint() {
    QImage Buffer = NewBitmap(ClientWidth(), ClientHeight(), Color());
    {
        TCanvas Offscreen(&Buffer);
        TFont TextFont = Font();
        if (!Enabled()) TextFont.SetColor(SysColor(TSysColor::clGrayText));
        Offscreen.SetFont(TextFont);
        Offscreen.Brush().Style = TBrushStyle::bsClear;
        QRect TextRect = ClientRect();
        if (FButtons.Count() > 0) TextRect = WinRect(0, 0, GetButtonRect(FButtons.Count() - 1).left() - 1, ClientHeight());
        Offscreen.DrawText(QStringLiteral("%1:").arg(GetCaption()), TextRect,
                           DT_SINGLELINE | DT_BOTTOM | DT_END_ELLIPSIS);
        for (int I = 0; I < FButtons.Count(); ++I) {
            const TLabelButton* Button = FButtons.Items(I);
            int State = 0;
            if (I == FHotButton) State |= I == FPressedButton ? fbHot | fbPressed : fbHot;
            if (!Enabled() || !Button->Enabled()) State |= fbDisabled;
            const bool BuiltIn = Button->Tipo() != tbNone && Button->ImageIndex() == -1;
            DrawFlatButton(Offscreen, GetButtonRect(I), BuiltIn ? ilsVexLabel() : FImages, nullptr, State,
                           BuiltIn ? BuiltInImage(Button->Tipo()) : Button->ImageIndex());
        }
    }
    Canvas().Brush().Color = Color();
    Canvas().Brush().Style = TBrushStyle::bsSolid;
    Canvas().KeyColorDraw(ClientRect(), Buffer);
}

void TCustomVexLabel::MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (FControl) FocusFirstControl(FControl);
    if (Button == Qt::LeftButton && FHotButton >= 0) {
        FPressedButton = FHotButton;
        InvalidateButton(FPressedButton);
    }
}

void TCustomVexLabel::MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (Button != Qt::LeftButton || FPressedButton < 0) return;
    const int Pressed = std::exchange(FPressedButton, -1);
    InvalidateButton(Pressed);
    // Only a release over the button that went down is a click.
    if (FHotButton == Pressed) DoButtonClick(FButtons.Items(Pressed));
}

void TCustomVexLabel::MouseMove(Qt::KeyboardModifiers Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    const int Under = ButtonAt(QPoint(X, Y));
    SetHotButton(Under >= 0 && FButtons.Items(Under)->Enabled() ? Under : -1);
    const QString Text = Under >= 0 ? FButtons.Items(Under)->Hint() : FHint;
    if (Text != toolTip()) {
        QToolTip::hideText();
        setToolTip(Text);
    }
}

void TCustomVexLabel::MouseLeave() {
    TCustomControl::MouseLeave();
    SetHotButton(-1);
}

bool TCustomVexLabel::event(QEvent* Event) {
    if (Event->type() == QEvent::ToolTip && !FShowHint) return true;
    return TCustomControl::event(Event);
}

bool TCustomVexLabel::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched != FControl) return TCustomControl::eventFilter(Watched, Event);
    bool Handled = false;
    RunGuarded([&] { Handled = ControlEvent(Event); });
    return Handled;
}

void TCustomVexLabel::moveEvent(QMoveEvent* Event) {
    TCustomControl::moveEvent(Event);
    ApplyPositionRules();
}

void TCustomVexLabel::resizeEvent(QResizeEvent* Event) {
    TCustomControl::resizeEvent(Event);
    ApplyPositionRules();
}

void TCustomVexLabel::changeEvent(QEvent* Event) {
    TCustomControl::changeEvent(Event);
    if (Event->type() == QEvent::FontChange) UpdatePosition();
}

}  // namespace controls
