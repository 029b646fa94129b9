// random() for the Windows build, whose C library has rand() but no random().
#pragma once

#include <cstdlib>

#ifdef _WIN32
// The program keeps only the low bits of random(): whether it is odd, its low four bits, its
// remainder by the 32 columns and its low byte. All it needs is a value from 0 up with those
// bits well mixed, and rand() (0 to 32767 there, taken from the high half of its state) gives
// that. The two draw from one sequence here, so the seed that start-up gives srand() fixes these
// choices too, and two runs with the same keys still choose alike.
inline long random() { return std::rand(); }
#endif
