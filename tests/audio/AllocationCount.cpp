// The audio tests' global operator new and delete: malloc and free, and a count, so a test
// can hold the audio module to no allocation per call after start-up. In a file of its own
// so that no caller sees delete's free() inlined beside new's malloc().
#include "audio/AllocationCount.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> allocations{0};
}

long drifthold::test::allocationCount() {
    return allocations.load();
}

void* operator new(std::size_t size) {
    ++allocations;
    if (void* block = std::malloc(size != 0 ? size : 1))
        return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
