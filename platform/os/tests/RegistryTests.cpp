#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "TempPrefix.h"
#include "platform/os/RegFile.h"
#include "platform/os/Registry.h"
#include "platform/os/Streams.h"
#include "platform/os/WinEnv.h"
#include "platform/os/WinError.h"

using namespace platform::os;
namespace fs = std::filesystem;

namespace {

const char* const kNavitrex = "Software\\Ostrevan\\Navitrex";

std::string Hive(const TTempPrefix& Prefix, const char* Name) { return ReadHostFile(Prefix.Root() / "registry" / Name); }

std::string Sample(const char* Name) { return ReadHostFile(fs::path(REG_SAMPLES) / Name); }

std::string LittleEndian(uint64_t Value, int Bytes) {
    std::string Out;
    for (int I = 0; I < Bytes; ++I) Out += static_cast<char>((Value >> (8 * I)) & 0xFF);
    return Out;
}

struct TSampleValue {
    const char* Key;
    const char* Name;
    uint32_t Type;
    std::string Data;
};

// What every sample hive under tests/data holds, as hand-written from the
// format in each encoding.
const std::vector<TSampleValue>& SampleValues() {
    static const char* const kPortos = "Software\\Ostrevan\\Portos";
    static const std::vector<TSampleValue> kValues = {
        {"", "RootVal", REG_SZ, "hello"},
        {"Software\\Ostrevan\\Cláudia", "", REG_SZ, "1"},
        {"Software\\Ostrevan\\Cléudia", "", REG_SZ, "2"},
        {kPortos, "", REG_SZ, "Default \"quoted\" C:\\path\\"},
        {kPortos, "Marítima", REG_SZ, "Santos"},
        {kPortos, "Marétima", REG_SZ, "Itajaí"},
        {kPortos, "Contador", REG_DWORD, LittleEndian(0xDEADBEEF, 4)},
        {kPortos, "Caminho", REG_EXPAND_SZ, "%ProgramFiles%\\Navitrex\\Ação"},
        {kPortos, "Lista", REG_MULTI_SZ, std::string("Açúcar") + '\0' + "Café" + '\0'},
        {kPortos, "Grande", REG_QWORD, LittleEndian(0x0123456789ABCDEF, 8)},
        {kPortos, "Bytes", REG_BINARY, [] {
             std::string Bytes;
             for (char C = 0; C < 0x2C; ++C) Bytes += C;
             return Bytes;
         }()},
        {kPortos, "Vazio", REG_NONE, ""},
    };
    return kValues;
}

void ExpectSampleValues() {
    for (const TSampleValue& Expected : SampleValues()) {
        SCOPED_TRACE(std::string(Expected.Key) + " " + Expected.Name);
        TRegistry Reg;
        Reg.SetRootKey(HKEY_CURRENT_USER);
        ASSERT_TRUE(Reg.OpenKeyReadOnly(Expected.Key));
        uint32_t Type = REG_NONE;
        std::string Data;
        ASSERT_TRUE(Reg.ReadValue(Expected.Name, Type, Data));
        EXPECT_EQ(Type, Expected.Type);
        EXPECT_EQ(Data, Expected.Data);
    }
}

// The same bytes as a new file, which the registry loads again at its next access.
void ReplaceFile(const fs::path& File) {
    WriteHostFile(File.string() + ".new", ReadHostFile(File));
    fs::rename(File.string() + ".new", File);
}

// Runs Body in a child process and answers its exit status.
template <typename F>
int InChild(F Body) {
    const pid_t Child = ::fork();
    if (Child == 0) {
        int Code = 1;
        try {
            Code = Body();
        } catch (...) {
        }
        ::_exit(Code);
    }
    int Status = 0;
    ::waitpid(Child, &Status, 0);
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
}

}  // namespace

TEST(Registry, NamesIgnoreCaseAndKeepIt) {
    TTempPrefix Prefix;
    TRegistry Reg;
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(Reg.OpenKey(kNavitrex, true));
    Reg.WriteString("Path", "C:\\Program Files\\Ostrevan\\Navitrex\\");
    Reg.WriteString("PATH", "C:\\Other\\");  // the same value, first spelling kept
    Reg.CloseKey();

    ASSERT_TRUE(Reg.OpenKey("SOFTWARE\\OSTREVAN\\navitrex", false));
    EXPECT_EQ(Reg.CurrentPath(), "SOFTWARE\\OSTREVAN\\navitrex");
    EXPECT_TRUE(Reg.ValueExists("path"));
    EXPECT_EQ(Reg.ReadString("pAtH"), "C:\\Other\\");
    EXPECT_EQ(Reg.GetValueNames(), std::vector<std::string>{"Path"});
    Reg.CloseKey();
    ASSERT_TRUE(Reg.OpenKey("software\\ostrevan", false));
    EXPECT_EQ(Reg.GetKeyNames(), std::vector<std::string>{"Navitrex"});
    EXPECT_TRUE(Reg.KeyExists("NAVITREX"));  // relative to the open key
    EXPECT_TRUE(Reg.KeyExists("\\Software\\Ostrevan"));
    EXPECT_NE(Hive(Prefix, "HKLM.reg").find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrevan\\Navitrex]\n\"Path\"=\"C:\\\\Other\\\\\"\n"),
              std::string::npos)
        << Hive(Prefix, "HKLM.reg");
}

TEST(Registry, DefaultValueAndTypes) {
    TTempPrefix Prefix;
    TRegistry Reg;
    Reg.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(Reg.OpenKey("Software\\Types", true));
    Reg.WriteString("", "default \"quoted\" \\ text");
    Reg.WriteExpandString("Expand", "%SystemRoot%\\x");
    Reg.WriteInteger("Number", -2);
    Reg.WriteBinaryData("Blob", {0x00, 0xFF, 0x10});
    Reg.WriteMultiString("Multi", {"a", "b c"});
    Reg.WriteString("Lines", "one\r\ntwo");

    // Everything survives a reload from the file.
    WriteHostFile(Prefix.Root() / "registry/HKCU.reg", Hive(Prefix, "HKCU.reg") + "\n");
    EXPECT_EQ(Reg.ReadString(""), "default \"quoted\" \\ text");
    EXPECT_EQ(Reg.ReadString("expand"), "%SystemRoot%\\x");
    EXPECT_EQ(Reg.GetDataType("Expand"), TRegDataType::rdExpandString);
    EXPECT_EQ(Reg.ReadInteger("Number"), -2);
    EXPECT_EQ(Reg.ReadBinaryData("Blob"), (std::vector<uint8_t>{0x00, 0xFF, 0x10}));
    EXPECT_EQ(Reg.ReadMultiString("Multi"), (std::vector<std::string>{"a", "b c"}));
    EXPECT_EQ(Reg.ReadString("Lines"), "one\r\ntwo");
    EXPECT_EQ(Reg.GetDataSize("Number"), 4);
    EXPECT_EQ(Reg.GetDataSize("Missing"), -1);

    const std::string Text = Hive(Prefix, "HKCU.reg");
    EXPECT_NE(Text.find("@=\"default \\\"quoted\\\" \\\\ text\"\n"), std::string::npos) << Text;
    EXPECT_NE(Text.find("\"Number\"=dword:fffffffe\n"), std::string::npos);
    EXPECT_NE(Text.find("\"Blob\"=hex:00,ff,10\n"), std::string::npos);
    EXPECT_NE(Text.find("\"Expand\"=hex(2):"), std::string::npos);
    EXPECT_NE(Text.find("\"Multi\"=hex(7):61,00,62,20,63,00,00\n"), std::string::npos);
}

TEST(Registry, WrongTypeAndMissingValuesRaiseTheWrapperError) {
    TTempPrefix Prefix;
    TRegistry Reg;
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(Reg.OpenKey(kNavitrex, true));
    Reg.WriteInteger("NVOCC", 1);
    Reg.WriteString("Text", "x");
    EXPECT_EQ(Reg.ReadString("Missing"), "");
    try {
        Reg.ReadString("NVOCC");
        FAIL();
    } catch (const ERegistryException& E) {
        EXPECT_STREQ(E.what(), "Invalid data type for 'NVOCC'");
    }
    EXPECT_THROW(Reg.ReadInteger("Text"), ERegistryException);
    try {
        Reg.ReadInteger("Missing");
        FAIL();
    } catch (const ERegistryException& E) {
        EXPECT_STREQ(E.what(), "Failed to get data for 'Missing'");
    }
    ASSERT_TRUE(Reg.OpenKeyReadOnly("\\Software"));
    EXPECT_THROW(Reg.WriteString("x", "y"), ERegistryException);
    Reg.CloseKey();
    EXPECT_THROW(Reg.WriteString("x", "y"), ERegistryException);  // no key open
    EXPECT_FALSE(Reg.ValueExists("x"));
}

TEST(Registry, DeleteKeyRemovesAllSubkeysAndDeleteValueOnlyOne) {
    TTempPrefix Prefix;
    TRegistry Reg;
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(Reg.OpenKey("Software\\Top\\Mid\\Leaf", true));
    Reg.WriteString("a", "1");
    Reg.WriteString("b", "2");
    EXPECT_TRUE(Reg.DeleteValue("A"));
    EXPECT_FALSE(Reg.DeleteValue("a"));
    EXPECT_EQ(Reg.GetValueNames(), std::vector<std::string>{"b"});
    Reg.CloseKey();
    EXPECT_TRUE(Reg.CreateKey("Software\\Top\\Other"));
    EXPECT_FALSE(Reg.HasCurrentKey());

    EXPECT_TRUE(Reg.DeleteKey("SOFTWARE\\TOP"));
    EXPECT_FALSE(Reg.KeyExists("Software\\Top\\Mid\\Leaf"));
    EXPECT_FALSE(Reg.KeyExists("Software\\Top"));
    EXPECT_FALSE(Reg.DeleteKey("Software\\Top"));
    EXPECT_TRUE(Reg.KeyExists("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
    EXPECT_EQ(Hive(Prefix, "HKLM.reg").find("Top"), std::string::npos);
}

TEST(Registry, ClassesRootIsTheMachineClassesKey) {
    TTempPrefix Prefix;
    TRegistry Reg;
    Reg.SetRootKey(HKEY_CLASSES_ROOT);
    ASSERT_TRUE(Reg.OpenKey(".bld", true));
    Reg.WriteString("", "bldfile");
    Reg.CloseKey();
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(Reg.OpenKey("Software\\Classes\\.BLD", false));
    EXPECT_EQ(Reg.ReadString(""), "bldfile");
    EXPECT_NE(ExportRegistryKey(HKEY_CLASSES_ROOT, ".bld").find("[HKEY_CLASSES_ROOT\\.bld]\n@=\"bldfile\"\n"),
              std::string::npos);
    EXPECT_EQ(RootKeyName(HKEY_CLASSES_ROOT + 2), "HKEY_LOCAL_MACHINE");
    EXPECT_EQ(RootKeyFromName(" hklm "), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(RootKeyFromName("HKEY_NOWHERE"), 0u);
    Reg.SetRootKey(HKEY_DYN_DATA);
    EXPECT_FALSE(Reg.OpenKey("x", true));
}

TEST(Registry, OversizedOrControlCharacterNamesAreRefused) {
    TTempPrefix Prefix;
    TRegistry Reg;
    Reg.SetRootKey(HKEY_CURRENT_USER);
    std::string Deepest;
    for (size_t Level = 0; Level < kMaxKeyDepth; ++Level) Deepest += "k\\";
    for (const std::string& Refused : {"Software\\" + std::string(256, 'k'), Deepest + "k"}) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(Reg.OpenKey(Refused, true));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    EXPECT_FALSE(Reg.OpenKey("Software\\bad\nname", true));
    EXPECT_TRUE(Reg.OpenKey(Deepest, true));
    ASSERT_TRUE(Reg.OpenKey("\\Software\\" + std::string(255, 'k'), true));
    SetLastError(ERROR_SUCCESS);
    EXPECT_THROW(Reg.WriteString(std::string(16384, 'v'), "x"), ERegistryException);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    Reg.WriteString(std::string(16383, 'v'), "x");
    EXPECT_THROW(Reg.WriteString("a\nb", "x"), ERegistryException);
    EXPECT_THROW(Reg.WriteMultiString("m", {"a", ""}), ERegistryException);
}

TEST(Registry, MalformedHiveIsReportedWithFileAndLineAndNeverOverwritten) {
    TTempPrefix Prefix;
    EnsurePrefix();
    const fs::path File = Prefix.Root() / "registry" / "HKCU.reg";
    const std::string Broken = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n\"ok\"=\"1\"\n\"bad\"=dword:xyz\n";
    WriteHostFile(File, Broken);
    TRegistry Reg;
    Reg.SetRootKey(HKEY_CURRENT_USER);
    try {
        Reg.OpenKey("Software\\New", true);
        FAIL() << "a malformed hive was accepted";
    } catch (const ERegistryException& E) {
        EXPECT_NE(std::string(E.what()).find(File.string()), std::string::npos) << E.what();
        EXPECT_NE(std::string(E.what()).find("line 5"), std::string::npos) << E.what();
    }
    EXPECT_THROW(Reg.KeyExists("Software"), ERegistryException);
    EXPECT_EQ(ReadHostFile(File), Broken);

    std::string TooDeep = "REGEDIT4\n[HKEY_CURRENT_USER", VeryDeep = TooDeep;
    for (size_t Level = 0; Level <= kMaxKeyDepth; ++Level) TooDeep += "\\k";
    for (int Level = 0; Level < 100000; ++Level) VeryDeep += "\\k";
    for (const std::string& Bad : {std::string("[HKEY_CURRENT_USER\\x]\n"),
                                   std::string("REGEDIT4\n[HKEY_LOCAL_MACHINE\\x]\n"),
                                   std::string("REGEDIT4\n\"orphan\"=\"1\"\n"),
                                   std::string("REGEDIT4\n[HKEY_CURRENT_USER\\x]\n\"open=\"1\n"),
                                   std::string("REGEDIT4\n[HKEY_CURRENT_USER\\x]\n\"b\"=hex:0g\n"),
                                   std::string("REGEDIT4\n[-HKEY_CURRENT_USER\\x]\n"),
                                   std::string("REGEDIT4\n[HKEY_CURRENT_USER\\x]\n\"v\"=-\n"), TooDeep + "]\n",
                                   VeryDeep + "]\n"}) {
        WriteHostFile(File, Bad);
        EXPECT_THROW(Reg.KeyExists("x"), ERegistryException) << Bad.substr(0, 60);
        EXPECT_EQ(ReadHostFile(File), Bad);
    }
}

TEST(Registry, UnreadableHiveGivesAClearError) {
    TTempPrefix Prefix;
    EnsurePrefix();
    const fs::path File = Prefix.Root() / "registry" / "HKCU.reg";
    fs::remove(File);
    fs::create_directory(File);  // something that is not a file stands in its place
    TRegistry Reg;
    Reg.SetRootKey(HKEY_CURRENT_USER);
    try {
        Reg.OpenKey("Software", true);
        FAIL() << "an unreadable hive was accepted";
    } catch (const ERegistryException& E) {
        EXPECT_NE(std::string(E.what()).find(File.string()), std::string::npos) << E.what();
    }
    EXPECT_TRUE(fs::is_directory(File));
}

TEST(Registry, AHiveThatCannotBeSavedRefusesChangesAndKeepsItsContent) {
    TTempPrefix Prefix;
    TRegistry Reg;
    Reg.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(Reg.OpenKey("Software\\Kept", true));
    Reg.WriteString("v", "old");
    const std::string Before = Hive(Prefix, "HKCU.reg");
    fs::create_directory(Prefix.Root() / "registry" / "HKCU.reg.tmp");  // the save's temporary file cannot be made
    try {
        Reg.WriteString("v", "new");
        FAIL() << "a write that could not be saved was reported done";
    } catch (const ERegistryException& E) {
        EXPECT_STREQ(E.what(), "Failed to set data for 'v'");
    }
    EXPECT_NE(GetLastError(), ERROR_SUCCESS);
    EXPECT_FALSE(Reg.OpenKey("\\Software\\New", true));
    EXPECT_FALSE(Reg.DeleteKey("\\Software\\Kept"));
    EXPECT_EQ(Reg.ReadString("v"), "old");
    EXPECT_EQ(Hive(Prefix, "HKCU.reg"), Before);
    fs::remove(Prefix.Root() / "registry" / "HKCU.reg.tmp");
    Reg.WriteString("v", "new");
    EXPECT_EQ(Reg.ReadString("v"), "new");
}

TEST(Registry, MissingHiveStartsEmpty) {
    TTempPrefix Prefix;
    EnsurePrefix();
    fs::remove(Prefix.Root() / "registry" / "HKU.reg");
    TRegistry Reg;
    Reg.SetRootKey(HKEY_USERS);
    EXPECT_FALSE(Reg.KeyExists(".DEFAULT"));
    ASSERT_TRUE(Reg.OpenKey("S-1-5-21\\Software", true));
    EXPECT_EQ(Hive(Prefix, "HKU.reg"), "REGEDIT4\n\n[HKEY_USERS\\S-1-5-21]\n\n[HKEY_USERS\\S-1-5-21\\Software]\n\n");
}

TEST(Registry, AChangeInOneProcessIsSeenByAnother) {
    TTempPrefix Prefix;
    TRegistry Reg;
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(Reg.OpenKey(kNavitrex, true));
    EXPECT_FALSE(Reg.ValueExists("NVOCC"));  // loaded and cached here

    EXPECT_EQ(InChild([] {
                  TRegistry Child;
                  Child.SetRootKey(HKEY_LOCAL_MACHINE);
                  if (!Child.OpenKey(kNavitrex, false)) return 2;
                  Child.WriteString("NVOCC", "acme, beta");
                  return 0;
              }),
              0);
    EXPECT_EQ(Reg.ReadString("NVOCC"), "acme, beta");

    Reg.WriteString("Path", "C:\\x\\");
    EXPECT_EQ(InChild([] {
                  TRegistry Child;
                  Child.SetRootKey(HKEY_LOCAL_MACHINE);
                  return Child.OpenKey(kNavitrex, false) && Child.ReadString("Path") == "C:\\x\\" &&
                                 Child.ReadString("NVOCC") == "acme, beta"
                             ? 0
                             : 3;
              }),
              0);
}

TEST(Registry, AWriterKilledAtAnyPointLeavesALoadableHive) {
    TTempPrefix Prefix;
    EnsurePrefix();
    std::mt19937 Random(1234);
    int LastSeen = -1;
    for (int Round = 0; Round < 25; ++Round) {
        int Saved[2];
        ASSERT_EQ(::pipe(Saved), 0);
        const pid_t Child = ::fork();
        if (Child == 0) {
            ::close(Saved[0]);
            TRegistry Writer;
            Writer.SetRootKey(HKEY_LOCAL_MACHINE);
            Writer.OpenKey("Software\\Stress", true);
            // Each version is one large value written whole: a torn file would show a mix.
            for (int Version = 0;; ++Version) {
                Writer.WriteString("Data", std::string(20000, static_cast<char>('a' + Version % 26)));
                if (Version == 0) (void)!::write(Saved[1], "s", 1);
            }
        }
        ::close(Saved[1]);
        // Killed only after a first save, at a random point of the later ones, however loaded the machine is.
        char Signal = 0;
        ASSERT_EQ(::read(Saved[0], &Signal, 1), 1);
        ::close(Saved[0]);
        std::this_thread::sleep_for(std::chrono::microseconds(Random() % 20000));
        ::kill(Child, SIGKILL);
        ::waitpid(Child, nullptr, 0);

        TRegistry Reader;
        Reader.SetRootKey(HKEY_LOCAL_MACHINE);
        ASSERT_NO_THROW(Reader.KeyExists("Software")) << "round " << Round;
        if (Reader.OpenKey("Software\\Stress", false) && Reader.ValueExists("Data")) {
            const std::string Data = Reader.ReadString("Data");
            ASSERT_EQ(Data.size(), 20000u);
            EXPECT_EQ(Data.find_first_not_of(Data[0]), std::string::npos) << "round " << Round;
            LastSeen = Data[0];
        }
        EXPECT_TRUE(Reader.KeyExists("\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
    }
    EXPECT_NE(LastSeen, -1) << "no writer ever finished a save";
}

TEST(Registry, HivesWrittenByWindowsOrEarlierVersionsKeepEveryValueThroughASave) {
    struct TCase {
        const char* File;
        const char* Mark;     // put in front of the file's bytes
        bool SavedAsUnicode;  // it holds a character outside code page 1252
    };
    const TCase Cases[] = {{"regedit4-cp1252.reg", "", false},
                           {"regedit4-cp1252.reg", "\xEF\xBB\xBF", false},
                           {"regedit5-utf16.reg", "", true},
                           {"regedit4-utf8-earlier.reg", "", false}};
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(std::string(Case.File) + (*Case.Mark ? " after a UTF-8 mark" : ""));
        TTempPrefix Prefix;
        EnsurePrefix();
        WriteHostFile(Prefix.Root() / "registry" / "HKCU.reg", Case.Mark + Sample(Case.File));
        ExpectSampleValues();

        TRegistry Reg;
        Reg.SetRootKey(HKEY_CURRENT_USER);
        ASSERT_TRUE(Reg.OpenKey("Software", false));
        Reg.WriteString("Saved", "1");
        const std::string Saved = Hive(Prefix, "HKCU.reg");
        EXPECT_EQ(Saved.starts_with("\xFF\xFEW\0i\0n\0d\0o\0w\0s\0"), Case.SavedAsUnicode);
        if (!Case.SavedAsUnicode) {
            EXPECT_NE(Saved.find("\n\"Mar\xEDtima\"=\"Santos\"\n"), std::string::npos) << Saved;
        }
        // Loaded again from the saved file, every value is there.
        ReplaceFile(Prefix.Root() / "registry" / "HKCU.reg");
        ExpectSampleValues();
        ASSERT_TRUE(Reg.OpenKey("\\Software\\Ostrevan\\Portos", false));
        EXPECT_EQ(Reg.ReadString("Cidade"), Case.SavedAsUnicode ? "Łódź ☃" : "");
    }
}

TEST(Registry, ImportAppliesAFileAsRegeditDoesDeletionsIncluded) {
    TTempPrefix Prefix;
    ImportRegistryText(Sample("regedit5-utf16.reg"), "regedit5-utf16.reg");
    ExpectSampleValues();
    ImportRegistryText(Sample("import-deletions.reg"), "import-deletions.reg");

    TRegistry Reg;
    Reg.SetRootKey(HKEY_CURRENT_USER);
    EXPECT_FALSE(Reg.KeyExists("Software\\Ostrevan\\Cléudia"));
    EXPECT_TRUE(Reg.KeyExists("Software\\Ostrevan\\Cláudia"));
    ASSERT_TRUE(Reg.OpenKey("Software\\Ostrevan\\Portos", false));
    EXPECT_FALSE(Reg.ValueExists("Marétima"));
    EXPECT_EQ(Reg.ReadString("Marítima"), "Santos");
    EXPECT_EQ(Reg.ReadString("Novo"), "sim");
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(Reg.OpenKey(kNavitrex, false));
    EXPECT_EQ(Reg.ReadString("NVOCC"), "acme");

    // A file that fails anywhere changes nothing, not even the sections before the fault.
    const std::string Before = Hive(Prefix, "HKCU.reg");
    for (const char* Bad : {"REGEDIT4\n[HKEY_CURRENT_USER\\New]\n[HKEY_NOWHERE\\x]\n",
                            "REGEDIT4\n[HKEY_CURRENT_USER\\New]\n[-HKEY_CURRENT_USER]\n",
                            "REGEDIT4\n[HKEY_CURRENT_USER\\New]\n\"v\"=dword:123456789\n"}) {
        EXPECT_THROW(ImportRegistryText(Bad, "bad.reg"), ERegistryException) << Bad;
        EXPECT_EQ(Hive(Prefix, "HKCU.reg"), Before);
    }
}

TEST(RegFile, AVeryDeepTreeIsFreedWithoutRecursion) {
    // Far below what a recursive destructor survives on the default stack.
    EXPECT_EXIT(
        {
            auto Root = std::make_unique<TRegKey>("HKEY_CURRENT_USER");
            TRegKey* Key = Root.get();
            bool Created = false;
            for (int Level = 0; Level < 200000; ++Level) Key = &Key->AddSubKey("k", Created);
            Root.reset();
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}
