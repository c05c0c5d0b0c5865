#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "installlib/InstaladorDefs.h"
#include "installlib/InstallJournal.h"
#include "installlib/VxiWriter.h"
#include "installlib/tests/InstallScenario.h"
#include "installlib/tests/RegistryHelpers.h"
#include "installlib/tests/TempPrefix.h"
#include "platform/os/Files.h"
#include "platform/os/ShellFolders.h"
#include "platform/os/ShellLink.h"
#include "platform/os/Text.h"
#include "platform/os/WinEnv.h"
#include "platform/os/WinError.h"
#include "platform/ui/Forms.h"
#include "setup/InstallRun.h"
#include "setup/tests/ChildInstallation.h"

using namespace installlib;
using installscenario::PrefixSnapshot;
using namespace platform::os;
using namespace setup;

namespace {

// Plays the wizard: counts steps, answers the retry prompt, records the end.
class TRecordingHost : public TInstallHost {
public:
    void ResetProgress(int Max) override {
        Position = 0;
        this->Max = Max;
    }
    void AdvanceProgress() override {
        ++Position;
        if (Position == CancelAtStep) Cancel = true;
    }
    void ProcessMessages() override { ++Passes; }
    bool CancelRequested() const override { return Cancel; }
    void ClearCancelRequest() override { Cancel = false; }
    void ShowCancelled() override { Page = "tshCancelado"; }
    void ShowFinished() override { Page = "tshConcluido"; }
    int AskRetry(const std::string& Message) override {
        Prompts.push_back(Message);
        return OnRetry ? OnRetry() : 4;
    }
    void ReportFailure(const std::string& Message, const std::string& Details) override {
        Failures.push_back({Message, Details});
    }
    int StepMilliseconds() const override { return Pacing; }

    int Position = 0, Max = 0, Passes = 0, CancelAtStep = -1, Pacing = 0;
    bool Cancel = false;
    std::string Page;
    std::vector<std::string> Prompts;
    std::vector<std::pair<std::string, std::string>> Failures;
    std::function<int()> OnRetry;
};

const TNVOCCData kMaritima{"Mar\u00EDtima Cargas", "m@c.br", "www.c.br", "maritima"};
const TNVOCCData kOceanic{"Oceanic Lines", "o@l.com", "www.l.com", "oceanic"};
const std::string kFolder = "C:\\Program Files\\Ostrevan\\Navitrex";
const std::string kDir = kFolder + "\\";

class InstallRunTest : public TempPrefixTest {
protected:
    void SetUp() override {
        TempPrefixTest::SetUp();
        const std::string Content = "package bytes \x01\x02";
        FPackage.WriteBuffer(Content.data(), static_cast<int64_t>(Content.size()));
    }

    bool Install(const TNVOCCData& NVOCC, const std::string& Folder = kFolder, TArchiveSource Data = OpenDataResource,
                 std::function<void(int Step)> OnStep = {}) {
        FLaunch = {};
        return RunInstallation(FHost, TInstallRequest{NVOCC, Folder, &FPackage, std::move(Data), std::move(OnStep)},
                               FLaunch);
    }

    // A "DATA" archive whose entries, named as given, each hold "x".
    static std::unique_ptr<TStream> DataArchive(const std::vector<std::string>& Names) {
        auto Archive = std::make_unique<TMemoryStream>();
        TVxiWriter Writer(*Archive);
        for (const std::string& Name : Names) {
            TMemoryStream Content;
            Content.WriteBuffer("x", 1);
            Writer.AddFile(Name, Content);
        }
        return Archive;
    }

    std::string Desktop() const { return GetSpecialFolder(CSIDL_DESKTOP) + "\\"; }
    std::string Menu() const { return GetSpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\Ostrevan\\Navitrex\\"; }
    std::string SystemFile() const { return GetSystemFolder() + "\\midas.dll"; }

    static std::string ReadHost(const std::string& WinPath) {
        std::ifstream File(HostPath(WinPath), std::ios::binary);
        std::stringstream Text;
        Text << File.rdbuf();
        return Text.str();
    }

    // Nothing of the application left behind, the runtime library aside.
    void ExpectNothingInstalled() {
        EXPECT_FALSE(DirectoryExists(kFolder));
        EXPECT_FALSE(FileExists(Desktop() + "Mar\u00EDtima Cargas.lnk"));
        EXPECT_FALSE(DirectoryExists(GetSpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\Ostrevan"));
        EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "\\Navitrex: Mar\u00EDtima Cargas"));
        EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kNavitrexKey, "NVOCC"), "(missing)");
        EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, ".bld"));
    }

    TRecordingHost FHost;
    TMemoryStream FPackage;
    TLaunchCommand FLaunch;
};

TEST_F(InstallRunTest, FirstInstallationInstallsEverythingAndLogsItInOrder) {
    ASSERT_TRUE(Install(kMaritima));
    EXPECT_EQ(FHost.Page, "tshConcluido");
    EXPECT_EQ(FHost.Max, 15);
    EXPECT_EQ(FHost.Position, 15);
    EXPECT_TRUE(FHost.Failures.empty());

    for (const char* File : {"Uninst.exe", "Navitrex.exe", "bldfile.ico"}) EXPECT_TRUE(FileExists(kDir + File)) << File;
    EXPECT_TRUE(FileExists(SystemFile()));
    EXPECT_EQ(ReadHost(kDir + "Data\\maritima.nvo"), std::string("package bytes \x01\x02"));

    const std::string LaunchArg = "\"NVOCC=Mar\u00EDtima Cargas\"";
    EXPECT_EQ(FLaunch.File, kDir + "Navitrex.exe");
    EXPECT_EQ(FLaunch.Params, LaunchArg);
    for (const std::string& Link : {Desktop() + "Mar\u00EDtima Cargas.lnk", Menu() + "Mar\u00EDtima Cargas.lnk"}) {
        const TShellLinkData Data = DecodeShellLink(ReadHost(Link));
        EXPECT_TRUE(SameText(Data.Target, kDir + "Navitrex.exe")) << Link;
        EXPECT_EQ(Data.Arguments, LaunchArg);
        EXPECT_TRUE(SameText(Data.IconLocation, kDir + "Navitrex.exe"));
    }

    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kNavitrexKey, "Path"), kDir);
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kNavitrexKey, "NVOCC"), "maritima");
    const std::string Entry = std::string(kUninstallKey) + "\\Navitrex: Mar\u00EDtima Cargas";
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, Entry, "UnInstallString"), kDir + "Uninst.exe " + LaunchArg);
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, ".bld", ""), "bldfile");

    const std::string Item = "HKEY_LOCAL_MACHINE\\Software\\Ostrevan\\Navitrex\\";
    const std::string Programs = GetSpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\";
    const std::string Expected =
        "// Este \xE9 um arquivo de log para a instala\xE7\xE3o de Mar\xEDtima Cargas\r\n"
        "// N\xE3o edite nem remova este arquivo para evitar\r\n"
        "// problemas na instala\xE7\xE3o do software posteriormente.\r\n\r\n" +
        Utf8ToAnsi("dir=" + kDir + "\r\nfile=" + kDir + "Uninst.exe\r\nfile=" + kDir + "Navitrex.exe\r\nfile=" + kDir +
                   "bldfile.ico\r\ndir=" + kDir + "Data\\\r\nfile=" + kDir + "Data\\maritima.nvo\r\nfile=" + Desktop() +
                   "Mar\u00EDtima Cargas.lnk\r\ndir=" + Programs + "Ostrevan\\\r\ndir=" + Menu() + "\r\nfile=" + Menu() +
                   "Mar\u00EDtima Cargas.lnk\r\nregvalue=" + Item + "Path," + kDir + "\r\nregitem=" + Item +
                   "NVOCC,maritima\r\nprogram=Mar\u00EDtima Cargas\r\next=bld\r\nfile=" + kDir +
                   "Mar\u00EDtima Cargas.log\r\n");
    EXPECT_EQ(ReadHost(kDir + "Mar\u00EDtima Cargas.log"), Expected);
}

TEST_F(InstallRunTest, EveryStepIsPacedAndKeepsTheWindowAlive) {
    FHost.Pacing = TInstallHost::kStepMilliseconds;
    const auto Start = std::chrono::steady_clock::now();
    ASSERT_TRUE(Install(kMaritima));
    EXPECT_GE(std::chrono::steady_clock::now() - Start, std::chrono::milliseconds(15 * 101));
    EXPECT_GE(FHost.Passes, 15);
}

TEST_F(InstallRunTest, SecondCustomerSharesTheFolderAndTheDocumentType) {
    ASSERT_TRUE(Install(kMaritima));
    RegWrite(HKEY_CLASSES_ROOT, "bldfile", "", "first registration");
    ASSERT_TRUE(Install(kOceanic, kDir));
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kNavitrexKey, "NVOCC"), "maritima, oceanic");
    EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, "bldfile", ""), "first registration");
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "bldfile1"));
    EXPECT_TRUE(FileExists(kDir + "Data\\oceanic.nvo"));
    EXPECT_TRUE(FileExists(kDir + "Oceanic Lines.log"));
    EXPECT_TRUE(FileExists(Menu() + "Oceanic Lines.lnk"));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "\\Navitrex: Oceanic Lines"));

    // The same customer again is not listed twice.
    ASSERT_TRUE(Install(kOceanic, kDir));
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kNavitrexKey, "NVOCC"), "maritima, oceanic");
}

TEST_F(InstallRunTest, RuntimeLibraryAlreadyPresentIsLeftAlone) {
    ASSERT_TRUE(ForceDirectories(GetSystemFolder()));
    std::ofstream(HostPath(SystemFile()), std::ios::binary) << "the maker's own";
    ASSERT_TRUE(Install(kMaritima));
    EXPECT_EQ(ReadHost(SystemFile()), "the maker's own");
    EXPECT_EQ(FHost.Position, 15);
}

TEST_F(InstallRunTest, CancelUndoesEverythingWithoutAMessage) {
    for (int Step : {3, 9, 15}) {
        SCOPED_TRACE(Step);
        FHost = TRecordingHost();
        FHost.CancelAtStep = Step;
        EXPECT_FALSE(Install(kMaritima));
        EXPECT_EQ(FHost.Page, "tshCancelado");
        EXPECT_EQ(FHost.Position, Step);
        EXPECT_TRUE(FHost.Failures.empty());
        ExpectNothingInstalled();
    }
}

TEST_F(InstallRunTest, FolderThatCannotBeCreatedFailsWithTheSystemError) {
    EXPECT_FALSE(Install(kMaritima, "Q:\\Navitrex"));
    EXPECT_EQ(FHost.Page, "tshCancelado");
    ASSERT_EQ(FHost.Failures.size(), 1u);
    EXPECT_EQ(FHost.Failures[0].first, "Ocorreu algum erro no processo de instala\u00E7\u00E3o.");
    const std::string& Details = FHost.Failures[0].second;
    const std::string FirstLine = "N\u00E3o foi poss\u00EDvel criar o diret\u00F3rio da instala\u00E7\u00E3o.\r\n";
    ASSERT_EQ(Details.substr(0, FirstLine.size()), FirstLine);
    EXPECT_EQ(Details.substr(FirstLine.size(), 12), "(Error code ");
    EXPECT_NE(Details.back(), '.');
    EXPECT_EQ(FHost.Position, 1);  // the finishing step only
    ExpectNothingInstalled();
}

TEST_F(InstallRunTest, FileInUseIsRetriedUntilItCanBeWritten) {
    ASSERT_TRUE(ForceDirectories(kFolder));
    auto Held = OpenFileStream(kDir + "Navitrex.exe", fmCreate | fmShareExclusive);
    FHost.OnRetry = [&] {
        if (FHost.Prompts.size() == 2) Held.reset();
        return FHost.Prompts.size() == 1 ? 2 : 4;  // closing the prompt retries too
    };
    ASSERT_TRUE(Install(kMaritima));
    ASSERT_EQ(FHost.Prompts.size(), 2u);
    EXPECT_EQ(FHost.Prompts[0], FHost.Prompts[1]);
    EXPECT_NE(FHost.Prompts[0].find("\r\n\r\nFeche todos os programas e clique no bot\u00E3o Retry."), std::string::npos);
    EXPECT_EQ(ReadHost(kDir + "Navitrex.exe").substr(0, 4), "\x7F" "ELF") << "the program itself, written whole";
}

TEST_F(InstallRunTest, MissingApplicationFileFailsAndUndoes) {
    EXPECT_FALSE(Install(kMaritima, kFolder, [] { return DataArchive({"Uninst.exe"}); }));
    ASSERT_EQ(FHost.Failures.size(), 1u);
    EXPECT_EQ(FHost.Failures[0].second, "O arquivo de instala\u00E7\u00E3o 'Navitrex.exe' n\u00E3o foi encontrado.");
    EXPECT_EQ(FHost.Page, "tshCancelado");
    ExpectNothingInstalled();
}

TEST_F(InstallRunTest, EntryThatCannotBeInflatedFailsWithoutPromptingAndUndoes) {
    auto WithCorruptApplication = [] {
        std::unique_ptr<TStream> Archive = DataArchive({"Uninst.exe", "Navitrex.exe"});
        // An invalid block where the last entry's deflate data begins.
        Archive->Seek(-7, TSeekOrigin::soEnd);
        Archive->WriteBuffer("\xFF", 1);
        return Archive;
    };
    const std::string Before = PrefixSnapshot(FPrefix);
    FHost.OnRetry = [] { return static_cast<int>(platform::ui::mrOk); };
    EXPECT_FALSE(Install(kMaritima, kFolder, WithCorruptApplication));
    EXPECT_TRUE(FHost.Prompts.empty());
    ASSERT_EQ(FHost.Failures.size(), 1u);
    EXPECT_EQ(FHost.Page, "tshCancelado");
    EXPECT_EQ(PrefixSnapshot(FPrefix), Before);
}

// The three ways a run meets the machine: nothing installed yet, another
// customer in the same folder, and the same customer again.
struct TScenario {
    const char* Name;
    std::vector<TNVOCCData> InstalledBefore;
    TNVOCCData Customer;
};

void PrintTo(const TScenario& Scenario, std::ostream* Stream) { *Stream << Scenario.Name; }

const TScenario kScenarios[] = {
    {"FirstInstallation", {}, kMaritima},
    {"SecondCustomer", {kMaritima}, kOceanic},
    {"SameCustomerAgain", {kMaritima}, kMaritima},
};
const int kFirstStep = 2;
const int kLastStep = 24;

class RollbackTest : public InstallRunTest, public ::testing::WithParamInterface<TScenario> {
protected:
    void SetUp() override {
        InstallRunTest::SetUp();
        for (const TNVOCCData& Customer : GetParam().InstalledBefore) ASSERT_TRUE(Install(Customer));
        ASSERT_FALSE(InterruptedInstallationFound());
        FBefore = PrefixSnapshot(FPrefix);
    }

    std::string FBefore;
};

TEST_P(RollbackTest, FailureOrCancelAtAnyStepLeavesTheMachineAsItWas) {
    for (int Step = kFirstStep; Step <= kLastStep; ++Step) {
        for (const bool Cancel : {false, true}) {
            SCOPED_TRACE(std::string(Cancel ? "cancel" : "failure") + " at step " + std::to_string(Step));
            FHost = TRecordingHost();
            EXPECT_FALSE(Install(GetParam().Customer, kFolder, OpenDataResource, [&](int Current) {
                if (Current != Step) return;
                if (!Cancel) throw Exception("the step failed");
                FHost.Cancel = true;
            }));
            EXPECT_EQ(FHost.Page, "tshCancelado");
            EXPECT_EQ(FHost.Failures.size(), Cancel ? 0u : 1u);
            EXPECT_EQ(PrefixSnapshot(FPrefix), FBefore);
        }
    }
}

TEST_P(RollbackTest, KilledAtAnyStepIsUndoneAtTheNextStart) {
    for (int Step = kFirstStep; Step <= kLastStep; ++Step) {
        SCOPED_TRACE("killed at step " + std::to_string(Step));
        ASSERT_EQ(InstallKilledAt(Step, GetParam().Customer, kFolder), SIGKILL);
        EXPECT_TRUE(InterruptedInstallationFound());
        RollbackInterruptedInstallation();
        EXPECT_EQ(PrefixSnapshot(FPrefix), FBefore);
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, RollbackTest, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<TScenario>& Info) { return Info.param.Name; });

TEST(LastErrorTextTest, NamesTheCodeAndTheTrimmedSystemText) {
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(LastErrorText(), "(Error code 5) Access is denied");
    SetLastError(ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(LastErrorText(), "(Error code 3) The system cannot find the path specified");
}

}  // namespace
