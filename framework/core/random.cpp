// The random generator: the 32-bit Mersenne Twister (624 words of state) with
// its 1998 seeding, where each state word takes the high halves of two
// successive steps of x → 69069x + 1. Unseeded, it seeds itself with 4357.
#include "framework/core/random.h"

#include "framework/backend/platform.h"
#include "framework/core/api_lock.h"
#include "framework/core/state.h"
#include "framework/framework.h"

namespace {

enum { MT_N = 624, MT_M = 397 };
const uint32_t MATRIX_A = 0x9908b0dfu, UPPER_MASK = 0x80000000u, LOWER_MASK = 0x7fffffffu;

struct Mt {
    uint32_t state[MT_N];
    int index = MT_N + 1;    // MT_N + 1: never seeded
};

Mt g_mt;
uint32_t g_startupSeed;

void Generate() {
    static const uint32_t mag01[2] = {0, MATRIX_A};
    int k = 0;
    for (; k < MT_N - MT_M; k++) {
        uint32_t y = (g_mt.state[k] & UPPER_MASK) | (g_mt.state[k + 1] & LOWER_MASK);
        g_mt.state[k] = g_mt.state[k + MT_M] ^ (y >> 1) ^ mag01[y & 1];
    }
    for (; k < MT_N - 1; k++) {
        uint32_t y = (g_mt.state[k] & UPPER_MASK) | (g_mt.state[k + 1] & LOWER_MASK);
        g_mt.state[k] = g_mt.state[k + (MT_M - MT_N)] ^ (y >> 1) ^ mag01[y & 1];
    }
    uint32_t y = (g_mt.state[MT_N - 1] & UPPER_MASK) | (g_mt.state[0] & LOWER_MASK);
    g_mt.state[MT_N - 1] = g_mt.state[MT_M - 1] ^ (y >> 1) ^ mag01[y & 1];
    g_mt.index = 0;
}

} // namespace

void RandomSeed(uint32_t seed) {
    uint32_t x = seed;
    for (int i = 0; i < MT_N; i++) {
        g_mt.state[i] = x & 0xffff0000u;
        x = x * 69069u + 1u;
        g_mt.state[i] |= (x & 0xffff0000u) >> 16;
        x = x * 69069u + 1u;
    }
    g_mt.index = MT_N;
}

uint32_t RandomNext(void) {
    if (g_mt.index >= MT_N) {
        if (g_mt.index == MT_N + 1) RandomSeed(4357);
        Generate();
    }
    uint32_t y = g_mt.state[g_mt.index++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9d2c5680u;
    y ^= (y << 15) & 0xefc60000u;
    y ^= y >> 18;
    return y;
}

// An empty range (max < 0) gives 0, the value every caller can use as a count,
// an index or an offset, and draws nothing, so the stream is not disturbed.
int RandomUpTo(int max) {
    ApiGuard guard;
    if (max < 0) return 0;
    uint64_t product = static_cast<uint64_t>(RandomNext()) * (static_cast<uint64_t>(static_cast<uint32_t>(max)) + 1u);
    return static_cast<int>(product >> 32);
}

void RandomSeedAtStartup(void) {
    g_startupSeed = PlatformGet()->RunSeed();
    RandomSeed(g_startupSeed);
}

int SeedRandom(uint32_t seed) {
    ApiGuard guard;
    RandomSeed(seed);
    return 0;
}

uint32_t NewRunSeed(void) {
    ApiGuard guard;
    return PlatformGet()->RunSeed();
}

uint32_t StartupRandomSeed(void) {
    ApiGuard guard;
    return g_startupSeed;
}

int UseHeadlessPlatform(void) {
    ApiGuard guard;
    if (g_core.initialised) return -1;
    PlatformSelect(PlatformHeadless());
    return 0;
}
