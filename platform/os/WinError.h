#pragma once
// Windows error codes as the system's callers see them, the system's message
// text for each, and the mapping from host errors. One table for the whole program.
#include <cstdint>
#include <string>

namespace platform::os {

enum : uint32_t {
    ERROR_SUCCESS = 0,
    ERROR_FILE_NOT_FOUND = 2,
    ERROR_PATH_NOT_FOUND = 3,
    ERROR_TOO_MANY_OPEN_FILES = 4,
    ERROR_ACCESS_DENIED = 5,
    ERROR_INVALID_HANDLE = 6,
    ERROR_NOT_ENOUGH_MEMORY = 8,
    ERROR_INVALID_DATA = 13,
    ERROR_BAD_FORMAT = 11,
    ERROR_INVALID_DRIVE = 15,
    ERROR_WRITE_PROTECT = 19,
    ERROR_NOT_READY = 21,
    ERROR_SHARING_VIOLATION = 32,
    ERROR_LOCK_VIOLATION = 33,
    ERROR_HANDLE_EOF = 38,
    ERROR_HANDLE_DISK_FULL = 39,
    ERROR_BAD_NETPATH = 53,
    ERROR_FILE_EXISTS = 80,
    ERROR_INVALID_PARAMETER = 87,
    ERROR_BROKEN_PIPE = 109,
    ERROR_DISK_FULL = 112,
    ERROR_INSUFFICIENT_BUFFER = 122,
    ERROR_INVALID_NAME = 123,
    ERROR_DIR_NOT_EMPTY = 145,
    ERROR_BAD_PATHNAME = 161,
    ERROR_BAD_EXE_FORMAT = 193,
    ERROR_ENVVAR_NOT_FOUND = 203,
    ERROR_ALREADY_EXISTS = 183,
    ERROR_FILENAME_EXCED_RANGE = 206,
    ERROR_MORE_DATA = 234,
    ERROR_NO_MORE_ITEMS = 259,
    ERROR_DIRECTORY = 267,
    ERROR_CANCELLED = 1223,
    ERROR_IO_DEVICE = 1117,
    ERROR_BADDB = 1009,
    ERROR_BADKEY = 1010,
    ERROR_CANTREAD = 1012,
    ERROR_CANTWRITE = 1013,
    ERROR_REGISTRY_CORRUPT = 1015,
    ERROR_KEY_DELETED = 1018,
    ERROR_UNKNOWN_PRODUCT = 1605,
};

// The system's message text for a code, as FormatMessage gives it (with the
// final period, without the line break).
std::string SysErrorMessage(uint32_t ErrorCode);

// Windows code for a host errno value.
uint32_t WinErrorFromErrno(int Errno);

// The calling thread's last error, as set by the emulated services.
uint32_t GetLastError();
void SetLastError(uint32_t ErrorCode);

}  // namespace platform::os
