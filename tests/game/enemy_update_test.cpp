// Spawning from the timeline and the per-frame enemy update: slots, removal
// bounds, animation cells, the fire frame and the checks of bad columns.
#include <cmath>

#include "tests/game/enemy_fixture.h"

namespace {

StoryRow Row(int frame, int pattern, double x, double y) {
    StoryRow r;
    std::memset(&r, 0, sizeof r);
    r.frame = frame;
    r.pattern = pattern;
    r.image = 4;
    r.x = x;
    r.y = y;
    r.speed = 0;
    r.hp = 30;
    for (int k = 0; k < STORY_DROPS; k++) r.drop[k] = -1;
    return r;
}

} // namespace

TEST_F(EnemyModule, SpawnFillsTheSlotFromTheRow) {
    StoryRow r = Row(0, 7, 500.5, 120.25);
    r.speed = 1.5;
    r.fire_frame = 40;
    r.shot_kind = 0;
    r.bullet_color = 9;
    r.bullet_kind = 3;
    r.wait = 11;
    r.hp = 77;
    const int32_t drops[6] = {0, 1, 2, 3, 4, 5};
    std::memcpy(r.drop, drops, sizeof drops);
    story[0] = r;
    story_count = 1;
    const int burst = (RandomSeed(5), RandomUpTo(4));
    RandomSeed(5);
    scene_timer = 0;
    SpawnEnemies();
    const EnemyRecord& e = enemy[0];
    EXPECT_EQ(e.state, 1);
    EXPECT_EQ(e.count, 0);
    EXPECT_EQ(e.pose, 1);
    EXPECT_EQ(e.pattern, 7);
    EXPECT_EQ(e.image, 4);
    EXPECT_EQ(e.x, 500.5);
    EXPECT_EQ(e.y, 120.25);
    EXPECT_EQ(e.speed, 1.5);
    EXPECT_EQ(e.angle, 0.0);
    EXPECT_EQ(e.vx, 0.0);
    EXPECT_EQ(e.vy, 0.0);
    EXPECT_EQ(e.fire_frame, 40);
    EXPECT_EQ(e.bullet_color, 9);
    EXPECT_EQ(e.bullet_kind, 3);
    EXPECT_EQ(e.wait, 11);
    EXPECT_EQ(e.hp, 77);
    EXPECT_EQ(e.hp_start, 77);
    EXPECT_EQ(e.burst_color, burst);
    for (int k = 0; k < 6; k++) EXPECT_EQ(e.drop[k], k);
    EXPECT_EQ(enemy[1].state, 0);
    EXPECT_EQ(ConsoleText(), "");

    // Not again on the next frame, and never while the boss fight holds the clock.
    scene_timer = 1;
    SpawnEnemies();
    EXPECT_EQ(enemy[1].state, 0);
    story[1] = Row(1, 0, 100, 100);
    story_count = 2;
    boss.state = 1;
    SpawnEnemies();
    EXPECT_EQ(enemy[1].state, 0);
    boss.state = 0;
    SpawnEnemies();
    EXPECT_EQ(enemy[1].state, 1);
}

TEST_F(EnemyModule, SpawnOnlyFromRowsReadAndInRowOrder) {
    // Cleared rows past the timeline have frame 0 but take no part.
    story[0] = Row(5, 1, 100, 100);
    story[1] = Row(5, 2, 200, 100);
    story_count = 2;
    scene_timer = 0;
    SpawnEnemies();
    EXPECT_EQ(FindFreeEnemy(), 0);
    scene_timer = 5;
    enemy[0].state = 1;   // slot 0 taken: the rows go to slots 1 and 2
    SpawnEnemies();
    EXPECT_EQ(enemy[1].pattern, 1);
    EXPECT_EQ(enemy[2].pattern, 2);
    EXPECT_EQ(FindFreeEnemy(), 3);
}

TEST_F(EnemyModule, HundredAndOneRowsOnOneFrame) {
    std::string text = "h\nh\n";
    for (int r = 0; r < 101; r++) text += "3," + std::to_string(r % 100) + ",0,300,200,0,0,0,0,1,0,0,-1,-1,-1,-1,-1,-1\n";
    WriteFile("dat/csv/storyH0.csv", text);
    LoadStory();
    ASSERT_EQ(story_count, 101);
    scene_timer = 3;
    SpawnEnemies();
    for (int i = 0; i < ENEMY_MAX; i++) EXPECT_EQ(enemy[i].pattern, i);
    EXPECT_EQ(FindFreeEnemy(), -1);
    // The 101st row is lost for good, even once a slot frees.
    enemy[42].state = 0;
    scene_timer = 4;
    SpawnEnemies();
    EXPECT_EQ(enemy[42].state, 0);
}

TEST_F(EnemyModule, UpdateRemovesOnlyPastTheBounds) {
    // Pattern 45 keeps the spawn motion: `speed` along angle 0.
    Place(0, 45, 659, 240, 0, 1);     // reaches 660 exactly: stays
    Place(1, 45, 659.5, 240, 0, 1);   // reaches 660.5: removed
    Place(2, 45, -19, 240, 0, -1);    // reaches -20: stays
    Place(3, 45, -19.5, 240, 0, -1);  // -20.5: removed
    Place(4, 66, 300, 498, 0, 0);     // pattern 66 sets vy 2: 500 stays
    Place(5, 66, 300, 498.5, 0, 0);   // 500.5 removed
    Place(6, 65, 300, -18, 0, 0);     // vy -2: -20 stays
    Place(7, 65, 300, -18.5, 0, 0);   // -20.5 removed
    UpdateEnemies();
    const int expected[8] = {1, 0, 1, 0, 1, 0, 1, 0};
    for (int i = 0; i < 8; i++) EXPECT_EQ(enemy[i].state, expected[i]) << i;
    EXPECT_EQ(enemy[0].x, 660.0);
    EXPECT_EQ(enemy[1].x, 660.5);     // the last position is kept for the shot group
    EXPECT_EQ(enemy[1].count, 1);
    UpdateEnemies();
    EXPECT_EQ(enemy[0].state, 0);
}

TEST_F(EnemyModule, UpdateAnimatesBySixFrames) {
    Place(0, 45, 300, 240);
    enemy[0].pose = 2;
    for (int frame = 1; frame <= 40; frame++) {
        UpdateEnemies();
        EXPECT_EQ(enemy[0].anim, 6 + (frame % 18) / 6) << frame;
    }
    // Pattern 37 sets pose 0 on its first frame, before the cell is chosen.
    Place(1, 37, 300, 240);
    UpdateEnemies();
    EXPECT_EQ(enemy[1].anim, 0);
}

TEST_F(EnemyModule, UpdateOpensTheShotGroupOnTheFireFrame) {
    Place(0, 45, 300, 240).fire_frame = 1;
    Place(1, 45, 300, 300).fire_frame = 0;
    Place(2, 45, 300, 360).fire_frame = 3;
    Place(3, 45, 300, 420).fire_frame = -4;
    UpdateEnemies();
    EXPECT_EQ(eshot[0].state, 1);
    EXPECT_EQ(eshot[0].owner, 0);
    EXPECT_EQ(eshot[1].state, 0);
    UpdateEnemies();
    EXPECT_EQ(eshot[1].state, 0);
    UpdateEnemies();
    EXPECT_EQ(eshot[1].state, 1);
    EXPECT_EQ(eshot[1].owner, 2);
    for (int k = 0; k < 200; k++) UpdateEnemies();
    EXPECT_EQ(eshot[2].state, 0);
}

TEST_F(EnemyModule, PatternOutOfRangeFreezesTheEnemyAndRepeatsTheMessage) {
    story[0] = Row(0, 100, 300, 240);
    story[0].speed = 2;
    story[0].fire_frame = 1;
    story[1] = Row(0, -1, 200, 240);
    story_count = 2;
    SpawnEnemies();
    EXPECT_EQ(enemy[0].state, 1);
    EXPECT_EQ(ConsoleText(), "");
    UpdateEnemies();
    EXPECT_EQ(ConsoleText(), "enemy[i].patternの100値が不正です。enemy[i].patternの-1値が不正です。");
    UpdateEnemies();
    EXPECT_EQ(Occurrences(ConsoleText(), "enemy[i].patternの100値が不正です。"), 2);
    EXPECT_EQ(enemy[0].x, 300.0);
    EXPECT_EQ(enemy[0].count, 0);
    EXPECT_EQ(eshot[0].state, 0);
}

TEST_F(EnemyModule, BadTableColumnsAreReportedOnceAtSpawn) {
    story[0] = Row(0, 45, 300, 240);
    story[0].image = 15;
    story[1] = Row(0, 45, 300, 260);
    story[1].image = -1;
    story[2] = Row(0, 45, 300, 280);
    story[2].bullet_kind = 4;
    story[2].fire_frame = 1;
    story[3] = Row(0, 45, 300, 300);
    story[3].drop[2] = 6;
    story[3].drop[4] = -2;
    story[4] = Row(0, 45, 300, 320);
    story[4].image = 14;
    story[4].bullet_kind = 3;
    story[4].drop[0] = 5;
    story[4].drop[1] = 0;
    story_count = 5;
    SpawnEnemies();
    EXPECT_EQ(ConsoleText(),
              "enemy[i].imageの15値が不正です。"
              "enemy[i].imageの-1値が不正です。"
              "enemy[i].bullet_kindの4値が不正です。"
              "enemy[i].dropの6値が不正です。"
              "enemy[i].dropの-2値が不正です。");
    for (int i = 0; i < 5; i++) EXPECT_EQ(enemy[i].state, 1) << i;
    EXPECT_EQ(enemy[0].image, ENEMY_IMAGE_NONE);
    EXPECT_EQ(enemy[1].image, ENEMY_IMAGE_NONE);
    EXPECT_EQ(enemy[4].image, 14);

    // Nothing more on later frames; the bad bullet kind opens its group but fires nothing.
    const std::string before = ConsoleText();
    UpdateEnemies();
    UpdateEnemyShots();
    EXPECT_EQ(ConsoleText(), before);
    EXPECT_EQ(eshot[0].state, 1);
    EXPECT_EQ(eshot[0].owner, 2);
    for (int b = 0; b < GROUP_BULLETS; b++) EXPECT_EQ(eshot[0].bullet[b].state, 0);

    // The bad drop kinds drop nothing; the good ones of the same row still do.
    DropItems(enemy[3].x, enemy[3].y, enemy[3].drop);
    for (int k = 0; k < ITEM_MAX; k++) EXPECT_EQ(item[k].state, 0) << k;
}

TEST_F(EnemyModule, TimelineRunFrameByFrame) {
    // Pattern 0 with W = 0 and a row speed of 1: −2 a frame for 60 updates, then +4.
    WriteFile("dat/csv/storyH0.csv",
              "h\nh\n2,0,1,600,100,1,30,0,5,10,1,0,-1,-1,-1,-1,-1,-1\n");
    LoadStory();
    player.x = 20;
    player.y = 240;
    const EnemyRecord& e = enemy[0];
    for (int t = 0; t < 120; t++) {
        scene_timer = t;
        SpawnEnemies();
        UpdateEnemies();
        UpdateEnemyShots();
        const int n = t - 2;
        if (t < 2) {
            ASSERT_EQ(e.state, 0) << t;
            continue;
        }
        const double x = n < 60 ? 600 - 2.0 * (n + 1) : 480 + 4.0 * (n - 59);
        if (x > 660) {
            ASSERT_EQ(e.state, 0) << t;
            ASSERT_EQ(t, 107);
            break;
        }
        ASSERT_EQ(e.state, 1) << t;
        ASSERT_EQ(e.count, n + 1) << t;
        ASSERT_NEAR(e.x, x, 1e-9) << t;
        ASSERT_EQ(e.y, 100) << t;
        ASSERT_EQ(eshot[0].state, n >= 29 ? 1 : 0) << t;
        if (n == 29) {
            // Opened on the 30th update, fired from (540, 100) at the ship, moved once.
            const BulletRecord& b = eshot[0].bullet[0];
            const double a = std::atan2(240.0 - 100.0, 20.0 - 540.0);
            EXPECT_EQ(b.kind, 1);
            EXPECT_EQ(b.color, 5);
            EXPECT_EQ(b.angle, a);
            EXPECT_NEAR(b.x, 540 + 3 * std::cos(a), 1e-12);
            EXPECT_NEAR(b.y, 100 + 3 * std::sin(a), 1e-12);
        }
    }
    EXPECT_EQ(ConsoleText(), "");
}

TEST_F(EnemyModule, RowsWithoutAFinitePlaceOrSpeedAreReportedAndNotSpawned) {
    // The reader's conversion accepts these, but none is a place on the field: a
    // NaN enemy would never pass the removal bounds and would keep its slot.
    const std::string tail = ",1,0,0,10,0,0,-1,-1,-1,-1,-1,-1\n";
    WriteFile("dat/csv/storyH0.csv", "h\nh\n0,9,0,nan,240,0" + tail + "0,9,0,600,1e999,0" + tail +
                                         "0,9,0,600,240,-inf" + tail + "0,9,0,600,240,0" + tail);
    LoadStory();
    ASSERT_EQ(story_count, 4);
    SpawnEnemies();
    EXPECT_EQ(ConsoleText(), "enemy[i].x, y, speedのnan, 240, 0値が不正です。"
                             "enemy[i].x, y, speedの600, inf, 0値が不正です。"
                             "enemy[i].x, y, speedの600, 240, -inf値が不正です。");
    EXPECT_EQ(enemy[0].state, 1);
    EXPECT_EQ(enemy[0].x, 600);
    EXPECT_EQ(enemy[0].y, 240);
    EXPECT_EQ(enemy[1].state, 0);
}
