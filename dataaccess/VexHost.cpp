#include "dataaccess/VexHost.h"

#include "dataaccess/VexDbIni.h"
#include "dataaccess/VexSession.h"

namespace dataaccess {

namespace {
TVexHost* gHost = nullptr;
}

TVexHost* Host() { return gHost; }

controls::TMessageQueue& SessionMessages() { return gHost ? gHost->Messages() : controls::MessageQueue(); }

void SetHost(TVexHost* Value) {
    gHost = Value;
    ResetSession();
    RegisterStoredSettings();
}

}  // namespace dataaccess
