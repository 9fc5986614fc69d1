// A stage's enemies played without a player: the game's own SpawnEnemies,
// UpdateEnemies and UpdateEnemyShots run frame by frame from the stage clock 0
// to the boss's entry, the ship parked. Used by stage_preview and the tests.
#pragma once

#include <functional>

#include "game/enemy/enemy.h"

struct StageFigures {
    int rows = 0;             // timeline rows read
    int enemies = 0;          // enemies spawned
    int rowsLost = 0;         // rows dropped because the enemy table was full
    int bullets = 0;          // bullets fired
    int shotsOffScreen = 0;   // bullets fired from outside the visible screen
    int shotsLost = 0;        // enemies that reached their fire frame with no free shot group
    int itemsCarried = 0;     // items the spawned enemies carry (dropped when shot down)
    int powerCarried = 0;     // power those items give
    int speedItems = 0;       // speed items among them
    int maxEnemies = 0;       // most enemies alive at once
    int maxGroups = 0;        // most shot groups in use at once
    int neverSeen = 0;        // enemies whose centre never came onto the 640×480 screen
    int aliveAtBoss = 0;      // enemies still alive when the boss enters
    double meanHp = 0;        // mean hit points of the spawned enemies
};

// Called after every frame's update for each live enemy that moved, with its
// slot, its spawn frame and its previous and new position.
using StageStepHook = std::function<void(int slot, int spawnFrame, double x0, double y0, double x1, double y1)>;

// Plays the timeline at `path` for the clock values 0 to the stage end time,
// with the ship parked at (shipX, shipY). The framework must be running.
StageFigures SimulateStage(const char* path, double shipX, double shipY, const StageStepHook& hook = nullptr);

// Power a pickup of the item kind gives (0 for speed items and bad kinds).
int ItemPower(int kind);
