#pragma once
// Focus and page routines every form shares. Focusing always goes through a
// posted WM_FOCUSCONTROL, so the focus moves only once the message being
// handled (a click, a page change) has been handled completely.
#include <QString>
#include <QWidget>

#include "platform/ui/ComCtrls.h"
#include "platform/ui/Messages.h"

namespace controls {

// WParam: the control to focus, or none. LParam: a newly allocated QString
// naming the control for diagnostics ("edtConfigLocal: TEdit", "TEdit" for a
// control without a name, "unnamed" for none); the receiver releases it.
inline constexpr platform::ui::UINT WM_FOCUSCONTROL = platform::ui::WM_APP + 36;

// Posts the focus request for Control to Window, or to the main form when
// Window is none; with neither, nothing happens.
void RequestFocus(QWidget* Control, QObject* Window = nullptr);

// The first control inside Container that should take the focus (a tab stop,
// in numeric tab order, searched depth first through containers that are no
// tab stops), or Container itself. A Container that is a tab stop is its own
// first control: its children are its parts. A page control answers the
// first control of its active page, or itself when the page has none.
QWidget* FindFirstFocusable(QWidget* Container);

// Makes every tab page among Control's ancestors the active page of its page
// control, inner to outer, then requests the focus for the first focusable
// control inside Control and answers it; none for none.
QWidget* FocusFirstControl(QWidget* Control);

// Tab-less pages: the page control hides and its pages lie on its parent;
// activating a page still shows it alone. ShowPages gives the pages back.
void HidePages(platform::ui::TPageControl* PageControl);
void ShowPages(platform::ui::TPageControl* PageControl);

// For the receiver of WM_FOCUSCONTROL. The description a request carries,
// readable until the request is handled.
QString FocusRequestDescription(const platform::ui::TMessage& Message);
// Makes the requested control the active control of its form when it still
// exists, and releases the description.
void HandleFocusRequest(const platform::ui::TMessage& Message);

}  // namespace controls
