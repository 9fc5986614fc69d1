// Fuzz target for LoadImageFile and LoadImageStrip with and without an "_a"
// alpha mask: the first byte says whether the input is split into a picture
// and a mask; what loads is then drawn rotated, scaled and cut into cells.
#include <cstdint>
#include <cstdio>
#include <string>

#include "framework/core/api_lock.h"
#include "framework/framework.h"
#include "fuzz/fuzz_support.h"

namespace {

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzStartFramework();
    ApiGuard guard;
    if (size < 1) return 0;
    const bool withMask = data[0] & 1;
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

    const int h = LoadImageFile(path.c_str(), 0);
    if (h != -1) {
        SetDrawTarget(-2);
        DrawImageAt(-3, 5, h, 1);
        SetScaleFilter(1);
        DrawImageRotated(320, 240, 1.7, 0.6, h, 1, 1);
        SetScaleFilter(0);
        DeleteImage(h);
    }
    int cells[6];
    if (LoadImageStrip(path.c_str(), 6, 3, 2, 7, 5, cells, 0) == 0)
        for (int c : cells) DeleteImage(c);
    return 0;
}
