// The boss pattern table: rows 0..4 are the shot patterns of stages 0..4, rows
// 5..9 their movement patterns. UpdateBoss runs the shot row, MoveBoss the
// movement row of the current stage. A new bullet writes only the fields its row
// names; the rest keep what the slot's previous bullet left there.
#include <cmath>

#include "framework/framework.h"
#include "game/player/boss.h"
#include "game/player/player.h"
#include "game/player/shots.h"
#include "game/common/assets.h"

const BossPatternFn boss_pattern_table[] = {
    ShootBoss0,   // 0: stage 0, stream of single bullets and a fan of eight
    ShootBoss1,   // 1: stage 1, scattered aimed bullets and a ballistic volley (motion 1)
    ShootBoss2,   // 2: stage 2, a column of five and a ballistic rain (motion 0)
    ShootBoss3,   // 3: stage 3, aimed fire
    ShootBoss4,   // 4: stage 4, homing bullets and accelerating rings
    MoveBoss0,    // 5: stage 0, tracks the ship's height and charges left
    MoveBoss1,    // 6: stage 1, homes in on the ship
    MoveBoss2,    // 7: stage 2, bounces up and down
    MoveBoss3,    // 8: stage 3, scripted path dragging the tail
    MoveBoss4,    // 9: stage 4, bounces around the screen
};
static_assert(sizeof boss_pattern_table / sizeof boss_pattern_table[0] == BOSS_PATTERNS,
              "one shot pattern and one movement pattern per stage");

namespace {

constexpr double PI = GAME_PI;
constexpr double TWO_PI = 6.2831853071796;
constexpr double DEG_1_75 = 0.030543261909900834;
constexpr double DEG_1_5 = 0.026179938779915;
constexpr double DEG_1_25 = 0.021816615649929167;
constexpr double DEG_1 = 0.017453292519943334;
constexpr double DEG_2 = 0.03490658503988667;
constexpr double DEG_0_875 = 0.015271630954950417;
constexpr double DEG_10 = 0.17453292519943334;
constexpr double DEG_140 = 2.443460952792067;

// U(a): a value from −a to a.
double Spread(double a) { return RandomUpTo(10000) * 2 * a / 10000 - a; }

double BallisticVx() { return RandomUpTo(10000) * 10 / 10000.0 - 5; }

// A new bullet at the boss with state 1; the caller writes the row's fields.
BulletRecord* NewBullet() {
    const int b = FindFreeBossBullet();
    if (b < 0) return nullptr;
    BulletRecord& bullet = boss_bullets.bullet[b];
    bullet.state = 1;
    bullet.x = boss.x;
    bullet.y = boss.y;
    return &bullet;
}

void Aimless(BulletRecord* b, int kind, double angle, double speed, int motion) {
    b->kind = kind;
    b->angle = angle;
    b->speed = speed;
    b->motion = motion;
    b->count = 0;
}

// Ballistic bullets keep their inherited angle and speed, so they also fly along those.
void Ballistic(BulletRecord* b, int motion) {
    b->kind = 1;
    b->motion = motion;
    b->count = 0;
    b->keep = 125;
    b->vx = BallisticVx();
    b->vy = -10;
}

void Fall(BulletRecord& b) {
    b.vy += 0.16;
    b.x += b.vx;
    b.y += b.vy;
}

// Stage 3's path: per band of t = count mod 4400 how the heading changes and
// whether the speed is set to 2.
enum PathKind { PATH_KEEP, PATH_WAVE, PATH_TURN, PATH_FIXED, PATH_PLACE };

struct PathBand {
    int from, to;      // t range, inclusive
    PathKind kind;
    double value;      // WAVE: base heading; TURN: change per frame; FIXED: heading
    bool speed2;       // speed set to 2.0
};

const PathBand BOSS3_PATH[] = {
    {0, 0, PATH_KEEP, 0, false},
    {1, 239, PATH_WAVE, PI, true},
    {240, 359, PATH_TURN, DEG_1_75, true},
    {360, 479, PATH_KEEP, 0, true},
    {480, 959, PATH_TURN, -DEG_1_5, true},
    {960, 1199, PATH_TURN, DEG_0_875, true},
    {1200, 1379, PATH_WAVE, 3 * PI / 2, true},
    {1380, 1499, PATH_TURN, DEG_1, true},
    {1500, 1679, PATH_KEEP, 0, false},
    {1680, 1799, PATH_TURN, -DEG_2, true},
    {1800, 2039, PATH_WAVE, 5 * PI / 6, true},
    {2040, 2619, PATH_TURN, -DEG_1_5, true},
    {2620, 2859, PATH_WAVE, -PI / 6, true},
    {2860, 2979, PATH_TURN, -DEG_1_25, true},
    {2980, 3239, PATH_FIXED, PI, true},
    {3240, 3359, PATH_TURN, -DEG_1, true},
    {3360, 3599, PATH_WAVE, PI / 3, false},
    {3600, 3839, PATH_TURN, DEG_1, false},
    {3840, 4398, PATH_WAVE, -PI / 6, false},
    {4399, 4399, PATH_PLACE, 0, false},
};

constexpr int BOSS3_CYCLE = 4400;

} // namespace

void ShootBoss0(void) {
    const int t = boss_bullets.count % 480;
    if (t <= 199 && t % 20 == 0) {
        if (BulletRecord* b = NewBullet()) Aimless(b, 0, PI, 4, 0);
        boss_play_se(SE_TAMA);
    }
    if (t == 230) {
        for (int k = 0; k < 8; k++)
            if (BulletRecord* b = NewBullet()) Aimless(b, 1, DEG_140 + k * DEG_10, 4, 0);
        boss_play_se(SE_TAMA);
    }
}

void ShootBoss1(void) {
    const int t = boss_bullets.count % 600;
    if (t <= 479 && t % ((10 - boss.phase) * 10) == 0) {
        // Count and keep are left as the slot had them.
        if (BulletRecord* b = NewBullet()) {
            b->kind = 0;
            b->angle = AimAtShip() + DEG_10 + Spread(PI / 3);
            b->speed = 1;
            b->motion = 0;
        }
        boss_play_se(SE_TAMA);
    }
    if (t == 480) {
        for (int k = 0; k < 5; k++)
            if (BulletRecord* b = NewBullet()) Ballistic(b, 1);
        boss_play_se(SE_TAMA);
    }
    for (BulletRecord& b : boss_bullets.bullet)
        if (b.state > 0 && b.motion == 1) Fall(b);
}

void ShootBoss2(void) {
    const int t = boss_bullets.count % 600;
    if (t == 0) {
        for (int k = 0; k < 5; k++)
            if (BulletRecord* b = NewBullet()) {
                b->x = boss.x - 30;
                b->y = boss.y - 100 + 50 * k;
                Aimless(b, 0, PI, 5, 1);
            }
        boss_play_se(SE_TAMA);
    }
    if (t >= 301 && t <= 599 && t % 5 == 0) {
        if (BulletRecord* b = NewBullet()) Ballistic(b, 0);
        boss_play_se(SE_TAMA);
    }
    // Every slot with motion 0 falls, flying or free.
    for (BulletRecord& b : boss_bullets.bullet)
        if (b.motion == 0) Fall(b);
}

void ShootBoss3(void) {
    const int t = boss_bullets.count % 500;
    if (t < 200 && t % 20 == 0) {
        if (BulletRecord* b = NewBullet()) Aimless(b, 3, AimAtShip(), 5, 0);
        boss_play_se(SE_FIRE);
    }
}

void ShootBoss4(void) {
    const int t = boss_bullets.count % 400;
    for (int j = 0; j <= boss.phase; j++) {
        if (t != 20 * j) continue;
        if (BulletRecord* b = NewBullet()) {
            Aimless(b, 3, AimAtShip(), 1, 0);
            b->erase = 1;
        }
        boss_play_se(SE_TAMA);
    }
    const int waves = boss.phase >= 7 ? 2 : 1;
    const int n = 2 * boss.phase + 20;
    for (int w = 0; w < waves; w++) {
        if (t != 200 + 20 * w) continue;
        const double aim = AimAtShip();
        for (int i = 0; i < n; i++)
            if (BulletRecord* b = NewBullet()) Aimless(b, 1, aim + i * (TWO_PI / n), 0, 1);
        boss_play_se(SE_TAMA);
    }
    // Every slot: motion 0 homes on the ship, motion 1 speeds up outwards.
    for (BulletRecord& b : boss_bullets.bullet) {
        if (b.motion == 0)
            b.angle = AimAtShipFrom(b.x, b.y);
        else if (b.motion == 1)
            b.speed += 0.2;
    }
}

void MoveBoss0(void) {
    boss.angle = PI;
    boss.speed = 0;
    const int t = boss.count % 480;
    if (t <= 299) {
        boss.vx = 0;
        boss.vy = boss.y > player.y ? -2 : 2;
    } else if (t == 300) {
        boss.vx = 0;
        boss.vy = 0;
    } else if (t <= 390) {
        boss.vx = -7.1;
        boss.vy = 0;
    } else {
        boss.vx = 7.1;
        boss.vy = 0;
    }
}

void MoveBoss1(void) {
    boss.angle = AimAtShip();
    boss.speed = 0.5 + 0.2 * boss.phase;
}

void MoveBoss2(void) {
    boss.angle = PI;
    if (boss.count == 0) boss.vy = 3.0;
    if (boss.y <= 50)
        boss.vy = -boss.vy;
    else if (boss.y >= 430)
        boss.vy = -boss.vy;
}

void MoveBoss3(void) {
    if (boss.count == 0) SwitchOnBossTail();
    const int t = boss.count % BOSS3_CYCLE;
    for (const PathBand& band : BOSS3_PATH) {
        if (t < band.from || t > band.to) continue;
        switch (band.kind) {
        case PATH_KEEP: break;
        case PATH_WAVE: boss.angle = band.value + (PI / 6) * std::cos(PI * t / 120); break;
        case PATH_TURN: boss.angle += band.value; break;
        case PATH_FIXED: boss.angle = band.value; break;
        case PATH_PLACE:
            boss.x = 640;
            boss.y = 240;
            break;
        }
        if (band.speed2) boss.speed = 2.0;
        return;
    }
}

void MoveBoss4(void) {
    boss.angle = PI;
    if (boss.count % 1200 == 0) {
        boss.vx = -(2.0 + 0.5 * boss.phase);
        boss.vy = boss.vx;
    }
    // Turn back only while heading out: a boss past the right or bottom edge when
    // the velocity is reset inwards would otherwise be turned out again, and the
    // two flips would hold it at that edge for the rest of the fight.
    if ((boss.x < 50 && boss.vx < 0) || (boss.x > 600 && boss.vx > 0)) boss.vx = -boss.vx;
    if ((boss.y < 50 && boss.vy < 0) || (boss.y > 430 && boss.vy > 0)) boss.vy = -boss.vy;
}
