// A few bytes of run-length TGA claiming a picture of 64 Mi pixels: refused
// from the header, before any memory is set aside for the picture.
#include <gtest/gtest.h>

#include <string>

#include "framework/backend/image/image_readers.h"

TEST(FuzzRegression, TinyRleTgaClaimingAHugePictureIsRefused) {
    std::string tga(18, '\0');
    tga[2] = 10;                       // run-length true colour
    tga[12] = '\0'; tga[13] = 0x40;    // width 16384
    tga[14] = '\0'; tga[15] = 0x10;    // height 4096
    tga[16] = 32;
    for (int i = 0; i < 8; i++) tga += std::string("\xFF\x10\x20\x30\x40", 5);   // 8 runs of 128 pixels
    tga += std::string(8, '\0') + "TRUEVISION-XFILE." + std::string(1, '\0');
    DecodedImage img;
    EXPECT_FALSE(DecodeTga(reinterpret_cast<const uint8_t*>(tga.data()), tga.size(), &img));
    EXPECT_TRUE(img.pixels.empty());

    // The same runs for a picture they can fill still decode.
    tga[12] = 32; tga[13] = 0; tga[14] = 32; tga[15] = 0;   // 32 × 32 = 1024 pixels = 8 runs
    ASSERT_TRUE(DecodeTga(reinterpret_cast<const uint8_t*>(tga.data()), tga.size(), &img));
    EXPECT_EQ(img.width, 32);
    EXPECT_EQ(img.pixels[1023], 0x40302010u);
}
