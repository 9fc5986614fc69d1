// Character widths and the glyph cache: half-width letters, Shift-JIS pairs
// (trail bytes in the ASCII range included), spaces, characters no face has,
// the 1024-byte format limit, and a cache that fills up and starts again.
#include <gtest/gtest.h>

#include <string>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "framework/graphics/font.h"

namespace {

class TextWidth : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessSelect();
        ASSERT_EQ(FrameworkInit(), 0);
        // The default face is a fixed-pitch gothic: 8 pixels half-width, 16 full-width.
        fixed = CreateFontToHandle(nullptr, 16, 4, 0, -1, -1, 0, -1, -1);
        proportional = CreateFontToHandle("HGPｺﾞｼｯｸE", 20, 2, 3, -1, -1, 0, -1, -1);
        ASSERT_GE(fixed, 0);
        ASSERT_GE(proportional, 0);
    }
    void TearDown() override { FrameworkEnd(); }
    int Cached(int font) {
        FontInfo info;
        return FontGetInfo(font, &info) == 0 ? info.cachedGlyphs : -1;
    }
    int fixed = -1, proportional = -1;
};

} // namespace

TEST_F(TextWidth, HalfAndFullWidthCharactersInAFixedPitchFace) {
    EXPECT_EQ(TextWidthFontFmt(fixed, "%s", ""), 0);
    EXPECT_EQ(TextWidthFontFmt(fixed, "A"), 8);
    EXPECT_EQ(TextWidthFontFmt(fixed, "あ"), 16);
    EXPECT_EQ(TextWidthFontFmt(fixed, "Aあ1漢z"), 8 + 16 + 8 + 16 + 8);
    EXPECT_EQ(TextWidthFontFmt(fixed, "ｱｲｳ"), 24) << "half-width katakana are single bytes";
    // Trail bytes 0x5C ('\') and 0x7C ('|') and 0x40 ('@') stay with their lead byte.
    EXPECT_EQ(TextWidthFontFmt(fixed, "表ソ能"), 48);
    EXPECT_EQ(TextWidthFontFmt(fixed, "\x95\x5C\x83\x7C\x82\xA0"), 48);
    EXPECT_EQ(TextWidthFontFmt(fixed, "%d%s", 42, "点"), 32);
    // Spaces advance: half-width 8, full-width 16.
    EXPECT_EQ(TextWidthFontFmt(fixed, " "), 8);
    EXPECT_EQ(TextWidthFontFmt(fixed, "　"), 16);
    EXPECT_EQ(TextWidthFontFmt(fixed, "a b　c"), 8 * 4 + 16);
    // A lead byte at the very end has no trail byte to take: it stands alone.
    EXPECT_EQ(TextWidthFontFmt(fixed, "a\x82"), 8 + 8);
}

TEST_F(TextWidth, MixedTextAdvancesByEachGlyphsOwnWidth) {
    const char* pieces[] = {"W", "i", "あ", "ー", "1", "。", "、", "M", "漢", "ｶ", "!", "　"};
    std::string all;
    int sum = 0;
    int widths[sizeof pieces / sizeof pieces[0]];
    for (size_t i = 0; i < sizeof pieces / sizeof pieces[0]; i++) {
        widths[i] = TextWidthFontFmt(proportional, "%s", pieces[i]);
        ASSERT_GT(widths[i], 0) << pieces[i];
        sum += widths[i];
        all += pieces[i];
    }
    // A proportional face: narrow and wide letters differ.
    EXPECT_LT(widths[1], widths[0]);
    EXPECT_EQ(TextWidthFontFmt(proportional, "%s", all.c_str()), sum);
    EXPECT_EQ(TextWidthFontFmt(proportional, "%s%s", all.c_str(), all.c_str()), 2 * sum);
}

TEST_F(TextWidth, LineFeedIsAGlyphNotAControl) {
    int a = TextWidthFontFmt(fixed, "A"), lf = TextWidthFontFmt(fixed, "\n");
    EXPECT_GE(lf, 0);
    EXPECT_EQ(TextWidthFontFmt(fixed, "A\nA"), 2 * a + lf);
}

TEST_F(TextWidth, CharactersNoFaceHasAdvanceByHalfOrWholeSize) {
    // 0xF040 is a user-defined character (no face draws it); 0x85 0x40 and
    // 0xFD name no character at all.
    EXPECT_EQ(TextWidthFontFmt(fixed, "\xF0\x40"), 16);
    EXPECT_EQ(TextWidthFontFmt(fixed, "\x85\x40"), 16);
    EXPECT_EQ(TextWidthFontFmt(fixed, "\xFD"), 8);
    EXPECT_EQ(TextWidthFontFmt(proportional, "\xF0\x40"), 20);
    EXPECT_EQ(TextWidthFontFmt(proportional, "\xFD"), 10);
    EXPECT_EQ(TextWidthFontFmt(fixed, "a\xF0\x40" "b"), 8 + 16 + 8);
}

TEST_F(TextWidth, FormattedTextIsCutAt1023BytesWithoutSplittingACharacter) {
    std::string letters(2000, 'a');
    EXPECT_EQ(TextWidthFontFmt(fixed, "%s", letters.c_str()), 1023 * 8);
    std::string kana;
    for (int i = 0; i < 600; i++) kana += "あ";
    // 1023 bytes hold 511 characters and half of the 512th, which is dropped.
    EXPECT_EQ(TextWidthFontFmt(fixed, "%s", kana.c_str()), 511 * 16);
    EXPECT_EQ(TextWidthFontFmt(fixed, "a%s", kana.c_str()), 8 + 511 * 16);
    EXPECT_EQ(DrawTextFontFmt(0, 0, 0xFFFF, fixed, "%s", kana.c_str()), 0);
    EXPECT_EQ(DrawTextFmt(0, 0, 0xFFFF, "%s", letters.c_str()), 0);
}

TEST_F(TextWidth, EachCharacterIsRenderedOnceAndKept) {
    EXPECT_EQ(Cached(fixed), 0);
    EXPECT_EQ(TextWidthFontFmt(fixed, "ああいA"), 56);
    EXPECT_EQ(Cached(fixed), 3);
    EXPECT_EQ(DrawTextFontFmt(0, 0, 0xFFFF, fixed, "いAあ"), 0);
    EXPECT_EQ(Cached(fixed), 3);
    EXPECT_EQ(DrawTextFontFmt(0, 0, 0xFFFF, fixed, "いAあう"), 0);
    EXPECT_EQ(Cached(fixed), 4);
    EXPECT_EQ(Cached(proportional), 0) << "caches are per font";
}

TEST_F(TextWidth, AFullCacheStartsAgainAndKeepsWidthsRight) {
    // A big font gets the smallest cache, 20 cells.
    int big = CreateFontToHandle(nullptr, 200, 4, 0, -1, -1, 0, -1, -1);
    FontInfo info;
    ASSERT_EQ(FontGetInfo(big, &info), 0);
    ASSERT_EQ(info.cellCount, 20);
    const char* text = "あいうえおかきくけこさしすせそたちつてとなにぬねのABCDEFGHIJ";
    EXPECT_EQ(TextWidthFontFmt(big, "%s", text), 25 * 200 + 10 * 100);
    ASSERT_EQ(FontGetInfo(big, &info), 0);
    EXPECT_LE(info.cachedGlyphs, 20);
    EXPECT_EQ(TextWidthFontFmt(big, "%s", text), 25 * 200 + 10 * 100);
    EXPECT_EQ(DrawTextFontFmt(-300, 0, 0xFFFF, big, "%s", text), 0);
    EXPECT_EQ(TextWidthFontFmt(big, "あA"), 300);
}

TEST_F(TextWidth, TheDefaultFontIsMadeOnFirstUse) {
    FontInfo info;
    EXPECT_EQ(DrawTextAt(0, 0, "abc", 0xFFFF, 0), 0);
    ASSERT_EQ(FontDefaultHandleInfo(&info), 0);
    EXPECT_EQ(info.cachedGlyphs, 3);
    EXPECT_EQ(DrawTextFmt(0, 0, 0xFFFF, "%s", "cab"), 0);
    ASSERT_EQ(FontDefaultHandleInfo(&info), 0);
    EXPECT_EQ(info.cachedGlyphs, 3);
    EXPECT_EQ(DrawTextAt(0, 0, nullptr, 0xFFFF, 0), 0);
    EXPECT_EQ(DrawTextAt(0, 0, "", 0xFFFF, 0), 0);
}

TEST_F(TextWidth, TheCharacterSetDecidesWhichBytesPair) {
    int korean = CreateFontToHandle(nullptr, 16, 4, 0, 2, -1, 0, -1, -1);
    int japanese = CreateFontToHandle(nullptr, 16, 4, 0, 1, -1, 0, -1, -1);
    // 0xA1 is a half-width katakana in Shift-JIS but a lead byte in Korean.
    EXPECT_EQ(TextWidthFontFmt(japanese, "\xA1\x41"), 16);
    EXPECT_EQ(Cached(japanese), 2);
    EXPECT_EQ(TextWidthFontFmt(korean, "\xA1\x41"), 16);
    EXPECT_EQ(Cached(korean), 1);
    // A Korean pair: the second one comes from the cache.
    EXPECT_EQ(TextWidthFontFmt(korean, "\xB0\xA1\xB0\xA1"), 32);
    EXPECT_EQ(Cached(korean), 2);
}
