// Enemy shot groups frame by frame: opening, the aimed bullet, movement and the
// removal bounds, orphaning and freeing, inert kinds.
#include <cmath>

#include "tests/game/enemy_fixture.h"

namespace {

// One play frame of the enemy part: the enemy update, then the shot groups.
void Frame() {
    UpdateEnemies();
    UpdateEnemyShots();
}

int FlyingBullets(int g) {
    int n = 0;
    for (int b = 0; b < GROUP_BULLETS; b++) n += eshot[g].bullet[b].state > 0;
    return n;
}

} // namespace

TEST_F(EnemyModule, ShotGroupLifeCycleWithTheOwnerAlive) {
    player.x = 20;
    player.y = 240;
    EnemyRecord& e = Place(3, 45, 600, 240);
    e.fire_frame = 1;
    e.bullet_kind = 2;
    e.bullet_color = 12345;
    Frame();
    const ShotGroupRecord& g = eshot[0];
    ASSERT_EQ(g.state, 1);
    EXPECT_EQ(g.kind, 0);
    EXPECT_EQ(g.owner, 3);
    EXPECT_EQ(g.count, 1);
    const BulletRecord& b = g.bullet[0];
    EXPECT_EQ(b.state, 1);
    EXPECT_EQ(b.kind, 2);
    EXPECT_EQ(b.color, 12345);
    EXPECT_EQ(b.speed, 3.0);
    EXPECT_EQ(b.count, 1);                        // moved in the frame it was fired
    EXPECT_EQ(b.motion, 0);
    EXPECT_EQ(b.keep, 0);
    EXPECT_EQ(b.additive, 0);
    EXPECT_NEAR(b.angle, 3.14159265358979, 1e-12);
    EXPECT_NEAR(b.x, 597, 1e-12);
    EXPECT_NEAR(b.y, 240, 1e-12);
    EXPECT_EQ(FlyingBullets(0), 1);

    // Only the first update fires: no second bullet ever.
    player.y = 100;
    for (int k = 2; k <= 216; k++) {
        Frame();
        ASSERT_EQ(b.state, 1) << k;
        ASSERT_NEAR(b.x, 600 - 3.0 * k, 1e-9) << k;
        ASSERT_EQ(FlyingBullets(0), 1) << k;
    }
    EXPECT_NEAR(b.x, -48, 1e-9);
    Frame();                                      // x = −51: below −50, removed
    EXPECT_EQ(b.state, 0);
    EXPECT_EQ(g.state, 1);                        // the enemy lives: the group stays
    EXPECT_EQ(g.count, 217);
    Frame();
    EXPECT_EQ(g.state, 1);

    // The enemy leaves: the group notices on its next update and, empty, frees itself.
    e.state = 0;
    Frame();
    EXPECT_EQ(g.state, 0);
}

TEST_F(EnemyModule, ShotGroupOrphanedAfterAKill) {
    player.x = 300;
    player.y = 0;
    Place(0, 45, 300, 300).fire_frame = 1;
    Place(1, 45, 100, 100).fire_frame = 1;
    Frame();
    ASSERT_EQ(eshot[0].owner, 0);
    ASSERT_EQ(eshot[1].owner, 1);
    // Killed after firing: the first live group of enemy 0 is orphaned at once.
    enemy[0].state = 0;
    OrphanShotGroup(0);
    EXPECT_EQ(eshot[0].state, 2);
    EXPECT_EQ(eshot[1].state, 1);
    const BulletRecord& b = eshot[0].bullet[0];
    // The bullet goes straight up from y = 297 at 3 a frame: y < −50 after 116 more moves.
    int frames = 0;
    while (eshot[0].state != 0 && frames < 1000) {
        Frame();
        frames++;
        if (eshot[0].state != 0) {
            ASSERT_EQ(eshot[0].state, 2);
            ASSERT_EQ(b.state, 1);
        }
    }
    EXPECT_EQ(frames, 116);                       // 297 − 3·116 = −51
    EXPECT_EQ(b.state, 0);
    EXPECT_EQ(eshot[1].state, 1);
    // An orphaned group fires nothing even on its first update.
    Place(2, 45, 100, 100);
    OpenShotGroup(2);
    eshot[0].state = 2;
    UpdateEnemyShots();
    EXPECT_EQ(FlyingBullets(0), 0);
}

TEST_F(EnemyModule, BulletRemovalBounds) {
    Place(0, 45, 300, 240);
    OpenShotGroup(0);
    eshot[0].count = 1;                           // past its shot: only movement
    struct Case {
        double x, y, angle;
        int keep, count;
        int alive;
    };
    const double R = 0, L = 3.1415926535898, D = 3.1415926535898 / 2;
    const Case cases[] = {
        {687, 240, R, 0, 0, 1},       // 690: stays
        {687.5, 240, R, 0, 0, 0},     // 690.5: removed
        {-47, 240, L, 0, 0, 1},       // −50 stays
        {-47.5, 240, L, 0, 0, 0},     // −50.5 removed
        {300, 527, D, 0, 0, 1},       // 530 stays
        {300, 527.5, D, 0, 0, 0},     // 530.5 removed
        {300, -47, -D, 0, 0, 1},
        {300, -47.5, -D, 0, 0, 0},
        {800, 240, R, 5, 3, 1},       // count becomes 4, not above keep 5
        {800, 240, R, 5, 4, 1},       // count 5: still kept
        {800, 240, R, 5, 5, 0},       // count 6 > 5: removed
    };
    const int n = sizeof cases / sizeof cases[0];
    for (int k = 0; k < n; k++) {
        BulletRecord& b = eshot[0].bullet[k];
        b.state = 1;
        b.x = cases[k].x;
        b.y = cases[k].y;
        b.angle = cases[k].angle;
        b.speed = 3;
        b.keep = cases[k].keep;
        b.count = cases[k].count;
    }
    UpdateEnemyShots();
    for (int k = 0; k < n; k++) EXPECT_EQ(eshot[0].bullet[k].state, cases[k].alive) << k;
}

TEST_F(EnemyModule, EnemyLeavingOnItsFireFrameStillFires) {
    player.x = 20;
    player.y = 240;
    EnemyRecord& e = Place(0, 45, 659, 240, 0, 2);
    e.fire_frame = 1;
    Frame();
    EXPECT_EQ(e.state, 0);
    EXPECT_EQ(e.x, 661);
    const ShotGroupRecord& g = eshot[0];
    EXPECT_EQ(g.state, 2);
    EXPECT_NEAR(g.bullet[0].x, 658, 1e-9);        // from the last position, one step on
    EXPECT_EQ(g.bullet[0].state, 1);
    int frames = 1;
    while (g.state != 0 && frames < 1000) {
        Frame();
        frames++;
    }
    // 661 − 3·237 = −50 is still inside; −53 on the 238th move is not.
    EXPECT_EQ(frames, 238);
    EXPECT_EQ(g.bullet[0].state, 0);
}

TEST_F(EnemyModule, InertAndFullShotGroups) {
    // A shot kind without a function: the group never fires, never moves, never frees.
    EnemyRecord& e = Place(0, 45, 300, 240);
    e.shot_kind = 1;
    e.fire_frame = 1;
    Place(1, 45, 300, 240).shot_kind = 25;
    enemy[1].fire_frame = 1;
    Place(2, 45, 300, 240).shot_kind = -3;
    enemy[2].fire_frame = 1;
    Frame();
    for (int g = 0; g < 3; g++) {
        EXPECT_EQ(eshot[g].state, 1) << g;
        EXPECT_EQ(eshot[g].count, 0) << g;
        EXPECT_EQ(FlyingBullets(g), 0) << g;
    }
    for (int i = 0; i < 3; i++) enemy[i].state = 0;
    for (int k = 0; k < 50; k++) UpdateEnemyShots();
    for (int g = 0; g < 3; g++) EXPECT_EQ(eshot[g].state, 1) << g;
    ResetShotGroupsStage();
    for (int g = 0; g < 3; g++) EXPECT_EQ(eshot[g].state, 0) << g;

    // No free group: the enemy's shot is lost, not retried.
    for (int g = 0; g < SHOT_GROUPS; g++) eshot[g].state = 1;
    eshot[7].state = 0;
    Place(9, 45, 300, 240);
    OpenShotGroup(9);
    EXPECT_EQ(eshot[7].owner, 9);
    OpenShotGroup(9);                            // nothing left: nothing happens
    for (int g = 0; g < SHOT_GROUPS; g++) EXPECT_EQ(eshot[g].state, 1);
}

TEST_F(EnemyModule, OpeningClearsTheWholeGroup) {
    ShotGroupRecord& g = eshot[0];
    g.count = 55;
    g.bullet[0].state = 0;
    g.bullet[0].keep = 99;
    g.bullet[0].additive = 1;
    g.bullet[0].motion = 3;
    g.bullet[9].state = 1;
    g.bullet[9].x = 77;
    Place(4, 45, 400, 240).shot_kind = 0;
    OpenShotGroup(4);
    EXPECT_EQ(g.state, 1);
    EXPECT_EQ(g.count, 0);
    EXPECT_EQ(g.owner, 4);
    EXPECT_EQ(g.bullet[0].keep, 0);
    EXPECT_EQ(g.bullet[0].additive, 0);
    EXPECT_EQ(g.bullet[0].motion, 0);
    EXPECT_EQ(g.bullet[9].state, 0);
    EXPECT_EQ(g.bullet[9].x, 0);
}

TEST_F(EnemyModule, OrphaningMarksOnlyTheFirstLiveGroup) {
    eshot[2].state = 1;
    eshot[2].owner = 5;
    eshot[4].state = 1;
    eshot[4].owner = 5;
    eshot[0].state = 0;
    eshot[0].owner = 5;
    OrphanShotGroup(5);
    EXPECT_EQ(eshot[0].state, 0);
    EXPECT_EQ(eshot[2].state, 2);
    EXPECT_EQ(eshot[4].state, 1);
}

TEST_F(EnemyModule, ShotGraphicsTable) {
    ResetShotGraphics();
    const int radius[4] = {20, 12, 7, 10};
    for (int k = 0; k < BULLET_KINDS; k++) {
        EXPECT_EQ(shot_graphic[k].image, 2000 + k);
        EXPECT_EQ(shot_graphic[k].radius, radius[k]);
        EXPECT_EQ(shot_graphic[k].spin, k == 2 ? 1 : 0);
    }
}
