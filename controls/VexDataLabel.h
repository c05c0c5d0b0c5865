#pragma once
// The captioned label: the caption of one input control, drawn with a colon
// right above the control at the control's width. It follows the control as
// it moves, is resized or is enabled and disabled, carries a row of small
// image buttons at its right end, and brings its control into view and
// focuses it when clicked.
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/Controls.h"
#include "platform/ui/ImgList.h"

namespace controls {

class TCustomVexLabel;
class TLabelButtons;

// Buttons of a kind other than tbNone and without an image index show the
// built-in image of their kind.
enum TTipoBotao { tbNone, tbClear, tbSearch, tbLink };

class TLabelButton {
public:
    explicit TLabelButton(TLabelButtons* Collection);
    TLabelButton(const TLabelButton&) = delete;
    TLabelButton& operator=(const TLabelButton&) = delete;

    TLabelButtons* Collection() const { return FCollection; }
    int Index() const;
    // The hint, or the class name when there is none.
    QString DisplayName() const;

    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    QString Hint() const { return FHint; }
    void SetHint(const QString& Value) { FHint = Value; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    intptr_t Tag() const { return FTag; }
    void SetTag(intptr_t Value) { FTag = Value; }
    TTipoBotao Tipo() const { return FTipo; }
    void SetTipo(TTipoBotao Value);
    // Read by the data-bound label: whether the button acts on its own, and
    // whether the label made it.
    bool AutoClick() const { return FAutoClick; }
    void SetAutoClick(bool Value) { FAutoClick = Value; }
    bool Auto() const { return FAuto; }
    void SetAuto(bool Value) { FAuto = Value; }

    // Copies every property and the click handler.
    void Assign(const TLabelButton& Source);

    std::function<void(TLabelButton* Sender)> OnClick;

private:
    // Repaints the button's square.
    void Changed() const;

    TLabelButtons* FCollection;
    int FImageIndex = -1;
    QString FHint;
    bool FEnabled = true;
    intptr_t FTag = 0;
    TTipoBotao FTipo = tbNone;
    bool FAutoClick = true;
    bool FAuto = true;
};

// The label's buttons; button 0 is the rightmost. Every change repaints the label.
class TLabelButtons {
public:
    explicit TLabelButtons(TCustomVexLabel* Label) : FLabel(Label) {}
    TLabelButtons(const TLabelButtons&) = delete;
    TLabelButtons& operator=(const TLabelButtons&) = delete;

    TCustomVexLabel* Label() const { return FLabel; }
    int Count() const { return static_cast<int>(FItems.size()); }
    // Raises EListError for an index outside the collection.
    TLabelButton* Items(int Index) const;
    int IndexOf(const TLabelButton* Button) const;
    TLabelButton* Add() { return Insert(Count()); }
    TLabelButton* Insert(int Index);
    void Delete(int Index);
    void Clear();
    // Replaces the buttons with copies of Source's.
    void Assign(const TLabelButtons& Source);

private:
    void Changed() const;

    TCustomVexLabel* FLabel;
    std::vector<std::unique_ptr<TLabelButton>> FItems;
};

// Corrections added to the position and width the label takes from its control.
class TControlOffset {
public:
    explicit TControlOffset(TCustomVexLabel* Label) : FLabel(Label) {}
    TControlOffset(const TControlOffset&) = delete;
    TControlOffset& operator=(const TControlOffset&) = delete;

    int Left() const { return FLeft; }
    void SetLeft(int Value) { Change(FLeft, Value); }
    int Top() const { return FTop; }
    void SetTop(int Value) { Change(FTop, Value); }
    int Width() const { return FWidth; }
    void SetWidth(int Value) { Change(FWidth, Value); }
    // Copies the three values without repositioning the label.
    void Assign(const TControlOffset& Source);

private:
    void Change(int& Field, int Value);

    TCustomVexLabel* FLabel;
    int FLeft = 0;
    int FTop = 0;
    int FWidth = 0;
};

class TCustomVexLabel : public platform::ui::TCustomControl {
    Q_OBJECT
public:
    explicit TCustomVexLabel(QWidget* AOwner = nullptr);
    // Unlinks first, so the control goes on with its own handling.
    ~TCustomVexLabel() override;

    QWidget* Control() const { return FControl; }
    void SetControl(QWidget* Value);
    TLabelButtons& Buttons() { return FButtons; }
    const TLabelButtons& Buttons() const { return FButtons; }
    void SetButtons(const TLabelButtons& Value) { FButtons.Assign(Value); }
    int LabelSpacing() const { return FLabelSpacing; }
    void SetLabelSpacing(int Value);
    platform::ui::TImageList* Images() const { return FImages; }
    void SetImages(platform::ui::TImageList* Value);
    // The label's own hint, shown where no button is under the pointer.
    QString Hint() const { return FHint; }
    void SetHint(const QString& Value);
    TControlOffset& Offset() { return FOffset; }
    const TControlOffset& Offset() const { return FOffset; }
    void SetOffset(const TControlOffset& Value);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value) { FShowHint = Value; }
    bool AutoPosition() const { return FAutoPosition; }
    void SetAutoPosition(bool Value);
    // The button under the pointer that a click would press; -1 when none.
    int HotButton() const { return FHotButton; }

    // The square of button Index (button 0 for an index below 1): side S is
    // the larger of the font's text height and the button size, button 0 is
    // rightmost and button i lies i squares further left.
    QRect GetButtonRect(int Index) const;
    // Applies the position rules again and repaints.
    void UpdatePosition();

    // Lets the owner change the caption before it is measured or drawn.
    std::function<void(TCustomVexLabel* Sender, QString& ACaption)> OnGetCaption;

protected:
    // Calls the button's OnClick.
    virtual void DoButtonClick(TLabelButton* Button);
    // Runs after Control has changed; for descendants.
    virtual void ControlChanged() {}
    // Sees every event of the linked control before the control does; true
    // keeps the event from the control. Follows moves, resizes and enabling.
    virtual bool ControlEvent(QEvent* Event);
    // The caption after OnGetCaption.
    virtual QString GetCaption() const;

    void Paint() override;
    void EnabledChanged() override;
    void MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) override;
    void MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) override;
    void MouseMove(Qt::KeyboardModifiers Shift, int X, int Y) override;
    void MouseLeave() override;

    bool event(QEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void moveEvent(QMoveEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void changeEvent(QEvent* Event) override;

private:
    friend class TLabelButtons;
    friend class TLabelButton;
    friend class TControlOffset;

    void Unlink();
    void Freed(QObject* Subject);
    void ButtonsChanged();
    void InvalidateButton(int Index);
    void SetHotButton(int Index);
    int ButtonAt(QPoint Point) const;
    int ButtonSize() const;
    int ButtonSide() const;
    // Height, and with AutoPosition place, width and parent, from the control.
    void ApplyPositionRules();
    void MoveToParent(QWidget* Parent);
    // Takes the control's Enabled without repainting, for use while painting.
    void TakeControlEnabled();

    QWidget* FControl = nullptr;
    TLabelButtons FButtons{this};
    int FLabelSpacing = 1;
    platform::ui::TImageList* FImages = nullptr;
    QString FHint;
    TControlOffset FOffset{this};
    bool FShowHint = true;
    bool FAutoPosition = true;
    int FHotButton = -1;
    // The button the left mouse button went down on; -1 when none.
    int FPressedButton = -1;
    bool FPositioning = false;
    bool FQuietEnabling = false;
    platform::ui::TFreeNotifier FNotifier;
};

class TVexLabel : public TCustomVexLabel {
    Q_OBJECT
public:
    using TCustomVexLabel::TCustomVexLabel;

    // The caption as shown, after OnGetCaption; SetCaption stores the text.
    QString Caption() const { return GetCaption(); }
};

// Indexes of the built-in button images.
enum : int { ilSearch = 0, ilLink = 1, ilClear = 2 };
// The shared list of built-in button images, 10 x 11 pixels each, made on first use.
platform::ui::TImageList* ilsVexLabel();

}  // namespace controls
