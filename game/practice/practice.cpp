// Stage practice: the menu (a text menu over the title picture), the start of a
// practice run and its two ends.
#include "game/practice/practice.h"

#include "framework/framework.h"
#include "game/extensions.h"
#include "game/game_state.h"
#include "game/player/boss.h"
#include "game/player/player.h"
#include "game/records/records.h"
#include "game/shell/assets.h"
#include "game/shell/menus.h"
#include "game/shell/music.h"
#include "game/shell/pad.h"

namespace {

enum { PRACTICE_LIVES = 3, TITLE_MENU_SCENE = 10, STAGE_START_SCENE = 28 };

const char* const STAGE_ITEMS[STAGE_COUNT] = {"stage1", "stage2", "stage3", "stage4", "stage5"};

struct Practice {
    bool running;
    int cursor;
    int button = -2;    // −2 until loaded once
};

Practice g_practice;

bool Pressed(int field) { return CheckStatePad(field) == 1; }

void ShowTitlePicture() {
    SetDrawBrightness(255, 255, 255);
    DrawImageAt(0, 0, g_assets.titleBack, 0);
}

// The offered stages, then the way back; ended by an empty entry for RunMenu.
int MenuItems(const char** items) {
    int reached = HighestStageReached();
    if (reached < 1) reached = 1;
    if (reached > STAGE_COUNT) reached = STAGE_COUNT;
    for (int i = 0; i < reached; i++) items[i] = STAGE_ITEMS[i];
    items[reached] = "タイトルへ戻る";
    items[reached + 1] = "";
    return reached;
}

void StepMenu() {
    ShowTitlePicture();
    const char* items[STAGE_COUNT + 2];
    const int stages = MenuItems(items);
    int& cursor = g_practice.cursor;
    if (cursor < 0 || cursor > stages) cursor = 0;
    RunMenu(items, "練習", &cursor);
    if (Pressed(PadConfig.pause)) {
        fucn_state = TITLE_MENU_SCENE;
        return;
    }
    if (!Pressed(PadConfig.shot)) return;
    if (cursor < stages) BeginPracticeRun(cursor);
    else fucn_state = TITLE_MENU_SCENE;
}

// Either end: the run ends (its replay is saved), then the title-time state
// comes back as scene 0 would set it, and the practice menu opens again with
// the cursor still on the stage just played.
void EndRun(RunEnd how) {
    if (how == RUN_GAME_OVER) ClearBossBullets();
    OnRunEnded(how);
    ResetToTitle();
    fade_brightness = 255;
    ShowTitlePicture();
    fucn_state = PRACTICE_MENU_SCENE;
}

} // namespace

int PracticeButtonImage(void) {
    if (g_practice.button == -2) g_practice.button = LoadImageFile("dat/img/title/practice.png", 0);
    return g_practice.button;
}

void OpenPracticeMenu(void) {
    g_practice.cursor = 0;
    fucn_state = PRACTICE_MENU_SCENE;
}

bool StepPracticeScene(void) {
    switch (fucn_state) {
    case PRACTICE_MENU_SCENE: StepMenu(); return true;
    case PRACTICE_CLEARED_SCENE: EndRun(RUN_CLEARED); return true;
    case PRACTICE_LOST_SCENE: EndRun(RUN_GAME_OVER); return true;
    default: return false;
    }
}

void BeginPracticeRun(int stage) {
    if (stage < 0 || stage >= STAGE_COUNT) stage = 0;
    g_practice.running = true;
    ResetNewGame();
    stage_number = stage;
    player.power = PLAYER_POWER_MAX;
    player.lives = PRACTICE_LIVES;
    CueStageMusic();
    OnNewGame();
    fucn_state = STAGE_START_SCENE;
}

bool PracticeRunning(void) { return g_practice.running; }

void EndPracticeRun(void) { g_practice.running = false; }

int PracticeStageClearScene(int designed) { return g_practice.running ? PRACTICE_CLEARED_SCENE : designed; }

int PracticeGameOverScene(int designed) { return g_practice.running ? PRACTICE_LOST_SCENE : designed; }
