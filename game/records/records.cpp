// The score table in play. The table lives in memory once read; each finished
// run updates it and writes the whole file again (atomically), so a failed
// write costs a console line and the table still shows the run until the game
// ends. A damaged file is moved aside to scores.txt.bad and a new table starts.
#include "game/records/records.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "framework/framework.h"
#include "game/extensions.h"
#include "game/files/player_files.h"
#include "game/game_state.h"
#include "game/player/player.h"
#include "game/records/score_table.h"
#include "game/shell/assets.h"
#include "game/shell/pad.h"

namespace {

const char SCORES_FILE[] = "scores.txt";

// Screen layout of the records screen: one row per entry, then the back row.
enum {
    ROW_TOP = 120, ROW_STEP = 24, ROW_HEIGHT = 18,
    COL_NEW = 40, COL_RANK_RIGHT = 100, COL_SCORE = 118, COL_STAGE = 212, COL_CONTINUES = 303,
    COL_DATE = 400, COL_REPLAY = 548, ROW_LEFT = 30, ROW_RIGHT = 610,
    BACK_Y = ROW_TOP + ROW_STEP * SCORE_TABLE_SIZE + 8, HINT_Y = BACK_Y + 40,
    TITLE_BEST_RIGHT = 630, TITLE_BEST_Y = 8,  // the sky above the heroine, right of the logo
    CONTINUE_BEST_Y = 290,                     // under the continue menu's two info lines
};

struct Records {
    bool loaded;
    bool writable;      // false when scores.txt exists but could not be read
    ScoreTable table;
    int cursor;         // 0..count−1 an entry, count the back row
    int button = -2;    // −2 until loaded once
};

Records g_records;

std::string ScoresPath() { return PlayerFilePath("", SCORES_FILE); }

// A file that is there but cannot be read is left alone and never written
// over; a file that reads but does not parse is moved aside.
void Load() {
    if (g_records.loaded) return;
    g_records.loaded = true;
    g_records.writable = true;
    g_records.table = EmptyScoreTable();
    const std::string path = ScoresPath();
    struct stat st;
    const bool there = ::stat(path.c_str(), &st) == 0;
    if (!there && errno == ENOENT) return;   // no run has ended yet
    std::vector<unsigned char> bytes;
    std::string error;
    const bool tooLarge = there && S_ISREG(st.st_mode) && st.st_size > SCORE_FILE_MAX;
    if (!tooLarge && !ReadWholeFile(path, SCORE_FILE_MAX, &bytes, &error)) {
        g_records.writable = false;
        ScreenPrintF("%s を読めないため、記録は保存されません: %s\n", SCORES_FILE, error.c_str());
        return;
    }
    std::string why = "too large";
    if (!tooLarge && ParseScoreTable(bytes.data(), bytes.size(), &g_records.table, &why)) return;
    if (MoveAside(path, &error))
        ScreenPrintF("%s が壊れていたので %s.bad に移し、新しい記録を始めます (%s)\n", SCORES_FILE, SCORES_FILE,
                     why.c_str());
    else
        ScreenPrintF("%s が壊れていて、移すこともできません: %s\n", SCORES_FILE, error.c_str());
}

void Save() {
    if (!g_records.writable) return;
    const std::string text = FormatScoreTable(g_records.table);
    std::string error;
    if (!WriteFileAtomic(ScoresPath(), text.data(), text.size(), &error))
        ScreenPrintF("%s を保存できませんでした: %s\n", SCORES_FILE, error.c_str());
}

void Now(char* out, std::size_t size) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!::localtime_r(&now, &local) || std::strftime(out, size, "%Y-%m-%d %H:%M", &local) == 0) out[0] = 0;
}

bool Pressed(int field) { return CheckStatePad(field) == 1; }

void DrawRight(int font, int right, int y, int color, const char* text) {
    DrawTextFontFmt(right - TextWidthFontFmt(font, "%s", text), y, color, font, "%s", text);
}

void DrawCentred(int font, int y, int color, const char* text) {
    DrawTextFontFmt(320 - TextWidthFontFmt(font, "%s", text) / 2, y, color, font, "%s", text);
}

// The text menus' look: the red veil over the title picture, a title line.
void DrawScreenFrame(const char* title) {
    SetDrawBrightness(255, 255, 255);
    DrawImageAt(0, 0, g_assets.titleBack, 0);
    SetBlendMode(1, 80);
    DrawRect(0, 0, 640, 480, g_assets.red, 1);
    SetBlendMode(0, 0);
    DrawCentred(g_assets.fontMenuTitle, 60, g_assets.white, title);
}

void DrawBar(int y) {
    SetBlendMode(1, 100);
    DrawRect(ROW_LEFT, y, ROW_RIGHT, y + ROW_HEIGHT, MakeColor(32, 0, 48), 1);
    SetBlendMode(0, 0);
}

void DrawEntry(const ScoreEntry& e, int rank, int y, bool newest) {
    const int font = g_assets.fontMenu;
    const int color = newest ? g_assets.yellow : g_assets.white;
    char text[64];
    if (newest) DrawTextFontFmt(COL_NEW, y, g_assets.yellow, font, "NEW");
    std::snprintf(text, sizeof text, "%d.", rank);
    DrawRight(font, COL_RANK_RIGHT, y, color, text);
    DrawTextFontFmt(COL_SCORE, y, color, font, "%09d", e.score);
    if (e.cleared) DrawTextFontFmt(COL_STAGE, y, color, font, "クリア");
    else DrawTextFontFmt(COL_STAGE, y, color, font, "stage%d", e.stage);
    DrawTextFontFmt(COL_CONTINUES, y, color, font, "%d", e.continues);
    DrawTextFontFmt(COL_DATE, y, color, font, "%s", e.date);
    if (e.replay[0]) DrawTextFontFmt(COL_REPLAY, y, color, font, "●");
}

void PlayEntry(const ScoreEntry& e) {
    if (!e.replay[0]) return;
    const std::string path = PlayerFilePath("", e.replay);
    if (!PlayReplayFile(path.c_str())) ScreenPrintF("リプレイ %s を再生できませんでした\n", e.replay);
}

void LeaveRecords() {
    SetDrawBrightness(255, 255, 255);
    fucn_state = 10;
}

void StepRecordsScreen() {
    Load();
    const ScoreTable& t = g_records.table;
    const int rows = t.count + 1;
    int& cursor = g_records.cursor;
    if (cursor < 0 || cursor >= rows) cursor = 0;
    if (Pressed(PadConfig.up)) cursor = cursor > 0 ? cursor - 1 : rows - 1;
    if (Pressed(PadConfig.down)) cursor = cursor < rows - 1 ? cursor + 1 : 0;

    DrawScreenFrame("記録");
    const int font = g_assets.fontMenu;
    DrawBar(cursor < t.count ? ROW_TOP + ROW_STEP * cursor : BACK_Y);
    if (t.count == 0) {
        DrawCentred(font, ROW_TOP + ROW_STEP * 3, g_assets.white, "まだ記録がありません");
    } else {
        const int y = ROW_TOP - ROW_STEP;
        DrawRight(font, COL_RANK_RIGHT, y, g_assets.white, "順位");
        DrawTextFontFmt(COL_SCORE, y, g_assets.white, font, "スコア");
        DrawTextFontFmt(COL_STAGE, y, g_assets.white, font, "到達");
        DrawTextFontFmt(COL_CONTINUES - 43, y, g_assets.white, font, "コンティニュー");
        DrawTextFontFmt(COL_DATE, y, g_assets.white, font, "日付");
        DrawTextFontFmt(COL_REPLAY - 16, y, g_assets.white, font, "リプレイ");
    }
    const int newest = NewestScoreEntry(t);
    for (int i = 0; i < t.count; i++) DrawEntry(t.entries[i], i + 1, ROW_TOP + ROW_STEP * i, i == newest);
    DrawCentred(font, BACK_Y, g_assets.white, "タイトルへ戻る");
    if (cursor < t.count)
        DrawCentred(font, HINT_Y, g_assets.white,
                    t.entries[cursor].replay[0] ? "Z: リプレイを再生" : "この記録のリプレイはありません");

    if (Pressed(PadConfig.pause)) {
        LeaveRecords();
        return;
    }
    if (!Pressed(PadConfig.shot)) return;
    if (cursor < t.count) PlayEntry(t.entries[cursor]);
    else LeaveRecords();
}

} // namespace

void RecordFinishedRun(bool cleared, const char* replay) {
    Load();
    ScoreEntry e{};
    e.score = player.score;
    e.stage = stage_number + 1;
    e.cleared = cleared;
    e.continues = player.continues;
    Now(e.date, sizeof e.date);
    std::snprintf(e.replay, sizeof e.replay, "%s", replay ? replay : "");
    EnterScore(&g_records.table, e);
    Save();
}

int BestScore(void) {
    Load();
    return g_records.table.count > 0 ? g_records.table.entries[0].score : -1;
}

int HighestStageReached(void) {
    Load();
    return g_records.table.reached;
}

void DrawBestScore(int scene) {
    const int best = BestScore();
    if (best < 0) return;
    const int font = g_assets.fontMenu;
    if (scene == 10) {
        const int w = TextWidthFontFmt(font, "ハイスコア %09d", best);
        DrawTextFontFmt(TITLE_BEST_RIGHT - w, TITLE_BEST_Y, g_assets.white, font, "ハイスコア %09d", best);
    } else if (scene == 302) {
        const int w = TextWidthFontFmt(font, "ハイスコア %09d", best);
        DrawTextFontFmt(320 - w / 2, CONTINUE_BEST_Y, g_assets.white, font, "ハイスコア %09d", best);
    }
}

int RecordsButtonImage(void) {
    if (g_records.button == -2) g_records.button = LoadImageFile("dat/img/title/records.png", 0);
    return g_records.button;
}

void OpenRecordsScreen(void) {
    Load();
    g_records.cursor = 0;
    fucn_state = RECORDS_SCENE;
}

bool StepRecordsScene(void) {
    if (fucn_state != RECORDS_SCENE) return false;
    StepRecordsScreen();
    return true;
}

void ForgetRecords(void) {
    g_records.loaded = false;
    g_records.table = EmptyScoreTable();
}
