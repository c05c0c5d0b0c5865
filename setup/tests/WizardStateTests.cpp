#include <gtest/gtest.h>

#include "installlib/InstaladorDefs.h"
#include "installlib/tests/RegistryHelpers.h"
#include "installlib/tests/TempPrefix.h"
#include "setup/WizardState.h"

using namespace installlib;
using namespace platform::os;
using namespace setup;

namespace {

using InstallationStateTest = TempPrefixTest;

TEST_F(InstallationStateTest, FreshMachineProposesTheProgramFilesFolder) {
    const TInstallationState State = ReadInstallationState();
    EXPECT_FALSE(State.OldVersionInstalled);
    EXPECT_FALSE(State.Installed);
    EXPECT_EQ(State.ProposedFolder, "C:\\Program Files\\Ostrevan\\Navitrex");
}

TEST_F(InstallationStateTest, RegisteredPackagesGiveTheirFolder) {
    RegWrite(HKEY_LOCAL_MACHINE, kNavitrexKey, "Path", "D:\\Apps\\Navitrex\\");
    RegWrite(HKEY_LOCAL_MACHINE, kNavitrexKey, "NVOCC", "maritima, oceanic");
    const TInstallationState State = ReadInstallationState();
    EXPECT_TRUE(State.Installed);
    EXPECT_EQ(State.ProposedFolder, "D:\\Apps\\Navitrex\\");
}

TEST_F(InstallationStateTest, PathWithoutPackagesOrPackagesWithoutPathKeepTheDefault) {
    RegWrite(HKEY_LOCAL_MACHINE, kNavitrexKey, "Path", "D:\\Apps\\Navitrex\\");
    RegWrite(HKEY_LOCAL_MACHINE, kNavitrexKey, "NVOCC", "");
    EXPECT_FALSE(ReadInstallationState().Installed);
    EXPECT_EQ(ReadInstallationState().ProposedFolder, "C:\\Program Files\\Ostrevan\\Navitrex");

    TRegistry Reg;
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(Reg.OpenKey(kNavitrexKey, false));
    Reg.DeleteValue("Path");
    Reg.WriteString("NVOCC", "maritima");
    EXPECT_TRUE(ReadInstallationState().Installed);
    EXPECT_EQ(ReadInstallationState().ProposedFolder, "C:\\Program Files\\Ostrevan\\Navitrex");
}

TEST_F(InstallationStateTest, OlderEditionIsFoundByItsProductCode) {
    RegWrite(HKEY_LOCAL_MACHINE, kOldVersionUninstallKey, "DisplayName", "Navitrex");
    EXPECT_TRUE(ReadInstallationState().OldVersionInstalled);
}

TEST(InstallFolder, NeedsADriveLetterOrANetworkShare) {
    EXPECT_TRUE(HasDrivePart("C:\\Program Files\\Navitrex"));
    EXPECT_TRUE(HasDrivePart("  d:\\does\\not\\exist  "));
    EXPECT_TRUE(HasDrivePart("\\\\server\\share\\Navitrex"));
    EXPECT_FALSE(HasDrivePart("Navitrex"));
    EXPECT_FALSE(HasDrivePart("\\Program Files\\Navitrex"));
    EXPECT_FALSE(HasDrivePart("   "));
}

TEST(CustomerTag, EveryTagIsReplacedWhateverItsCase) {
    EXPECT_EQ(ReplaceCustomerTag("BL's para [NVOCC] e [nvocc].", "Mar\u00EDtima"), "BL's para Mar\u00EDtima e Mar\u00EDtima.");
    EXPECT_EQ(ReplaceCustomerTag("para [NVOCC].", ""), "para .");
    EXPECT_EQ(ReplaceCustomerTag("sem marca [NVOC]", "x"), "sem marca [NVOC]");
}

TEST(SiteLink, AddressWithoutASchemeOpensAsAWebAddress) {
    const std::pair<const char*, const char*> kCases[] = {
        {"www.example.com", "http://www.example.com"},
        {"example.com.br/contato", "http://example.com.br/contato"},
        {"https://www.example.com", "https://www.example.com"},
        {"HTTP://WWW.EXAMPLE.COM", "HTTP://WWW.EXAMPLE.COM"},
        {"ftp://files.example.com", "ftp://files.example.com"},
        {"MailTo:contato@example.com", "MailTo:contato@example.com"},
        {"", ""},
    };
    for (const auto& [Site, Address] : kCases) {
        SCOPED_TRACE(Site);
        EXPECT_EQ(SiteAddress(Site), Address);
    }
}

TEST(ReviewText, ListsTheInstallationCustomerFolderAndShortcuts) {
    const TNVOCCData NVOCC{"Mar\u00EDtima", "m@c.br", "www.c.br", "maritima"};
    const std::vector<std::string> Expected = {
        "O Navitrex ser\u00E1 instalado pela primeira vez neste computador.",
        "",
        "Emiss\u00E3o de BL's para:",
        "",
        "Nome:\tMar\u00EDtima",
        "E-mail:\tm@c.br",
        "Site:\twww.c.br",
        "Arquivo:\tData\\maritima.nvo",
        "",
        "Local da instala\u00E7\u00E3o:",
        " D:\\Apps ",
        "",
        "Atalhos que ser\u00E3o configurados:",
        "- Desktop",
        "- Menu Programas\\Ostrevan\\Navitrex"};
    EXPECT_EQ(ReviewLines(false, NVOCC, " D:\\Apps "), Expected);
    EXPECT_EQ(ReviewLines(true, NVOCC, "D:\\Apps").front(), "O Navitrex j\u00E1 foi previamente instalado neste computador.");
}

TEST(PageHistory, BackAndForwardKeepTheOrderAndDropWhatLayAhead) {
    TPageHistory<int> History;
    EXPECT_TRUE(History.Empty());
    EXPECT_EQ(History.Index(), -1);
    History.Enter(1);
    History.Enter(2);
    History.Enter(3);
    EXPECT_EQ(History.Index(), 2);
    EXPECT_EQ(History.Back(), 2);
    EXPECT_EQ(History.Index(), 1);
    History.Enter(4);  // replaces 3
    EXPECT_EQ(History.Index(), 2);
    EXPECT_EQ(History.Back(), 2);
    EXPECT_EQ(History.Back(), 1);
    EXPECT_EQ(History.Index(), 0);
    History.Clear();
    EXPECT_TRUE(History.Empty());
    EXPECT_EQ(History.Index(), -1);
}

}  // namespace
