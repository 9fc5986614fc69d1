// Ordinary enemies: the stage timeline `story` read from "dat/csv/storyH%d.csv",
// the enemy table `enemy`, spawning and the per-frame update. Called by the stage
// reset and the play scene; the collision pass and the play-field drawing read the table.
#pragma once

#include <cstdint>

enum {
    STORY_ROWS = 3000,         // rows the timeline table holds
    STORY_COLUMNS = 18,        // values per row
    STORY_DROPS = 6,           // item kinds per row
    STORY_FIELD_CHARS = 64,    // characters of a field that are kept
    ENEMY_MAX = 100,           // enemy table size
    ENEMY_IMAGES = 15,         // enemy image sheets 0..14
    ENEMY_IMAGE_NONE = -1,     // `image` of an enemy whose row named no valid sheet: not drawn
};

// One timeline row, columns 0..17 in file order.
struct StoryRow {
    int32_t frame;             // scene-timer value that spawns the enemy
    int32_t pattern;           // movement pattern 0..99
    int32_t image;             // image sheet 0..14
    double x, y;               // spawn position
    double speed;              // initial speed along heading 0
    int32_t fire_frame;        // age at which the shot group opens
    int32_t shot_kind;         // shot-group kind
    int32_t bullet_color;      // copied into the bullets
    int32_t hp;                // hit points
    int32_t bullet_kind;       // bullet kind 0..3
    int32_t wait;              // pause length W of the patterns
    int32_t drop[STORY_DROPS]; // item kinds 0..5, −1 = none
};

struct EnemyRecord {
    int32_t state;             // 0 free, 1 alive
    int32_t count;             // age in frames: 0 on the first update
    int32_t pattern;
    int32_t pose;              // image-sheet row 0..2
    int32_t image;             // image sheet 0..14, or ENEMY_IMAGE_NONE
    int32_t hp;
    int32_t hp_start;
    int32_t drop[STORY_DROPS];
    int32_t anim;              // cell 0..8 drawn this frame
    int32_t burst_color;       // 0..4, colour cell of the death burst
    double x, y;
    double vx, vy;             // drift set by the pattern
    double speed;              // along `angle`
    double angle;
    int32_t fire_frame;
    int32_t shot_kind;
    int32_t bullet_kind;
    int32_t bullet_color;
    int32_t wait;
};

extern StoryRow story[STORY_ROWS];
extern int story_count;               // rows read from the file; only these spawn
extern EnemyRecord enemy[ENEMY_MAX];

void ResetEnemiesStage(void);         // stage reset: clears the enemy table and the timeline
void LoadStory(void);                 // stage start, after the reset: reads the current stage's timeline
int FindFreeEnemy(void);              // lowest free slot, or −1
void SpawnEnemies(void);              // play frame: rows whose frame is the scene timer
void UpdateEnemies(void);             // play frame: patterns, movement, removal, shot groups

// The timeline reader on any path (LoadStory builds the stage's path).
void LoadStoryFile(const char* path);
