#include <gtest/gtest.h>

#include <filesystem>

#include "installlib/InstaladorLib.h"
#include "installlib/VxiStream.h"
#include "platform/os/Files.h"
#include "platform/os/WinEnv.h"
#include "platform/os/WinPath.h"
#include "platform/ui/Resources.h"
#include "setup/NVOCCPackage.h"
#include "setup/tests/PackageArchive.h"

using namespace platform::os;
using namespace setup;
using namespace packagearchive;

namespace {

const std::string kConfig = "[Config]\r\nName=Transportes \xC7ica\r\nEmail=a@b.com\r\nSite= www.b.com \r\nFileName=tci\r\n";

}  // namespace

TEST(NVOCCPackage, ConfigurationAndLogoAreReadWhateverTheirCase) {
    TMemoryStream Archive = Package({{"NVOCC_CFG.INI", kConfig}, {"Image.Bmp", BitmapBytes()}, {"icon.bmp", "x"}});
    const TPackageContents Contents = ReadPackage(Archive);
    EXPECT_EQ(Contents.NVOCC.Name, "Transportes \u00C7ica");
    EXPECT_EQ(Contents.NVOCC.FileName, "tci");
    ASSERT_FALSE(Contents.Logo.isNull());
    EXPECT_EQ(Contents.Logo.size(), QSize(4, 3));
    EXPECT_EQ(Contents.Logo.pixelColor(0, 0), QColor(Qt::red));
}

TEST(NVOCCPackage, LogoBeforeConfigurationLeavesTheRecordEmpty) {
    TMemoryStream Archive = Package({{"image.bmp", BitmapBytes()}, {"nvocc_cfg.ini", kConfig}});
    const TPackageContents Contents = ReadPackage(Archive);
    EXPECT_FALSE(Contents.Logo.isNull());
    EXPECT_EQ(Contents.NVOCC.Name, "");
    EXPECT_EQ(Contents.NVOCC.Site, "");
}

TEST(NVOCCPackage, BuiltInPackageHoldsTheSampleCustomerInOrder) {
    platform::ui::TResourceStream Resource("nvocc");
    installlib::TVxiStream Archive(Resource);
    std::vector<std::string> Names;
    for (int Index = 0; Index < Archive.Count(); ++Index) Names.push_back(Archive.GetFileName(Index));
    EXPECT_EQ(Names, (std::vector<std::string>{"nvocc_cfg.ini", "image.bmp", "icon.bmp", "report.rpt",
                                                "port_of_loading.dat", "port_of_discharge.dat", "ocean_vessel.dat",
                                                "equipment.dat"}));
    const TPackageContents Contents = ReadPackage(Resource);
    EXPECT_EQ(Contents.NVOCC.Name, "Mar\u00EDtima Cargas Ltda");
    EXPECT_EQ(Contents.NVOCC.FileName, "maritima");
    EXPECT_FALSE(Contents.Logo.isNull());
}

TEST(NVOCCPackage, DefaultPackageBesideTheProgramReplacesTheBuiltInOne) {
    const std::string Beside = ExtractFilePath(GetModuleFileName()) + "default.nvo";
    const std::filesystem::path Host = HostPath(Beside);
    TMemoryStream Archive = Package({{"nvocc_cfg.ini", kConfig}});
    Archive.SaveToFile(Host);
    std::unique_ptr<TStream> Loaded = LoadPackage();
    std::filesystem::remove(Host);
    ASSERT_TRUE(Loaded);
    EXPECT_EQ(Loaded->Size(), Archive.Size());
    EXPECT_EQ(ReadPackage(*Loaded).NVOCC.FileName, "tci");

    std::unique_ptr<TStream> BuiltIn = LoadPackage();
    ASSERT_TRUE(BuiltIn);
    EXPECT_EQ(ReadPackage(*BuiltIn).NVOCC.FileName, "maritima");
}

TEST(NVOCCPackage, PackageFileGivenByTheHostReplacesTheDefaultOne) {
    const std::string Other = installlib::GetTempFolder() + "outro.nvo";
    TMemoryStream Archive = Package({{"nvocc_cfg.ini", kConfig}});
    Archive.SaveToFile(HostPath(Other));
    SetPackageFile(Other);
    std::unique_ptr<TStream> Loaded = LoadPackage();
    SetPackageFile("");
    std::filesystem::remove(HostPath(Other));
    ASSERT_TRUE(Loaded);
    EXPECT_EQ(ReadPackage(*Loaded).NVOCC.FileName, "tci");

    std::unique_ptr<TStream> BuiltIn = LoadPackage();
    ASSERT_TRUE(BuiltIn);
    EXPECT_EQ(ReadPackage(*BuiltIn).NVOCC.FileName, "maritima");
}
