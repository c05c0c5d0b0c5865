#include "RegCommand.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "platform/os/Exceptions.h"
#include "platform/os/Registry.h"
#include "platform/os/Streams.h"
#include "platform/os/Text.h"
#include "platform/os/WinError.h"

using namespace platform::os;

namespace winenv {

namespace {

struct TRegArgs {
    std::string Operation;
    HKEY Root = 0;
    std::string Key;
    std::optional<std::string> Value;  // "" for the default value (/ve)
    bool AllValues = false;            // /va
    bool Recursive = false;            // /s
    std::string Type = "REG_SZ";
    std::string Data;
    std::string Separator = "\\0";
    std::string File;  // export target
};

bool IsSwitch(const std::string& Arg, const char* Name) {
    return Arg.size() > 1 && (Arg[0] == '/' || Arg[0] == '-') && SameText(Arg.substr(1), Name);
}

void ParseArgs(const std::vector<std::string>& Args, TRegArgs& Out) {
    if (Args.size() < 2) throw Exception("usage: winenv reg query|add|delete|export KEY [options] | import FILE.reg");
    Out.Operation = AnsiLowerCase(Args[0]);
    const size_t Slash = Args[1].find('\\');
    Out.Root = RootKeyFromName(Args[1].substr(0, Slash));
    if (!Out.Root) throw Exception(Format("\"%s\" does not start with a registry root", Args[1].c_str()));
    Out.Key = Slash == std::string::npos ? "" : Args[1].substr(Slash + 1);
    for (size_t I = 2; I < Args.size(); ++I) {
        const std::string& Arg = Args[I];
        auto Next = [&]() -> std::string {
            if (I + 1 >= Args.size()) throw Exception(Format("%s needs a value", Arg.c_str()));
            return Args[++I];
        };
        if (IsSwitch(Arg, "v")) Out.Value = Next();
        else if (IsSwitch(Arg, "ve")) Out.Value = "";
        else if (IsSwitch(Arg, "va")) Out.AllValues = true;
        else if (IsSwitch(Arg, "s")) Out.Recursive = true;
        else if (IsSwitch(Arg, "t")) Out.Type = AnsiUpperCase(Next());
        else if (IsSwitch(Arg, "d")) Out.Data = Next();
        else if (IsSwitch(Arg, "se")) Out.Separator = Next();
        else if (IsSwitch(Arg, "f") || IsSwitch(Arg, "y")) continue;  // never asks anyway
        else if (Out.Operation == "export" && Out.File.empty()) Out.File = Arg;
        else throw Exception(Format("unknown option \"%s\"", Arg.c_str()));
    }
}

struct TTypeName {
    uint32_t Type;
    const char* Name;
};
const TTypeName kTypeNames[] = {
    {REG_NONE, "REG_NONE"},     {REG_SZ, "REG_SZ"},       {REG_EXPAND_SZ, "REG_EXPAND_SZ"}, {REG_BINARY, "REG_BINARY"},
    {REG_DWORD, "REG_DWORD"},   {REG_MULTI_SZ, "REG_MULTI_SZ"}, {REG_QWORD, "REG_QWORD"}};

std::string TypeName(uint32_t Type) {
    for (const TTypeName& Each : kTypeNames)
        if (Each.Type == Type) return Each.Name;
    return Format("REG_0x%x", Type);
}

uint64_t LittleEndian(const std::string& Data) {
    uint64_t Number = 0;
    for (size_t I = Data.size(); I-- > 0;) Number = (Number << 8) | static_cast<unsigned char>(Data[I]);
    return Number;
}

std::string Describe(TRegistry& Reg, const std::string& Name) {
    uint32_t Type = REG_NONE;
    std::string Data;
    Reg.ReadValue(Name, Type, Data);
    std::string Text;
    if (Type == REG_SZ || Type == REG_EXPAND_SZ) {
        Text = Data;
    } else if ((Type == REG_DWORD && Data.size() == 4) || (Type == REG_QWORD && Data.size() == 8)) {
        Text = Format("0x%llx", static_cast<unsigned long long>(LittleEndian(Data)));
    } else if (Type == REG_MULTI_SZ) {
        for (const std::string& Item : Reg.ReadMultiString(Name)) Text += (Text.empty() ? "" : "\\0") + Item;
    } else {
        for (char Byte : Data) Text += Format("%02X", static_cast<unsigned char>(Byte));
    }
    return TypeName(Type) + "    " + Text;
}

void PrintKey(TRegistry& Reg, const std::string& Path, const std::optional<std::string>& Only, bool Recursive) {
    std::printf("\n%s\n", Path.c_str());
    for (const std::string& Name : Reg.GetValueNames())
        if (!Only || SameText(*Only, Name))
            std::printf("    %s    %s\n", Name.empty() ? "(Default)" : Name.c_str(), Describe(Reg, Name).c_str());
    const std::string Current = Reg.CurrentPath();
    for (const std::string& Sub : Reg.GetKeyNames()) {
        if (!Recursive) {
            std::printf("%s\\%s\n", Path.c_str(), Sub.c_str());
            continue;
        }
        if (Reg.OpenKey("\\" + Current + "\\" + Sub, false)) PrintKey(Reg, Path + "\\" + Sub, Only, true);
    }
    Reg.OpenKey("\\" + Current, false);
}

int Query(TRegistry& Reg, const TRegArgs& A) {
    if (!Reg.OpenKeyReadOnly(A.Key)) throw Exception("the registry key was not found");
    if (A.Value && !Reg.ValueExists(*A.Value)) throw Exception("the registry value was not found");
    PrintKey(Reg, RootKeyName(A.Root) + (A.Key.empty() ? "" : "\\" + A.Key), A.Value, A.Recursive);
    return 0;
}

// Hex digits in pairs, as REG_BINARY and REG_NONE data are given.
std::string HexBytes(const std::string& Text) {
    if (Text.size() % 2 || Text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        throw Exception(Format("\"%s\" is not binary data: give pairs of hex digits", Text.c_str()));
    std::string Bytes;
    for (size_t I = 0; I < Text.size(); I += 2) Bytes += static_cast<char>(std::stoi(Text.substr(I, 2), nullptr, 16));
    return Bytes;
}

// A decimal or "0x" hex number up to Max, as the platform's tool reads them,
// in Bytes little-endian bytes; nothing else may follow the digits.
std::string NumberData(const std::string& Text, int Bytes, const std::string& Type) {
    const uint64_t Max = Bytes == 8 ? UINT64_MAX : UINT32_MAX;
    const bool Hex = Text.size() > 2 && Text[0] == '0' && (Text[1] == 'x' || Text[1] == 'X');
    const std::string_view Digits = std::string_view(Text).substr(Hex ? 2 : 0);
    uint64_t Number = 0;
    const auto [End, Error] = std::from_chars(Digits.data(), Digits.data() + Digits.size(), Number, Hex ? 16 : 10);
    const bool Whole = Error == std::errc() && End == Digits.data() + Digits.size();
    if (!Text.empty() && (Digits.empty() || !Whole || Number > Max))
        throw Exception(Format("\"%s\" is not valid %s data: give a decimal or 0x hex number from 0 to %llu",
                               Text.c_str(), Type.c_str(), static_cast<unsigned long long>(Max)));
    std::string Data;
    for (int I = 0; I < Bytes; ++I) Data += static_cast<char>((Number >> (8 * I)) & 0xFF);
    return Data;
}

std::vector<std::string> MultiStringItems(const TRegArgs& A) {
    std::vector<std::string> Items;
    for (size_t Start = 0; Start <= A.Data.size();) {
        size_t End = A.Data.find(A.Separator, Start);
        if (End == std::string::npos) End = A.Data.size();
        if (End > Start) Items.push_back(A.Data.substr(Start, End - Start));
        Start = End + A.Separator.size();
    }
    return Items;
}

int Add(TRegistry& Reg, const TRegArgs& A) {
    // The data is checked before the key is made, so refused data changes nothing.
    std::string Data;
    uint32_t Type = REG_NONE;
    if (A.Type == "REG_SZ" || A.Type == "REG_EXPAND_SZ") Data = A.Data;
    else if (A.Type == "REG_DWORD") Data = NumberData(A.Data, 4, A.Type);
    else if (A.Type == "REG_QWORD") Data = NumberData(A.Data, 8, A.Type);
    else if (A.Type == "REG_BINARY" || A.Type == "REG_NONE") Data = HexBytes(A.Data);
    else if (A.Type != "REG_MULTI_SZ") throw Exception(Format("unknown value type \"%s\"", A.Type.c_str()));
    for (const TTypeName& Each : kTypeNames)
        if (A.Type == Each.Name) Type = Each.Type;
    if (!Reg.OpenKey(A.Key, true))
        throw Exception("the registry key cannot be created: " + SysErrorMessage(GetLastError()));
    if (!A.Value) return 0;
    if (Type == REG_MULTI_SZ) Reg.WriteMultiString(*A.Value, MultiStringItems(A));
    else Reg.WriteValue(*A.Value, Type, std::move(Data));
    return 0;
}

int Delete(TRegistry& Reg, const TRegArgs& A) {
    if (!A.Value && !A.AllValues) {
        if (!Reg.DeleteKey(A.Key)) throw Exception("the registry key was not found");
        return 0;
    }
    if (!Reg.OpenKey(A.Key, false)) throw Exception("the registry key was not found");
    if (A.AllValues) {
        for (const std::string& Name : Reg.GetValueNames()) Reg.DeleteValue(Name);
        return 0;
    }
    if (!Reg.DeleteValue(*A.Value)) throw Exception("the registry value was not found");
    return 0;
}

int Export(const TRegArgs& A) {
    const std::string Text = ExportRegistryKey(A.Root, A.Key);
    if (Text.empty()) throw Exception("the registry key was not found");
    if (A.File.empty() || A.File == "-") std::fwrite(Text.data(), 1, Text.size(), stdout);
    else WriteHostFile(A.File, Text);
    return 0;
}

}  // namespace

int RegCommand(const std::vector<std::string>& Args) {
    try {
        if (Args.size() == 2 && SameText(Args[0], "import")) {
            ImportRegistryText(ReadHostFile(Args[1]), Args[1]);
            return 0;
        }
        TRegArgs A;
        ParseArgs(Args, A);
        TRegistry Reg;
        Reg.SetRootKey(A.Root);
        if (A.Operation == "query") return Query(Reg, A);
        if (A.Operation == "add") return Add(Reg, A);
        if (A.Operation == "delete") return Delete(Reg, A);
        if (A.Operation == "export") return Export(A);
        throw Exception(Format("unknown operation \"%s\"", A.Operation.c_str()));
    } catch (const std::exception& E) {
        std::fprintf(stderr, "winenv reg: %s\n", E.what());
        return 1;
    }
}

}  // namespace winenv
