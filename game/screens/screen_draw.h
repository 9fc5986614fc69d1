// The look and the keys of the features' screens (practice, replays, records,
// settings), one set for all: the title picture under a dark veil, the
// screen's title, rows with a cursor bar behind the chosen one, and a hint
// line at the foot that names the keys actually bound.
#pragma once

#include <string>

enum {
    SCREEN_TITLE_Y = 40,
    SCREEN_HINT_Y = 452,
    SCREEN_ROW_HEIGHT = 18,       // a row of the menu font
    SCREEN_LEFT = 40, SCREEN_RIGHT = 600,
};

void DrawScreenBackdrop(const char* title);
void DrawCursorBar(int left, int right, int y);   // behind a row whose text starts at y
void DrawCentredText(int y, int color, const char* text);
void DrawRightText(int right, int y, int color, const char* text);
void DrawHint(const std::string& text);           // centred at the foot

// Keys: Shot or Enter confirms, the pause key or Escape goes back, and an
// arrow held repeats after a short delay.
bool Confirmed(void);
bool Cancelled(void);
bool Repeats(int slot);
// "Z", "Escape", … : the key bound to the shot and pause actions now.
std::string ShotKeyName(void);
std::string PauseKeyName(void);
// A hint line's text: a Text whose two fields are the shot key's and the
// pause key's names.
std::string HintText(int textId);

// A title button that carries words: loaded on first use in the game's
// language, and again once the language has changed.
struct LanguageButton {
    const char* path;    // the designed (Japanese) picture
    int handle = -1;
    int language = -1;   // the language it was loaded in; −1 before the first load
};
int ButtonImage(LanguageButton* button);
