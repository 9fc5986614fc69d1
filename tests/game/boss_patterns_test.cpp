// The ten rows of the boss pattern table at their key frames: the five movements
// (stage 0's drift, the homing, the bounces, stage 3's scripted path and its tail)
// and the five shot patterns (timings, fields written, inherited slot fields,
// ballistic switches, homing bullets and accelerating rings). Where bullets go is
// judged from where they fly: the directions they take from the boss, the arc a
// thrown bullet draws, the spread of a volley.
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

// The directions in which the flying bullets of `kind` have gone from (x, y), as
// offsets from `centre` in (−π, π], sorted.
std::vector<double> HeadingsFrom(double x, double y, int kind, double centre) {
    std::vector<double> out;
    for (const BulletRecord& b : boss_bullets.bullet)
        if (b.state == 1 && b.kind == kind)
            out.push_back(std::remainder(std::atan2(b.y - y, b.x - x) - centre, 2 * PI));
    std::sort(out.begin(), out.end());
    return out;
}

// Where each bullet in `slots` was after every frame it flew, from its first frame
// (count 1) until it was gone; `frame` runs the game one frame.
using Flight = std::vector<std::pair<double, double>>;
template <typename Frame>
std::vector<Flight> Follow(const std::vector<int>& slots, Frame frame) {
    std::vector<Flight> flights(slots.size());
    std::vector<bool> gone(slots.size(), false);
    for (int n = 0; n < 1000; n++) {
        bool flying = false;
        for (size_t k = 0; k < slots.size(); k++) {
            const BulletRecord& b = boss_bullets.bullet[slots[k]];
            gone[k] = gone[k] || b.state != 1;
            if (!gone[k]) flights[k].push_back({b.x, b.y}), flying = true;
        }
        if (!flying) break;
        frame();
    }
    return flights;
}

// A thrown bullet's whole flight from (x0, y0): thrown upwards at 10 pixels a
// frame and pulled down by 0.16 a frame, it tops out 307.52 pixels up after 62
// frames and is back at the height it left from after 124; across, it drifts at
// one steady speed of at most 5 a frame (besides `carried`, from a heading its
// slot kept). It outlives its keep of 125 frames and has gone by the time it falls
// off the bottom (149 frames).
void ExpectThrownArc(const Flight& f, double x0, double y0, double carried) {
    ASSERT_GE(f.size(), 125u) << "left before its keep";
    EXPECT_LT(f.size(), 149u) << "still there below the screen";
    const double step = f[0].first - x0;
    EXPECT_LE(std::abs(step - carried), 5);
    size_t top = 0;
    for (size_t n = 1; n < f.size(); n++) {
        EXPECT_NEAR(f[n].first - f[n - 1].first, step, 1e-9) << n;
        if (f[n].second < f[top].second) top = n;
    }
    EXPECT_EQ(top + 1, 62u);
    EXPECT_NEAR(y0 - f[top].second, 307.52, 1e-9);
    EXPECT_NEAR(f[123].second, y0, 1e-9);
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
    for (int k = 1; k < 250; k++) ShotFrame();
    // The fan went out at t = 230: after 20 frames of flight its eight bullets are 80
    // pixels out, 10° apart and symmetric about 175° (140° to 210°).
    const std::vector<double> fan = HeadingsFrom(600, 240, 1, 175 * DEG);
    ASSERT_EQ(fan.size(), 8u);
    for (int k = 0; k < 8; k++) EXPECT_NEAR(fan[k], (k - 3.5) * 10 * DEG, 1e-9) << k;
    for (const BulletRecord& b : boss_bullets.bullet) {
        if (b.state == 1 && b.kind == 1) {
            EXPECT_NEAR(std::hypot(b.x - 600, b.y - 240), 80, 1e-9);
        }
    }
    for (int k = 250; k < 480; k++) ShotFrame();
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
    // Where each aimed bullet heads on its first frame, 1 pixel out from the boss,
    // from 10° past the aim at the ship.
    const double aim = std::atan2(100.0 - 240, 20.0 - 600);
    std::vector<double> scatter;
    auto frame = [&scatter, aim] {
        ShotFrame();
        for (const BulletRecord& b : boss_bullets.bullet)
            if (b.state == 1 && b.kind == 0 && std::abs(std::hypot(b.x - 600, b.y - 240) - 1) < 1e-9)
                scatter.push_back(std::remainder(std::atan2(b.y - 240, b.x - 600) - aim - 10 * DEG, 2 * PI));
    };
    frame();
    EXPECT_EQ(boss.phase, 8);
    EXPECT_EQ(boss_bullets.bullet[0].motion, 0);
    for (int k = 1; k < 480; k++) frame();
    std::vector<int> aimed;
    for (int t = 0; t <= 460; t += 20) aimed.push_back(t);
    EXPECT_EQ(FramesOf(SE_TAMA), aimed);
    ASSERT_EQ(FlyingBossBullets(), 24);

    // t = 480: five ballistic bullets into fresh slots 24..28, each thrown on its arc.
    frame();
    EXPECT_EQ(Plays(SE_TAMA), 25);
    for (int k = 0; k < 5; k++) {
        const BulletRecord& b = boss_bullets.bullet[24 + k];
        EXPECT_EQ(b.kind, 1);
        EXPECT_EQ(b.motion, 1);
    }
    for (const Flight& f : Follow({24, 25, 26, 27, 28}, frame)) ExpectThrownArc(f, 600, 240, 0);
    // Motion 0 bullets are not ballistic in stage 1, whatever their vx and vy.
    EXPECT_EQ(boss_bullets.bullet[0].vy, 0);

    // Over four cycles the aimed bullets scatter up to 60° either side, filling both.
    while (boss_bullets.count < 4 * 600) frame();
    ASSERT_EQ(scatter.size(), 4 * 24u);
    std::sort(scatter.begin(), scatter.end());
    double mean = 0;
    for (double a : scatter) mean += a / scatter.size();
    EXPECT_GE(scatter.front(), -60 * DEG - 1e-9);
    EXPECT_LE(scatter.back(), 60 * DEG + 1e-9);
    EXPECT_LT(scatter.front(), -50 * DEG);
    EXPECT_GT(scatter.back(), 50 * DEG);
    EXPECT_NEAR(mean, 0, 10 * DEG);

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
    // heading π at speed 5: it is thrown on the usual arc and drifts 5 pixels a
    // frame further left along the heading it kept.
    std::vector<double> throws;   // the horizontal speed each drop is thrown with
    auto frame = [&throws] {
        ShotFrame();
        for (const BulletRecord& d : boss_bullets.bullet)
            if (d.state == 1 && d.kind == 1 && d.count == 1) throws.push_back(d.vx);
    };
    frame();
    const BulletRecord& b = boss_bullets.bullet[0];
    EXPECT_EQ(b.kind, 1);
    EXPECT_EQ(b.motion, 0);
    EXPECT_EQ(b.speed, 5);
    EXPECT_EQ(b.angle, PI);
    ExpectThrownArc(Follow({0}, frame)[0], 600, 240, -5);
    while (boss_bullets.count < 600) frame();
    // One drop every 5 frames, thrown sideways at anything from −5 to 5 a frame.
    ASSERT_EQ(throws.size(), 59u);
    double mean = 0;
    for (double vx : throws) mean += vx / throws.size();
    EXPECT_GE(*std::min_element(throws.begin(), throws.end()), -5);
    EXPECT_LE(*std::max_element(throws.begin(), throws.end()), 5);
    EXPECT_LT(*std::min_element(throws.begin(), throws.end()), -4);
    EXPECT_GT(*std::max_element(throws.begin(), throws.end()), 4);
    EXPECT_NEAR(mean, 0, 1);
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

    for (int i = 0; i < 34; i++) {
        const BulletRecord& b = boss_bullets.bullet[8 + i];
        EXPECT_EQ(b.kind, 1) << i;
        EXPECT_EQ(b.motion, 1) << i;
        EXPECT_EQ(b.erase, 0) << i;
        // Accelerating from the frame it is fired: 0.2 pixels out.
        EXPECT_NEAR(std::hypot(b.x - 600, b.y - 240), 0.2, 1e-12) << i;
    }
    // The ring goes out evenly all round, one bullet straight at the ship.
    const double aim = std::atan2(400.0 - 240, 20.0 - 600);
    const std::vector<double> spokes = HeadingsFrom(600, 240, 1, aim);
    ASSERT_EQ(spokes.size(), 34u);
    for (size_t i = 1; i < spokes.size(); i++) EXPECT_NEAR(spokes[i] - spokes[i - 1], 2 * PI / 34, 1e-9) << i;
    EXPECT_TRUE(std::any_of(spokes.begin(), spokes.end(), [](double a) { return std::abs(a) < 1e-9; }));
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
