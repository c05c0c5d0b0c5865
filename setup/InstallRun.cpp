#include "setup/InstallRun.h"

#include <algorithm>
#include <chrono>

#include "installlib/InstaladorDefs.h"
#include "installlib/VxiStream.h"
#include "platform/os/Files.h"
#include "platform/os/Registry.h"
#include "platform/os/ShellFolders.h"
#include "platform/os/Text.h"
#include "platform/os/WinError.h"
#include "platform/os/WinPath.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Resources.h"

namespace setup {

using namespace installlib;
using namespace platform::os;

namespace {

const char* const kDataResource = "DATA";
const char* const kPackageFileFormat = "Data\\%s.nvo";
const char* const kLaunchArgFormat = "\"NVOCC=%s\"";
const char* const kLogFileFormat = "%s.log";
const char* const kMenuSubfolder = "Ostrevan\\Navitrex";
const char* const kVendorFolder = "Ostrevan";
const char* const kDocumentParam = "\"%1\"";
const char* const kLinkExt = ".lnk";
const int kShowNormal = 1;
const int kStepMilliseconds = 100;

class TInstallation {
public:
    TInstallation(TInstallHost& Host, const TInstallRequest& Request, TLaunchCommand& Launch)
        : FHost(Host), FRequest(Request), FLaunch(Launch), FNVOCC(Request.NVOCC),
          FInstallDir(IncludeTrailingBackslash(Request.InstallFolder)),
          FLaunchArg(Format(kLaunchArgFormat, FNVOCC.Name.c_str())) {}

    bool Run() {
        FHost.ClearCancelRequest();
        FHost.ResetProgress(kInstallSteps);
        bool Cancelled = false;
        try {
            Install();
        } catch (const EAbort&) {
            // A cancel seen after the last action still undoes the run: no log is saved.
            Cancelled = true;
            FSuccess = false;
        } catch (const std::exception& Error) {
            FHost.ReportFailure(LoadResString(SInstallationFailed), Error.what());
            UndoInstallLog(FLog, "");
            FHost.ShowCancelled();
        }
        try {
            Finish(Cancelled);
        } catch (const EAbort&) {
            FSuccess = false;
        }
        return FSuccess;
    }

private:
    void Install() {
        FLog.push_back(Format(LoadResString(SLogHeader).c_str(), FNVOCC.Name.c_str()));
        CreateFolder(FInstallDir);
        StepProgress();
        installlib::AddLog(FLog, kLogDir, FInstallDir);

        ExpandApplication();

        const std::string DataDir = FInstallDir + "Data\\";
        CreateFolder(DataDir);
        installlib::AddLog(FLog, kLogDir, DataDir);
        StepProgress();

        SavePackage();
        CreateShortcuts();
        RegisterPackage();

        WriteUninstallEntry(FNVOCC.Name, FUninstPath + " " + FLaunchArg);
        installlib::AddLog(FLog, kLogProgram, FNVOCC.Name);
        StepProgress();

        if (FFirstPackage)
            RegisterFileType(kDocumentDescription, kDocumentExt, FAppPath, kDocumentParam, FIconPath, 0);
        installlib::AddLog(FLog, kLogExt, kDocumentExt);
        StepProgress();

        FSuccess = true;
        StepProgress();
    }

    void ExpandApplication() {
        const std::unique_ptr<TStream> Data = FRequest.OpenData();
        TVxiStream Archive(*Data);
        FUninstPath = ExpandFile(Archive, kUninstFileName, FInstallDir, true, false);
        FAppPath = ExpandFile(Archive, kAppFileName, FInstallDir, true, false);
        FIconPath = ExpandFile(Archive, kIconFileName, FInstallDir, true, false);
        // The shared runtime library is never overwritten and never undone.
        ExpandFile(Archive, kRuntimeFileName, GetSystemFolder(), false, true);
    }

    void SavePackage() {
        const std::string PackageFile = FInstallDir + Format(kPackageFileFormat, FNVOCC.FileName.c_str());
        {
            std::unique_ptr<TFileStream> File = OpenFileStream(PackageFile, fmCreate);
            File->CopyFrom(*FRequest.Package, 0);
        }
        StepProgress();
        if (!FileExists(PackageFile)) FailInstall(Format(LoadResString(SInstallFileNotFound).c_str(), PackageFile.c_str()));
        installlib::AddLog(FLog, kLogFile, PackageFile);
    }

    void CreateShortcuts() {
        CreateLink(IncludeTrailingBackslash(GetSpecialFolder(CSIDL_DESKTOP)));
        StepProgress();

        std::string Programs = GetSpecialFolder(CSIDL_COMMON_PROGRAMS);
        if (Programs.empty()) Programs = GetSpecialFolder(CSIDL_PROGRAMS);
        Programs = IncludeTrailingBackslash(Programs);
        const std::string MenuFolder = IncludeTrailingBackslash(Programs + kMenuSubfolder);
        CreateFolder(MenuFolder);
        installlib::AddLog(FLog, kLogDir, Programs + kVendorFolder + "\\");
        installlib::AddLog(FLog, kLogDir, MenuFolder);
        StepProgress();

        FLaunch = TLaunchCommand{FAppPath, FLaunchArg};
        CreateLink(MenuFolder);
        StepProgress();
    }

    // A link that could not be saved is not an error: it just is not logged.
    void CreateLink(const std::string& Folder) {
        const std::string LinkFile = Folder + FNVOCC.Name + kLinkExt;
        CreateShellLink(LinkFile, FAppPath, FLaunchArg, "", kShowNormal, FAppPath, 0);
        if (FileExists(LinkFile)) installlib::AddLog(FLog, kLogFile, LinkFile);
    }

    // A key that cannot be opened is not an error: the package then counts as the first.
    void RegisterPackage() {
        TRegistry Reg;
        Reg.SetRootKey(HKEY_LOCAL_MACHINE);
        if (Reg.OpenKey(kNavitrexKey, true)) {
            const std::string Prefix = std::string("HKEY_LOCAL_MACHINE\\") + kNavitrexKey + "\\";
            std::vector<std::string> Packages;
            if (Reg.ValueExists(kPackageListValue)) SplitList(Packages, Reg.ReadString(kPackageListValue));
            FFirstPackage = Packages.empty();
            if (std::none_of(Packages.begin(), Packages.end(),
                             [&](const std::string& Item) { return SameText(Item, FNVOCC.FileName); }))
                Packages.push_back(FNVOCC.FileName);
            Reg.WriteString(kPathValue, FInstallDir);
            Reg.WriteString(kPackageListValue, JoinList(Packages));
            installlib::AddLog(FLog, kLogRegValue, Prefix + kPathValue + "," + FInstallDir);
            installlib::AddLog(FLog, kLogRegItem, Prefix + kPackageListValue + "," + FNVOCC.FileName);
        }
        StepProgress();
    }

    void Finish(bool Cancelled) {
        if (FSuccess) {
            const std::string LogFile = FInstallDir + Format(kLogFileFormat, FNVOCC.Name.c_str());
            installlib::AddLog(FLog, kLogFile, LogFile);
            SaveLogToFile(FLog, LogFile);
        }
        if (!Cancelled) StepProgress();
        if (FSuccess) FHost.ShowFinished();
    }

    void CreateFolder(const std::string& Folder) {
        if (!DirectoryExists(Folder) && !ForceDirectories(Folder))
            FailInstall(Format(LoadResString(SCannotCreateFolder).c_str(), LastErrorText().c_str()));
    }

    // Writes every entry called Name into Folder, asking to retry while a file
    // cannot be written; answers the file's path.
    std::string ExpandFile(TVxiStream& Archive, const std::string& Name, const std::string& Folder, bool LogIt,
                           bool OnlyIfMissing) {
        const std::string Path = IncludeTrailingBackslash(Folder) + Name;
        if (!(OnlyIfMissing && FileExists(Path)))
            for (int Index = 0; Index < Archive.Count(); ++Index)
                if (SameText(Archive.GetFileName(Index), Name))
                    while (!WriteEntry(Archive, Index, Path)) {
                    }
        if (!FileExists(Path)) FailInstall(Format(LoadResString(SInstallFileNotFound).c_str(), Name.c_str()));
        if (LogIt) installlib::AddLog(FLog, kLogFile, Path);
        StepProgress();
        return Path;
    }

    // True when done, or when the user chose to move on.
    bool WriteEntry(TVxiStream& Archive, int Index, const std::string& Path) {
        try {
            std::unique_ptr<TFileStream> File = OpenFileStream(Path, fmCreate | fmShareExclusive);
            Archive.ExtractFile(Index, *File);
            return true;
        } catch (const std::exception& Error) {
            const int Answer = FHost.AskRetry(Format(LoadResString(SCannotWriteFile).c_str(), Error.what()));
            return Answer != platform::ui::mrRetry && Answer != platform::ui::mrCancel;
        }
    }

    // Paces the run and lets the window work; a confirmed cancel ends it here.
    void StepProgress() {
        FHost.AdvanceProgress();
        const auto Start = std::chrono::steady_clock::now();
        while (!FHost.CancelRequested() &&
               std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - Start).count() <=
                   kStepMilliseconds)
            FHost.ProcessMessages();
        if (FHost.CancelRequested()) {
            UndoInstallLog(FLog, "");
            FHost.ShowCancelled();
            throw EAbort();
        }
    }

    [[noreturn]] void FailInstall(const std::string& Message) {
        UndoInstallLog(FLog, "");
        throw Exception(Message);
    }

    TInstallHost& FHost;
    const TInstallRequest& FRequest;
    TLaunchCommand& FLaunch;
    const TNVOCCData FNVOCC;
    const std::string FInstallDir;
    const std::string FLaunchArg;
    std::string FUninstPath, FAppPath, FIconPath;
    TInstallLog FLog;
    bool FSuccess = false;
    bool FFirstPackage = true;
};

}  // namespace

std::unique_ptr<TStream> OpenDataResource() { return std::make_unique<platform::ui::TResourceStream>(kDataResource); }

std::string LastErrorText() {
    const uint32_t Code = GetLastError();
    std::string Text = SysErrorMessage(Code);
    while (!Text.empty() && (Text.back() == ' ' || Text.back() == '\r' || Text.back() == '\n' || Text.back() == '.'))
        Text.pop_back();
    return Format(LoadResString(SErrorCode).c_str(), static_cast<int>(Code), Text.c_str());
}

bool RunInstallation(TInstallHost& Host, const TInstallRequest& Request, TLaunchCommand& Launch) {
    return TInstallation(Host, Request, Launch).Run();
}

}  // namespace setup
