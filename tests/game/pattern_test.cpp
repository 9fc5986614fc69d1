// The movement patterns: their timetables frame by frame (each frame calls the
// pattern with the enemy's age n and then ages it, as UpdateEnemies does), and
// every pattern's whole course as the stages fly it, through UpdateEnemies.
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

// One enemy's whole course, worked out from the movement table rather than read
// off the code: spawned where a stage timeline spawns the pattern (with its W
// and row speed), the points where it turns (or, for a straight course, half
// way), and the age and edge at which it leaves the screen.
struct Course {
    int pattern, wait;
    double speed, x, y;
    int leaves;        // age at which it is removed; 0 = still flying after 2000 frames
    char edge;         // L, R, T or B: the removal bound it crossed
    struct Point {
        int age;
        double x, y;
    } points[3];       // age 0 marks an unused point
};

const Course COURSES[] = {
    // Enter, halt, leave (10, 21 and 22 turn at random: their own tests below).
    {0, 40, 0, 650, 105, 164, 'R', {{60, 470, 105}}},
    {1, 30, 0, 650, 253.3, 114, 'R', {{40, 530, 253.3}}},
    {2, 30, 0, 650, 77.3, 136, 'R', {{40, 530, 77.3}}},
    // Curves gathering speed; straight lines from spawn or after W.
    {3, 0, 0, 650, 290, 92, 'L', {{46, 366, 235.9}}},
    {4, 0, 0, 650, 70, 92, 'L', {{46, 366, 124}}},
    {5, 0, 0, 650, 330, 336, 'L', {{168, 314, 162}}},
    {6, 0, 0, 650, 46, 336, 'L', {{168, 314, 214}}},
    {7, 0, 0, 650, 277.5, 320, 'L', {{160, 314, 133.5}}},
    {8, 0, 0, 650, 37.5, 320, 'L', {{160, 314, 181.5}}},
    {9, 0, 0, 650, 240, 224, 'L', {{112, 314, 240}}},
    {11, 30, 0, 650, 42.5, 255, 'R', {{100, 250, 42.5}}},
    {12, 30, 0, 650, 302.5, 238, 'T', {{100, 250, 302.5}}},
    // Right-angle staircases, six-leg ones from 17.
    {13, 0, 0, 650, 68, 218, 'L', {{50, 450, 68}, {100, 350, 168}, {125, 350, 268}}},
    {14, 0, 0, 650, 412, 218, 'L', {{50, 450, 412}, {100, 350, 312}, {125, 350, 212}}},
    {15, 0, 0, -10, 384, 218, 'R', {{50, 190, 384}, {100, 290, 284}, {125, 290, 184}}},
    {16, 0, 0, -10, 342, 218, 'R', {{50, 190, 342}, {100, 290, 242}, {125, 290, 142}}},
    {17, 0, 0, 650, 102, 278, 'R', {{50, 450, 102}, {125, 350, 302}, {175, 250, 202}}},
    {18, 0, 0, 650, 378, 278, 'R', {{50, 450, 378}, {125, 350, 178}, {175, 250, 278}}},
    {19, 0, 0, -10, 350, 278, 'L', {{50, 190, 350}, {125, 290, 150}, {175, 390, 250}}},
    {20, 0, 0, -10, 130, 278, 'L', {{50, 190, 130}, {125, 290, 330}, {175, 390, 230}}},
    // Zigzags; in from the left, halt, leave; three legs; straight diagonals.
    {23, 0, 0, 650, 134, 168, 'L', {{75, 350, 234}, {100, 250, 134}, {125, 150, 234}}},
    {24, 0, 0, 650, 346, 168, 'L', {{75, 350, 246}, {100, 250, 346}, {125, 150, 246}}},
    {25, 30, 0, -10, 72, 288, 'B', {{150, 590, 72}}},
    {26, 30, 0, -10, 120, 256, 'B', {{130, 510, 120}}},
    {27, 30, 0, -10, 168, 224, 'B', {{110, 430, 168}}},
    {28, 30, 0, -10, 88, 224, 'B', {{90, 350, 88}}},
    {29, 30, 0, -10, 152, 188, 'B', {{70, 270, 152}}},
    {30, 30, 0, -10, 296, 260, 'T', {{150, 590, 296}}},
    {31, 30, 0, -10, 328, 248, 'T', {{130, 510, 328}}},
    {32, 30, 0, -10, 360, 236, 'T', {{110, 430, 360}}},
    {33, 30, 0, -10, 392, 224, 'T', {{90, 350, 392}}},
    {34, 30, 0, -10, 424, 212, 'T', {{70, 270, 424}}},
    {35, 10, 0, 650, 320, 374, 'L', {{40, 570, 320}, {155, 95, 130}, {250, 475, 130}}},
    {36, 10, 0, 650, 80, 347, 'T', {{40, 570, 80}, {155, 95, 270}, {250, 475, 270}}},
    {37, 0, 0, -10, 380, 134, 'T', {{67, 258, 179}}},
    {38, 0, 0, 650, 100, 134, 'B', {{67, 382, 301}}},
    // Stand, then leave; vertical staircases; spawn motion only.
    {39, 20, -2, 650, 187.5, 210, 'T', {{105, 440, 187.5}}},
    {40, 20, -2, 650, 67.5, 285, 'B', {{142, 366, 73.5}}},
    {41, 20, -1.5, 650, 72, 243, 'L', {{121, 468.5, 72}}},
    {42, 20, 2, -10, 72, 219, 'R', {{109, 208, 72}}},
    {43, 0, 0, 550, -10, 203, 'L', {{10, 550, 30}, {75, 390, 130}, {125, 290, 230}}},
    {44, 0, 0, 550, 490, 203, 'L', {{10, 550, 450}, {75, 390, 350}, {125, 290, 250}}},
    {45, 0, -1.2, 650, 240, 559, 'L', {{279, 315.2, 240}}},
    // Loops for 560 frames, then off to the left. Stage 3 flies 51 thirteen times:
    // from above it loops down the screen and leaves by the bottom before age 620.
    {46, 0, 0, 650, 240, 835, 'L', {{60, 470, 240}, {340, 547.9, 314.9}, {620, 622.8, 237}}},
    {47, 0, 0, 650, 240, 543, 'L', {{80, 395.5, 200.3}, {320, 261.5, 200.3}, {520, 63.6, 276.7}}},
    {48, 0, 0, 650, 415, 576, 'L', {{7, 651.6, 400.5}, {294, 307.8, 280.6}, {547, 54.8, 55.5}}},
    {49, 0, -0.6, 650, 65, 431, 'L', {{4, 649.6, 61.7}, {197, 402.3, 158.2}, {427, -9.3, 363.1}}},
    {50, 0, 0, 650, 455, 479, 'T', {{25, 573.6, 392.7}, {265, 333.6, 152.7}, {476, 171.7, -9.3}}},
    {51, 0, 0, 595, -10, 479, 'B', {{76, 616.3, 91}, {285, 335.7, 300}, {476, 216.3, 491}}},
    // Continuous sine drifts.
    {52, 0, 0, 650, 229, 620, 'L', {{37, 557.5, 152.6}, {324, 378.5, 152.6}, {600, 50, 229}}},
    {53, 0, 0, 650, 251, 620, 'L', {{37, 557.5, 327.4}, {324, 378.5, 327.4}, {600, 50, 251}}},
    {54, 0, 0, 650, 233, 539, 'L', {{20, 576.4, 256.4}, {260, 333.4, 103.7}, {500, 96.4, 256.4}}},
    {55, 0, 0, 650, 247, 539, 'L', {{20, 576.4, 223.6}, {260, 333.4, 376.3}, {500, 96.4, 223.6}}},
    {56, 0, 0, 640, 229, 640, 'L', {{12, 656.3, 218.9}, {312, 356.3, 124.5}, {612, 56.3, 218.9}}},
    {57, 0, 0, 650, 361, 663, 'L', {{19, 602.7, 336.2}, {342, 333.3, 336.2}, {660, -10, 246.4}}},
    {58, 0, 0, 636, 168, 427, 'L', {{20, 656.4, 209.6}, {220, 257.1, 212.2}, {420, 9, 168}}},
    {59, 0, 0, 650, 312, 469, 'L', {{30, 546.2, 369.2}, {240, 290, 312}, {450, 30.8, 369.2}}},
    {60, 0, 0, 650, 212, 224, 'L', {{90, 380, 319.6}, {150, 200, 205.1}, {210, 20, 319.6}}},
    {61, 0, 0, 650, 268, 224, 'L', {{90, 380, 160.4}, {150, 200, 274.9}, {210, 20, 160.4}}},
    // Slowing to a halt, then left after W; the fast waves of stage 3 (13 each).
    {62, 20, 0.8, -10, 90, 98, 'L', {{40, 72, 90}}},
    {63, 20, 0, 650, 120, 203, 'L', {{10, 620, 120}, {75, 440, 134.6}, {125, 240, 109.4}}},
    {64, 20, 0, 650, 360, 203, 'L', {{10, 620, 360}, {75, 440, 345.4}, {125, 240, 370.6}}},
    // Sways.
    {65, 0, 0, 650, 436, 229, 'T', {{44, 516.9, 348}, {164, 276.9, 108}, {197, 298.1, 42}}},
    {66, 0, 0, 650, 44, 229, 'B', {{44, 516.9, 132}, {164, 276.9, 372}, {197, 298.1, 438}}},
    {67, 0, 0, -10, 95, 203, 'B', {{44, 123.1, 183}, {164, 363.1, 423}, {197, 341.9, 489}}},
    {68, 0, 0, -10, 385, 203, 'T', {{44, 123.1, 297}, {164, 363.1, 57}, {197, 341.9, -9}}},
    {69, 0, 0, 136, 490, 256, 'T', {{128, 398.4, 234}}},
    {70, 0, 0, 232, 490, 171, 'T', {{85, 406.6, 235}}},
    {71, 0, 0, 136, -10, 256, 'B', {{128, 398.4, 246}}},
    {72, 30, 0, 230, -10, 171, 'B', {{85, 340, 245}}},
    {73, 0, 0, 196, -10, 171, 'B', {{20, 217, 50}, {100, 297, 290}, {140, 337, 410}}},
    {74, 0, 0, 492, 490, 171, 'T', {{40, 452, 370}, {120, 372, 130}, {160, 332, 10}}},
    {75, 0, 0, 650, 108, 224, 'L', {{20, 590, 129}, {140, 230, 249}, {220, -10, 329}}},
    {76, 0, 0, -10, 372, 224, 'R', {{40, 110, 332}, {120, 350, 252}, {200, 590, 172}}},
    // Accelerate, stop at 70, sweep back.
    {77, 0, 0, -10, 360, 123, 'L', {{70, 473, 360}}},
    {78, 0, 0, -10, 120, 123, 'L', {{70, 473, 120}}},
    {79, 0, 0, 650, 360, 123, 'R', {{70, 167, 360}}},
    {80, 0, 0, 650, 120, 123, 'R', {{70, 167, 120}}},
    // Swaying from 20; stand for 100 frames, then a wave.
    {81, 0, 0, 650, 135, 224, 'L', {{30, 560, 126.6}, {150, 200, 126.6}, {210, 20, 241.1}}},
    {82, 0, 0, 650, 135, 224, 'L', {{30, 560, 143.4}, {150, 200, 143.4}, {210, 20, 28.9}}},
    {83, 0, 0, -10, 396, 159, 'T', {{79, 227, 219}}},
    {84, 0, 0, -10, 240, 224, 'R', {{30, 80, 231.6}, {150, 440, 231.6}, {210, 620, 346.1}}},
    {85, 0, 2, -10, 105, 195, 'R', {{115, 265, 125.9}, {165, 515, 30.4}}},
    {86, 0, -2, 650, 240, 195, 'L', {{115, 375, 219.1}, {165, 125, 314.6}}},
    {87, 0, -2, 650, 317.5, 213, 'T', {{100, 450, 317.5}, {177, 233.3, 86.5}, {204, 251, 5.5}}},
    {88, 0, -2, 650, 57.5, 248, 'B', {{127, 387, 138.5}, {154, 404.7, 219.5}, {227, 187, 438.5}}},
    // Polar circles: 89 for ever, 90..97 for 100 frames between a wave and an exit.
    {89, 0, 0, 560, 126.7, 0, '-', {{10, 587.4, 150.1}, {20, 564, 177.5}, {2000, 560, 126.7}}},
    {90, 0, 0, -10, 240, 289, 'T', {{10, 20, 219.4}, {117, 252.5, 198.3}, {201, 297, 155.2}}},
    {91, 0, 0, -10, 240, 307, 'L', {{10, 20, 219.4}, {117, 252.5, 198.3}, {201, 297, 155.2}}},
    {92, 0, 0, 650, 240, 289, 'B', {{10, 620, 219.4}, {117, 306.5, 281.7}, {200, 347, 324.8}}},
    {93, 0, 0, 640, 240, 308, 'R', {{10, 610, 219.4}, {117, 296.5, 281.7}, {200, 337, 324.8}}},
    {94, 0, 0, -10, 240, 289, 'T', {{10, 20, 219.4}, {117, 252.5, 198.3}, {200, 293, 155.2}}},
    {95, 0, 0, 0, 240, 319, 'R', {{10, 30, 219.4}, {117, 262.5, 198.3}, {200, 303, 155.2}}},
    {96, 0, 0, 650, 240, 289, 'B', {{10, 620, 219.4}, {134, 349.7, 324.9}, {201, 351, 324.8}}},
    {97, 0, 0, 650, 240, 325, 'L', {{10, 620, 219.4}, {134, 349.7, 324.9}, {201, 351, 324.8}}},
    // Sways from W.
    {98, 0, 0, 650, 74, 143, 'B', {{71, 431.1, 287}}},
    {99, 0, 0, -10, 406, 143, 'T', {{71, 197.1, 193}}},
};

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
    EXPECT_EQ(m[60].vx, -3.12);
    EXPECT_EQ(m[69].vx, -3.12);
    m = RunPattern(62, 5, 70);
    EXPECT_EQ(m[64].vx, m[60].vx);                  // held from 61 until W + 60
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
    EXPECT_EQ(m[110].vx, -3.3);
    EXPECT_EQ(m[110].vy, 4);
    m = RunPattern(64, 20, 200);
    EXPECT_EQ(m[10].vx, 0);
    EXPECT_EQ(m[29].vx, 0);
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
    EXPECT_EQ(m[620].vx, -3);
    m = RunPattern(48, 0, 630);
    EXPECT_EQ(m[600].vx, m[559].vx);                // frozen from 560 to 619
    EXPECT_EQ(m[620].vy, 0);
    m = RunPattern(50, 0, 10);
    EXPECT_NEAR(m[0].vy, -4, 1e-12);
    m = RunPattern(51, 0, 70);
    EXPECT_EQ(m[0].vy, 1);
    EXPECT_EQ(m[0].vx, 0);
    EXPECT_EQ(m[59].vx, 0);                         // straight down until the loop
}

TEST_F(EnemyModule, EveryPatternFliesItsWholeCourse) {
    for (const Course& c : COURSES) {
        ResetEnemiesStage();
        EnemyRecord& e = Place(0, c.pattern, c.x, c.y, c.wait, c.speed);
        std::vector<std::pair<double, double>> at{{c.x, c.y}};
        while (e.state == 1 && e.count < 2000) {
            UpdateEnemies();
            at.push_back({e.x, e.y});
        }
        const int age = static_cast<int>(at.size()) - 1;
        EXPECT_EQ(e.state == 1 ? 0 : age, c.leaves) << "pattern " << c.pattern << " left at this age";
        const auto [x, y] = at.back();
        const char edge = e.state == 1 ? '-' : x < -20 ? 'L' : x > 660 ? 'R' : y < -20 ? 'T' : 'B';
        EXPECT_EQ(edge, c.edge) << "pattern " << c.pattern << " left by this edge";
        for (const Course::Point& p : c.points) {
            if (p.age == 0 || p.age > age) continue;
            EXPECT_NEAR(at[p.age].first, p.x, 0.1) << "pattern " << c.pattern << " x at age " << p.age;
            EXPECT_NEAR(at[p.age].second, p.y, 0.1) << "pattern " << c.pattern << " y at age " << p.age;
        }
    }
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
    EXPECT_EQ(m[49].vx, m[7].vx);
}

TEST_F(EnemyModule, SweepPatterns) {
    auto m = RunPattern(77, 0, 80);
    EXPECT_NEAR(m[69].vx, 13.8, 1e-12);
    EXPECT_EQ(m[69].vy, 0);
    EXPECT_EQ(m[70].vx, 0);
    EXPECT_EQ(m[70].vy, 0);
    EXPECT_NEAR(m[71].vx, -7.1, 1e-12);
    m = RunPattern(79, 0, 80);
    EXPECT_NEAR(m[10].vx, -2, 1e-12);
    EXPECT_EQ(m[70].vx, 0);
    EXPECT_NEAR(m[71].vx, 7.1, 1e-12);
}

TEST_F(EnemyModule, StandThenWavePatterns) {
    auto m = RunPattern(85, 0, 102);
    EXPECT_EQ(m[99].vx, 0);
    EXPECT_EQ(m[99].vy, 0);
    EXPECT_EQ(m[100].vx, 3);
    m = RunPattern(86, 0, 102);
    EXPECT_EQ(m[101].vx, -3);
    m = RunPattern(87, 0, 102);
    EXPECT_EQ(m[100].vy, -3);
    m = RunPattern(88, 0, 102);
    EXPECT_EQ(m[100].vy, 3);
}

TEST_F(EnemyModule, PolarCircles) {
    // Pattern 89 closes a circle of 40 frames.
    EnemyRecord& e = Place(0, 89, 320, 240);
    for (int n = 0; n < 40; n++) UpdateEnemies();
    EXPECT_NEAR(e.x, 320, 1e-9);
    EXPECT_NEAR(e.y, 240, 1e-9);
    EXPECT_EQ(e.speed, 4);

    struct Case {
        int pattern;
        double vx1, vxEnd, vyEnd;
    };
    const Case cases[] = {
        {90, 3, -3, -2}, {91, 3, -3, 2},  {92, -3, 3, 2},  {93, -3, 3, -2},
        {94, 3, 3, -2},  {95, 3, 3, 2},   {96, -3, -3, 2}, {97, -3, -3, -2},
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
