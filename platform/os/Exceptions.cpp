#include "Exceptions.h"

#include "Text.h"
#include "WinError.h"

namespace platform::os {

EListError EListError::IndexOutOfBounds(int64_t Index) {
    return EListError(Format("List index out of bounds (%lld)", static_cast<long long>(Index)));
}

EOSError::EOSError(uint32_t ErrorCode)
    : Exception(Format("System Error.  Code: %u.\n%s", ErrorCode, SysErrorMessage(ErrorCode).c_str())),
      FErrorCode(ErrorCode) {}

EFOpenError::EFOpenError(const std::string& FileName, uint32_t ErrorCode)
    : EStreamError(Format("Cannot open file \"%s\". %s", FileName.c_str(), SysErrorMessage(ErrorCode).c_str())),
      FErrorCode(ErrorCode) {}

}  // namespace platform::os
