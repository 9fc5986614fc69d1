// The boss fight's course frame by frame: entry at the stage end time freezing
// the stage clock, phases by hit points at their borders, defeat with its sound
// and the cleared block, the clear 100 frames later, the hit flash.
#include "tests/game/boss_fixture.h"

using namespace boss_test;

namespace {

// The boss steps of one play frame, then the stage clock as the play scene runs it.
// Returns true on the frame whose end reaches the stage-clear time.
bool BossFrame() {
    UpdateBoss();
    MoveBoss();
    UpdateBossTail();
    if (boss.state == 0) scene_timer++;
    g_frame++;
    return scene_timer == boss.endTime + 100;
}

} // namespace

TEST_F(BossTest, StageResetLeavesAnIdleBossWithFullHitPoints) {
    boss.state = 2;
    boss.x = 5;
    boss.phase = 4;
    boss_bullets.active = 1;
    boss_bullets.count = 9;
    boss_bullets.bullet[299].erase = 1;
    boss_tail[3].state = 1;
    boss_history.cursor = 17;
    boss_history.x[4] = 3;
    ResetBossStage();
    EXPECT_EQ(boss.state, 0);
    EXPECT_EQ(boss.endTime, 8000);
    EXPECT_EQ(boss.hp, 30000);
    EXPECT_EQ(boss.hpMax, 30000);
    EXPECT_EQ(boss.phase, 0);
    EXPECT_EQ(boss.x, 0);
    EXPECT_EQ(boss_bullets.active, 0);
    EXPECT_EQ(boss_bullets.count, 0);
    EXPECT_EQ(boss_bullets.bullet[299].erase, 0);
    EXPECT_EQ(boss_tail[3].state, 0);
    EXPECT_EQ(boss_history.cursor, 0);
    EXPECT_EQ(boss_history.x[4], 0);
}

TEST_F(BossTest, EntryFreezesTheClockAndTheClearFollows100FramesAfterTheDefeat) {
    player.y = 100;
    scene_timer = 7997;
    // Before the entry: the clock runs, count counts, nothing fires.
    for (int k = 0; k < 3; k++) {
        EXPECT_FALSE(BossFrame());
        EXPECT_EQ(boss.state, 0);
        EXPECT_EQ(boss.count, k + 1);
        EXPECT_EQ(boss_bullets.active, 0);
    }
    ASSERT_EQ(scene_timer, 8000);
    EXPECT_EQ(FlyingBossBullets(), 0);

    // Entry frame: at (600, 240), count restarted, block active, first bullet out.
    EXPECT_FALSE(BossFrame());
    EXPECT_EQ(boss.state, BOSS_FIGHTING);
    EXPECT_EQ(scene_timer, 8000);
    EXPECT_EQ(boss.count, 1);
    EXPECT_EQ(boss.x, 600);
    EXPECT_EQ(boss.y, 238);   // tracking the ship's height upwards
    EXPECT_EQ(boss_bullets.active, 1);
    EXPECT_EQ(boss_bullets.count, 1);
    EXPECT_EQ(FlyingBossBullets(), 1);
    EXPECT_EQ(boss_bullets.bullet[0].x, 596);

    // The clock holds at the end time through the fight.
    for (int k = 0; k < 500; k++) {
        EXPECT_FALSE(BossFrame());
        ASSERT_EQ(scene_timer, 8000);
        ASSERT_NE(boss.state, 0);
    }
    const int defeatFrame = g_frame;
    g_sounds.clear();

    // hp exactly 0 fights on in phase 8; below 0 is the defeat.
    boss.hp = 0;
    boss.phase = 5;
    EXPECT_FALSE(BossFrame());
    EXPECT_EQ(boss.state, BOSS_FIGHTING);
    EXPECT_EQ(boss.phase, 5);   // 0 is outside every band
    EXPECT_EQ(scene_timer, 8000);

    boss.hp = -1;
    boss_tail[4].state = 1;
    EXPECT_FALSE(BossFrame());
    EXPECT_EQ(boss.state, 0);
    EXPECT_EQ(boss_tail[4].state, 0);
    EXPECT_EQ(Slots(), std::vector<int>{SE_BOSS_DEATH});
    EXPECT_EQ(boss_bullets.active, 0);
    EXPECT_EQ(boss_bullets.count, 0);
    EXPECT_EQ(FlyingBossBullets(), 0);
    for (const BulletRecord& b : boss_bullets.bullet) ASSERT_EQ(b.x, 0);
    EXPECT_EQ(scene_timer, 8001);

    // The clock runs again; the clear comes on the 100th frame counted from the defeat.
    int clearFrame = -1;
    for (int k = 0; k < 150 && clearFrame < 0; k++) {
        if (BossFrame()) clearFrame = g_frame;
        ASSERT_EQ(boss.state, 0);   // never re-enters
        ASSERT_EQ(boss_bullets.active, 0);
    }
    EXPECT_EQ(clearFrame - (defeatFrame + 1), 100);
    EXPECT_EQ(Plays(SE_BOSS_DEATH), 1);
}

TEST_F(BossTest, PhaseBandsIncludeTheirUpperBound) {
    struct Case { int hp, phase; };
    const Case cases[] = {
        {30000, 0}, {27001, 0}, {27000, 1}, {24001, 1}, {24000, 2}, {21001, 2}, {21000, 3},
        {18001, 3}, {18000, 4}, {15001, 4}, {15000, 5}, {12001, 5}, {12000, 6}, {9001, 6},
        {9000, 7}, {6001, 7}, {6000, 8}, {1, 8},
    };
    for (const Case& c : cases) {
        boss.phase = -7;
        boss.hp = c.hp;
        UpdateBossPhase();
        EXPECT_EQ(boss.phase, c.phase) << "hp " << c.hp;
    }
    // Outside 1..30000 the phase is left alone.
    for (int hp : {30001, 0, -1, -500}) {
        boss.phase = 3;
        boss.hp = hp;
        UpdateBossPhase();
        EXPECT_EQ(boss.phase, 3) << "hp " << hp;
    }
}

TEST_F(BossTest, HitFlashLasts150FramesAndAHitDuringItDoesNotRestartIt) {
    Enter(2);
    boss.state = BOSS_FLASHING;   // what a hit leaves
    std::vector<int> timers;
    int frames = 0;
    while (boss.state == BOSS_FLASHING && frames < 400) {
        MoveBoss();
        frames++;
        timers.push_back(boss.flashTimer);
    }
    EXPECT_EQ(frames, 150);
    EXPECT_EQ(timers[0], 1);
    EXPECT_EQ(timers[148], 149);
    EXPECT_EQ(timers[149], 0);
    EXPECT_EQ(boss.state, BOSS_FIGHTING);
    EXPECT_EQ(boss.count, 150);

    // A second hit on frame 100 of a new flash: still over after 150 frames in all.
    boss.state = BOSS_FLASHING;
    frames = 0;
    while (boss.state == BOSS_FLASHING && frames < 400) {
        MoveBoss();
        if (++frames == 100) boss.state = BOSS_FLASHING;
    }
    EXPECT_EQ(frames, 150);
    EXPECT_EQ(boss.flashTimer, 0);
}

TEST_F(BossTest, ShotHitStartsTheFlashThroughTheCollisionPass) {
    Enter(0, 300, 240);
    player.x = 20;
    player.y = 400;
    Shoot(0, 260, 240, 120);
    JudgeCollisions();
    EXPECT_EQ(boss.state, BOSS_FLASHING);
    EXPECT_EQ(boss.hp, 30000 - 120);
    EXPECT_EQ(boss.flashTimer, 0);
    // The boss is drawn while the timer is even: on and off every frame of the flash.
    MoveBoss();
    EXPECT_EQ(boss.flashTimer % 2, 1);
    MoveBoss();
    EXPECT_EQ(boss.flashTimer % 2, 0);
}
