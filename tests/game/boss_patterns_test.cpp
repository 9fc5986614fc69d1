// The ten rows of the boss pattern table at their key frames: the five movements
// (stage 0's drift, the homing, the bounces, stage 3's scripted path and its tail)
// and the five shot patterns (timings, fields written, inherited slot fields,
// ballistic switches, homing bullets and accelerating rings).
#include <algorithm>
#include <cmath>

#include "tests/game/boss_fixture.h"

using namespace boss_test;

namespace {

constexpr double PI = 3.1415926535898;
constexpr double DEG = 0.017453292519943334;

// The boss's shot step of one frame; the boss itself stays put.
void ShotFrame() {
    UpdateBoss();
    g_frame++;
}

} // namespace

TEST_F(BossTest, TableHoldsShotRowsThenMovementRows) {
    EXPECT_EQ(boss_pattern_table[0], ShootBoss0);
    EXPECT_EQ(boss_pattern_table[4], ShootBoss4);
    EXPECT_EQ(boss_pattern_table[5], MoveBoss0);
    EXPECT_EQ(boss_pattern_table[9], MoveBoss4);
}

TEST_F(BossTest, Stage0TracksTheShipAndDrifts71PixelsInTenCycles) {
    Enter(0, 600, 240);
    player.y = 100;
    // Tracking: 2 pixels a frame towards the ship's height, then hovering around it.
    MoveBoss();
    EXPECT_EQ(boss.y, 238);
    EXPECT_EQ(boss.x, 600);
    EXPECT_EQ(boss.angle, PI);
    EXPECT_EQ(boss.speed, 0);
    for (int T = 1; T < 300; T++) MoveBoss();
    EXPECT_EQ(boss.y, 100);   // 70 frames to reach 100, then 98 / 100 alternately
    EXPECT_EQ(boss.x, 600);
    MoveBoss();               // t = 300: still
    EXPECT_EQ(boss.vx, 0);
    EXPECT_EQ(boss.vy, 0);
    EXPECT_EQ(boss.y, 100);
    for (int T = 301; T <= 390; T++) MoveBoss();
    EXPECT_NEAR(boss.x, 600 - 90 * 7.1, 1e-9);   // the charge: 90 frames left
    for (int T = 391; T <= 479; T++) MoveBoss();
    EXPECT_NEAR(boss.x, 600 - 7.1, 1e-9);        // the return is one frame shorter
    for (int T = 480; T < 4800; T++) MoveBoss();
    EXPECT_NEAR(boss.x, 529, 1e-9);
    EXPECT_EQ(boss.count, 4800);
}

TEST_F(BossTest, Stage0FiresAStreamThenAFanOfEight) {
    Enter(0);
    player.x = 20;
    player.y = 240;
    ShotFrame();
    const BulletRecord& first = boss_bullets.bullet[0];
    EXPECT_EQ(first.state, 1);
    EXPECT_EQ(first.kind, 0);
    EXPECT_EQ(first.angle, PI);
    EXPECT_EQ(first.speed, 4);
    EXPECT_EQ(first.count, 1);
    EXPECT_NEAR(first.x, 596, 1e-9);
    for (int k = 1; k <= 230; k++) ShotFrame();
    // The fan went out at t = 230 into the lowest free slots (the oldest stream
    // bullets have left on the left), 140° to 210° in steps of 10°.
    std::vector<double> fan;
    for (const BulletRecord& b : boss_bullets.bullet)
        if (b.state == 1 && b.kind == 1) {
            fan.push_back(b.angle);
            EXPECT_EQ(b.speed, 4);
            EXPECT_EQ(b.count, 1);
        }
    ASSERT_EQ(fan.size(), 8u);
    for (int k = 0; k < 8; k++) EXPECT_DOUBLE_EQ(fan[k], 2.443460952792067 + k * 0.17453292519943334) << k;
    EXPECT_NEAR(fan[0], 140 * DEG, 1e-12);
    EXPECT_NEAR(fan[7], 210 * DEG, 1e-12);
    for (int k = 231; k < 480; k++) ShotFrame();
    std::vector<int> expected;
    for (int t = 0; t <= 180; t += 20) expected.push_back(t);
    expected.push_back(230);
    EXPECT_EQ(FramesOf(SE_TAMA), expected);
}

TEST_F(BossTest, Stage1HomesFasterInLaterPhases) {
    Enter(1, 600, 240);
    player.x = 300;
    player.y = 540;
    MoveBoss();
    const double a = std::atan2(300.0, -300.0);
    EXPECT_DOUBLE_EQ(boss.angle, a);
    EXPECT_EQ(boss.speed, 0.5);
    EXPECT_DOUBLE_EQ(boss.x, 600 + std::cos(a) * 0.5);
    EXPECT_DOUBLE_EQ(boss.y, 240 + std::sin(a) * 0.5);
    boss.phase = 8;
    MoveBoss();
    EXPECT_DOUBLE_EQ(boss.speed, 0.5 + 0.2 * 8);
}

TEST_F(BossTest, Stage1InPhase8AimsEvery20FramesAndThrowsFiveBallisticBullets) {
    Enter(1, 600, 240);
    boss.hp = 5000;   // phase 8
    player.x = 20;
    player.y = 100;
    // Aimed bullets leave keep as the slot had it: these never leave the screen.
    for (BulletRecord& b : boss_bullets.bullet) b.keep = 1000000;
    const std::vector<int> r = NextDraws(77, 1);
    ShotFrame();
    EXPECT_EQ(boss.phase, 8);
    const BulletRecord& b0 = boss_bullets.bullet[0];
    const double aim = std::atan2(100.0 - 240, 20.0 - 600);
    const double angle = aim + 10 * DEG + (r[0] * 2 * (PI / 3) / 10000 - PI / 3);
    EXPECT_DOUBLE_EQ(b0.angle, angle);
    EXPECT_EQ(b0.kind, 0);
    EXPECT_EQ(b0.speed, 1);
    EXPECT_EQ(b0.motion, 0);
    EXPECT_DOUBLE_EQ(b0.x, 600 + std::cos(angle));
    EXPECT_DOUBLE_EQ(b0.y, 240 + std::sin(angle));
    for (int k = 1; k < 480; k++) ShotFrame();
    std::vector<int> aimed;
    for (int t = 0; t <= 460; t += 20) aimed.push_back(t);
    EXPECT_EQ(FramesOf(SE_TAMA), aimed);
    ASSERT_EQ(FlyingBossBullets(), 24);

    // t = 480: five ballistic bullets into fresh slots 24..28, falling at once.
    const std::vector<int> v = NextDraws(91, 5);
    ShotFrame();
    EXPECT_EQ(Plays(SE_TAMA), 25);
    for (int k = 0; k < 5; k++) {
        const BulletRecord& b = boss_bullets.bullet[24 + k];
        const double vx = v[k] * 10 / 10000.0 - 5;
        EXPECT_EQ(b.kind, 1);
        EXPECT_EQ(b.motion, 1);
        EXPECT_EQ(b.keep, 125);
        EXPECT_EQ(b.count, 1);
        EXPECT_DOUBLE_EQ(b.vx, vx);
        EXPECT_DOUBLE_EQ(b.vy, -10 + 0.16);
        EXPECT_DOUBLE_EQ(b.x, 600 + vx);
        EXPECT_DOUBLE_EQ(b.y, 240 - 9.84);
    }
    ShotFrame();
    EXPECT_DOUBLE_EQ(boss_bullets.bullet[24].vy, -10 + 0.16 + 0.16);
    EXPECT_DOUBLE_EQ(boss_bullets.bullet[24].y, 240 - 9.84 + (-10 + 0.16 + 0.16));
    // Motion 0 bullets are not ballistic in stage 1, whatever their vx and vy.
    EXPECT_EQ(boss_bullets.bullet[0].vy, 0);

    // Phase 0: every 100 frames instead.
    ClearBossBullets();
    boss_bullets.active = 1;
    boss.hp = 30000;
    g_sounds.clear();
    g_frame = 0;
    for (int k = 0; k < 600; k++) ShotFrame();
    EXPECT_EQ(FramesOf(SE_TAMA), (std::vector<int>{0, 100, 200, 300, 400, 480}));
}

TEST_F(BossTest, Stage1AimedBulletKeepsTheSlotsCountAndKeep) {
    Enter(1);
    BulletRecord& old = boss_bullets.bullet[0];
    old.count = 40;
    old.keep = 125;
    old.vx = 3;
    old.vy = 4;
    ShotFrame();
    EXPECT_EQ(old.state, 1);
    EXPECT_EQ(old.count, 41);
    EXPECT_EQ(old.keep, 125);
    EXPECT_EQ(old.vx, 3);
}

TEST_F(BossTest, Stage2BouncesBetween50And430) {
    Enter(2, 600, 240);
    MoveBoss();
    EXPECT_EQ(boss.vy, 3.0);
    EXPECT_EQ(boss.y, 243);
    EXPECT_EQ(boss.angle, PI);
    EXPECT_EQ(boss.speed, 0);
    int turnedAt = -1;
    for (int k = 1; k < 200 && turnedAt < 0; k++) {
        MoveBoss();
        if (boss.vy < 0) turnedAt = k;
    }
    // At 432 (T = 64) the pattern turns vy and the boss moves back to 429.
    EXPECT_EQ(turnedAt, 64);
    EXPECT_EQ(boss.y, 429);
    EXPECT_EQ(boss.x, 600);
}

TEST_F(BossTest, Stage2ColumnAndBallisticRainWithTheInheritedHeading) {
    Enter(2, 600, 240);
    player.x = 20;
    ShotFrame();
    for (int k = 0; k < 5; k++) {
        const BulletRecord& b = boss_bullets.bullet[k];
        EXPECT_EQ(b.kind, 0);
        EXPECT_EQ(b.motion, 1);
        EXPECT_EQ(b.speed, 5);
        EXPECT_DOUBLE_EQ(b.x, 570 - 5);
        EXPECT_NEAR(b.y, 140 + 50 * k, 1e-9);
        EXPECT_EQ(b.vy, 0);   // motion 1 does not fall in stage 2
    }
    EXPECT_EQ(Plays(SE_TAMA), 1);
    for (int t = 1; t < 305; t++) ShotFrame();
    EXPECT_EQ(FlyingBossBullets(), 0);   // the column has left on the left
    EXPECT_EQ(Plays(SE_TAMA), 1);

    // t = 305: the first drop takes slot 0, which last held a column bullet
    // heading π at speed 5: it falls and drifts 5 pixels left per frame too.
    const std::vector<int> v = NextDraws(5, 1);
    ShotFrame();
    const BulletRecord& b = boss_bullets.bullet[0];
    const double vx = v[0] * 10 / 10000.0 - 5;
    EXPECT_EQ(b.kind, 1);
    EXPECT_EQ(b.motion, 0);
    EXPECT_EQ(b.keep, 125);
    EXPECT_EQ(b.count, 1);
    EXPECT_EQ(b.speed, 5);
    EXPECT_EQ(b.angle, PI);
    EXPECT_DOUBLE_EQ(b.x, 600 + vx + std::cos(PI) * 5);
    EXPECT_DOUBLE_EQ(b.y, 240 + (-10 + 0.16) + std::sin(PI) * 5);
    const double x1 = b.x;
    ShotFrame();
    EXPECT_NEAR(b.x - x1, vx - 5, 1e-9);
    EXPECT_EQ(Plays(SE_TAMA), 2);
    for (int t = 307; t < 600; t++) ShotFrame();
    EXPECT_EQ(Plays(SE_TAMA), 1 + 59);   // 305, 310, …, 595
}

TEST_F(BossTest, Stage3FollowsItsScriptedPath) {
    Enter(3, 600, 240);
    boss.angle = 0.25;
    MoveBoss();   // T = 0: tail on, heading and speed untouched
    for (int k = 0; k < 10; k++) EXPECT_EQ(boss_tail[k].state, 1);
    EXPECT_EQ(boss_tail[10].state, 0);
    EXPECT_EQ(boss_history.x[0], 600);
    EXPECT_EQ(boss_history.x[269], 600 + 538);
    EXPECT_EQ(boss_history.y[135], 240);
    EXPECT_EQ(boss.angle, 0.25);
    EXPECT_EQ(boss.speed, 0);
    EXPECT_EQ(boss.x, 600);

    std::vector<double> angle(4400), speed(4400);
    angle[0] = boss.angle;
    for (int T = 1; T < 4400; T++) {
        MoveBoss();
        angle[T] = boss.angle;
        speed[T] = boss.speed;
    }
    auto wave = [](double base, int t) { return base + (PI / 6) * std::cos(PI * t / 120); };
    EXPECT_DOUBLE_EQ(angle[1], wave(PI, 1));
    EXPECT_EQ(speed[1], 2.0);
    EXPECT_DOUBLE_EQ(angle[239], wave(PI, 239));
    EXPECT_DOUBLE_EQ(angle[240], angle[239] + 0.030543261909900834);
    EXPECT_NEAR(angle[359], angle[239] + 120 * 0.030543261909900834, 1e-12);
    EXPECT_EQ(angle[479], angle[359]);
    EXPECT_NEAR(angle[959], angle[479] - 480 * 0.026179938779915, 1e-11);
    EXPECT_NEAR(angle[1199], angle[959] + 240 * 0.015271630954950417, 1e-11);
    EXPECT_DOUBLE_EQ(angle[1200], wave(3 * PI / 2, 1200));
    EXPECT_NEAR(angle[1499], angle[1379] + 120 * DEG, 1e-11);
    EXPECT_EQ(angle[1679], angle[1499]);
    EXPECT_NEAR(angle[1799], angle[1679] - 120 * 0.03490658503988667, 1e-11);
    EXPECT_DOUBLE_EQ(angle[1800], wave(5 * PI / 6, 1800));
    EXPECT_NEAR(angle[2619], angle[2039] - 580 * 0.026179938779915, 1e-10);
    EXPECT_DOUBLE_EQ(angle[2620], wave(-PI / 6, 2620));
    EXPECT_NEAR(angle[2979], angle[2859] - 120 * 0.021816615649929167, 1e-11);
    EXPECT_EQ(angle[2980], PI);
    EXPECT_EQ(angle[3239], PI);
    EXPECT_NEAR(angle[3359], PI - 120 * DEG, 1e-11);
    EXPECT_DOUBLE_EQ(angle[3360], wave(PI / 3, 3360));
    EXPECT_NEAR(angle[3839], angle[3599] + 240 * DEG, 1e-11);
    EXPECT_DOUBLE_EQ(angle[4398], wave(-PI / 6, 4398));
    EXPECT_EQ(angle[4399], angle[4398]);
    for (int T = 1; T < 4400; T++) ASSERT_EQ(speed[T], 2.0) << T;
    // The last frame of the cycle puts the boss back at (640, 240) before it moves.
    EXPECT_DOUBLE_EQ(boss.x, 640 + std::cos(angle[4399]) * 2);
    EXPECT_DOUBLE_EQ(boss.y, 240 + std::sin(angle[4399]) * 2);
    // The tail is switched on only at the first frame of the fight.
    boss_tail[3].state = 0;
    MoveBoss();
    EXPECT_EQ(boss.count, 4401);
    EXPECT_EQ(boss_tail[3].state, 0);
}

TEST_F(BossTest, Stage3BandsThatLeaveTheSpeedAlone) {
    Enter(3, 320, 240);
    for (int T = 0; T < 1500; T++) MoveBoss();
    boss.speed = 7;
    MoveBoss();   // T = 1500: heading and speed untouched
    EXPECT_EQ(boss.speed, 7);
    for (int T = 1501; T < 3360; T++) MoveBoss();
    boss.speed = 3;
    MoveBoss();   // T = 3360: heading follows the wave, speed untouched
    EXPECT_EQ(boss.speed, 3);
}

TEST_F(BossTest, Stage3FiresTenAimedBulletsPer500Frames) {
    Enter(3, 600, 240);
    player.x = 20;
    player.y = 40;
    ShotFrame();
    const BulletRecord& b = boss_bullets.bullet[0];
    EXPECT_EQ(b.kind, 3);
    EXPECT_EQ(b.speed, 5);
    EXPECT_DOUBLE_EQ(b.angle, std::atan2(40.0 - 240, 20.0 - 600));
    for (int k = 1; k < 1000; k++) ShotFrame();
    std::vector<int> expected;
    for (int c = 0; c < 2; c++)
        for (int t = 0; t < 200; t += 20) expected.push_back(500 * c + t);
    EXPECT_EQ(FramesOf(SE_FIRE), expected);
    EXPECT_EQ(Plays(SE_TAMA), 0);
}

TEST_F(BossTest, TailSegmentsShowWhereTheBossWas27FramesApart) {
    // The ring runs every frame, boss or not.
    for (int f = 1; f <= 1000; f++) {
        boss.x = f;
        boss.y = 2 * f;
        UpdateBossTail();
    }
    // On frame 1000 segment k reads the position of 27·k + 1 frames ago;
    // segment 10 wraps onto segment 0's entry.
    for (int k = 0; k < 10; k++) {
        EXPECT_EQ(boss_tail[k].x, 999 - 27 * k) << k;
        EXPECT_EQ(boss_tail[k].y, 2 * (999 - 27 * k)) << k;
        EXPECT_EQ(boss_tail[k].angle, 0);
    }
    EXPECT_EQ(boss_tail[10].x, 999);
    EXPECT_EQ(boss_history.x[boss_history.cursor], 1000);
}

TEST_F(BossTest, Stage3TailStartsAsALineRightOfTheBossAndGoesAtTheDefeat) {
    Enter(3, 600, 240);
    UpdateBoss();
    MoveBoss();
    UpdateBossTail();
    // Cursor 0 read before the write: segment k at ring entry 27k.
    for (int k = 0; k < 10; k++) EXPECT_EQ(boss_tail[k].x, 600 + 2 * 27 * k) << k;
    EXPECT_EQ(boss_history.cursor, 269);
    EXPECT_EQ(boss_history.x[269], boss.x);
    boss.hp = -3;
    UpdateBoss();
    for (const TailSegment& s : boss_tail) EXPECT_EQ(s.state, 0);
}

TEST_F(BossTest, Stage4BouncesAroundTheScreen) {
    Enter(4, 600, 240);
    boss.hp = 16000;   // phase 4 once UpdateBoss ran
    UpdateBossPhase();
    MoveBoss();
    EXPECT_EQ(boss.vx, -4.0);
    EXPECT_EQ(boss.vy, -4.0);
    EXPECT_EQ(boss.x, 596);
    EXPECT_EQ(boss.y, 236);
    // y reaches 48 after 48 frames; the next frame turns vy.
    for (int k = 1; k <= 47; k++) MoveBoss();
    EXPECT_EQ(boss.y, 48);
    MoveBoss();
    EXPECT_EQ(boss.vy, 4.0);
    EXPECT_EQ(boss.y, 52);
    EXPECT_EQ(boss.angle, PI);
}

TEST_F(BossTest, Stage4AtPhase7FiresEightHomingBulletsAndTwoRingsOf34) {
    Enter(4, 600, 240);
    boss.hp = 8000;   // phase 7
    player.x = 20;
    player.y = 240;
    for (int t = 0; t < 200; t++) ShotFrame();
    EXPECT_EQ(boss.phase, 7);
    EXPECT_EQ(FramesOf(SE_TAMA), (std::vector<int>{0, 20, 40, 60, 80, 100, 120, 140}));
    ASSERT_EQ(FlyingBossBullets(), 8);
    for (int k = 0; k < 8; k++) {
        EXPECT_EQ(boss_bullets.bullet[k].kind, 3);
        EXPECT_EQ(boss_bullets.bullet[k].erase, 1);
        EXPECT_EQ(boss_bullets.bullet[k].speed, 1);
    }
    // Homing: each frame the heading turns to the ship from the bullet's own position.
    player.y = 400;
    ShotFrame();   // t = 200: first ring
    const BulletRecord& h = boss_bullets.bullet[0];
    const double hx = h.x - std::cos(h.angle), hy = h.y - std::sin(h.angle);
    EXPECT_NEAR(h.angle, std::atan2(400 - hy, 20 - hx), 1e-9);

    const double aim = std::atan2(400.0 - 240, 20.0 - 600);
    for (int i = 0; i < 34; i++) {
        const BulletRecord& b = boss_bullets.bullet[8 + i];
        EXPECT_EQ(b.kind, 1) << i;
        EXPECT_EQ(b.motion, 1) << i;
        EXPECT_EQ(b.erase, 0) << i;
        EXPECT_DOUBLE_EQ(b.angle, aim + i * (6.2831853071796 / 34)) << i;
        EXPECT_DOUBLE_EQ(b.speed, 0.2) << i;   // accelerates from the frame it is fired
        EXPECT_DOUBLE_EQ(b.x, 600 + std::cos(b.angle) * 0.2) << i;
    }
    for (int t = 201; t < 400; t++) ShotFrame();
    EXPECT_EQ(Plays(SE_TAMA), 10);
    EXPECT_EQ(FramesOf(SE_TAMA)[9], 220);
    int ring = 0;
    for (const BulletRecord& b : boss_bullets.bullet) ring += b.motion == 1 && b.kind == 1;
    EXPECT_EQ(ring, 68);
    EXPECT_NEAR(boss_bullets.bullet[8].speed, 200 * 0.2, 1e-9);   // 200 frames of +0.2

    // Phase 6: one ring of 32 and seven homing bullets per cycle.
    ClearBossBullets();
    boss_bullets.active = 1;
    boss.hp = 10000;
    g_sounds.clear();
    for (int t = 0; t < 400; t++) ShotFrame();
    EXPECT_EQ(Plays(SE_TAMA), 8);
    int flying = 0;
    for (const BulletRecord& b : boss_bullets.bullet) flying += b.motion == 1;
    EXPECT_EQ(flying, 32);
}

TEST_F(BossTest, Stage4RingBulletInAHomingSlotKeepsItsErasableFlag) {
    Enter(4, 600, 240);
    boss_bullets.count = 200;   // the first ring's frame
    boss_bullets.bullet[0].erase = 1;
    boss_bullets.bullet[0].keep = 50;
    ShotFrame();
    EXPECT_EQ(boss_bullets.bullet[0].motion, 1);
    EXPECT_EQ(boss_bullets.bullet[0].erase, 1);
    EXPECT_EQ(boss_bullets.bullet[0].keep, 50);
    EXPECT_EQ(boss_bullets.bullet[1].erase, 0);
}

TEST_F(BossTest, FullBlockSkipsBulletsButStillPlaysTheSound) {
    Enter(0);
    for (BulletRecord& b : boss_bullets.bullet) {
        b.state = 1;
        b.x = 300;
        b.y = 240;
        b.keep = 1000000;
    }
    EXPECT_EQ(FindFreeBossBullet(), -1);
    ShotFrame();
    EXPECT_EQ(Plays(SE_TAMA), 1);
    boss_bullets.bullet[123].state = 0;
    EXPECT_EQ(FindFreeBossBullet(), 123);
}

TEST_F(BossTest, BossBulletsLeaveTheScreenOnlyAfterTheirKeep) {
    BulletRecord& b = boss_bullets.bullet[0];
    b.state = 1;
    b.x = 689;
    b.y = 240;
    b.speed = 1;
    MoveBossBullets();
    EXPECT_EQ(b.state, 1);   // 690 is still inside
    MoveBossBullets();
    EXPECT_EQ(b.state, 0);
    EXPECT_EQ(boss_bullets.count, 2);
    BulletRecord& k = boss_bullets.bullet[1];
    k.state = 1;
    k.y = -60;
    k.keep = 2;
    MoveBossBullets();
    MoveBossBullets();
    EXPECT_EQ(k.state, 1);   // count 2 ≤ keep
    MoveBossBullets();
    EXPECT_EQ(k.state, 0);
}

TEST_F(BossTest, Stage4PastTheRightOrBottomEdgeAtAResetMovesBackIn) {
    // Every 1200 frames the velocity is reset to point left and up. A boss just
    // past the right or bottom bound at that moment heads back in and goes on
    // bouncing across the whole field instead of being held at that edge.
    struct Case { double x, y; } cases[] = {{601, 240}, {300, 431}, {602, 432}};
    for (const Case& c : cases) {
        Enter(4, c.x, c.y);
        boss.count = 1200;
        boss.hp = 27000;   // phase 1: speed 2.5
        UpdateBossPhase();
        MoveBoss();
        EXPECT_EQ(boss.vx, -2.5) << c.x << "," << c.y;
        EXPECT_EQ(boss.vy, -2.5) << c.x << "," << c.y;
        EXPECT_EQ(boss.x, c.x - 2.5);
        EXPECT_EQ(boss.y, c.y - 2.5);
        double minX = boss.x, maxX = boss.x, minY = boss.y, maxY = boss.y;
        for (int k = 1; k < 1200; k++) {
            MoveBoss();
            minX = std::min(minX, boss.x), maxX = std::max(maxX, boss.x);
            minY = std::min(minY, boss.y), maxY = std::max(maxY, boss.y);
        }
        EXPECT_LT(minX, 50) << c.x << "," << c.y;
        EXPECT_LT(minY, 50) << c.x << "," << c.y;
        EXPECT_LE(maxX, 602.5) << c.x << "," << c.y;
        EXPECT_LE(maxY, 432.5) << c.x << "," << c.y;
    }
}
