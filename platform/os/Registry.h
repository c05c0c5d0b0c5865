#pragma once
// The registry wrapper: a root key, a current key opened under it, and the
// values of that key. Key paths are relative to the current key unless they
// start with a backslash. Names ignore case and keep it. Errors of value
// access raise ERegistryException; opening answers false. Key depth and name
// lengths keep the platform's limits (ERROR_INVALID_PARAMETER beyond them).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Exceptions.h"

namespace platform::os {

using HKEY = uint32_t;

enum : HKEY {
    HKEY_CLASSES_ROOT = 0x80000000,
    HKEY_CURRENT_USER = 0x80000001,
    HKEY_LOCAL_MACHINE = 0x80000002,
    HKEY_USERS = 0x80000003,
    HKEY_PERFORMANCE_DATA = 0x80000004,
    HKEY_CURRENT_CONFIG = 0x80000005,
    HKEY_DYN_DATA = 0x80000006,
};

// Value types as the platform stores them.
enum : uint32_t {
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
    REG_MULTI_SZ = 7,
    REG_QWORD = 11,
};

enum class TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegDataInfo {
    TRegDataType RegData = TRegDataType::rdUnknown;
    int DataSize = 0;
};

class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

// "HKEY_LOCAL_MACHINE" for HKEY_LOCAL_MACHINE and so on; empty for others.
std::string RootKeyName(HKEY Root);
// The root for a long or short name ("HKEY_CURRENT_USER", "HKCU"), ignoring
// case; 0 when the name is none of them.
HKEY RootKeyFromName(std::string_view Name);

class TRegistry {
public:
    TRegistry();  // root HKEY_CURRENT_USER, no key open
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const { return FRootKey; }
    void SetRootKey(HKEY Value);  // closes the current key
    // The open key's path under the root, without a leading backslash; empty when none is open.
    const std::string& CurrentPath() const { return FCurrentPath; }
    bool HasCurrentKey() const { return FOpen; }

    bool OpenKey(std::string_view Key, bool CanCreate);
    bool OpenKeyReadOnly(std::string_view Key);
    void CloseKey();
    bool CreateKey(std::string_view Key);
    bool KeyExists(std::string_view Key);
    // Deletes the key with all its subkeys; false when it does not exist.
    bool DeleteKey(std::string_view Key);

    bool ValueExists(std::string_view Name);
    bool DeleteValue(std::string_view Name);
    bool HasSubKeys();
    std::vector<std::string> GetKeyNames();    // subkeys of the current key
    std::vector<std::string> GetValueNames();  // the default value is ""
    bool GetDataInfo(std::string_view Name, TRegDataInfo& Info);
    TRegDataType GetDataType(std::string_view Name);
    int GetDataSize(std::string_view Name);  // -1 when missing
    uint32_t GetValueType(std::string_view Name);  // REG_*; REG_NONE when missing

    // Missing value: "". Another type: "Invalid data type for '%s'".
    std::string ReadString(std::string_view Name);
    void WriteString(std::string_view Name, std::string_view Value);
    void WriteExpandString(std::string_view Name, std::string_view Value);
    // Missing value: "Failed to get data for '%s'". Another type: invalid data type.
    int32_t ReadInteger(std::string_view Name);
    void WriteInteger(std::string_view Name, int32_t Value);
    bool ReadBool(std::string_view Name) { return ReadInteger(Name) != 0; }
    void WriteBool(std::string_view Name, bool Value) { WriteInteger(Name, Value ? 1 : 0); }
    std::vector<uint8_t> ReadBinaryData(std::string_view Name);
    void WriteBinaryData(std::string_view Name, const std::vector<uint8_t>& Value);
    std::vector<std::string> ReadMultiString(std::string_view Name);
    void WriteMultiString(std::string_view Name, const std::vector<std::string>& Value);

    // Any type, the data as stored: UTF-8 text for strings (no terminator),
    // items each ending in '\0' for multi-strings, raw bytes otherwise.
    // Reading answers false when the value is missing; writing raises the
    // wrapper's write error, with the platform's error set for a refused name.
    bool ReadValue(std::string_view Name, uint32_t& Type, std::string& Data);
    void WriteValue(std::string_view Name, uint32_t Type, std::string Data);

private:
    struct TTarget;
    bool Resolve(std::string_view Key, TTarget& Target) const;

    HKEY FRootKey = HKEY_CURRENT_USER;
    bool FOpen = false;
    bool FReadOnly = false;
    std::string FCurrentPath;
};

// The file bytes of a key and all its subkeys (the whole root, its own values
// included, when Key is empty), in a format regedit imports; empty when the key
// does not exist.
std::string ExportRegistryKey(HKEY Root, std::string_view Key);

// Applies a .reg file as regedit does: a section creates its key, "[-key]"
// deletes a key with its subkeys and "Name"=- a value. The whole file is
// checked first, so a malformed file or an unknown root changes nothing;
// then each hive it touches is changed and saved at once. Source names the
// file in errors.
void ImportRegistryText(std::string_view Bytes, const std::string& Source);

}  // namespace platform::os
