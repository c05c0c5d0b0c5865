#include "Files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "Exceptions.h"
#include "WinEnv.h"
#include "WinError.h"

namespace fs = std::filesystem;

namespace platform::os {

namespace {

// The host path of a Windows path, or false with the last error set.
bool Map(std::string_view WinPath, fs::path& Host) {
    uint32_t Error = ERROR_SUCCESS;
    if (TryHostPath(WinPath, Host, Error)) return true;
    SetLastError(Error);
    return false;
}

bool Fail(int Errno) {
    SetLastError(WinErrorFromErrno(Errno));
    return false;
}

bool Succeed() {
    SetLastError(ERROR_SUCCESS);
    return true;
}

// A missing file whose folder is missing too is a missing path, as on the platform.
uint32_t MissingCode(const fs::path& Host, uint32_t Code) {
    if (Code == ERROR_FILE_NOT_FOUND && !fs::is_directory(Host.parent_path())) return ERROR_PATH_NOT_FOUND;
    return Code;
}

// Stats a Windows path; false with the last error set.
bool StatOf(std::string_view WinPath, fs::path& Host, struct stat& Info) {
    if (!Map(WinPath, Host)) return false;
    if (::stat(Host.c_str(), &Info) == 0) return true;
    SetLastError(MissingCode(Host, WinErrorFromErrno(errno)));
    return false;
}

}  // namespace

bool FileExists(std::string_view WinPath) {
    fs::path Host;
    struct stat Info {};
    return StatOf(WinPath, Host, Info) && !S_ISDIR(Info.st_mode);
}

bool DirectoryExists(std::string_view WinPath) {
    fs::path Host;
    struct stat Info {};
    return StatOf(WinPath, Host, Info) && S_ISDIR(Info.st_mode);
}

bool ForceDirectories(std::string_view WinPath) {
    fs::path Host;
    if (!Map(WinPath, Host)) return false;
    std::error_code Error;
    fs::create_directories(Host, Error);
    if (fs::is_directory(Host)) return Succeed();
    return Fail(Error ? Error.value() : EEXIST);
}

bool CreateDir(std::string_view WinPath) {
    fs::path Host;
    if (!Map(WinPath, Host)) return false;
    if (::mkdir(Host.c_str(), 0755) != 0) {
        SetLastError(MissingCode(Host, WinErrorFromErrno(errno)));
        return false;
    }
    return Succeed();
}

bool RemoveDir(std::string_view WinPath) {
    fs::path Host;
    if (!Map(WinPath, Host)) return false;
    if (::rmdir(Host.c_str()) != 0) {
        // rmdir of a file reports ENOTDIR; the platform calls that an invalid folder name.
        SetLastError(errno == ENOTDIR ? ERROR_DIRECTORY : MissingCode(Host, WinErrorFromErrno(errno)));
        return false;
    }
    return Succeed();
}

bool DeleteFile(std::string_view WinPath) {
    fs::path Host;
    if (!Map(WinPath, Host)) return false;
    struct stat Info {};
    if (::lstat(Host.c_str(), &Info) == 0 && S_ISDIR(Info.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    // The platform refuses to delete a read-only file.
    if (::lstat(Host.c_str(), &Info) == 0 && !S_ISLNK(Info.st_mode) && !(Info.st_mode & S_IWUSR)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    // A file another process holds open (a running program, a locked
    // stream) cannot be deleted, as on the platform.
    const int Handle = ::open(Host.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (Handle >= 0 && ::flock(Handle, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        ::close(Handle);
        SetLastError(ERROR_SHARING_VIOLATION);
        return false;
    }
    const bool Deleted = ::unlink(Host.c_str()) == 0;
    const int Error = errno;
    if (Handle >= 0) ::close(Handle);
    if (!Deleted) {
        SetLastError(MissingCode(Host, WinErrorFromErrno(Error)));
        return false;
    }
    return Succeed();
}

uint32_t GetFileAttributes(std::string_view WinPath) {
    fs::path Host;
    struct stat Info {};
    if (!StatOf(WinPath, Host, Info)) return INVALID_FILE_ATTRIBUTES;
    uint32_t Attributes = S_ISDIR(Info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (!(Info.st_mode & S_IWUSR)) Attributes |= FILE_ATTRIBUTE_READONLY;
    if (Host.filename().string().rfind('.', 0) == 0) Attributes |= FILE_ATTRIBUTE_HIDDEN;
    SetLastError(ERROR_SUCCESS);
    return Attributes;
}

bool SetFileAttributes(std::string_view WinPath, uint32_t Attributes) {
    fs::path Host;
    struct stat Info {};
    if (!StatOf(WinPath, Host, Info)) return false;
    mode_t Mode = Info.st_mode & 07777;
    Mode = (Attributes & FILE_ATTRIBUTE_READONLY) ? (Mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH)) : (Mode | S_IWUSR);
    if (::chmod(Host.c_str(), Mode) != 0) return Fail(errno);
    return Succeed();
}

bool ClearFileAttributes(std::string_view WinPath) { return SetFileAttributes(WinPath, FILE_ATTRIBUTE_NORMAL); }

std::string GetCurrentDir() {
    std::error_code Error;
    const fs::path Current = fs::current_path(Error);
    return Error ? std::string() : WinPathFromHost(Current);
}

bool SetCurrentDir(std::string_view WinPath) {
    fs::path Host;
    if (!Map(WinPath, Host)) return false;
    if (::chdir(Host.c_str()) != 0) {
        SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : WinErrorFromErrno(errno));
        return false;
    }
    return Succeed();
}

std::string GetModuleFileName() {
    std::error_code Error;
    const fs::path Self = fs::read_symlink("/proc/self/exe", Error);
    return Error ? std::string() : WinPathFromHost(Self);
}

std::unique_ptr<TFileStream> OpenFileStream(std::string_view WinPath, uint32_t Mode) {
    const std::string Name(WinPath);
    fs::path Host;
    uint32_t Error = ERROR_SUCCESS;
    if (TryHostPath(WinPath, Host, Error)) {
        try {
            auto Stream = std::make_unique<TFileStream>(Host, Mode);
            SetLastError(ERROR_SUCCESS);
            return Stream;
        } catch (const EFOpenError& E) {
            Error = MissingCode(Host, E.ErrorCode());
        }
    }
    SetLastError(Error);
    throw EFOpenError(Name, Error);
}

bool FlushFileBuffers(TFileStream& File) {
    if (::fsync(File.Handle()) != 0) return Fail(errno);
    return Succeed();
}

}  // namespace platform::os
