// Font handles: the 40-slot table, the check counter, explicit slots and check
// numbers, deletion and reuse, rejection of every malformed handle, and the
// normalisation CreateFontToHandle applies to its arguments.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "framework/graphics/font.h"
#include "tests/support/files.h"
#include "tests/support/headless_test.h"

namespace {

std::string ReadLog() {
    std::ifstream in("Log.txt", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) n++;
    return n;
}

int Plain(int slot = -1, int check = -1) { return CreateFontToHandle(nullptr, 16, -1, 0, -1, -1, 0, slot, check); }

class FontHandles : public HeadlessTest {};

} // namespace

TEST_F(FontHandles, FortyFontsFitTheFortyFirstFailsWithTheLimitLine) {
    int handles[FONT_MAX];
    for (int i = 0; i < FONT_MAX; i++) {
        handles[i] = Plain();
        // Kind 4 (bit 29), the counter's check number, the lowest free slot.
        ASSERT_EQ(handles[i], (1 << 29) + i * 65536 + i) << i;
    }
    EXPECT_EQ(Plain(), -1);
    EXPECT_EQ(Count(ReadLog(), "作成できるフォントハンドル数 40 の限界を超えました\r\n"), 1u);
    // A failed creation takes no check number: the next handle goes on from 40.
    ASSERT_EQ(DeleteFontHandle(handles[7]), 0);
    int reused = Plain();
    EXPECT_EQ(reused, (1 << 29) + 40 * 65536 + 7);
    EXPECT_EQ(TextWidthFontFmt(handles[7], "a"), -1) << "the stale handle of the reused slot";
    EXPECT_EQ(TextWidthFontFmt(reused, "a"), 8);
    EXPECT_EQ(Plain(), -1);
    EXPECT_EQ(Count(ReadLog(), "作成できるフォントハンドル数 40 の限界を超えました\r\n"), 2u);
}

TEST_F(FontHandles, ExplicitSlotAndCheckAreTakenAsGiven) {
    int h = Plain(12, 345);
    EXPECT_EQ(h, (1 << 29) + 345 * 65536 + 12);
    EXPECT_EQ(Plain(12, -1), -1) << "a given slot must be free";
    EXPECT_EQ(Plain(40, -1), -1);
    EXPECT_EQ(Plain(-2, -1), -1);
    // Explicit check numbers leave the counter alone; -1 takes it.
    EXPECT_EQ(Plain(), (1 << 29) + 0 * 65536 + 0);
    EXPECT_EQ(Plain(), (1 << 29) + 1 * 65536 + 1);
    EXPECT_EQ(Plain(39, 2047), (1 << 29) + 2047 * 65536 + 39);
    EXPECT_EQ(TextWidthFontFmt(h, "ab"), 16);
}

TEST_F(FontHandles, CheckCounterWrapsAfter2047) {
    int h = -1;
    for (int i = 0; i < 2048; i++) {
        h = Plain(0, -1);
        ASSERT_EQ(h, (1 << 29) + i * 65536) << i;
        ASSERT_EQ(DeleteFontHandle(h), 0);
    }
    EXPECT_EQ(Plain(), 1 << 29) << "check number back to 0";
}

TEST_F(FontHandles, MalformedAndStaleHandlesAreRejected) {
    int h = Plain();
    ASSERT_EQ(h, 1 << 29);
    const int bad[] = {
        -1, -2, 0, 5,
        (1 << 27),                       // a graphic handle's kind
        (1 << 28),                       // a sound handle's kind
        (1 << 29) | (1 << 27),           // two kind bits
        (1 << 29) | 0x8000,              // bit 15 set
        (1 << 29) + 1,                   // an empty slot
        (1 << 29) + 40,                  // beyond the table
        (1 << 29) + 7 * 65536,           // the right slot with another check number
        static_cast<int>(0x80000000u | (1u << 29)),
    };
    for (int b : bad) {
        EXPECT_EQ(TextWidthFontFmt(b, "x"), -1) << b;
        EXPECT_EQ(DeleteFontHandle(b), -1) << b;
    }
    EXPECT_EQ(Count(ReadLog(), "フォントハンドル値が異常です"), 0u) << "only drawing calls log";
    for (int b : bad) EXPECT_EQ(DrawTextFontFmt(0, 0, 0xFFFF, b, "x"), -1) << b;
    EXPECT_EQ(Count(ReadLog(), "フォントハンドル値が異常です\r\n"), sizeof bad / sizeof bad[0]);
    // An empty text with a bad handle still fails: the handle is checked first.
    EXPECT_EQ(DrawTextFontFmt(0, 0, 0xFFFF, h + 1, "%s", ""), -1);
    EXPECT_EQ(DrawTextFontFmt(0, 0, 0xFFFF, h, "%s", ""), 0);

    ASSERT_EQ(DeleteFontHandle(h), 0);
    EXPECT_EQ(DeleteFontHandle(h), -1);
    EXPECT_EQ(TextWidthFontFmt(h, "x"), -1);
    EXPECT_EQ(DrawTextFontFmt(0, 0, 0xFFFF, h, "x"), -1);
}

TEST_F(FontHandles, CreationNormalisesItsArguments) {
    FontInfo info;
    // type -1 → 0, edge -1 → 1, charSet -1 → Shift-JIS, size -1 → 16, thickness -1 → 6.
    int a = CreateFontToHandle(nullptr, -1, -1, -1, -1, -1, 0, -1, -1);
    ASSERT_EQ(FontGetInfo(a, &info), 0);
    EXPECT_EQ(info.type, 0);
    EXPECT_EQ(info.edgeSize, 1);
    EXPECT_EQ(info.charSet, 1);
    EXPECT_EQ(info.size, 16);
    EXPECT_EQ(info.thickness, 6);
    EXPECT_EQ(info.italic, 0);

    // An edge size above 1 turns the edge on; exactly 1 does not.
    int b = CreateFontToHandle("", 20, 3, 2, 0, 2, 1, -1, -1);
    ASSERT_EQ(FontGetInfo(b, &info), 0);
    EXPECT_EQ(info.type, 3);
    EXPECT_EQ(info.edgeSize, 2);
    EXPECT_EQ(info.charSet, 0);
    EXPECT_EQ(info.italic, 1);
    int c = CreateFontToHandle("", 20, 3, 2, 1, 1, 0, -1, -1);
    ASSERT_EQ(FontGetInfo(c, &info), 0);
    EXPECT_EQ(info.type, 2);
    EXPECT_EQ(info.edgeSize, 1);
    int d = CreateFontToHandle("", 20, 3, 0, 2, 5, 0, -1, -1);
    ASSERT_EQ(FontGetInfo(d, &info), 0);
    EXPECT_EQ(info.type, 1);
    EXPECT_EQ(info.charSet, 2);

    // The game's four fonts.
    int menu = CreateFontToHandle("HGPｺﾞｼｯｸE", 15, 2, 3, -1, -1, 0, -1, -1);
    ASSERT_EQ(FontGetInfo(menu, &info), 0);
    EXPECT_EQ(info.type, 3);
    EXPECT_EQ(info.size, 15);
    EXPECT_EQ(info.thickness, 2);
    EXPECT_EQ(info.edgeSize, 1);
    EXPECT_EQ(info.charSet, 1);
    // Cells: a multiple of 8 wide, an even number high, room for the edge;
    // the cache holds 327680 / width² cells, between 20 and 2024.
    EXPECT_EQ(info.cellWidth % 8, 0);
    EXPECT_EQ(info.cellHeight % 2, 0);
    EXPECT_GE(info.cellWidth, 15 + 2);
    EXPECT_GE(info.cellHeight, info.height + 2);
    EXPECT_EQ(info.cellCount, 327680 / (info.cellWidth * info.cellWidth));
    int big = CreateFontToHandle("HGP創英角ﾎﾟｯﾌﾟ体", 200, 3, 3, -1, -1, 0, -1, -1);
    ASSERT_EQ(FontGetInfo(big, &info), 0);
    EXPECT_EQ(info.cellCount, 20);
    int tiny = CreateFontToHandle(nullptr, 4, 1, 0, -1, -1, 0, -1, -1);
    ASSERT_EQ(FontGetInfo(tiny, &info), 0);
    EXPECT_EQ(info.cellCount, 2024);

    // The default font: size 16, thickness 6, type 0, Shift-JIS, edge 1.
    ASSERT_EQ(FontDefaultHandleInfo(&info), 0);
    EXPECT_EQ(info.size, 16);
    EXPECT_EQ(info.thickness, 6);
    EXPECT_EQ(info.type, 0);
    EXPECT_EQ(info.charSet, 1);
    EXPECT_EQ(info.edgeSize, 1);
    EXPECT_EQ(info.height, 16);
}

TEST_F(FontHandles, FacesThatDoNotExistSubstituteSilently) {
    int h = CreateFontToHandle("存在しない書体", 16, -1, 0, -1, -1, 0, -1, -1);
    int g = CreateFontToHandle("No Such Face At All", 16, -1, 0, -1, -1, 0, -1, -1);
    ASSERT_GE(h, 0);
    ASSERT_GE(g, 0);
    // Japanese text still has real glyphs: a full-width character is wider than a letter.
    EXPECT_EQ(TextWidthFontFmt(h, "漢字"), 32);
    EXPECT_EQ(TextWidthFontFmt(g, "漢"), 16);
    EXPECT_EQ(Count(ReadLog(), "フォント"), 0u);
}

// Installed families are used as they are (the designed names keep their
// stand-ins), and a face can come from a file: the same face as by its name.
TEST_F(FontHandles, NamedFamiliesAndFontFiles) {
    FontInfo latin{}, designed{}, fromFile{};
    const int byName = CreateFontToHandle("DejaVu Sans", 15, 2, 3, -1, -1, 0, -1, -1);
    ASSERT_EQ(FontGetInfo(byName, &latin), 0);
    EXPECT_NE(std::string(latin.filePath).find("DejaVuSans.ttf"), std::string::npos) << latin.filePath;
    ASSERT_EQ(FontGetInfo(CreateFontToHandle("HGPｺﾞｼｯｸE", 15, 2, 3, -1, -1, 0, -1, -1), &designed), 0);
    EXPECT_NE(std::string(designed.filePath).find("ipagp"), std::string::npos) << designed.filePath;
    EXPECT_NE(TextWidthFontFmt(byName, "iiii"), TextWidthFontFmt(byName, "WWWW")) << "proportional Latin";

    const std::string path = latin.filePath;
    const int file = CreateFontFromFile(path.c_str(), 15, 2, 3, -1, 0);
    ASSERT_EQ(FontGetInfo(file, &fromFile), 0);
    EXPECT_EQ(fromFile.filePath, path);
    EXPECT_EQ(fromFile.cellWidth, latin.cellWidth);
    EXPECT_EQ(fromFile.type, 3);
    EXPECT_EQ(TextWidthFontFmt(file, "Score 1200 漢字"), TextWidthFontFmt(byName, "Score 1200 漢字"));

    WriteBytes("not-a-font.ttf", "plain text, not a font\n");
    EXPECT_EQ(CreateFontFromFile("not-a-font.ttf", 15, 2, 3, -1, 0), -1);
    EXPECT_EQ(CreateFontFromFile("no/such.ttf", 15, 2, 3, -1, 0), -1);
    EXPECT_EQ(CreateFontFromFile(nullptr, 15, 2, 3, -1, 0), -1);
    const std::string log = ReadLog();
    EXPECT_EQ(Count(log, "フォントファイル not-a-font.ttf を読めません"), 1u);
    EXPECT_EQ(Count(log, "フォントファイル no/such.ttf を読めません"), 1u);
}
