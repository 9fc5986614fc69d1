// The player's ship: the steps of its record (game/common/play_records.h):
// dying and re-entry, invulnerability, the extra life and eight-way movement.
// The scene machine calls the steps once per frame (scenes 30 to 35) and the
// resets; collision and items change the record.
#pragma once

#include "game/common/play_records.h"

// Where the ship's steps read a pad slot: CheckStatePad, which module tests
// replace with a scripted pad.
extern int (*player_read_pad)(int slot);

void ResetPlayerNewGame(void);   // record, shots, charge shot, options, rings and formation cleared; lives 3, at (20, 240)
void ResetPlayerStage(void);     // back at (20, 240); shots, charge shot and options untouched
void SetPlayerTitlePosition(void);

void UpdatePlayerState(void);    // dying, re-entry, invulnerability, animation cell, extra life
void MovePlayer(void);           // eight-way movement inside 10..630 × 5..475
void ShiftPlayerRight(void);     // stage-clear fly-off: ship and options 2 pixels right
