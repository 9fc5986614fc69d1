// The settings screen (scene 1100), reached from the title's "設定" entry.
// One row per setting, as a table: up/down choose the row, left/right change
// its value (applied at once), Shot confirms a row with an action, and the
// pause button or Escape leaves, saving the file. Rebinding waits for the next
// key (or pad button) pressed; Escape cancels it.
#include <algorithm>
#include <string>

#include "framework/framework.h"
#include "game/game_state.h"
#include "game/settings/settings.h"
#include "game/shell/assets.h"

namespace {

enum Capture { CAPTURE_NONE, CAPTURE_KEY, CAPTURE_BUTTON };

struct Menu {
    int row;
    int capture;
    int captureAction;
    unsigned lastButtons;
    int buttonImage;
    bool imageLoaded;
    std::string note;          // one line under the rows: the last refusal or hint
};

Menu g_menu;

const char* const ACTION_LABELS[PAD_ACTIONS] = {"ショット", "スキップ", "フォーメーション", "ポーズ"};

bool Pressed(int slot) { return CheckStatePad(slot) == 1; }

// ---- Values shown and changed by each row ----

std::string VolumeText(int v) {
    std::string bar;
    for (int i = 0; i < VOLUME_STEPS; i++) bar += i < v ? "■" : "□";
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
    if (g_settings.fullscreen) return "フルスクリーン";
    return "ウインドウ ×" + std::to_string(g_settings.windowScale);
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
            g_menu.note = "フルスクリーンにできませんでした。ウインドウで続けます";
            ScreenPrintF("%s\n", g_menu.note.c_str());
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
    g_menu.note = kind == CAPTURE_KEY ? "新しいキーを押してください（Escで取り消し）"
                                      : "パッドの新しいボタンを押してください（Escで取り消し）";
}

void ResetToDefaults() {
    const Settings d;
    for (int a = 0; a < PAD_ACTIONS; a++) {
        g_settings.keys[a] = d.keys[a];
        g_settings.buttons[a] = d.buttons[a];
    }
    ResetBindings();
    g_settings.musicVolume = d.musicVolume;
    g_settings.effectVolume = d.effectVolume;
    g_settings.askAtStart = d.askAtStart;
    ApplyVolumes();
    g_menu.note = "初期設定に戻しました";
}

void Leave() {
    std::string error;
    if (!SaveSettings(&error)) ScreenPrintF("設定を保存できません: %s\n", error.c_str());
    g_menu.capture = CAPTURE_NONE;
    g_menu.note.clear();
    fucn_state = 10;
}

// ---- The rows ----

struct Row {
    const char* label;
    int action;                                  // for the binding rows
    std::string (*value)(int action);
    void (*change)(int action, int dir);         // left/right; null when none
    void (*confirm)(int action);                 // Shot; null when none
};

std::string MusicValue(int) { return VolumeText(g_settings.musicVolume); }
std::string EffectValue(int) { return VolumeText(g_settings.effectVolume); }
std::string ScreenValue(int) { return ScreenText(); }
std::string AskValue(int) { return g_settings.askAtStart ? "する" : "しない"; }
std::string KeyValue(int a) { return KeyName(ActionKey(a)); }
std::string ButtonValue(int a) { return "ボタン" + std::to_string(ActionButton(a)); }
std::string NoValue(int) { return ""; }

void ChangeMusic(int, int dir) { StepVolume(&g_settings.musicVolume, dir); }
void ChangeEffect(int, int dir) { StepVolume(&g_settings.effectVolume, dir); }
void ChangeScreen(int, int dir) { StepScreen(dir); }
void ChangeAsk(int, int) { g_settings.askAtStart = !g_settings.askAtStart; }
void ConfirmKey(int a) { StartCapture(CAPTURE_KEY, a); }
void ConfirmButton(int a) { StartCapture(CAPTURE_BUTTON, a); }
void ConfirmDefaults(int) { ResetToDefaults(); }
void ConfirmBack(int) { Leave(); }

const Row ROWS[] = {
    {"音楽の音量", 0, MusicValue, ChangeMusic, nullptr},
    {"効果音の音量", 0, EffectValue, ChangeEffect, nullptr},
    {"画面", 0, ScreenValue, ChangeScreen, nullptr},
    {"起動時に画面を確認", 0, AskValue, ChangeAsk, nullptr},
    {"キー：ショット", ACTION_SHOT, KeyValue, nullptr, ConfirmKey},
    {"キー：スキップ", ACTION_SKIP, KeyValue, nullptr, ConfirmKey},
    {"キー：フォーメーション", ACTION_FORMATION, KeyValue, nullptr, ConfirmKey},
    {"キー：ポーズ", ACTION_PAUSE, KeyValue, nullptr, ConfirmKey},
    {"パッド：ショット", ACTION_SHOT, ButtonValue, nullptr, ConfirmButton},
    {"パッド：スキップ", ACTION_SKIP, ButtonValue, nullptr, ConfirmButton},
    {"パッド：フォーメーション", ACTION_FORMATION, ButtonValue, nullptr, ConfirmButton},
    {"パッド：ポーズ", ACTION_PAUSE, ButtonValue, nullptr, ConfirmButton},
    {"初期設定に戻す", 0, NoValue, nullptr, ConfirmDefaults},
    {"もどる", 0, NoValue, nullptr, ConfirmBack},
};
const int ROW_COUNT = static_cast<int>(sizeof ROWS / sizeof ROWS[0]);

// The bindings live in pad.cpp; the record keeps a copy for the file.
void CopyBindings() {
    for (int a = 0; a < PAD_ACTIONS; a++) {
        g_settings.keys[a] = ActionKey(a);
        g_settings.buttons[a] = ActionButton(a);
    }
}

void StepCapture() {
    const int action = g_menu.captureAction;
    if (KeyHoldCount(KEY_ESCAPE) == 1) {
        g_menu.capture = CAPTURE_NONE;
        g_menu.note = "取り消しました";
        return;
    }
    if (g_menu.capture == CAPTURE_KEY) {
        for (int code = 1; code < KEY_CODES; code++) {
            if (KeyHoldCount(code) != 1) continue;
            if (!BindActionKey(action, code)) {
                g_menu.note = KeyName(code) + " は使えません（移動・F11・F12）";
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
    DrawImageAt(0, 0, g_assets.titleBack, 1);
    SetBlendMode(1, 160);
    DrawRect(0, 0, 640, 480, MakeColor(0, 0, 32), 1);
    SetBlendMode(0, 0);
    const int w = TextWidthFontFmt(g_assets.fontMenuTitle, "%s", "設定");
    DrawTextFontFmt(320 - w / 2, 40, white, g_assets.fontMenuTitle, "%s", "設定");
    for (int i = 0; i < ROW_COUNT; i++) {
        const int y = 84 + 22 * i;
        if (i == g_menu.row) {
            SetBlendMode(1, 110);
            DrawRect(90, y - 2, 550, y + 18, MakeColor(60, 120, 200), 1);
            SetBlendMode(0, 0);
        }
        DrawTextFontFmt(110, y, white, g_assets.fontMenu, "%s", ROWS[i].label);
        const bool waiting = g_menu.capture != CAPTURE_NONE && i == g_menu.row;
        const std::string value = waiting ? "…" : ROWS[i].value(ROWS[i].action);
        if (ROWS[i].change) DrawTextFontFmt(330, y, white, g_assets.fontMenu, "＜ %s ＞", value.c_str());
        else DrawTextFontFmt(330, y, white, g_assets.fontMenu, "%s", value.c_str());
    }
    if (!g_menu.note.empty()) {
        const int nw = TextWidthFontFmt(g_assets.fontMenu, "%s", g_menu.note.c_str());
        DrawTextFontFmt(320 - nw / 2, 84 + 22 * ROW_COUNT + 8, g_assets.yellow, g_assets.fontMenu, "%s",
                        g_menu.note.c_str());
    }
}

} // namespace

int SettingsButtonImage(void) {
    if (!g_menu.imageLoaded) {
        g_menu.imageLoaded = true;
        g_menu.buttonImage = LoadImageFile("dat/img/title/settings.png", 0);
    }
    return g_menu.buttonImage;
}

void OpenSettingsMenu(void) {
    g_menu.row = 0;
    g_menu.capture = CAPTURE_NONE;
    g_menu.note.clear();
    // The screen row shows what is on screen now, whatever the start-up chose.
    g_settings.fullscreen = GetWindowMode() == 0;
    CopyBindings();
    fucn_state = SETTINGS_SCENE;
}

int SettingsMenuRow(void) { return g_menu.row; }

void StepSettingsMenu(void) {
    const unsigned buttons = PadRawButtons();
    if (g_menu.capture != CAPTURE_NONE) {
        StepCapture();
    } else {
        const Row& r = ROWS[g_menu.row];
        if (Pressed(PadConfig.up)) {
            g_menu.row = g_menu.row > 0 ? g_menu.row - 1 : ROW_COUNT - 1;
            PlaySoundHandle(g_assets.se[SE_CURSOR], 1, 1);
        } else if (Pressed(PadConfig.down)) {
            g_menu.row = g_menu.row < ROW_COUNT - 1 ? g_menu.row + 1 : 0;
            PlaySoundHandle(g_assets.se[SE_CURSOR], 1, 1);
        } else if (r.change && Pressed(PadConfig.left)) {
            r.change(r.action, -1);
        } else if (r.change && Pressed(PadConfig.right)) {
            r.change(r.action, 1);
        } else if (r.confirm && (Pressed(PadConfig.shot) || KeyHoldCount(KEY_RETURN) == 1)) {
            r.confirm(r.action);
        } else if (Pressed(PadConfig.pause) || KeyHoldCount(KEY_ESCAPE) == 1) {
            Leave();
        }
    }
    g_menu.lastButtons = buttons;
    Draw();
}
