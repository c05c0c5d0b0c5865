// The in-memory ini file: text round trip, names that ignore case, typed values.
#include <gtest/gtest.h>

#include "platform/os/IniFiles.h"

using platform::os::TMemIniFile;

TEST(MemIniFile, TextRoundTripKeepsOrderAndCaseAndReadsIgnoringCase) {
    const TMemIniFile Ini("; comment\n[Form]\r\nWidth=640\r\nHeight = 480 \r\nsem igual\r\n\r\n"
                          "[Configuração]\nNome=João=Silva\n");
    EXPECT_EQ(Ini.ReadString("FORM", "width", ""), "640");
    EXPECT_EQ(Ini.ReadInteger("form", "HEIGHT", 0), 480);
    EXPECT_EQ(Ini.ReadString("CONFIGURAÇÃO", "nome", ""), "João=Silva");
    EXPECT_EQ(Ini.ReadSections(), (std::vector<std::string>{"Form", "Configuração"}));
    EXPECT_EQ(Ini.ReadSection("form"), (std::vector<std::string>{"Width", "Height"}));
    EXPECT_TRUE(Ini.ReadSection("Nada").empty());
    const std::string Text = "[Form]\r\nWidth=640\r\nHeight=480\r\n\r\n[Configuração]\r\nNome=João=Silva\r\n\r\n";
    EXPECT_EQ(Ini.Text(), Text);
    EXPECT_EQ(TMemIniFile(Text).Text(), Text);
}

TEST(MemIniFile, TypedValuesFallBackToTheDefault) {
    struct TCase {
        const char* Text;
        int Value;
    };
    const TCase Cases[] = {
        {"12", 12}, {"-7", -7}, {"0x1F", 31}, {"abc", 99}, {"12abc", 99}, {"", 99}, {"99999999999", 99},
    };
    TMemIniFile Ini;
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Text);
        Ini.WriteString("S", "N", Case.Text);
        EXPECT_EQ(Ini.ReadInteger("S", "N", 99), Case.Value);
    }
    EXPECT_EQ(Ini.ReadInteger("S", "Falta", 5), 5);
    EXPECT_EQ(Ini.ReadString("Falta", "N", "padrão"), "padrão");
    Ini.WriteBool("S", "Visible", true);
    EXPECT_EQ(Ini.ReadString("s", "visible", ""), "1");
    EXPECT_TRUE(Ini.ReadBool("S", "Visible", false));
    Ini.WriteBool("S", "Visible", false);
    EXPECT_FALSE(Ini.ReadBool("S", "Visible", true));
    EXPECT_TRUE(Ini.ReadBool("S", "Falta", true));
}

TEST(MemIniFile, WritesReplaceInPlaceAndErasingRemoves) {
    TMemIniFile Ini("[Form]\r\nWidth=640\r\nHeight=480\r\n");
    Ini.WriteInteger("FORM", "WIDTH", 800);
    Ini.WriteString("Detalhes", "Visible", "1");
    EXPECT_EQ(Ini.Text(), "[Form]\r\nWidth=800\r\nHeight=480\r\n\r\n[Detalhes]\r\nVisible=1\r\n\r\n");
    Ini.DeleteKey("form", "height");
    EXPECT_FALSE(Ini.ValueExists("Form", "Height"));
    EXPECT_TRUE(Ini.ValueExists("Form", "Width"));
    Ini.EraseSection("DETALHES");
    EXPECT_FALSE(Ini.SectionExists("Detalhes"));
    EXPECT_EQ(Ini.Text(), "[Form]\r\nWidth=800\r\n\r\n");
    Ini.Clear();
    EXPECT_EQ(Ini.Text(), "");
}
