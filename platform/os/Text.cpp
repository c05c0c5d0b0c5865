#include "Text.h"

#include <array>
#include <cstdio>

namespace platform::os {

std::string FormatV(const char* Fmt, va_list Args) {
    va_list Copy;
    va_copy(Copy, Args);
    const int Needed = std::vsnprintf(nullptr, 0, Fmt, Copy);
    va_end(Copy);
    if (Needed <= 0) return {};
    std::string Out(static_cast<size_t>(Needed), '\0');
    std::vsnprintf(Out.data(), Out.size() + 1, Fmt, Args);
    return Out;
}

std::string Format(const char* Fmt, ...) {
    va_list Args;
    va_start(Args, Fmt);
    std::string Out = FormatV(Fmt, Args);
    va_end(Args);
    return Out;
}

namespace {
bool IsBlank(char C) { return static_cast<unsigned char>(C) <= ' '; }
}  // namespace

std::string TrimLeft(std::string_view Text) {
    size_t First = 0;
    while (First < Text.size() && IsBlank(Text[First])) ++First;
    return std::string(Text.substr(First));
}

std::string TrimRight(std::string_view Text) {
    size_t Last = Text.size();
    while (Last > 0 && IsBlank(Text[Last - 1])) --Last;
    return std::string(Text.substr(0, Last));
}

std::string Trim(std::string_view Text) { return TrimLeft(TrimRight(Text)); }

char32_t DecodeUtf8(std::string_view Text, size_t& Pos) {
    const auto Byte = [&](size_t I) { return static_cast<unsigned char>(Text[I]); };
    const unsigned char Lead = Byte(Pos);
    int Length = 0;
    char32_t C = 0;
    if (Lead < 0x80) {
        ++Pos;
        return Lead;
    } else if ((Lead & 0xE0) == 0xC0) {
        Length = 2;
        C = Lead & 0x1F;
    } else if ((Lead & 0xF0) == 0xE0) {
        Length = 3;
        C = Lead & 0x0F;
    } else if ((Lead & 0xF8) == 0xF0) {
        Length = 4;
        C = Lead & 0x07;
    } else {
        ++Pos;
        return 0xFFFD;
    }
    if (Pos + Length > Text.size()) {
        ++Pos;
        return 0xFFFD;
    }
    for (int I = 1; I < Length; ++I) {
        const unsigned char Next = Byte(Pos + I);
        if ((Next & 0xC0) != 0x80) {
            ++Pos;
            return 0xFFFD;
        }
        C = (C << 6) | (Next & 0x3F);
    }
    static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (C < kMinimum[Length] || C > 0x10FFFF || (C >= 0xD800 && C <= 0xDFFF)) {
        ++Pos;
        return 0xFFFD;
    }
    Pos += Length;
    return C;
}

void AppendUtf8(std::string& Out, char32_t C) {
    if (C < 0x80) {
        Out += static_cast<char>(C);
    } else if (C < 0x800) {
        Out += static_cast<char>(0xC0 | (C >> 6));
        Out += static_cast<char>(0x80 | (C & 0x3F));
    } else if (C < 0x10000) {
        Out += static_cast<char>(0xE0 | (C >> 12));
        Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (C & 0x3F));
    } else {
        Out += static_cast<char>(0xF0 | (C >> 18));
        Out += static_cast<char>(0x80 | ((C >> 12) & 0x3F));
        Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (C & 0x3F));
    }
}

namespace {

// Code page 1252 bytes 0x80-0x9F. The five unassigned bytes map to the C1
// control of the same value, as the system's own conversion does, so every
// byte survives a round trip.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int AnsiByteOf(char32_t C) {
    if (C < 0x80 || (C >= 0xA0 && C <= 0xFF)) return static_cast<int>(C);
    for (size_t I = 0; I < kHighControls.size(); ++I)
        if (kHighControls[I] == C) return static_cast<int>(0x80 + I);
    return -1;
}

// The end of the run of ASCII characters that starts at Pos: hives and
// archives are mostly ASCII, which needs no decoding.
size_t AsciiRunEnd(std::string_view Text, size_t Pos) {
    while (Pos < Text.size() && static_cast<unsigned char>(Text[Pos]) < 0x80) ++Pos;
    return Pos;
}

template <typename Transform>
std::string MapCodePoints(std::string_view Text, Transform Fn) {
    std::string Out;
    Out.reserve(Text.size());
    for (size_t Pos = 0; Pos < Text.size();) {
        const auto Byte = static_cast<unsigned char>(Text[Pos]);
        if (Byte < 0x80) {
            Out += static_cast<char>(Fn(Byte));  // ASCII folds to ASCII
            ++Pos;
        } else {
            AppendUtf8(Out, Fn(DecodeUtf8(Text, Pos)));
        }
    }
    return Out;
}

}  // namespace

std::string Utf8ToAnsi(std::string_view Utf8) {
    std::string Out;
    Out.reserve(Utf8.size());
    for (size_t Pos = 0; Pos < Utf8.size();) {
        const size_t Run = AsciiRunEnd(Utf8, Pos);
        Out.append(Utf8.substr(Pos, Run - Pos));
        if ((Pos = Run) == Utf8.size()) break;
        const int Byte = AnsiByteOf(DecodeUtf8(Utf8, Pos));
        Out += Byte < 0 ? '?' : static_cast<char>(Byte);
    }
    return Out;
}

std::string AnsiToUtf8(std::string_view Ansi) {
    std::string Out;
    Out.reserve(Ansi.size() * 2);
    for (char Ch : Ansi) {
        const unsigned char Byte = static_cast<unsigned char>(Ch);
        AppendUtf8(Out, Byte >= 0x80 && Byte < 0xA0 ? kHighControls[Byte - 0x80] : Byte);
    }
    return Out;
}

bool IsAnsiRepresentable(std::string_view Utf8) {
    for (size_t Pos = AsciiRunEnd(Utf8, 0); Pos < Utf8.size(); Pos = AsciiRunEnd(Utf8, Pos))
        if (AnsiByteOf(DecodeUtf8(Utf8, Pos)) < 0) return false;
    return true;
}

char32_t FoldLower(char32_t C) {
    if ((C >= 'A' && C <= 'Z') || (C >= 0xC0 && C <= 0xDE && C != 0xD7)) return C + 0x20;
    switch (C) {
        case 0x0160: return 0x0161;
        case 0x0152: return 0x0153;
        case 0x017D: return 0x017E;
        case 0x0178: return 0x00FF;
        default: return C;
    }
}

char32_t FoldUpper(char32_t C) {
    if ((C >= 'a' && C <= 'z') || (C >= 0xE0 && C <= 0xFE && C != 0xF7)) return C - 0x20;
    switch (C) {
        case 0x0161: return 0x0160;
        case 0x0153: return 0x0152;
        case 0x017E: return 0x017D;
        case 0x00FF: return 0x0178;
        default: return C;
    }
}

std::string AnsiLowerCase(std::string_view Text) { return MapCodePoints(Text, FoldLower); }
std::string AnsiUpperCase(std::string_view Text) { return MapCodePoints(Text, FoldUpper); }

int AnsiCompareText(std::string_view A, std::string_view B) {
    size_t PosA = 0, PosB = 0;
    while (PosA < A.size() && PosB < B.size()) {
        const char32_t CA = FoldLower(DecodeUtf8(A, PosA));
        const char32_t CB = FoldLower(DecodeUtf8(B, PosB));
        if (CA != CB) return CA < CB ? -1 : 1;
    }
    if (PosA < A.size()) return 1;
    if (PosB < B.size()) return -1;
    return 0;
}

bool SameText(std::string_view A, std::string_view B) { return AnsiCompareText(A, B) == 0; }

size_t Utf8Length(std::string_view Text) {
    size_t Count = 0;
    for (size_t Pos = 0; Pos < Text.size(); ++Count) {
        const size_t Run = AsciiRunEnd(Text, Pos);
        if (Run > Pos) {
            Count += Run - Pos - 1;
            Pos = Run;
        } else {
            DecodeUtf8(Text, Pos);
        }
    }
    return Count;
}

bool IsValidUtf8(std::string_view Text) {
    for (size_t Pos = AsciiRunEnd(Text, 0); Pos < Text.size(); Pos = AsciiRunEnd(Text, Pos)) {
        const size_t Start = Pos;
        // U+FFFD itself takes three bytes; a one-byte step means a malformed sequence.
        if (DecodeUtf8(Text, Pos) == 0xFFFD && Pos == Start + 1) return false;
    }
    return true;
}

std::u16string Utf8ToUtf16(std::string_view Utf8) {
    std::u16string Out;
    Out.reserve(Utf8.size());
    for (size_t Pos = 0; Pos < Utf8.size();) {
        char32_t C = DecodeUtf8(Utf8, Pos);
        if (C >= 0x10000) {
            C -= 0x10000;
            Out += static_cast<char16_t>(0xD800 + (C >> 10));
            Out += static_cast<char16_t>(0xDC00 + (C & 0x3FF));
        } else {
            Out += static_cast<char16_t>(C);
        }
    }
    return Out;
}

std::string Utf16ToUtf8(std::u16string_view Units) {
    std::string Out;
    Out.reserve(Units.size());
    for (size_t I = 0; I < Units.size(); ++I) {
        char32_t C = Units[I];
        if (C >= 0xD800 && C < 0xE000) {
            const bool Paired = C < 0xDC00 && I + 1 < Units.size() && Units[I + 1] >= 0xDC00 && Units[I + 1] < 0xE000;
            C = Paired ? 0x10000 + ((C - 0xD800) << 10) + (Units[++I] - 0xDC00) : 0xFFFD;
        }
        AppendUtf8(Out, C);
    }
    return Out;
}

std::vector<std::string_view> SplitText(std::string_view Text, char Delimiter) {
    std::vector<std::string_view> Parts;
    for (size_t Start = 0;;) {
        const size_t End = Text.find(Delimiter, Start);
        Parts.push_back(Text.substr(Start, End == std::string_view::npos ? std::string_view::npos : End - Start));
        if (End == std::string_view::npos) return Parts;
        Start = End + 1;
    }
}

}  // namespace platform::os
