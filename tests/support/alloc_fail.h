// Allocation-failure injection for the failure sweeps. A program linked with alloc_fail.cpp and
// -Wl,--wrap=malloc,--wrap=calloc,--wrap=realloc routes every allocation made by the objects
// of this project (the module library, the program, the test itself) through a counter; while
// it is armed, the n-th of them returns null. Allocations inside shared libraries (SDL, the C
// library's own, e.g. in fopen, and operator new in libstdc++) are neither counted nor failed.
//   support::alloc::arm(n)     count from 0 again; the n-th allocation fails (0: none does)
//   support::alloc::disarm()   stop counting; returns the allocations seen while armed
//   support::alloc::fired()    whether the armed failure has happened
//   support::alloc::seen()     allocations counted since arm(), still counting
#pragma once

#include <cstdint>

namespace support::alloc {

void arm(uint64_t failAt);
uint64_t disarm();
bool fired();
uint64_t seen();

}  // namespace support::alloc
