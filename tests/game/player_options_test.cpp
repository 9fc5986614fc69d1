// Options: enabling by power, the follow trail with its ring sizes, the fixed
// front and rear places, and the rings after formation switches.
#include "player_pad.h"

using namespace player_test;

TEST_F(PlayerTest, OptionsAreEnabledByPower) {
    const int power[] = {0, 17, 18, 23, 24, 35, 36, 500, 17};
    const int enabled[][3] = {{0, 0, 0}, {0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {1, 1, 0},
                              {1, 1, 0}, {1, 1, 1}, {1, 1, 1}, {0, 0, 0}};
    for (int i = 0; i < 9; i++) {
        player.power = power[i];
        Hold({});
        UpdateOptions();
        for (int o = 0; o < OPTIONS; o++) EXPECT_EQ(option[o].enabled, enabled[i][o]) << power[i] << " " << o;
    }
}

TEST_F(PlayerTest, FollowingOptionsTrailTheShipByHalfTheirRings) {
    player.power = 36;
    player.x = 20;
    player.y = 240;
    // Flying right at 4 a frame: the ship is at 20 + 4m after frame m. Option 1
    // (25 entries, two per frame) shows frame k − 12, option 2 frame k − 25,
    // option 3 frame k − 37; before that they show the empty ring's (0, 0).
    for (int k = 1; k <= 60; k++) {
        Hold({PadConfig.right});
        PlayFrame();
        ASSERT_EQ(player.x, 20 + 4 * k);
        const int lag[OPTIONS] = {12, 25, 37};
        for (int o = 0; o < OPTIONS; o++) {
            const bool shown = k > lag[o];
            EXPECT_EQ(option[o].x, shown ? 20 + 4 * (k - lag[o]) : 0) << "frame " << k << " option " << o;
            EXPECT_EQ(option[o].y, shown ? 240 : 0) << "frame " << k << " option " << o;
            EXPECT_EQ(option[o].count, 2 * k);
            EXPECT_EQ(option_trail[o].cursor, (2 * k) % OPTION_TRAIL_SIZE[o]);
        }
    }
    // No direction held: the options stay, the rings stand still.
    const double x0 = option[0].x;
    Hold({PadConfig.shot});
    PlayFrame();
    EXPECT_EQ(option[0].x, x0);
    EXPECT_EQ(option[0].count, 120);
    EXPECT_EQ(option_trail[0].cursor, 120 % 25);

    // Switching formation without moving zeroes only the entry at each cursor.
    Hold({PadConfig.formation});
    PlayFrame();
    EXPECT_EQ(formation_mode, FORMATION_FRONT);
    for (int o = 0; o < OPTIONS; o++) {
        const OptionTrail& t = option_trail[o];
        const int next = (t.cursor + 1) % OPTION_TRAIL_SIZE[o];
        EXPECT_EQ(t.point[t.cursor].x, 0) << o;
        EXPECT_EQ(t.point[t.cursor].y, 0) << o;
        EXPECT_NE(t.point[next].x, 0) << o;
        EXPECT_EQ(t.point[next].y, 240) << o;
    }
    EXPECT_EQ(option[0].x, x0);
}

TEST_F(PlayerTest, DisabledOptionKeepsItsPlace) {
    player.power = 24;
    option[2].x = 77;
    option[2].y = 88;
    for (int k = 1; k <= 30; k++) {
        Hold({PadConfig.down});
        PlayFrame();
    }
    EXPECT_EQ(option[2].x, 77);
    EXPECT_EQ(option[2].y, 88);
    EXPECT_EQ(option[2].count, 0);
    EXPECT_EQ(option_trail[2].cursor, 0);
    EXPECT_EQ(option[1].count, 60);
    // Power lost at a re-entry disables option 2 where it stands.
    player.power = 20;
    const double x = option[1].x, y = option[1].y;
    Hold({PadConfig.down});
    PlayFrame();
    EXPECT_EQ(option[1].enabled, 0);
    EXPECT_EQ(option[1].x, x);
    EXPECT_EQ(option[1].y, y);
}

TEST_F(PlayerTest, FrontAndRearPlacesAndTheRingsAfterFormationSwitches) {
    const int R = PadConfig.right, F = PadConfig.formation;
    player.power = 36;
    player.x = 20;
    player.y = 240;
    // Five follow frames fill entries 0..9 of every ring with the ship's
    // positions (24, 240) … (40, 240), two entries per frame.
    for (int k = 1; k <= 5; k++) {
        Hold({R});
        PlayFrame();
    }
    ASSERT_EQ(option_trail[0].cursor, 10);
    EXPECT_EQ(option_trail[0].point[1].x, 24);
    EXPECT_EQ(option_trail[0].point[9].x, 40);

    // Front: the entry at the cursor is zeroed, the option sits at the ship
    // plus its offset, the cursor drops to 0 and entry 0 is overwritten with zeros.
    Hold({R, F});
    PlayFrame();
    EXPECT_EQ(formation_mode, FORMATION_FRONT);
    EXPECT_EQ(player.x, 44);
    EXPECT_EQ(option[0].x, 94);  EXPECT_EQ(option[0].y, 200);
    EXPECT_EQ(option[1].x, 94);  EXPECT_EQ(option[1].y, 280);
    EXPECT_EQ(option[2].x, -6);  EXPECT_EQ(option[2].y, 240);
    for (int o = 0; o < OPTIONS; o++) {
        EXPECT_EQ(option_trail[o].cursor, 0) << o;
        EXPECT_EQ(option_trail[o].point[0].x, 0) << o;
        EXPECT_EQ(option_trail[o].point[0].y, 0) << o;
        EXPECT_EQ(option_trail[o].point[1].x, 24) << o;   // untouched
    }
    // Holding the formation button does not switch again.
    Hold({R, F});
    PlayFrame();
    EXPECT_EQ(formation_mode, FORMATION_FRONT);
    EXPECT_EQ(option[0].x, 98);
    // Without movement the options stay behind while the flags follow the mode.
    Hold({F});
    PlayFrame();
    Hold({});
    PlayFrame();
    EXPECT_EQ(option[0].x, 98);

    // Rear.
    Hold({F, R});
    PlayFrame();
    EXPECT_EQ(formation_mode, FORMATION_REAR);
    EXPECT_EQ(formation_flag[2], 1);
    EXPECT_EQ(formation_flag[1], 0);
    EXPECT_EQ(player.x, 52);
    EXPECT_EQ(option[0].x, -8);  EXPECT_EQ(option[0].y, 240);
    EXPECT_EQ(option[1].x, 12);  EXPECT_EQ(option[1].y, 275);
    EXPECT_EQ(option[2].x, 12);  EXPECT_EQ(option[2].y, 205);

    // Back to follow: the first sub-step reads entry 0, now (0, 0); the second
    // reads entry 1, still the (24, 240) written before follow was left.
    Hold({});
    PlayFrame();
    Hold({F, R});
    PlayFrame();
    EXPECT_EQ(formation_mode, FORMATION_FOLLOW);
    EXPECT_EQ(player.x, 56);
    for (int o = 0; o < OPTIONS; o++) {
        EXPECT_EQ(option[o].x, 24) << o;
        EXPECT_EQ(option[o].y, 240) << o;
        EXPECT_EQ(option_trail[o].cursor, 2) << o;
        EXPECT_EQ(option_trail[o].point[0].x, 56) << o;
        EXPECT_EQ(option_trail[o].point[1].x, 56) << o;
    }
    // Then it works through the older entries: 28, 32, …, 40, then the zeros
    // of the entry zeroed at the first switch.
    const double older[] = {28, 32, 36, 40, 0};
    for (int k = 0; k < 5; k++) {
        Hold({R});
        PlayFrame();
        EXPECT_EQ(option[0].x, older[k]) << k;
    }
}
