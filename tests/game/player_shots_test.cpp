// Player shots: volleys by power and formation, the shot table filling up,
// shots flying off each edge and freeing their slots, press versus hold.
#include "player_pad.h"

using namespace player_test;

namespace {

constexpr double PI = 3.1415926535898;

struct Expected {
    double x, y, angle, speed;
    int damage, kind, image;
};

void ExpectShot(int i, const Expected& e) {
    const PlayerShot& s = player_shot[i];
    EXPECT_EQ(s.state, SHOT_FLYING) << i;
    EXPECT_EQ(s.count, 0) << i;
    EXPECT_EQ(s.x, e.x) << i;
    EXPECT_EQ(s.y, e.y) << i;
    EXPECT_EQ(s.angle, e.angle) << i;
    EXPECT_EQ(s.speed, e.speed) << i;
    EXPECT_EQ(s.damage, e.damage) << i;
    EXPECT_EQ(s.kind, e.kind) << i;
    EXPECT_EQ(s.image, e.image) << i;
}

void SetFormation(int mode) {
    formation_mode = mode;
    for (int f = 0; f < FORMATIONS; f++) formation_flag[f] = f == mode;
}

} // namespace

TEST_F(PlayerTest, MainShotsByPower) {
    player.x = 100;
    player.y = 200;
    struct Row { int power, shots, damage; } rows[] = {
        {0, 1, 200}, {5, 1, 200}, {6, 2, 120}, {17, 2, 120}, {99, 2, 120}, {100, 2, 121}, {500, 2, 125},
    };
    for (const Row& r : rows) {
        ResetShotsNewGame();
        player.power = r.power;
        FireVolley();
        ExpectShot(0, {110, 200, PI / 2, 10, r.damage, SHOT_KIND_MAIN, 101});
        if (r.shots == 2) ExpectShot(1, {110, 220, PI / 2, 10, r.damage, SHOT_KIND_MAIN, 101});
        else EXPECT_EQ(player_shot[1].state, SHOT_FREE) << r.power;
    }
}

TEST_F(PlayerTest, VolleySizeFollowsThePowerThresholds) {
    const int power[] = {5, 6, 17, 18, 23, 24, 35, 36, 500};
    const int shots[] = {1, 2, 2, 6, 6, 10, 10, 14, 14};
    for (int i = 0; i < 9; i++) {
        ResetShotsNewGame();
        player.power = power[i];
        FireVolley();
        EXPECT_EQ(FlyingShots(), shots[i]) << power[i];
    }
}

TEST_F(PlayerTest, FrontFormationVolleyAtPower36HasFourteenShots) {
    player.x = 200;
    player.y = 240;
    player.power = 36;
    option[0].x = 250; option[0].y = 200;
    option[1].x = 250; option[1].y = 280;
    option[2].x = 150; option[2].y = 240;
    // The formation button once: follow → front.
    Hold({PadConfig.formation});
    UpdateOptions();
    ASSERT_EQ(formation_mode, FORMATION_FRONT);
    ResetShotsNewGame();
    FireVolley();
    ASSERT_EQ(FlyingShots(), 14);
    ExpectShot(0, {210, 240, PI / 2, 10, 120, 0, 101});
    ExpectShot(1, {210, 260, PI / 2, 10, 120, 0, 101});
    // Each option fires its pair twice: 30° below, 30° above, below, above.
    for (int o = 0; o < 2; o++)
        for (int i = 0; i < 4; i++) {
            const int e = i % 2;
            ExpectShot(2 + 4 * o + i, {option[o].x + 30, option[o].y + (e ? -5 : 5), e ? 2 * PI / 3 : PI / 3, 20,
                                       100, SHOT_KIND_MAIN, 102});
        }
    for (int i = 0; i < 4; i++) {
        const int e = i % 2;
        ExpectShot(10 + i, {145, 240.0 + (e ? -5 : 5), e ? -2 * PI / 3 : -PI / 3, 20, 50, SHOT_KIND_REAR, 102});
    }
    EXPECT_EQ(FindFreeShot(), 14);
}

TEST_F(PlayerTest, OptionShotsInFollowAndRearFormation) {
    player.power = 36;
    option[0].x = 60; option[0].y = 70;
    option[1].x = 80; option[1].y = 90;
    option[2].x = 100; option[2].y = 110;

    SetFormation(FORMATION_FOLLOW);
    FireVolley();
    // Follow: one shot up starting 20 below, one down starting 20 above.
    ExpectShot(2, {60, 90, PI, 20, 100, 0, 102});
    ExpectShot(3, {60, 50, 2 * PI, 20, 100, 0, 102});
    ExpectShot(4, {60, 90, PI, 20, 100, 0, 102});
    ExpectShot(7, {80, 70, 2 * PI, 20, 100, 0, 102});
    ExpectShot(10, {95, 115, -PI / 3, 20, 50, 1, 102});
    ExpectShot(11, {95, 105, -2 * PI / 3, 20, 50, 1, 102});

    ResetShotsNewGame();
    SetFormation(FORMATION_REAR);
    FireVolley();
    ExpectShot(2, {55, 75, -PI / 2, 20, 100, 0, 102});
    ExpectShot(3, {55, 65, -PI / 2, 20, 100, 0, 102});
    ExpectShot(9, {75, 85, -PI / 2, 20, 100, 0, 102});
    ExpectShot(12, {95, 115, -PI / 2, 20, 50, 1, 102});
    ExpectShot(13, {95, 105, -PI / 2, 20, 50, 1, 102});
}

TEST_F(PlayerTest, VolleyOnTheThresholdFrameFiresFromTheUnmovedOption) {
    // The power reaches 18 before any direction was held: option 1 still sits
    // at (0, 0), and the volley runs before the options update.
    player.x = 100;
    player.y = 240;
    player.power = 18;
    Hold({PadConfig.shot});
    PlayFrame();
    ASSERT_EQ(FlyingShots(), 6);
    ExpectShot(2, {0, 20, PI, 20, 100, 0, 102});
    ExpectShot(3, {0, -20, 2 * PI, 20, 100, 0, 102});
    EXPECT_EQ(option[0].enabled, 1);
    EXPECT_EQ(option[0].x, 0);   // no direction held: the option has not moved
}

TEST_F(PlayerTest, PressFiresOneVolleyAndHoldingFiresNoMore) {
    player.x = 100;
    player.y = 240;
    Hold({PadConfig.shot});
    UpdateShots();
    EXPECT_EQ(FlyingShots(), 1);
    for (int frame = 2; frame <= 10; frame++) {
        Hold({PadConfig.shot});
        UpdateShots();
        EXPECT_EQ(FlyingShots(), 1) << frame;
        EXPECT_EQ(player_shot[0].count, frame - 1) << frame;
        EXPECT_EQ(player_shot[0].x, 110 + 10 * (frame - 1)) << frame;
    }
    Hold({});
    UpdateShots();
    Hold({PadConfig.shot});
    UpdateShots();
    EXPECT_EQ(FlyingShots(), 2);
    EXPECT_EQ(player_shot[1].count, 0);
}

TEST_F(PlayerTest, FullTableDropsTheShotsWithoutSlots) {
    for (int i = 0; i < PLAYER_SHOTS; i++) player_shot[i].state = i < 95 ? SHOT_FLYING : SHOT_FREE;
    player_shot[40].state = SHOT_FREE;
    player.power = 36;
    FireVolley();
    // The two main shots take 40 and 95, option 1's first four go to 96..99.
    EXPECT_EQ(FlyingShots(), 100);
    EXPECT_EQ(player_shot[40].speed, 10);
    EXPECT_EQ(player_shot[95].speed, 10);
    EXPECT_EQ(player_shot[99].speed, 20);
    EXPECT_EQ(player_shot[99].angle, 2 * PI);
    EXPECT_EQ(FindFreeShot(), -1);
}

TEST_F(PlayerTest, ShotsLeaveEachEdgeAndFreeTheirSlots) {
    auto place = [](int i, double x, double y, double angle, double speed) {
        player_shot[i] = PlayerShot{SHOT_FLYING, 100, 5, 0, 102, x, y, angle, speed};
    };
    // Right edge, main shot: margin trunc(10 + 5) = 15, freed past x = 655.
    place(0, 645, 240, PI / 2, 10);
    // Left edge, rear shot: margin trunc(20 + 27) = 47, freed below x = −47.
    place(1, -7, 240, -PI / 2, 20);
    // Top edge, follow shot going up: margin 25, freed above y = −25.
    place(2, 300, 15, PI, 20);
    // Bottom edge, follow shot going down: margin 47, freed below y = 527.
    place(3, 300, 487, 2 * PI, 20);
    // Fractional speed: margins trunc(12.9 + 5) = 17 and trunc(12.9 + 27) = 39.
    place(4, 300, 475, 2 * PI, 12.9);

    MoveShots();
    EXPECT_EQ(player_shot[0].x, 655);
    EXPECT_EQ(player_shot[1].x, -27);
    EXPECT_NEAR(player_shot[2].y, -5, 1e-9);
    EXPECT_NEAR(player_shot[3].y, 507, 1e-9);
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(player_shot[i].state, SHOT_FLYING) << i;
        EXPECT_EQ(player_shot[i].count, 6) << i;
    }
    MoveShots();
    EXPECT_EQ(player_shot[0].state, SHOT_FREE);     // 665 > 655
    EXPECT_EQ(player_shot[1].state, SHOT_FLYING);   // −47 is not below −47
    EXPECT_EQ(player_shot[2].state, SHOT_FLYING);   // −25 is not above −25
    EXPECT_EQ(player_shot[3].state, SHOT_FLYING);   // 527 is not below 527
    EXPECT_EQ(player_shot[4].state, SHOT_FLYING);   // 500.8
    MoveShots();
    EXPECT_EQ(player_shot[1].state, SHOT_FREE);
    EXPECT_EQ(player_shot[2].state, SHOT_FREE);
    EXPECT_EQ(player_shot[3].state, SHOT_FREE);
    EXPECT_EQ(player_shot[4].state, SHOT_FLYING);   // 513.7 ≤ 519
    MoveShots();
    EXPECT_EQ(player_shot[4].state, SHOT_FREE);     // 526.6 > 519
    // A freed shot no longer moves, and the next volley reuses slot 0.
    const double x = player_shot[0].x;
    MoveShots();
    EXPECT_EQ(player_shot[0].x, x);
    player.x = 100;
    FireVolley();
    EXPECT_EQ(player_shot[0].state, SHOT_FLYING);
    EXPECT_EQ(player_shot[0].x, 110);
}

TEST_F(PlayerTest, MainShotCrossesTheScreenInFrames) {
    player.x = 20;
    player.y = 240;
    Hold({PadConfig.shot});
    UpdateShots();
    // From x = 30 at 10 a frame: x = 650 after 62 moves, 660 (> 655) after 63.
    for (int frame = 1; frame <= 63; frame++) {
        Hold({});
        UpdateShots();
        EXPECT_EQ(player_shot[0].state, frame < 63 ? SHOT_FLYING : SHOT_FREE) << frame;
    }
}
