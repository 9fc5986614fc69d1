// Checks the images the art build writes into dat/img: every file the game
// loads decodes at the size its cuts need, overlay layers are transparent,
// stage layers tile, strips have a picture in every cell, and bullets and
// bosses fill their hit circles. Skips when the data has not been built.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Rgba {
    int width = 0, height = 0;
    bool has_alpha = false;  // the file itself stores an alpha channel
    std::vector<uint8_t> px;
    const uint8_t* At(int x, int y) const {
        return &px[(size_t(y) * width + x) * 4];
    }
    int Alpha(int x, int y) const {
        return At(x, y)[3];
    }
};

// Decodes a PNG to 8-bit RGBA with libpng; false when the file is missing or broken.
bool ReadPng(const std::string& path, Rgba& out) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    out.has_alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_RGBA;
    out.width = int(image.width);
    out.height = int(image.height);
    out.px.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, out.px.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    return true;
}

const std::string kImg = std::string(VORTALIS_BINARY_DIR) + "/dat/img/";

bool DataBuilt() {
    return std::filesystem::exists(kImg + "title/back.png");
}

#define REQUIRE_DATA()                                                         \
    if (!DataBuilt()) {                                                        \
        GTEST_SKIP() << "dat/img not built: run `ninja dat` before the tests"; \
    }

// How an image is drawn decides what its pixels must be.
enum Use {
    kSprite,   // drawn over the scene: needs real transparency
    kOpaque,   // drawn full screen without transparency: every pixel opaque
    kOverlay,  // stage layer drawn over a farther one: transparent and opaque areas
};

struct Expected {
    const char* path;
    int width, height;
    Use use;
};

// Every image the asset loader names, with the size its cut requires. Cut
// images must be exact multiples of their cells; whole images have the size
// their placement needs (640x480 screens, 700x480 tiling stage layers).
const Expected kImages[] = {
    {"title/back.png", 640, 480, kOpaque},
    {"title/nalu.png", 400, 480, kSprite},
    {"title/logo.png", 400, 210, kSprite},
    {"title/start.png", 200, 56, kSprite},
    {"title/settings.png", 200, 56, kSprite},
    {"title/end.png", 200, 56, kSprite},
    {"title/practice.png", 200, 56, kSprite},
    {"title/records.png", 200, 56, kSprite},
    {"title/brix.png", 640, 480, kOpaque},
    {"title/en/logo.png", 400, 210, kSprite},
    {"title/en/start.png", 200, 56, kSprite},
    {"title/en/settings.png", 200, 56, kSprite},
    {"title/en/end.png", 200, 56, kSprite},
    {"title/en/practice.png", 200, 56, kSprite},
    {"title/en/records.png", 200, 56, kSprite},
    {"title/en/replay.png", 200, 56, kSprite},
    {"back/sora1.png", 700, 480, kOverlay},
    {"back/sora0.png", 700, 480, kOpaque},
    {"back/umi0.png", 700, 480, kOverlay},
    {"back/umi1.png", 700, 480, kOverlay},
    {"back/umi2.png", 700, 480, kOpaque},
    {"back/kaityu.png", 700, 480, kOpaque},
    {"back/kiti.png", 700, 480, kOpaque},
    {"back/nowload.png", 640, 480, kOpaque},
    {"back/map.png", 256, 128, kOpaque},
    {"bullet/sumi2.png", 44, 60, kSprite},
    {"bullet/sumi3.png", 28, 40, kSprite},
    {"bullet/tama.png", 18, 18, kSprite},
    {"bullet/fire.png", 24, 40, kSprite},
    {"char/chmodel.png", 192, 144, kSprite},
    {"char/negi.png", 40, 14, kSprite},
    {"char/onpu.png", 16, 20, kSprite},
    {"char/speaker.png", 26, 26, kSprite},
    {"char/tshot-v.png", 402, 139, kSprite},
    {"enemy/hit_effect.png", 700, 140, kSprite},
    {"etc/hoshi.png", 12, 12, kSprite},
    {"item/p0.png", 70, 35, kSprite},
    {"item/p1.png", 70, 35, kSprite},
    {"item/p2.png", 30, 15, kSprite},
    {"item/p3.png", 70, 35, kSprite},
    {"item/p4.png", 70, 35, kSprite},
    {"item/p5.png", 70, 35, kSprite},
    {"num/2.png", 160, 18, kSprite},
    {"char/01_boss.png", 128, 128, kSprite},
    {"char/02_boss.png", 128, 128, kSprite},
    {"char/03_boss.png", 128, 128, kSprite},
    {"char/04_boss_01.png", 64, 64, kSprite},
    {"char/04_boss_02.png", 56, 56, kSprite},
    {"char/tako3.png", 280, 280, kSprite},
    {"char/tame.png", 144, 48, kOpaque},
    {"adv1/sora.png", 640, 480, kOpaque},
    {"adv1/adv_back.png", 640, 480, kOpaque},
    {"adv1/adv_last.png", 640, 480, kOpaque},
    {"adv1/adv_nalu1.png", 300, 480, kSprite},
    {"adv1/adv_nalu2.png", 300, 480, kSprite},
    {"adv1/adv_nalu3.png", 300, 480, kSprite},
    {"adv1/adv_nalu4.png", 300, 480, kSprite},
    {"adv1/adv_sela1.png", 300, 480, kSprite},
    {"adv1/adv_sela2.png", 300, 480, kSprite},
    {"adv1/adv_sela3.png", 300, 480, kSprite},
    {"adv1/adv_tako1.png", 300, 480, kSprite},
    {"adv1/adv_tako2.png", 300, 480, kSprite},
    {"adv2/nalu1.png", 120, 120, kSprite},
    {"adv2/nalu2.png", 120, 120, kSprite},
    {"adv2/nalu3.png", 120, 120, kSprite},
    {"adv2/nalu4.png", 120, 120, kSprite},
    {"adv2/sela1.png", 120, 120, kSprite},
    {"adv2/sela2.png", 120, 120, kSprite},
    {"adv2/sela3.png", 120, 120, kSprite},
    {"adv1/adv_textbox.png", 560, 100, kSprite},
};

int CountAlpha(const Rgba& img, int x0, int y0, int w, int h, int min_alpha) {
    int n = 0;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) n += img.Alpha(x, y) >= min_alpha;
    return n;
}

TEST(ArtImages, EveryLoadedImageDecodesAtItsSizeWithTheAlphaItsUseNeeds) {
    REQUIRE_DATA();
    for (const Expected& e : kImages) {
        SCOPED_TRACE(e.path);
        Rgba img;
        ASSERT_TRUE(ReadPng(kImg + e.path, img));
        EXPECT_EQ(img.width, e.width);
        EXPECT_EQ(img.height, e.height);
        const int total = img.width * img.height;
        const int opaque = CountAlpha(img, 0, 0, img.width, img.height, 255);
        const int clear = total - CountAlpha(img, 0, 0, img.width, img.height, 1);
        switch (e.use) {
            case kOpaque:
                EXPECT_EQ(opaque, total);
                break;
            case kSprite:
                EXPECT_TRUE(img.has_alpha);
                EXPECT_GT(clear, 0) << "a sprite needs transparent pixels around it";
                EXPECT_GT(CountAlpha(img, 0, 0, img.width, img.height, 128), total / 20);
                break;
            case kOverlay:
                EXPECT_TRUE(img.has_alpha);
                EXPECT_GT(clear, total / 4) << "a near layer must let the far ones show";
                EXPECT_GT(CountAlpha(img, 0, 0, img.width, img.height, 128), total / 50)
                    << "a near layer must draw something";
                break;
        }
    }
}

// The play field draws each layer twice, 700 pixels apart, so column 699 of a
// layer meets its column 0: the two must continue each other.
TEST(ArtImages, StageLayersTileAt700Pixels) {
    REQUIRE_DATA();
    for (const char* layer : {"sora0", "sora1", "umi0", "umi1", "umi2", "kaityu", "kiti"}) {
        SCOPED_TRACE(layer);
        Rgba img;
        ASSERT_TRUE(ReadPng(kImg + "back/" + layer + ".png", img));
        ASSERT_EQ(img.width, 700);
        // Compare the seam with the ordinary step between neighbouring columns:
        // its mean channel step, and the rows where it jumps hard (an edge cut
        // off at the border shows as a run of such rows).
        auto mean_step = [&](int a, int b) {
            double sum = 0;
            for (int y = 0; y < img.height; ++y)
                for (int c = 0; c < 4; ++c) sum += std::abs(int(img.At(a, y)[c]) - int(img.At(b, y)[c]));
            return sum / img.height;
        };
        auto hard_rows = [&](int a, int b) {
            int rows = 0;
            for (int y = 0; y < img.height; ++y) {
                int step = 0;
                for (int c = 0; c < 4; ++c)
                    step = std::max(step, std::abs(int(img.At(a, y)[c]) - int(img.At(b, y)[c])));
                rows += step > 32;
            }
            return rows;
        };
        std::vector<double> means;
        std::vector<int> hards;
        for (int x = 1; x < 700; ++x) {
            means.push_back(mean_step(x - 1, x));
            hards.push_back(hard_rows(x - 1, x));
        }
        std::nth_element(means.begin(), means.begin() + means.size() / 2, means.end());
        std::nth_element(hards.begin(), hards.begin() + hards.size() / 2, hards.end());
        EXPECT_LE(mean_step(699, 0), 2 * means[means.size() / 2] + 2);
        EXPECT_LE(hard_rows(699, 0), hards[hards.size() / 2] + 2);
    }
}

// Strips are cut into cells; an empty cell would make a sprite blink away.
TEST(ArtImages, EveryCellOfEveryStripHoldsAPicture) {
    REQUIRE_DATA();
    struct Strip {
        std::string path;
        int across, down, cell_w, cell_h;
    };
    std::vector<Strip> strips = {
        {"char/chmodel.png", 4, 3, 48, 48},       {"char/tshot-v.png", 3, 1, 134, 139},
        {"enemy/hit_effect.png", 5, 1, 140, 140}, {"item/p2.png", 2, 1, 15, 15},
        {"back/map.png", 8, 4, 32, 32},           {"num/2.png", 10, 1, 16, 18},
        {"char/tame.png", 3, 1, 48, 48},
    };
    for (int k = 0; k <= 5; ++k)
        if (k != 2) strips.push_back({"item/p" + std::to_string(k) + ".png", 2, 1, 35, 35});
    for (int kind = 1; kind <= 5; ++kind)
        for (int set = 0; set <= 2; ++set)
            strips.push_back(
                {"enemy/" + std::to_string(kind) + "-" + std::to_string(set) + ".png", 3, 3, 32, 32});

    for (const Strip& s : strips) {
        SCOPED_TRACE(s.path);
        Rgba img;
        ASSERT_TRUE(ReadPng(kImg + s.path, img));
        ASSERT_EQ(img.width, s.across * s.cell_w);
        ASSERT_EQ(img.height, s.down * s.cell_h);
        std::vector<std::vector<uint8_t>> cells;
        for (int cy = 0; cy < s.down; ++cy)
            for (int cx = 0; cx < s.across; ++cx) {
                std::vector<uint8_t> cell;
                int inked = 0;
                for (int y = cy * s.cell_h; y < (cy + 1) * s.cell_h; ++y)
                    for (int x = cx * s.cell_w; x < (cx + 1) * s.cell_w; ++x) {
                        const uint8_t* p = img.At(x, y);
                        cell.insert(cell.end(), p, p + 4);
                        // the multiply glow is tinted on white: ink there is colour, not alpha
                        inked += s.path == "char/tame.png" ? (p[0] < 240 || p[1] < 240 || p[2] < 240)
                                                           : p[3] >= 128;
                    }
                EXPECT_GT(inked, s.cell_w * s.cell_h / 40) << "cell " << cells.size() << " is empty";
                cells.push_back(cell);
            }
        // Animation frames and digits must differ from each other.
        for (size_t a = 0; a < cells.size(); ++a)
            for (size_t b = a + 1; b < cells.size(); ++b)
                EXPECT_NE(cells[a], cells[b]) << "cells " << a << " and " << b << " are identical";
    }
}

// The multiply blend leaves white untouched, so the glow's ground is pure white
// and its rings get stronger from cell 0 to cell 2.
TEST(ArtImages, ChargeGlowIsTintOnWhiteGrowingWithTheCharge) {
    REQUIRE_DATA();
    Rgba img;
    ASSERT_TRUE(ReadPng(kImg + "char/tame.png", img));
    for (int cell = 0; cell < 3; ++cell) {
        const uint8_t* corner = img.At(cell * 48, 0);
        EXPECT_EQ(corner[0], 255);
        EXPECT_EQ(corner[1], 255);
        EXPECT_EQ(corner[2], 255);
    }
    auto darkness = [&](int cell) {
        long sum = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = cell * 48; x < cell * 48 + 48; ++x)
                sum += 3 * 255 - img.At(x, y)[0] - img.At(x, y)[1] - img.At(x, y)[2];
        return sum;
    };
    EXPECT_LT(darkness(0), darkness(1));
    EXPECT_LT(darkness(1), darkness(2));
}

// A bullet's picture shows its hit circle: the disc of the hit radius around
// the image centre is filled, and kinds drawn along their heading lead upwards,
// so nothing is drawn above the circle while the trail hangs below it.
TEST(ArtImages, BulletsFillTheirHitCirclesAndLeadUpwards) {
    REQUIRE_DATA();
    struct Bullet {
        const char* path;
        int radius;
        bool heading;
    };
    for (const Bullet& b : {Bullet{"bullet/sumi2.png", 20, true}, Bullet{"bullet/sumi3.png", 12, true},
                            Bullet{"bullet/tama.png", 7, false}, Bullet{"bullet/fire.png", 10, true}}) {
        SCOPED_TRACE(b.path);
        Rgba img;
        ASSERT_TRUE(ReadPng(kImg + b.path, img));
        const double cx = img.width / 2.0, cy = img.height / 2.0;
        int inside = 0, inside_solid = 0, above = 0, below = 0;
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x) {
                const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                if (d <= b.radius - 2) {
                    ++inside;
                    inside_solid += img.Alpha(x, y) >= 200;
                } else if (d > b.radius + 2 && img.Alpha(x, y) >= 64) {
                    (y + 0.5 < cy ? above : below) += 1;
                }
            }
        EXPECT_GE(inside_solid, inside * 95 / 100);
        EXPECT_LE(img.width, 2 * b.radius + 10) << "the picture should not be much wider than its circle";
        if (b.heading) {
            EXPECT_EQ(above, 0) << "nothing may lead ahead of the hit circle";
            EXPECT_GT(below, 10) << "a trail shows which way the bullet flies";
        }
    }
}

// Bosses are sized to their hit radii (50, 50, 50, 25, 120): the picture is at
// least the circle's width and its body covers the middle of the circle.
TEST(ArtImages, BossesCoverTheirHitCircles) {
    REQUIRE_DATA();
    struct Boss {
        const char* path;
        int radius;
    };
    for (const Boss& b :
         {Boss{"char/01_boss.png", 50}, Boss{"char/02_boss.png", 50}, Boss{"char/03_boss.png", 50},
          Boss{"char/04_boss_01.png", 25}, Boss{"char/04_boss_02.png", 25}, Boss{"char/tako3.png", 120}}) {
        SCOPED_TRACE(b.path);
        Rgba img;
        ASSERT_TRUE(ReadPng(kImg + b.path, img));
        EXPECT_GE(img.width, 2 * b.radius);
        EXPECT_GE(img.height, 2 * b.radius);
        const double cx = img.width / 2.0, cy = img.height / 2.0;
        int core = 0, solid = 0, ring = 0, ring_solid = 0;
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x) {
                const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                if (d <= b.radius * 0.5) {
                    ++core;
                    solid += img.Alpha(x, y) >= 200;
                } else if (d > b.radius * 0.7 && d <= b.radius) {
                    ++ring;
                    ring_solid += img.Alpha(x, y) >= 128;
                }
            }
        EXPECT_GE(solid, core * 95 / 100) << "the middle of the hit circle is body";
        EXPECT_GE(ring_solid, ring / 2) << "the body reaches out towards the hit radius";
    }
}

}  // namespace
