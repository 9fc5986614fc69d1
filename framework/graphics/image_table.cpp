// Graphic handles: bit 27 marks the kind, bits 16–26 carry a check number from
// one counter shared by all graphic handles, bits 0–14 the slot. Records and
// pixel stores live here; images.cpp and draw_calls.cpp call in.
#include "framework/graphics/image_table.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "framework/backend/raster/raster_queue.h"
#include "framework/core/log.h"
#include "framework/framework.h"

namespace {

struct ImageTable {
    ImageRecord slots[IMAGE_SLOTS];
    int nextFree;       // hint: never-used slots from here on
    int checkCounter;   // 0..2047, wraps
    int count;
};

ImageTable* g_table = new ImageTable();

int FindSlot() {
    if (g_table->nextFree < IMAGE_SLOTS) return g_table->nextFree;
    for (int i = 0; i < IMAGE_SLOTS; i++)
        if (!g_table->slots[i].used) return i;
    return -1;
}

} // namespace

[[noreturn]] void ImageFatal(const char* line) {
    WriteLogLine(line);
    FrameworkEnd();
    std::exit(-1);
}

PixelStore* ImageNewStore(int width, int height, uint32_t fill) {
    PixelStore* s = new (std::nothrow) PixelStore();
    if (!s) ImageFatal("メモリの確保に失敗しました\n");
    try {
        s->pixels.assign(static_cast<size_t>(width) * height, fill);
    } catch (const std::bad_alloc&) {
        delete s;
        ImageFatal("メモリの確保に失敗しました\n");
    }
    s->width = width;
    s->height = height;
    s->refs = 0;
    return s;
}

void ImageReleaseStore(PixelStore* store) {
    if (store && store->refs <= 1) RasterQueueFinish();   // recorded draws may still read it
    if (store && --store->refs <= 0) delete store;
}

int ImageCreate(PixelStore* store, int offsetX, int offsetY, int width, int height, int hasAlpha,
                int drawable, int texture, const char* path) {
    int slot = FindSlot();
    if (slot < 0) {
        // A store no record holds yet would outlive the table's shutdown.
        if (store && store->refs == 0) delete store;
        ImageFatal("グラフィックの数が許容量を越えました終了します\n");
    }
    if (slot == g_table->nextFree) g_table->nextFree++;
    ImageRecord& r = g_table->slots[slot];
    r.used = 1;
    r.check = g_table->checkCounter;
    g_table->checkCounter = (g_table->checkCounter + 1) % IMAGE_CHECK_LIMIT;
    r.handle = IMAGE_HANDLE_KIND + r.check * 65536 + slot;
    r.width = width;
    r.height = height;
    r.texture = texture;
    r.hasAlpha = hasAlpha;
    r.depth = 32;
    r.drawable = drawable;
    r.offsetX = offsetX;
    r.offsetY = offsetY;
    r.store = store;
    store->refs++;
    r.path = path ? path : "";
    ImageUpdateVisible(&r);
    g_table->count++;
    return r.handle;
}

ImageRecord* ImageLookup(int handle) {
    if (handle < 0) return nullptr;
    if ((handle >> 27) != 1) return nullptr;      // kind bits 27–30 must read 1
    if (handle & 0x8000) return nullptr;
    ImageRecord& r = g_table->slots[handle & 0x7FFF];
    if (!r.used || r.check != ((handle >> 16) & 0x7FF)) return nullptr;
    return &r;
}

int ImageDelete(int handle) {
    ImageRecord* r = ImageLookup(handle);
    if (!r) return -1;
    ImageReleaseStore(r->store);
    *r = ImageRecord();
    g_table->count--;
    return 0;
}

Surface ImageSurface(const ImageRecord* r) {
    PixelStore* s = r->store;
    return Surface{s->pixels.data() + static_cast<size_t>(r->offsetY) * s->width + r->offsetX,
                   r->width, r->height, s->width};
}

void ImageUpdateVisible(ImageRecord* r) {
    r->visibleLeft = 0;
    r->visibleTop = 0;
    r->visibleRight = r->width;
    r->visibleBottom = r->height;
    r->hasDiagonals = 0;
    if (!r->hasAlpha || r->drawable) return;
    VisibleTexels v;
    if (!RasterFindVisible(ImageSurface(r), &v)) {   // nothing visible
        r->visibleRight = r->visibleLeft;
        return;
    }
    // Widened by one texel for the bilinear taps.
    r->visibleLeft = std::max(v.left - 1, 0);
    r->visibleTop = std::max(v.top - 1, 0);
    r->visibleRight = std::min(v.right + 1, r->width);
    r->visibleBottom = std::min(v.bottom + 1, r->height);
    r->hasDiagonals = 1;
    r->sumMin = v.sumMin;
    r->sumMax = v.sumMax;
    r->diffMin = v.diffMin;
    r->diffMax = v.diffMax;
}

void ImageTableReset(void) {
    for (int i = 0; i < IMAGE_SLOTS; i++) {
        ImageRecord& r = g_table->slots[i];
        if (r.used) ImageReleaseStore(r.store);
        r = ImageRecord();
    }
    g_table->nextFree = 0;
    g_table->count = 0;
}

int ImageCount(void) { return g_table->count; }
