// The image table behind graphic handles: 32768 slots, the shared 11-bit check
// counter, the next-free hint, handle validation, and pixel stores shared by
// reference between a strip's parent and its cells. Used by images.cpp,
// draw_calls.cpp and draw_target.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/backend/image/image_readers.h"
#include "framework/backend/raster/surface.h"

enum {
    IMAGE_SLOTS = 32768,
    IMAGE_CHECK_LIMIT = 2048,
    IMAGE_HANDLE_KIND = 1 << 27,
};

// Pixels of one decoded picture or offscreen image (premultiplied ARGB).
struct PixelStore {
    PixelVector pixels;
    int width, height;
    int refs;
};

struct ImageRecord {
    int used;
    int check;
    int handle;
    int width, height;
    int texture;          // held as a texture (softwareFlag 0); the same pixels either way
    int hasAlpha;
    int depth;            // 32: every image is held in 32-bit pixels
    int drawable;
    int offsetX, offsetY; // top-left inside the parent's pixels (cells)
    // Alpha images: the rectangle holding every texel with alpha above 0,
    // widened by one texel for bilinear taps; draws with transFlag 1 touch only
    // that part. The whole image for everything else.
    int visibleLeft, visibleTop, visibleRight, visibleBottom;
    // The same images: the diagonal bounds of those texels (Surface's
    // sumMin..diffMax, in the image's own texels), when hasDiagonals is 1.
    int hasDiagonals;
    int sumMin, sumMax, diffMin, diffMax;
    PixelStore* store;
    std::string path;
};

// Makes a record over `store` (taking one reference); returns its handle.
// A full table is fatal: logged, the framework shuts down, exit code −1.
int ImageCreate(PixelStore* store, int offsetX, int offsetY, int width, int height, int hasAlpha,
                int drawable, int texture, const char* path);
// New store of width × height filled with `fill`, one reference held by nobody
// yet; allocation failure is fatal ("メモリの確保に失敗しました").
PixelStore* ImageNewStore(int width, int height, uint32_t fill);
void ImageReleaseStore(PixelStore* store);
ImageRecord* ImageLookup(int handle);    // the record, or nullptr for an invalid handle
int ImageDelete(int handle);             // 0, or −1
Surface ImageSurface(const ImageRecord* rec);
// Sets the visible rectangle: scanned for alpha images, whole otherwise.
void ImageUpdateVisible(ImageRecord* rec);
void ImageTableReset(void);              // frees every image (framework end)
int ImageCount(void);
// Logs `line`, shuts the framework down and ends the process with exit code −1.
[[noreturn]] void ImageFatal(const char* line);
