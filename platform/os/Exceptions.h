#pragma once
// The exception kinds every layer raises. All carry a message; the kind tells
// callers how to react (EAbort is silent, EOSError carries a Windows code).
#include <cstdint>
#include <exception>
#include <string>

namespace platform::os {

class Exception : public std::exception {
public:
    explicit Exception(std::string Message) : FMessage(std::move(Message)) {}
    const std::string& Message() const { return FMessage; }
    void SetMessage(std::string Value) { FMessage = std::move(Value); }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

// The silent abort: unwinds an operation the user already knows about.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};

class EListError : public Exception {
public:
    using Exception::Exception;
    static EListError IndexOutOfBounds(int64_t Index);
};

class EStreamError : public Exception {
public:
    using Exception::Exception;
};

class EReadError : public EStreamError {
public:
    EReadError() : EStreamError("Stream read error") {}
};

class EWriteError : public EStreamError {
public:
    EWriteError() : EStreamError("Stream write error") {}
};

class EOSError : public Exception {
public:
    // Message in the system's own words: "System Error.  Code: %d.\n%s".
    explicit EOSError(uint32_t ErrorCode);
    EOSError(uint32_t ErrorCode, std::string Message) : Exception(std::move(Message)), FErrorCode(ErrorCode) {}
    uint32_t ErrorCode() const { return FErrorCode; }

private:
    uint32_t FErrorCode;
};

// A file that could not be opened: a stream error that also keeps the Windows code.
class EFOpenError : public EStreamError {
public:
    EFOpenError(const std::string& FileName, uint32_t ErrorCode);
    uint32_t ErrorCode() const { return FErrorCode; }

private:
    uint32_t FErrorCode;
};

class EDecompressionError : public Exception {
public:
    EDecompressionError() : Exception("Error") {}
};

class ECompressionError : public Exception {
public:
    ECompressionError() : Exception("Error") {}
};

class EConvertError : public Exception {
public:
    using Exception::Exception;
};

}  // namespace platform::os
