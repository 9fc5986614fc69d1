// The draw-state setters (blend mode and parameter, brightness, scale filter)
// and the draw calls: each validates its handle, works out the geometry and
// hands one draw to the rasterizer. Also the coverage draws of the text module.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "framework/backend/raster/raster.h"
#include "framework/backend/raster/raster_queue.h"
#include "framework/core/api_lock.h"
#include "framework/framework.h"
#include "framework/graphics/draw_internal.h"
#include "framework/graphics/draw_target.h"
#include "framework/graphics/image_table.h"

namespace {

// The draw state lives with the target (draw_target.cpp).
DrawState& Draw() { return *GraphicsDrawState(); }

// How the rasterizer reads an image: alpha images blend by alpha with
// transFlag 1; images without alpha key out black with transFlag 1.
int SourceKind(const ImageRecord* rec, int transFlag) {
    if (rec->hasAlpha) return transFlag ? RASTER_SOURCE_ALPHA : RASTER_SOURCE_OPAQUE;
    return transFlag ? RASTER_SOURCE_KEY : RASTER_SOURCE_SOLID;
}

// A colour value (5-6-5) back to 8 bits per channel, high bits replicated.
uint32_t ExpandColor(int color) {
    uint32_t r = (color >> 11) & 31, g = (color >> 5) & 63, b = color & 31;
    return (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
}

// The part of an image a draw has to visit: for alpha images drawn with
// transFlag 1, the visible rectangle (what lies outside is transparent and
// leaves the target as it is); its top-left offset goes to *dx, *dy.
bool VisiblePart(const ImageRecord* rec, int kind, Surface* part, int* dx, int* dy) {
    Surface s = ImageSurface(rec);
    *dx = *dy = 0;
    if (kind != RASTER_SOURCE_ALPHA) {
        *part = s;
        return true;
    }
    if (rec->visibleLeft >= rec->visibleRight || rec->visibleTop >= rec->visibleBottom) return false;
    *dx = rec->visibleLeft;
    *dy = rec->visibleTop;
    *part = Surface{s.pixels + static_cast<size_t>(rec->visibleTop) * s.pitch + rec->visibleLeft,
                    rec->visibleRight - rec->visibleLeft, rec->visibleBottom - rec->visibleTop, s.pitch};
    if (rec->hasDiagonals) {   // moved to the part's top-left
        part->diagonals = true;
        part->sumMin = rec->sumMin - (*dx + *dy);
        part->sumMax = rec->sumMax - (*dx + *dy);
        part->diffMin = rec->diffMin - (*dx - *dy);
        part->diffMax = rec->diffMax - (*dx - *dy);
    }
    return true;
}

RasterState StateWithFilter(bool filtered) {
    RasterState st = Draw().raster;
    st.bilinear = filtered && Draw().filterMode == 1;
    return st;
}

int DrawRotated(double x, double y, double scale, double angle, int handle, int transFlag, int turnFlag) {
    const ImageRecord* rec = ImageLookup(handle);
    if (!rec || scale == 0.0) return -1;
    const Surface* dst = GraphicsTarget();
    if (!dst) return 0;
    const double w = rec->width, h = rec->height;
    // At scale 1 an odd size moves half a pixel so that the image lands on
    // whole pixels with its top-left at (x − floor(w / 2), y − floor(h / 2)).
    const double cx = x + ((scale == 1.0 && (rec->width & 1)) ? 0.5 : 0.0);
    const double cy = y + ((scale == 1.0 && (rec->height & 1)) ? 0.5 : 0.0);
    const double c = std::cos(angle), s = std::sin(angle), m = turnFlag == 1 ? -1.0 : 1.0;
    const int kind = SourceKind(rec, transFlag);
    Surface part;
    int px, py;
    if (!VisiblePart(rec, kind, &part, &px, &py)) return 0;
    const double du = -m * w / 2 + m * px, dv = -h / 2 + py;   // the part's top-left corner, mirrored
    const double ox = cx + scale * (du * c - dv * s), oy = cy + scale * (du * s + dv * c);
    RasterQueueMapped(*dst, *GraphicsDrawArea(), part, ox, oy, scale * m * c, scale * m * s, -scale * s, scale * c, kind,
                 StateWithFilter(true));
    return 0;
}

} // namespace


int MakeColor(int r, int g, int b) { return ((r & 0xFF) >> 3) << 11 | ((g & 0xFF) >> 2) << 5 | ((b & 0xFF) >> 3); }

int SetBlendMode(int mode, int parameter) {
    ApiGuard guard;
    parameter = std::clamp(parameter, 0, 255);
    if (mode == Draw().raster.blendMode && parameter == Draw().raster.blendParameter) return 0;
    Draw().raster.blendMode = mode;
    Draw().raster.blendParameter = parameter;
    return 0;
}

int SetDrawBrightness(int r, int g, int b) {
    ApiGuard guard;
    Draw().raster.brightness[0] = std::clamp(r, 0, 255);
    Draw().raster.brightness[1] = std::clamp(g, 0, 255);
    Draw().raster.brightness[2] = std::clamp(b, 0, 255);
    return 0;
}

int SetScaleFilter(int mode) {
    ApiGuard guard;
    Draw().filterMode = mode;
    return 0;
}

int DrawImageAt(int x, int y, int handle, int transFlag) {
    ApiGuard guard;
    const ImageRecord* rec = ImageLookup(handle);
    if (!rec) return -1;
    const Surface* dst = GraphicsTarget();
    if (!dst) return 0;
    const int kind = SourceKind(rec, transFlag);
    Surface part;
    int px, py;
    if (!VisiblePart(rec, kind, &part, &px, &py)) return 0;
    RasterQueueBlit(*dst, *GraphicsDrawArea(), part, static_cast<int>(std::clamp<int64_t>(int64_t(x) + px, INT32_MIN, INT32_MAX)),
               static_cast<int>(std::clamp<int64_t>(int64_t(y) + py, INT32_MIN, INT32_MAX)), kind, Draw().raster);
    return 0;
}

// Our targets are software targets: the position is truncated toward zero.
int DrawImageAtF(float x, float y, int handle, int transFlag) {
    ApiGuard guard;
    const ImageRecord* rec = ImageLookup(handle);
    if (!rec) return -1;
    const Surface* dst = GraphicsTarget();
    if (!dst) return 0;
    if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > 1e9f || std::fabs(y) > 1e9f) return 0;
    const int kind = SourceKind(rec, transFlag);
    Surface part;
    int px, py;
    if (!VisiblePart(rec, kind, &part, &px, &py)) return 0;
    RasterQueueBlit(*dst, *GraphicsDrawArea(), part, static_cast<int>(x) + px, static_cast<int>(y) + py, kind, Draw().raster);
    return 0;
}

int DrawImageRotated(int x, int y, double scale, double angle, int handle, int transFlag, int turnFlag) {
    ApiGuard guard;
    return DrawRotated(x, y, scale, angle, handle, transFlag, turnFlag);
}

int DrawImageRotatedF(float x, float y, double scale, double angle, int handle, int transFlag, int turnFlag) {
    ApiGuard guard;
    return DrawRotated(x, y, scale, angle, handle, transFlag, turnFlag);
}

int DrawImageQuad(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, int handle, int transFlag) {
    ApiGuard guard;
    const ImageRecord* rec = ImageLookup(handle);
    if (!rec) return -1;
    const Surface* dst = GraphicsTarget();
    if (!dst) return 0;
    // Corners beyond ±2^24 would overflow the exact edge arithmetic.
    for (int v : {x1, y1, x2, y2, x3, y3, x4, y4})
        if (v > (1 << 24) || v < -(1 << 24)) return 0;
    const double w = rec->width, h = rec->height;
    const Surface src = ImageSurface(rec);
    const RasterState st = StateWithFilter(true);
    const int kind = SourceKind(rec, transFlag);
    const int ax[3] = {x1, x2, x4}, ay[3] = {y1, y2, y4};
    const double au[3] = {0, w, 0}, av[3] = {0, 0, h};
    RasterQueueTriangle(*dst, *GraphicsDrawArea(), src, ax, ay, au, av, kind, st);
    const int bx[3] = {x2, x3, x4}, by[3] = {y2, y3, y4};
    const double bu[3] = {w, w, 0}, bv[3] = {0, h, h};
    RasterQueueTriangle(*dst, *GraphicsDrawArea(), src, bx, by, bu, bv, kind, st);
    return 0;
}

int DrawRect(int x1, int y1, int x2, int y2, int color, int fillFlag) {
    ApiGuard guard;
    const Surface* dst = GraphicsTarget();
    if (!dst) return 0;
    const int l = std::min(x1, x2), r = std::max(x1, x2), t = std::min(y1, y2), b = std::max(y1, y2);
    if (l == r || t == b) return 0;
    const uint32_t rgb = ExpandColor(color);
    const ClipRect& area = *GraphicsDrawArea();
    if (fillFlag || int64_t(r) - l <= 2 || int64_t(b) - t <= 2) {
        RasterQueueFill(*dst, area, l, t, r, b, rgb, Draw().raster);
        return 0;
    }
    // Four edges, each pixel once, so blended outlines have even corners.
    RasterQueueFill(*dst, area, l, t, r, t + 1, rgb, Draw().raster);
    RasterQueueFill(*dst, area, l, b - 1, r, b, rgb, Draw().raster);
    RasterQueueFill(*dst, area, l, t + 1, l + 1, b - 1, rgb, Draw().raster);
    RasterQueueFill(*dst, area, r - 1, t + 1, r, b - 1, rgb, Draw().raster);
    return 0;
}

void GraphicsDrawCoverage(int x, int y, const uint8_t* coverage, int width, int height, int pitch,
                          int r, int g, int b) {
    const Surface* dst = GraphicsTarget();
    if (!dst || !coverage || width <= 0 || height <= 0) return;
    const uint32_t rgb = static_cast<uint32_t>(std::clamp(r, 0, 255)) << 16 |
                         static_cast<uint32_t>(std::clamp(g, 0, 255)) << 8 | static_cast<uint32_t>(std::clamp(b, 0, 255));
    RasterQueueCoverage(*dst, *GraphicsDrawArea(), x, y, coverage, width, height, pitch, rgb, Draw().raster);
}

