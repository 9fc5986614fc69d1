// RandomUpTo: MT19937 with the 1998 seeding, checked against the standard
// library's engine loaded with the state that seeding computes.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <sstream>

#include "framework/backend/headless/headless.h"
#include "framework/core/random.h"
#include "framework/framework.h"

namespace {

// The 1998 seeding, written out independently: each word takes the high halves
// of two successive steps of x → 69069x + 1.
std::mt19937 OracleFor(uint32_t seed) {
    std::ostringstream state;
    uint32_t x = seed;
    for (int i = 0; i < 624; i++) {
        uint32_t hi = x >> 16;
        x = x * 69069u + 1u;
        uint32_t lo = x >> 16;
        x = x * 69069u + 1u;
        state << ((hi << 16) | lo) << ' ';
    }
    state << 624;   // the whole block is regenerated before the first output
    std::mt19937 engine;
    std::istringstream in(state.str());
    in >> engine;
    return engine;
}

} // namespace

TEST(Random, UnseededGeneratorUses4357) {
    std::mt19937 oracle = OracleFor(4357);
    for (int i = 0; i < 2000; i++) ASSERT_EQ(RandomNext(), oracle()) << "output " << i;
}

TEST(Random, SeededOutputsMatchTheOracleAcrossBlockRefills) {
    RandomSeed(123456789u);
    std::mt19937 oracle = OracleFor(123456789u);
    for (int i = 0; i < 5000; i++) ASSERT_EQ(RandomNext(), oracle()) << "output " << i;
}

TEST(Random, UpToIsTheHighWordOfTheProductAndIncludesMax) {
    RandomSeed(42);
    std::mt19937 oracle = OracleFor(42);
    for (int i = 0; i < 1000; i++) {
        uint64_t expect = (static_cast<uint64_t>(oracle()) * 10001u) >> 32;
        ASSERT_EQ(RandomUpTo(10000), static_cast<int>(expect));
    }
    bool seen[5] = {};
    for (int i = 0; i < 2000; i++) {
        int v = RandomUpTo(4);
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 4);
        seen[v] = true;
    }
    for (bool s : seen) EXPECT_TRUE(s);
    for (int i = 0; i < 100; i++) ASSERT_EQ(RandomUpTo(0), 0);
}

TEST(Random, UpToWithNegativeMaxGivesZeroAndDrawsNothing) {
    for (int max : {-1, -2, -10000, INT32_MIN}) {
        RandomSeed(7);
        ASSERT_EQ(RandomUpTo(max), 0) << max;
        std::mt19937 oracle = OracleFor(7);
        EXPECT_EQ(RandomNext(), oracle()) << "the stream moved on for max " << max;
    }
}

// FrameworkInit seeds from the platform's per-run seed, which the game can
// read back; the headless platform's seed is whatever the test sets.
TEST(Random, FrameworkInitSeedsFromThePlatformsRunSeed) {
    for (uint32_t seed : {1u, 987654321u}) {
        HeadlessSelect();
        HeadlessSetClock(1);
        HeadlessSetRunSeed(seed);
        ASSERT_EQ(FrameworkInit(), 0);
        EXPECT_EQ(StartupRandomSeed(), seed);
        EXPECT_EQ(NewRunSeed(), seed);
        std::mt19937 oracle = OracleFor(seed);
        EXPECT_EQ(RandomNext(), oracle());
        EXPECT_EQ(UseHeadlessPlatform(), -1);
        FrameworkEnd();
    }
    EXPECT_EQ(SeedRandom(99), 0);
    std::mt19937 oracle = OracleFor(99);
    EXPECT_EQ(RandomNext(), oracle());
}
