// The player-shot table and the volleys: main shots by power and four shots
// from each option that the power allows. UpdateShots runs in scene 30,
// MoveShots alone in scene 33; collision reads and frees the shots.
#pragma once

enum {
    PLAYER_SHOTS = 100,
    SHOT_FREE = 0, SHOT_FLYING = 1,
    SHOT_KIND_MAIN = 0,      // main and option 1/2 shots, hit radius 6
    SHOT_KIND_REAR = 1,      // option 3 shots, hit radius 0
};

// Player shots head along `angle` the other way round from bullets: each frame
// x += sin(angle)·speed and y += cos(angle)·speed, so π/2 is rightwards.
struct PlayerShot {
    int state;         // SHOT_FREE or SHOT_FLYING
    int damage;
    int count;         // frames flown; cannot hit while 0
    int kind;
    int image;
    double x, y;
    double angle;
    double speed;
};

extern PlayerShot player_shot[PLAYER_SHOTS];

// π as every angle constant of the game writes it.
constexpr double GAME_PI = 3.1415926535898;

void ResetShotsNewGame(void);   // every shot freed
int FindFreeShot(void);         // lowest free index, or −1
void MoveShots(void);           // flies every shot and frees those off the screen
void UpdateShots(void);         // MoveShots, then a volley with its sound when Shot is pressed
void FireVolley(void);          // main shots and option shots of one volley, no sound
