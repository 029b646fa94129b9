// The wide vector code of the drawing bodies (rect.h, glyphs.h), in one place: the processor
// guard, the run-time test, and the vector types the glyph rows are written in.
//
// Where the processor has AVX2, the long walks and the text screen's glyph blocks run a second
// copy of the same source compiled for 256-bit registers, chosen at run time; elsewhere the
// 128-bit code that -O2 gives for x86-64 runs. The second copy exists only on x86-64 with GCC
// or Clang, and not on Windows, where the compiler does not keep the stack aligned for spilled
// 256-bit registers. What each copy gains is measured by the benchmarks (README, Speed).
#pragma once

#include <cstdint>

#if defined(__x86_64__) && defined(__GNUC__) && !defined(_WIN32)
#define KOVA_WIDE 1
// Compiles a function for AVX2: only called once wide::present() has said yes.
#define KOVA_WIDE_CODE __attribute__((target("avx2")))
#else
#define KOVA_WIDE 0
#define KOVA_WIDE_CODE
#endif

namespace wide {

// Set before the first drawing, `portableOnly` keeps the AVX2 copies from running on any
// processor: the instruction-count driver (bench/frame_counts.cpp) counts the portable code,
// which every x86-64 runs alike.
inline bool portableOnly = false;

// Whether the AVX2 copies may run: asked once per process.
inline bool present()
{
#if KOVA_WIDE
    static const bool avx2 = __builtin_cpu_supports("avx2") && !portableOnly;
    return avx2;
#else
    return false;
#endif
}

// The compiler's vector extension, which gives vector code at every optimisation level: rows
// of 8 pixels as two 16-byte vectors or one 32-byte vector, rows of 8 cells as one 8-byte vector.
typedef uint32_t Pixels4 __attribute__((vector_size(16)));
typedef uint32_t Pixels8 __attribute__((vector_size(32)));
typedef uint8_t Cells8 __attribute__((vector_size(8)));

}  // namespace wide
