// The movement patterns against hand-worked values, frame by frame: each frame
// calls the pattern with the enemy's age n and then ages it, as UpdateEnemies does.
#include <cmath>

#include "tests/game/enemy_fixture.h"

namespace {

constexpr double PI = 3.1415926535898;

struct Motion {
    double vx, vy, speed, angle;
    int pose;
};

// The record after the pattern's call at each n = 0 .. frames−1.
std::vector<Motion> RunPattern(int pattern, int wait, int frames, double speed = 0) {
    EnemyRecord& e = enemy[0];
    std::memset(&e, 0, sizeof e);
    e.state = 1;
    e.pose = 1;
    e.pattern = pattern;
    e.wait = wait;
    e.speed = speed;
    e.x = 320;
    e.y = 240;
    std::vector<Motion> out;
    for (int n = 0; n < frames; n++) {
        enemy_pattern[pattern](0);
        out.push_back({e.vx, e.vy, e.speed, e.angle, e.pose});
        e.count++;
    }
    return out;
}

// Expects vx (or vy) over [from, to) to be `value`.
void ExpectSpan(const std::vector<Motion>& m, int from, int to, double Motion::*field, double value,
                const char* what) {
    for (int n = from; n < to; n++) EXPECT_EQ(m[n].*field, value) << what << " at n = " << n;
}

} // namespace

TEST_F(EnemyModule, PatternZeroNeverHaltsWithWaitZero) {
    auto m = RunPattern(0, 0, 200);
    ExpectSpan(m, 0, 60, &Motion::vx, -3, "vx");
    ExpectSpan(m, 60, 200, &Motion::vx, 3, "vx");
    m = RunPattern(0, 10, 200);
    ExpectSpan(m, 0, 60, &Motion::vx, -3, "vx");
    ExpectSpan(m, 60, 70, &Motion::vx, 0, "vx");
    ExpectSpan(m, 70, 200, &Motion::vx, 3, "vx");
    ExpectSpan(m, 0, 200, &Motion::vy, 0, "vy");
}

TEST_F(EnemyModule, PatternsOneAndTwoLeaveAfterTheirHalt) {
    auto m = RunPattern(1, 5, 100);
    ExpectSpan(m, 0, 40, &Motion::vx, -3, "vx");
    ExpectSpan(m, 40, 45, &Motion::vx, 0, "vx");
    ExpectSpan(m, 45, 100, &Motion::vx, 3, "vx");
    ExpectSpan(m, 45, 100, &Motion::vy, -1, "vy");
    EXPECT_EQ(m[44].pose, 1);
    EXPECT_EQ(m[45].pose, 0);
    m = RunPattern(2, 0, 60);
    EXPECT_EQ(m[40].vx, 2);
    EXPECT_EQ(m[40].vy, 1);
    EXPECT_EQ(m[40].pose, 2);
}

TEST_F(EnemyModule, PatternThreeAndFourFinalVelocity) {
    auto m = RunPattern(3, 0, 300);
    EXPECT_EQ(m[29].pose, 1);
    EXPECT_EQ(m[30].pose, 0);
    EXPECT_NEAR(m[0].vx, -5.05, 1e-12);
    EXPECT_NEAR(m[0].vy, -0.05, 1e-12);
    EXPECT_NEAR(m[99].vx, -10, 1e-9);
    EXPECT_NEAR(m[99].vy, -5, 1e-9);
    for (int n = 100; n < 300; n++) {
        EXPECT_EQ(m[n].vx, m[99].vx) << n;
        EXPECT_EQ(m[n].vy, m[99].vy) << n;
    }
    m = RunPattern(4, 0, 150);
    EXPECT_EQ(m[30].pose, 2);
    EXPECT_NEAR(m[149].vx, -10, 1e-9);
    EXPECT_NEAR(m[149].vy, 5, 1e-9);
}

TEST_F(EnemyModule, StraightLinePatterns) {
    auto m = RunPattern(5, 0, 3);
    EXPECT_EQ(m[0].vx, -2);
    EXPECT_EQ(m[0].vy, -1);
    EXPECT_EQ(m[0].pose, 0);
    m = RunPattern(6, 0, 1);
    EXPECT_EQ(m[0].vy, 1);
    m = RunPattern(7, 12, 20);
    EXPECT_EQ(m[11].vx, 0);
    EXPECT_EQ(m[11].pose, 1);
    EXPECT_EQ(m[12].vx, -2.1);
    EXPECT_EQ(m[12].vy, -0.9);
    EXPECT_EQ(m[12].pose, 0);
    m = RunPattern(8, 3, 5);
    EXPECT_EQ(m[3].vy, 0.9);
    m = RunPattern(9, 4, 10);
    EXPECT_EQ(m[3].vx, 0);
    EXPECT_EQ(m[4].vx, -3);
    EXPECT_EQ(m[4].pose, 1);
    m = RunPattern(37, 0, 1);
    EXPECT_EQ(m[0].vx, 4);
    EXPECT_EQ(m[0].vy, -3);
    EXPECT_EQ(m[0].pose, 0);
    m = RunPattern(38, 0, 1);
    EXPECT_EQ(m[0].vx, -4);
    EXPECT_EQ(m[0].vy, 3);
}

TEST_F(EnemyModule, PatternElevenAndTwelve) {
    auto m = RunPattern(11, 20, 200);
    ExpectSpan(m, 0, 100, &Motion::vx, -4, "vx");
    ExpectSpan(m, 100, 120, &Motion::vx, 0, "vx");
    ExpectSpan(m, 120, 200, &Motion::vx, 3.3, "vx");
    ExpectSpan(m, 120, 200, &Motion::vy, 3, "vy");
    EXPECT_EQ(m[120].pose, 2);
    m = RunPattern(12, 0, 101);
    EXPECT_EQ(m[100].vx, 3.3);
    EXPECT_EQ(m[100].vy, -3);
}

TEST_F(EnemyModule, StaircaseThirteenWithWaitTwentyFive) {
    // Every W-shifted move falls on the frame of the stop written after it.
    auto m = RunPattern(13, 25, 300);
    ExpectSpan(m, 0, 50, &Motion::vx, -4, "vx");
    ExpectSpan(m, 50, 150, &Motion::vx, 0, "vx");
    ExpectSpan(m, 150, 300, &Motion::vx, -4, "vx");
    ExpectSpan(m, 0, 300, &Motion::vy, 0, "vy");
}

TEST_F(EnemyModule, StaircaseThirteenWithWaitThirty) {
    // Past 25 the legs overlap: the first vertical leg runs 80..124, the second
    // horizontal one starts at 105 and never stops, the last vertical leg from 130 on.
    auto m = RunPattern(13, 30, 300);
    ExpectSpan(m, 0, 50, &Motion::vx, -4, "vx");
    ExpectSpan(m, 50, 105, &Motion::vx, 0, "vx");
    ExpectSpan(m, 105, 300, &Motion::vx, -4, "vx");
    ExpectSpan(m, 0, 80, &Motion::vy, 0, "vy");
    ExpectSpan(m, 80, 125, &Motion::vy, 4, "vy");
    ExpectSpan(m, 125, 130, &Motion::vy, 0, "vy");
    ExpectSpan(m, 130, 300, &Motion::vy, 4, "vy");
}

TEST_F(EnemyModule, StaircaseLegsWithSmallWaits) {
    auto m = RunPattern(13, 0, 200);
    ExpectSpan(m, 0, 50, &Motion::vx, -4, "vx");
    ExpectSpan(m, 50, 75, &Motion::vy, 4, "vy");
    ExpectSpan(m, 50, 75, &Motion::vx, 0, "vx");
    ExpectSpan(m, 75, 100, &Motion::vx, -4, "vx");
    ExpectSpan(m, 75, 100, &Motion::vy, 0, "vy");
    ExpectSpan(m, 100, 125, &Motion::vy, 4, "vy");
    ExpectSpan(m, 125, 200, &Motion::vx, -4, "vx");
    ExpectSpan(m, 125, 200, &Motion::vy, 0, "vy");

    m = RunPattern(14, 10, 200);
    ExpectSpan(m, 50, 60, &Motion::vy, 0, "vy");
    ExpectSpan(m, 60, 75, &Motion::vy, -4, "vy");
    ExpectSpan(m, 75, 85, &Motion::vx, 0, "vx");
    ExpectSpan(m, 85, 100, &Motion::vx, -4, "vx");
    ExpectSpan(m, 110, 125, &Motion::vy, -4, "vy");
    ExpectSpan(m, 125, 135, &Motion::vx, 0, "vx");
    ExpectSpan(m, 135, 200, &Motion::vx, -4, "vx");

    // Six legs: after the fifth, a stop at 150, a vertical leg and the last move.
    m = RunPattern(17, 0, 260);
    ExpectSpan(m, 125, 150, &Motion::vx, -4, "vx");
    ExpectSpan(m, 150, 175, &Motion::vx, 0, "vx");
    ExpectSpan(m, 150, 175, &Motion::vy, -4, "vy");
    ExpectSpan(m, 175, 260, &Motion::vx, 4, "vx");
    ExpectSpan(m, 175, 260, &Motion::vy, 0, "vy");
    auto m18 = RunPattern(18, 0, 200);
    EXPECT_EQ(m18[0].vx, -4);
    EXPECT_EQ(m18[50].vy, -4);
    EXPECT_EQ(m18[150].vy, 4);
    EXPECT_EQ(m18[175].vx, 4);
    auto m19 = RunPattern(19, 0, 200);
    EXPECT_EQ(m19[0].vx, 4);
    EXPECT_EQ(m19[50].vy, -4);
    EXPECT_EQ(m19[75].vx, 4);
    EXPECT_EQ(m19[150].vy, 4);
    EXPECT_EQ(m19[175].vx, -4);
    auto m20 = RunPattern(20, 0, 200);
    EXPECT_EQ(m20[50].vy, 4);
    EXPECT_EQ(m20[150].vy, -4);
    EXPECT_EQ(m20[175].vx, -4);
}

TEST_F(EnemyModule, PatternsFifteenAndSixteenAreOne) {
    EXPECT_EQ(enemy_pattern[15], enemy_pattern[16]);
    auto a = RunPattern(15, 7, 300);
    auto b = RunPattern(16, 7, 300);
    for (int n = 0; n < 300; n++) {
        EXPECT_EQ(a[n].vx, b[n].vx);
        EXPECT_EQ(a[n].vy, b[n].vy);
    }
    EXPECT_EQ(a[0].vx, 4);
    EXPECT_EQ(a[57].vy, -4);
    EXPECT_EQ(a[82].vx, 4);
}

TEST_F(EnemyModule, RandomTurnOfPatternTen) {
    const auto r = NextFractions(777, 4);
    auto m = RunPattern(10, 0, 62, 2.0);
    // Straight on until the first turn at 60; speed decays from 40.
    ExpectSpan(m, 0, 40, &Motion::speed, 2.0, "speed");
    double speed = 2.0;
    for (int n = 40; n < 60; n++) speed *= 0.95;
    EXPECT_NEAR(m[59].speed, speed, 1e-12);
    EXPECT_EQ(m[59].angle, 0);
    EXPECT_EQ(m[59].pose, 1);
    // cos 0 ≥ 0: h = 1, turn to face left.
    EXPECT_NEAR(m[60].speed, (4 * r[0] + 4) * 0.95, 1e-12);
    EXPECT_EQ(m[60].pose, 0);
    EXPECT_NEAR(m[60].angle, (PI / 2) * r[1] - PI / 4 + PI, 1e-12);
    // vx: −4, 0 at 40, then −0.05 a frame from W + 40 = 40.
    EXPECT_EQ(m[39].vx, -4);
    EXPECT_NEAR(m[40].vx, -0.05, 1e-12);
    EXPECT_NEAR(m[60].vx, -0.05 * 21, 1e-12);
    // Exactly two draws in the first turn.
    EXPECT_EQ(RandomUpTo(10000) / 10000.0, r[2]);
}

TEST_F(EnemyModule, RandomTurnsOfPatternsTwentyOneAndTwentyTwo) {
    auto r = NextFractions(4242, 4);
    auto m = RunPattern(21, 30, 51, 1.0);
    EXPECT_EQ(m[39].speed, 1.0);
    EXPECT_NEAR(m[40].speed, (4 * r[0] + 3) * 0.95, 1e-12);
    EXPECT_EQ(m[40].pose, 0);
    EXPECT_NEAR(m[40].angle, (PI / 2) * r[1] - PI / 4 + PI, 1e-12);
    EXPECT_EQ(m[40].vx, 0);            // W + 40 = 70: no drift yet
    // Second turn at 50: now facing left, cos < 0, so h = 0 and it turns back right.
    EXPECT_NEAR(m[50].speed, (4 * r[2] + 3) * 0.95, 1e-12);
    EXPECT_EQ(m[50].pose, 2);
    EXPECT_NEAR(m[50].angle, (PI / 2) * r[3] - PI / 4, 1e-12);

    r = NextFractions(99, 4);
    m = RunPattern(22, 0, 41, 1.0);
    EXPECT_NEAR(m[0].vx, 5.06, 1e-12);           // 5, then + 0.06 from W = 0
    EXPECT_EQ(m[29].speed, 1.0);
    // Pattern 22 keeps its direction: cos 0 > 0 gives h = 0.
    EXPECT_NEAR(m[30].speed, (4 * r[0] + 3) * 0.95, 1e-12);
    EXPECT_EQ(m[30].pose, 2);
    EXPECT_NEAR(m[30].angle, (PI / 2) * r[1] - PI / 4, 1e-12);
    EXPECT_NEAR(m[30].vx, 0.06, 1e-12);
    EXPECT_NEAR(m[40].angle, (PI / 2) * r[3] - PI / 4, 1e-12);
    EXPECT_NEAR(m[40].speed, (4 * r[2] + 3) * 0.95, 1e-12);
}

TEST_F(EnemyModule, ZigzagAndThreeLegPatterns) {
    auto m = RunPattern(23, 5, 200);
    EXPECT_EQ(m[0].vx, -4);
    ExpectSpan(m, 50, 75, &Motion::vy, 4, "vy");
    ExpectSpan(m, 75, 80, &Motion::vy, 0, "vy");
    ExpectSpan(m, 80, 100, &Motion::vy, -4, "vy");
    ExpectSpan(m, 105, 125, &Motion::vy, 4, "vy");
    ExpectSpan(m, 130, 200, &Motion::vy, -4, "vy");
    ExpectSpan(m, 0, 200, &Motion::vx, -4, "vx");
    m = RunPattern(24, 0, 200);
    EXPECT_EQ(m[50].vy, -4);
    EXPECT_EQ(m[75].vy, 4);
    EXPECT_EQ(m[100].vy, -4);
    EXPECT_EQ(m[199].vy, 4);

    m = RunPattern(35, 0, 300);
    EXPECT_EQ(m[39].vx, -2);
    EXPECT_EQ(m[40].vx, 0);
    EXPECT_EQ(m[50].vx, -5);
    EXPECT_EQ(m[50].vy, -2);
    EXPECT_EQ(m[155].vx, 4);
    EXPECT_EQ(m[155].vy, 0);
    EXPECT_EQ(m[299].vx, -4);
    EXPECT_EQ(m[299].vy, 3);
    // W = 105 puts the W-shifted leg on 155, where the fixed step written after it wins.
    m = RunPattern(36, 105, 300);
    EXPECT_EQ(m[154].vx, 0);
    EXPECT_EQ(m[155].vx, 4);
    EXPECT_EQ(m[155].vy, 0);
    EXPECT_EQ(m[250].vy, -3);
}

TEST_F(EnemyModule, EnterHaltLeaveFamilies) {
    const int T[5] = {150, 130, 110, 90, 70};
    for (int k = 0; k < 10; k++) {
        const int p = 25 + k, t = T[k % 5];
        auto m = RunPattern(p, 3, 200);
        EXPECT_EQ(m[t - 1].vx, 4) << p;
        EXPECT_EQ(m[t].vx, 0) << p;
        EXPECT_EQ(m[t + 2].vy, 0) << p;
        EXPECT_EQ(m[t + 3].vx, -2) << p;
        EXPECT_EQ(m[t + 3].vy, k < 5 ? 4 : -4) << p;
        EXPECT_EQ(m[t + 3].pose, 1) << p;
    }
    for (int p = 39; p <= 42; p++) {
        auto m = RunPattern(p, 10, 140);
        EXPECT_EQ(m[129].pose, 1) << p;
        EXPECT_EQ(m[130].pose, 0) << p;
        const double v = (p == 39 || p == 41) ? -3 : 3;
        EXPECT_EQ(p <= 40 ? m[130].vy : m[130].vx, v) << p;
        EXPECT_EQ(p <= 40 ? m[130].vx : m[130].vy, 0) << p;
    }
    auto m = RunPattern(62, 0, 70);
    EXPECT_EQ(m[0].vx, 2.5);
    EXPECT_NEAR(m[30].vx, 2.5 * std::cos(PI * 30 / 65), 1e-12);
    EXPECT_EQ(m[60].vx, -3.12);
    EXPECT_EQ(m[69].vx, -3.12);
    m = RunPattern(62, 5, 70);
    EXPECT_NEAR(m[60].vx, 2.5 * std::cos(PI * 60 / 65), 1e-12);
    EXPECT_NEAR(m[64].vx, 2.5 * std::cos(PI * 60 / 65), 1e-12);
    EXPECT_EQ(m[65].vx, -3.12);
}

TEST_F(EnemyModule, VerticalStaircasesAndWaves) {
    auto m = RunPattern(43, 0, 200);
    ExpectSpan(m, 0, 10, &Motion::vy, 4, "vy");
    ExpectSpan(m, 10, 50, &Motion::vx, -4, "vx");
    ExpectSpan(m, 10, 50, &Motion::vy, 0, "vy");
    ExpectSpan(m, 50, 75, &Motion::vy, 4, "vy");
    ExpectSpan(m, 125, 200, &Motion::vx, -4, "vx");
    m = RunPattern(44, 0, 60);
    EXPECT_EQ(m[0].vy, -4);
    EXPECT_EQ(m[50].vy, -4);

    m = RunPattern(63, 0, 200);
    EXPECT_EQ(m[9].vx, -3);
    EXPECT_EQ(m[10].vx, -4);                        // the stop at 10 is overwritten
    EXPECT_NEAR(m[10].vy, 4, 1e-9);                 // −4 cos 7π
    EXPECT_NEAR(m[15].vy, -4 * std::cos(PI * 75 / 10), 1e-12);
    EXPECT_EQ(m[110].vx, -3.3);
    EXPECT_EQ(m[110].vy, 4);
    m = RunPattern(64, 20, 200);
    EXPECT_EQ(m[10].vx, 0);
    EXPECT_EQ(m[29].vx, 0);
    EXPECT_NEAR(m[30].vy, 4 * std::cos(PI * 90 / 10), 1e-12);
    EXPECT_EQ(m[130].vy, -4);
}

TEST_F(EnemyModule, LoopPatternsThenLeaveLeft) {
    // Pattern 46 from (600, 240): a circle of 160 frames from n = 60.
    EnemyRecord& e = Place(0, 46, 600, 240);
    std::vector<std::pair<double, double>> at;
    for (int n = 0; n < 640; n++) {
        UpdateEnemies();
        at.push_back({e.x, e.y});
        ASSERT_EQ(e.state, 1) << n;
    }
    EXPECT_NEAR(at[59].first, 600 - 3 * 60, 1e-9);
    for (int n = 219; n < 619; n += 160) {
        EXPECT_NEAR(at[n].first, at[59].first, 1e-9) << n;
        EXPECT_NEAR(at[n].second, at[59].second, 1e-9) << n;
    }
    EXPECT_NEAR(at[620].first - at[619].first, -3, 1e-12);
    EXPECT_NEAR(at[620].second, at[619].second, 1e-12);

    auto m = RunPattern(47, 0, 630);
    EXPECT_EQ(m[59].vx, -3);
    EXPECT_NEAR(m[60].vx, 3 * std::sin(PI * 120 / 80) - 1, 1e-12);
    EXPECT_NEAR(m[60].vy, 3 * std::cos(6.2831853071796 * 120 / 80), 1e-12);
    EXPECT_NEAR(m[619].vx, 3 * std::sin(PI * 679 / 80) - 1, 1e-12);
    EXPECT_EQ(m[620].vx, -3);
    m = RunPattern(48, 0, 630);
    EXPECT_NEAR(m[559].vx, 2 * std::sin(PI * 619 / 80) - 1, 1e-12);
    EXPECT_EQ(m[600].vx, m[559].vx);                // frozen from 560 to 619
    EXPECT_EQ(m[620].vy, 0);
    m = RunPattern(49, 0, 10);
    EXPECT_NEAR(m[0].vx, -1 - 2 * std::cos(PI * -60 / 80), 1e-12);
    EXPECT_NEAR(m[0].vy, 2 * std::sin(PI * -60 / 80) + 0.5, 1e-12);
    m = RunPattern(50, 0, 10);
    EXPECT_NEAR(m[0].vx, 3 * std::sin(6.2831853071796 * 40 / 80) - 1, 1e-12);
    EXPECT_NEAR(m[0].vy, -4, 1e-12);
    m = RunPattern(51, 0, 70);
    EXPECT_EQ(m[0].vy, 1);
    EXPECT_EQ(m[0].vx, 0);
    EXPECT_NEAR(m[60].vy, 3 * std::sin(6.2831853071796 * -120 / 80) + 1, 1e-12);
}

TEST_F(EnemyModule, ContinuousDrifts) {
    struct Case {
        int pattern, n;
        double vx, vy;
    };
    const double c = std::cos(PI * 70 / 60), s = std::sin(PI * 70 / 60);
    const double c8 = std::cos(PI * 70 / 80), s8 = std::sin(PI * 70 / 80);
    const double c2 = std::cos(6.2831853071796 * 70 / 60), s2 = std::sin(6.2831853071796 * 70 / 60);
    const double q = std::cos(PI * 70 / 20);
    const Case cases[] = {
        {52, 10, 3 * c - 1, 3 * s},   {53, 10, 3 * c - 1, -3 * s},  {54, 10, 3 * c8 - 1, 3 * s8},
        {55, 10, 3 * c8 - 1, -3 * s8}, {56, 10, 3 * c2 - 1, 3 * s}, {57, 10, -1 - 3 * c2, 3 * s},
        {58, 10, -1.5 - 3 * c, 3 * s2}, {59, 10, 3 * c - 1.5, 3 * s2}, {65, 10, 3 * c - 2, -2},
        {66, 10, 3 * c - 2, 2},        {67, 10, 2 - 3 * c, 2},        {68, 10, 2 - 3 * c, -2},
        {69, 10, 2 - q, -2},           {70, 10, 2 - q, -3},           {71, 10, 2 - q, 2},
        {73, 10, 1 - q, 3},            {74, 10, -1 - q, -3},          {75, 10, -3, 1 - q},
        {76, 10, 3, -1 - q},           {98, 10, -3 - q, 3},           {99, 10, 3 - q, -3},
    };
    for (const Case& k : cases) {
        auto m = RunPattern(k.pattern, 10, k.n + 1);
        EXPECT_NEAR(m[k.n].vx, k.vx, 1e-12) << k.pattern;
        EXPECT_NEAR(m[k.n].vy, k.vy, 1e-12) << k.pattern;
    }
    // 73..76, 98, 99 do nothing before W.
    for (int p : {73, 74, 75, 76, 98, 99}) {
        auto m = RunPattern(p, 10, 10);
        EXPECT_EQ(m[9].vx, 0) << p;
        EXPECT_EQ(m[9].vy, 0) << p;
    }
    auto m = RunPattern(60, 0, 50);
    EXPECT_EQ(m[0].vx, -3);
    EXPECT_EQ(m[39].vy, 0);
    EXPECT_NEAR(m[40].vy, 3 * std::cos(PI * 100 / 60), 1e-12);
    m = RunPattern(61, 0, 50);
    EXPECT_NEAR(m[45].vy, -3 * std::cos(PI * 105 / 60), 1e-12);
    m = RunPattern(81, 0, 25);
    EXPECT_EQ(m[19].vy, 0);
    EXPECT_NEAR(m[20].vy, 3 * std::cos(PI * 80 / 60), 1e-12);
    m = RunPattern(82, 0, 25);
    EXPECT_NEAR(m[24].vy, -3 * std::cos(PI * 84 / 60), 1e-12);
    m = RunPattern(83, 0, 25);
    EXPECT_EQ(m[0].vx, 3);
    EXPECT_EQ(m[20].vy, -3);
    m = RunPattern(84, 0, 25);
    EXPECT_EQ(m[0].vx, 3);
    EXPECT_NEAR(m[21].vy, 3 * std::cos(PI * 81 / 60), 1e-12);
}

TEST_F(EnemyModule, PatternSeventyTwoAssignsOnce) {
    auto m = RunPattern(72, 0, 50);
    EXPECT_NEAR(m[0].vx, 3, 1e-12);     // 2 − cos 3π
    for (int n = 0; n < 50; n++) {
        EXPECT_EQ(m[n].vx, m[0].vx) << n;
        EXPECT_EQ(m[n].vy, 3) << n;
    }
    m = RunPattern(72, 7, 50);
    EXPECT_EQ(m[6].vx, 0);
    EXPECT_EQ(m[0].vy, 3);
    EXPECT_NEAR(m[7].vx, 2 - std::cos(PI * 67 / 20), 1e-12);
    EXPECT_EQ(m[49].vx, m[7].vx);
}

TEST_F(EnemyModule, SweepPatterns) {
    auto m = RunPattern(77, 0, 80);
    EXPECT_NEAR(m[69].vx, 13.8, 1e-12);
    EXPECT_EQ(m[69].vy, 0);
    EXPECT_EQ(m[70].vx, 0);
    EXPECT_EQ(m[70].vy, 0);
    EXPECT_NEAR(m[71].vx, -7.1, 1e-12);
    EXPECT_NEAR(m[71].vy, -3 - std::cos(PI * 131 / 20), 1e-12);
    m = RunPattern(78, 0, 80);
    EXPECT_NEAR(m[75].vy, 3 - std::cos(PI * 135 / 20), 1e-12);
    m = RunPattern(79, 0, 80);
    EXPECT_NEAR(m[10].vx, -2, 1e-12);
    EXPECT_EQ(m[70].vx, 0);
    EXPECT_NEAR(m[71].vx, 7.1, 1e-12);
    EXPECT_NEAR(m[71].vy, -3 - std::cos(PI * 131 / 20), 1e-12);
    m = RunPattern(80, 0, 80);
    EXPECT_NEAR(m[72].vy, 3 - std::cos(PI * 132 / 20), 1e-12);
}

TEST_F(EnemyModule, StandThenWavePatterns) {
    const double c = std::cos(PI * 160 / 50), c1 = std::cos(PI * 161 / 50);
    auto m = RunPattern(85, 0, 102);
    EXPECT_EQ(m[99].vx, 0);
    EXPECT_EQ(m[99].vy, 0);
    EXPECT_EQ(m[100].vx, 3);
    EXPECT_NEAR(m[100].vy, -3 * c, 1e-12);
    m = RunPattern(86, 0, 102);
    EXPECT_EQ(m[101].vx, -3);
    EXPECT_NEAR(m[101].vy, 3 * c1, 1e-12);
    m = RunPattern(87, 0, 102);
    EXPECT_NEAR(m[100].vx, -3 * c, 1e-12);
    EXPECT_EQ(m[100].vy, -3);
    m = RunPattern(88, 0, 102);
    EXPECT_NEAR(m[100].vx, 3 * c, 1e-12);
    EXPECT_EQ(m[100].vy, 3);
}

TEST_F(EnemyModule, PolarCircles) {
    // Pattern 89 closes a circle of 40 frames.
    EnemyRecord& e = Place(0, 89, 320, 240);
    for (int n = 0; n < 40; n++) UpdateEnemies();
    EXPECT_NEAR(e.x, 320, 1e-9);
    EXPECT_NEAR(e.y, 240, 1e-9);
    EXPECT_EQ(e.speed, 4);
    EXPECT_NEAR(e.angle, 0.05 * PI * 39, 1e-12);

    struct Case {
        int pattern;
        double vx1, turn, vxEnd, vyEnd;
    };
    const Case cases[] = {
        {90, 3, 0.03, -3, -2}, {91, 3, 0.03, -3, 2},  {92, -3, -0.03, 3, 2},  {93, -3, -0.03, 3, -2},
        {94, 3, 0.03, 3, -2},  {95, 3, 0.03, 3, 2},   {96, -3, -0.03, -3, 2}, {97, -3, -0.03, -3, -2},
    };
    for (const Case& k : cases) {
        auto m = RunPattern(k.pattern, 0, 260, 1.5);
        EXPECT_EQ(m[100].vx, k.vx1) << k.pattern;
        EXPECT_NEAR(m[100].vy, 3, 1e-9) << k.pattern;      // 3 cos 8π
        EXPECT_EQ(m[100].speed, 1.5) << k.pattern;         // the row's speed until 101
        EXPECT_EQ(m[100].angle, 0) << k.pattern;
        EXPECT_EQ(m[101].vx, 0) << k.pattern;
        EXPECT_EQ(m[101].vy, 0) << k.pattern;
        EXPECT_EQ(m[101].speed, 4) << k.pattern;
        EXPECT_NEAR(m[101].angle, k.turn * PI * 101, 1e-12) << k.pattern;
        EXPECT_NEAR(m[200].angle, k.turn * PI * 200, 1e-12) << k.pattern;
        EXPECT_EQ(m[201].angle, 0) << k.pattern;
        EXPECT_EQ(m[201].speed, 0) << k.pattern;
        EXPECT_EQ(m[259].vx, k.vxEnd) << k.pattern;
        EXPECT_EQ(m[259].vy, k.vyEnd) << k.pattern;
    }
}

TEST_F(EnemyModule, PatternsTouchOnlyTheirFields) {
    // Over 700 frames every pattern changes only vx, vy, speed, angle and pose, and
    // only 10, 21, 22 and 89..97 touch speed or angle.
    RandomSeed(1);
    for (int p = 0; p < ENEMY_PATTERNS; p++) {
        ASSERT_NE(enemy_pattern[p], nullptr) << p;
        EnemyRecord& e = Place(0, p, 320, 240, 20, 1.25);
        e.hp = 5;
        e.image = 3;
        e.fire_frame = 9;
        e.bullet_color = 4;
        e.burst_color = 2;
        e.anim = 7;
        const bool polar = p == 10 || p == 21 || p == 22 || (p >= 89 && p <= 97);
        for (int n = 0; n < 700; n++) {
            enemy_pattern[p](0);
            ASSERT_EQ(e.count, n) << p;
            ASSERT_EQ(e.x, 320) << p;
            ASSERT_EQ(e.y, 240) << p;
            ASSERT_EQ(e.hp, 5) << p;
            ASSERT_EQ(e.image, 3) << p;
            ASSERT_EQ(e.wait, 20) << p;
            ASSERT_EQ(e.anim, 7) << p;
            ASSERT_EQ(e.fire_frame, 9) << p;
            ASSERT_EQ(e.state, 1) << p;
            ASSERT_TRUE(e.pose >= 0 && e.pose <= 2) << p;
            if (!polar) {
                ASSERT_EQ(e.speed, 1.25) << p;
                ASSERT_EQ(e.angle, 0) << p;
            }
            e.count++;
        }
    }
}

TEST_F(EnemyModule, PatternStandsStillApartFromSpawnMotion) {
    EnemyRecord& e = Place(0, 45, 300, 200, 0, 0.5);
    for (int n = 0; n < 10; n++) UpdateEnemies();
    EXPECT_EQ(e.x, 305);
    EXPECT_EQ(e.y, 200);
    EXPECT_EQ(e.vx, 0);
}
