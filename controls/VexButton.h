#pragma once
// The skinned button: one control that serves as push button, toggle button
// and check box. It paints its face from a skin item in the state that
// matches focus, mouse, pressed and checked, draws caption and glyph over
// it, and behaves as a dialog button: default and cancel button of its form,
// modal result on click, and groups of buttons on one parent that act as
// radio buttons or independent check boxes.
#include <QImage>
#include <QPointer>
#include <cstdint>
#include <functional>

#include "controls/VexPaint.h"
#include "controls/VexSkin.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Controls.h"
#include "platform/ui/ImgList.h"

namespace controls {

enum TDrawStage { dsPreSkin, dsBeforeSkin, dsAfterSkin };

// The key codes OnDialogKey is asked with.
inline constexpr uint16_t VK_RETURN = 0x0D;
inline constexpr uint16_t VK_ESCAPE = 0x1B;

class TVexButton;

using TDrawButtonEvent = std::function<void(TVexButton* Sender, TDrawSkinAttr& DrawAttr, TDrawStage Stage)>;
using TOnDialogKey = std::function<void(TVexButton* Sender, uint16_t CharCode, bool& Allow)>;

// Besides the generic link's part, the action's Checked and ImageIndex reach the button.
class TVexButtonActionLink : public platform::ui::TControlActionLink {
public:
    explicit TVexButtonActionLink(TVexButton* Client);
    void CheckedChanged(bool Value) override;
    void ImageIndexChanged(int Value) override;

private:
    TVexButton* FButton;
};

class TVexButton : public platform::ui::TCustomControl {
    Q_OBJECT
public:
    explicit TVexButton(QWidget* AOwner = nullptr);
    ~TVexButton() override;

    // The skin painted with: its own, or else the process-wide default skin.
    TVexSkin* Skin() const;
    void SetSkin(TVexSkin* Value);
    TSkinName SkinName() const { return FSkinName; }
    void SetSkinName(const TSkinName& Value);
    const QImage& Bitmap() const { return FBitmap; }
    void SetBitmap(const QImage& Value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value);
    platform::ui::TImageList* Images() const { return FImages; }
    void SetImages(platform::ui::TImageList* Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    TBitmapAlign BitmapAlign() const { return FBitmapAlign; }
    void SetBitmapAlign(TBitmapAlign Value);
    bool Checked() const { return FChecked; }
    void SetChecked(bool Value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value) { FGroupIndex = Value; }
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value);
    bool Default() const { return FDefault; }
    void SetDefault(bool Value);
    bool DefaultActions() const { return FDefaultActions; }
    void SetDefaultActions(bool Value) { FDefaultActions = Value; }
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int Value) { FModalResult = Value; }
    bool Cancel() const { return FCancel; }
    void SetCancel(bool Value) { FCancel = Value; }
    bool ShowCaption() const { return FShowCaption; }
    void SetShowCaption(bool Value);
    int Margin() const { return FMargin; }
    void SetMargin(int Value);

    // Run-time state: left button or Space held down, mouse over the button,
    // and whether the button answers Enter now.
    bool Pressed() const { return FPressed; }
    bool MouseInside() const { return FMouseInside; }
    bool Active() const { return FActive; }
    // The state the button would be painted in now.
    TDrawSkinAttr ChooseDrawAttr() const;

    // Valid while the button paints, so that OnDrawButton can draw too.
    using TCustomControl::Canvas;

    // Toggles within a group, sets the form's modal result, then runs the
    // action or OnClick.
    void Click() override;

    bool DialogKey(int Key, Qt::KeyboardModifiers Shift) override;
    bool DialogChar(QChar Ch, Qt::KeyboardModifiers Shift) override;
    void FocusChanged(QWidget* NewFocus) override;

    TDrawButtonEvent OnDrawButton;
    TOnDialogKey OnDialogKey;

protected:
    void Paint() override;
    virtual void DoDrawButton(TDrawStage Stage, TDrawSkinAttr& DrawAttr);

    void MouseEnter() override;
    void MouseLeave() override;
    void MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) override;
    void MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) override;
    void KeyDown(int& Key, Qt::KeyboardModifiers Shift) override;
    void KeyUp(int& Key, Qt::KeyboardModifiers Shift) override;
    std::unique_ptr<platform::ui::TActionLink> CreateActionLink() override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;

private:
    // Told by a button of the same parent that it was checked or changed AllowAllUp.
    void ButtonPressed(int Group, const TVexButton* Sender);
    void NotifyGroup();
    void SetPressed(bool Value);
    void SetActive(bool Value);
    void UpdateActive(QWidget* Focused);
    QImage Glyph() const;
    // Clicks and repaints, unless the click freed the button.
    void ClickAndRepaint();

    TSkinLink FSkinLink;
    TSkinName FSkinName;
    QImage FBitmap;
    int FSpacing = 2;
    QPointer<platform::ui::TImageList> FImages;
    int FImageIndex = -1;
    TBitmapAlign FBitmapAlign = baLeft;
    bool FChecked = false;
    int FGroupIndex = 0;
    bool FAllowAllUp = false;
    bool FDefault = false;
    bool FDefaultActions = true;
    int FModalResult = 0;
    bool FCancel = false;
    bool FShowCaption = true;
    int FMargin = -1;
    bool FPressed = false;
    bool FMouseInside = false;
    bool FActive = false;
};

}  // namespace controls
