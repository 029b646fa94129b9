// The allocation counter behind alloc_fail.h: the linker's --wrap sends the project's malloc,
// calloc and realloc calls here, and __real_* reaches the C library's (or a sanitizer's).
#include "support/alloc_fail.h"

#include <atomic>
#include <cstddef>

extern "C" {
void *__real_malloc(size_t size);
void *__real_calloc(size_t count, size_t size);
void *__real_realloc(void *block, size_t size);
}

namespace {

// Atomic: SDL's audio thread runs the sound output's callback while the main thread is armed.
std::atomic<bool> armed{false};
std::atomic<uint64_t> counted{0};
std::atomic<uint64_t> failAt{0};
std::atomic<bool> hasFired{false};

bool refuse()
{
    if (!armed.load(std::memory_order_relaxed)) return false;
    const uint64_t n = counted.fetch_add(1, std::memory_order_relaxed) + 1;
    if (n != failAt.load(std::memory_order_relaxed)) return false;
    hasFired.store(true, std::memory_order_relaxed);
    return true;
}

}  // namespace

extern "C" {
void *__wrap_malloc(size_t size) { return refuse() ? nullptr : __real_malloc(size); }
void *__wrap_calloc(size_t count, size_t size) { return refuse() ? nullptr : __real_calloc(count, size); }
void *__wrap_realloc(void *block, size_t size) { return refuse() ? nullptr : __real_realloc(block, size); }
}

namespace support::alloc {

void arm(uint64_t n)
{
    counted = 0;
    failAt = n;
    hasFired = false;
    armed = true;
}

uint64_t disarm()
{
    armed = false;
    return counted;
}

bool fired() { return hasFired; }

uint64_t seen() { return counted; }

}  // namespace support::alloc
