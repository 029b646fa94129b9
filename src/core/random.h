// The program's random numbers: rand() and random() from the C library, seeded once by srand().
#pragma once

#include <cstdint>
#include <cstdlib>

#ifdef _WIN32
// random() for the Windows build, whose C library has rand() but no random().
// The program keeps only the low bits of random(): whether it is odd, its low four bits, its
// remainder by the 32 columns and its low byte. All it needs is a value from 0 up with those
// bits well mixed, and rand() (0 to 32767 there, taken from the high half of its state) gives
// that. The two draw from one sequence here, so the seed that start-up gives srand() fixes these
// choices too, and two runs with the same keys still choose alike.
inline long random() { return std::rand(); }
#endif

// The Linux C library's generator: an additive feedback generator over 31 words, which rand()
// and random() share and srand() and srandom() seed alike. The web build's C library has other
// generators (and seeds random() apart from rand()); there random.cpp puts these two in the
// place of its rand, srand, random and srandom, so the page makes the Linux programs' choices.
void RANDOMSeed(uint32_t seed);  // the state srandom(seed) makes, 310 draws already discarded
int32_t RANDOMNext();            // the next value, 0 to 2^31 - 1, as random() returns it
