// What every image-reader target checks beyond the sanitizers: a reader either
// refuses the bytes and leaves the picture empty, or returns exactly
// width × height pixels of an allowed size.
#pragma once

#include <cstdlib>

#include "framework/backend/image/image_readers.h"

inline void FuzzCheckImage(bool decoded, const DecodedImage& img) {
    if (!decoded) {
        if (!img.pixels.empty()) std::abort();
        return;
    }
    if (img.width <= 0 || img.height <= 0 || !ImageSizeAllowed(img.width, img.height)) std::abort();
    if (img.pixels.size() != static_cast<size_t>(img.width) * img.height) std::abort();
}

// One target per reader: any bytes straight to the reader, in memory.
#define VORTALIS_IMAGE_FUZZ_TARGET(reader)                                       \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {   \
        DecodedImage img;                                                        \
        FuzzCheckImage(reader(data, size, &img), img);                           \
        return 0;                                                                \
    }
