#pragma once

namespace drifthold::test {

// Allocations made through operator new so far in this program, by any thread. OpenAL's
// own code is C and allocates with malloc, so what is counted is the game's and the test's.
long allocationCount();

} // namespace drifthold::test
