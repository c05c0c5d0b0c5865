#pragma once
// Files and folders over Windows paths. Routines that answer a Boolean set the
// last error (GetLastError) when they fail, as the platform's do.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "Streams.h"

namespace platform::os {

enum : uint32_t {
    FILE_ATTRIBUTE_READONLY = 0x01,
    FILE_ATTRIBUTE_HIDDEN = 0x02,
    FILE_ATTRIBUTE_SYSTEM = 0x04,
    FILE_ATTRIBUTE_DIRECTORY = 0x10,
    FILE_ATTRIBUTE_ARCHIVE = 0x20,
    FILE_ATTRIBUTE_NORMAL = 0x80,
    INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF,
};

bool FileExists(std::string_view WinPath);        // a file, not a folder
bool DirectoryExists(std::string_view WinPath);
// Creates the folder and every missing parent; true when it exists afterwards.
bool ForceDirectories(std::string_view WinPath);
bool CreateDir(std::string_view WinPath);         // one level; fails when it exists
bool RemoveDir(std::string_view WinPath);         // only an empty folder
// A file, never a folder; a read-only file (ERROR_ACCESS_DENIED) or one that
// a stream holds with a sharing lock (ERROR_SHARING_VIOLATION) stays.
bool DeleteFile(std::string_view WinPath);

// DIRECTORY for folders, ARCHIVE for files, plus READONLY when the owner may
// not write and HIDDEN for names that start with a dot.
uint32_t GetFileAttributes(std::string_view WinPath);
// Only READONLY is kept by the host; other bits are accepted and ignored.
bool SetFileAttributes(std::string_view WinPath, uint32_t Attributes);
// Clears every attribute (makes a read-only file writable again).
bool ClearFileAttributes(std::string_view WinPath);

// The process's current folder, as a Windows path (the host's working folder).
std::string GetCurrentDir();
bool SetCurrentDir(std::string_view WinPath);

// The running program's file as a Windows path (Z:\... outside the prefix).
std::string GetModuleFileName();

// A file stream over a Windows path, with the open modes of Streams.h.
// Opening for writing holds the file exclusively: a file another process
// holds fails with EFOpenError carrying ERROR_SHARING_VIOLATION (32).
// Errors name the Windows path and set the last error.
std::unique_ptr<TFileStream> OpenFileStream(std::string_view WinPath, uint32_t Mode);

// Puts what was written to File on the disk, so that it survives a power
// loss; false (and the last error) when the system refuses.
bool FlushFileBuffers(TFileStream& File);

}  // namespace platform::os
