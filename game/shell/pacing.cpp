// Frame pacing. Within a window of 60 frames each frame is held to the schedule
// window start + n × 1000/60 ms; slot 0 waits for the previous window's start
// + 1000 ms and starts the new window from when it actually ended. Clock
// differences are taken in wrapping 32-bit arithmetic and a wait is slept only
// when it lies in 1..1000 ms, so a clock that wraps or jumps never stalls the game.
#include "game/shell/pacing.h"

#include <cstdint>
#include <cstdio>

#include "framework/framework.h"

namespace {

enum { WINDOW = 60, MAX_WAIT_MS = 1000 };

struct Pacing {
    int slot;
    uint32_t windowStart;
    uint32_t lastTick;
    int durations[WINDOW];
    double average;
    bool opened;
    FILE* log;
};

Pacing g_pacing;

} // namespace

void PaceFrame(void) {
    Pacing& p = g_pacing;
    if (!p.opened) {
        p.opened = true;
        p.log = std::fopen("txt.txt", "w");
    }
    const uint32_t now = static_cast<uint32_t>(GetTickMs());
    int wait;
    if (p.slot > 0) {
        uint32_t due = p.windowStart + static_cast<uint32_t>(p.slot * 16.666666666666668);
        wait = static_cast<int32_t>(due - now);
    } else if (p.lastTick == 0) {
        wait = 0;
    } else {
        wait = static_cast<int32_t>(p.windowStart + 1000u - now);
    }
    if (p.log) std::fprintf(p.log, "%d:%d\n", p.slot, wait);
    if (wait > 0 && wait <= MAX_WAIT_MS) SleepMs(wait);

    const uint32_t t = static_cast<uint32_t>(GetTickMs());
    if (p.slot == 0) p.windowStart = t;
    p.durations[p.slot] = static_cast<int>(t - p.lastTick);
    p.lastTick = t;
    if (p.slot == WINDOW - 1) {
        long long sum = 0;
        for (int d : p.durations) sum += d;
        p.average = sum / 60.0;
    }
    p.slot = (p.slot + 1) % WINDOW;
}

// The figure is white with a one-pixel edge in the default font's edge colour
// (0): the default font has no edge of its own, so the text is first drawn in
// that colour at the eight neighbouring offsets. The edge keeps the figure
// readable over white clouds as over a dark sky.
void DrawFrameRate(void) {
    if (g_pacing.average == 0) return;
    char text[32];
    std::snprintf(text, sizeof text, "[%.1f]", 1000.0 / g_pacing.average);
    const int x = 0, y = 465, edge = 0;
    for (int dy = -1; dy <= 1; dy++)
        for (int dx = -1; dx <= 1; dx++)
            if (dx != 0 || dy != 0) DrawTextAt(x + dx, y + dy, text, edge, edge);
    DrawTextAt(x, y, text, MakeColor(255, 255, 255), edge);
}

double AverageFrameTime(void) { return g_pacing.average; }

void FlushPacingLog(void) {
    if (g_pacing.log) std::fflush(g_pacing.log);
}
