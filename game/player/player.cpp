// The player's ship: its record, the state step (dying, re-entry,
// invulnerability, extra life), movement and the stage-clear shift. Called by
// the scene machine; collision (state, count) and items (power, speed, ...) write the record.
#include "game/player/player.h"

#include <cmath>
#include <cstring>

#include "game/player/charge.h"
#include "game/player/options.h"
#include "game/player/shots.h"
#include "game/common/game_state.h"
#include "game/common/pad.h"

PlayerRecord player;
int (*player_read_pad)(int slot) = CheckStatePad;

namespace {

enum {
    DYING_FRAMES = 20,           // the dying state ends once count passes this
    REENTRY_FRAMES = 60,         // an untouched re-entry ends once count passes this
    INVINCIBLE_FRAMES = 150,     // invulnerability ends once the timer passes this
    DYING_BRIGHTNESS = 80,
    REENTRY_POWER_LOSS = 30,
};

constexpr double START_X = 20, START_Y = 240;
constexpr double REENTRY_X = 10, REENTRY_Y = 240, REENTRY_STEP = 1.5, REENTRY_LIMIT_X = 660;
constexpr double BASE_SPEED = 4.0;
constexpr double MIN_X = 10, MAX_X = 630, MIN_Y = 5, MAX_Y = 475;

int Pad(int slot) { return player_read_pad(slot); }

// Ends the re-entry when it has lasted long enough or the player steers.
void StepReentry() {
    const int left = Pad(PadConfig.left), right = Pad(PadConfig.right);
    const int up = Pad(PadConfig.up), down = Pad(PadConfig.down);
    player.x += REENTRY_STEP;
    if (player.count > REENTRY_FRAMES || (player.x < REENTRY_LIMIT_X && left + right + up + down != 0)) {
        player.state = PLAYER_NORMAL;
        player.power -= REENTRY_POWER_LOSS;
        if (player.power < 0) player.power = 0;
        player.speed = BASE_SPEED;
    }
}

// One direction's step, refused whole when it would leave the field.
void TryStep(double dx, double dy) {
    const double cx = player.x + dx, cy = player.y + dy;
    if (cx < MIN_X || cx > MAX_X || cy < MIN_Y || cy > MAX_Y) return;
    player.x = cx;
    player.y = cy;
}

} // namespace

void ResetPlayerNewGame(void) {
    std::memset(&player, 0, sizeof player);
    player.x = START_X;
    player.y = START_Y;
    player.speed = BASE_SPEED;
    player.lives = 3;
    ResetShotsNewGame();
    ResetChargeShotNewGame();
    ResetOptionsNewGame();
}

void ResetPlayerStage(void) {
    player.x = START_X;
    player.y = START_Y;
}

void SetPlayerTitlePosition(void) {
    player.x = 160;
    player.y = 240;
}

void UpdatePlayerState(void) {
    if (player.state == PLAYER_DYING) {
        fade_brightness = DYING_BRIGHTNESS;
        if (player.count > DYING_FRAMES) {
            player.state = PLAYER_REENTERING;
            player.count = 0;
            fade_brightness = 255;
        }
    }
    // A hit that sets state 2 directly (enemy, boss or tail body) starts here too.
    if (player.state == PLAYER_REENTERING && player.count == 0) {
        player.invincible++;
        player.lives--;
        player.x = REENTRY_X;
        player.y = REENTRY_Y;
    }
    if (player.state == PLAYER_REENTERING) StepReentry();
    if (player.invincible > 0) {
        player.invincible++;
        if (player.invincible > INVINCIBLE_FRAMES) player.invincible = 0;
    }
    player.count++;
    player.cell = (player.count % 20) / 5;
    // One extra life per game, on the first frame the score stands at 10000 or more.
    if (!player.extraLife && player.score >= EXTRA_LIFE_SCORE) {
        player.extraLife = 1;
        player.lives++;
    }
}

void MovePlayer(void) {
    const bool left = Pad(PadConfig.left) > 0;
    const bool right = Pad(PadConfig.right) > 0;
    const bool down = Pad(PadConfig.down) > 0;
    const bool up = Pad(PadConfig.up) > 0;
    if (player.state == PLAYER_DYING) return;
    if (up) player.cell += 4;
    else if (down) player.cell += 8;
    const double s = player.speed / ((left || right) && (up || down) ? std::sqrt(2.0) : 1.0);
    if (left) TryStep(-s, 0);
    if (right) TryStep(s, 0);
    if (down) TryStep(0, s);
    if (up) TryStep(0, -s);
}

void ShiftPlayerRight(void) {
    player.x += 2;
    ShiftOptionsRight();
}
