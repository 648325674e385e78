// The benchmark build's global operator new and delete: plain malloc and free, and a count
// of the allocations made by the game's own code. Linked into the benchmark's executables
// only; the game and the tests use the library's.
//
// The GL driver allocates with operator new as well (its shader compiler is C++), so each
// allocation looks at the few frames above it: one in this executable, whose code is the
// game's (the library is linked in statically), makes it the game's own. A library call of
// the game's (a string growing, say) is a frame or two deeper and still counts.
#include "diagnostics/AllocationCount.h"

#include <atomic>
#include <cstdlib>
#include <execinfo.h>
#include <new>

extern "C" char __executable_start;
extern "C" char etext;

namespace {

std::atomic<std::uint64_t> gameAllocations{0};
// Looking at the frames costs a microsecond an allocation: start-up, which allocates a
// great deal while loading, would be timed too slow. Counting starts with the first
// question, which the first frame's end asks.
std::atomic<bool> counting{false};

bool inThisExecutable(const void* address) {
    return address >= static_cast<const void*>(&__executable_start) &&
           address < static_cast<const void*>(&etext);
}

// Frame 0 is this function and 1 the operator new that called it: the caller is frame 2.
__attribute__((noinline)) void* allocate(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) {
        void* frames[6];
        const int depth = backtrace(frames, 6);
        for (int i = 2; i < depth; ++i)
            if (inThisExecutable(frames[i])) {
                gameAllocations.fetch_add(1, std::memory_order_relaxed);
                break;
            }
    }
    if (void* block = std::malloc(size != 0 ? size : 1))
        return block;
    throw std::bad_alloc();
}

} // namespace

std::uint64_t drifthold::allocationCount() {
    counting.store(true, std::memory_order_relaxed);
    return gameAllocations.load(std::memory_order_relaxed);
}

__attribute__((noinline)) void* operator new(std::size_t size) {
    return allocate(size);
}
__attribute__((noinline)) void* operator new[](std::size_t size) {
    return allocate(size);
}
__attribute__((noinline)) void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
__attribute__((noinline)) void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
