#pragma once
// Short registry look-ups for test checks.
#include <string>

#include "platform/os/Registry.h"

inline bool RegKeyExists(platform::os::HKEY Root, const std::string& Key) {
    platform::os::TRegistry Reg;
    Reg.SetRootKey(Root);
    return Reg.KeyExists(Key);
}

inline bool RegValueExists(platform::os::HKEY Root, const std::string& Key, const std::string& Name) {
    platform::os::TRegistry Reg;
    Reg.SetRootKey(Root);
    return Reg.OpenKey(Key, false) && Reg.ValueExists(Name);
}

// The string value, or "(missing)" when the key or the value is not there.
inline std::string RegString(platform::os::HKEY Root, const std::string& Key, const std::string& Name) {
    platform::os::TRegistry Reg;
    Reg.SetRootKey(Root);
    if (!Reg.OpenKey(Key, false) || !Reg.ValueExists(Name)) return "(missing)";
    return Reg.ReadString(Name);
}

inline void RegWrite(platform::os::HKEY Root, const std::string& Key, const std::string& Name, const std::string& Value) {
    platform::os::TRegistry Reg;
    Reg.SetRootKey(Root);
    Reg.OpenKey(Key, true);
    Reg.WriteString(Name, Value);
}
