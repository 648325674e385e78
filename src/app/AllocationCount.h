#pragma once
#include <cstdint>

namespace drifthold {

// Heap allocations made by the game's own code since this was first asked (counting
// starts then). Only the benchmark's executables define it (AllocationCount.cpp replaces
// the global operator new to count); the GPU timers of the benchmark build print it per
// frame.
std::uint64_t allocationCount();

} // namespace drifthold
