// The charge: the counter frame by frame while Shot is held, what each release
// fires (nothing up to 10, a volley from 11 to 89, the charge shot from 90 on),
// and the charge shot's flight and end.
#include "player_pad.h"

using namespace player_test;

namespace {

constexpr double PI = 3.1415926535898;

// Shots created on the last frame: MoveShots runs before the volley, so only
// they still have count 0.
int NewShots() {
    int n = 0;
    for (const PlayerShot& s : player_shot) n += s.state == SHOT_FLYING && s.count == 0;
    return n;
}

struct Release {
    int charge;       // counter just before the release frame
    int newShots;     // shots created on the release frame
    int chargeShot;   // charge shot state after the release frame
};

// Holds Shot for `frames` frames from a fresh start, checking the counter on
// every frame, then releases it for one frame.
Release HoldAndRelease(int frames) {
    ResetPlayerNewGame();
    charge_shot = ChargeShot{};
    g_blinks = 0;
    player.x = 100;
    player.y = 240;
    for (int frame = 1; frame <= frames; frame++) {
        Hold({PadConfig.shot});
        PlayFrame();
        const int expected = frame > 10 ? frame - 10 : 0;
        EXPECT_EQ(player.charge, expected) << "hold " << frames << " frame " << frame;
        EXPECT_EQ(g_blinks, expected) << "hold " << frames << " frame " << frame;
        EXPECT_EQ(NewShots(), frame == 1 ? 1 : 0) << "hold " << frames << " frame " << frame;
    }
    Release r{player.charge, 0, 0};
    Hold({});
    PlayFrame();
    r.newShots = NewShots();
    r.chargeShot = charge_shot.state;
    EXPECT_EQ(player.charge, 0) << "hold " << frames;
    EXPECT_EQ(g_blinks, r.charge) << "hold " << frames;   // no blink on the release frame
    return r;
}

} // namespace

TEST_F(PlayerTest, ReleaseFiresByChargeThresholds) {
    struct Row { int hold, charge, shots, chargeShot; } rows[] = {
        {1, 0, 0, CHARGE_NONE},      // a tap: the press volley only
        {10, 0, 0, CHARGE_NONE},     // held 10 frames: no charge yet
        {11, 1, 0, CHARGE_NONE},
        {20, 10, 0, CHARGE_NONE},    // charge exactly 10 fires nothing
        {21, 11, 1, CHARGE_NONE},    // 11: a volley (one main shot at power 0)
        {99, 89, 1, CHARGE_NONE},    // 89: still a volley
        {100, 90, 0, CHARGE_FLYING}, // 90: full charge, the charge shot
        {101, 91, 0, CHARGE_FLYING},
        {200, 190, 0, CHARGE_FLYING},
    };
    for (const Row& row : rows) {
        const Release r = HoldAndRelease(row.hold);
        EXPECT_EQ(r.charge, row.charge) << row.hold;
        EXPECT_EQ(r.newShots, row.shots) << row.hold;
        EXPECT_EQ(r.chargeShot, row.chargeShot) << row.hold;
    }
}

TEST_F(PlayerTest, ReleasedVolleyCarriesTheOptions) {
    player.power = 36;
    player.x = 100;
    player.y = 240;
    for (int frame = 1; frame <= 30; frame++) {
        Hold({PadConfig.shot});
        PlayFrame();
    }
    Hold({});
    PlayFrame();
    EXPECT_EQ(NewShots(), 14);
}

TEST_F(PlayerTest, ChargeShotStartsAtTheShipAndFliesOffTheRightEdge) {
    player.x = 100;
    player.y = 240;
    for (int frame = 1; frame <= 100; frame++) {
        Hold({PadConfig.shot});
        PlayFrame();
    }
    Hold({});
    PlayFrame();
    ASSERT_EQ(charge_shot.state, CHARGE_FLYING);
    EXPECT_EQ(charge_shot.damage, 500);
    EXPECT_EQ(charge_shot.count, 0);
    EXPECT_EQ(charge_shot.kind, 2);
    EXPECT_EQ(charge_shot.image, 104);
    EXPECT_EQ(charge_shot.angle, -PI / 2);
    EXPECT_EQ(charge_shot.speed, 15);
    for (int s = 0; s < CHARGE_SEGMENTS; s++) {
        EXPECT_EQ(charge_shot.x[s], 100 + 134 * s) << s;
        EXPECT_EQ(charge_shot.y[s], 240) << s;
    }
    // 15 pixels right per frame; it ends once the rear segment passes 660:
    // 100 + 15·37 = 655 flies on, 100 + 15·38 = 670 ends.
    for (int frame = 1; frame <= 38; frame++) {
        Hold({});
        PlayFrame();
        EXPECT_EQ(charge_shot.state, frame < 38 ? CHARGE_FLYING : CHARGE_NONE) << frame;
        EXPECT_EQ(charge_shot.count, frame) << frame;
        EXPECT_EQ(charge_shot.x[0], 100 + 15 * frame) << frame;
        EXPECT_EQ(charge_shot.x[2], 368 + 15 * frame) << frame;
        EXPECT_NEAR(charge_shot.y[1], 240, 1e-9) << frame;
    }
    // An ended charge shot no longer moves.
    Hold({});
    PlayFrame();
    EXPECT_EQ(charge_shot.x[0], 670);
    EXPECT_EQ(charge_shot.count, 38);
}

TEST_F(PlayerTest, ChargeShotEdgesAndReplacement) {
    player.x = 300;
    player.y = 100;
    FireChargeShot();
    charge_shot.x[0] = 645;
    MoveChargeShot();
    EXPECT_EQ(charge_shot.x[0], 660);
    EXPECT_EQ(charge_shot.state, CHARGE_FLYING);   // 660 is not past 660
    // A new charge shot replaces the one in flight.
    player.x = 50;
    FireChargeShot();
    EXPECT_EQ(charge_shot.state, CHARGE_FLYING);
    EXPECT_EQ(charge_shot.count, 0);
    EXPECT_EQ(charge_shot.x[0], 50);
    EXPECT_EQ(charge_shot.x[1], 184);
    EXPECT_EQ(charge_shot.x[2], 318);
    // Only the rear segment decides: the front ones are far past the edge.
    charge_shot.x[0] = 600;
    charge_shot.x[1] = 2000;
    MoveChargeShot();
    EXPECT_EQ(charge_shot.state, CHARGE_FLYING);
    // An ended shot (collision set it to 0) stays where it ended.
    charge_shot.state = CHARGE_NONE;
    MoveChargeShot();
    EXPECT_EQ(charge_shot.x[0], 615);
    EXPECT_EQ(charge_shot.count, 1);
}
