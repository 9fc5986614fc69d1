// The collision pass: player shots and the charge shot against enemies, the boss
// and its tail; the ship against enemies, the boss, the tail and every bullet; the
// charge shot against the erasable boss bullets; then item pickup. Called once per
// play frame after the boss steps. Tables are walked in index order.
#include "game/player/collision.h"

#include <cmath>

#include "framework/framework.h"
#include "game/enemy/enemy.h"
#include "game/enemy/items.h"
#include "game/enemy/shots.h"
#include "game/player/boss.h"
#include "game/player/charge.h"
#include "game/player/player.h"
#include "game/player/shots.h"
#include "game/common/assets.h"

namespace {

void PlaySe(int slot) { PlaySoundHandle(g_assets.se[slot], 1, 1); }

const int SHOT_RADIUS[2] = {6, 0};     // player shot kind 0 / 1
constexpr int CHARGE_MIDDLE = 1;       // the segment tested against the boss and the tail

int ShotRadius(int kind) { return kind == SHOT_KIND_REAR ? SHOT_RADIUS[1] : SHOT_RADIUS[0]; }

int BulletRadius(int kind) { return (kind >= 0 && kind < BULLET_KINDS) ? shot_graphic[kind].radius : 0; }

bool BossPresent() { return boss.state > 0; }

// Once the boss is beaten the ship is safe, as while invincible: what it touches
// is still destroyed, but it can no longer lose a life the stage-clear
// sequence would take from it after play has ended.
bool ShipGuarded() { return player.invincible != 0 || BossBeaten(); }

bool ShipVulnerable() { return player.state == PLAYER_NORMAL && !ShipGuarded(); }

double Square(double v) { return v * v; }

// The boss or the charge shot took a hit: the flash starts and both sounds play.
void HitBoss(int damage) {
    boss.hp -= damage;
    player.score += 10;
    boss.state = BOSS_FLASHING;
    collision_play_se(SE_ENEMY_DEATH);
    collision_play_se(SE_YARARE);
}

void JudgePlayerShots() {
    const int bossR = BossRadius();
    for (int i = 0; i < PLAYER_SHOTS; i++) {
        PlayerShot& s = player_shot[i];
        if (s.state <= 0) continue;
        // A shot cannot hit anything on the frame it was fired.
        if (s.count <= 0) continue;
        const double r = ShotRadius(s.kind);
        const double heading = PlayerShotHeading(s.angle);
        for (int j = 0; j < ENEMY_MAX; j++) {
            EnemyRecord& e = enemy[j];
            if (e.state <= 0) continue;
            if (!HitTest(s.x, s.y, e.x, e.y, r, ENEMY_HIT_RADIUS, s.speed, heading)) continue;
            e.hp -= s.damage;
            s.state = 0;
            KillEnemyIfDead(j);
            break;
        }
        // The same shot still meets the boss and the tail, even if an enemy used it up.
        if (BossPresent() && HitTest(s.x, s.y, boss.x, boss.y, r, bossR, s.speed, heading)) {
            s.state = 0;
            HitBoss(s.damage);
        }
        for (int k = 1; k < TAIL_SEGMENTS; k++) {
            const TailSegment& seg = boss_tail[k];
            if (seg.state > 0 && HitTest(s.x, s.y, seg.x, seg.y, r, bossR, s.speed, heading)) s.state = 0;
        }
    }
}

void JudgeChargeShot() {
    ChargeShot& c = charge_shot;
    if (c.state <= 0 || c.count <= 0) return;
    const double heading = ChargeShotHeading(c.angle);
    // Enemies do not use the charge shot up; each segment kills at most one per frame.
    for (int seg = 0; seg < CHARGE_SEGMENTS; seg++) {
        for (int j = 0; j < ENEMY_MAX; j++) {
            EnemyRecord& e = enemy[j];
            if (e.state <= 0) continue;
            if (!HitTest(c.x[seg], c.y[seg], e.x, e.y, CHARGE_HIT_RADIUS, ENEMY_HIT_RADIUS, c.speed, heading)) continue;
            e.hp -= CHARGE_SHOT_DAMAGE;
            KillEnemyIfDead(j);
            break;
        }
    }
    const int bossR = BossRadius();
    const double mx = c.x[CHARGE_MIDDLE], my = c.y[CHARGE_MIDDLE];
    if (BossPresent() && HitTest(mx, my, boss.x, boss.y, CHARGE_HIT_RADIUS, bossR, c.speed, heading)) {
        c.state = 0;
        HitBoss(CHARGE_SHOT_DAMAGE);
    }
    for (int k = 1; k < TAIL_SEGMENTS; k++) {
        const TailSegment& s = boss_tail[k];
        if (s.state > 0 && HitTest(mx, my, s.x, s.y, CHARGE_HIT_RADIUS, bossR, c.speed, heading)) c.state = 0;
    }
}

// The ship touched something solid: no dying state, the re-entry starts at once.
void StartReentry() {
    collision_play_se(SE_CHAR_DEATH);
    player.state = PLAYER_REENTERING;
    player.count = 0;
}

void JudgeEnemyBodies() {
    if (player.state != PLAYER_NORMAL) return;
    for (int j = 0; j < ENEMY_MAX; j++) {
        EnemyRecord& e = enemy[j];
        if (e.state <= 0) continue;
        if (Square(player.y - e.y) + Square(player.x - e.x) >= SHIP_BODY_REACH2) continue;
        // Touched enemies are destroyed without score or items, also by an invincible ship.
        e.state = 0;
        StartBurst(j);
        if (!ShipGuarded()) {
            StartReentry();
            return;
        }
    }
}

void JudgeBossBody() {
    if (!BossPresent() || !ShipVulnerable()) return;
    if (Square(boss.x - player.x) + Square(boss.y - player.y) < Square(BossRadius() - 5)) StartReentry();
}

void JudgeTailBody() {
    if (!ShipVulnerable()) return;
    const double reach2 = Square(BossRadius() - 5);
    for (int k = 1; k < TAIL_SEGMENTS; k++) {
        const TailSegment& s = boss_tail[k];
        if (s.state <= 0) continue;
        if (Square(s.x - player.x) + Square(s.y - player.y) < reach2) {
            StartReentry();
            return;
        }
    }
}

void EraseBossBullets() {
    const ChargeShot& c = charge_shot;
    if (c.state <= 0 || c.count <= 0) return;
    const double heading = ChargeShotHeading(c.angle);
    for (int seg = 0; seg < CHARGE_SEGMENTS; seg++)
        for (BulletRecord& b : boss_bullets.bullet) {
            if (b.erase <= 0 || b.count <= 0) continue;
            if (HitTest(c.x[seg], c.y[seg], b.x, b.y, CHARGE_HIT_RADIUS, BulletRadius(b.kind), c.speed, heading))
                b.state = 0;
        }
}

// A bullet that touches the ship always vanishes; it hurts only a vulnerable ship.
void BulletAgainstShip(BulletRecord& b) {
    if (b.state != 1 || b.count <= 0) return;
    if (!HitTest(b.x, b.y, player.x, player.y, BulletRadius(b.kind), SHIP_HIT_RADIUS, b.speed, b.angle)) return;
    b.state = 0;
    if (!ShipVulnerable()) return;
    player.count = 0;
    player.state = PLAYER_DYING;
    collision_play_se(SE_CHAR_DEATH);
}

void JudgeBullets() {
    for (ShotGroupRecord& g : eshot) {
        if (g.state <= 0) continue;
        for (BulletRecord& b : g.bullet) BulletAgainstShip(b);
    }
    if (boss_bullets.active == 0) return;
    for (BulletRecord& b : boss_bullets.bullet) BulletAgainstShip(b);
}

} // namespace

void (*collision_play_se)(int slot) = PlaySe;

// Player shots move x along sin and y along cos: the same direction read with x
// along cos and y along sin is π/2 − angle.
double PlayerShotHeading(double angle) { return GAME_PI / 2 - angle; }

// The charge shot moves against the player-shot convention: −π/2 − angle.
double ChargeShotHeading(double angle) { return -GAME_PI / 2 - angle; }

bool HitTest(double x1, double y1, double x2, double y2, double r1, double r2, double v, double theta) {
    const double R = r1 + r2;
    const double R2 = R * R;
    // Two points cannot meet closer than a radius of 0: no sweep then (it would never end).
    if (R < v && R > 0) {
        double sx = x1 + v * std::cos(theta + GAME_PI);
        double sy = y1 + v * std::sin(theta + GAME_PI);
        const double n = v / R;
        const double stepX = R * std::cos(theta), stepY = R * std::sin(theta);
        for (int i = 0; i < n; i++) {
            if (Square(sx - x2) + Square(sy - y2) < R2) return true;
            sx += stepX;
            sy += stepY;
        }
    }
    return Square(x1 - x2) + Square(y1 - y2) < R2;
}

void KillEnemyIfDead(int j) {
    EnemyRecord& e = enemy[j];
    if (e.hp >= 0) return;
    player.score += 10;
    e.state = 0;
    collision_play_se(SE_ENEMY_DEATH);
    StartBurst(j);
    DropItems(e.x, e.y, e.drop);
    OrphanShotGroup(j);
}

void JudgeCollisions(void) {
    JudgePlayerShots();
    JudgeChargeShot();
    JudgeEnemyBodies();
    JudgeBossBody();
    JudgeTailBody();
    EraseBossBullets();
    JudgeBullets();
    CollectItems();
}
