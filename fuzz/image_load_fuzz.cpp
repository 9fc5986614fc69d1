// Fuzz target for LoadImageFile and LoadImageStrip with and without an "_a"
// alpha mask: the first byte says whether the input is split into a picture
// and a mask (bit 0); its bits 1 and 2 with the input's length choose how the
// strip is cut (so that the seeds try every cut). What loads is drawn
// unscaled, turned and scaled, and cut into cells. Beyond the sanitizers it
// checks what the loader promises: every image's size is its pixel store's
// and an allowed one, and its visible part and diagonal bounds hold every
// texel with alpha; a strip loads exactly when every cell starts inside the
// picture, its cells tile the picture row by row (shortened at its edges) and
// only the count's handles are written; draws of the image and of a cell
// change nothing outside the draw area.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/backend/image/image_readers.h"
#include "framework/core/api_lock.h"
#include "framework/framework.h"
#include "framework/graphics/draw_target.h"
#include "framework/graphics/image_table.h"
#include "fuzz/fuzz_support.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

struct StripShape {
    int count, xNum, yNum, cellW, cellH;
};
// As the game cuts its sprite strips; a count short of the grid; one cell
// larger than most pictures; cells of one texel.
const StripShape kShapes[4] = {{6, 3, 2, 7, 5}, {5, 4, 2, 3, 2}, {1, 1, 1, 64, 64}, {4, 2, 2, 1, 1}};
enum { CELL_ROOM = 8 };

// The record behind a live handle, checked against its pixel store.
const ImageRecord& CheckedRecord(int handle) {
    const ImageRecord* r = ImageLookup(handle);
    Check(r != nullptr && r->store != nullptr);
    const PixelStore& s = *r->store;
    Check(s.width > 0 && s.height > 0 && ImageSizeAllowed(s.width, s.height));
    Check(s.pixels.size() == static_cast<size_t>(s.width) * s.height);
    Check(r->offsetX >= 0 && r->offsetY >= 0 && r->width > 0 && r->height > 0);
    Check(r->offsetX + r->width <= s.width && r->offsetY + r->height <= s.height);
    int w = 0, h = 0;
    Check(GetImageSize(handle, &w, &h) == 0 && w == r->width && h == r->height);
    Check(0 <= r->visibleLeft && r->visibleLeft <= r->visibleRight && r->visibleRight <= r->width);
    Check(0 <= r->visibleTop && r->visibleTop <= r->visibleBottom && r->visibleBottom <= r->height);
    if (r->hasAlpha) {
        const Surface px = ImageSurface(r);
        for (int y = 0; y < px.height; y++)
            for (int x = 0; x < px.width; x++) {
                if (!(px.pixels[static_cast<size_t>(y) * px.pitch + x] >> 24)) continue;
                Check(x >= r->visibleLeft && x < r->visibleRight && y >= r->visibleTop && y < r->visibleBottom);
                Check(r->hasDiagonals && r->sumMin <= x + y && x + y <= r->sumMax && r->diffMin <= x - y &&
                      x - y <= r->diffMax);
            }
    }
    return *r;
}

// Draws `handle` hanging over the area's left edge, turned and scaled with
// and without filtering, onto a small target whose draw area stops short of
// its edges: the pixels outside the area stay as cleared.
void CheckDrawStaysInside(int handle) {
    static const int target = MakeOffscreenImage(64, 48, 0);
    Check(SetDrawTarget(target) == 0);
    ClearDrawTarget();
    const ClipRect area{4, 3, 60, 45};
    *GraphicsDrawArea() = area;
    DrawImageAt(-3, 5, handle, 1);
    SetScaleFilter(1);
    DrawImageRotated(32, 24, 1.7, 0.6, handle, 1, 1);
    SetScaleFilter(0);
    DrawImageRotated(58, 44, 0.4, -2.0, handle, 0, 0);
    SetDrawTarget(-2);   // another size: the area is the whole back buffer again
    GraphicsFinishDrawing();
    const Surface s = ImageSurface(ImageLookup(target));
    for (int y = 0; y < s.height; y++)
        for (int x = 0; x < s.width; x++)
            if (x < area.left || x >= area.right || y < area.top || y >= area.bottom)
                Check(s.pixels[static_cast<size_t>(y) * s.pitch + x] == 0xFF000000u);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzStartFramework();
    ApiGuard guard;
    if (size < 1) return 0;
    const bool withMask = data[0] & 1;
    const StripShape& shape = kShapes[((data[0] >> 1) + size) & 3];
    const uint8_t* picture = data + 1;
    size_t pictureSize = size - 1;
    // The input file's folder is private to the target; the picture and its
    // mask sit next to it.
    const std::string input = FuzzWriteInput(data, 0);
    const std::string folder = input.substr(0, input.find_last_of('/') + 1);
    const std::string path = folder + "pic.img";
    const std::string mask = folder + "pic_a.img";
    std::remove(mask.c_str());
    if (withMask) {
        const size_t half = pictureSize / 2;
        WriteFile(mask, picture + half, pictureSize - half);
        pictureSize = half;
    }
    WriteFile(path, picture, pictureSize);

    int width = 0, height = 0;
    const int h = LoadImageFile(path.c_str(), 0);
    if (h != -1) {
        const ImageRecord& r = CheckedRecord(h);
        Check(r.offsetX == 0 && r.offsetY == 0 && r.width == r.store->width && r.height == r.store->height);
        width = r.width;
        height = r.height;
        CheckDrawStaysInside(h);
        Check(DeleteImage(h) == 0);
    }

    // The same picture cut into cells: loaded exactly when the picture
    // loaded and every cell of the first `count` starts inside it.
    const int n = std::min(shape.count, shape.xNum * shape.yNum);
    bool fits = h != -1;
    for (int i = 0; i < n; i++)
        fits = fits && (i % shape.xNum) * shape.cellW < width && (i / shape.xNum) * shape.cellH < height;
    int cells[CELL_ROOM];
    std::fill(cells, cells + CELL_ROOM, -7);
    const int loaded = LoadImageStrip(path.c_str(), shape.count, shape.xNum, shape.yNum, shape.cellW, shape.cellH,
                                      cells, 0);
    Check((loaded == 0) == fits);
    const int written = loaded == 0 ? n : 0;
    for (int i = written; i < CELL_ROOM; i++) Check(cells[i] == -7);
    const PixelStore* store = nullptr;
    for (int i = 0; i < written; i++) {
        const ImageRecord& r = CheckedRecord(cells[i]);
        const int x = (i % shape.xNum) * shape.cellW, y = (i / shape.xNum) * shape.cellH;
        Check(r.offsetX == x && r.offsetY == y);
        Check(r.width == std::min(shape.cellW, width - x) && r.height == std::min(shape.cellH, height - y));
        Check(r.store->width == width && r.store->height == height && (!store || r.store == store));
        store = r.store;
        for (int k = 0; k < i; k++) Check(cells[k] != cells[i]);
    }
    if (written) CheckDrawStaysInside(cells[written - 1]);
    for (int i = 0; i < written; i++) Check(DeleteImage(cells[i]) == 0);
    return 0;
}
