// The settings screen: its rows as a table of data, each with the functions
// that show and change its value.
#include "game/screens/settings_screen.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "framework/framework.h"
#include "game/common/assets.h"
#include "game/common/game_state.h"
#include "game/common/language.h"
#include "game/common/notice.h"
#include "game/common/pad.h"
#include "game/screens/screen_draw.h"
#include "game/settings/settings.h"
#include "game/text/texts.h"

namespace {

enum Capture { CAPTURE_NONE, CAPTURE_KEY, CAPTURE_BUTTON };

enum { ROW_TOP = 84, ROW_STEP = 22, ROW_LEFT = 90, ROW_RIGHT = 550, LABEL_X = 110, VALUE_X = 330 };

struct Menu {
    int row;
    int capture;
    int captureAction;
    unsigned lastButtons;
    LanguageButton button = {"dat/img/title/settings.png"};
    std::string note;          // one line under the rows: the last refusal or hint
};

Menu g_menu;

const int ACTION_LABELS[PAD_ACTIONS] = {TEXT_ACTION_SHOT, TEXT_ACTION_SKIP, TEXT_ACTION_FORMATION, TEXT_ACTION_PAUSE};

// ---- Values shown and changed by each row ----

std::string VolumeText(int v) {
    const bool english = GameLanguage() == LANGUAGE_EN;
    std::string bar;
    for (int i = 0; i < VOLUME_STEPS; i++) bar += i < v ? (english ? "=" : "■") : (english ? "-" : "□");
    return bar + " " + std::to_string(v);
}

void StepVolume(int* v, int dir) {
    const int n = *v + dir;
    if (n < 0 || n > VOLUME_STEPS) return;
    *v = n;
    ApplyVolumes();
}

// Screen choices in order: window ×1 up to the largest that fits (at most
// ×3), then full screen.
int ScreenLimit() {
    const int fit = WindowScaleLimit();
    return fit < WINDOW_SCALE_CHOICES ? fit : WINDOW_SCALE_CHOICES;
}

std::string ScreenText() {
    if (g_settings.fullscreen) return Text(TEXT_FULL_SCREEN);
    char text[40];
    std::snprintf(text, sizeof text, Text(TEXT_WINDOW_SCALE), g_settings.windowScale);
    return text;
}

void StepScreen(int dir) {
    const int limit = ScreenLimit();
    int choice = g_settings.fullscreen ? limit + 1 : std::min(g_settings.windowScale, limit);
    choice += dir;
    if (choice < 1 || choice > limit + 1) return;
    if (choice == limit + 1) {
        g_settings.fullscreen = true;
        if (ChangeWindowMode(0) != 0) {
            g_settings.fullscreen = false;
            g_menu.note = Text(TEXT_FULL_SCREEN_FAILED);
        }
        return;
    }
    g_settings.fullscreen = false;
    g_settings.windowScale = SetWindowScale(choice);
    ChangeWindowMode(1);
}

void StartCapture(int kind, int action) {
    g_menu.capture = kind;
    g_menu.captureAction = action;
    g_menu.note = Text(kind == CAPTURE_KEY ? TEXT_PRESS_NEW_KEY : TEXT_PRESS_NEW_BUTTON);
}

void ResetToDefaults() {
    const Settings d;
    g_settings.bindings = d.bindings;
    ResetBindings();
    g_settings.musicVolume = d.musicVolume;
    g_settings.effectVolume = d.effectVolume;
    g_settings.askAtStart = d.askAtStart;
    ApplyVolumes();
    g_menu.note = Text(TEXT_DEFAULTS_BACK);
}

void Leave() {
    std::string error;
    if (!SaveSettings(&error)) Notify(Text(TEXT_SETTINGS_NOT_SAVED), error.c_str());
    g_menu.capture = CAPTURE_NONE;
    g_menu.note.clear();
    fucn_state = SCENE_TITLE;
}

// ---- The rows ----

struct Row {
    int label;                                   // a TextId; for the binding rows, with the action's name in it
    int action;                                  // for the binding rows
    std::string (*value)(int action);
    void (*change)(int action, int dir);         // left/right; null when none
    void (*confirm)(int action);                 // Shot; null when none
};

std::string MusicValue(int) { return VolumeText(g_settings.musicVolume); }
std::string EffectValue(int) { return VolumeText(g_settings.effectVolume); }
std::string ScreenValue(int) { return ScreenText(); }
std::string AskValue(int) { return Text(g_settings.askAtStart ? TEXT_ASK : TEXT_DO_NOT_ASK); }
// Each language by its own name, whatever the screen's language.
std::string LanguageValue(int) { return GameLanguage() == LANGUAGE_EN ? "English" : "日本語"; }
std::string KeyValue(int a) { return KeyName(ActionKey(a)); }
std::string ButtonValue(int a) {
    char text[40];
    std::snprintf(text, sizeof text, Text(TEXT_BUTTON), ActionButton(a));
    return text;
}
std::string NoValue(int) { return ""; }

void ChangeMusic(int, int dir) { StepVolume(&g_settings.musicVolume, dir); }
void ChangeEffect(int, int dir) { StepVolume(&g_settings.effectVolume, dir); }
void ChangeScreen(int, int dir) { StepScreen(dir); }
void ChangeAsk(int, int) { g_settings.askAtStart = !g_settings.askAtStart; }
// The language changes at once: the pictures with words and the fonts come
// again in it, and the choice is kept in the file from now on.
void ChangeLanguage(int, int) {
    g_settings.language = GameLanguage() == LANGUAGE_EN ? LANGUAGE_JA : LANGUAGE_EN;
    SetGameLanguage(g_settings.language);
    ReloadLanguageAssets();
    g_menu.note.clear();
}
void ConfirmKey(int a) { StartCapture(CAPTURE_KEY, a); }
void ConfirmButton(int a) { StartCapture(CAPTURE_BUTTON, a); }
void ConfirmDefaults(int) { ResetToDefaults(); }
void ConfirmBack(int) { Leave(); }

const Row ROWS[] = {
    {TEXT_MUSIC_VOLUME, 0, MusicValue, ChangeMusic, nullptr},
    {TEXT_EFFECT_VOLUME, 0, EffectValue, ChangeEffect, nullptr},
    {TEXT_SCREEN, 0, ScreenValue, ChangeScreen, nullptr},
    {TEXT_ASK_AT_START, 0, AskValue, ChangeAsk, nullptr},
    {TEXT_LANGUAGE, 0, LanguageValue, ChangeLanguage, nullptr},
    {TEXT_KEY_ROW, ACTION_SHOT, KeyValue, nullptr, ConfirmKey},
    {TEXT_KEY_ROW, ACTION_SKIP, KeyValue, nullptr, ConfirmKey},
    {TEXT_KEY_ROW, ACTION_FORMATION, KeyValue, nullptr, ConfirmKey},
    {TEXT_KEY_ROW, ACTION_PAUSE, KeyValue, nullptr, ConfirmKey},
    {TEXT_PAD_ROW, ACTION_SHOT, ButtonValue, nullptr, ConfirmButton},
    {TEXT_PAD_ROW, ACTION_SKIP, ButtonValue, nullptr, ConfirmButton},
    {TEXT_PAD_ROW, ACTION_FORMATION, ButtonValue, nullptr, ConfirmButton},
    {TEXT_PAD_ROW, ACTION_PAUSE, ButtonValue, nullptr, ConfirmButton},
    {TEXT_RESET_DEFAULTS, 0, NoValue, nullptr, ConfirmDefaults},
    {TEXT_BACK, 0, NoValue, nullptr, ConfirmBack},
};
const int ROW_COUNT = static_cast<int>(sizeof ROWS / sizeof ROWS[0]);

// The bindings live in pad.cpp; the record keeps a copy for the file.
void CopyBindings() { g_settings.bindings = CurrentBindings(); }

void StepCapture() {
    const int action = g_menu.captureAction;
    if (KeyHoldCount(KEY_ESCAPE) == 1) {
        g_menu.capture = CAPTURE_NONE;
        g_menu.note = Text(TEXT_CANCELLED);
        return;
    }
    if (g_menu.capture == CAPTURE_KEY) {
        for (int code = 1; code < KEY_CODES; code++) {
            if (KeyHoldCount(code) != 1) continue;
            if (!BindActionKey(action, code)) {
                char note[120];
                std::snprintf(note, sizeof note, Text(TEXT_KEY_NOT_USABLE), KeyName(code).c_str());
                g_menu.note = note;
                return;
            }
            g_menu.capture = CAPTURE_NONE;
            g_menu.note.clear();
            CopyBindings();
            return;
        }
        return;
    }
    const unsigned fresh = PadRawButtons() & ~g_menu.lastButtons;
    for (int b = 1; b <= PAD_BUTTON_COUNT; b++) {
        if (!(fresh & (1u << (b - 1)))) continue;
        BindActionButton(action, b);
        g_menu.capture = CAPTURE_NONE;
        g_menu.note.clear();
        CopyBindings();
        return;
    }
}

void Draw() {
    const int white = g_assets.white;
    DrawScreenBackdrop(Text(TEXT_SETTINGS));
    for (int i = 0; i < ROW_COUNT; i++) {
        const int y = ROW_TOP + ROW_STEP * i;
        if (i == g_menu.row) DrawCursorBar(ROW_LEFT, ROW_RIGHT, y);
        const Row& r = ROWS[i];
        DrawTextFontFmt(LABEL_X, y, white, g_assets.fontMenu, Text(r.label), Text(ACTION_LABELS[r.action]));
        const bool waiting = g_menu.capture != CAPTURE_NONE && i == g_menu.row;
        const std::string value = waiting ? "..." : r.value(r.action);
        if (r.change)
            DrawTextFontFmt(VALUE_X, y, white, g_assets.fontMenu, GameLanguage() == LANGUAGE_EN ? "< %s >" : "＜ %s ＞",
                            value.c_str());
        else DrawTextFontFmt(VALUE_X, y, white, g_assets.fontMenu, "%s", value.c_str());
    }
    if (!g_menu.note.empty()) DrawCentredText(ROW_TOP + ROW_STEP * ROW_COUNT + 8, g_assets.yellow, g_menu.note.c_str());
    DrawHint(HintText(TEXT_SETTINGS_HINT));
}

} // namespace

int SettingsButtonImage(void) { return ButtonImage(&g_menu.button); }

void OpenSettingsMenu(void) {
    g_menu.row = 0;
    g_menu.capture = CAPTURE_NONE;
    g_menu.note.clear();
    // The screen row shows what is on screen now, whatever the start-up chose.
    g_settings.fullscreen = GetWindowMode() == 0;
    CopyBindings();
    fucn_state = SCENE_SETTINGS;
}

int SettingsMenuRow(void) { return g_menu.row; }

void StepSettingsMenu(void) {
    const unsigned buttons = PadRawButtons();
    if (g_menu.capture != CAPTURE_NONE) {
        StepCapture();
    } else {
        const Row& r = ROWS[g_menu.row];
        if (PadPressed(PadConfig.up)) {
            g_menu.row = g_menu.row > 0 ? g_menu.row - 1 : ROW_COUNT - 1;
            PlaySoundHandle(g_assets.se[SE_CURSOR], 1, 1);
        } else if (PadPressed(PadConfig.down)) {
            g_menu.row = g_menu.row < ROW_COUNT - 1 ? g_menu.row + 1 : 0;
            PlaySoundHandle(g_assets.se[SE_CURSOR], 1, 1);
        } else if (r.change && PadPressed(PadConfig.left)) {
            r.change(r.action, -1);
        } else if (r.change && PadPressed(PadConfig.right)) {
            r.change(r.action, 1);
        } else if (r.confirm && Confirmed()) {
            r.confirm(r.action);
        } else if (Cancelled()) {
            Leave();
        }
    }
    g_menu.lastButtons = buttons;
    Draw();
}
