// Prints the sine table as the C++ initialiser of src/core/sintab.cpp.
// Entries 0..255 are 32767 * sin(2 pi k / 1024) computed in single precision and rounded half
// away from zero (so entry 129 is 23312 and entry 183 is 29535); entry 256 + k = entry 255 - k;
// entry 512 + k = -entry k. Build and run: g++ -O0 tools/gensintab.cpp -o gensintab && ./gensintab
#include <cmath>
#include <cstdio>

int main()
{
    const float pi = 3.14159265358979f;
    long t[1024];
    for (int k = 0; k < 256; ++k)
        t[k] = std::lround(32767.0f * std::sin(2.0f * pi * static_cast<float>(k) / 1024.0f));
    for (int k = 0; k < 256; ++k) t[256 + k] = t[255 - k];
    for (int k = 0; k < 512; ++k) t[512 + k] = -t[k];
    for (int k = 0; k < 1024; ++k) {
        std::printf("%s%6ld,", k % 12 == 0 ? "   " : "", t[k]);
        if (k % 12 == 11 || k == 1023) std::printf("\n");
    }
    return 0;
}
