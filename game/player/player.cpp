// The player's ship: its record and the parts of the resets that own it.
#include "game/player/player.h"

#include <cstring>

PlayerRecord player;

void ResetPlayerNewGame(void) {
    std::memset(&player, 0, sizeof player);
    player.x = 20;
    player.y = 240;
    player.lives = 3;
}

void ResetPlayerStage(void) {
    player.x = 20;
    player.y = 240;
}

void SetPlayerTitlePosition(void) {
    player.x = 160;
    player.y = 240;
}
