#pragma once
// Settings a window remembers per user (its size, which panes are open). The
// store lives in the data-access layer, which registers an opener at start;
// without one, or when the opener has no database to use, OpenStoredSettings
// answers nullptr and the window remembers nothing. Writes are kept when the
// object is destroyed.
#include <QString>
#include <functional>
#include <memory>

namespace controls {

class TStoredSettings {
public:
    virtual ~TStoredSettings() = default;
    virtual int ReadInteger(const QString& Section, const QString& Ident, int Default) const = 0;
    virtual bool ReadBool(const QString& Section, const QString& Ident, bool Default) const = 0;
    virtual void WriteInteger(const QString& Section, const QString& Ident, int Value) = 0;
    virtual void WriteBool(const QString& Section, const QString& Ident, bool Value) = 0;
};

// Answers the settings kept under Key, or nullptr when there is nowhere to keep them.
using TStoredSettingsOpener = std::function<std::unique_ptr<TStoredSettings>(const QString& Key)>;
// Answers the opener that was registered before.
TStoredSettingsOpener SetStoredSettingsOpener(TStoredSettingsOpener Opener);
std::unique_ptr<TStoredSettings> OpenStoredSettings(const QString& Key);

}  // namespace controls
