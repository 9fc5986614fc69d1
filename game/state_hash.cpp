// The state hash: FNV-1a (by 32-bit words) over every field that play reads, field by field (never
// raw records, whose padding bytes are not part of the state). Doubles count by
// their bit patterns: a replay checks the same program on the same data, so any
// difference at all is a desync. Graphic handles are left out: they name
// pictures, not play.
#include "game/state_hash.h"

#include <cstring>

#include "game/enemy/enemy.h"
#include "game/enemy/items.h"
#include "game/enemy/shots.h"
#include "game/common/game_state.h"
#include "game/player/boss.h"
#include "game/player/charge.h"
#include "game/player/options.h"
#include "game/player/player.h"
#include "game/player/shots.h"

namespace {

// FNV-1a taken a 32-bit word at a time: a quarter of the multiplies of the
// byte-wise hash, which matters with ten thousand bullets in flight.
struct Fnv {
    uint32_t h = 2166136261u;
    void Byte(uint8_t b) { h = (h ^ b) * 16777619u; }
    void U32(uint32_t v) { h = (h ^ v) * 16777619u; }
    void I(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void D(double v) {
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        U32(static_cast<uint32_t>(bits));
        U32(static_cast<uint32_t>(bits >> 32));
    }
};

void HashBullet(Fnv& f, const BulletRecord& b) {
    f.I(b.state);
    if (b.state == 0) return;   // a free slot's leftovers are never read
    f.I(b.kind); f.I(b.count); f.I(b.color); f.I(b.motion); f.I(b.keep); f.I(b.additive);
    f.D(b.x); f.D(b.y); f.D(b.vx); f.D(b.vy); f.D(b.angle); f.D(b.speed); f.I(b.erase);
}

uint32_t HashScene() {
    Fnv f;
    f.I(fucn_state); f.I(scene_timer); f.I(stage_number); f.I(fade_brightness); f.I(fade_counter);
    return f.h;
}

uint32_t HashShip() {
    Fnv f;
    const PlayerRecord& p = player;
    f.I(p.state); f.I(p.count); f.I(p.power); f.I(p.invincible); f.I(p.charge); f.I(p.cell);
    f.D(p.x); f.D(p.y); f.D(p.speed); f.I(p.blink);
    return f.h;
}

uint32_t HashScore() {
    Fnv f;
    f.I(player.score); f.I(player.lives); f.I(player.continues); f.I(player.extraLife);
    return f.h;
}

uint32_t HashOptions() {
    Fnv f;
    for (int o = 0; o < OPTIONS; o++) {
        const OptionRecord& r = option[o];
        f.I(r.enabled); f.I(r.count); f.D(r.x); f.D(r.y);
        f.I(option_trail[o].cursor);
        for (int k = 0; k < TRAIL_MAX; k++) { f.D(option_trail[o].point[k].x); f.D(option_trail[o].point[k].y); }
    }
    f.I(formation_mode);
    for (int k = 0; k < FORMATIONS; k++) f.Byte(formation_flag[k]);
    return f.h;
}

uint32_t HashShots() {
    Fnv f;
    for (const PlayerShot& s : player_shot) {
        f.I(s.state);
        if (s.state == SHOT_FREE) continue;
        f.I(s.damage); f.I(s.count); f.I(s.kind); f.D(s.x); f.D(s.y); f.D(s.angle); f.D(s.speed);
    }
    const ChargeShot& c = charge_shot;
    f.I(c.state); f.I(c.damage); f.I(c.count); f.I(c.kind); f.D(c.angle); f.D(c.speed);
    for (int k = 0; k < CHARGE_SEGMENTS; k++) { f.D(c.x[k]); f.D(c.y[k]); }
    return f.h;
}

uint32_t HashEnemies() {
    Fnv f;
    for (const EnemyRecord& e : enemy) {
        f.I(e.state);
        if (e.state == 0) continue;
        f.I(e.count); f.I(e.pattern); f.I(e.pose); f.I(e.hp); f.I(e.hp_start);
        for (int32_t d : e.drop) f.I(d);
        f.I(e.anim); f.I(e.burst_color);
        f.D(e.x); f.D(e.y); f.D(e.vx); f.D(e.vy); f.D(e.speed); f.D(e.angle);
        f.I(e.fire_frame); f.I(e.shot_kind); f.I(e.bullet_kind); f.I(e.bullet_color); f.I(e.wait);
    }
    return f.h;
}

uint32_t HashBullets() {
    Fnv f;
    for (const ShotGroupRecord& g : eshot) {
        f.I(g.state);
        if (g.state == 0) continue;
        f.I(g.kind); f.I(g.count); f.I(g.owner);
        for (const BulletRecord& b : g.bullet) HashBullet(f, b);
    }
    return f.h;
}

uint32_t HashItems() {
    Fnv f;
    for (const ItemRecord& i : item) {
        f.I(i.state);
        if (i.state == 0) continue;
        f.I(i.count); f.I(i.kind); f.D(i.speed); f.D(i.x); f.D(i.y); f.D(i.scale);
    }
    for (const BurstRecord& b : burst) {
        f.I(b.state);
        if (b.state == 0) continue;
        f.I(b.count); f.I(b.color); f.D(b.x); f.D(b.y);
    }
    for (const EffectRecord& e : effect) {
        f.I(e.state);
        if (e.state == 0) continue;
        f.I(e.count); f.I(e.color); f.I(e.kind); f.I(e.blend);
        f.D(e.x); f.D(e.y); f.D(e.scale); f.D(e.turn); f.D(e.speed); f.D(e.angle); f.D(e.alpha);
    }
    return f.h;
}

uint32_t HashBoss() {
    Fnv f;
    const BossRecord& b = boss;
    f.I(b.state); f.I(b.count); f.I(b.phase); f.I(b.flashTimer); f.I(b.hp); f.I(b.hpMax); f.I(b.endTime);
    f.D(b.x); f.D(b.y); f.D(b.vx); f.D(b.vy); f.D(b.angle); f.D(b.speed);
    f.I(boss_bullets.active); f.I(boss_bullets.count);
    for (const BulletRecord& r : boss_bullets.bullet) HashBullet(f, r);
    for (const TailSegment& t : boss_tail) { f.I(t.state); f.D(t.x); f.D(t.y); }
    f.I(boss_history.cursor);
    for (int k = 0; k < TAIL_RING; k++) { f.D(boss_history.x[k]); f.D(boss_history.y[k]); }
    return f.h;
}

const char* const PART_NAMES[STATE_PARTS] = {
    "scene", "ship", "score", "options", "shots", "enemies", "bullets", "items", "boss",
};

} // namespace

StateHash HashGameState(void) {
    StateHash s;
    s.part[STATE_SCENE] = HashScene();
    s.part[STATE_SHIP] = HashShip();
    s.part[STATE_SCORE] = HashScore();
    s.part[STATE_OPTIONS] = HashOptions();
    s.part[STATE_SHOTS] = HashShots();
    s.part[STATE_ENEMIES] = HashEnemies();
    s.part[STATE_BULLETS] = HashBullets();
    s.part[STATE_ITEMS] = HashItems();
    s.part[STATE_BOSS] = HashBoss();
    return s;
}

const char* StatePartName(int part) {
    if (part == STATE_PARTS) return "whole";
    return part >= 0 && part < STATE_PARTS ? PART_NAMES[part] : "?";
}
