// The small helpers: texts, key names, the resource folder, the busy cursor and zlib streams.
#include <gtest/gtest.h>
#include <zlib.h>

#include "dataaccess/VexSession.h"
#include "dataaccess/VexUtils.h"
#include "platform/os/Environment.h"
#include "platform/os/Exceptions.h"
#include "platform/os/Files.h"
#include "platform/ui/Forms.h"

using namespace dataaccess;

TEST(UtilsTest, JoinWithPutsTheSeparatorOnlyBetweenTwoTexts) {
    EXPECT_EQ(JoinWith("a", "b", ", "), "a, b");
    EXPECT_EQ(JoinWith("", "b", ", "), "b");
    EXPECT_EQ(JoinWith("a", "", ", "), "a");
    EXPECT_EQ(JoinWith("", "", ", "), "");
}

TEST(UtilsTest, IsIdFieldWantsIdAndThenNoSmallLetter) {
    for (const char* Name : {"IdUsuario", "Id_Pai", "Id1"}) {
        SCOPED_TRACE(Name);
        EXPECT_TRUE(IsIdField(Name));
    }
    for (const char* Name : {"Idade", "Id", "ID_Pai", "idUsuario", "Nome"}) {
        SCOPED_TRACE(Name);
        EXPECT_FALSE(IsIdField(Name));
    }
}

TEST(UtilsTest, GetDevResourcesPathNeedsAnExistingFolder) {
    const std::string Expected =
        "A variável 'RECURSOS_DESENV' não foi definida no 'Environment Variables' ou o caminho não existe.";
    platform::os::RemoveEnvironmentVariable(kDevResourcesVariable);
    try {
        GetDevResourcesPath();
        ADD_FAILURE() << "no exception";
    } catch (const platform::os::Exception& E) {
        EXPECT_EQ(E.what(), Expected);
    }
    platform::os::SetEnvironmentVariable(kDevResourcesVariable, "C:\\Nao\\Existe");
    EXPECT_THROW(GetDevResourcesPath(), platform::os::Exception);
    platform::os::CreateDir("C:\\Recursos");
    platform::os::SetEnvironmentVariable(kDevResourcesVariable, "C:\\Recursos");
    EXPECT_EQ(GetDevResourcesPath(), "C:\\Recursos");
    platform::os::RemoveEnvironmentVariable(kDevResourcesVariable);
}

TEST(UtilsTest, BusyCursorShowsOnceAndEndsWhenTheCountReachesZero) {
    const int Before = platform::ui::BusyCursorDepth();
    BeginBusy();
    BeginBusy();
    EXPECT_EQ(platform::ui::BusyCursorDepth(), Before + 1);
    EndBusy();
    EXPECT_EQ(platform::ui::BusyCursorDepth(), Before + 1);
    EndBusy();
    EXPECT_EQ(platform::ui::BusyCursorDepth(), Before);
    EndBusy();  // one end too many is harmless, and the next begin shows the cursor again
    BeginBusy();
    EXPECT_EQ(platform::ui::BusyCursorDepth(), Before + 1);
    EndBusy();
    EXPECT_EQ(platform::ui::BusyCursorDepth(), Before);
}

TEST(UtilsTest, CompressedStreamsArePlainZlibAtTheBestLevel) {
    const std::string Text = "[Grade]\r\nLargura=120\r\n" + std::string(3000, 'x');
    platform::os::TMemoryStream Source, Packed, Unpacked;
    Source.WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
    CompressStream(Source, Packed, true);
    EXPECT_EQ(Packed.Position(), 0);
    const auto* Bytes = reinterpret_cast<const unsigned char*>(Packed.Memory());
    EXPECT_EQ(Bytes[0], 0x78);
    EXPECT_EQ(Bytes[1], 0xDA);  // best compression
    // Any zlib reads it.
    std::string Plain(Text.size(), '\0');
    uLongf Length = static_cast<uLongf>(Plain.size());
    const auto PackedSize = static_cast<uLong>(Packed.Size());
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(Plain.data()), &Length, Bytes, PackedSize), Z_OK);
    EXPECT_EQ(Plain, Text);
    Packed.SetPosition(Packed.Size());  // the source is read from its start
    DecompressStream(Packed, Unpacked, true);
    EXPECT_EQ(Unpacked.Position(), 0);
    EXPECT_EQ(std::string(Unpacked.Memory(), static_cast<size_t>(Unpacked.Size())), Text);
}
