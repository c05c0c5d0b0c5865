#pragma once
// The text files regedit imports and exports: "REGEDIT4" in code page 1252 and
// "Windows Registry Editor Version 5.00" in UTF-16LE (UTF-8 is read too), and
// the key tree they describe. The hives of the emulated registry are such
// files. Malformed text, keys deeper than the platform allows and over-long
// names raise ERegistryException naming the file and line.
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "Registry.h"

namespace platform::os {

// The platform's limits, in characters and levels below the hive's root.
constexpr size_t kMaxKeyNameChars = 255;
constexpr size_t kMaxValueNameChars = 16383;
constexpr size_t kMaxKeyDepth = 512;

// Names the platform accepts: a key's has 1 to 255 characters, a value's up to
// 16,383; neither holds a control character (nor a key's a backslash).
bool IsValidKeyName(std::string_view Name);
bool IsValidValueName(std::string_view Name);

struct TRegValue {
    std::string Name;  // "" for the default value
    uint32_t Type = REG_NONE;
    std::string Data;  // text for strings, items each ending in '\0' for multi-strings, raw bytes otherwise

    bool operator==(const TRegValue&) const = default;
};

// A key: values in the order they were made, subkeys in name order; names
// ignore case and keep the first spelling. Look-ups take constant or
// logarithmic time, and freeing a tree does not recurse on its depth.
class TRegKey {
public:
    explicit TRegKey(std::string Name = {}) : FName(std::move(Name)) {}
    ~TRegKey();
    TRegKey(const TRegKey&) = delete;
    TRegKey& operator=(const TRegKey&) = delete;

    const std::string& Name() const { return FName; }

    const std::deque<TRegValue>& Values() const { return FValues; }
    const TRegValue* FindValue(std::string_view Name) const;
    // Replaces the value of that name (keeping its spelling) or appends a new one.
    void SetValue(TRegValue Value);
    bool DeleteValue(std::string_view Name);

    TRegKey* FindSubKey(std::string_view Name) const;
    // The subkey of that name, made when missing (Created tells).
    TRegKey& AddSubKey(std::string_view Name, bool& Created);
    bool DeleteSubKey(std::string_view Name);
    std::vector<const TRegKey*> SubKeys() const;  // in name order
    bool HasSubKeys() const { return !FSubKeys.empty(); }

private:
    struct TLessText {
        bool operator()(const std::string& A, const std::string& B) const;
    };
    // Positions in FValues, hashed and compared by their value's name ignoring case (or by a name looked up).
    struct TNameHash {
        using is_transparent = void;
        const std::deque<TRegValue>* Values;
        size_t operator()(size_t Position) const;
        size_t operator()(std::string_view Name) const;
    };
    struct TNameEqual {
        using is_transparent = void;
        const std::deque<TRegValue>* Values;
        bool operator()(size_t A, size_t B) const;
        bool operator()(size_t A, std::string_view B) const;
        bool operator()(std::string_view A, size_t B) const { return (*this)(B, A); }
    };

    std::string FName;
    std::deque<TRegValue> FValues;  // a deque: growing never copies what is there
    std::unordered_set<size_t, TNameHash, TNameEqual> FValueIndex{0, TNameHash{&FValues}, TNameEqual{&FValues}};
    std::map<std::string, std::unique_ptr<TRegKey>, TLessText> FSubKeys;
};

// One "[key]" or "[-key]" section of a .reg file and the value lines under it.
struct TRegSection {
    std::vector<std::string> Path;  // the root's name first
    bool Delete = false;
    struct TLine {
        TRegValue Value;
        bool Delete = false;  // "Name"=-
        int Line = 0;
    };
    std::vector<TLine> Values;
    int Line = 0;
};

// The sections of a .reg file in file order. Source names the file in errors.
std::vector<TRegSection> ParseRegText(std::string_view Bytes, const std::string& Source);

// The tree a hive file holds, its sections all under RootName; deletions are refused.
std::unique_ptr<TRegKey> LoadHiveText(std::string_view Bytes, const std::string& Source, std::string_view RootName);

// The file text of Key and all its subkeys, Key's section named SectionPath.
// Key's own section is written when it has values or when KeySection is set.
// REGEDIT4 in code page 1252 when every character fits, else version 5.00 in UTF-16LE.
std::string FormatRegText(const TRegKey& Key, const std::string& SectionPath, bool KeySection);

}  // namespace platform::os
