#pragma once
// An ini file kept in the database instead of on disk: one zlib blob per
// settings key and user in sys_Persistencia. It loads when created (holding
// Ctrl+Shift then offers to reset the key to empty) and saves on Save, and
// when destroyed if something was written. Database errors of loading and of
// Save raise; the save at destruction never raises: its error goes to the
// message batch. The key is matched ignoring case; user 0 means no user and is
// stored as Null.
#include <QString>
#include <QStringList>

#include "controls/VexStoredSettings.h"
#include "platform/os/IniFiles.h"

namespace platform::data {
class TADOConnection;
}

namespace dataaccess {

inline constexpr const char* kConfirmSettingsReset = "Deseja realmente apagar todos os dados de configuração?";
inline constexpr const char* kSettingsWriteError =
    "Ocorreu um erro na gravação dos dados de persistência (Section: %1; Ident: %2).";

class TVexDBIni : public controls::TStoredSettings {
public:
    // Connection nullptr: the session's default connection.
    TVexDBIni(const QString& Key, platform::data::TADOConnection* Connection, int IdUsuario);
    ~TVexDBIni() override;
    TVexDBIni(const TVexDBIni&) = delete;
    TVexDBIni& operator=(const TVexDBIni&) = delete;

    QString Key() const { return FKey; }
    int IdUsuario() const { return FIdUsuario; }
    bool Modified() const { return FModified; }

    // Writes the content now and clears the modified flag; database errors raise.
    void Save();

    QString ReadString(const QString& Section, const QString& Ident, const QString& Default) const;
    int ReadInteger(const QString& Section, const QString& Ident, int Default) const override;
    bool ReadBool(const QString& Section, const QString& Ident, bool Default) const override;
    bool SectionExists(const QString& Section) const;
    bool ValueExists(const QString& Section, const QString& Ident) const;
    QStringList ReadSections() const;
    QStringList ReadSection(const QString& Section) const;

    // Every write passes here. A name or value the ini text cannot hold (a line
    // break, '=' in a name, ']' in a section) raises kSettingsWriteError and
    // leaves the content and the modified flag as they were.
    void WriteString(const QString& Section, const QString& Ident, const QString& Value);
    void WriteInteger(const QString& Section, const QString& Ident, int Value) override;
    void WriteBool(const QString& Section, const QString& Ident, bool Value) override;

    // Empties the content; it is saved empty.
    void Clear();
    // These change the content without marking it modified.
    void EraseSection(const QString& Section);
    void DeleteKey(const QString& Section, const QString& Ident);

private:
    void Load();

    QString FKey;
    platform::data::TADOConnection* FConnection;
    int FIdUsuario;
    platform::os::TMemIniFile FIni;
    bool FModified = false;
};

// Lets the windows of the layers below remember their settings in this store,
// for the current user, while the session's default connection is open.
// Installing a host does it.
void RegisterStoredSettings();

}  // namespace dataaccess
