// The block loop: an element-wise pass over an array walked in blocks of a fixed number of
// elements, then the tail one by one. A trip count the compiler knows is what it turns into
// vector code at -O2 (a loop over a count known only at run time stays scalar there), so every
// long pass of the modules and the program is written with these two.
#pragma once

#include <cstddef>

namespace blocks {

// c[i] = op(c[i]) for n elements, N at a time.
template <size_t N, typename T, typename Op>
inline void update(T *__restrict c, size_t n, Op op)
{
    size_t i = 0;
    for (; n - i >= N; i += N)
        for (size_t k = 0; k < N; ++k) c[i + k] = op(c[i + k]);
    for (; i < n; ++i) c[i] = op(c[i]);
}

// d[i] = op(d[i], s[i]) for n elements of two arrays that do not overlap, N at a time.
template <size_t N, typename T, typename Op>
inline void combine(T *__restrict d, const T *__restrict s, size_t n, Op op)
{
    size_t i = 0;
    for (; n - i >= N; i += N)
        for (size_t k = 0; k < N; ++k) d[i + k] = op(d[i + k], s[i + k]);
    for (; i < n; ++i) d[i] = op(d[i], s[i]);
}

}  // namespace blocks
