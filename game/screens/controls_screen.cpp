// The controls screen: a table of rows, one per action, drawn over the title
// picture while the game stands still underneath.
#include "game/screens/controls_screen.h"

#include <cstdio>
#include <string>

#include "framework/framework.h"
#include "game/common/assets.h"
#include "game/common/game_state.h"
#include "game/common/pad.h"
#include "game/run/run.h"
#include "game/screens/screen_draw.h"
#include "game/settings/settings.h"
#include "game/text/texts.h"

namespace {

enum { ROW_TOP = 92, ROW_STEP = 40, LABEL_X = 40, KEYS_X = 220, USE_X = 220, HINT_RIGHT = 630 };

// One row: the action's name, then its keys (a bound action, or fixed keys),
// then what it does.
struct ControlRow {
    int label;
    int action;          // a PadAction, or −1 for the fixed keys below
    const char* keys;    // the fixed keys when action is −1 (a TextId when keysText is set)
    int keysText;        // a TextId of the fixed keys, or −1
    int use;
};

const ControlRow ROWS[] = {
    {TEXT_MOVE, -1, nullptr, TEXT_MOVE_KEYS, -1},
    {TEXT_ACTION_SHOT, ACTION_SHOT, nullptr, -1, TEXT_SHOT_USE},
    {TEXT_ACTION_SKIP, ACTION_SKIP, nullptr, -1, TEXT_SKIP_USE},
    {TEXT_ACTION_FORMATION, ACTION_FORMATION, nullptr, -1, TEXT_FORMATION_USE},
    {TEXT_ACTION_PAUSE, ACTION_PAUSE, nullptr, -1, TEXT_PAUSE_USE},
    {TEXT_SCREEN_SWITCH, -1, "F11 / Alt+Enter", -1, TEXT_SCREEN_SWITCH_USE},
    {TEXT_SCREENSHOT, -1, "F12", -1, TEXT_SCREENSHOT_USE},
    {TEXT_CONTROLS, -1, "F1", -1, TEXT_CONTROLS_USE},
};

bool g_open;
bool g_justOpened;      // the key that opened it is still down this frame

// Where F1 may open the screen: the title, the pause menus and the features'
// screens; not in play or in a story, which it would stop in mid-move.
bool MayOpenHere() {
    if (RunPlayingBack()) return false;
    switch (fucn_state) {
    case SCENE_TITLE: case SCENE_STORY_PAUSE: case SCENE_PLAY_PAUSE: case SCENE_CONTINUE:
    case SCENE_REPLAY_LIST: case SCENE_RECORDS: case SCENE_SETTINGS: case SCENE_PRACTICE_MENU:
        return true;
    default:
        return false;
    }
}

std::string KeysOf(const ControlRow& r) {
    if (r.keysText >= 0) return Text(r.keysText);
    if (r.action < 0) return r.keys;
    char button[40];
    std::snprintf(button, sizeof button, Text(TEXT_BUTTON), ActionButton(r.action));
    return KeyName(ActionKey(r.action)) + " / " + button;
}

void Draw() {
    DrawScreenBackdrop(Text(TEXT_CONTROLS));
    const int font = g_assets.fontMenu;
    for (int i = 0; i < static_cast<int>(sizeof ROWS / sizeof ROWS[0]); i++) {
        const ControlRow& r = ROWS[i];
        const int y = ROW_TOP + ROW_STEP * i;
        DrawTextFontFmt(LABEL_X, y, g_assets.yellow, font, "%s", Text(r.label));
        DrawTextFontFmt(KEYS_X, y, g_assets.white, font, "%s", KeysOf(r).c_str());
        if (r.use >= 0) DrawTextFontFmt(USE_X, y + 18, g_assets.white, font, "%s", Text(r.use));
    }
    char hint[80];
    std::snprintf(hint, sizeof hint, Text(TEXT_HINT_CLOSE), PauseKeyName().c_str());
    DrawHint(hint);
}

// Keys the screen reads while the game stands still: the keyboard only (the
// pad's slots belong to the game's frames).
bool Closing() {
    const int closers[] = {KEY_F1, KEY_ESCAPE, KEY_RETURN, ActionKey(ACTION_SHOT), ActionKey(ACTION_PAUSE)};
    for (int key : closers)
        if (KeyHoldCount(key) == 1) return true;
    return false;
}

} // namespace

void OpenControls(void) {
    g_open = true;
    g_justOpened = true;
}

bool ControlsOpen(void) { return g_open; }

bool StepControlsOverlay(void) {
    if (!g_open) return false;
    PollKeyboard();
    if (!g_justOpened && Closing()) {
        g_open = false;
        // The key that closed it stays down into the game's next frame: the
        // game must not take it as a fresh press.
        return false;
    }
    g_justOpened = false;
    Draw();
    return true;
}

void WatchControlsKey(void) {
    if (!g_open && KeyHoldCount(KEY_F1) == 1 && MayOpenHere()) OpenControls();
}

void DrawControlsHint(int scene) {
    const int font = g_assets.fontMenu;
    const char* text = Text(TEXT_CONTROLS_HINT);
    const int w = TextWidthFontFmt(font, "%s", text);
    if (scene == SCENE_TITLE) DrawTextFontFmt(HINT_RIGHT - w, 30, g_assets.white, font, "%s", text);
    else if (scene == SCENE_STORY_PAUSE || scene == SCENE_PLAY_PAUSE) DrawTextFontFmt(320 - w / 2, 300, g_assets.white, font, "%s", text);
}
