#pragma once
// Windows path text, taken apart as the platform does: backslash separators,
// a drive part that is "X:" or "\\server\share". Pure string work; nothing
// here touches the file system.
#include <string>
#include <string_view>

namespace platform::os {

bool IsPathDelimiter(std::string_view Path, size_t Index);
// "C:" for "C:\a\b", "\\server\share" for "\\server\share\a", empty otherwise.
std::string ExtractFileDrive(std::string_view Path);
std::string IncludeTrailingBackslash(std::string_view Path);
std::string ExcludeTrailingBackslash(std::string_view Path);
// Everything up to and including the last backslash or drive colon.
std::string ExtractFilePath(std::string_view Path);
// ExtractFilePath without its trailing backslash (unless that is the drive root "C:\").
std::string ExtractFileDir(std::string_view Path);
// Everything after the last backslash or drive colon.
std::string ExtractFileName(std::string_view Path);
// The extension with its dot ("" when the name has none).
std::string ExtractFileExt(std::string_view Path);
std::string ChangeFileExt(std::string_view Path, std::string_view Extension);
// True for "C:\..." and "\\server\share\..." paths.
bool IsAbsoluteWinPath(std::string_view Path);
// A full path as the platform's shell stores it: '/' read as '\', repeated
// separators merged, "." and ".." folded (never above the drive). A path that
// is not full after the slashes are turned comes back with only that change.
std::string CanonicalWinPath(std::string_view Path);
// Why Windows cannot hold Name as a file name: empty, "." or "..", one of
// \ / : * ? " < > | or a control character, a final dot or blank, or a device
// name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, also with an extension). Empty
// when it can.
std::string FileNameProblem(std::string_view Name);

}  // namespace platform::os
