// The two records every play step reads, whoever updates them: the player's
// ship (enemies aim at it, items feed it, collision hits it) and the boss,
// whose state is the boss-fight flag that holds the stage clock and the
// spawning. game/player/ owns both: their steps and their resets.
#pragma once

#include <cstdint>

enum {
    PLAYER_NORMAL = 0, PLAYER_DYING = 1, PLAYER_REENTERING = 2,
    PLAYER_POWER_MAX = 500,
    EXTRA_LIFE_SCORE = 10000,
};

struct PlayerRecord {
    int state;         // PLAYER_NORMAL, PLAYER_DYING or PLAYER_REENTERING
    int count;         // frames since the state last changed, +1 every frame
    int power;         // 0..500; the options come at 18, 24 and 36
    int score;
    int lives;         // below 0 opens the continue menu
    int invincible;    // 0 = vulnerable; else counts up and drops to 0 after 150
    int charge;        // frames the Shot button has been held beyond 10
    int cell;          // ship image cell 0..11 drawn this frame
    double x, y;       // centre of the 48×48 ship image
    double speed;      // pixels per frame: 4.0 after every re-entry, up to 8.0
    int continues;     // continues used in this game, at most 3
    int extraLife;     // 1 once this game's extra life was granted
    int blink;         // blink counter read by the ship's drawing (even = drawn); no step changes it
};

extern PlayerRecord player;

enum { BOSS_NONE = 0, BOSS_FIGHTING = 1, BOSS_FLASHING = 2 };

struct BossRecord {
    int32_t state;         // BOSS_NONE, BOSS_FIGHTING or BOSS_FLASHING
    int32_t count;         // frames since the boss entered (+1 every play frame, also before)
    int32_t phase;         // 0..8, from hp
    int32_t flashTimer;    // frames spent in state 2; the boss is drawn only while it is even
    int32_t hp;
    int32_t hpMax;         // 30000 at the stage start (kept, not read)
    int32_t endTime;       // stage clock value at which the boss enters
    double x, y;
    double vx, vy;         // extra velocity added every frame
    double angle;          // heading; the image is drawn rotated by angle + π
    double speed;          // along angle
};

extern BossRecord boss;
