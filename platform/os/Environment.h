#pragma once
// Windows-style environment variables of the emulated environment: the
// prefix's "environment" file, then variables set in this process, then the
// host's own variables for names the file does not define.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::os {

// %NAME% references replaced by their values; names ignore case; an unknown
// name or a lone percent sign stays as written.
std::string ExpandEnvironmentStrings(std::string_view Source);
// The platform's calling convention: the size needed including the
// terminating zero; the text is written only when Size is enough.
uint32_t ExpandEnvironmentStringsA(const char* Source, char* Buffer, uint32_t Size);

// False (and ERROR_ENVVAR_NOT_FOUND) when the variable is not set.
bool GetEnvironmentVariable(std::string_view Name, std::string& Value);
std::string GetEnvironmentVariable(std::string_view Name);  // empty when not set
// Sets or hides a variable for this process only.
void SetEnvironmentVariable(std::string_view Name, std::string_view Value);
void RemoveEnvironmentVariable(std::string_view Name);
// Every variable of the emulated environment, sorted by name ignoring case.
std::vector<std::pair<std::string, std::string>> EnvironmentVariables();

// "C:\windows\system32", without a trailing backslash.
std::string GetSystemDirectory();
// The platform's calling convention: the length written (without the zero),
// or the size needed when Size is too small.
uint32_t GetSystemDirectoryA(char* Buffer, uint32_t Size);
std::string GetWindowsDirectory();
// The temporary folder (%TMP%, else %TEMP%, else %USERPROFILE%, else the
// Windows folder) with a trailing backslash.
std::string GetTempPath();

}  // namespace platform::os
