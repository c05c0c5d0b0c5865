#include "samples/navitrex/NavitrexDatabase.h"

#include "dataaccess/VexSchema.h"
#include "installlib/NVOCCConfig.h"
#include "platform/data/ADODB.h"
#include "platform/os/Environment.h"
#include "platform/os/Files.h"
#include "platform/os/IniFiles.h"
#include "platform/os/Streams.h"
#include "platform/os/Text.h"
#include "platform/os/WinEnv.h"
#include "platform/os/WinPath.h"
#include "samples/navitrex/NavitrexSchema.h"
#include "samples/navitrex/NavitrexTexts.h"

namespace navitrex {

using namespace platform::os;

namespace {

std::string ConfiguredConnection(const std::string& SettingsFile) {
    const std::string FromEnvironment = Trim(GetEnvironmentVariable(kDsnVariable));
    if (!FromEnvironment.empty() || !FileExists(SettingsFile)) return FromEnvironment;
    const TMemIniFile Settings(AnsiToUtf8(ReadHostFile(HostPath(SettingsFile))));
    return Trim(Settings.ReadString(kSettingsSection, kSettingsKey, ""));
}

}  // namespace

TDatabaseLocation LocateDatabase(const std::string& AppFolder, const std::string& CustomerFileName) {
    // The name comes from the customer's package: it must not lead out of the Data folder.
    if (!installlib::IsValidFileName(CustomerFileName))
        throw Exception(Format(kNomeArquivoInvalido, CustomerFileName.c_str()));
    const std::string Base = IncludeTrailingBackslash(AppFolder) + "Data\\" + CustomerFileName;
    TDatabaseLocation Location;
    const std::string Configured = ConfiguredConnection(Base + ".ini");
    if (!Configured.empty()) {
        Location.ConnectionString = QString::fromStdString(Configured);
        Location.Embedded = false;
        return Location;
    }
    Location.FileName = Base + ".db";
    Location.ConnectionString =
        "Provider=SQLite;Data Source=" + QString::fromStdString(HostPath(Location.FileName).string());
    return Location;
}

std::unique_ptr<platform::data::TADOConnection> OpenNavitrexDatabase(const TDatabaseLocation& Location) {
    if (Location.Embedded) ForceDirectories(ExtractFilePath(Location.FileName));
    auto Connection = std::make_unique<platform::data::TADOConnection>();
    Connection->SetConnectionString(Location.ConnectionString);
    Connection->SetLoginPrompt(false);
    Connection->Open();
    dataaccess::CreateSchema(*Connection);
    CreateNavitrexSchema(*Connection);
    return Connection;
}

}  // namespace navitrex
