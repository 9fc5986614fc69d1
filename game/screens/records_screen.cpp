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
    int button = -2;    // −2 until loaded once
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
    if (e.cleared) DrawTextFontFmt(COL_STAGE, y, color, font, "クリア");
    else DrawTextFontFmt(COL_STAGE, y, color, font, "stage%d", e.stage);
    DrawTextFontFmt(COL_CONTINUES, y, color, font, "%d", e.continues);
    DrawTextFontFmt(COL_DATE, y, color, font, "%s", e.date);
    if (e.replay[0]) DrawTextFontFmt(COL_REPLAY, y, color, font, "●");
}

void DrawHeadings(int y) {
    const int font = g_assets.fontMenu, white = g_assets.white;
    DrawRightText(COL_RANK_RIGHT, y, white, "順位");
    DrawTextFontFmt(COL_SCORE, y, white, font, "スコア");
    DrawTextFontFmt(COL_STAGE, y, white, font, "到達");
    DrawTextFontFmt(COL_CONTINUES - 43, y, white, font, "コンティニュー");
    DrawTextFontFmt(COL_DATE, y, white, font, "日付");
    DrawTextFontFmt(COL_REPLAY - 16, y, white, font, "リプレイ");
}

// Replays are saved under replays/ beside Log.txt; the table keeps the name.
void PlayEntry(const ScoreEntry& e) {
    if (!e.replay[0]) return;
    std::string error;
    if (!WatchReplayFile(PlayerFilePath("replays", e.replay), REPLAY_WATCH, SCENE_RECORDS, &error))
        Notify("リプレイ %s を再生できませんでした: %s", e.replay, error.c_str());
}

void Leave() {
    SetDrawBrightness(255, 255, 255);
    fucn_state = SCENE_TITLE;
}

} // namespace

int RecordsButtonImage(void) {
    if (g_screen.button == -2) g_screen.button = LoadImageFile("dat/img/title/records.png", 0);
    return g_screen.button;
}

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

    DrawScreenBackdrop("記録");
    DrawCursorBar(ROW_LEFT, ROW_RIGHT, cursor < t.count ? ROW_TOP + ROW_STEP * cursor : BACK_Y);
    if (t.count == 0) DrawCentredText(ROW_TOP + ROW_STEP * 3, g_assets.white, "まだ記録がありません");
    else DrawHeadings(ROW_TOP - ROW_STEP);
    const int newest = NewestScoreEntry(t);
    for (int i = 0; i < t.count; i++) DrawEntry(t.entries[i], i + 1, ROW_TOP + ROW_STEP * i, i == newest);
    DrawCentredText(BACK_Y, g_assets.white, "タイトルへ戻る");
    if (cursor < t.count)
        DrawHint(t.entries[cursor].replay[0] ? ShotKeyName() + ": リプレイを再生   " + PauseKeyName() + ": 戻る"
                                             : std::string("この記録のリプレイはありません"));
    else
        DrawHint(ShotKeyName() + ": 決定   " + PauseKeyName() + ": 戻る");

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
    const int w = TextWidthFontFmt(font, "ハイスコア %09d", best);
    if (scene == SCENE_TITLE)
        DrawTextFontFmt(TITLE_BEST_RIGHT - w, TITLE_BEST_Y, g_assets.white, font, "ハイスコア %09d", best);
    else if (scene == SCENE_CONTINUE)
        DrawTextFontFmt(320 - w / 2, CONTINUE_BEST_Y, g_assets.white, font, "ハイスコア %09d", best);
}
