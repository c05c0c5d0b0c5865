#pragma once
// Actions: a command with caption, checked and enabled state, shortcut and
// image, shared by the controls and menu items linked to it. The form runs
// the shortcuts of its action lists before the focused control sees the key.
#include <QKeySequence>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

#include "platform/ui/ImgList.h"

namespace platform::ui {

class TAction;
class TActionList;
class TCustomControl;

// The client side of an action: told about every change of the action.
class TActionLink {
public:
    virtual ~TActionLink();
    TAction* Action() const { return FAction; }
    void SetAction(TAction* Value);
    // Runs the action for the client; false when there is none or it is disabled.
    bool Execute();

    virtual void CaptionChanged(const QString&) {}
    virtual void CheckedChanged(bool) {}
    virtual void EnabledChanged(bool) {}
    virtual void HintChanged(const QString&) {}
    virtual void ImageIndexChanged(int) {}
    virtual void VisibleChanged(bool) {}
    // Copies every property of the action to the client.
    void ActionChanged();

private:
    friend class TAction;
    TAction* FAction = nullptr;
};

// The link of a custom control: caption, enabled, hint and visibility.
class TControlActionLink : public TActionLink {
public:
    explicit TControlActionLink(TCustomControl* Client) : FClient(Client) {}
    void CaptionChanged(const QString& Value) override;
    void EnabledChanged(bool Value) override;
    void HintChanged(const QString& Value) override;
    void VisibleChanged(bool Value) override;

protected:
    TCustomControl* Client() const { return FClient; }

private:
    TCustomControl* FClient;
};

class TAction : public QObject {
    Q_OBJECT
public:
    explicit TAction(QObject* AOwner = nullptr);
    ~TAction() override;

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    bool Checked() const { return FChecked; }
    void SetChecked(bool Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    QString Hint() const { return FHint; }
    void SetHint(const QString& Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    QKeySequence ShortCut() const { return FShortCut; }
    void SetShortCut(const QKeySequence& Value) { FShortCut = Value; }
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool Value) { FAutoCheck = Value; }
    // Checked actions of one group index other than 0 behave as radio items.
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value) { FGroupIndex = Value; }

    TActionList* ActionList() const;

    // Updates, toggles an auto-check action and runs OnExecute; false when
    // the action is disabled or has no handler.
    bool Execute();
    // Runs OnUpdate, or the action list's OnUpdate before it.
    bool Update();

    std::function<void(QObject* Sender)> OnExecute;
    std::function<void(QObject* Sender)> OnUpdate;

private:
    friend class TActionLink;
    template <class Notify>
    void NotifyLinks(Notify Call);

    QString FCaption;
    QString FHint;
    bool FChecked = false;
    bool FEnabled = true;
    bool FVisible = true;
    bool FAutoCheck = false;
    int FImageIndex = -1;
    int FGroupIndex = 0;
    QKeySequence FShortCut;
    std::vector<TActionLink*> FLinks;
};

// Owns its actions (their Qt parent); the images serve controls linked to them.
class TActionList : public QObject {
    Q_OBJECT
public:
    explicit TActionList(QObject* AOwner = nullptr) : QObject(AOwner) {}

    TAction* Add(const QString& Name = QString());
    int ActionCount() const { return static_cast<int>(Actions().size()); }
    QList<TAction*> Actions() const;
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* Value);

    // Runs the enabled action whose shortcut is Key; true when one ran.
    bool IsShortCut(const QKeySequence& Key);
    void UpdateActions();

    // Asked before each action's own update; set Handled to skip it.
    std::function<void(TAction* Action, bool& Handled)> OnUpdate;

private:
    QPointer<TImageList> FImages;
};

}  // namespace platform::ui
