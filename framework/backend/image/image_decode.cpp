// Offers a file's bytes to each reader in turn, from the file's start each
// time, until one accepts it. Called by graphics/images.cpp.
#include "framework/backend/image/image_readers.h"

#include <new>

bool ImageSizeAllowed(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= IMAGE_MAX_SIDE && height <= IMAGE_MAX_SIDE &&
           width * height <= IMAGE_MAX_PIXELS;
}

bool DecodeImage(const uint8_t* data, size_t size, DecodedImage* out) {
    typedef bool (*Reader)(const uint8_t*, size_t, DecodedImage*);
    static const Reader readers[] = {DecodeBmp, DecodeJpeg, DecodePng, DecodeBgra, DecodeTga, DecodeDds};
    for (Reader r : readers) {
        DecodedImage img;
        bool ok = false;
        try {
            ok = r(data, size, &img);
        } catch (const std::bad_alloc&) {
            ok = false;
        }
        if (ok && img.width > 0 && img.height > 0 &&
            img.pixels.size() == static_cast<size_t>(img.width) * img.height) {
            *out = std::move(img);
            return true;
        }
    }
    return false;
}
