// Image loading and image handles' public calls: LoadImageFile, LoadImageStrip
// (cells sharing the parent's pixels), MakeOffscreenImage, DeleteImage,
// GetImageSize and CaptureScreenToImage. Files are read whole through the file
// layer, or taken decoded from the preloaded pictures (image_preload.h), and
// decoded by backend/image/.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "framework/backend/image/image_readers.h"
#include "framework/backend/raster/raster.h"
#include "framework/core/api_lock.h"
#include "framework/core/log.h"
#include "framework/core/state.h"
#include "framework/file/file_layer.h"
#include "framework/framework.h"
#include "framework/graphics/draw_target.h"
#include "framework/graphics/image_preload.h"
#include "framework/graphics/image_table.h"

namespace {

// The picture from the preloaded ones when it is among them, else read now.
// A full file table fails the load with its log line either way.
PictureResult LoadPicture(const char* path, DecodedImage* img) {
    PictureResult result;
    if (FileLayerOpenCount() < FILE_MAX_OPEN && TakePreloadedPicture(path, &result, img)) return result;
    return ReadPicture(path, img, false);
}

// Moves decoded (already premultiplied) pixels into a store; nullptr when no memory.
PixelStore* StoreFromPicture(DecodedImage* img) {
    PixelStore* s = new (std::nothrow) PixelStore();
    if (!s) return nullptr;
    s->pixels = std::move(img->pixels);
    s->width = img->width;
    s->height = img->height;
    s->refs = 0;
    return s;
}

void LogPath(const char* format, const char* path) {
    LogFormat(format, path);
}

// What the reader skipped or repaired to read the picture, a line each.
void LogReaderNotes(const char* path, const std::string& notes) {
    size_t at = 0;
    while (at < notes.size()) {
        size_t end = notes.find('\n', at);
        if (end == std::string::npos) end = notes.size();
        char line[1400];
        snprintf(line, sizeof line, "右記のグラフィックファイルを補って読み込みました：%s (%.*s)\n", path,
                 static_cast<int>(std::min<size_t>(end - at, 160)), notes.data() + at);
        WriteLogLine(line);
        at = end + 1;
    }
}

} // namespace

int LoadImageFile(const char* path, int softwareFlag) {
    ApiGuard guard;
    if (!path) return -1;
    DecodedImage img;
    PictureResult r = LoadPicture(path, &img);
    if (r == PICTURE_MISSING) {
        LogPath("グラフィックファイル %s がありません\n", path);
        return -1;
    }
    if (r == PICTURE_FAILED) {
        LogPath("右記のグラフィックファイルのロードに失敗しました：%s \n", path);
        return -1;
    }
    LogReaderNotes(path, img.notes);
    PixelStore* store = StoreFromPicture(&img);
    if (!store) {
        LogPath("右記のグラフィックファイルの格納用グラフィック領域の作成に失敗しました：%s\n", path);
        return -1;
    }
    return ImageCreate(store, 0, 0, store->width, store->height, img.hasAlpha, 0, softwareFlag ? 0 : 1, path);
}

int LoadImageStrip(const char* path, int count, int xNum, int yNum, int cellW, int cellH,
                   int* handlesOut, int softwareFlag) {
    ApiGuard guard;
    if (!path) return -1;
    DecodedImage img;
    PictureResult r = LoadPicture(path, &img);
    if (r == PICTURE_MISSING) LogPath("グラフィックファイル %s がありません\n", path);
    if (r != PICTURE_OK) {
        LogPath("右記のグラフィックファイルのロードに失敗しました：%s\n", path);
        return -1;
    }
    LogReaderNotes(path, img.notes);
    PixelStore* store = StoreFromPicture(&img);
    if (!store) {
        LogPath("右記のグラフィックファイルの格納用グラフィック領域の作成に失敗しました：%s\n", path);
        return -1;
    }
    const int w = store->width, h = store->height, texture = softwareFlag ? 0 : 1;
    const int parent = ImageCreate(store, 0, 0, w, h, img.hasAlpha, 0, texture, path);
    std::vector<int> cells;
    bool ok = handlesOut != nullptr && count >= 0;
    for (int j = 0; ok && j < yNum && static_cast<int>(cells.size()) < count; j++) {
        for (int k = 0; k < xNum && static_cast<int>(cells.size()) < count; k++) {
            const int64_t x = static_cast<int64_t>(k) * cellW, y = static_cast<int64_t>(j) * cellH;
            if (cellW <= 0 || cellH <= 0 || x >= w || y >= h) { ok = false; break; }
            const int cw = static_cast<int>(std::min<int64_t>(cellW, w - x));
            const int ch = static_cast<int>(std::min<int64_t>(cellH, h - y));
            cells.push_back(ImageCreate(store, static_cast<int>(x), static_cast<int>(y), cw, ch, img.hasAlpha, 0,
                                        texture, path));
        }
    }
    if (!ok) {
        WriteLogLine("グラフィックの分割に失敗しました in CreateDivGraphFromGraphImage\n");
        for (int c : cells) ImageDelete(c);
        ImageDelete(parent);
        return -1;
    }
    std::copy(cells.begin(), cells.end(), handlesOut);
    ImageDelete(parent);
    return 0;
}

int MakeOffscreenImage(int width, int height, int softwareFlag) {
    ApiGuard guard;
    if (!ImageSizeAllowed(width, height)) return -1;
    PixelStore* store = ImageNewStore(width, height, 0xFF000000u);
    return ImageCreate(store, 0, 0, width, height, 0, 1, softwareFlag ? 0 : 1, nullptr);
}

int DeleteImage(int handle) {
    ApiGuard guard;
    if (!ImageLookup(handle)) return -1;
    GraphicsTargetImageDeleted(handle);
    return ImageDelete(handle);
}

int GetImageSize(int handle, int* width, int* height) {
    ApiGuard guard;
    int w, h;
    if (handle == -2 || handle == -4) {
        w = CoreScreenWidth();
        h = CoreScreenHeight();
    } else {
        const ImageRecord* rec = ImageLookup(handle);
        if (!rec) return -1;
        w = rec->width;
        h = rec->height;
    }
    if (width) *width = w;
    if (height) *height = h;
    return 0;
}

// The flag is accepted and ignored: there is one copy method, a plain copy of
// the draw target's pixels.
int CaptureScreenToImage(int x1, int y1, int x2, int y2, int handle, int flag) {
    ApiGuard guard;
    ImageRecord* rec = ImageLookup(handle);
    const Surface* src = GraphicsTarget();
    if (!rec || !src) return -1;
    GraphicsFinishDrawing();
    Surface dst = ImageSurface(rec);
    const int64_t sx = std::max(x1, 0), sy = std::max(y1, 0);
    const int64_t ex = std::min<int64_t>({static_cast<int64_t>(x2), src->width, sx + dst.width - (sx - x1)});
    const int64_t ey = std::min<int64_t>({static_cast<int64_t>(y2), src->height, sy + dst.height - (sy - y1)});
    for (int64_t y = sy; y < ey; y++) {
        const uint32_t* s = src->pixels + static_cast<size_t>(y) * src->pitch + sx;
        uint32_t* d = dst.pixels + static_cast<size_t>(y - y1) * dst.pitch + (sx - x1);
        for (int64_t x = 0; x < ex - sx; x++) d[x] = s[x] | 0xFF000000u;
    }
    rec->visibleLeft = rec->visibleTop = 0;   // opaque pixels may now be anywhere
    rec->visibleRight = rec->width;
    rec->visibleBottom = rec->height;
    rec->hasDiagonals = 0;
    return 0;
}
