// The player's ship: its record, dying and re-entry, invulnerability, the extra
// life and eight-way movement. The scene machine calls the steps once per frame
// (scenes 30 to 35) and the resets; collision and items change the record.
#pragma once

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

// Where the ship's steps read a pad slot: CheckStatePad, which module tests
// replace with a scripted pad.
extern int (*player_read_pad)(int slot);

void ResetPlayerNewGame(void);   // record, shots, charge shot, options, rings and formation cleared; lives 3, at (20, 240)
void ResetPlayerStage(void);     // back at (20, 240); shots, charge shot and options untouched
void SetPlayerTitlePosition(void);

void UpdatePlayerState(void);    // dying, re-entry, invulnerability, animation cell, extra life
void MovePlayer(void);           // eight-way movement inside 10..630 × 5..475
void ShiftPlayerRight(void);     // stage-clear fly-off: ship and options 2 pixels right
