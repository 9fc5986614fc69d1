// The replay list screen: the folder is read when the screen opens, then a
// plain cursor over the rows.
#include "game/screens/replays_screen.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/framework.h"
#include "game/common/assets.h"
#include "game/common/game_state.h"
#include "game/common/notice.h"
#include "game/common/pad.h"
#include "game/files/player_files.h"
#include "game/replay/replay.h"
#include "game/replay/replay_list.h"
#include "game/run/run.h"
#include "game/screens/screen_draw.h"
#include "game/shell/scenes.h"
#include "game/text/texts.h"

namespace {

enum { ROW_TOP = 80, ROW_STEP = 26 };

struct ListScreen {
    std::vector<ReplayListEntry> entries;
    int cursor = 0;
    int top = 0;
    LanguageButton button = {"dat/img/title/replay.png"};
};

ListScreen g_list;

const char REPLAYS_FOLDER[] = "replays";

void EnterList() {
    ResetToTitle();
    fade_brightness = 255;
    g_list.entries = ReadReplayList(REPLAYS_FOLDER);
    if (g_list.cursor >= static_cast<int>(g_list.entries.size())) g_list.cursor = 0;
    fucn_state = SCENE_REPLAY_LIST;
}

void PlayChosen() {
    const ReplayListEntry& e = g_list.entries[g_list.cursor];
    if (!e.readable) {
        Notify("%s: %s", e.name.c_str(), e.problem.c_str());
        return;
    }
    std::string error;
    if (!WatchReplayFile(PlayerFilePath(REPLAYS_FOLDER, e.name), REPLAY_WATCH, SCENE_REPLAY_LIST_OPEN, &error))
        Notify(Text(TEXT_REPLAY_NOT_PLAYED), e.name.c_str(), error.c_str());
}

void StepList() {
    DrawScreenBackdrop(Text(TEXT_REPLAYS));
    const int n = static_cast<int>(g_list.entries.size());
    if (n == 0) {
        DrawCentredText(ROW_TOP + ROW_STEP * 3, g_assets.white, Text(TEXT_NO_REPLAYS_YET));
        char hint[80];
        std::snprintf(hint, sizeof hint, Text(TEXT_HINT_BACK), PauseKeyName().c_str());
        DrawHint(hint);
    } else {
        if (Repeats(PadConfig.up)) g_list.cursor = g_list.cursor > 0 ? g_list.cursor - 1 : n - 1;
        if (Repeats(PadConfig.down)) g_list.cursor = g_list.cursor < n - 1 ? g_list.cursor + 1 : 0;
        if (Repeats(PadConfig.left)) g_list.cursor = std::max(0, g_list.cursor - REPLAY_LIST_SHOWN);
        if (Repeats(PadConfig.right)) g_list.cursor = std::min(n - 1, g_list.cursor + REPLAY_LIST_SHOWN);
        if (g_list.cursor < g_list.top) g_list.top = g_list.cursor;
        if (g_list.cursor >= g_list.top + REPLAY_LIST_SHOWN) g_list.top = g_list.cursor - REPLAY_LIST_SHOWN + 1;
        for (int row = 0; row < REPLAY_LIST_SHOWN && g_list.top + row < n; row++) {
            const int i = g_list.top + row;
            const int y = ROW_TOP + row * ROW_STEP;
            if (i == g_list.cursor) DrawCursorBar(SCREEN_LEFT - 6, SCREEN_RIGHT + 6, y);
            const ReplayListEntry& e = g_list.entries[i];
            DrawTextFontFmt(SCREEN_LEFT, y, e.readable ? g_assets.white : g_assets.red, g_assets.fontMenu, "%s",
                            DescribeReplayEntry(e).c_str());
            if (e.readable && e.header.start == REPLAY_START_PRACTICE)
                DrawRightText(SCREEN_RIGHT, y, g_assets.yellow, Text(TEXT_PRACTICE_MARK));
        }
        // Arrows at the list's ends say that more rows lie beyond them.
        if (g_list.top > 0) DrawCentredText(ROW_TOP - ROW_STEP + 6, g_assets.white, "^");
        if (g_list.top + REPLAY_LIST_SHOWN < n)
            DrawCentredText(ROW_TOP + ROW_STEP * static_cast<int>(REPLAY_LIST_SHOWN), g_assets.white, "v");
        char hint[120];
        std::snprintf(hint, sizeof hint, Text(TEXT_HINT_WATCH), g_list.cursor + 1, n, ShotKeyName().c_str(),
                      PauseKeyName().c_str());
        DrawHint(hint);
        if (Confirmed()) {
            PlayChosen();
            return;
        }
    }
    if (Cancelled()) {
        fade_brightness = 255;
        fucn_state = SCENE_TITLE_FADE;
    }
}

} // namespace

int ReplayTitleImage(void) { return ButtonImage(&g_list.button); }

void OpenReplayList(void) { fucn_state = SCENE_REPLAY_LIST_OPEN; }

bool StepReplaysScreen(void) {
    switch (fucn_state) {
    case SCENE_REPLAY_LIST_OPEN: EnterList(); return true;
    case SCENE_REPLAY_LIST: StepList(); return true;
    default: return false;
    }
}
