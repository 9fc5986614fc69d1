// The player's ship record.
#pragma once

struct PlayerRecord {
    int state;
    int count;
    int power;
    int score;
    int lives;
    int invincible;
    int charge;
    double x, y;
    double speed;
    int continues;     // continues used in this game, at most 3
};

extern PlayerRecord player;

void ResetPlayerNewGame(void);   // cleared record, lives 3, at (20, 240)
void ResetPlayerStage(void);     // back at (20, 240)
void SetPlayerTitlePosition(void);
