#pragma once
// A kernel object handle, closed exactly once when its owner goes.

#include <windows.h>

#include <utility>

namespace kairos::platform {

class UniqueHandle {
public:
    UniqueHandle() = default;
    // Takes both of the system's "no handle" values: CreateFile gives
    // INVALID_HANDLE_VALUE, most other calls a null handle.
    explicit UniqueHandle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE Get() const { return handle_; }
    bool IsOpen() const { return handle_ != nullptr; }
    HANDLE Release() { return std::exchange(handle_, nullptr); }
    void Reset() noexcept {
        if (handle_ != nullptr) CloseHandle(std::exchange(handle_, nullptr));
    }

private:
    HANDLE handle_ = nullptr;
};

}  // namespace kairos::platform
