// RANDOM: the Linux C library's rand()/random() generator, so that every build that carries
// it in place of its own C library's makes the Linux programs' random choices.
#include "core/random.h"

namespace {

// Words r[i] = r[i-31] + r[i-3] (mod 2^32), each draw returning the new word shifted right by
// one. front is i-3's slot and rear i-31's in a ring of the last 31 words.
constexpr int DEGREE = 31, SEPARATION = 3;
uint32_t state[DEGREE];
int front = SEPARATION, rear = 0;
bool seeded = false;

}  // namespace

void RANDOMSeed(uint32_t seed)
{
    // r[0] = seed (1 for 0), then r[i] = 16807 r[i-1] mod (2^31 - 1) in Schrage's form, on the
    // seed taken as a signed 32-bit word.
    int32_t word = seed == 0 ? 1 : static_cast<int32_t>(seed);
    state[0] = static_cast<uint32_t>(word);
    for (int i = 1; i < DEGREE; ++i) {
        const int32_t hi = word / 127773, lo = word % 127773;
        word = 16807 * lo - 2836 * hi;
        if (word < 0) word += 2147483647;
        state[i] = static_cast<uint32_t>(word);
    }
    front = SEPARATION;
    rear = 0;
    seeded = true;
    for (int i = 0; i < 10 * DEGREE; ++i) RANDOMNext();
}

int32_t RANDOMNext()
{
    if (!seeded) RANDOMSeed(1);  // unseeded, as after srand(1)
    state[front] += state[rear];
    const auto result = static_cast<int32_t>(state[front] >> 1);
    if (++front == DEGREE) front = 0;
    if (++rear == DEGREE) rear = 0;
    return result;
}

#ifdef __EMSCRIPTEN__
// The web build links these before its C library, whose own are then left out.
extern "C" {
int rand(void) { return RANDOMNext(); }
void srand(unsigned seed) { RANDOMSeed(seed); }
long random(void) { return RANDOMNext(); }
void srandom(unsigned seed) { RANDOMSeed(seed); }
}
#endif
