// The 100 enemy movement patterns, one timetable function each keyed to the enemy's
// age n and pause W, and the table UpdateEnemies indexes by `pattern`. Steps run in
// timetable order, so where a W-shifted step meets a fixed one the later one wins.
#include "game/enemy/patterns.h"

#include <cmath>

#include "framework/framework.h"
#include "game/enemy/enemy.h"

namespace {

constexpr double PI = PATTERN_PI;
constexpr double TWO_PI = 6.2831853071796;

double RandomFraction() { return RandomUpTo(10000) / 10000.0; }

// A random turn of patterns 10, 21 and 22: h = 1 turns the enemy to face within
// 45° of leftwards, h = 0 of rightwards. Two draws, the speed's first.
void RandomTurn(EnemyRecord& e, double baseSpeed, bool keepDirection) {
    const int h = keepDirection ? (std::cos(e.angle) <= 0 ? 1 : 0) : (std::cos(e.angle) >= 0 ? 1 : 0);
    e.speed = 4 * RandomFraction() + baseSpeed;
    e.pose = 2 - 2 * h;
    e.angle = (PI / 2) * RandomFraction() - PI / 4 + h * PI;
}

// The right-angle staircase of patterns 13..20: stops at fixed ages, moves at
// W-shifted ones; the optional fifth and sixth legs when `sixLegs` is set.
void Staircase(EnemyRecord& e, double a, double b, double c, double d, double f1, bool sixLegs = false,
               double f2 = 0, double g = 0) {
    const int n = e.count, w = e.wait;
    if (n == 0) e.vx = a;
    if (n == 50) e.vx = 0;
    if (n == w + 50) e.vy = b;
    if (n == 75) e.vy = 0;
    if (n == w + 75) e.vx = c;
    if (n == 100) e.vx = 0;
    if (n == w + 100) e.vy = d;
    if (n == 125) e.vy = 0;
    if (n == w + 125) e.vx = f1;
    if (!sixLegs) return;
    if (n == 150) e.vx = 0;
    if (n == w + 150) e.vy = f2;
    if (n == 175) e.vy = 0;
    if (n == w + 175) e.vx = g;
}

// Enter leftwards, halt at `stop`, then leave after W with the given move.
void EnterHaltLeave(EnemyRecord& e, double enter, int stop, int pose, double vx, double vy, bool setPose) {
    const int n = e.count;
    if (n == 0) e.vx = enter;
    if (n == stop) e.vx = 0;
    if (n == e.wait + stop) {
        if (setPose) e.pose = pose;
        e.vy = vy;
        e.vx = vx;
    }
}

// Patterns 3 and 4: a curve that gathers speed for the first 100 frames.
void Curve(EnemyRecord& e, int pose, double dvy) {
    const int n = e.count;
    if (n == 0) e.vx = -5;
    if (n == 30) e.pose = pose;
    if (n <= 99) {
        e.vy += dvy;
        e.vx -= 0.05;
    }
}

// Patterns 5..9, 37, 38: one straight line from age `at`.
void Line(EnemyRecord& e, int at, bool setPose, double vx, double vy, bool setVy) {
    if (e.count != at) return;
    if (setPose) e.pose = 0;
    if (setVy) e.vy = vy;
    e.vx = vx;
}

// Patterns 23, 24: leftwards with a zigzag of vertical legs.
void Zigzag(EnemyRecord& e, double s) {
    const int n = e.count, w = e.wait;
    if (n == 0) e.vx = -4;
    if (n == 50) e.vy = s;
    if (n == 75) e.vy = 0;
    if (n == w + 75) e.vy = -s;
    if (n == 100) e.vy = 0;
    if (n == w + 100) e.vy = s;
    if (n == 125) e.vy = 0;
    if (n == w + 125) e.vy = -s;
}

// Patterns 35, 36: three legs.
void ThreeLegs(EnemyRecord& e, double vy1, double vy3) {
    const int n = e.count;
    if (n == 0) e.vx = -2;
    if (n == 40) e.vx = 0;
    if (n == e.wait + 50) {
        e.vy = vy1;
        e.vx = -5;
    }
    if (n == 155) {
        e.vx = 4;
        e.vy = 0;
    }
    if (n == 250) {
        e.vx = -4;
        e.vy = vy3;
    }
}

// Patterns 39..42: stand, then leave after W + 120 frames.
void WaitLeave(EnemyRecord& e, bool vertical, double v) {
    if (e.count == 0) e.vx = 0;
    if (e.count == e.wait + 120) {
        e.pose = 0;
        if (vertical) e.vy = v;
        else e.vx = v;
    }
}

// Patterns 43, 44: a staircase that starts vertically.
void VerticalStaircase(EnemyRecord& e, double s) {
    const int n = e.count, w = e.wait;
    if (n == 0) e.vy = s;
    if (n == 10) e.vy = 0;
    if (n == w + 10) e.vx = -4;
    if (n == 50) e.vx = 0;
    if (n == w + 50) e.vy = s;
    if (n == 75) e.vy = 0;
    if (n == w + 75) e.vx = -4;
    if (n == 100) e.vx = 0;
    if (n == w + 100) e.vy = s;
    if (n == 125) e.vy = 0;
    if (n == w + 125) e.vx = -4;
}

// The end of the drift loops 46..51: off to the left.
void LeaveLeft(EnemyRecord& e) {
    if (e.count >= 620) {
        e.vx = -3;
        e.vy = 0;
    }
}

// Patterns 63, 64: a fast wave after W + 10, then a diagonal exit.
void Wave(EnemyRecord& e, double sign) {
    const int n = e.count, w = e.wait;
    if (n == 0) e.vx = -3;
    if (n == 10) e.vx = 0;
    if (n >= w + 10) {
        e.vx = -4;
        e.vy = sign * 4 * std::cos(PI * (n + 60) / 10);
    }
    if (n >= w + 110) {
        e.vx = -3.3;
        e.vy = -sign * 4;
    }
}

// Patterns 77..80: accelerate, stop at 70, then sweep back on a wave.
void Sweep(EnemyRecord& e, double dir, double vyBase) {
    const int n = e.count;
    e.vx = dir * 0.2 * n;
    if (n == 70) e.vx = 0;
    if (n > 70) {
        e.vx = -dir * 0.1 * n;
        e.vy = vyBase - std::cos(PI * (n + 60) / 20);
    }
}

// Patterns 85..88: stand for 100 frames, then a wave.
void StandThenWave(EnemyRecord& e, int variant) {
    const int n = e.count;
    if (n == 0) e.vx = 0;
    if (n < 100) e.vy = 0;
    if (n < 100) return;
    const double c = std::cos(PI * (n + 60) / 50);
    switch (variant) {
    case 85: e.vx = 3; e.vy = -3 * c; break;
    case 86: e.vx = -3; e.vy = 3 * c; break;
    case 87: e.vx = -3 * c; e.vy = -3; break;
    default: e.vx = 3 * c; e.vy = 3; break;
    }
}

// Patterns 90..97: a wave, a polar circle from n = 101, a straight exit from n = 201.
void WaveCircleExit(EnemyRecord& e, double vx1, double turn, double vxEnd, double vyEnd) {
    const int n = e.count;
    e.vx = vx1;
    e.vy = 3 * std::cos(PI * (n + 60) / 20);
    if (n > 100) {
        e.vx = 0;
        e.vy = 0;
        e.angle = turn * PI * n;
        e.speed = 4;
    }
    if (n > 200) {
        e.angle = 0;
        e.speed = 0;
        e.vx = vxEnd;
        e.vy = vyEnd;
    }
}

EnemyRecord& E(int i) { return enemy[i]; }

void P0(int i) {
    EnemyRecord& e = E(i);
    const int n = e.count;
    if (n == 0) e.vx = -3;
    if (n == 60) e.vx = 0;
    if (n == e.wait + 60) e.vx = 3;
}
void P1(int i) { EnterHaltLeave(E(i), -3, 40, 0, 3, -1, true); }
void P2(int i) { EnterHaltLeave(E(i), -3, 40, 2, 2, 1, true); }
void P3(int i) { Curve(E(i), 0, -0.05); }
void P4(int i) { Curve(E(i), 2, 0.05); }
void P5(int i) { Line(E(i), 0, true, -2, -1, true); }
void P6(int i) { Line(E(i), 0, true, -2, 1, true); }
void P7(int i) { Line(E(i), E(i).wait, true, -2.1, -0.9, true); }
void P8(int i) { Line(E(i), E(i).wait, true, -2.1, 0.9, true); }
void P9(int i) { Line(E(i), E(i).wait, false, -3, 0, false); }

void P10(int i) {
    EnemyRecord& e = E(i);
    const int n = e.count;
    if (n == 0) e.vx = -4;
    if (n == 40) e.vx = 0;
    if (n >= 40) {
        if (n % 60 == 0) RandomTurn(e, 4, false);
        e.speed *= 0.95;
    }
    if (n >= e.wait + 40) e.vx -= 0.05;
}

void P11(int i) { EnterHaltLeave(E(i), -4, 100, 2, 3.3, 3, true); }
void P12(int i) { EnterHaltLeave(E(i), -4, 100, 2, 3.3, -3, true); }
void P13(int i) { Staircase(E(i), -4, 4, -4, 4, -4); }
void P14(int i) { Staircase(E(i), -4, -4, -4, -4, -4); }
void P15(int i) { Staircase(E(i), 4, -4, 4, -4, 4); }
void P17(int i) { Staircase(E(i), -4, 4, -4, 4, -4, true, -4, 4); }
void P18(int i) { Staircase(E(i), -4, -4, -4, -4, -4, true, 4, 4); }
void P19(int i) { Staircase(E(i), 4, -4, 4, -4, 4, true, 4, -4); }
void P20(int i) { Staircase(E(i), 4, 4, 4, 4, 4, true, -4, -4); }

void P21(int i) {
    EnemyRecord& e = E(i);
    const int n = e.count;
    if (n == 0) e.vx = -4;
    if (n == 40) e.vx = 0;
    if (n >= 40) {
        if (n % 10 == 0) RandomTurn(e, 3, false);
        e.speed *= 0.95;
    }
    if (n >= e.wait + 40) e.vx -= 0.06;
}

void P22(int i) {
    EnemyRecord& e = E(i);
    const int n = e.count;
    if (n == 0) e.vx = 5;
    if (n == 30) e.vx = 0;
    if (n >= 30) {
        if (n % 10 == 0) RandomTurn(e, 3, true);
        e.speed *= 0.95;
    }
    if (n >= e.wait) e.vx += 0.06;
}

void P23(int i) { Zigzag(E(i), 4); }
void P24(int i) { Zigzag(E(i), -4); }
void P25(int i) { EnterHaltLeave(E(i), 4, 150, 0, -2, 4, false); }
void P26(int i) { EnterHaltLeave(E(i), 4, 130, 0, -2, 4, false); }
void P27(int i) { EnterHaltLeave(E(i), 4, 110, 0, -2, 4, false); }
void P28(int i) { EnterHaltLeave(E(i), 4, 90, 0, -2, 4, false); }
void P29(int i) { EnterHaltLeave(E(i), 4, 70, 0, -2, 4, false); }
void P30(int i) { EnterHaltLeave(E(i), 4, 150, 0, -2, -4, false); }
void P31(int i) { EnterHaltLeave(E(i), 4, 130, 0, -2, -4, false); }
void P32(int i) { EnterHaltLeave(E(i), 4, 110, 0, -2, -4, false); }
void P33(int i) { EnterHaltLeave(E(i), 4, 90, 0, -2, -4, false); }
void P34(int i) { EnterHaltLeave(E(i), 4, 70, 0, -2, -4, false); }
void P35(int i) { ThreeLegs(E(i), -2, 3); }
void P36(int i) { ThreeLegs(E(i), 2, -3); }
void P37(int i) { Line(E(i), 0, true, 4, -3, true); }
void P38(int i) { Line(E(i), 0, true, -4, 3, true); }
void P39(int i) { WaitLeave(E(i), true, -3); }
void P40(int i) { WaitLeave(E(i), true, 3); }
void P41(int i) { WaitLeave(E(i), false, -3); }
void P42(int i) { WaitLeave(E(i), false, 3); }
void P43(int i) { VerticalStaircase(E(i), 4); }
void P44(int i) { VerticalStaircase(E(i), -4); }
void P45(int) {}

void P46(int i) {
    EnemyRecord& e = E(i);
    const int n = e.count;
    if (n == 0) e.vx = -3;
    if (n >= 60 && n <= 619) {
        const double a = PI * (n + 60) / 80;
        e.vx = 3 * std::cos(a);
        e.vy = 3 * std::sin(a);
    }
    LeaveLeft(e);
}

void P47(int i) {
    EnemyRecord& e = E(i);
    const int n = e.count;
    if (n == 0) e.vx = -3;
    if (n >= 60 && n <= 619) {
        e.vx = 3 * std::sin(PI * (n + 60) / 80) - 1;
        e.vy = 3 * std::cos(TWO_PI * (n + 60) / 80);
    }
    LeaveLeft(e);
}

void P48(int i) {
    EnemyRecord& e = E(i);
    const int n = e.count;
    if (n <= 559) {
        const double a = PI * (n + 60) / 80;
        e.vx = 2 * std::sin(a) - 1;
        e.vy = 2 * std::cos(a) - 0.5;
    }
    LeaveLeft(e);
}

void P49(int i) {
    EnemyRecord& e = E(i);
    const int n = e.count;
    if (n <= 559) {
        const double a = PI * (-n - 60) / 80;
        e.vx = -1 - 2 * std::cos(a);
        e.vy = 2 * std::sin(a) + 0.5;
    }
    LeaveLeft(e);
}

void P50(int i) {
    EnemyRecord& e = E(i);
    const int n = e.count;
    if (n <= 559) {
        const double a = TWO_PI * (n + 40) / 80;
        e.vx = 3 * std::sin(a) - 1;
        e.vy = 3 * std::cos(a) - 1;
    }
    LeaveLeft(e);
}

void P51(int i) {
    EnemyRecord& e = E(i);
    const int n = e.count;
    if (n == 0) e.vy = 1;
    if (n >= 60 && n <= 619) {
        const double a = TWO_PI * (-n - 60) / 80;
        e.vx = -1 - 3 * std::cos(a);
        e.vy = 3 * std::sin(a) + 1;
    }
    LeaveLeft(e);
}

void P52(int i) {
    EnemyRecord& e = E(i);
    const double a = PI * (e.count + 60) / 60;
    e.vx = 3 * std::cos(a) - 1;
    e.vy = 3 * std::sin(a);
}
void P53(int i) {
    EnemyRecord& e = E(i);
    const double a = PI * (e.count + 60) / 60;
    e.vx = 3 * std::cos(a) - 1;
    e.vy = -3 * std::sin(a);
}
void P54(int i) {
    EnemyRecord& e = E(i);
    const double a = PI * (e.count + 60) / 80;
    e.vx = 3 * std::cos(a) - 1;
    e.vy = 3 * std::sin(a);
}
void P55(int i) {
    EnemyRecord& e = E(i);
    const double a = PI * (e.count + 60) / 80;
    e.vx = 3 * std::cos(a) - 1;
    e.vy = -3 * std::sin(a);
}
void P56(int i) {
    EnemyRecord& e = E(i);
    const int n = e.count;
    e.vx = 3 * std::cos(TWO_PI * (n + 60) / 60) - 1;
    e.vy = 3 * std::sin(PI * (n + 60) / 60);
}
void P57(int i) {
    EnemyRecord& e = E(i);
    const int n = e.count;
    e.vx = -1 - 3 * std::cos(TWO_PI * (n + 60) / 60);
    e.vy = 3 * std::sin(PI * (n + 60) / 60);
}
void P58(int i) {
    EnemyRecord& e = E(i);
    const int n = e.count;
    e.vx = -1.5 - 3 * std::cos(PI * (n + 60) / 60);
    e.vy = 3 * std::sin(TWO_PI * (n + 60) / 60);
}
void P59(int i) {
    EnemyRecord& e = E(i);
    const int n = e.count;
    e.vx = 3 * std::cos(PI * (n + 60) / 60) - 1.5;
    e.vy = 3 * std::sin(TWO_PI * (n + 60) / 60);
}
void P60(int i) {
    EnemyRecord& e = E(i);
    const int n = e.count;
    if (n == 0) e.vx = -3;
    if (n >= 40) e.vy = 3 * std::cos(PI * (n + 60) / 60);
}
void P61(int i) {
    EnemyRecord& e = E(i);
    const int n = e.count;
    if (n == 0) e.vx = -3;
    if (n >= 40) e.vy = -3 * std::cos(PI * (n + 60) / 60);
}
void P62(int i) {
    EnemyRecord& e = E(i);
    const int n = e.count;
    if (n <= 60) e.vx = 2.5 * std::cos(PI * n / 65);
    if (n == e.wait + 60) e.vx = -3.12;
}
void P63(int i) { Wave(E(i), -1); }
void P64(int i) { Wave(E(i), 1); }
void P65(int i) {
    EnemyRecord& e = E(i);
    e.vx = 3 * std::cos(PI * (e.count + 60) / 60) - 2;
    e.vy = -2;
}
void P66(int i) {
    EnemyRecord& e = E(i);
    e.vx = 3 * std::cos(PI * (e.count + 60) / 60) - 2;
    e.vy = 2;
}
void P67(int i) {
    EnemyRecord& e = E(i);
    e.vx = 2 - 3 * std::cos(PI * (e.count + 60) / 60);
    e.vy = 2;
}
void P68(int i) {
    EnemyRecord& e = E(i);
    e.vx = 2 - 3 * std::cos(PI * (e.count + 60) / 60);
    e.vy = -2;
}
void P69(int i) {
    EnemyRecord& e = E(i);
    e.vx = 2 - std::cos(PI * (e.count + 60) / 20);
    e.vy = -2;
}
void P70(int i) {
    EnemyRecord& e = E(i);
    e.vx = 2 - std::cos(PI * (e.count + 60) / 20);
    e.vy = -3;
}
void P71(int i) {
    EnemyRecord& e = E(i);
    e.vx = 2 - std::cos(PI * (e.count + 60) / 20);
    e.vy = 2;
}
void P72(int i) {
    EnemyRecord& e = E(i);
    if (e.count == e.wait) e.vx = 2 - std::cos(PI * (e.wait + 60) / 20);
    e.vy = 3;
}
void P73(int i) {
    EnemyRecord& e = E(i);
    if (e.count < e.wait) return;
    e.vx = 1 - std::cos(PI * (e.count + 60) / 20);
    e.vy = 3;
}
void P74(int i) {
    EnemyRecord& e = E(i);
    if (e.count < e.wait) return;
    e.vx = -1 - std::cos(PI * (e.count + 60) / 20);
    e.vy = -3;
}
void P75(int i) {
    EnemyRecord& e = E(i);
    if (e.count < e.wait) return;
    e.vx = -3;
    e.vy = 1 - std::cos(PI * (e.count + 60) / 20);
}
void P76(int i) {
    EnemyRecord& e = E(i);
    if (e.count < e.wait) return;
    e.vx = 3;
    e.vy = -1 - std::cos(PI * (e.count + 60) / 20);
}
void P77(int i) { Sweep(E(i), 1, -3); }
void P78(int i) { Sweep(E(i), 1, 3); }
void P79(int i) { Sweep(E(i), -1, -3); }
void P80(int i) { Sweep(E(i), -1, 3); }
void P81(int i) {
    EnemyRecord& e = E(i);
    if (e.count == 0) e.vx = -3;
    if (e.count >= 20) e.vy = 3 * std::cos(PI * (e.count + 60) / 60);
}
void P82(int i) {
    EnemyRecord& e = E(i);
    if (e.count == 0) e.vx = -3;
    if (e.count >= 20) e.vy = -3 * std::cos(PI * (e.count + 60) / 60);
}
void P83(int i) {
    EnemyRecord& e = E(i);
    if (e.count == 0) e.vx = -3 * std::cos(PI * 60 / 60);
    if (e.count >= 20) e.vy = -3;
}
void P84(int i) {
    EnemyRecord& e = E(i);
    if (e.count == 0) e.vx = 3;
    if (e.count >= 20) e.vy = 3 * std::cos(PI * (e.count + 60) / 60);
}
void P85(int i) { StandThenWave(E(i), 85); }
void P86(int i) { StandThenWave(E(i), 86); }
void P87(int i) { StandThenWave(E(i), 87); }
void P88(int i) { StandThenWave(E(i), 88); }
void P89(int i) {
    EnemyRecord& e = E(i);
    e.angle = 0.05 * PI * e.count;
    e.speed = 4;
}
void P90(int i) { WaveCircleExit(E(i), 3, 0.03, -3, -2); }
void P91(int i) { WaveCircleExit(E(i), 3, 0.03, -3, 2); }
void P92(int i) { WaveCircleExit(E(i), -3, -0.03, 3, 2); }
void P93(int i) { WaveCircleExit(E(i), -3, -0.03, 3, -2); }
void P94(int i) { WaveCircleExit(E(i), 3, 0.03, 3, -2); }
void P95(int i) { WaveCircleExit(E(i), 3, 0.03, 3, 2); }
void P96(int i) { WaveCircleExit(E(i), -3, -0.03, -3, 2); }
void P97(int i) { WaveCircleExit(E(i), -3, -0.03, -3, -2); }
void P98(int i) {
    EnemyRecord& e = E(i);
    if (e.count < e.wait) return;
    e.vx = -3 - std::cos(PI * (e.count + 60) / 20);
    e.vy = 3;
}
void P99(int i) {
    EnemyRecord& e = E(i);
    if (e.count < e.wait) return;
    e.vx = 3 - std::cos(PI * (e.count + 60) / 20);
    e.vy = -3;
}

} // namespace

const EnemyPatternFn enemy_pattern[ENEMY_PATTERNS] = {
    P0,   // 0  enter, halt at 60, leave right after W
    P1,   // 1  enter, halt at 40, leave up-right
    P2,   // 2  enter, halt at 40, leave down-right
    P3,   // 3  curve upwards, gathering speed
    P4,   // 4  curve downwards, gathering speed
    P5,   // 5  straight up-left
    P6,   // 6  straight down-left
    P7,   // 7  up-left after W
    P8,   // 8  down-left after W
    P9,   // 9  left after W
    P10,  // 10 random turns every 60 frames
    P11,  // 11 enter, halt at 100, leave down-right
    P12,  // 12 enter, halt at 100, leave up-right
    P13,  // 13 staircase left, down first
    P14,  // 14 staircase left, up
    P15,  // 15 staircase right, up first
    P15,  // 16 the same as 15
    P17,  // 17 six-leg staircase left
    P18,  // 18 six-leg staircase left, up
    P19,  // 19 six-leg staircase right
    P20,  // 20 six-leg staircase right, down
    P21,  // 21 random turns every 10 frames, drifting left
    P22,  // 22 random turns every 10 frames, drifting right
    P23,  // 23 leftwards zigzag, down first
    P24,  // 24 leftwards zigzag, up first
    P25,  // 25 in from the left, halt at 150, leave down-left
    P26,  // 26 halt at 130, leave down-left
    P27,  // 27 halt at 110, leave down-left
    P28,  // 28 halt at 90, leave down-left
    P29,  // 29 halt at 70, leave down-left
    P30,  // 30 halt at 150, leave up-left
    P31,  // 31 halt at 130, leave up-left
    P32,  // 32 halt at 110, leave up-left
    P33,  // 33 halt at 90, leave up-left
    P34,  // 34 halt at 70, leave up-left
    P35,  // 35 three legs, up first
    P36,  // 36 three legs, down first
    P37,  // 37 straight up-right
    P38,  // 38 straight down-left
    P39,  // 39 stand, then up
    P40,  // 40 stand, then down
    P41,  // 41 stand, then left
    P42,  // 42 stand, then right
    P43,  // 43 staircase down and left
    P44,  // 44 staircase up and left
    P45,  // 45 spawn motion only
    P46,  // 46 circle loop, then left
    P47,  // 47 figure loop, then left
    P48,  // 48 slow loop, then left
    P49,  // 49 slow loop the other way, then left
    P50,  // 50 fast loop, then left
    P51,  // 51 fast loop the other way, then left
    P52,  // 52 wave down-left
    P53,  // 53 wave up-left
    P54,  // 54 long wave down-left
    P55,  // 55 long wave up-left
    P56,  // 56 figure-eight drifting left
    P57,  // 57 figure-eight drifting left, mirrored
    P58,  // 58 sideways figure-eight
    P59,  // 59 sideways figure-eight, mirrored
    P60,  // 60 left, then vertical sway
    P61,  // 61 left, then vertical sway mirrored
    P62,  // 62 decelerate, then leave left after W
    P63,  // 63 fast wave, then down-left
    P64,  // 64 fast wave, then up-left
    P65,  // 65 horizontal sway rising
    P66,  // 66 horizontal sway falling
    P67,  // 67 horizontal sway falling, mirrored
    P68,  // 68 horizontal sway rising, mirrored
    P69,  // 69 quick sway rising
    P70,  // 70 quick sway rising faster
    P71,  // 71 quick sway falling
    P72,  // 72 falling, vx set once at W
    P73,  // 73 falling with a sway from W
    P74,  // 74 rising with a sway from W
    P75,  // 75 leftwards with a vertical sway from W
    P76,  // 76 rightwards with a vertical sway from W
    P77,  // 77 accelerate right, sweep back rising
    P78,  // 78 accelerate right, sweep back falling
    P79,  // 79 accelerate left, sweep back rising
    P80,  // 80 accelerate left, sweep back falling
    P81,  // 81 left with a vertical sway from 20
    P82,  // 82 left with a mirrored sway from 20
    P83,  // 83 right, rising from 20
    P84,  // 84 right with a vertical sway from 20
    P85,  // 85 stand, then right on a wave
    P86,  // 86 stand, then left on a wave
    P87,  // 87 stand, then rising on a wave
    P88,  // 88 stand, then falling on a wave
    P89,  // 89 polar circle of 40 frames
    P90,  // 90 wave right, circle, exit up-left
    P91,  // 91 wave right, circle, exit down-left
    P92,  // 92 wave left, circle back, exit down-right
    P93,  // 93 wave left, circle back, exit up-right
    P94,  // 94 wave right, circle, exit up-right
    P95,  // 95 wave right, circle, exit down-right
    P96,  // 96 wave left, circle back, exit down-left
    P97,  // 97 wave left, circle back, exit up-left
    P98,  // 98 falling left with a sway from W
    P99,  // 99 rising right with a sway from W
};
