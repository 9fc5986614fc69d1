// The addition GetScreenPixel: one pixel of the back buffer as a program sees
// it presented, for tests of programs built on the framework (the headless
// platform shows no window to look at).
#include "framework/core/api_lock.h"
#include "framework/core/state.h"
#include "framework/framework.h"
#include "framework/graphics/draw_target.h"

int GetScreenPixel(int x, int y) {
    ApiGuard guard;
    if (!g_core.initialised) return -1;
    const Surface* back = GraphicsBackBuffer();   // every draw recorded so far has run
    if (!back || !back->pixels || x < 0 || y < 0 || x >= back->width || y >= back->height) return -1;
    return static_cast<int>(back->pixels[static_cast<size_t>(y) * back->pitch + x] & 0xFFFFFFu);
}
