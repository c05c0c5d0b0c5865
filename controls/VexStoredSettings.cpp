#include "controls/VexStoredSettings.h"

#include <utility>

namespace controls {

namespace {
TStoredSettingsOpener gOpener;
}

TStoredSettingsOpener SetStoredSettingsOpener(TStoredSettingsOpener Opener) {
    return std::exchange(gOpener, std::move(Opener));
}

std::unique_ptr<TStoredSettings> OpenStoredSettings(const QString& Key) {
    return gOpener ? gOpener(Key) : nullptr;
}

}  // namespace controls
