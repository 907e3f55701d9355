// Replaces the global operator new of a benchmark program to count its heap
// allocations.

#include "AllocationCounter.h"

#include <cstdlib>
#include <new>

// ---- Allocation counting ----------------------------------------------------
//
// Every global operator new goes through one counter. Benchmarks run on one
// thread, so a plain thread-local count is exact and costs the measured code
// next to nothing.

namespace kairos::bench {

std::uint64_t& AllocationCount() {
    thread_local std::uint64_t count = 0;
    return count;
}

}  // namespace kairos::bench

namespace {

void* Allocate(std::size_t size, std::size_t alignment) {
    if (size == 0) size = 1;
    for (;;) {
        void* memory = nullptr;
        if (alignment <= __STDCPP_DEFAULT_NEW_ALIGNMENT__) {
            memory = std::malloc(size);
        } else if (posix_memalign(&memory, alignment, size) != 0) {
            memory = nullptr;
        }
        if (memory != nullptr) {
            ++kairos::bench::AllocationCount();
            return memory;
        }
        const std::new_handler handler = std::get_new_handler();
        if (handler == nullptr) throw std::bad_alloc();
        handler();
    }
}

void* AllocateNoThrow(std::size_t size, std::size_t alignment) noexcept {
    try {
        return Allocate(size, alignment);
    } catch (...) {
        return nullptr;
    }
}

constexpr std::size_t DefaultAlignment = __STDCPP_DEFAULT_NEW_ALIGNMENT__;

}  // namespace

void* operator new(std::size_t size) { return Allocate(size, DefaultAlignment); }
void* operator new[](std::size_t size) { return Allocate(size, DefaultAlignment); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return AllocateNoThrow(size, DefaultAlignment); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return AllocateNoThrow(size, DefaultAlignment);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return Allocate(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return Allocate(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return AllocateNoThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return AllocateNoThrow(size, static_cast<std::size_t>(alignment));
}

// malloc and posix_memalign memory are both released with free.
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept { std::free(memory); }
