#include "setup/InstallRun.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "installlib/InstaladorDefs.h"
#include "installlib/InstallJournal.h"
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

class TInstallation {
public:
    TInstallation(TInstallHost& Host, const TInstallRequest& Request, TLaunchCommand& Launch)
        : FHost(Host), FRequest(Request), FLaunch(Launch), FNVOCC(Request.NVOCC),
          FInstallDir(IncludeTrailingBackslash(Request.InstallFolder)),
          FLaunchArg(Format(kLaunchArgFormat, FNVOCC.Name.c_str())) {}

    bool Run() {
        FHost.ClearCancelRequest();
        FHost.ResetProgress(kInstallSteps);
        try {
            if (!IsInstallable(FNVOCC))
                throw Exception(Format(LoadResString(SInvalidCustomer).c_str(), FNVOCC.Name.c_str(),
                                       FNVOCC.FileName.c_str()));
            FJournal.emplace();
            Install();
            Finish();
            FJournal->Commit();
            FHost.ShowFinished();
            return true;
        } catch (const EAbort&) {
            RollBack();
        } catch (const std::exception& Error) {
            FHost.ReportFailure(LoadResString(SInstallationFailed), Error.what());
            RollBack();
            // The finishing block's step, which a failed run makes too.
            Pace();
        }
        return false;
    }

private:
    void Install() {
        Step(2);
        FLog.push_back(Format(LoadResString(SLogHeader).c_str(), FNVOCC.Name.c_str()));
        Step(3);
        CreateFolder(FInstallDir);
        Step(4);
        StepProgress();
        installlib::AddLog(FLog, kLogDir, FInstallDir);

        ExpandApplication();

        Step(11);
        const std::string DataDir = FInstallDir + "Data\\";
        CreateFolder(DataDir);
        Step(12);
        installlib::AddLog(FLog, kLogDir, DataDir);
        StepProgress();

        SavePackage();
        CreateShortcuts();
        RegisterPackage();

        Step(20);
        FJournal->KeyWillBeWritten(HKEY_LOCAL_MACHINE, UninstallEntryKey(FNVOCC.Name));
        WriteUninstallEntry(FNVOCC.Name, FUninstPath + " " + FLaunchArg);
        installlib::AddLog(FLog, kLogProgram, FNVOCC.Name);
        StepProgress();

        Step(21);
        if (FFirstPackage) {
            FJournal->KeyWillBeWritten(HKEY_CLASSES_ROOT, NormalizeExtension(kDocumentExt));
            FJournal->KeyWillBeWritten(HKEY_CLASSES_ROOT, FreeFileTypeName(kDocumentExt));
            RegisterFileType(kDocumentDescription, kDocumentExt, FAppPath, kDocumentParam, FIconPath, 0);
        }
        installlib::AddLog(FLog, kLogExt, kDocumentExt);
        StepProgress();

        Step(22);  // every action is done
        Step(23);
        StepProgress();
    }

    void ExpandApplication() {
        Step(5);
        const std::unique_ptr<TStream> Data = FRequest.OpenData();
        TVxiStream Archive(*Data);
        Step(6);
        FUninstPath = ExpandFile(Archive, kUninstFileName, FInstallDir, true, false);
        Step(7);
        FAppPath = ExpandFile(Archive, kAppFileName, FInstallDir, true, false);
        Step(8);
        FIconPath = ExpandFile(Archive, kIconFileName, FInstallDir, true, false);
        Step(9);
        // The shared runtime library is never overwritten and never undone.
        ExpandFile(Archive, kRuntimeFileName, GetSystemFolder(), false, true);
        Step(10);
    }

    void SavePackage() {
        Step(13);
        const std::string PackageFile = FInstallDir + Format(kPackageFileFormat, FNVOCC.FileName.c_str());
        FJournal->FileWillBeWritten(PackageFile);
        {
            std::unique_ptr<TFileStream> File = OpenFileStream(PackageFile, fmCreate);
            File->CopyFrom(*FRequest.Package, 0);
        }
        StepProgress();
        Step(14);
        if (!FileExists(PackageFile)) FailInstall(Format(LoadResString(SInstallFileNotFound).c_str(), PackageFile.c_str()));
        installlib::AddLog(FLog, kLogFile, PackageFile);
    }

    void CreateShortcuts() {
        Step(15);
        CreateLink(IncludeTrailingBackslash(GetSpecialFolder(CSIDL_DESKTOP)));
        StepProgress();

        Step(16);
        std::string Programs = GetSpecialFolder(CSIDL_COMMON_PROGRAMS);
        if (Programs.empty()) Programs = GetSpecialFolder(CSIDL_PROGRAMS);
        Programs = IncludeTrailingBackslash(Programs);
        const std::string MenuFolder = IncludeTrailingBackslash(Programs + kMenuSubfolder);
        CreateFolder(MenuFolder);
        Step(17);
        installlib::AddLog(FLog, kLogDir, Programs + kVendorFolder + "\\");
        installlib::AddLog(FLog, kLogDir, MenuFolder);
        StepProgress();

        Step(18);
        FLaunch = TLaunchCommand{FAppPath, FLaunchArg};
        CreateLink(MenuFolder);
        StepProgress();
    }

    // A link that could not be saved is not an error: it just is not logged.
    void CreateLink(const std::string& Folder) {
        const std::string LinkFile = Folder + FNVOCC.Name + kLinkExt;
        FJournal->FileWillBeWritten(LinkFile);
        CreateShellLink(LinkFile, FAppPath, FLaunchArg, "", kShowNormal, FAppPath, 0);
        if (FileExists(LinkFile)) installlib::AddLog(FLog, kLogFile, LinkFile);
    }

    // A key that cannot be opened is not an error: the package then counts as the first.
    void RegisterPackage() {
        Step(19);
        FJournal->KeyWillBeWritten(HKEY_LOCAL_MACHINE, kNavitrexKey);
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

    // The finishing block: a log that cannot be saved fails the run like any other step.
    void Finish() {
        Step(24);
        const std::string LogFile = FInstallDir + Format(kLogFileFormat, FNVOCC.Name.c_str());
        installlib::AddLog(FLog, kLogFile, LogFile);
        FJournal->FileWillBeWritten(LogFile);
        SaveLogToFile(FLog, LogFile);
        StepProgress();
    }

    void RollBack() {
        if (FJournal) FJournal->Rollback();
        FHost.ShowCancelled();
    }

    void CreateFolder(const std::string& Folder) {
        if (DirectoryExists(Folder)) return;
        FJournal->FolderWillBeCreated(Folder);
        if (!ForceDirectories(Folder))
            FailInstall(Format(LoadResString(SCannotCreateFolder).c_str(), LastErrorText().c_str()));
    }

    // Writes every entry called Name into Folder, asking to retry while a file
    // cannot be written; answers the file's path. Only logged files are undone.
    std::string ExpandFile(TVxiStream& Archive, const std::string& Name, const std::string& Folder, bool LogIt,
                           bool OnlyIfMissing) {
        const std::string Path = IncludeTrailingBackslash(Folder) + Name;
        if (!(OnlyIfMissing && FileExists(Path))) {
            if (LogIt) FJournal->FileWillBeWritten(Path);
            for (int Index = 0; Index < Archive.Count(); ++Index)
                if (SameText(Archive.GetFileName(Index), Name))
                    while (!WriteEntry(Archive, Index, Path)) {
                    }
        }
        if (!FileExists(Path)) FailInstall(Format(LoadResString(SInstallFileNotFound).c_str(), Name.c_str()));
        if (LogIt) installlib::AddLog(FLog, kLogFile, Path);
        StepProgress();
        return Path;
    }

    // True when done, or when the user chose to move on. Only the file's side
    // is retried: an entry that cannot be inflated fails the run.
    bool WriteEntry(TVxiStream& Archive, int Index, const std::string& Path) {
        try {
            std::unique_ptr<TFileStream> File = OpenFileStream(Path, fmCreate | fmShareExclusive);
            Archive.ExtractFile(Index, *File);
            return true;
        } catch (const EFOpenError& Error) {
            return !AskRetry(Error);
        } catch (const EWriteError& Error) {
            return !AskRetry(Error);
        }
    }

    // True when the user asked to try again.
    bool AskRetry(const std::exception& Error) {
        const int Answer = FHost.AskRetry(Format(LoadResString(SCannotWriteFile).c_str(), Error.what()));
        return Answer == platform::ui::mrRetry || Answer == platform::ui::mrCancel;
    }

    // Paces the run and lets the window work; a confirmed cancel ends it here.
    void StepProgress() {
        Pace();
        if (FHost.CancelRequested()) throw EAbort();
    }

    void Pace() {
        FHost.AdvanceProgress();
        const auto Start = std::chrono::steady_clock::now();
        while (!FHost.CancelRequested() &&
               std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - Start).count() <=
                   FHost.StepMilliseconds())
            FHost.ProcessMessages();
    }

    void Step(int Number) {
        if (FRequest.OnStep) FRequest.OnStep(Number);
    }

    [[noreturn]] void FailInstall(const std::string& Message) { throw Exception(Message); }

    TInstallHost& FHost;
    const TInstallRequest& FRequest;
    TLaunchCommand& FLaunch;
    const TNVOCCData FNVOCC;
    const std::string FInstallDir;
    const std::string FLaunchArg;
    std::string FUninstPath, FAppPath, FIconPath;
    TInstallLog FLog;
    std::optional<TInstallJournal> FJournal;
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
