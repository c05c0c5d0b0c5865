#include "controls/VexButton.h"

#include <QPointer>

#include "platform/ui/Forms.h"

namespace controls {

using namespace platform::ui;

namespace {

const QColor GlyphBackground(255, 0, 255);

bool NoShiftCtrlAlt(Qt::KeyboardModifiers Shift) {
    return !(Shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
}

bool IsEnterKey(int Key) { return Key == Qt::Key_Return || Key == Qt::Key_Enter; }

int GlyphEffect(TDrawSkinAttr Attr) {
    switch (Attr) {
        case dsaDisabled:
            return geDisabled;
        case dsaFocus:
        case dsaHot:
        case dsaHotDown:
            return geLighten;
        default:
            return geNone;
    }
}

}  // namespace

TVexButtonActionLink::TVexButtonActionLink(TVexButton* Client) : TControlActionLink(Client), FButton(Client) {}

void TVexButtonActionLink::CheckedChanged(bool Value) {
    TControlActionLink::CheckedChanged(Value);
    FButton->SetChecked(Value);
}

void TVexButtonActionLink::ImageIndexChanged(int Value) {
    TControlActionLink::ImageIndexChanged(Value);
    FButton->SetImageIndex(Value);
}

TVexButton::TVexButton(QWidget* AOwner) : TCustomControl(AOwner), FSkinLink(this) { SetTabStop(true); }

TVexButton::~TVexButton() = default;

TVexSkin* TVexButton::Skin() const { return FSkinLink.Skin() ? FSkinLink.Skin() : DefaultSkin(); }

void TVexButton::SetSkin(TVexSkin* Value) {
    if (Value == Skin()) return;
    FSkinLink.SetSkin(Value);
    Repaint();
}

void TVexButton::SetSkinName(const TSkinName& Value) { SetAndRepaint(FSkinName, Value); }

void TVexButton::SetBitmap(const QImage& Value) {
    FBitmap = Value.copy();
    Repaint();
}

void TVexButton::SetSpacing(int Value) { SetAndRepaint(FSpacing, Value); }

void TVexButton::SetImages(TImageList* Value) {
    if (Value == FImages) return;
    FImages = Value;
    Repaint();
}

void TVexButton::SetImageIndex(int Value) { SetAndRepaint(FImageIndex, Value); }

void TVexButton::SetBitmapAlign(TBitmapAlign Value) { SetAndRepaint(FBitmapAlign, Value); }

void TVexButton::SetChecked(bool Value) {
    if (Value == FChecked) return;
    // Outside a group never checked; in a group without AllowAllUp never all up.
    if (FGroupIndex == 0) Value = false;
    else if (!Value && !FAllowAllUp) Value = true;
    if (TAction* Linked = Action()) Linked->SetChecked(Value);
    // The action may have checked the button already through its link.
    if (Value == FChecked) return;
    FChecked = Value;
    if (Value) NotifyGroup();
    Repaint();
}

void TVexButton::SetAllowAllUp(bool Value) {
    if (Value == FAllowAllUp) return;
    FAllowAllUp = Value;
    NotifyGroup();
    Repaint();
}

void TVexButton::NotifyGroup() {
    QWidget* Parent = parentWidget();
    if (!Parent) return;
    for (TVexButton* Other : Parent->findChildren<TVexButton*>(QString(), Qt::FindDirectChildrenOnly))
        if (Other != this) Other->ButtonPressed(FGroupIndex, this);
}

void TVexButton::ButtonPressed(int Group, const TVexButton* Sender) {
    if (Group != FGroupIndex) return;
    if (Sender->FChecked && FChecked) {
        const bool Saved = FAllowAllUp;
        FAllowAllUp = true;
        SetChecked(false);
        FAllowAllUp = Saved;
    }
    FAllowAllUp = Sender->FAllowAllUp;
}

void TVexButton::SetDefault(bool Value) {
    if (Value == FDefault) return;
    FDefault = Value;
    // Enter follows the new default at once, not only after the next focus change.
    if (QWidget* Window = window(); Window && Window->focusWidget()) UpdateActive(Window->focusWidget());
    Repaint();
}

void TVexButton::SetShowCaption(bool Value) { SetAndRepaint(FShowCaption, Value); }

void TVexButton::SetMargin(int Value) { SetAndRepaint(FMargin, Value); }

void TVexButton::SetPressed(bool Value) { SetAndRepaint(FPressed, Value); }

void TVexButton::SetActive(bool Value) { SetAndRepaint(FActive, Value); }

void TVexButton::UpdateActive(QWidget* Focused) {
    if (auto* Button = qobject_cast<TVexButton*>(Focused))
        SetActive(Button == this || (FDefault && !Button->FDefaultActions));
    else
        SetActive(FDefault);
}

void TVexButton::FocusChanged(QWidget* NewFocus) {
    // Focus that leaves the form keeps the button's role for when it comes back.
    if (NewFocus && NewFocus->window() == window()) UpdateActive(NewFocus);
}

TDrawSkinAttr TVexButton::ChooseDrawAttr() const {
    if (!isEnabled()) return dsaDisabled;
    if (FChecked && ((FMouseInside && !FPressed) || hasFocus())) return dsaHotDown;
    if (FPressed) return dsaDown;
    if (FChecked) return dsaChecked;
    if (FMouseInside) return dsaHot;
    if (FActive || hasFocus()) return dsaFocus;
    return dsaUp;
}

QImage TVexButton::Glyph() const {
    if (!IsEmptyBitmap(FBitmap)) return FBitmap.copy();
    if (FImages && FImageIndex != -1) return FImages->GetBitmap(FImageIndex, GlyphBackground);
    return QImage();
}

void TVexButton::Paint() {
    TDrawSkinAttr Attr = ChooseDrawAttr();
    DoDrawButton(dsPreSkin, Attr);
    TFont CanvasFont = Font();
    if (Attr == dsaDisabled) CanvasFont.SetColor(SysColor(TSysColor::clGrayText));
    Canvas().SetFont(CanvasFont);
    DoDrawButton(dsBeforeSkin, Attr);
    if (TVexSkin* Effective = Skin()) Effective->DrawSkin(Canvas(), ClientRect(), Attr, sikButton, FSkinName);
    Canvas().Brush().Style = TBrushStyle::bsClear;
    DrawButtonContent(Canvas(), ClientRect(), Caption(), FMargin, FShowCaption, FBitmapAlign, GlyphEffect(Attr),
                      FSpacing, isEnabled(), Glyph());
    DoDrawButton(dsAfterSkin, Attr);
}

void TVexButton::DoDrawButton(TDrawStage Stage, TDrawSkinAttr& DrawAttr) {
    if (OnDrawButton) OnDrawButton(this, DrawAttr, Stage);
}

void TVexButton::Click() {
    if (!Action() && FGroupIndex != 0) SetChecked(!FChecked);
    SetPressed(false);
    if (TCustomForm* Form = GetParentForm(this)) Form->SetModalResult(FModalResult);
    TCustomControl::Click();
}

void TVexButton::ClickAndRepaint() {
    const QPointer<TVexButton> Alive(this);
    Click();
    if (Alive) Repaint();
}

bool TVexButton::DialogKey(int Key, Qt::KeyboardModifiers Shift) {
    const bool Enter = IsEnterKey(Key), Escape = Key == Qt::Key_Escape;
    if (!Enter && !Escape) return false;
    bool Allow = true;
    if (OnDialogKey) OnDialogKey(this, Enter ? VK_RETURN : VK_ESCAPE, Allow);
    if (!Allow || !FDefaultActions) return false;
    if (!((Enter && FActive) || (Escape && FCancel))) return false;
    if (!NoShiftCtrlAlt(Shift) || !CanFocus()) return false;
    ClickAndRepaint();
    return true;
}

bool TVexButton::DialogChar(QChar Ch, Qt::KeyboardModifiers) {
    if (!IsAccel(Ch, Caption()) || !isEnabled() || !isVisible()) return false;
    Click();
    return true;
}

void TVexButton::KeyDown(int& Key, Qt::KeyboardModifiers Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (!NoShiftCtrlAlt(Shift)) return;
    if (IsEnterKey(Key)) {
        Key = 0;
        Click();
    } else if (Key == Qt::Key_Space) {
        Key = 0;
        SetPressed(true);
    } else if (Key == Qt::Key_Escape && FPressed) {
        Key = 0;
        SetPressed(false);
    }
}

void TVexButton::KeyUp(int& Key, Qt::KeyboardModifiers Shift) {
    TCustomControl::KeyUp(Key, Shift);
    if (Key != Qt::Key_Space || !FPressed) return;
    Key = 0;
    SetPressed(false);
    Click();
}

void TVexButton::MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
    const QPointer<TVexButton> Alive(this);
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (!Alive || Button != Qt::LeftButton) return;
    if (TabStop() && CanFocus()) SetFocus();
    SetPressed(true);
}

void TVexButton::MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
    const QPointer<TVexButton> Alive(this);
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (Alive) SetPressed(false);
}

void TVexButton::MouseEnter() {
    FMouseInside = true;
    Repaint();
}

void TVexButton::MouseLeave() {
    FMouseInside = false;
    Repaint();
}

void TVexButton::focusInEvent(QFocusEvent* Event) {
    TCustomControl::focusInEvent(Event);
    Invalidate();
}

void TVexButton::focusOutEvent(QFocusEvent* Event) {
    TCustomControl::focusOutEvent(Event);
    Invalidate();
}

std::unique_ptr<TActionLink> TVexButton::CreateActionLink() { return std::make_unique<TVexButtonActionLink>(this); }

}  // namespace controls
