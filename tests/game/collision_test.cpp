// The collision pass: HitTest's plain test and its sweep, the player shots'
// heading handed to it in the screen convention, and JudgeCollisions' order and
// consequences (kills, score, sounds, bursts, items, the ship's hit, the boss,
// its tail and its bullets).
#include <cmath>

#include "tests/game/boss_fixture.h"

using namespace boss_test;

namespace {

constexpr double PI = 3.1415926535898;

int RunningBursts() {
    int n = 0;
    for (const BurstRecord& b : burst) n += b.state > 0;
    return n;
}

int PresentItems() {
    int n = 0;
    for (const ItemRecord& it : item) n += it.state > 0;
    return n;
}

} // namespace

TEST(HitTest, PlainTestIsStrictAndTheSweepSamplesTheLastStep) {
    // No sweep while the radii together reach as far as the step.
    EXPECT_FALSE(HitTest(10, 0, 0, 0, 5, 5, 10, 0));   // distance exactly 10
    EXPECT_TRUE(HitTest(9.99, 0, 0, 0, 5, 5, 10, 0));
    EXPECT_FALSE(HitTest(100, 0, 85, 0, 2, 3, 5, 0));   // slow mover: only its end point counts

    // Step of 20 with R = 5: samples at x = 80, 85, 90, 95, then the end point 100.
    EXPECT_TRUE(HitTest(100, 0, 85, 0, 2, 3, 20, 0));
    EXPECT_TRUE(HitTest(100, 0, 76, 0, 2, 3, 20, 0));
    EXPECT_FALSE(HitTest(100, 0, 74.9, 0, 2, 3, 20, 0));   // behind the previous position
    EXPECT_FALSE(HitTest(100, 0, 87.5, 4.9, 2, 3, 20, 0)); // between two samples, off the line
    EXPECT_TRUE(HitTest(100, 0, 87.5, 4.0, 2, 3, 20, 0));

    // n = 12 / 5 = 2.4 gives three samples: 88, 93 and 98.
    EXPECT_TRUE(HitTest(100, 0, 98, 4.8, 2, 3, 12, 0));
    EXPECT_FALSE(HitTest(100, 0, 82.9, 0, 2, 3, 12, 0));
    EXPECT_TRUE(HitTest(100, 0, 83.5, 0, 2, 3, 12, 0));

    // The heading reads x along cos and y along sin.
    EXPECT_TRUE(HitTest(0, 100, 0, 82, 2, 3, 20, PI / 2));
    EXPECT_FALSE(HitTest(0, 100, 0, 82, 2, 3, 20, 0));

    // Two radii of 0 never meet and the sweep does not run away.
    EXPECT_FALSE(HitTest(0, 0, 0, 0, 0, 0, 5, 0));
}

TEST(HitTest, PlayerShotHeadingsFollowTheirFlight) {
    for (double a : {PI / 2, PI, 2 * PI, -PI / 2, -PI / 3, -2 * PI / 3, PI / 3, 2 * PI / 3}) {
        const double h = PlayerShotHeading(a);
        EXPECT_NEAR(std::cos(h), std::sin(a), 1e-12) << a;
        EXPECT_NEAR(std::sin(h), std::cos(a), 1e-12) << a;
        const double c = ChargeShotHeading(a);
        EXPECT_NEAR(std::cos(c), -std::sin(a), 1e-12) << a;
        EXPECT_NEAR(std::sin(c), -std::cos(a), 1e-12) << a;
    }
    EXPECT_EQ(PlayerShotHeading(PI / 2), 0);
    EXPECT_EQ(ChargeShotHeading(-PI / 2), 0);
}

TEST_F(BossTest, OptionThreeShotIsSweptAlongTheLineItFlew) {
    player.y = 400;
    // A rear shot of option 3 (radius 0, speed 20) from (200, 200) at −π/3:
    // one move takes it to (200 − 17.32, 210).
    PlayerShot& s = Shoot(0, 200, 200, 50, SHOT_KIND_REAR, -PI / 3, 20);
    s.x += std::sin(s.angle) * s.speed;
    s.y += std::cos(s.angle) * s.speed;
    EnemyRecord& e = Place(0, 199, 200.5, 10);
    // Its end point is out of reach; only its real last step passes the enemy.
    ASSERT_GT(std::hypot(s.x - e.x, s.y - e.y), 16);
    EXPECT_FALSE(HitTest(s.x, s.y, e.x, e.y, 0, 16, 20, s.angle));
    EXPECT_TRUE(HitTest(s.x, s.y, e.x, e.y, 0, 16, 20, PlayerShotHeading(s.angle)));
    JudgeCollisions();
    EXPECT_EQ(e.state, 0);
    EXPECT_EQ(s.state, 0);
    EXPECT_EQ(player.score, 10);
}

TEST_F(BossTest, TwoShotsOnOneEnemyInIndexOrder) {
    player.x = 20;
    player.y = 400;
    EnemyRecord& e = Place(5, 300, 240, 150);
    e.drop[0] = 1;
    eshot[3].state = 1;
    eshot[3].owner = 5;
    eshot[7].state = 1;
    eshot[7].owner = 5;
    PlayerShot& a = Shoot(0, 295, 240, 200);
    PlayerShot& b = Shoot(1, 305, 240, 200);
    JudgeCollisions();
    // The first shot kills; the second flies on untouched.
    EXPECT_EQ(e.state, 0);
    EXPECT_EQ(e.hp, -50);
    EXPECT_EQ(a.state, 0);
    EXPECT_EQ(b.state, SHOT_FLYING);
    EXPECT_EQ(player.score, 10);
    EXPECT_EQ(Slots(), std::vector<int>{SE_ENEMY_DEATH});
    EXPECT_EQ(RunningBursts(), 1);
    EXPECT_EQ(burst[0].x, 300);
    ASSERT_EQ(PresentItems(), 1);
    EXPECT_EQ(item[0].kind, 1);
    EXPECT_EQ(item[0].x, 300);
    // Only the first live group of the enemy is orphaned.
    EXPECT_EQ(eshot[3].state, 2);
    EXPECT_EQ(eshot[7].state, 1);

    // A tougher enemy takes both shots.
    g_sounds.clear();
    EnemyRecord& f = Place(6, 300, 240, 300);
    Shoot(0, 295, 240, 200);
    Shoot(1, 305, 240, 200);
    JudgeCollisions();
    EXPECT_EQ(f.hp, -100);
    EXPECT_EQ(f.state, 0);
    EXPECT_EQ(player_shot[0].state, 0);
    EXPECT_EQ(player_shot[1].state, 0);
    EXPECT_EQ(player.score, 20);
    EXPECT_EQ(Plays(SE_ENEMY_DEATH), 1);
}

TEST_F(BossTest, EnemyWithHpExactlyZeroSurvives) {
    player.y = 400;
    EnemyRecord& e = Place(0, 300, 240, 200);
    e.drop[0] = 5;
    Shoot(0, 300, 240, 200);
    JudgeCollisions();
    EXPECT_EQ(e.state, 1);
    EXPECT_EQ(e.hp, 0);
    EXPECT_EQ(player.score, 0);
    EXPECT_TRUE(g_sounds.empty());
    EXPECT_EQ(PresentItems(), 0);
    KillEnemyIfDead(0);
    EXPECT_EQ(e.state, 1);
    Shoot(0, 300, 240, 1);
    JudgeCollisions();
    EXPECT_EQ(e.state, 0);
    EXPECT_EQ(e.hp, -1);
    EXPECT_EQ(PresentItems(), 1);
}

TEST_F(BossTest, ShotFiredThisFrameCannotHit) {
    player.y = 400;
    EnemyRecord& e = Place(0, 300, 240, 10);
    PlayerShot& s = Shoot(0, 300, 240, 200);
    s.count = 0;
    JudgeCollisions();
    EXPECT_EQ(e.state, 1);
    EXPECT_EQ(s.state, SHOT_FLYING);
    s.count = 1;
    JudgeCollisions();
    EXPECT_EQ(e.state, 0);
}

TEST_F(BossTest, InvincibleShipDestroysWhatItTouchesUnharmed) {
    player.x = 100;
    player.y = 100;
    player.invincible = 5;
    EnemyRecord& e0 = Place(0, 110, 100, 1000);
    EnemyRecord& e1 = Place(1, 100, 115, 1000);
    EnemyRecord& far = Place(2, 121, 100, 1000);   // 21 pixels: not touching
    e0.drop[0] = 1;
    eshot[0].state = 1;
    eshot[0].owner = 9;
    BulletRecord& bullet = eshot[0].bullet[0];
    bullet.state = 1;
    bullet.count = 3;
    bullet.kind = 2;
    bullet.x = 100;
    bullet.y = 111.9;   // 7 + 5 = 12
    Enter(0, 130, 100);   // the boss body overlaps the ship too
    JudgeCollisions();
    EXPECT_EQ(e0.state, 0);
    EXPECT_EQ(e1.state, 0);
    EXPECT_EQ(far.state, 1);
    EXPECT_EQ(RunningBursts(), 2);
    EXPECT_EQ(player.score, 0);
    EXPECT_EQ(PresentItems(), 0);
    EXPECT_EQ(bullet.state, 0);
    EXPECT_EQ(player.state, PLAYER_NORMAL);
    EXPECT_TRUE(g_sounds.empty());
}

TEST_F(BossTest, VulnerableShipHitByABodyReentersAtOnce) {
    player.x = 100;
    player.y = 100;
    player.count = 33;
    EnemyRecord& e0 = Place(0, 110, 100, 1000);
    EnemyRecord& e1 = Place(1, 100, 115, 1000);
    eshot[0].state = 1;
    BulletRecord& bullet = eshot[0].bullet[0];
    bullet.state = 1;
    bullet.count = 3;
    bullet.kind = 2;
    bullet.x = 100;
    bullet.y = 100;
    JudgeCollisions();
    // The first body ends the step; the bullet still vanishes but does not start dying.
    EXPECT_EQ(e0.state, 0);
    EXPECT_EQ(e1.state, 1);
    EXPECT_EQ(player.state, PLAYER_REENTERING);
    EXPECT_EQ(player.count, 0);
    EXPECT_EQ(bullet.state, 0);
    EXPECT_EQ(Slots(), std::vector<int>{SE_CHAR_DEATH});
}

TEST_F(BossTest, BulletsHitTheShipOnlyWhenFlyingAndMoved) {
    player.x = 300;
    player.y = 300;
    eshot[0].state = 2;   // orphaned groups still count
    BulletRecord& b = eshot[0].bullet[4];
    b.state = 1;
    b.count = 0;
    b.kind = 3;
    b.x = 300 + 14.9;
    b.y = 300;
    JudgeCollisions();
    EXPECT_EQ(b.state, 1);   // fired this frame
    b.count = 1;
    b.x = 315;               // 10 + 5: exactly touching is no hit
    JudgeCollisions();
    EXPECT_EQ(b.state, 1);
    b.x = 314.9;
    JudgeCollisions();
    EXPECT_EQ(b.state, 0);
    EXPECT_EQ(player.state, PLAYER_DYING);
    EXPECT_EQ(player.count, 0);
    EXPECT_EQ(Slots(), std::vector<int>{SE_CHAR_DEATH});

    // Boss bullets count only while the block is active.
    player.state = PLAYER_NORMAL;
    BulletRecord& c = boss_bullets.bullet[0];
    c.state = 1;
    c.count = 1;
    c.kind = 0;
    c.x = 300;
    c.y = 300;
    JudgeCollisions();
    EXPECT_EQ(c.state, 1);
    boss_bullets.active = 1;
    JudgeCollisions();
    EXPECT_EQ(c.state, 0);
    EXPECT_EQ(player.state, PLAYER_DYING);
}

TEST_F(BossTest, OneShotHitsAnEnemyAndTheBossInTheSameFrame) {
    player.x = 20;
    player.y = 450;
    Enter(0, 330, 240);
    EnemyRecord& e = Place(0, 300, 240, 5000);
    PlayerShot& s = Shoot(0, 290, 240, 120);
    JudgeCollisions();
    EXPECT_EQ(e.hp, 5000 - 120);
    EXPECT_EQ(boss.hp, 30000 - 120);
    EXPECT_EQ(boss.state, BOSS_FLASHING);
    EXPECT_EQ(s.state, 0);
    EXPECT_EQ(player.score, 10);
    EXPECT_EQ(Slots(), (std::vector<int>{SE_ENEMY_DEATH, SE_YARARE}));
    // No boss, no hit.
    boss.state = 0;
    Shoot(0, 330, 240, 120);
    JudgeCollisions();
    EXPECT_EQ(boss.hp, 30000 - 120);
}

TEST_F(BossTest, BossRadiusByStage) {
    // Stage 4: radius 120; the body reaches the ship under 115 pixels.
    Enter(4, 300, 240);
    player.x = 300 + 115;
    player.y = 240;
    JudgeCollisions();
    EXPECT_EQ(player.state, PLAYER_NORMAL);
    player.x = 300 + 114.9;
    JudgeCollisions();
    EXPECT_EQ(player.state, PLAYER_REENTERING);
    EXPECT_EQ(Slots(), std::vector<int>{SE_CHAR_DEATH});
    // Shots reach it at 120 + 6.
    player.state = PLAYER_NORMAL;
    player.x = 20;
    Shoot(0, 300 - 126, 240, 1);
    JudgeCollisions();
    EXPECT_EQ(boss.hp, 30000);
    Shoot(0, 300 - 125.9, 240, 1);
    JudgeCollisions();
    EXPECT_EQ(boss.hp, 29999);

    // Stage 3: radius 25, body 20.
    g_sounds.clear();
    Enter(3, 300, 240);
    player.state = PLAYER_NORMAL;
    player.x = 320;
    JudgeCollisions();
    EXPECT_EQ(player.state, PLAYER_NORMAL);
    player.x = 319.9;
    JudgeCollisions();
    EXPECT_EQ(player.state, PLAYER_REENTERING);
    // An invincible ship passes through the boss.
    player.state = PLAYER_NORMAL;
    player.invincible = 1;
    player.x = 300;
    JudgeCollisions();
    EXPECT_EQ(player.state, PLAYER_NORMAL);
}

TEST_F(BossTest, TailAbsorbsShotsAndHitsTheShip) {
    Enter(3, 500, 100);
    player.x = 20;
    player.y = 450;
    boss_tail[0] = {1, 200, 240, 0};   // segment 0 is never tested
    boss_tail[2] = {1, 300, 240, 0};
    Shoot(0, 200, 240, 100);
    PlayerShot& s = Shoot(1, 300 - 30, 240, 100);
    JudgeCollisions();
    EXPECT_EQ(player_shot[0].state, SHOT_FLYING);
    EXPECT_EQ(s.state, 0);
    EXPECT_EQ(boss.hp, 30000);
    EXPECT_EQ(boss.state, BOSS_FIGHTING);
    EXPECT_TRUE(g_sounds.empty());
    // The ship against a segment: radius 25 − 5.
    player.x = 300;
    player.y = 240 + 20;
    JudgeCollisions();
    EXPECT_EQ(player.state, PLAYER_NORMAL);
    player.y = 240 + 19.9;
    JudgeCollisions();
    EXPECT_EQ(player.state, PLAYER_REENTERING);
    EXPECT_EQ(player.count, 0);
}

TEST_F(BossTest, ChargeShotPiercesEnemiesHitsTheBossAndErasesHomingBullets) {
    player.x = 20;
    player.y = 450;
    ChargeShot& c = charge_shot;
    c.state = CHARGE_FLYING;
    c.count = 1;
    c.angle = -PI / 2;
    c.speed = 15;
    for (int s = 0; s < CHARGE_SEGMENTS; s++) {
        c.x[s] = 100 + 134 * s;
        c.y[s] = 240;
    }
    EnemyRecord& e0 = Place(0, 100, 240, 100);
    EnemyRecord& e1 = Place(1, 100, 250, 100);
    EnemyRecord& e2 = Place(2, 368 + 82, 240, 700);   // 67 + 16 = 83
    JudgeCollisions();
    // Each segment takes at most one enemy a frame; the shot goes on.
    EXPECT_EQ(e0.state, 0);
    EXPECT_EQ(e1.state, 1);
    EXPECT_EQ(e1.hp, 100);
    EXPECT_EQ(e2.hp, 200);
    EXPECT_EQ(e2.state, 1);
    EXPECT_EQ(c.state, CHARGE_FLYING);
    EXPECT_EQ(player.score, 10);

    // Boss bullets the charge shot can erase: flagged and moved at least once.
    boss_bullets.active = 1;
    BulletRecord* b = boss_bullets.bullet;
    for (int k = 0; k < 3; k++) {
        b[k].state = 1;
        b[k].kind = 3;
        b[k].x = 368;
        b[k].y = 240 + 70;   // 67 + 10 = 77
        b[k].count = 1;
        b[k].erase = 1;
    }
    b[1].erase = 0;
    b[2].count = 0;
    e1.state = 0;
    e2.state = 0;
    JudgeCollisions();
    EXPECT_EQ(b[0].state, 0);
    EXPECT_EQ(b[1].state, 1);
    EXPECT_EQ(b[2].state, 1);
    EXPECT_EQ(c.state, CHARGE_FLYING);

    // The boss stops it: 500 damage, score, flash, both sounds.
    g_sounds.clear();
    Enter(0, 234 + 116, 240);   // 67 + 50 = 117 from the middle segment
    JudgeCollisions();
    EXPECT_EQ(boss.hp, 30000 - 500);
    EXPECT_EQ(boss.state, BOSS_FLASHING);
    EXPECT_EQ(c.state, 0);
    EXPECT_EQ(Slots(), (std::vector<int>{SE_ENEMY_DEATH, SE_YARARE}));
}

TEST_F(BossTest, ItemsAreCollectedInThePass) {
    player.x = 200;
    player.y = 200;
    const int32_t kinds[ITEM_DROPS] = {5, -1, -1, -1, -1, -1};
    DropItems(210, 200, kinds);
    JudgeCollisions();
    EXPECT_EQ(item[0].state, 0);
    EXPECT_EQ(player.power, 10);
}

TEST_F(BossTest, FastRingBulletIsSweptAlongItsHeading) {
    // A ring bullet (kind 1, radius 12) that has sped up to 30 pixels a frame
    // ends 32 pixels past a ship it flew across: R = 17 < 30, so it is swept.
    player.x = 300;
    player.y = 240;
    boss_bullets.active = 1;
    BulletRecord& b = boss_bullets.bullet[7];
    b.state = 1;
    b.count = 90;
    b.kind = 1;
    b.motion = 1;
    b.speed = 30;
    b.angle = 0;
    b.x = 315 + 17;   // samples at 302 and 319: the first is 2 from the ship
    b.y = 240;
    JudgeCollisions();
    EXPECT_EQ(b.state, 0);
    EXPECT_EQ(player.state, PLAYER_DYING);
    // Heading the other way, the same end point was never near the ship.
    player.state = PLAYER_NORMAL;
    b.state = 1;
    b.angle = 3.1415926535898;
    JudgeCollisions();
    EXPECT_EQ(b.state, 1);
    EXPECT_EQ(player.state, PLAYER_NORMAL);
}

TEST_F(BossTest, ShipIsSafeOnceTheBossIsBeaten) {
    // An enemy body and an enemy bullet on the ship, at four moments of a stage:
    // before the boss, during the fight, on the defeat frame (the boss step has
    // just ended the fight, the clock still at 8000) and on the way to the clear.
    struct Case { int clock, bossState; bool safe; } cases[] = {
        {7000, BOSS_NONE, false},
        {8000, BOSS_FIGHTING, false},
        {8000, BOSS_NONE, true},
        {8099, BOSS_NONE, true},
    };
    for (const Case& c : cases) {
        for (bool body : {true, false}) {
            ResetEnemiesStage();
            ResetShotGroupsStage();
            ResetBurstsNewGame();
            ResetBossStage();
            player.state = PLAYER_NORMAL;
            player.invincible = 0;
            player.x = 100;
            player.y = 100;
            scene_timer = c.clock;
            boss.state = c.bossState;
            boss.x = 500;
            boss.y = 400;
            if (body) Place(0, 110, 100, 1000);
            eshot[0].state = 1;
            BulletRecord& b = eshot[0].bullet[0];
            b.state = 1;
            b.count = 3;
            b.kind = 2;
            b.x = 100;
            b.y = 100;
            JudgeCollisions();
            const int hurt = body ? PLAYER_REENTERING : PLAYER_DYING;
            EXPECT_EQ(player.state, c.safe ? PLAYER_NORMAL : hurt)
                << "clock " << c.clock << " boss " << c.bossState << (body ? " body" : " bullet");
            EXPECT_EQ(b.state, 0) << "a bullet that touches the ship always vanishes";
            if (body) EXPECT_EQ(enemy[0].state, 0) << "a touched enemy is destroyed";
        }
    }
}
