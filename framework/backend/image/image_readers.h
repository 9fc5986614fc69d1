// The image readers under LoadImageFile: each takes a whole file already read
// through the file layer and, if the bytes are its format and every size in
// them fits the data it has, returns straight (not premultiplied) 0xAARRGGBB
// pixels, rows top-down. Truncated, corrupt, oversized and lying files are
// refused with false and the output left empty. A file that breaks its
// format's rules in a way every mainstream decoder forgives (a palette longer
// than the depth needs, a run past a row's end, junk before a marker) is read
// as they read it, and each such repair is told in `notes`, one line each,
// for the caller to write to the log.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

// An allocator whose new elements are left uninitialised, so that sizing a
// buffer a decoder then fills whole costs no pass of zeros (a tenth of
// decoding a PNG). Readers that may leave pixels unwritten fill explicitly.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    UninitialisedAllocator() = default;
    template <typename U>
    UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
    template <typename U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};
using PixelVector = std::vector<uint32_t, UninitialisedAllocator<uint32_t>>;

struct DecodedImage {
    PixelVector pixels;
    int width = 0, height = 0;
    bool hasAlpha = false;
    std::string notes;   // what was skipped or repaired: lines ending in '\n', empty for a clean file
};

// Adds one line to the picture's notes.
inline void AddImageNote(DecodedImage* img, const std::string& line) { img->notes += line + "\n"; }

// Largest picture accepted: 16384 on a side and 64 Mi pixels (256 MiB) in all.
enum { IMAGE_MAX_SIDE = 16384 };
const int64_t IMAGE_MAX_PIXELS = int64_t(1) << 26;
bool ImageSizeAllowed(int64_t width, int64_t height);

// Offers the bytes to the readers in order (BMP, JPEG, PNG, BGRA, TGA, DDS).
bool DecodeImage(const uint8_t* data, size_t size, DecodedImage* out);

bool DecodeBmp(const uint8_t* data, size_t size, DecodedImage* out);
bool DecodeJpeg(const uint8_t* data, size_t size, DecodedImage* out);
bool DecodePng(const uint8_t* data, size_t size, DecodedImage* out);
bool DecodeBgra(const uint8_t* data, size_t size, DecodedImage* out);
bool DecodeTga(const uint8_t* data, size_t size, DecodedImage* out);
bool DecodeDds(const uint8_t* data, size_t size, DecodedImage* out);

// Little-endian reads for the readers (the caller has checked the bounds).
inline uint32_t ReadLe16(const uint8_t* p) { return p[0] | p[1] << 8; }
inline uint32_t ReadLe32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
