// Nearest-neighbour scaling by a whole factor: every source pixel becomes a
// factor × factor block. Used to put the finished picture on a screen where
// no graphics card scales it (present_scale.cpp), a band of rows per drawing
// thread.
#include "framework/backend/raster/raster.h"

#include <algorithm>
#include <cstring>

void RasterScaleWhole(const Surface& dst, const ClipRect& clip, const Surface& src, int x, int y, int factor,
                      const RasterRows* rows) {
    if (factor < 1 || !dst.pixels || !src.pixels || src.width <= 0 || src.height <= 0) return;
    const int64_t k = factor;
    const int64_t left = std::max<int64_t>({clip.left, 0, x});
    const int64_t right = std::min<int64_t>({clip.right, dst.width, x + src.width * k});
    int64_t top = std::max<int64_t>({clip.top, 0, y});
    int64_t bottom = std::min<int64_t>({clip.bottom, dst.height, y + src.height * k});
    if (rows) {
        top = std::max<int64_t>(top, rows->top);
        bottom = std::min<int64_t>(bottom, rows->bottom);
    }
    if (left >= right || top >= bottom) return;
    const size_t n = static_cast<size_t>(right - left);
    const uint32_t* made = nullptr;   // the row last built, copied while the source row stays
    int64_t madeFrom = -1;
    for (int64_t dy = top; dy < bottom; dy++) {
        uint32_t* out = dst.pixels + static_cast<size_t>(dy) * dst.pitch;
        const int64_t sy = (dy - y) / k;
        if (sy == madeFrom) {
            std::memcpy(out + left, made + left, n * 4);
            continue;
        }
        const uint32_t* in = src.pixels + static_cast<size_t>(sy) * src.pitch;
        int64_t dx = left;
        if (k == 1) {
            std::memcpy(out + left, in + (left - x), n * 4);
        } else {
            // A part-block at the left clip edge, whole blocks, a part-block at the right.
            for (; dx < right && (dx - x) % k != 0; dx++) out[dx] = in[(dx - x) / k];
            if (k == 2) {
                for (; dx + 2 <= right; dx += 2) out[dx] = out[dx + 1] = in[(dx - x) >> 1];
            } else {
                for (; dx + k <= right; dx += k) std::fill_n(out + dx, k, in[(dx - x) / k]);
            }
            for (; dx < right; dx++) out[dx] = in[(dx - x) / k];
        }
        made = out;
        madeFrom = sy;
    }
}
