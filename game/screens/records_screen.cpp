// The records screen: one row per entry of the table, then the way back.
#include "game/screens/records_screen.h"

#include <cstdio>
#include <string>

#include "framework/framework.h"
#include "game/common/assets.h"
#include "game/common/game_state.h"
#include "game/common/notice.h"
#include "game/common/pad.h"
#include "game/files/player_files.h"
#include "game/records/records.h"
#include "game/replay/replay.h"
#include "game/run/run.h"
#include "game/screens/screen_draw.h"
#include "game/text/texts.h"

namespace {

// Screen layout: one row per entry, then the back row.
enum {
    ROW_TOP = 120, ROW_STEP = 24,
    COL_NEW = 40, COL_RANK_RIGHT = 100, COL_SCORE = 118, COL_STAGE = 212, COL_CONTINUES = 303,
    COL_DATE = 400, COL_REPLAY = 548, ROW_LEFT = 30, ROW_RIGHT = 610,
    BACK_Y = ROW_TOP + ROW_STEP * SCORE_TABLE_SIZE + 8,
    TITLE_BEST_RIGHT = 630, TITLE_BEST_Y = 8,  // the sky above the heroine, right of the logo
    CONTINUE_BEST_Y = 290,                     // under the continue menu's two info lines
};

struct RecordsScreen {
    int cursor;         // 0..count−1 an entry, count the back row
    LanguageButton button = {"dat/img/title/records.png"};
};

RecordsScreen g_screen;

void DrawEntry(const ScoreEntry& e, int rank, int y, bool newest) {
    const int font = g_assets.fontMenu;
    const int color = newest ? g_assets.yellow : g_assets.white;
    char text[64];
    if (newest) DrawTextFontFmt(COL_NEW, y, g_assets.yellow, font, "NEW");
    std::snprintf(text, sizeof text, "%d.", rank);
    DrawRightText(COL_RANK_RIGHT, y, color, text);
    DrawTextFontFmt(COL_SCORE, y, color, font, "%09d", e.score);
    if (e.cleared) DrawTextFontFmt(COL_STAGE, y, color, font, "%s", Text(TEXT_CLEARED));
    else DrawTextFontFmt(COL_STAGE, y, color, font, "stage%d", e.stage);
    DrawTextFontFmt(COL_CONTINUES, y, color, font, "%d", e.continues);
    DrawTextFontFmt(COL_DATE, y, color, font, "%s", e.date);
    if (e.replay[0]) DrawTextFontFmt(COL_REPLAY, y, color, font, "●");
}

void DrawHeadings(int y) {
    const int font = g_assets.fontMenu, white = g_assets.white;
    DrawRightText(COL_RANK_RIGHT, y, white, Text(TEXT_RANK));
    DrawTextFontFmt(COL_SCORE, y, white, font, "%s", Text(TEXT_SCORE));
    DrawTextFontFmt(COL_STAGE, y, white, font, "%s", Text(TEXT_REACHED));
    // Headings over a column of one character stand centred over it.
    const int continuesWidth = TextWidthFontFmt(font, "%s", Text(TEXT_CONTINUES));
    DrawTextFontFmt(COL_CONTINUES + 4 - continuesWidth / 2, y, white, font, "%s", Text(TEXT_CONTINUES));
    DrawTextFontFmt(COL_DATE, y, white, font, "%s", Text(TEXT_DATE));
    const int replayWidth = TextWidthFontFmt(font, "%s", Text(TEXT_REPLAY));
    DrawTextFontFmt(COL_REPLAY + 8 - replayWidth / 2, y, white, font, "%s", Text(TEXT_REPLAY));
}

// Replays are saved under replays/ beside Log.txt; the table keeps the name.
void PlayEntry(const ScoreEntry& e) {
    if (!e.replay[0]) return;
    std::string error;
    if (!WatchReplayFile(PlayerFilePath("replays", e.replay), REPLAY_WATCH, SCENE_RECORDS, &error))
        Notify(Text(TEXT_REPLAY_NOT_PLAYED), e.replay, error.c_str());
}

void Leave() {
    SetDrawBrightness(255, 255, 255);
    fucn_state = SCENE_TITLE;
}

} // namespace

int RecordsButtonImage(void) { return ButtonImage(&g_screen.button); }

void OpenRecordsScreen(void) {
    g_screen.cursor = 0;
    fucn_state = SCENE_RECORDS;
}

void StepRecordsScreen(void) {
    const ScoreTable& t = ScoresInPlay();
    const int rows = t.count + 1;
    int& cursor = g_screen.cursor;
    if (cursor < 0 || cursor >= rows) cursor = 0;
    if (PadPressed(PadConfig.up)) cursor = cursor > 0 ? cursor - 1 : rows - 1;
    if (PadPressed(PadConfig.down)) cursor = cursor < rows - 1 ? cursor + 1 : 0;

    DrawScreenBackdrop(Text(TEXT_RECORDS));
    DrawCursorBar(ROW_LEFT, ROW_RIGHT, cursor < t.count ? ROW_TOP + ROW_STEP * cursor : BACK_Y);
    if (t.count == 0) DrawCentredText(ROW_TOP + ROW_STEP * 3, g_assets.white, Text(TEXT_NO_RECORDS_YET));
    else DrawHeadings(ROW_TOP - ROW_STEP);
    const int newest = NewestScoreEntry(t);
    for (int i = 0; i < t.count; i++) DrawEntry(t.entries[i], i + 1, ROW_TOP + ROW_STEP * i, i == newest);
    DrawCentredText(BACK_Y, g_assets.white, Text(TEXT_BACK_TO_TITLE));
    if (cursor < t.count)
        DrawHint(t.entries[cursor].replay[0] ? HintText(TEXT_HINT_WATCH_REPLAY) : Text(TEXT_NO_REPLAY_OF_RUN));
    else
        DrawHint(HintText(TEXT_HINT_SELECT));

    if (Cancelled()) {
        Leave();
        return;
    }
    if (!Confirmed()) return;
    if (cursor < t.count) PlayEntry(t.entries[cursor]);
    else Leave();
}

void DrawBestScore(int scene) {
    const int best = BestScore();
    if (best < 0) return;
    const int font = g_assets.fontMenu;
    const int w = TextWidthFontFmt(font, Text(TEXT_HIGH_SCORE), best);
    if (scene == SCENE_TITLE)
        DrawTextFontFmt(TITLE_BEST_RIGHT - w, TITLE_BEST_Y, g_assets.white, font, Text(TEXT_HIGH_SCORE), best);
    else if (scene == SCENE_CONTINUE)
        DrawTextFontFmt(320 - w / 2, CONTINUE_BEST_Y, g_assets.white, font, Text(TEXT_HIGH_SCORE), best);
}
