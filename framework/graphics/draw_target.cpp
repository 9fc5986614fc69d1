// The back and front buffers (640×480 by default), the current draw target (a
// buffer or a drawable image) and its draw area, clearing, and handing the
// finished back buffer to the platform, and the draw state. Called by
// lifecycle and every draw.
#include "framework/graphics/draw_target.h"
#include "framework/graphics/image_preload.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/backend/image/png_writer.h"
#include "framework/file/player_io.h"
#include "framework/backend/platform.h"
#include "framework/backend/raster/raster.h"
#include "framework/backend/raster/raster_queue.h"
#include "framework/core/api_lock.h"
#include "framework/core/services.h"
#include "framework/core/state.h"
#include "framework/framework.h"
#include "framework/graphics/draw_internal.h"
#include "framework/graphics/image_table.h"

namespace {

struct Screen {
    std::vector<uint32_t> backPixels, frontPixels;
    Surface back{}, front{};
    Surface image{};      // the drawable image selected as target, if any
    Surface* target = nullptr;
    int targetHandle = -4;
    ClipRect area{};
    DrawState draw;
};

Screen g_screen;

void MakeBuffer(std::vector<uint32_t>& store, Surface& s, int w, int h) {
    store.assign(static_cast<size_t>(w) * h, 0xFF000000u);
    s = Surface{store.data(), w, h, w};
}

void Fill(Surface* s, uint32_t value) {
    for (int y = 0; y < s->height; y++) RasterFillRow(s->pixels + static_cast<size_t>(y) * s->pitch, s->width, value);
}

// The previous target's size is read before `s` is written, since both may be
// the image slot.
void SelectSurface(Surface* s, const Surface& next, int handle) {
    bool sizeChanged = !g_screen.target || g_screen.target->width != next.width || g_screen.target->height != next.height;
    *s = next;
    g_screen.target = s;
    g_screen.targetHandle = handle;
    if (sizeChanged) g_screen.area = ClipRect{0, 0, s->width, s->height};
}

} // namespace

// Whoever asks for a buffer may read or write its pixels: the recorded draws
// are finished first.
Surface* GraphicsBackBuffer(void) {
    RasterQueueFinish();
    return &g_screen.back;
}
Surface* GraphicsFrontBuffer(void) {
    RasterQueueFinish();
    return &g_screen.front;
}
void GraphicsFinishDrawing(void) { RasterQueueFinish(); }
Surface* GraphicsTarget(void) { return g_screen.target; }
int GraphicsTargetHandle(void) { return g_screen.targetHandle; }
ClipRect* GraphicsDrawArea(void) { return &g_screen.area; }
DrawState* GraphicsDrawState(void) { return &g_screen.draw; }
int GraphicsTargetIsFront(void) { return g_screen.targetHandle == -4; }

int GraphicsStartup(void) {
    RasterQueueFinish();
    const int w = CoreScreenWidth(), h = CoreScreenHeight();
    MakeBuffer(g_screen.backPixels, g_screen.back, w, h);
    MakeBuffer(g_screen.frontPixels, g_screen.front, w, h);
    g_screen.target = nullptr;
    g_screen.draw = DrawState();
    SelectSurface(&g_screen.back, g_screen.back, -2);
    Fill(&g_screen.back, 0xFF000000u);
    SelectSurface(&g_screen.front, g_screen.front, -4);   // cleared last; stays the draw target
    Fill(&g_screen.front, 0xFF000000u);
    return 0;
}

void GraphicsShutdown(void) {
    ImagePreloadShutdown();
    RasterQueueFinish();
    g_screen = Screen();
    ImageTableReset();
}

void GraphicsTargetImageDeleted(int handle) {
    if (g_screen.targetHandle == handle) SelectSurface(&g_screen.back, g_screen.back, -2);
}

void GraphicsPresent(void) {
    RasterQueueFinish();
    const Surface& b = g_screen.back;
    if (b.pixels) PlatformGet()->Present(b.pixels, b.width, b.height, b.pitch);
}

void GraphicsSaveDrawState(DrawStateSave* save) {
    const DrawState& d = g_screen.draw;
    save->area = g_screen.area;
    save->blendMode = d.raster.blendMode;
    save->blendParameter = d.raster.blendParameter;
    for (int i = 0; i < 3; i++) save->brightness[i] = d.raster.brightness[i];
    save->scaleFilter = d.filterMode;
}

void GraphicsRestoreDrawState(const DrawStateSave* save) {
    DrawState& d = g_screen.draw;
    g_screen.area = save->area;
    d.raster.blendMode = save->blendMode;
    d.raster.blendParameter = save->blendParameter;
    for (int i = 0; i < 3; i++) d.raster.brightness[i] = save->brightness[i];
    d.filterMode = save->scaleFilter;
}

void GraphicsSetPlainDrawState(void) {
    DrawState& d = g_screen.draw;
    if (g_screen.target) g_screen.area = ClipRect{0, 0, g_screen.target->width, g_screen.target->height};
    d.raster.blendMode = 0;
    d.raster.blendParameter = 255;
    for (int i = 0; i < 3; i++) d.raster.brightness[i] = 255;
}

int SetDrawTarget(int target) {
    ApiGuard guard;
    if (!g_core.initialised) return -1;
    RasterQueueFinish();
    if (target == -2) { SelectSurface(&g_screen.back, g_screen.back, -2); return 0; }
    if (target == -4) { SelectSurface(&g_screen.front, g_screen.front, -4); return 0; }
    const ImageRecord* rec = ImageLookup(target);
    if (!rec || !rec->drawable) return -1;
    SelectSurface(&g_screen.image, ImageSurface(rec), target);
    return 0;
}

int ClearDrawTarget(void) {
    ApiGuard guard;
    if (g_screen.target) RasterQueueClear(*g_screen.target, 0xFF000000u);
    return 0;
}

// ---- Additions: the back buffer saved as PNG ----

int SaveScreenPng(const char* path) {
    ApiGuard guard;
    const Surface& b = g_screen.back;
    if (!g_core.initialised || !b.pixels || !path || !path[0]) return -1;
    RasterQueueFinish();   // the draws still pending on the drawing threads
    // Written with the player's files' atomic writer: no half-written file is
    // ever seen under the final name, whatever else is written beside it.
    std::vector<uint8_t> png;
    std::string reason;
    if (!EncodePng(&png, b.pixels, b.width, b.height, b.pitch, false)) return -1;
    if (!player_io::WriteAtomic(path, png.data(), png.size(), &reason)) {
        LogPrintF("%s: %s", path, reason.c_str());
        return -1;
    }
    return 0;
}
