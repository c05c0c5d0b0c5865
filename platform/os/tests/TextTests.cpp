#include <gtest/gtest.h>

#include "platform/os/Exceptions.h"
#include "platform/os/Text.h"
#include "platform/os/WinError.h"

using namespace platform::os;

TEST(Text, AnsiConversionRoundTripsEveryByte) {
    std::string All;
    for (int B = 1; B < 256; ++B) All += static_cast<char>(B);
    const std::string Utf8 = AnsiToUtf8(All);
    EXPECT_EQ(Utf8ToAnsi(Utf8), All);
    EXPECT_EQ(AnsiToUtf8("\x80"), "€");
    EXPECT_EQ(Utf8ToAnsi("ação"), "a\xE7\xE3o");
    EXPECT_EQ(Utf8ToAnsi("日本"), "??");
    EXPECT_FALSE(IsAnsiRepresentable("日"));
    EXPECT_TRUE(IsAnsiRepresentable("Œuvre €"));
}

TEST(Text, InvalidUtf8DecodesByteByByte) {
    EXPECT_EQ(Utf8ToAnsi(std::string("a\xC3", 2)), "a?");
    EXPECT_EQ(Utf8ToAnsi("\xE0\x80\x80"), "???");  // overlong form
}

TEST(Text, CaseFoldingCoversLatin1Letters) {
    EXPECT_TRUE(SameText("Ção", "çÃO"));
    EXPECT_TRUE(SameText("NAVITREX.EXE", "navitrex.exe"));
    EXPECT_TRUE(SameText("Š Œ Ž Ÿ", "š œ ž ÿ"));
    EXPECT_FALSE(SameText("×", "÷"));  // signs, not letters
    EXPECT_FALSE(SameText("abc", "abcd"));
    EXPECT_LT(AnsiCompareText("abc", "ABD"), 0);
    EXPECT_GT(AnsiCompareText("abcd", "ABC"), 0);
    EXPECT_EQ(AnsiUpperCase("ação ß ÿ"), "AÇÃO ß Ÿ");
    EXPECT_EQ(AnsiLowerCase("ÉCOLE"), "école");
}

TEST(Text, TrimStripsControlsAndBlanks) {
    EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
    EXPECT_EQ(TrimLeft("  x "), "x ");
    EXPECT_EQ(TrimRight("  x "), "  x");
    EXPECT_EQ(Trim("   "), "");
}

TEST(Text, ExceptionMessages) {
    EXPECT_STREQ(EListError::IndexOutOfBounds(5).what(), "List index out of bounds (5)");
    EXPECT_STREQ(EDecompressionError().what(), "Error");
    const EOSError Denied(ERROR_ACCESS_DENIED);
    EXPECT_EQ(Denied.ErrorCode(), 5u);
    EXPECT_STREQ(Denied.what(), "System Error.  Code: 5.\nAccess is denied.");
    EXPECT_EQ(SysErrorMessage(32), "The process cannot access the file because it is being used by another process.");
    EXPECT_EQ(SysErrorMessage(1605), "This action is only valid for products that are currently installed.");
}

TEST(Text, SplitKeepsEmptyPartsAndLengthCountsCharacters) {
    using Parts = std::vector<std::string_view>;
    EXPECT_EQ(SplitText("a,,b", ','), (Parts{"a", "", "b"}));
    EXPECT_EQ(SplitText("", ','), (Parts{""}));
    EXPECT_EQ(SplitText("x\\", '\\'), (Parts{"x", ""}));
    EXPECT_EQ(Utf8Length("Ação"), 4u);
    EXPECT_EQ(Utf8Length(""), 0u);
}
