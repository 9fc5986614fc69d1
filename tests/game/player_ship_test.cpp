// The ship: movement limits and the diagonal factor, dying and re-entry frame
// by frame, invulnerability, the extra life, the resets and the stage-clear shift.
#include <cmath>

#include "player_pad.h"

using namespace player_test;

TEST_F(PlayerTest, MovementStaysInsideTheFieldAndRefusesWholeSteps) {
    const int L = PadConfig.left, R = PadConfig.right, U = PadConfig.up, D = PadConfig.down;

    // Right and up at x = 630: the right step is refused, up moves by speed/√2.
    player.x = 630;
    player.y = 240;
    Hold({R, U});
    MovePlayer();
    EXPECT_EQ(player.x, 630);
    EXPECT_EQ(player.y, 240 - 4 / std::sqrt(2.0));

    // Left and right at x = 10: left refused, right applied at full speed.
    player.x = 10;
    player.y = 240;
    Hold({L, R});
    MovePlayer();
    EXPECT_EQ(player.x, 14);
    EXPECT_EQ(player.y, 240);
    // Away from the edges the two cancel.
    player.x = 300;
    Hold({L, R});
    MovePlayer();
    EXPECT_EQ(player.x, 300);

    // The limits are inclusive; a step past them is dropped, not clamped.
    player.x = 626;
    player.y = 240;
    Hold({R});
    MovePlayer();
    EXPECT_EQ(player.x, 630);
    Hold({R});
    MovePlayer();
    EXPECT_EQ(player.x, 630);
    player.x = 627;
    MovePlayer();
    EXPECT_EQ(player.x, 627);
    player.x = 14;
    Hold({L});
    MovePlayer();
    EXPECT_EQ(player.x, 10);
    player.x = 13;
    MovePlayer();
    EXPECT_EQ(player.x, 13);
    player.x = 300;
    player.y = 9;
    Hold({U});
    MovePlayer();
    EXPECT_EQ(player.y, 5);
    player.y = 8;
    MovePlayer();
    EXPECT_EQ(player.y, 8);
    player.y = 471;
    Hold({D});
    MovePlayer();
    EXPECT_EQ(player.y, 475);
    player.y = 472;
    MovePlayer();
    EXPECT_EQ(player.y, 472);

    // Diagonal at speed 8: both steps divided by √2; a later step starts from
    // the earlier one's result, so a refused down step leaves the left step.
    player.speed = 8;
    player.x = 300;
    player.y = 300;
    Hold({L, D});
    MovePlayer();
    EXPECT_EQ(player.x, 300 - 8 / std::sqrt(2.0));
    EXPECT_EQ(player.y, 300 + 8 / std::sqrt(2.0));
    player.y = 470;
    const double x = player.x;
    MovePlayer();
    EXPECT_EQ(player.x, x - 8 / std::sqrt(2.0));
    EXPECT_EQ(player.y, 470);
    // Up and down together: no horizontal key, so no diagonal factor.
    player.y = 300;
    Hold({U, D});
    MovePlayer();
    EXPECT_EQ(player.y, 300);
}

TEST_F(PlayerTest, MovementPicksTheClimbAndDiveCellsAndStopsWhileDying) {
    const int U = PadConfig.up, D = PadConfig.down;
    player.cell = 2;
    Hold({U, D});
    MovePlayer();
    EXPECT_EQ(player.cell, 6);   // climbing wins over diving
    player.cell = 3;
    Hold({D});
    MovePlayer();
    EXPECT_EQ(player.cell, 11);

    player.state = PLAYER_DYING;
    player.cell = 1;
    player.x = 300;
    player.y = 300;
    Hold({U});
    MovePlayer();
    EXPECT_EQ(player.cell, 1);
    EXPECT_EQ(player.y, 300);
    // Re-entering ships move.
    player.state = PLAYER_REENTERING;
    Hold({U});
    MovePlayer();
    EXPECT_EQ(player.y, 296);
}

TEST_F(PlayerTest, UntouchedReentryLastsSixtyTwoFramesAndEndsAtX103) {
    player.state = PLAYER_REENTERING;   // a body hit goes straight to re-entry
    player.count = 0;
    player.lives = 3;
    player.power = 100;
    player.speed = 6.5;
    player.x = 400;
    player.y = 100;
    for (int frame = 1; frame <= 62; frame++) {
        Hold({});
        UpdatePlayerState();
        EXPECT_EQ(player.x, 10 + 1.5 * frame) << frame;
        EXPECT_EQ(player.y, 240) << frame;
        EXPECT_EQ(player.lives, 2) << frame;
        EXPECT_EQ(player.state, frame < 62 ? PLAYER_REENTERING : PLAYER_NORMAL) << frame;
        EXPECT_EQ(player.power, frame < 62 ? 100 : 70) << frame;
        EXPECT_EQ(player.speed, frame < 62 ? 6.5 : 4.0) << frame;
    }
    EXPECT_EQ(player.x, 103);
    // Later frames leave the ship where it is.
    Hold({});
    UpdatePlayerState();
    EXPECT_EQ(player.x, 103);
    EXPECT_EQ(player.lives, 2);
}

TEST_F(PlayerTest, ReentryEndsOnTheFirstSteeredFrame) {
    player.state = PLAYER_REENTERING;
    player.count = 0;
    player.power = 10;
    Hold({});
    PlayFrame();
    EXPECT_EQ(player.x, 11.5);
    EXPECT_EQ(player.state, PLAYER_REENTERING);
    // Holding up ends the re-entry after this frame's drift; the ship then
    // moves normally in the same frame.
    Hold({PadConfig.up});
    PlayFrame();
    EXPECT_EQ(player.state, PLAYER_NORMAL);
    EXPECT_EQ(player.x, 13);
    EXPECT_EQ(player.y, 236);
    EXPECT_EQ(player.power, 0);   // 10 − 30 stops at 0
    EXPECT_EQ(player.lives, 2);
}

TEST_F(PlayerTest, BadPadSlotEndsTheReentryAtOnce) {
    player_read_pad = CheckStatePad;   // the real reader: a bad slot reads as −1
    PadConfig.left = 99;
    player.state = PLAYER_REENTERING;
    player.count = 0;
    UpdatePlayerState();
    EXPECT_EQ(player.state, PLAYER_NORMAL);
    EXPECT_EQ(player.x, 11.5);
}

TEST_F(PlayerTest, DyingDimsTheFieldThenStartsTheReentry) {
    player.state = PLAYER_DYING;
    player.count = 0;
    player.lives = 0;
    player.x = 300;
    player.y = 100;
    // Counts 0..20 are dying frames, dimmed to 80.
    for (int frame = 1; frame <= 21; frame++) {
        Hold({PadConfig.right});
        PlayFrame();
        EXPECT_EQ(player.state, PLAYER_DYING) << frame;
        EXPECT_EQ(fade_brightness, 80) << frame;
        EXPECT_EQ(player.x, 300) << frame;   // no movement while dying
        EXPECT_EQ(player.invincible, 0) << frame;
        EXPECT_EQ(player.lives, 0) << frame;
    }
    // The frame that starts with count 21 turns to re-entry, takes the life
    // (down to −1 from 0), starts invulnerability and drifts once. The held
    // direction ends the re-entry in that same frame.
    Hold({PadConfig.right});
    UpdatePlayerState();
    EXPECT_EQ(fade_brightness, 255);
    EXPECT_EQ(player.lives, -1);
    EXPECT_EQ(player.invincible, 2);
    EXPECT_EQ(player.x, 11.5);
    EXPECT_EQ(player.y, 240);
    EXPECT_EQ(player.state, PLAYER_NORMAL);
    EXPECT_EQ(player.count, 1);
}

TEST_F(PlayerTest, InvulnerabilityLastsUntilTheTimerPasses150) {
    player.state = PLAYER_REENTERING;
    player.count = 0;
    for (int frame = 1; frame <= 150; frame++) {
        Hold({});
        UpdatePlayerState();
        // Started at 1 by the re-entry, then +1 every frame including the first.
        EXPECT_EQ(player.invincible, frame < 150 ? frame + 1 : 0) << frame;
    }
    Hold({});
    UpdatePlayerState();
    EXPECT_EQ(player.invincible, 0);

    // A re-entry started while still invincible adds to the running timer.
    player.invincible = 100;
    player.state = PLAYER_REENTERING;
    player.count = 0;
    UpdatePlayerState();
    EXPECT_EQ(player.invincible, 102);
    player.invincible = 149;
    player.state = PLAYER_REENTERING;
    player.count = 0;
    UpdatePlayerState();
    EXPECT_EQ(player.invincible, 0);
}

TEST_F(PlayerTest, AnimationCellsCycleEveryFiveFrames) {
    const int expected[] = {0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 0, 0};
    for (int frame = 1; frame <= 21; frame++) {
        Hold({});
        UpdatePlayerState();
        EXPECT_EQ(player.cell, expected[frame - 1]) << frame;
    }
}

TEST_F(PlayerTest, ExtraLifeIsGrantedOncePerGame) {
    player.lives = 3;
    player.score = 9990;
    UpdatePlayerState();
    EXPECT_EQ(player.lives, 3);
    // Three frames at exactly 10000 give one life, on the first of them.
    player.score = 10000;
    UpdatePlayerState();
    EXPECT_EQ(player.lives, 4);
    UpdatePlayerState();
    UpdatePlayerState();
    EXPECT_EQ(player.lives, 4);
    // Passing 10000 again later in the same game (after a continue) gives nothing.
    player.score = 20000;
    UpdatePlayerState();
    player.score = 10000;
    UpdatePlayerState();
    EXPECT_EQ(player.lives, 4);

    // A new game grants it again; a frame that jumps over 10000 still counts.
    ResetPlayerNewGame();
    player.score = 9990;
    UpdatePlayerState();
    EXPECT_EQ(player.lives, 3);
    player.score = 10020;
    UpdatePlayerState();
    EXPECT_EQ(player.lives, 4);
    UpdatePlayerState();
    EXPECT_EQ(player.lives, 4);
}

TEST_F(PlayerTest, ResetsClearWhatTheyOwn) {
    player = PlayerRecord{1, 5, 200, 12345, 7, 30, 40, 9, 300, 100, 8.0, 2, 1, 0};
    player_shot[7] = PlayerShot{SHOT_FLYING, 120, 3, 0, 101, 50, 60, 1.0, 10};
    option[0] = OptionRecord{1, 8, 0, 70, 80};
    option_trail[2].point[3] = {5, 6};
    option_trail[2].cursor = 4;
    formation_mode = FORMATION_REAR;
    formation_flag[0] = 0;
    formation_flag[2] = 1;
    charge_shot.state = CHARGE_FLYING;
    charge_shot.x[0] = 500;

    // A stage start moves the ship and leaves everything else.
    ResetPlayerStage();
    EXPECT_EQ(player.x, 20);
    EXPECT_EQ(player.y, 240);
    EXPECT_EQ(player.score, 12345);
    EXPECT_EQ(player.power, 200);
    EXPECT_EQ(player_shot[7].state, SHOT_FLYING);
    EXPECT_EQ(option[0].x, 70);
    EXPECT_EQ(option_trail[2].cursor, 4);
    EXPECT_EQ(formation_mode, FORMATION_REAR);

    ResetPlayerNewGame();
    EXPECT_EQ(player.state, 0);
    EXPECT_EQ(player.count, 0);
    EXPECT_EQ(player.power, 0);
    EXPECT_EQ(player.score, 0);
    EXPECT_EQ(player.invincible, 0);
    EXPECT_EQ(player.charge, 0);
    EXPECT_EQ(player.continues, 0);
    EXPECT_EQ(player.extraLife, 0);
    EXPECT_EQ(player.lives, 3);
    EXPECT_EQ(player.speed, 4.0);
    EXPECT_EQ(player.x, 20);
    EXPECT_EQ(player.y, 240);
    EXPECT_EQ(FindFreeShot(), 0);
    EXPECT_EQ(player_shot[7].state, SHOT_FREE);
    EXPECT_EQ(option[0].x, 0);
    EXPECT_EQ(option[0].enabled, 0);
    EXPECT_EQ(option[0].image, 0);
    EXPECT_EQ(option[1].image, g_assets.option);
    EXPECT_EQ(option[2].image, g_assets.option);
    EXPECT_EQ(option_trail[2].point[3].x, 0);
    EXPECT_EQ(option_trail[2].cursor, 0);
    EXPECT_EQ(formation_mode, FORMATION_FOLLOW);
    EXPECT_EQ(formation_flag[0], 1);
    EXPECT_EQ(formation_flag[1], 0);
    EXPECT_EQ(formation_flag[2], 0);
    // A charge shot in flight is gone too: it must not cross into the new game.
    EXPECT_EQ(charge_shot.state, CHARGE_NONE);
    EXPECT_EQ(charge_shot.x[0], 0);

    SetPlayerTitlePosition();
    EXPECT_EQ(player.x, 160);
    EXPECT_EQ(player.y, 240);
}

TEST_F(PlayerTest, StageClearShiftsShipAndAllOptionsRight) {
    player.x = 300;
    player.y = 200;
    player.power = 18;   // only option 1 enabled; the others move too
    option[0] = OptionRecord{1, 0, 0, 250, 160};
    option[1] = OptionRecord{0, 0, 103, 0, 0};
    option[2] = OptionRecord{0, 0, 103, -5, 7};
    // Scenes 34 and 35: 600 frames of fly-off and fade.
    for (int frame = 1; frame <= 600; frame++) {
        UpdatePlayerState();
        ShiftPlayerRight();
    }
    EXPECT_EQ(player.x, 1500);
    EXPECT_EQ(player.y, 200);
    EXPECT_EQ(option[0].x, 1450);
    EXPECT_EQ(option[0].y, 160);
    EXPECT_EQ(option[1].x, 1200);
    EXPECT_EQ(option[2].x, 1195);
    EXPECT_EQ(option[2].y, 7);
}
