#pragma once
// Heap allocations of the calling thread, counted by the benchmark's own
// global operator new; linking AllocationCounter.cpp installs it.

#include <cstdint>

namespace kairos::bench {

std::uint64_t& AllocationCount();

}  // namespace kairos::bench
