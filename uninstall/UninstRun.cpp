#include "uninstall/UninstRun.h"

#include "installlib/InstaladorDefs.h"
#include "installlib/NVOCCConfig.h"
#include "platform/os/Exceptions.h"
#include "platform/os/Files.h"
#include "platform/os/Registry.h"
#include "platform/os/Text.h"
#include "platform/os/WinPath.h"

namespace uninstall {

using namespace installlib;
using namespace platform::os;

namespace {

const char* const kLogFileName = "%s.log";
const char* const kPackageExt = ".nvo";
const char* const kDatabaseExt = ".db";

std::string Res(int Id, const std::string& Arg) { return Format(LoadResString(Id).c_str(), Arg.c_str()); }

std::string Res(int Id, const std::string& Arg1, const std::string& Arg2) {
    return Format(LoadResString(Id).c_str(), Arg1.c_str(), Arg2.c_str());
}

std::string RegisteredPath() {
    TRegistry Reg;
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!Reg.OpenKeyReadOnly(kNavitrexKey) || !Reg.ValueExists(kPathValue)) return {};
    return Reg.ReadString(kPathValue);
}

// A path the system cannot resolve names no file.
bool FileIsThere(const std::string& Path) {
    try {
        return FileExists(Path);
    } catch (const Exception&) {
        return false;
    }
}

bool HasUninstallEntry(const std::string& Name) {
    TRegistry Reg;
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    return Reg.KeyExists(std::string(kUninstallKey) + "\\" + Format(kUninstallEntryName, Name.c_str()));
}

}  // namespace

std::string FindLogFile(const std::string& Name, const std::string& ProgramFolder) {
    const std::string LogName = Format(kLogFileName, Name.c_str());
    for (const std::string& Folder : {ProgramFolder, RegisteredPath()}) {
        if (Folder.empty()) continue;
        const std::string Candidate = IncludeTrailingBackslash(Folder) + LogName;
        if (FileIsThere(Candidate)) return Candidate;
    }
    return {};
}

std::string CustomerDatabaseFile(const TInstallLog& Log) {
    const std::string FilePrefix = std::string(kLogFile) + "=";
    for (const std::string& Line : Log) {
        if (Line.size() <= FilePrefix.size() || !SameText(Line.substr(0, FilePrefix.size()), FilePrefix)) continue;
        const std::string Path = Line.substr(FilePrefix.size());
        if (SameText(ExtractFileExt(Path), kPackageExt)) return ChangeFileExt(Path, kDatabaseExt);
    }
    return {};
}

bool IsCustomerLog(const TInstallLog& Log, const std::string& Name) {
    const std::string Header = Res(SLogHeader, Name);
    return !Log.empty() && SameText(Log.front(), Header.substr(0, Header.find("\r\n")));
}

TUninstResult RunUninstall(const std::vector<std::string>& Args, const std::string& ProgramFolder,
                           const TUninstDialog& Dialog) {
    const auto Fail = [&](const std::string& Text, const std::string& Details = {}) {
        Dialog(umError, Text, Details);
        return urFailed;
    };

    const std::string Name = CustomerFromArgs(Args);
    if (Name.empty()) return Fail(LoadResString(SUninstNoCustomer));
    const std::string LogFile = FindLogFile(Name, ProgramFolder);
    if (LogFile.empty()) {
        if (!HasUninstallEntry(Name)) return Fail(Res(SUninstUnknownCustomer, Name));
        return Fail(Res(SUninstLogMissing, Format(kLogFileName, Name.c_str())));
    }

    TInstallLog Log;
    try {
        Log = LoadLogFromFile(LogFile);
    } catch (const Exception& E) {
        return Fail(Res(SUninstLogUnreadable, LogFile, E.what()));
    }
    if (!IsCustomerLog(Log, Name)) return Fail(Res(SUninstLogForeign, LogFile, Name));

    if (!Dialog(umConfirmation, Res(SUninstConfirm, Name), {})) return urDeclined;
    std::string Done = Res(SUninstDone, Name);
    const std::string Database = CustomerDatabaseFile(Log);
    if (!Database.empty() && FileIsThere(Database)) Done += "\r\n\r\n" + Res(SUninstDatabaseKept, Database);
    try {
        UndoInstallLog(Log, Done,
                       [&](const std::string& Message) { Dialog(umInformation, Message, {}); });
    } catch (const Exception& E) {
        return Fail(LoadResString(SUninstFailed), E.what());
    }
    return urRemoved;
}

}  // namespace uninstall
