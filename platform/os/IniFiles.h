#pragma once
// An ini file held in memory: sections of Name=Value lines, read from text and
// written back as text (lines ended by CR LF). Section and key names ignore
// case, Latin-1 letters too, and keep the case they were first written with;
// sections and keys keep the order in which they were read or added. Nothing
// raises: a missing value or one that is not a number reads as the default.
#include <string>
#include <string_view>
#include <vector>

namespace platform::os {

class TMemIniFile {
public:
    TMemIniFile() = default;
    explicit TMemIniFile(std::string_view Text) { SetText(Text); }

    // Lines before the first section and lines without '=' are dropped;
    // blanks around names and values are trimmed.
    void SetText(std::string_view Text);
    std::string Text() const;
    void Clear() { FSections.clear(); }

    std::string ReadString(std::string_view Section, std::string_view Ident, std::string_view Default) const;
    void WriteString(std::string_view Section, std::string_view Ident, std::string_view Value);
    // Decimal or "0x" hexadecimal.
    int ReadInteger(std::string_view Section, std::string_view Ident, int Default) const;
    void WriteInteger(std::string_view Section, std::string_view Ident, int Value);
    // "0" is false, any other number true.
    bool ReadBool(std::string_view Section, std::string_view Ident, bool Default) const;
    void WriteBool(std::string_view Section, std::string_view Ident, bool Value);

    bool SectionExists(std::string_view Section) const { return SectionIndex(Section) >= 0; }
    bool ValueExists(std::string_view Section, std::string_view Ident) const;
    std::vector<std::string> ReadSections() const;
    // The key names of a section; empty when there is no such section.
    std::vector<std::string> ReadSection(std::string_view Section) const;
    void EraseSection(std::string_view Section);
    void DeleteKey(std::string_view Section, std::string_view Ident);

private:
    struct TKey {
        std::string Name;
        std::string Value;
    };
    struct TSection {
        std::string Name;
        std::vector<TKey> Keys;
    };
    int SectionIndex(std::string_view Name) const;  // -1 when missing
    TSection& SectionForWrite(std::string_view Name);
    const TKey* FindKey(std::string_view Section, std::string_view Ident) const;

    std::vector<TSection> FSections;
};

}  // namespace platform::os
