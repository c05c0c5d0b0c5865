#include "RegFile.h"

#include <algorithm>

#include "Text.h"

namespace platform::os {

namespace {

const char* const kRegedit4 = "REGEDIT4";
const char* const kRegedit5 = "Windows Registry Editor Version 5.00";
constexpr size_t kHexLineWidth = 76;  // regedit wraps long hex data at about 80 columns

// FNV-1a over the case-folded characters: names that differ only in case hash alike.
size_t HashFoldedName(std::string_view Name) {
    uint64_t Hash = 0xCBF29CE484222325ULL;
    for (size_t Pos = 0; Pos < Name.size();) {
        Hash ^= FoldLower(DecodeUtf8(Name, Pos));
        Hash *= 0x100000001B3ULL;
    }
    return static_cast<size_t>(Hash);
}

bool HasControlChars(std::string_view Text) {
    return std::any_of(Text.begin(), Text.end(), [](char C) { return static_cast<unsigned char>(C) < 32; });
}

bool IsStringType(uint32_t Type) { return Type == REG_SZ || Type == REG_EXPAND_SZ || Type == REG_MULTI_SZ; }

// How the bytes of hex(1), hex(2) and hex(7) data hold their text.
enum class TStringBytes { sbAnsi, sbUtf16 };

// Text in code page 1252, unless it is UTF-8 with non-ASCII characters: the
// hives of earlier versions of this system hold UTF-8 under the REGEDIT4 label,
// and code page 1252 text is practically never well-formed UTF-8 too.
std::string DecodeAnsiText(std::string_view Bytes) {
    return IsValidUtf8(Bytes) ? std::string(Bytes) : AnsiToUtf8(Bytes);
}

std::string DecodeUtf16Le(std::string_view Bytes) {
    std::u16string Units(Bytes.size() / 2, u'\0');
    for (size_t I = 0; I < Units.size(); ++I)
        Units[I] = static_cast<char16_t>(static_cast<unsigned char>(Bytes[2 * I]) |
                                         (static_cast<unsigned char>(Bytes[2 * I + 1]) << 8));
    return Utf16ToUtf8(Units);
}

std::string EncodeUtf16Le(std::string_view Utf8) {
    const std::u16string Units = Utf8ToUtf16(Utf8);
    std::string Bytes;
    Bytes.reserve(Units.size() * 2);
    for (char16_t Unit : Units) {
        Bytes += static_cast<char>(Unit & 0xFF);
        Bytes += static_cast<char>(Unit >> 8);
    }
    return Bytes;
}

int HexDigit(char C) {
    if (C >= '0' && C <= '9') return C - '0';
    if (C >= 'a' && C <= 'f') return C - 'a' + 10;
    if (C >= 'A' && C <= 'F') return C - 'A' + 10;
    return -1;
}

// Up to eight hex digits as a number; false for anything else.
bool ParseHex32(std::string_view Digits, uint32_t& Number) {
    if (Digits.empty() || Digits.size() > 8) return false;
    Number = 0;
    for (char C : Digits) {
        const int Digit = HexDigit(C);
        if (Digit < 0) return false;
        Number = (Number << 4) | static_cast<uint32_t>(Digit);
    }
    return true;
}

std::string_view TrimView(std::string_view Text) {
    while (!Text.empty() && static_cast<unsigned char>(Text.front()) <= ' ') Text.remove_prefix(1);
    while (!Text.empty() && static_cast<unsigned char>(Text.back()) <= ' ') Text.remove_suffix(1);
    return Text;
}

class TRegTextParser {
public:
    // Bytes must outlive the parser.
    TRegTextParser(std::string_view Bytes, const std::string& Source) : FSource(Source) { Decode(Bytes); }

    // Hands each section (without its values) to OnSection, then each of its value lines to OnValue, in file order.
    template <typename TOnSection, typename TOnValue>
    void Parse(TOnSection OnSection, TOnValue OnValue) {
        bool SawHeader = false, InSection = false;
        std::string_view Row;
        while (NextRow(Row)) {
            if (Row.empty() || Row[0] == ';') continue;
            if (!SawHeader) {
                if (Row == kRegedit5) FStrings = TStringBytes::sbUtf16;
                else if (Row != kRegedit4) FailHeader();
                SawHeader = true;
            } else if (Row[0] == '[') {
                OnSection(Section(Row));
                InSection = true;
            } else {
                if (!InSection) Fail("a value outside of any [key] section");
                OnValue(ValueLine(Row));
            }
        }
        if (!SawHeader && !FText.empty()) FailHeader();
    }

private:
    void Decode(std::string_view Bytes) {
        if (Bytes.starts_with("\xFF\xFE")) {
            if (Bytes.size() % 2) Fail("UTF-16 text with an odd number of bytes");
            FText = FConverted = DecodeUtf16Le(Bytes.substr(2));
            return;
        }
        // A UTF-8 mark in front of code page 1252 bytes says less than the bytes do.
        if (Bytes.starts_with("\xEF\xBB\xBF")) Bytes.remove_prefix(3);
        if (IsValidUtf8(Bytes)) FText = Bytes;  // ASCII, or an earlier version's UTF-8 (see DecodeAnsiText)
        else FText = FConverted = AnsiToUtf8(Bytes);
    }

    // The next line without its line break and trailing blanks.
    bool NextRow(std::string_view& Row) {
        if (FPos >= FText.size()) return false;
        size_t End = FText.find('\n', FPos);
        if (End == std::string_view::npos) End = FText.size();
        Row = FText.substr(FPos, End - FPos);
        while (!Row.empty() && static_cast<unsigned char>(Row.back()) <= ' ') Row.remove_suffix(1);
        FPos = End + 1;
        ++FLine;
        return true;
    }

    [[noreturn]] void FailHeader() const {
        Fail(Format("the first line must be \"%s\" or \"%s\"", kRegedit4, kRegedit5));
    }

    [[noreturn]] void Fail(const std::string& What) const {
        throw ERegistryException(
            Format("Registry file \"%s\" is malformed at line %d: %s", FSource.c_str(), FLine, What.c_str()));
    }

    TRegSection Section(std::string_view Row) {
        if (Row.size() < 3 || Row.back() != ']') Fail("a key section must end with ']'");
        TRegSection Section;
        Section.Line = FLine;
        std::string_view Path = Row.substr(1, Row.size() - 2);
        if (Path[0] == '-') {
            Section.Delete = true;
            Path.remove_prefix(1);
        }
        for (const std::string_view Name : SplitText(Path, '\\')) {
            if (Name.empty()) continue;
            if (!IsValidKeyName(Name))
                Fail(Format("a key name is longer than %zu characters or holds a control character", kMaxKeyNameChars));
            if (Section.Path.size() > kMaxKeyDepth) Fail(Format("the key is deeper than %zu levels", kMaxKeyDepth));
            Section.Path.emplace_back(Name);
        }
        if (Section.Path.empty()) Fail("a key section names no key");
        return Section;
    }

    // A quoted text at Row[Pos] ('"' included); Pos ends after the closing quote.
    std::string Quoted(std::string_view Row, size_t& Pos) {
        std::string Out;
        for (++Pos; Pos < Row.size(); ++Pos) {
            if (Row[Pos] == '"') {
                ++Pos;
                return Out;
            }
            if (Row[Pos] == '\\' && Pos + 1 < Row.size()) ++Pos;
            Out += Row[Pos];
        }
        Fail("a quoted text has no closing quote");
    }

    std::string HexBytes(std::string_view First) {
        // Long data continues on the next lines after a trailing backslash.
        std::string Text(First);
        std::string_view Row;
        while (!Text.empty() && Text.back() == '\\') {
            Text.pop_back();
            if (!NextRow(Row)) Fail("hex data continues past the end of the file");
            Text += TrimView(Row);
        }
        std::string Bytes;
        Bytes.reserve(Text.size() / 3 + 1);
        for (const std::string_view Part : SplitText(Text, ',')) {
            const std::string_view Item = TrimView(Part);
            if (Item.empty() && Part.data() + Part.size() == Text.data() + Text.size()) break;  // a final comma
            if (Item.size() != 2 || HexDigit(Item[0]) < 0 || HexDigit(Item[1]) < 0)
                Fail(Format("\"%.*s\" is not a hex byte", static_cast<int>(Item.size()), Item.data()));
            Bytes += static_cast<char>(HexDigit(Item[0]) * 16 + HexDigit(Item[1]));
        }
        return Bytes;
    }

    // The text of hex string data, without its terminating zero; a multi-string's
    // items each keep theirs.
    std::string StringData(uint32_t Type, const std::string& Bytes) {
        std::string Text;
        if (FStrings == TStringBytes::sbUtf16) {
            if (Bytes.size() % 2) Fail("UTF-16 string data with an odd number of bytes");
            Text = DecodeUtf16Le(Bytes);
        } else {
            Text = DecodeAnsiText(Bytes);
        }
        if (Type == REG_MULTI_SZ) {
            // Lone zero: no items. Else the final empty item goes; an unterminated last item gets its zero.
            if (Text == std::string_view("\0", 1)) Text.clear();
            else if (Text.ends_with(std::string_view("\0\0", 2))) Text.pop_back();
            else if (!Text.empty() && Text.back() != '\0') Text += '\0';
        } else if (!Text.empty() && Text.back() == '\0') {
            Text.pop_back();
        }
        return Text;
    }

    TRegSection::TLine ValueLine(std::string_view Row) {
        TRegSection::TLine Line;
        TRegValue& Value = Line.Value;
        size_t Pos = 0;
        if (Row[0] == '@') Pos = 1;
        else if (Row[0] == '"') Value.Name = Quoted(Row, Pos);
        else Fail("a value line must start with '@' or a quoted name");
        if (!IsValidValueName(Value.Name))
            Fail(Format("a value name is longer than %zu characters or holds a control character", kMaxValueNameChars));
        while (Pos < Row.size() && Row[Pos] == ' ') ++Pos;
        if (Pos >= Row.size() || Row[Pos] != '=') Fail("'=' expected after the value name");
        const std::string_view Data = TrimView(Row.substr(Pos + 1));
        uint32_t Number = 0;
        if (Data == "-") {
            Line.Delete = true;
        } else if (Data.starts_with('"')) {
            size_t DataPos = 0;
            Value.Type = REG_SZ;
            Value.Data = Quoted(Data, DataPos);
            if (DataPos != Data.size()) Fail("text after the closing quote");
        } else if (Data.starts_with("dword:")) {
            if (!ParseHex32(Data.substr(6), Number)) Fail("\"dword:\" needs up to eight hex digits");
            Value.Type = REG_DWORD;
            for (int I = 0; I < 4; ++I) Value.Data += static_cast<char>((Number >> (8 * I)) & 0xFF);
        } else if (Data.starts_with("hex:")) {
            Value.Type = REG_BINARY;
            Value.Data = HexBytes(Data.substr(4));
        } else if (const size_t Close = Data.find("):"); Data.starts_with("hex(") && Close != std::string_view::npos) {
            if (!ParseHex32(Data.substr(4, Close - 4), Value.Type)) Fail("\"hex(type):\" needs a hex type");
            Value.Data = HexBytes(Data.substr(Close + 2));
            if (IsStringType(Value.Type)) Value.Data = StringData(Value.Type, Value.Data);
        } else {
            Fail("unknown value data");
        }
        Line.Line = FLine;
        return Line;
    }

    const std::string& FSource;
    std::string FConverted;  // the text when the file's bytes are not UTF-8 already
    std::string_view FText;  // UTF-8
    size_t FPos = 0;
    int FLine = 0;
    TStringBytes FStrings = TStringBytes::sbAnsi;
};

// --- writing ---

void AppendQuoted(std::string& Out, std::string_view Text) {
    Out += '"';
    for (char C : Text) {
        if (C == '\\' || C == '"') Out += '\\';
        Out += C;
    }
    Out += '"';
}

void AppendHex(std::string& Out, std::string_view Bytes) {
    static const char kDigits[] = "0123456789abcdef";
    size_t LineStart = Out.rfind('\n') + 1;
    for (size_t I = 0; I < Bytes.size(); ++I) {
        const auto Byte = static_cast<unsigned char>(Bytes[I]);
        Out += kDigits[Byte >> 4];
        Out += kDigits[Byte & 15];
        if (I + 1 == Bytes.size()) break;
        Out += ',';
        if (Out.size() - LineStart >= kHexLineWidth) {
            Out += "\\\n  ";
            LineStart = Out.size() - 2;
        }
    }
}

void AppendValue(std::string& Out, const TRegValue& Value, TStringBytes Strings) {
    if (Value.Name.empty()) Out += '@';
    else AppendQuoted(Out, Value.Name);
    Out += '=';
    if (Value.Type == REG_SZ && !HasControlChars(Value.Data)) {
        AppendQuoted(Out, Value.Data);
    } else if (Value.Type == REG_DWORD && Value.Data.size() == 4) {
        uint32_t Number = 0;
        for (int I = 3; I >= 0; --I) Number = (Number << 8) | static_cast<unsigned char>(Value.Data[I]);
        Out += Format("dword:%08x", Number);
    } else {
        std::string Bytes = Value.Data;
        if (IsStringType(Value.Type)) {
            // Strings travel with their terminating zero, multi-strings with the final empty item.
            Bytes += '\0';
            Bytes = Strings == TStringBytes::sbUtf16 ? EncodeUtf16Le(Bytes) : Utf8ToAnsi(Bytes);
        }
        Out += Value.Type == REG_BINARY ? std::string("hex:") : Format("hex(%x):", Value.Type);
        AppendHex(Out, Bytes);
    }
    Out += '\n';
}

// Every key of the tree with its section path, parents before children and
// siblings in name order; iterative, so depth costs no stack.
template <typename TVisit>
void VisitKeys(const TRegKey& Top, const std::string& TopPath, TVisit Visit) {
    std::vector<std::pair<const TRegKey*, std::string>> Pending = {{&Top, TopPath}};
    while (!Pending.empty()) {
        auto [Key, Path] = std::move(Pending.back());
        Pending.pop_back();
        Visit(*Key, Path);
        const std::vector<const TRegKey*> Subs = Key->SubKeys();
        for (auto It = Subs.rbegin(); It != Subs.rend(); ++It) Pending.emplace_back(*It, Path + '\\' + (*It)->Name());
    }
}

// Code page 1252 bytes that also read as UTF-8 would be taken for an older
// hive's UTF-8 when read back (DecodeAnsiText), so they are never written.
bool IsAscii(std::string_view Text) {
    return std::all_of(Text.begin(), Text.end(), [](char C) { return static_cast<unsigned char>(C) < 0x80; });
}

bool LooksLikeUtf8(std::string_view Bytes) { return !IsAscii(Bytes) && IsValidUtf8(Bytes); }

// What writing a tree takes: whether code page 1252 holds every character,
// and about how long the text grows (so it is reserved once, not regrown).
struct TTextPlan {
    bool Fits = true;
    size_t Length = 0;
};

TTextPlan PlanText(const TRegKey& Top, const std::string& TopPath) {
    TTextPlan Plan;
    Plan.Fits = IsAnsiRepresentable(TopPath);
    VisitKeys(Top, TopPath, [&](const TRegKey& Key, const std::string& Path) {
        Plan.Fits = Plan.Fits && IsAnsiRepresentable(Key.Name());
        Plan.Length += Path.size() + 8;
        for (const TRegValue& Value : Key.Values()) {
            Plan.Fits = Plan.Fits && IsAnsiRepresentable(Value.Name) &&
                        (!IsStringType(Value.Type) || IsAscii(Value.Data) ||
                         (IsAnsiRepresentable(Value.Data) && !LooksLikeUtf8(Utf8ToAnsi(Value.Data))));
            // Hex data takes three characters a byte, and UTF-16 two bytes a character.
            Plan.Length += Value.Name.size() + 24;
            Plan.Length += Value.Type == REG_SZ ? Value.Data.size() + 8 : Value.Data.size() * 6;
        }
    });
    return Plan;
}

std::string FormatAs(const TRegKey& Key, const std::string& SectionPath, bool KeySection, TStringBytes Strings,
                     size_t Length) {
    std::string Text = Strings == TStringBytes::sbAnsi ? kRegedit4 : kRegedit5;
    Text.reserve(Length);
    Text += "\n\n";
    VisitKeys(Key, SectionPath, [&](const TRegKey& Each, const std::string& Path) {
        if (&Each == &Key && !KeySection && Each.Values().empty()) return;
        Text += '[' + Path + "]\n";
        for (const TRegValue& Value : Each.Values()) AppendValue(Text, Value, Strings);
        Text += '\n';
    });
    return Text;
}

}  // namespace

// --- the tree ---

bool IsValidKeyName(std::string_view Name) {
    return !Name.empty() && Name.find('\\') == std::string_view::npos && !HasControlChars(Name) &&
           Utf8Length(Name) <= kMaxKeyNameChars;
}

bool IsValidValueName(std::string_view Name) {
    return !HasControlChars(Name) && Utf8Length(Name) <= kMaxValueNameChars;
}

bool TRegKey::TLessText::operator()(const std::string& A, const std::string& B) const {
    return AnsiCompareText(A, B) < 0;
}

TRegKey::~TRegKey() {
    std::vector<std::unique_ptr<TRegKey>> Pending;
    const auto Detach = [&](TRegKey& Key) {
        for (auto& [Name, Sub] : Key.FSubKeys) Pending.push_back(std::move(Sub));
        Key.FSubKeys.clear();
    };
    Detach(*this);
    while (!Pending.empty()) {
        const std::unique_ptr<TRegKey> Key = std::move(Pending.back());
        Pending.pop_back();
        Detach(*Key);
    }
}

size_t TRegKey::TNameHash::operator()(size_t Position) const { return HashFoldedName((*Values)[Position].Name); }
size_t TRegKey::TNameHash::operator()(std::string_view Name) const { return HashFoldedName(Name); }
bool TRegKey::TNameEqual::operator()(size_t A, size_t B) const {
    return SameText((*Values)[A].Name, (*Values)[B].Name);
}
bool TRegKey::TNameEqual::operator()(size_t A, std::string_view B) const { return SameText((*Values)[A].Name, B); }

const TRegValue* TRegKey::FindValue(std::string_view Name) const {
    const auto It = FValueIndex.find(Name);
    return It == FValueIndex.end() ? nullptr : &FValues[*It];
}

void TRegKey::SetValue(TRegValue Value) {
    if (const auto It = FValueIndex.find(std::string_view(Value.Name)); It != FValueIndex.end()) {
        TRegValue& Old = FValues[*It];
        Old.Type = Value.Type;
        Old.Data = std::move(Value.Data);
        return;
    }
    FValues.push_back(std::move(Value));
    FValueIndex.insert(FValues.size() - 1);
}

bool TRegKey::DeleteValue(std::string_view Name) {
    const auto It = FValueIndex.find(Name);
    if (It == FValueIndex.end()) return false;
    FValues.erase(FValues.begin() + static_cast<std::ptrdiff_t>(*It));
    // The positions after it moved down: index them again.
    FValueIndex.clear();
    for (size_t Position = 0; Position < FValues.size(); ++Position) FValueIndex.insert(Position);
    return true;
}

TRegKey* TRegKey::FindSubKey(std::string_view Name) const {
    const auto It = FSubKeys.find(std::string(Name));
    return It == FSubKeys.end() ? nullptr : It->second.get();
}

TRegKey& TRegKey::AddSubKey(std::string_view Name, bool& Created) {
    auto [It, Added] = FSubKeys.try_emplace(std::string(Name));
    if (Added) It->second = std::make_unique<TRegKey>(std::string(Name));
    Created = Added;
    return *It->second;
}

bool TRegKey::DeleteSubKey(std::string_view Name) { return FSubKeys.erase(std::string(Name)) != 0; }

std::vector<const TRegKey*> TRegKey::SubKeys() const {
    std::vector<const TRegKey*> Keys;
    Keys.reserve(FSubKeys.size());
    for (const auto& [Name, Sub] : FSubKeys) Keys.push_back(Sub.get());
    return Keys;
}

// --- files ---

std::vector<TRegSection> ParseRegText(std::string_view Bytes, const std::string& Source) {
    std::vector<TRegSection> Sections;
    TRegTextParser(Bytes, Source)
        .Parse([&](TRegSection&& Section) { Sections.push_back(std::move(Section)); },
               [&](TRegSection::TLine&& Line) { Sections.back().Values.push_back(std::move(Line)); });
    return Sections;
}

std::unique_ptr<TRegKey> LoadHiveText(std::string_view Bytes, const std::string& Source, std::string_view RootName) {
    auto Root = std::make_unique<TRegKey>(std::string(RootName));
    const auto Fail = [&](int Line, const std::string& What) {
        throw ERegistryException(
            Format("Registry file \"%s\" is malformed at line %d: %s", Source.c_str(), Line, What.c_str()));
    };
    // Applied as read: a large hive is never held twice.
    TRegKey* Key = nullptr;
    const auto OnSection = [&](TRegSection&& Section) {
        if (Section.Delete) Fail(Section.Line, "key deletions are not part of a hive");
        if (!SameText(Section.Path[0], RootName))
            Fail(Section.Line, Format("a key of this hive must start with \"%.*s\"", static_cast<int>(RootName.size()),
                                      RootName.data()));
        Key = Root.get();
        bool Created = false;
        for (size_t I = 1; I < Section.Path.size(); ++I) Key = &Key->AddSubKey(Section.Path[I], Created);
    };
    const auto OnValue = [&](TRegSection::TLine&& Line) {
        if (Line.Delete) Fail(Line.Line, "value deletions are not part of a hive");
        Key->SetValue(std::move(Line.Value));
    };
    TRegTextParser(Bytes, Source).Parse(OnSection, OnValue);
    return Root;
}

std::string FormatRegText(const TRegKey& Key, const std::string& SectionPath, bool KeySection) {
    const TTextPlan Plan = PlanText(Key, SectionPath);
    if (Plan.Fits) {
        std::string Text = FormatAs(Key, SectionPath, KeySection, TStringBytes::sbAnsi, Plan.Length);
        if (IsAscii(Text)) return Text;  // the same bytes in both encodings
        std::string Ansi = Utf8ToAnsi(Text);
        if (!LooksLikeUtf8(Ansi)) return Ansi;
    }
    return "\xFF\xFE" + EncodeUtf16Le(FormatAs(Key, SectionPath, KeySection, TStringBytes::sbUtf16, Plan.Length));
}

}  // namespace platform::os
