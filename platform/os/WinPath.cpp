#include "WinPath.h"

#include <cctype>

namespace platform::os {

namespace {

bool IsDriveLetterPath(std::string_view Path) {
    return Path.size() >= 2 && std::isalpha(static_cast<unsigned char>(Path[0])) && Path[1] == ':';
}

bool IsUncPath(std::string_view Path) { return Path.size() >= 2 && Path[0] == '\\' && Path[1] == '\\'; }

// Index of the last '\' or ':' (the delimiters of a file name), or npos.
size_t LastNameDelimiter(std::string_view Path) { return Path.find_last_of("\\:"); }

}  // namespace

bool IsPathDelimiter(std::string_view Path, size_t Index) { return Index < Path.size() && Path[Index] == '\\'; }

std::string ExtractFileDrive(std::string_view Path) {
    if (IsDriveLetterPath(Path)) return std::string(Path.substr(0, 2));
    if (!IsUncPath(Path)) return {};
    // "\\server\share": the two components after the leading double backslash.
    const size_t ServerEnd = Path.find('\\', 2);
    if (ServerEnd == std::string_view::npos || ServerEnd == 2) return {};
    const size_t ShareEnd = Path.find('\\', ServerEnd + 1);
    if (ShareEnd == ServerEnd + 1) return {};
    return std::string(Path.substr(0, ShareEnd));
}

std::string IncludeTrailingBackslash(std::string_view Path) {
    std::string Out(Path);
    if (Out.empty() || Out.back() != '\\') Out += '\\';
    return Out;
}

std::string ExcludeTrailingBackslash(std::string_view Path) {
    std::string Out(Path);
    if (!Out.empty() && Out.back() == '\\') Out.pop_back();
    return Out;
}

std::string ExtractFilePath(std::string_view Path) {
    const size_t Last = LastNameDelimiter(Path);
    return Last == std::string_view::npos ? std::string() : std::string(Path.substr(0, Last + 1));
}

std::string ExtractFileDir(std::string_view Path) {
    const size_t Last = LastNameDelimiter(Path);
    if (Last == std::string_view::npos) return {};
    // Keep the root backslash of "C:\" and the colon of "C:".
    if (Last > 0 && Path[Last] == '\\' && Path[Last - 1] != ':' && Path[Last - 1] != '\\')
        return std::string(Path.substr(0, Last));
    return std::string(Path.substr(0, Last + 1));
}

std::string ExtractFileName(std::string_view Path) {
    const size_t Last = LastNameDelimiter(Path);
    return std::string(Last == std::string_view::npos ? Path : Path.substr(Last + 1));
}

std::string ExtractFileExt(std::string_view Path) {
    const size_t Dot = Path.find_last_of(".\\:");
    if (Dot == std::string_view::npos || Path[Dot] != '.') return {};
    return std::string(Path.substr(Dot));
}

std::string ChangeFileExt(std::string_view Path, std::string_view Extension) {
    const size_t Dot = Path.find_last_of(".\\:");
    const size_t Stem = (Dot == std::string_view::npos || Path[Dot] != '.') ? Path.size() : Dot;
    return std::string(Path.substr(0, Stem)) + std::string(Extension);
}

bool IsAbsoluteWinPath(std::string_view Path) {
    if (IsDriveLetterPath(Path)) return Path.size() >= 3 && Path[2] == '\\';
    return !ExtractFileDrive(Path).empty();
}

}  // namespace platform::os
