#pragma once
// The exceptions of the network layer. Each carries the message text the
// caller shows or reduces to a failed synchronisation; the socket error also
// carries its number.

#include <stdexcept>
#include <string>
#include <utility>

namespace kairos {

inline constexpr const char* RSConnectionClosedGracefully = "Connection Closed Gracefully.";
inline constexpr const char* RSCannotAllocateSocket = "Cannot allocate socket.";
inline constexpr const char* RSPackageSizeTooBig = "Package Size Too Big.";
inline constexpr const char* RSNotAllBytesSent = "Not all bytes sent.";
inline constexpr const char* RSSetSizeExceeded = "Set Size Exceeded.";
inline constexpr const char* RSWinsockInitializationError = "Winsock Initialization Error.";

class EIdException : public std::runtime_error {
public:
    explicit EIdException(const std::string& message) : std::runtime_error(message) {}
};

// Failures the caller is expected to take as a normal end, not an error.
class EIdSilentException : public EIdException {
    using EIdException::EIdException;
};

class EIdConnClosedGracefully : public EIdSilentException {
public:
    EIdConnClosedGracefully() : EIdSilentException(RSConnectionClosedGracefully) {}
};

class EIdSocketHandleError : public EIdException {
    using EIdException::EIdException;
};

class EIdPackageSizeTooBig : public EIdSocketHandleError {
public:
    EIdPackageSizeTooBig() : EIdSocketHandleError(RSPackageSizeTooBig) {}
};

class EIdNotAllBytesSent : public EIdSocketHandleError {
public:
    EIdNotAllBytesSent() : EIdSocketHandleError(RSNotAllBytesSent) {}
};

class EIdInvalidSocket : public EIdException {
public:
    EIdInvalidSocket() : EIdException(RSCannotAllocateSocket) {}
};

class EIdStackError : public EIdException {
    using EIdException::EIdException;
};

class EIdStackSetSizeExceeded : public EIdStackError {
public:
    EIdStackSetSizeExceeded() : EIdStackError(RSSetSizeExceeded) {}
};

class EIdStackInitializationFailed : public EIdStackError {
public:
    EIdStackInitializationFailed() : EIdStackError(RSWinsockInitializationError) {}
};

// The socket library of the system could not be loaded or lacks a function.
// Kept for the shape of the hierarchy: on POSIX the socket calls are part of
// the C library and this is never raised.
class EIdWS2StubError : public EIdException {
public:
    EIdWS2StubError(int win32Error, std::string win32ErrorText, const std::string& message)
        : EIdException(win32ErrorText + ": " + message),
          win32Error_(win32Error),
          win32ErrorText_(std::move(win32ErrorText)) {}

    int Win32Error() const { return win32Error_; }
    const std::string& Win32ErrorText() const { return win32ErrorText_; }

private:
    int win32Error_;
    std::string win32ErrorText_;
};

class EIdSocketError : public EIdException {
public:
    EIdSocketError(int lastError, const std::string& message) : EIdException(message), lastError_(lastError) {}

    int LastError() const { return lastError_; }

private:
    int lastError_;
};

}  // namespace kairos
