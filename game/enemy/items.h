// Items, death bursts and effects: the tables `item`, `burst` and `effect`, the
// item drop, drift and pickup, the bursts' flashes and the charge blink. Called by
// the collision pass, the charge step and the play and stage-clear scenes.
#pragma once

#include <cstdint>

enum {
    ITEM_MAX = 50,
    BURST_MAX = 30,
    EFFECT_MAX = 100,
    ITEM_KIND_COUNT = 6,       // item kinds 0..5
    ITEM_DROPS = 6,            // kinds passed to DropItems
    FLASH_CELLS = 5,           // cells of the hit-effect sheet
    EFFECT_FLASH = 0,          // effect kinds
    EFFECT_BLINK = 5,
};

struct ItemRecord {
    int32_t state;             // 0 free, 1 present
    int32_t count;             // age in frames
    int32_t kind;              // 0..5
    double speed;              // leftward drift, 1.5
    double x, y;
    double scale;              // drawing scale of the kind
};

struct BurstRecord {
    int32_t state;             // 0 free, 1 running
    int32_t count;             // frames run
    int32_t color;             // 0..4: the dead enemy's burst_color
    double x, y;
};

struct EffectRecord {
    int32_t state;             // 0 free, above 0 alive
    int32_t count;             // age in frames
    int32_t color;             // burst colour it came from
    int32_t kind;              // EFFECT_FLASH or EFFECT_BLINK
    int32_t image;             // graphic handle
    int32_t blend;             // 1 additive (mode 2), 2 alpha (mode 1), other none
    double x, y;
    double scale;
    double turn;               // drawing rotation
    double speed;              // along angle
    double angle;
    double alpha;              // blend parameter, truncated when drawn
};

extern ItemRecord item[ITEM_MAX];
extern BurstRecord burst[BURST_MAX];
extern EffectRecord effect[EFFECT_MAX];

void ResetItemsStage(void);           // stage reset: item table cleared
void ResetEffectsStage(void);         // stage reset: effect table cleared
void ResetBurstsNewGame(void);        // new-game reset: burst table cleared

void DropItems(double x, double y, const int32_t kinds[ITEM_DROPS]);  // enemy kill
void MoveItems(void);                 // play and stage-clear frames
void CollectItems(void);              // collision pass: items within 20 pixels of the ship
void StartBurst(int enemyIndex);      // enemy kill and body contact
void UpdateBursts(void);              // play frame, after the collision pass
void UpdateEffects(void);             // play frame, right after UpdateBursts
void StartBlink(void);                // charge step, on every frame the charge rises; one live blink at most
int FindFreeEffect(void);             // lowest free effect slot, or −1
double ItemScale(int kind);           // drawing scale of an item kind (1.0 outside 0..5)
