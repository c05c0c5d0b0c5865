#pragma once
// Where a customer's database lives and how it is opened. By default it is a
// SQLite file "Data\<FileName>.db" in the installation folder, so a single
// office needs no server. A PostgreSQL server is used when a connection
// string is configured: the environment variable NAVITREX_DSN, else the key
// "Conexao" of section [Banco] in the customer's settings file
// "Data\<FileName>.ini" (for example
// "Provider=PostgreSQL;Host=srv;Port=5432;Database=navitrex;User ID=bl;Password=...").
// Opening creates the framework's tables and the application's when missing;
// connection and server errors raise.
#include <QString>
#include <memory>
#include <string>

namespace platform::data {
class TADOConnection;
}

namespace navitrex {

inline constexpr const char* kDsnVariable = "NAVITREX_DSN";
inline constexpr const char* kSettingsSection = "Banco";
inline constexpr const char* kSettingsKey = "Conexao";

struct TDatabaseLocation {
    QString ConnectionString;  // an ADO-style provider string
    bool Embedded = true;      // the SQLite file under Data
    std::string FileName;      // the Windows path of that file; empty for a server
};

// The configured server, else the customer's SQLite file in AppFolder's "Data" folder. A file name that is not a
// plain file name (a folder, "..", a device) raises.
TDatabaseLocation LocateDatabase(const std::string& AppFolder, const std::string& CustomerFileName);

// Opens (creating the Data folder and the file when embedded) and creates the missing tables.
std::unique_ptr<platform::data::TADOConnection> OpenNavitrexDatabase(const TDatabaseLocation& Location);

}  // namespace navitrex
