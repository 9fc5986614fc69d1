// The features' screens' shared drawing and keys.
#include "game/screens/screen_draw.h"

#include "framework/framework.h"
#include <cstdio>

#include "game/common/assets.h"
#include "game/common/language.h"
#include "game/common/pad.h"
#include "game/settings/settings.h"
#include "game/text/texts.h"

namespace {

enum { REPEAT_DELAY = 24, REPEAT_EVERY = 4 };

int TextWidth(const char* text) { return TextWidthFontFmt(g_assets.fontMenu, "%s", text); }

} // namespace

void DrawScreenBackdrop(const char* title) {
    SetDrawBrightness(255, 255, 255);
    DrawImageAt(0, 0, g_assets.titleBack, 0);
    SetBlendMode(1, 160);
    DrawRect(0, 0, 640, 480, MakeColor(0, 0, 32), 1);
    SetBlendMode(0, 0);
    const int w = TextWidthFontFmt(g_assets.fontMenuTitle, "%s", title);
    DrawTextFontFmt(320 - w / 2, SCREEN_TITLE_Y, g_assets.white, g_assets.fontMenuTitle, "%s", title);
}

void DrawCursorBar(int left, int right, int y) {
    SetBlendMode(1, 120);
    DrawRect(left, y - 2, right, y + SCREEN_ROW_HEIGHT, MakeColor(60, 120, 200), 1);
    SetBlendMode(0, 0);
}

void DrawCentredText(int y, int color, const char* text) {
    DrawTextFontFmt(320 - TextWidth(text) / 2, y, color, g_assets.fontMenu, "%s", text);
}

void DrawRightText(int right, int y, int color, const char* text) {
    DrawTextFontFmt(right - TextWidth(text), y, color, g_assets.fontMenu, "%s", text);
}

void DrawHint(const std::string& text) { DrawCentredText(SCREEN_HINT_Y, g_assets.white, text.c_str()); }

bool Confirmed(void) { return PadPressed(PadConfig.shot) || KeyHoldCount(KEY_RETURN) == 1; }

bool Cancelled(void) { return PadPressed(PadConfig.pause) || KeyHoldCount(KEY_ESCAPE) == 1; }

bool Repeats(int slot) {
    const int c = CheckStatePad(slot);
    return c == 1 || (c > REPEAT_DELAY && c % REPEAT_EVERY == 0);
}

std::string ShotKeyName(void) { return KeyName(ActionKey(ACTION_SHOT)); }

std::string PauseKeyName(void) { return KeyName(ActionKey(ACTION_PAUSE)); }

std::string HintText(int textId) {
    char text[200];
    std::snprintf(text, sizeof text, Text(textId), ShotKeyName().c_str(), PauseKeyName().c_str());
    return text;
}

int ButtonImage(LanguageButton* b) {
    if (b->language == GameLanguage()) return b->handle;
    if (b->language >= 0) DeleteImage(b->handle);
    b->handle = LoadImageFile(PicturePath(b->path), 0);
    b->language = GameLanguage();
    return b->handle;
}
