// The check value of a run: one hash per part of the game state that play
// depends on, so that two runs that part ways can name the first part that
// differs. Replays record it every 60 frames and compare it at playback.
#pragma once

#include <cstdint>

enum StatePart {
    STATE_SCENE,        // scene number, stage clock, stage number, fade
    STATE_SHIP,         // the player record but its score and lives
    STATE_SCORE,        // score, lives, continues, extra life
    STATE_OPTIONS,      // options, trail rings, formation
    STATE_SHOTS,        // player shots and the charge shot
    STATE_ENEMIES,      // the enemy table
    STATE_BULLETS,      // enemy shot groups and their bullets
    STATE_ITEMS,        // items, bursts, effects
    STATE_BOSS,         // boss record, boss bullets, tail and its history
    STATE_PARTS
};

struct StateHash {
    uint32_t part[STATE_PARTS];
};

StateHash HashGameState(void);
const char* StatePartName(int part);   // "ship", "enemies", …; "whole" for STATE_PARTS; "?" beyond
