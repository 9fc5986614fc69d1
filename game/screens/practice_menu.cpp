// The practice menu: a text menu in the designed menus' look over the title picture.
#include "game/screens/practice_menu.h"

#include <cstdio>

#include "framework/framework.h"
#include "game/common/assets.h"
#include "game/common/game_state.h"
#include "game/common/pad.h"
#include "game/records/records.h"
#include "game/run/run.h"
#include "game/screens/screen_draw.h"
#include "game/shell/menus.h"
#include "game/text/texts.h"

namespace {

struct Practice {
    int cursor;
    LanguageButton button = {"dat/img/title/practice.png"};
};

Practice g_practice;

// The offered stages ("stage1", … as the stage card names them), then the way
// back; ended by an empty entry for RunMenu.
int MenuItems(const char** items) {
    static char names[STAGE_COUNT][16];
    int reached = HighestStageReached();
    if (reached < 1) reached = 1;
    if (reached > STAGE_COUNT) reached = STAGE_COUNT;
    for (int i = 0; i < reached; i++) {
        std::snprintf(names[i], sizeof names[i], "stage%d", i + 1);
        items[i] = names[i];
    }
    items[reached] = Text(TEXT_BACK_TO_TITLE);
    items[reached + 1] = "";
    return reached;
}

} // namespace

int PracticeButtonImage(void) { return ButtonImage(&g_practice.button); }

void OpenPracticeMenu(void) {
    g_practice.cursor = 0;
    fucn_state = SCENE_PRACTICE_MENU;
}

void StepPracticeMenu(void) {
    SetDrawBrightness(255, 255, 255);
    DrawImageAt(0, 0, g_assets.titleBack, 0);
    const char* items[STAGE_COUNT + 2];
    const int stages = MenuItems(items);
    int& cursor = g_practice.cursor;
    if (cursor < 0 || cursor > stages) cursor = 0;
    RunMenu(items, Text(TEXT_PRACTICE), &cursor);
    DrawHint(HintText(TEXT_HINT_SELECT));
    if (Confirmed()) {
        if (cursor < stages) BeginPracticeRun(cursor);
        else fucn_state = SCENE_TITLE;
    } else if (Cancelled()) {
        fucn_state = SCENE_TITLE;
    }
}
