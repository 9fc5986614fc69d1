// Graphic handles: their bit layout, the shared check counter, the next-free
// hint and slot reuse, validation of foreign and stale values, the fatal exit
// of a full table, sizes, offscreen images as draw targets and capture.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "framework/backend/raster/raster_queue.h"
#include "framework/framework.h"
#include "framework/graphics/draw_target.h"
#include "framework/graphics/image_table.h"
#include "tests/support/headless_test.h"
#include "tests/support/image_test_support.h"

namespace {

class GraphicsHandles : public HeadlessTest {};

const int KIND = 1 << 27;

} // namespace

TEST(GraphicsHandlesBeforeInit, ScreenSizeForBuffersBeforeInit) {
    int w = 1, h = 1;
    EXPECT_EQ(GetImageSize(-2, &w, &h), 0);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    w = h = 1;
    EXPECT_EQ(GetImageSize(-4, &w, nullptr), 0);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(GetImageSize(-4, nullptr, &h), 0);
    EXPECT_EQ(h, 480);
    EXPECT_EQ(GetImageSize(-3, &w, &h), -1);
    EXPECT_EQ(SetDrawTarget(-2), -1);   // no target before init
}

TEST_F(GraphicsHandles, LayoutCounterAndValidation) {
    int a = MakeOffscreenImage(4, 3, 0);
    int b = MakeOffscreenImage(5, 6, 0);
    // The counter is process-wide; it starts at 0 and keeps counting across
    // framework restarts, so the check numbers are compared relative to a's.
    const int c0 = (a >> 16) & 0x7FF;
    EXPECT_EQ(a, KIND + c0 * 65536 + 0);
    EXPECT_EQ(b, KIND + (c0 + 1) % 2048 * 65536 + 1);
    int w = 0, h = 0;
    EXPECT_EQ(GetImageSize(b, &w, &h), 0);
    EXPECT_EQ(w, 5);
    EXPECT_EQ(h, 6);

    // Negative, foreign kind, bit 15, wrong check number, empty slot.
    const int cb = b & ~0x7FFF & ~KIND;   // b's check number in place
    const int bad[] = {-1, -5, (2 << 27) + cb + 1, (4 << 27) + cb + 1, KIND + cb + 1 + 0x8000, KIND + cb + 65536 + 1,
                       KIND + cb + 7, (KIND | (1 << 28)) + cb + 1, cb + 1};
    for (int handle : bad) {
        w = h = 77;
        EXPECT_EQ(GetImageSize(handle, &w, &h), -1) << handle;
        EXPECT_EQ(w, 77);
        EXPECT_EQ(h, 77);
        EXPECT_EQ(DrawImageAt(0, 0, handle, 0), -1);
        EXPECT_EQ(DrawImageRotated(10, 10, 1.0, 0.0, handle, 0, 0), -1);
        EXPECT_EQ(DrawImageQuad(0, 0, 4, 0, 4, 4, 0, 4, handle, 0), -1);
        EXPECT_EQ(DeleteImage(handle), -1);
        EXPECT_EQ(SetDrawTarget(handle), -1);
        EXPECT_EQ(CaptureScreenToImage(0, 0, 4, 4, handle, 1), -1);
    }

    // Deleting frees the slot; the hint goes on upward, so the next image takes
    // slot 2 and the stale handle of slot 0 stays invalid.
    EXPECT_EQ(DeleteImage(a), 0);
    EXPECT_EQ(DeleteImage(a), -1);
    EXPECT_EQ(GetImageSize(a, &w, &h), -1);
    int c = MakeOffscreenImage(1, 1, 0);
    EXPECT_EQ(c, KIND + (c0 + 2) % 2048 * 65536 + 2);
}

TEST_F(GraphicsHandles, SlotsReusedOnceTheHintReachesTheEnd) {
    int first = MakeOffscreenImage(1, 1, 0);
    const int c0 = (first >> 16) & 0x7FF;
    int fifth = -1;
    for (int i = 1; i < IMAGE_SLOTS; i++) {
        int h = MakeOffscreenImage(1, 1, 1);
        ASSERT_NE(h, -1);
        if (i == 5) fifth = h;
        ASSERT_EQ(h & 0x7FFF, i);
        ASSERT_EQ((h >> 16) & 0x7FF, (c0 + i) % 2048);   // one counter, wrapping at 2048
    }
    EXPECT_EQ(ImageCount(), IMAGE_SLOTS);
    EXPECT_EQ(DeleteImage(fifth), 0);
    EXPECT_EQ(DeleteImage(first), 0);
    EXPECT_EQ(GetImageSize(first, nullptr, nullptr), -1);
    // The lowest empty slot is taken now: slot 0, then slot 5. After 32768
    // handles the counter is back at slot 0's old number, so that handle is
    // valid again (a stale handle is caught only until the counter wraps);
    // slot 5's new number differs from its old one.
    int again0 = MakeOffscreenImage(2, 2, 0);
    int again5 = MakeOffscreenImage(2, 2, 0);
    EXPECT_EQ(again0 & 0x7FFF, 0);
    EXPECT_EQ(again5 & 0x7FFF, 5);
    EXPECT_EQ(again0, first);
    EXPECT_EQ((again5 >> 16) & 0x7FF, (c0 + IMAGE_SLOTS + 1) % 2048);
    EXPECT_EQ(GetImageSize(fifth, nullptr, nullptr), -1);   // stale: check number differs
    EXPECT_EQ(GetImageSize(again5, nullptr, nullptr), 0);
}

TEST_F(GraphicsHandles, FullTableEndsTheProcessWithMinusOne) {
    // The child runs the test afresh (the framework has a pump thread).
    // The child starts in a temporary directory of its own; it restarts the
    // framework in the parent's so that the parent can read the log.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    setenv("VORTALIS_DEATH_DIR", here, 0);
    EXPECT_EXIT(
        {
            FrameworkEnd();
            if (chdir(getenv("VORTALIS_DEATH_DIR")) != 0) std::exit(3);
            FrameworkInit();
            for (int i = 0; i <= IMAGE_SLOTS; i++) MakeOffscreenImage(1, 1, 0);
        },
        ::testing::ExitedWithCode(255), "");
    EXPECT_NE(LogText().find("グラフィックの数が許容量を越えました終了します"), std::string::npos);
}

TEST_F(GraphicsHandles, OffscreenImageAsTargetClearAndCapture) {
    int img = MakeOffscreenImage(8, 6, 0);
    ASSERT_NE(img, -1);
    int red = MakeTestImage(2, 2, std::vector<uint32_t>(4, 0xFFFF0000u), false);
    ASSERT_NE(red, -1);
    EXPECT_EQ(SetDrawTarget(red), -1);   // loaded images are not drawable
    EXPECT_EQ(GraphicsTargetHandle(), -2);

    ASSERT_EQ(SetDrawTarget(img), 0);
    ClipRect a = *GraphicsDrawArea();
    EXPECT_EQ(a.right, 8);
    EXPECT_EQ(a.bottom, 6);
    EXPECT_EQ(DrawImageAt(7, 5, red, 0), 0);   // clipped to the image
    EXPECT_EQ(ImagePixel(img, 7, 5), 0xFFFF0000u);
    EXPECT_EQ(ImagePixel(img, 6, 5), 0xFF000000u);
    EXPECT_EQ(ClearDrawTarget(), 0);
    EXPECT_EQ(ImagePixel(img, 7, 5), 0xFF000000u);

    // Back to the screen: the draw area becomes the whole screen again.
    ASSERT_EQ(SetDrawTarget(-2), 0);
    a = *GraphicsDrawArea();
    EXPECT_EQ(a.right, 640);
    EXPECT_EQ(a.bottom, 480);
    DrawImageAt(100, 50, red, 0);
    // Capture (99..103) × (49..51) of the back buffer into the image's top-left.
    EXPECT_EQ(CaptureScreenToImage(99, 49, 103, 52, img, 1), 0);
    EXPECT_EQ(ImagePixel(img, 0, 0), 0xFF000000u);
    EXPECT_EQ(ImagePixel(img, 1, 1), 0xFFFF0000u);
    EXPECT_EQ(ImagePixel(img, 2, 2), 0xFFFF0000u);
    EXPECT_EQ(ImagePixel(img, 3, 2), 0xFF000000u);
    EXPECT_EQ(ImagePixel(img, 4, 1), 0xFF000000u);   // outside the captured rectangle: untouched
    // The whole screen into a smaller image: only what fits is copied.
    EXPECT_EQ(CaptureScreenToImage(0, 0, 640, 480, img, 1), 0);
    EXPECT_EQ(ImagePixel(img, 0, 0), 0xFF000000u);

    // Deleting the image that is the target falls back to the back buffer.
    ASSERT_EQ(SetDrawTarget(img), 0);
    EXPECT_EQ(DeleteImage(img), 0);
    EXPECT_EQ(GraphicsTargetHandle(), -2);
    EXPECT_EQ(MakeOffscreenImage(0, 5, 0), -1);
    EXPECT_EQ(MakeOffscreenImage(20000, 5, 0), -1);
}

TEST_F(GraphicsHandles, DrawsBeforeAnyTargetReturnZeroWithoutDrawing) {
    FrameworkEnd();
    int img = MakeTestImage(1, 1, {0xFFFFFFFFu}, false);
    ASSERT_NE(img, -1);
    EXPECT_EQ(DrawImageAt(0, 0, img, 0), 0);
    EXPECT_EQ(DrawRect(0, 0, 5, 5, MakeColor(255, 255, 255), 1), 0);
    EXPECT_EQ(DrawImageRotated(0, 0, 0.0, 0.0, img, 0, 0), -1);
    ASSERT_EQ(FrameworkInit(), 0);
}

// Pictures decoded ahead on worker threads load exactly as pictures read on
// the spot: the same handles in the same order, the same pixels, the same log
// lines, for good, masked, broken and missing files, for a path listed twice
// and loaded three times, one loaded but never listed, and one listed but
// never loaded (dropped when the framework ends).
TEST_F(GraphicsHandles, PreloadedPicturesLoadAsPicturesReadOnTheSpot) {
    std::vector<uint32_t> plain(6 * 5), masked(8 * 4), mask(8 * 4);
    for (size_t i = 0; i < plain.size(); i++) plain[i] = 0xFF000000u | static_cast<uint32_t>(i * 0x0A0B0C);
    for (size_t i = 0; i < masked.size(); i++) {
        masked[i] = 0xFF000000u | static_cast<uint32_t>(i * 0x050607 + 0x102030);
        mask[i] = 0xFF000000u | static_cast<uint32_t>((i * 37) & 0xFF);
    }
    ASSERT_TRUE(WriteBytes("plain.bgra", BgraFile(6, 5, plain, false)));
    ASSERT_TRUE(WriteBytes("masked.bgra", BgraFile(8, 4, masked, false)));
    ASSERT_TRUE(WriteBytes("masked_a.bgra", BgraFile(8, 4, mask, false)));
    ASSERT_TRUE(WriteBytes("twice.bgra", BgraFile(6, 5, plain, true)));
    ASSERT_TRUE(WriteBytes("broken.png", std::vector<uint8_t>{0x89, 'P', 'N', 'G', 1, 2, 3}));
    const char* listed[] = {"plain.bgra", "masked.bgra", "broken.png", "missing.png", "twice.bgra",
                            "twice.bgra", nullptr, "never.bgra"};
    ASSERT_TRUE(WriteBytes("never.bgra", BgraFile(6, 5, plain, false)));

    struct Outcome {
        std::vector<int> handles;
        std::vector<uint32_t> pixels;
        std::string log;
    };
    auto loadAll = [&](bool preload) {
        Outcome o;
        const size_t logFrom = LogText().size();
        RasterQueueSetThreads(preload ? 3 : 1);
        EXPECT_EQ(PreloadImageFiles(listed, 8), 0);
        int cells[2] = {-1, -1};
        o.handles.push_back(LoadImageFile("plain.bgra", 0));
        o.handles.push_back(LoadImageStrip("masked.bgra", 2, 2, 1, 4, 4, cells, 0));
        o.handles.insert(o.handles.end(), cells, cells + 2);
        o.handles.push_back(LoadImageFile("broken.png", 0));
        o.handles.push_back(LoadImageFile("missing.png", 0));
        for (int k = 0; k < 3; k++) o.handles.push_back(LoadImageFile("twice.bgra", 0));
        o.handles.push_back(LoadImageFile("plain.bgra", 0));
        for (int h : o.handles) {
            int w = 0, ht = 0;
            if (h < 0 || GetImageSize(h, &w, &ht) != 0) continue;
            for (int y = 0; y < ht; y++)
                for (int x = 0; x < w; x++) o.pixels.push_back(ImagePixel(h, x, y));
        }
        o.log = LogText().substr(logFrom);
        return o;
    };
    const Outcome onTheSpot = loadAll(false);
    FrameworkEnd();
    HeadlessSelect();
    ASSERT_EQ(FrameworkInit(), 0);
    ASSERT_EQ(SetDrawTarget(-2), 0);
    const Outcome preloaded = loadAll(true);
    RasterQueueSetThreads(0);
    // The shared check counter goes on across the restart: compare the slots.
    auto slots = [](std::vector<int> v) {
        for (int& h : v) h = h > 0 ? h & (IMAGE_SLOTS - 1) : h;
        return v;
    };
    EXPECT_EQ(slots(preloaded.handles), slots(onTheSpot.handles));
    EXPECT_EQ(preloaded.pixels, onTheSpot.pixels);
    EXPECT_EQ(preloaded.log, onTheSpot.log);
    EXPECT_EQ(onTheSpot.pixels.size(), size_t(30 + 32 + 3 * 30 + 30));
    EXPECT_NE(onTheSpot.log.find("broken.png"), std::string::npos);
    EXPECT_NE(onTheSpot.log.find("missing.png"), std::string::npos);
    EXPECT_EQ(PreloadImageFiles(nullptr, 1), -1);
    EXPECT_EQ(PreloadImageFiles(listed, -1), -1);
}
