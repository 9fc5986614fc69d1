// The replay list screen: one header read per file when the screen opens,
// then a plain cursor over the rows.
#include "game/replay/replay_list.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "framework/framework.h"
#include "game/files/player_files.h"
#include "game/game_state.h"
#include "game/replay/replay.h"
#include "game/shell/assets.h"
#include "game/shell/pad.h"

namespace {

enum { LIST_ENTER = REPLAY_LIST_SCENE, LIST_RUN = REPLAY_LIST_SCENE + 1, TITLE_SCENE = 9 };

struct ListScreen {
    std::vector<ReplayListEntry> entries;
    int cursor = 0;
    int top = 0;
    int button = -1;
    bool buttonLoaded = false;
};

ListScreen g_list;

std::string Folder() { return PlayerFilePath("", "replays"); }

bool Pressed(int slot) { return CheckStatePad(slot) == 1; }

// Pressed, or held long enough to repeat every fourth frame.
bool Repeats(int slot) {
    const int c = CheckStatePad(slot);
    return c == 1 || (c > 24 && c % 4 == 0);
}

void EnterList() {
    ResetToTitle();
    fade_brightness = 255;
    g_list.entries = ReadReplayList(Folder());
    if (g_list.cursor >= static_cast<int>(g_list.entries.size())) g_list.cursor = 0;
    fucn_state = LIST_RUN;
}

void PlayChosen() {
    const ReplayListEntry& e = g_list.entries[g_list.cursor];
    if (!e.readable) {
        ScreenPrintF("%s: %s\n", e.name.c_str(), e.problem.c_str());
        return;
    }
    std::string error;
    if (!StartReplayFile(PlayerFilePath("replays", e.name), REPLAY_WATCH, LIST_ENTER, &error))
        ScreenPrintF("%s: %s\n", e.name.c_str(), error.c_str());
}

void StepList() {
    SetDrawBrightness(255, 255, 255);
    DrawImageAt(0, 0, g_assets.titleBack, 0);
    SetBlendMode(1, 160);
    DrawRect(20, 20, 620, 460, MakeColor(0, 0, 32), 1);
    SetBlendMode(0, 0);
    DrawTextFontFmt(40, 32, g_assets.white, g_assets.fontMenuTitle, "リプレイ");

    const int n = static_cast<int>(g_list.entries.size());
    if (n == 0) {
        DrawTextFontFmt(40, 90, g_assets.white, g_assets.fontMenu, "リプレイはまだありません");
    } else {
        if (Repeats(PadConfig.up)) g_list.cursor = g_list.cursor > 0 ? g_list.cursor - 1 : n - 1;
        if (Repeats(PadConfig.down)) g_list.cursor = g_list.cursor < n - 1 ? g_list.cursor + 1 : 0;
        if (g_list.cursor < g_list.top) g_list.top = g_list.cursor;
        if (g_list.cursor >= g_list.top + REPLAY_LIST_SHOWN) g_list.top = g_list.cursor - REPLAY_LIST_SHOWN + 1;
        for (int row = 0; row < REPLAY_LIST_SHOWN && g_list.top + row < n; row++) {
            const int i = g_list.top + row;
            const int y = 80 + row * 28;
            if (i == g_list.cursor) {
                SetBlendMode(1, 120);
                DrawRect(34, y - 3, 606, y + 21, MakeColor(64, 0, 96), 1);
                SetBlendMode(0, 0);
            }
            const ReplayListEntry& e = g_list.entries[i];
            DrawTextFmt(44, y, e.readable ? g_assets.white : g_assets.red, "%s", DescribeReplayEntry(e).c_str());
        }
        DrawTextFmt(44, 428, g_assets.white, "%d / %d   Z: 再生   Esc: 戻る", g_list.cursor + 1, n);
        if (Pressed(PadConfig.shot)) {
            PlayChosen();
            return;
        }
    }
    if (Pressed(PadConfig.pause)) {
        fade_brightness = 255;
        fucn_state = TITLE_SCENE;
    }
}

} // namespace

int ReplayTitleImage(void) {
    if (!g_list.buttonLoaded) {
        g_list.button = LoadImageFile("dat/img/title/replay.png", 0);
        g_list.buttonLoaded = true;
    }
    return g_list.button;
}

void OpenReplayList(void) { fucn_state = LIST_ENTER; }

bool StepReplayScene(void) {
    switch (fucn_state) {
    case LIST_ENTER: EnterList(); return true;
    case LIST_RUN: StepList(); return true;
    default: return false;
    }
}

std::vector<ReplayListEntry> ReadReplayList(const std::string& folder) {
    std::vector<std::string> names = ListFolder(folder, ".vrp");
    std::sort(names.rbegin(), names.rend());   // the names carry their date and time: newest first
    std::vector<ReplayListEntry> list;
    list.reserve(names.size());
    std::vector<unsigned char> bytes;
    for (const std::string& name : names) {
        ReplayListEntry e;
        e.name = name;
        std::string error;
        e.readable = ReadWholeFile(folder + "/" + name, REPLAY_MAX_FILE, &bytes, &error) &&
                     DecodeReplay(bytes.data(), bytes.size(), &e.header, &error, true) && e.header.frames > 0;
        if (!e.readable) e.problem = error.empty() ? "the replay has no frames" : error;
        list.push_back(std::move(e));
    }
    return list;
}

std::string DescribeReplayEntry(const ReplayListEntry& e) {
    char line[200];
    if (!e.readable) {
        std::snprintf(line, sizeof line, "%s  (壊れています: %s)", e.name.c_str(), e.problem.c_str());
        return line;
    }
    const std::time_t t = static_cast<std::time_t>(e.header.date);
    std::tm local{};
    ::localtime_r(&t, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M", &local);
    const unsigned seconds = e.header.frames / 60;
    std::snprintf(line, sizeof line, "%s  score %9d  stage %d  %u:%02u", date, e.header.finalScore,
                  e.header.stageReached + 1, seconds / 60, seconds % 60);
    return line;
}
