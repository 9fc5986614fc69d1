// The on-screen console filled by ScreenPrintF: 80 lines of 254 bytes, of which
// screen height / 16 are shown, drawn over the picture by every FlipScreen once used.
#pragma once

enum { CONSOLE_LINES = 80, CONSOLE_LINE_BYTES = 255, CONSOLE_FONT_SIZE = 16, CONSOLE_TAB = 4 };

void ConsoleWrite(const char* text);   // the character rules of ScreenPrintF
void ConsoleReset(void);               // empty console, not in use
int ConsoleInUse(void);
int ConsoleVisibleLines(void);
const char* ConsoleLine(int i);        // line i, 0..CONSOLE_LINES−1
int ConsoleCurrentLine(void);
// Draws the shown lines over the back buffer (from FlipScreen). Defined by the
// graphics module, graphics/console_draw.cpp.
void ConsoleDraw(void);

// What the console takes from the text module (graphics/text.cpp), named
// here so that core includes nothing of the floors above it: the width of
// one character (1 or 2 Shift-JIS bytes) in the console font.
int FontConsoleCharWidth(const char* ch, int len);
