#include "platform/os/IniFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "platform/os/Text.h"

namespace platform::os {

void TMemIniFile::SetText(std::string_view Text) {
    FSections.clear();
    TSection* Current = nullptr;
    for (std::string_view Raw : SplitText(Text, '\n')) {
        const std::string Line = Trim(Raw);
        if (Line.size() >= 2 && Line.front() == '[' && Line.back() == ']') {
            Current = &SectionForWrite(Trim(std::string_view(Line).substr(1, Line.size() - 2)));
            continue;
        }
        const size_t Equals = Line.find('=');
        if (!Current || Equals == std::string::npos || Line.front() == ';') continue;
        const std::string Name = Trim(std::string_view(Line).substr(0, Equals));
        if (Name.empty()) continue;
        Current->Keys.push_back(TKey{Name, Trim(std::string_view(Line).substr(Equals + 1))});
    }
}

std::string TMemIniFile::Text() const {
    std::string Out;
    for (const TSection& S : FSections) {
        Out += '[' + S.Name + "]\r\n";
        for (const TKey& K : S.Keys) Out += K.Name + '=' + K.Value + "\r\n";
        Out += "\r\n";
    }
    return Out;
}

int TMemIniFile::SectionIndex(std::string_view Name) const {
    auto Same = [&](const TSection& S) { return SameText(S.Name, Name); };
    auto It = std::find_if(FSections.begin(), FSections.end(), Same);
    return It == FSections.end() ? -1 : static_cast<int>(It - FSections.begin());
}

TMemIniFile::TSection& TMemIniFile::SectionForWrite(std::string_view Name) {
    if (const int I = SectionIndex(Name); I >= 0) return FSections[I];
    FSections.push_back(TSection{std::string(Name), {}});
    return FSections.back();
}

const TMemIniFile::TKey* TMemIniFile::FindKey(std::string_view Section, std::string_view Ident) const {
    const int I = SectionIndex(Section);
    if (I < 0) return nullptr;
    const std::vector<TKey>& Keys = FSections[I].Keys;
    auto It = std::find_if(Keys.begin(), Keys.end(), [&](const TKey& K) { return SameText(K.Name, Ident); });
    return It == Keys.end() ? nullptr : &*It;
}

std::string TMemIniFile::ReadString(std::string_view Section, std::string_view Ident, std::string_view Default) const {
    const TKey* K = FindKey(Section, Ident);
    return K ? K->Value : std::string(Default);
}

void TMemIniFile::WriteString(std::string_view Section, std::string_view Ident, std::string_view Value) {
    std::vector<TKey>& Keys = SectionForWrite(Section).Keys;
    auto It = std::find_if(Keys.begin(), Keys.end(), [&](const TKey& K) { return SameText(K.Name, Ident); });
    if (It != Keys.end()) It->Value = std::string(Value);
    else Keys.push_back(TKey{std::string(Ident), std::string(Value)});
}

int TMemIniFile::ReadInteger(std::string_view Section, std::string_view Ident, int Default) const {
    const std::string Text = ReadString(Section, Ident, "");
    if (Text.empty()) return Default;
    const bool Hex = Text.size() > 2 && Text[0] == '0' && (Text[1] == 'x' || Text[1] == 'X');
    char* End = nullptr;
    errno = 0;
    const long Value = std::strtol(Text.c_str() + (Hex ? 2 : 0), &End, Hex ? 16 : 10);
    if (errno != 0 || *End != 0 || Value < INT32_MIN || Value > INT32_MAX) return Default;
    return static_cast<int>(Value);
}

void TMemIniFile::WriteInteger(std::string_view Section, std::string_view Ident, int Value) {
    WriteString(Section, Ident, std::to_string(Value));
}

bool TMemIniFile::ReadBool(std::string_view Section, std::string_view Ident, bool Default) const {
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TMemIniFile::WriteBool(std::string_view Section, std::string_view Ident, bool Value) {
    WriteString(Section, Ident, Value ? "1" : "0");
}

bool TMemIniFile::ValueExists(std::string_view Section, std::string_view Ident) const {
    return FindKey(Section, Ident) != nullptr;
}

std::vector<std::string> TMemIniFile::ReadSections() const {
    std::vector<std::string> Out;
    for (const TSection& S : FSections) Out.push_back(S.Name);
    return Out;
}

std::vector<std::string> TMemIniFile::ReadSection(std::string_view Section) const {
    std::vector<std::string> Out;
    if (const int I = SectionIndex(Section); I >= 0)
        for (const TKey& K : FSections[I].Keys) Out.push_back(K.Name);
    return Out;
}

void TMemIniFile::EraseSection(std::string_view Section) {
    std::erase_if(FSections, [&](const TSection& S) { return SameText(S.Name, Section); });
}

void TMemIniFile::DeleteKey(std::string_view Section, std::string_view Ident) {
    if (const int I = SectionIndex(Section); I >= 0)
        std::erase_if(FSections[I].Keys, [&](const TKey& K) { return SameText(K.Name, Ident); });
}

}  // namespace platform::os
