#pragma once
#include <cstdint>

namespace drifthold {

// Heap allocations made by the game's own code since this was first asked (counting
// starts then). Defined with a global operator new that counts (AllocationCount.cpp), so
// it comes with the diagnostics library into the benchmark's executables only; the GPU
// timers print it per frame.
std::uint64_t allocationCount();

} // namespace drifthold
