// The collision pass: once per play frame, after the boss steps, every contact of
// the stage is judged and its consequences applied at once (damage, kills, score,
// sounds, the ship's hit). The play scene calls JudgeCollisions.
#pragma once

enum {
    ENEMY_HIT_RADIUS = 16,         // enemy against player shots and the charge shot
    CHARGE_HIT_RADIUS = 67,
};

constexpr double SHIP_HIT_RADIUS = 5.0;      // ship against bullets
constexpr double SHIP_BODY_REACH2 = 441.0;   // enemy body against the ship: squared distance below 21²

// Where the pass plays a sound-effect slot: PlaySoundHandle of that slot, which
// module tests replace to record the slots.
extern void (*collision_play_se)(int slot);

void JudgeCollisions(void);    // play frame, after UpdateBossTail
// (x1, y1) the mover after this frame's move, (x2, y2) the target, v the distance
// it travelled and theta its heading with x along cos and y along sin. A mover
// faster than the two radii together is swept back along its last step.
bool HitTest(double x1, double y1, double x2, double y2, double r1, double r2, double v, double theta);
void KillEnemyIfDead(int j);   // score, sound, burst, items and the orphaned group once hp is below 0
double PlayerShotHeading(double angle);   // a player shot's angle in the screen convention
double ChargeShotHeading(double angle);   // the charge shot's angle in the screen convention
