#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "installlib/NVOCCConfig.h"
#include "installlib/VxiWriter.h"
#include "platform/os/Exceptions.h"

using namespace installlib;
using namespace platform::os;

namespace {

// A package archive with the given entries, in order.
TMemoryStream Package(const std::vector<std::pair<std::string, std::string>>& Entries) {
    TMemoryStream Archive;
    TVxiWriter Writer(Archive);
    for (const auto& [Name, Content] : Entries) {
        TMemoryStream Entry;
        Entry.WriteBuffer(Content.data(), static_cast<int64_t>(Content.size()));
        Writer.AddFile(Name, Entry);
    }
    return Archive;
}

const std::string kConfig = "[Config]\r\nName=Transportes \xC7ica\r\nEmail=a@b.com\r\nSite= www.b.com \r\nFileName=tci\r\n";

}  // namespace

TEST(NVOCCConfig, FourKeysOfSectionConfigInCodePage1252) {
    const TNVOCCData Data = ReadNVOCCConfig(
        "[Other]\r\nName=Wrong\r\n; Name=Comment\r\n[config]\r\nIdNVOCC=3\r\nname = Transportes \xC7ica\r\n"
        "EMAIL=a@b.com\r\nFileName=tci\r\nName=Second\r\n");
    EXPECT_EQ(Data.Name, "Transportes \u00C7ica");
    EXPECT_EQ(Data.Email, "a@b.com");
    EXPECT_EQ(Data.Site, "") << "a missing key reads as empty";
    EXPECT_EQ(Data.FileName, "tci");
    EXPECT_EQ(ReadNVOCCConfig("Name=Outside\n").Name, "");
}

TEST(NVOCCConfig, PackageScanStopsAtTheLogo) {
    TMemoryStream Archive = Package({{"NVOCC_CFG.INI", kConfig}, {"Image.Bmp", "BMlogo"}, {"icon.bmp", "x"}});
    const TNVOCCPackage Contents = ReadNVOCCPackage(Archive);
    EXPECT_EQ(Contents.NVOCC.Name, "Transportes \u00C7ica");
    EXPECT_EQ(Contents.NVOCC.Site, "www.b.com");
    EXPECT_EQ(std::string(Contents.Logo.begin(), Contents.Logo.end()), "BMlogo");

    TMemoryStream LogoFirst = Package({{"image.bmp", "BMlogo"}, {"nvocc_cfg.ini", kConfig}});
    EXPECT_EQ(ReadNVOCCPackage(LogoFirst).NVOCC.Name, "");

    TMemoryStream NotAnArchive;
    NotAnArchive.WriteBuffer("garbage", 7);
    EXPECT_THROW(ReadNVOCCPackage(NotAnArchive), Exception);
}

TEST(CustomerArgument, QuotedSplitOrPlain) {
    EXPECT_EQ(CustomerFromArgs({"NVOCC=Alfa Cargo"}), "Alfa Cargo");
    EXPECT_EQ(CustomerFromArgs({"\"NVOCC=Alfa Cargo\""}), "Alfa Cargo");
    EXPECT_EQ(CustomerFromArgs({"NVOCC=Alfa", "Cargo"}), "Alfa Cargo");
    EXPECT_EQ(CustomerFromArgs({"nvocc= Marítima "}), "Marítima");
    EXPECT_EQ(CustomerFromArgs({}), "");
    EXPECT_EQ(CustomerFromArgs({"NVOCC="}), "");
    EXPECT_EQ(CustomerFromArgs({"\"NVOCC=\""}), "");
    EXPECT_EQ(CustomerFromArgs({"Alfa Cargo"}), "");
    EXPECT_EQ(CustomerFromArgs({"/quiet", "NVOCC=Alfa"}), "");
}

TEST(CustomerNames, OnlyNamesThatCanNameAFileAreInstallable) {
    const std::pair<const char*, bool> kCases[] = {
        {"Mar\u00EDtima Cargas Ltda", true}, {"Transportes \u00C7ica S.A", true}, {"con-trans", true},
        {"Console", true},                   {"", false},                         {".", false},
        {"..", false},                       {"..\\..\\Outside", false},          {"Transportes A/S", false},
        {"Alfa: Cargo", false},              {"a*b", false},                      {"a?b", false},
        {"\"quoted\"", false},               {"<b>", false},                      {"a|b", false},
        {"tab\there", false},                {"ends with a dot.", false},         {"ends with a blank ", false},
        {"CON", false},                      {"nul", false},                      {"COM1.txt", false},
        {"Lpt9", false},
    };
    for (const auto& [Name, Valid] : kCases) {
        SCOPED_TRACE(Name);
        EXPECT_EQ(IsValidFileName(Name), Valid);
    }
    EXPECT_TRUE(IsInstallable({"Alfa Cargo", "", "", "alfa"}));
    EXPECT_FALSE(IsInstallable({"Alfa Cargo", "", "", ""}));
    EXPECT_FALSE(IsInstallable({"", "", "", "alfa"}));
}
