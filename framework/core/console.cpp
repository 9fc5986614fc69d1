// The on-screen console's text. ScreenPrintF writes character by character:
// control bytes 7, 8, 11, 12, 13 and '?' are dropped, a tab is four spaces, a
// line feed ends the line, and a line also ends before a character that would
// fill its 255 bytes or reach the screen's width in the console font. Text is
// in the program's encoding (Shift-JIS, or UTF-8 when chosen). The lines are
// drawn by the graphics module (graphics/console_draw.cpp).
#include "framework/core/console.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "framework/core/api_lock.h"
#include "framework/core/state.h"
#include "framework/core/text_encoding.h"
#include "framework/framework.h"

namespace {

struct Console {
    char lines[CONSOLE_LINES][CONSOLE_LINE_BYTES];
    int current;
    int bytes;
    int pixelWidth;
    int inUse;
};

Console g_console;

void EndLine() {
    if (g_console.current + 1 < ConsoleVisibleLines()) {
        g_console.current++;
    } else {
        std::memmove(g_console.lines[0], g_console.lines[1],
                     sizeof g_console.lines[0] * (CONSOLE_LINES - 1));
    }
    std::memset(g_console.lines[g_console.current], 0, CONSOLE_LINE_BYTES);
    g_console.bytes = 0;
    g_console.pixelWidth = 0;
}

void PutChar(const char* ch, int len) {
    if (g_console.bytes + len >= CONSOLE_LINE_BYTES) {
        EndLine();
    } else {
        int w = FontConsoleCharWidth(ch, len);
        if (g_console.pixelWidth + w >= CoreScreenWidth()) EndLine();
    }
    char* line = g_console.lines[g_console.current];
    std::memcpy(line + g_console.bytes, ch, len);
    g_console.bytes += len;
    line[g_console.bytes] = 0;
    g_console.pixelWidth += FontConsoleCharWidth(ch, len);
}

} // namespace

int ConsoleVisibleLines(void) { return std::min(CoreScreenHeight() / CONSOLE_FONT_SIZE, (int)CONSOLE_LINES); }
int ConsoleInUse(void) { return g_console.inUse; }
int ConsoleCurrentLine(void) { return g_console.current; }
const char* ConsoleLine(int i) { return (i >= 0 && i < CONSOLE_LINES) ? g_console.lines[i] : ""; }
void ConsoleReset(void) { std::memset(&g_console, 0, sizeof g_console); }

void ConsoleWrite(const char* text) {
    g_console.inUse = 1;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    for (size_t i = 0; p[i]; i++) {
        unsigned char c = p[i];
        switch (c) {
        case 7: case 8: case 11: case 12: case 13: case '?':
            continue;
        case '\t':
            for (int k = 0; k < CONSOLE_TAB; k++) PutChar(" ", 1);
            continue;
        case '\n':
            EndLine();
            continue;
        default:
            break;
        }
        // A Shift-JIS character's two bytes (or a UTF-8 character's bytes) stay together.
        const int len = TextCharLength(p + i);
        PutChar(reinterpret_cast<const char*>(p + i), len);
        i += len - 1;
    }
}

int ScreenPrintF(const char* format, ...) {
    char buffer[1024];
    va_list ap;
    va_start(ap, format);
    vsnprintf(buffer, sizeof buffer, format, ap);
    va_end(ap);
    ApiGuard guard;
    ConsoleWrite(buffer);
    return 0;
}
