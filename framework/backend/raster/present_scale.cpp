// The picture's place on a screen (pure arithmetic) and the whole-multiple
// step onto a screen in memory. Exact fits are kept exact by comparing integer
// products; the step itself is RasterScaleWhole on the drawing threads.
#include "framework/backend/raster/present_scale.h"

#include <algorithm>
#include <cstddef>

#include "framework/backend/raster/raster.h"
#include "framework/backend/raster/raster_queue.h"

PresentLayout PresentLayoutFor(int picW, int picH, int outW, int outH, bool smoothStep) {
    PresentLayout l{1, 0, 0, picW, picH, false};
    if (picW <= 0 || picH <= 0 || outW <= 0 || outH <= 0) return l;
    l.wholeScale = std::max(1, std::min(outW / picW, outH / picH));
    if (smoothStep) {
        const bool widthBound = static_cast<long long>(outW) * picH <= static_cast<long long>(outH) * picW;
        if (widthBound) {
            l.w = outW;
            l.h = static_cast<int>(static_cast<long long>(outW) * picH / picW);
        } else {
            l.h = outH;
            l.w = static_cast<int>(static_cast<long long>(outH) * picW / picH);
        }
    } else {
        l.w = picW * l.wholeScale;
        l.h = picH * l.wholeScale;
    }
    l.x = (outW - l.w) / 2;
    l.y = (outH - l.h) / 2;
    l.smoothRest = l.w != picW * l.wholeScale || l.h != picH * l.wholeScale;
    return l;
}

namespace {

// Rows top..bottom − 1, columns left..right − 1 of the screen set to black.
void FillBlack(const Surface& s, int left, int top, int right, int bottom) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, s.width);
    bottom = std::min(bottom, s.height);
    if (left >= right) return;
    for (int y = top; y < bottom; y++)
        RasterFillRow(s.pixels + static_cast<size_t>(y) * s.pitch + left, right - left, 0xFF000000u);
}

} // namespace

void PresentCompose(const Surface& screen, const Surface& picture, const PresentLayout& l, bool bars) {
    if (!screen.pixels || !picture.pixels) return;
    const ClipRect all{0, 0, screen.width, screen.height};
    RasterQueueScaleWhole(screen, all, picture, l.x, l.y, l.wholeScale);
    RasterQueueFinish();
    if (!bars) return;
    const int right = l.x + picture.width * l.wholeScale, bottom = l.y + picture.height * l.wholeScale;
    FillBlack(screen, 0, 0, screen.width, l.y);                 // above
    FillBlack(screen, 0, bottom, screen.width, screen.height);  // below
    FillBlack(screen, 0, l.y, l.x, bottom);                     // left
    FillBlack(screen, right, l.y, screen.width, bottom);        // right
}
