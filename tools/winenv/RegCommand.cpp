#include "RegCommand.h"

#include <cstdio>
#include <optional>

#include "platform/os/Exceptions.h"
#include "platform/os/Registry.h"
#include "platform/os/Streams.h"
#include "platform/os/Text.h"

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
    if (Args.size() < 2) throw Exception("usage: winenv reg query|add|delete|export KEY [options]");
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

std::string Describe(TRegistry& Reg, const std::string& Name) {
    switch (Reg.GetValueType(Name)) {
        case REG_SZ: return "REG_SZ    " + Reg.ReadString(Name);
        case REG_EXPAND_SZ: return "REG_EXPAND_SZ    " + Reg.ReadString(Name);
        case REG_DWORD: return Format("REG_DWORD    0x%x", static_cast<uint32_t>(Reg.ReadInteger(Name)));
        case REG_MULTI_SZ: {
            std::string Text;
            for (const std::string& Item : Reg.ReadMultiString(Name)) Text += (Text.empty() ? "" : "\\0") + Item;
            return "REG_MULTI_SZ    " + Text;
        }
        default: {
            std::string Text;
            for (uint8_t Byte : Reg.ReadBinaryData(Name)) Text += Format("%02X", Byte);
            return Format("REG_BINARY    %s", Text.c_str());
        }
    }
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

std::vector<uint8_t> HexBytes(const std::string& Text) {
    if (Text.size() % 2) throw Exception("REG_BINARY data needs pairs of hex digits");
    std::vector<uint8_t> Bytes;
    for (size_t I = 0; I < Text.size(); I += 2) Bytes.push_back(static_cast<uint8_t>(std::stoul(Text.substr(I, 2), nullptr, 16)));
    return Bytes;
}

int Add(TRegistry& Reg, const TRegArgs& A) {
    if (!Reg.OpenKey(A.Key, true)) throw Exception("the registry key cannot be created");
    if (!A.Value) return 0;
    const std::string& Name = *A.Value;
    if (A.Type == "REG_SZ") Reg.WriteString(Name, A.Data);
    else if (A.Type == "REG_EXPAND_SZ") Reg.WriteExpandString(Name, A.Data);
    else if (A.Type == "REG_DWORD") Reg.WriteInteger(Name, static_cast<int32_t>(std::stoul(A.Data.empty() ? "0" : A.Data, nullptr, 0)));
    else if (A.Type == "REG_BINARY") Reg.WriteBinaryData(Name, HexBytes(A.Data));
    else if (A.Type == "REG_MULTI_SZ") {
        std::vector<std::string> Items;
        for (size_t Start = 0; Start <= A.Data.size();) {
            size_t End = A.Data.find(A.Separator, Start);
            if (End == std::string::npos) End = A.Data.size();
            if (End > Start) Items.push_back(A.Data.substr(Start, End - Start));
            Start = End + A.Separator.size();
        }
        Reg.WriteMultiString(Name, Items);
    } else {
        throw Exception(Format("unknown value type \"%s\"", A.Type.c_str()));
    }
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
    if (A.File.empty() || A.File == "-") std::fputs(Text.c_str(), stdout);
    else WriteHostFile(A.File, Text);
    return 0;
}

}  // namespace

int RegCommand(const std::vector<std::string>& Args) {
    try {
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
