// The game's asset tables: every image, sound effect, colour and font, loaded
// once at start-up and kept for the life of the process.
#pragma once

#include "game/common/game_state.h"

enum {
    ENEMY_KINDS = 5, ENEMY_POSES = 3, ENEMY_CELLS = 9,
    ITEM_KINDS = 6, SE_SLOTS = 41, PORTRAIT_SLOTS = 12, MAP_PORTRAITS = 7,
    BG_LAYERS = 4,
};

// Sound-effect slots.
enum {
    SE_START = 0, SE_CURSOR = 1, SE_TAMA = 2, SE_VOE = 3, SE_CHAR_DEATH = 4, SE_CHARGE = 5, SE_SYU = 6,
    SE_ESHOT = 10, SE_ENEMY_DEATH = 20, SE_EATK = 21, SE_YARARE = 22, SE_BOSS_DEATH = 31,
    SE_ITEM_GET = 34, SE_FIRE = 40,
};

struct AssetTables {
    int titleBack, titleHeroine, titleLogo, titleMenu[2], logoSplash;
    int background[STAGE_COUNT][BG_LAYERS];       // [stage][layer]; −1 where a stage has no layer
    int loading;
    int bulletGraphic[4];
    int ship[12];                                 // 4 × 3 cells: level, climbing, diving
    int leek, note, option;
    int chargeShot[3];
    int hitEffect[5];
    int enemy[ENEMY_KINDS * ENEMY_POSES * ENEMY_CELLS];  // kind, pose, 9 cells each
    int lifeIcon;
    int item[ITEM_KINDS][2];
    int mapTiles[32];
    int digits[10];
    int boss[STAGE_COUNT];        
    int boss3Second;
    int chargeGlow[3];
    int storyBack[3];
    int portrait[PORTRAIT_SLOTS];                 // character × 4 + expression
    int mapPortrait[MAP_PORTRAITS];
    int textBox;
    int white, red, green, blue, yellow;          // colour values
    int se[SE_SLOTS];                             // sound handles by slot, −1 when empty
    int fontMenu, fontMenuTitle, fontHud, fontPop;
};

extern AssetTables g_assets;

// Starts decoding the pictures LoadAssets loads on the framework's worker
// threads; the game calls it before the framework starts, so that they decode
// meanwhile.
void PreloadAssets(void);
// Loads every asset into g_assets, in the fixed order (taking the pictures
// PreloadAssets decoded; it preloads them itself when nothing is pending).
void LoadAssets(void);
// The language changed: the title pictures with words and the fonts again, in
// the game's language (game/common/language.h).
void ReloadLanguageAssets(void);
