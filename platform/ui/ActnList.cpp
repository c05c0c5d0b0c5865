#include "platform/ui/ActnList.h"

#include <algorithm>

#include "platform/ui/Controls.h"

namespace platform::ui {

TActionLink::~TActionLink() { SetAction(nullptr); }

void TActionLink::SetAction(TAction* Value) {
    if (Value == FAction) return;
    if (FAction) {
        auto& Links = FAction->FLinks;
        Links.erase(std::remove(Links.begin(), Links.end(), this), Links.end());
    }
    FAction = Value;
    if (FAction) {
        FAction->FLinks.push_back(this);
        ActionChanged();
    }
}

bool TActionLink::Execute() { return FAction && FAction->Execute(); }

void TActionLink::ActionChanged() {
    if (!FAction) return;
    CaptionChanged(FAction->Caption());
    CheckedChanged(FAction->Checked());
    EnabledChanged(FAction->Enabled());
    HintChanged(FAction->Hint());
    ImageIndexChanged(FAction->ImageIndex());
    VisibleChanged(FAction->Visible());
}

void TControlActionLink::CaptionChanged(const QString& Value) { FClient->SetCaption(Value); }
void TControlActionLink::EnabledChanged(bool Value) { FClient->setEnabled(Value); }
void TControlActionLink::HintChanged(const QString& Value) { FClient->SetHint(Value); }
void TControlActionLink::VisibleChanged(bool Value) { FClient->setVisible(Value); }

TAction::TAction(QObject* AOwner) : QObject(AOwner) {}

TAction::~TAction() {
    // Links outlive the action: they only forget it.
    for (TActionLink* Link : FLinks) Link->FAction = nullptr;
}

template <class Notify>
void TAction::NotifyLinks(Notify Call) {
    const std::vector<TActionLink*> Links = FLinks;  // a link may leave while told
    for (TActionLink* Link : Links) Call(*Link);
}

void TAction::SetCaption(const QString& Value) {
    if (Value == FCaption) return;
    FCaption = Value;
    NotifyLinks([&](TActionLink& L) { L.CaptionChanged(Value); });
}

void TAction::SetChecked(bool Value) {
    if (Value == FChecked) return;
    FChecked = Value;
    if (Value && FGroupIndex != 0 && parent()) {
        for (TAction* Other : parent()->findChildren<TAction*>(QString(), Qt::FindDirectChildrenOnly))
            if (Other != this && Other->FGroupIndex == FGroupIndex) Other->SetChecked(false);
    }
    NotifyLinks([&](TActionLink& L) { L.CheckedChanged(Value); });
}

void TAction::SetEnabled(bool Value) {
    if (Value == FEnabled) return;
    FEnabled = Value;
    NotifyLinks([&](TActionLink& L) { L.EnabledChanged(Value); });
}

void TAction::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    NotifyLinks([&](TActionLink& L) { L.VisibleChanged(Value); });
}

void TAction::SetHint(const QString& Value) {
    if (Value == FHint) return;
    FHint = Value;
    NotifyLinks([&](TActionLink& L) { L.HintChanged(Value); });
}

void TAction::SetImageIndex(int Value) {
    if (Value == FImageIndex) return;
    FImageIndex = Value;
    NotifyLinks([&](TActionLink& L) { L.ImageIndexChanged(Value); });
}

TActionList* TAction::ActionList() const { return qobject_cast<TActionList*>(parent()); }

bool TAction::Update() {
    bool Handled = false;
    if (TActionList* List = ActionList(); List && List->OnUpdate) List->OnUpdate(this, Handled);
    if (!Handled && OnUpdate) {
        OnUpdate(this);
        Handled = true;
    }
    return Handled;
}

bool TAction::Execute() {
    Update();
    if (!FEnabled) return false;
    // A checked radio item stays checked when run again.
    if (FAutoCheck && (!FChecked || FGroupIndex == 0)) SetChecked(!FChecked);
    if (!OnExecute) return false;
    OnExecute(this);
    return true;
}

TAction* TActionList::Add(const QString& Name) {
    auto* Action = new TAction(this);
    Action->setObjectName(Name);
    return Action;
}

QList<TAction*> TActionList::Actions() const { return findChildren<TAction*>(QString(), Qt::FindDirectChildrenOnly); }

void TActionList::SetImages(TImageList* Value) { FImages = Value; }

bool TActionList::IsShortCut(const QKeySequence& Key) {
    for (TAction* Action : Actions()) {
        if (Action->ShortCut().isEmpty() || Action->ShortCut() != Key) continue;
        Action->Update();
        if (!Action->Enabled()) continue;
        Action->Execute();
        return true;
    }
    return false;
}

void TActionList::UpdateActions() {
    for (TAction* Action : Actions()) Action->Update();
}

}  // namespace platform::ui
