#pragma once
// Text helpers over UTF-8 std::string: printf-style formatting, trimming as
// the platform trims (every character up to the blank), conversion to and from
// Windows code page 1252, and comparisons that ignore case for Latin-1 letters.
#include <cstdarg>
#include <string>
#include <string_view>
#include <vector>

namespace platform::os {

std::string Format(const char* Fmt, ...) __attribute__((format(printf, 1, 2)));
std::string FormatV(const char* Fmt, va_list Args);

// Strip leading and trailing characters up to and including the blank (control characters too).
std::string Trim(std::string_view Text);
std::string TrimLeft(std::string_view Text);
std::string TrimRight(std::string_view Text);

// Code page 1252 <-> UTF-8. Characters the code page lacks become '?'.
std::string Utf8ToAnsi(std::string_view Utf8);
std::string AnsiToUtf8(std::string_view Ansi);
// True when every character of the text exists in code page 1252.
bool IsAnsiRepresentable(std::string_view Utf8);

// Case folding of the letters of code page 1252 (ASCII, Latin-1 and the few
// extra letters of 0x80-0x9F); other characters are left alone.
char32_t FoldLower(char32_t C);
char32_t FoldUpper(char32_t C);
std::string AnsiLowerCase(std::string_view Text);
std::string AnsiUpperCase(std::string_view Text);

// Ordering and equality ignoring letter case: "Ção" equals "çÃO".
int AnsiCompareText(std::string_view A, std::string_view B);
bool SameText(std::string_view A, std::string_view B);

// UTF-8 code point iteration shared by the helpers above; invalid bytes decode
// to U+FFFD one byte at a time.
char32_t DecodeUtf8(std::string_view Text, size_t& Pos);
void AppendUtf8(std::string& Out, char32_t C);
// The number of characters (code points) of a UTF-8 text.
size_t Utf8Length(std::string_view Text);
// True when the text is well-formed UTF-8.
bool IsValidUtf8(std::string_view Text);

// UTF-8 <-> UTF-16 code units; characters beyond the first plane travel as
// surrogate pairs, and a lone surrogate decodes to U+FFFD.
std::u16string Utf8ToUtf16(std::string_view Utf8);
std::string Utf16ToUtf8(std::u16string_view Units);

// The parts of Text between Delimiter characters, empty parts included
// ("a,,b" gives "a", "", "b"); views into Text.
std::vector<std::string_view> SplitText(std::string_view Text, char Delimiter);

}  // namespace platform::os
