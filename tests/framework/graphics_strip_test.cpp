// LoadImageStrip: cells cut row by row sharing the parent's pixels, shortened
// edge cells, the count limit, and the failure path with its log line and
// cleanup when a cell would start at or beyond the picture's edge.
#include <gtest/gtest.h>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "framework/graphics/image_table.h"
#include "tests/support/headless_test.h"
#include "tests/support/image_test_support.h"

namespace {

class GraphicsStrip : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        if (HasFatalFailure()) return;
        // 10 × 7 picture: pixel (x, y) has red x, green y.
        std::vector<uint32_t> px;
        for (int y = 0; y < 7; y++)
            for (int x = 0; x < 10; x++) px.push_back(0xFF000000u | x << 16 | y << 8 | 1);
        WriteBytes("strip.bgra", BgraFile(10, 7, px, false));
    }
};

} // namespace

TEST_F(GraphicsStrip, CellsInReadingOrderWithShortenedEdges) {
    int h[6] = {0, 0, 0, 0, 0, 0};
    ASSERT_EQ(LoadImageStrip("strip.bgra", 6, 3, 2, 4, 4, h, 0), 0);
    const int sizes[6][2] = {{4, 4}, {4, 4}, {2, 4}, {4, 3}, {4, 3}, {2, 3}};
    for (int i = 0; i < 6; i++) {
        int w = 0, ht = 0;
        ASSERT_EQ(GetImageSize(h[i], &w, &ht), 0);
        EXPECT_EQ(w, sizes[i][0]) << i;
        EXPECT_EQ(ht, sizes[i][1]) << i;
        // The cell's top-left pixel is the picture's (k × 4, j × 4).
        EXPECT_EQ(ImagePixel(h[i], 0, 0), 0xFF000000u | ((i % 3) * 4) << 16 | ((i / 3) * 4) << 8 | 1);
    }
    // The parent was deleted: the handles are the cells' alone (slots 1..6).
    EXPECT_EQ(ImageCount(), 6);
    EXPECT_EQ(h[0] & 0x7FFF, 1);
    EXPECT_EQ(h[5] & 0x7FFF, 6);
    // Drawing a cell shows only its part of the picture.
    DrawImageAt(50, 50, h[5], 0);
    EXPECT_EQ(BackPixel(50, 50), 0x080401u);
    EXPECT_EQ(BackPixel(51, 52), 0x090601u);
    EXPECT_EQ(BackPixel(52, 50), 0u);
    EXPECT_EQ(BackPixel(50, 53), 0u);
    // Cells share pixels: deleting some keeps the rest intact.
    for (int i = 0; i < 5; i++) EXPECT_EQ(DeleteImage(h[i]), 0);
    EXPECT_EQ(ImagePixel(h[5], 1, 2), 0xFF090601u);
}

TEST_F(GraphicsStrip, CountStopsEarlyAndLeavesTheRestUntouched) {
    int h[6] = {-7, -7, -7, -7, -7, -7};
    ASSERT_EQ(LoadImageStrip("strip.bgra", 4, 3, 2, 3, 3, h, 0), 0);
    EXPECT_NE(h[3], -7);
    EXPECT_EQ(h[4], -7);
    EXPECT_EQ(h[5], -7);
    EXPECT_EQ(ImagePixel(h[3], 0, 0), 0xFF000301u);   // row 1, column 0
    EXPECT_EQ(ImageCount(), 4);
}

TEST_F(GraphicsStrip, CellsBeyondThePictureFailWithCleanup) {
    int h[8] = {-7, -7, -7, -7, -7, -7, -7, -7};
    // Column 3 starts at x = 12 in a 10-wide picture.
    EXPECT_EQ(LoadImageStrip("strip.bgra", 8, 4, 2, 4, 4, h, 0), -1);
    EXPECT_NE(LogText().find("グラフィックの分割に失敗しました in CreateDivGraphFromGraphImage\r\n"), std::string::npos);
    for (int v : h) EXPECT_EQ(v, -7);
    EXPECT_EQ(ImageCount(), 0);
    // A cell starting exactly at the edge fails too (5 × 2 = 10).
    EXPECT_EQ(LoadImageStrip("strip.bgra", 3, 3, 1, 5, 7, h, 0), -1);
    EXPECT_EQ(LoadImageStrip("strip.bgra", 2, 1, 2, 10, 7, h, 0), -1);
    EXPECT_EQ(ImageCount(), 0);
    // Exactly filling the picture is fine.
    EXPECT_EQ(LoadImageStrip("strip.bgra", 2, 2, 1, 5, 7, h, 0), 0);
    // Zero-sized cells and a missing output array fail as well.
    EXPECT_EQ(LoadImageStrip("strip.bgra", 1, 1, 1, 0, 7, h, 0), -1);
    EXPECT_EQ(LoadImageStrip("strip.bgra", 1, 1, 1, 4, 4, nullptr, 0), -1);
    EXPECT_EQ(ImageCount(), 2);
    // A missing file: its log lines, and the strip's own.
    EXPECT_EQ(LoadImageStrip("gone.png", 1, 1, 1, 4, 4, h, 0), -1);
    EXPECT_NE(LogText().find("グラフィックファイル gone.png がありません"), std::string::npos);
    EXPECT_NE(LogText().find("右記のグラフィックファイルのロードに失敗しました：gone.png\r\n"), std::string::npos);
}
