#include "samples/navitrex/NavitrexMessages.h"

#include "controls/VexMessage.h"
#include "platform/os/Exceptions.h"

namespace navitrex {

void ShowFailure(const std::exception& E) {
    if (dynamic_cast<const platform::os::EAbort*>(&E)) return;
    const auto* Desktop = dynamic_cast<const controls::EDesktopError*>(&E);
    controls::ShowMessageDialog(QString::fromUtf8(E.what()), Desktop ? Desktop->Details() : QString(),
                                Desktop ? controls::dkWarning : controls::dkError,
                                controls::ButtonSet({controls::dbOK}), 0, 0, 0);
}

bool Attempt(const std::function<void()>& Operation) {
    try {
        Operation();
        return true;
    } catch (const std::exception& E) {
        ShowFailure(E);
        return false;
    }
}

}  // namespace navitrex
