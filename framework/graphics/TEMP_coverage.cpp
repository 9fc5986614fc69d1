// Stand-in for the drawing module's coverage draw and draw-state save/restore,
// so that text can be drawn and tested before that module lands; it is removed
// when the real one is merged. Straight alpha of the colour by coverage ×
// brightness / 255 into the current target, blend modes 0 (none), 1 (alpha)
// and 2 (add), clipped to the draw area.
#include <algorithm>

#include "framework/graphics/draw_internal.h"
#include "framework/graphics/draw_target.h"

namespace {

struct TempDrawState {
    int blendMode = 0, blendParameter = 255;
    int brightness[3] = {255, 255, 255};
    int scaleFilter = 0;
};

TempDrawState g_temp;

} // namespace

void GraphicsDrawCoverage(int x, int y, const uint8_t* coverage, int width, int height, int pitch, int r, int g,
                          int b) {
    Surface* t = GraphicsTarget();
    if (!t || !t->pixels || !coverage) return;
    const ClipRect& a = *GraphicsDrawArea();
    const int x0 = std::max({x, a.left, 0}), x1 = std::min({x + width, a.right, t->width});
    const int y0 = std::max({y, a.top, 0}), y1 = std::min({y + height, a.bottom, t->height});
    const int c[3] = {r * g_temp.brightness[0] / 255, g * g_temp.brightness[1] / 255, b * g_temp.brightness[2] / 255};
    const int param = g_temp.blendMode == 0 ? 255 : g_temp.blendParameter;
    for (int py = y0; py < y1; py++) {
        uint32_t* row = t->pixels + static_cast<size_t>(py) * t->pitch;
        const uint8_t* cov = coverage + static_cast<size_t>(py - y) * pitch - x;
        for (int px = x0; px < x1; px++) {
            const int alpha = cov[px] * param / 255;
            if (alpha == 0) continue;
            const uint32_t d = row[px];
            int ch[3] = {static_cast<int>(d >> 16 & 255), static_cast<int>(d >> 8 & 255), static_cast<int>(d & 255)};
            for (int k = 0; k < 3; k++) {
                if (g_temp.blendMode == 2) ch[k] = std::min(255, ch[k] + c[k] * alpha / 255);
                else ch[k] += (c[k] - ch[k]) * alpha / 255;
            }
            row[px] = (d & 0xFF000000u) | static_cast<uint32_t>(ch[0]) << 16 | static_cast<uint32_t>(ch[1]) << 8 |
                      static_cast<uint32_t>(ch[2]);
        }
    }
}

void GraphicsSaveDrawState(DrawStateSave* save) {
    save->area = *GraphicsDrawArea();
    save->blendMode = g_temp.blendMode;
    save->blendParameter = g_temp.blendParameter;
    for (int k = 0; k < 3; k++) save->brightness[k] = g_temp.brightness[k];
    save->scaleFilter = g_temp.scaleFilter;
}

void GraphicsRestoreDrawState(const DrawStateSave* save) {
    *GraphicsDrawArea() = save->area;
    g_temp.blendMode = save->blendMode;
    g_temp.blendParameter = save->blendParameter;
    for (int k = 0; k < 3; k++) g_temp.brightness[k] = save->brightness[k];
    g_temp.scaleFilter = save->scaleFilter;
}

void GraphicsSetPlainDrawState(void) {
    Surface* t = GraphicsTarget();
    *GraphicsDrawArea() = t ? ClipRect{0, 0, t->width, t->height} : ClipRect{0, 0, 0, 0};
    g_temp.blendMode = 0;
    g_temp.blendParameter = 255;
    for (int& v : g_temp.brightness) v = 255;
}
