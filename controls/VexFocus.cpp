#include "controls/VexFocus.h"

#include <QApplication>
#include <memory>

#include "platform/ui/Forms.h"

namespace controls {

using namespace platform::ui;

namespace {

// The class name without its namespace, as the platform's class names read.
QString ClassNameOf(const QObject* Object) {
    const QString Full = QString::fromLatin1(Object->metaObject()->className());
    return Full.mid(Full.lastIndexOf(QLatin1Char(':')) + 1);
}

QString DescriptionOf(const QWidget* Control) {
    if (!Control) return QStringLiteral("unnamed");
    if (Control->objectName().isEmpty()) return ClassNameOf(Control);
    return Control->objectName() + QStringLiteral(": ") + ClassNameOf(Control);
}

// Visible and enabled by its own settings and those of every parent up to
// its window; the window itself does not count, so a form that is not shown
// yet can still choose its first control.
bool IsShowingAndEnabled(const QWidget* Control) {
    for (const QWidget* W = Control; W && !W->isWindow(); W = W->parentWidget())
        if (!IsVisibleFlag(W) || !IsEnabledFlag(W)) return false;
    return true;
}

void ActivateEnclosingPages(const QWidget* Control) {
    for (QWidget* W = Control->parentWidget(); W; W = W->isWindow() ? nullptr : W->parentWidget())
        if (auto* Sheet = qobject_cast<TTabSheet*>(W); Sheet && Sheet->PageControl())
            Sheet->PageControl()->SetActivePage(Sheet);
}

}  // namespace

void RequestFocus(QWidget* Control, QObject* Window) {
    if (!Window) Window = MainForm();
    if (!Window) return;
    auto Description = std::make_unique<QString>(DescriptionOf(Control));
    if (PostMessage(Window, WM_FOCUSCONTROL, reinterpret_cast<WPARAM>(Control), reinterpret_cast<LPARAM>(Description.get())))
        Description.release();  // the receiver's now
}

QWidget* FindFirstFocusable(QWidget* Container) {
    if (!Container) return nullptr;
    // A page control takes the focus for its tabs, yet its controls are those of its active page.
    if (auto* Pages = qobject_cast<TPageControl*>(Container); Pages && Pages->ActivePage() && !Pages->PagesLent())
        if (QWidget* Inner = FindFirstFocusable(Pages->ActivePage()); Inner != Pages->ActivePage()) return Inner;
    // A control that takes the focus itself keeps its insides (an editable
    // combo box's own edit is no control of the form).
    if (!Container->isWindow() && GetTabStop(Container)) return Container;
    for (QWidget* Child : TabOrderedChildren(Container)) {
        if (Child->isWindow() || !IsShowingAndEnabled(Child)) continue;
        if (QWidget* Inner = FindFirstFocusable(Child); Inner != Child || GetTabStop(Child)) return Inner;
    }
    return Container;
}

QWidget* FocusFirstControl(QWidget* Control) {
    if (!Control) return nullptr;
    ActivateEnclosingPages(Control);
    QWidget* Target = FindFirstFocusable(Control);
    RequestFocus(Target);
    return Target;
}

void HidePages(TPageControl* PageControl) {
    if (PageControl) PageControl->LendPages();
}

void ShowPages(TPageControl* PageControl) {
    if (PageControl) PageControl->TakeBackPages();
}

QString FocusRequestDescription(const TMessage& Message) {
    const auto* Description = reinterpret_cast<const QString*>(Message.LParam);
    return Description ? *Description : QString();
}

void HandleFocusRequest(const TMessage& Message) {
    const std::unique_ptr<QString> Description(reinterpret_cast<QString*>(Message.LParam));
    // The control may have been destroyed while the request waited; only its
    // address is compared until it is known to be alive.
    auto* Control = reinterpret_cast<QWidget*>(Message.WParam);
    if (!Control || !QApplication::allWidgets().contains(Control) || Control->isWindow()) return;
    if (TCustomForm* Form = GetParentForm(Control)) Form->SetActiveControl(Control);
}

}  // namespace controls
