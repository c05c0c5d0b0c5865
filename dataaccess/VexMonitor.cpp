#include "dataaccess/VexMonitor.h"

#include <algorithm>

namespace dataaccess {

namespace {

struct TMonitorEntry {
    const QMetaObject* TableClass;
    TMonitorFactory Factory;
};

std::vector<TMonitorEntry>& Registry() {
    static std::vector<TMonitorEntry> gRegistry;
    return gRegistry;
}

}  // namespace

QString MonitorEventName(TMonitorNotifyEvent Event) {
    static const char* const kNames[] = {
        "neAfterCancel", "neAfterClose", "neAfterDelete", "neAfterEdit", "neAfterInsert", "neAfterOpen",
        "neAfterPost", "neAfterRefresh", "neAfterScroll", "neApplyUpdates", "neCancelUpdates", "neBeforeCancel",
        "neBeforeClose", "neBeforeDelete", "neBeforeEdit", "neBeforeInsert", "neBeforeOpen", "neBeforePost",
        "neBeforeScroll", "neOnCalcFields", "neOnNewRecord"};
    return kNames[Event];
}

QString MonitorEventName(TMonitorErrorEvent Event) {
    static const char* const kNames[] = {"eeOnDeleteError", "eeOnEditError", "eeOnPostError"};
    return kNames[Event];
}

void RegisterComponentMonitor(const QMetaObject& TableClass, TMonitorFactory Factory) {
    Registry().push_back({&TableClass, std::move(Factory)});
}

bool HasComponentMonitors(const QMetaObject& TableClass) {
    const auto& Entries = Registry();
    return std::any_of(Entries.begin(), Entries.end(),
                       [&TableClass](const TMonitorEntry& Entry) { return Entry.TableClass == &TableClass; });
}

size_t ComponentMonitorRegistrations() { return Registry().size(); }

std::vector<TMonitorFactory> ComponentMonitorsOf(const QMetaObject& TableClass) {
    std::vector<TMonitorFactory> Result;
    for (const TMonitorEntry& Entry : Registry())
        if (Entry.TableClass == &TableClass) Result.push_back(Entry.Factory);
    return Result;
}

}  // namespace dataaccess
