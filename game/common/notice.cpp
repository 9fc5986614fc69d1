// The notice lines: a small ring of texts with the clock time each went up.
#include "game/common/notice.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "framework/framework.h"

namespace {

enum { TEXT_BYTES = 200, LEFT = 4, TOP = 4, STEP = 18 };

struct Notice {
    char text[TEXT_BYTES];
    int shownAt;       // GetTickMs when it went up
};

struct Notices {
    Notice line[NOTICE_LINES];
    int count;
};

Notices g_notices;

void DropOldest() {
    std::memmove(&g_notices.line[0], &g_notices.line[1], sizeof(Notice) * (NOTICE_LINES - 1));
    g_notices.count--;
}

} // namespace

void Notify(const char* format, ...) {
    if (g_notices.count == NOTICE_LINES) DropOldest();
    Notice& n = g_notices.line[g_notices.count++];
    va_list args;
    va_start(args, format);
    std::vsnprintf(n.text, sizeof n.text, format, args);
    va_end(args);
    // One line: line ends become spaces, and a double-byte character the
    // buffer cut in half is dropped.
    for (std::size_t i = 0; n.text[i]; i++) {
        const unsigned char c = static_cast<unsigned char>(n.text[i]);
        if (c == '\n' || c == '\r') n.text[i] = ' ';
        const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        if (!lead) continue;
        if (n.text[i + 1] == 0) n.text[i] = 0;
        else i++;
    }
    n.shownAt = GetTickMs();
    LogPrintF("%s", n.text);   // kept in Log.txt after it has gone from the screen
}

void DrawNotices(void) {
    const int now = GetTickMs();
    while (g_notices.count > 0 && static_cast<unsigned>(now - g_notices.line[0].shownAt) >= NOTICE_MS) DropOldest();
    if (g_notices.count == 0) return;
    const int white = MakeColor(255, 255, 255), black = MakeColor(0, 0, 0);
    SetBlendMode(1, 160);
    DrawRect(0, TOP - 2, 640, TOP + STEP * g_notices.count, black, 1);
    SetBlendMode(0, 0);
    for (int i = 0; i < g_notices.count; i++) DrawTextAt(LEFT, TOP + STEP * i, g_notices.line[i].text, white, black);
}

void ClearNotices(void) { g_notices.count = 0; }

int NoticeCount(void) { return g_notices.count; }

const char* NoticeText(int i) { return i >= 0 && i < g_notices.count ? g_notices.line[i].text : ""; }
