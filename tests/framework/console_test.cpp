// The screen console's text: dropped bytes, tabs, line feeds, whole Shift-JIS
// characters, the 254-byte line limit and scrolling past the visible lines.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/core/console.h"
#include "framework/framework.h"

namespace {

std::string Joined() {
    std::string all;
    for (int i = 0; i <= ConsoleCurrentLine(); i++) all += ConsoleLine(i);
    return all;
}

} // namespace

TEST(Console, DropsControlBytesAndQuestionMarksAndExpandsTabs) {
    ConsoleReset();
    EXPECT_EQ(ConsoleInUse(), 0);
    EXPECT_EQ(ScreenPrintF("a?b%c%c%c%c%c\tc", 7, 8, 11, 12, 13), 0);
    EXPECT_EQ(ConsoleInUse(), 1);
    EXPECT_STREQ(ConsoleLine(0), "ab    c");
    ScreenPrintF("\nnext");
    EXPECT_EQ(ConsoleCurrentLine(), 1);
    EXPECT_STREQ(ConsoleLine(1), "next");
}

TEST(Console, ThirtyVisibleLinesAtFourHundredEightyPixelsThenScroll) {
    ConsoleReset();
    EXPECT_EQ(ConsoleVisibleLines(), 30);
    for (int i = 0; i < 30; i++) ScreenPrintF("line%d\n", i);
    // 30 line feeds: the 30th scrolled "line0" away and left an empty current line.
    EXPECT_EQ(ConsoleCurrentLine(), 29);
    EXPECT_STREQ(ConsoleLine(0), "line1");
    EXPECT_STREQ(ConsoleLine(28), "line29");
    EXPECT_STREQ(ConsoleLine(29), "");
    ScreenPrintF("x\ny");
    EXPECT_STREQ(ConsoleLine(0), "line2");
    EXPECT_STREQ(ConsoleLine(29), "y");
}

TEST(Console, LongTextWrapsWithoutSplittingPairsOrOverflowing) {
    ConsoleReset();
    std::string text;
    for (int i = 0; i < 200; i++) text += "\x82\xa0" "a";   // 600 bytes
    ScreenPrintF("%s", text.c_str());
    EXPECT_GT(ConsoleCurrentLine(), 1);
    for (int i = 0; i <= ConsoleCurrentLine(); i++) {
        const char* line = ConsoleLine(i);
        ASSERT_LT(std::strlen(line), static_cast<size_t>(CONSOLE_LINE_BYTES));
        ASSERT_NE(static_cast<unsigned char>(line[0]), 0xa0) << "line " << i << " starts with a trail byte";
    }
    EXPECT_EQ(Joined(), text);
}

TEST(Console, OverlongFormattedTextIsCut) {
    ConsoleReset();
    std::string big(5000, 'q');
    ScreenPrintF("%s", big.c_str());
    EXPECT_EQ(Joined(), std::string(1023, 'q'));
}

// UTF-8 console text wraps by whole characters too: a three-byte character
// that would pass the line's end starts the next line.
TEST(Console, Utf8CharactersStayWholeAcrossLines) {
    ConsoleReset();
    ASSERT_EQ(SetTextEncoding(TEXT_UTF8), 0);
    const std::string kanji = "\xE6\xBC\xA2";   // 漢
    std::string text = std::string(20, 'a');
    for (int i = 0; i < 100; i++) text += kanji;
    ScreenPrintF("%s", text.c_str());
    SetTextEncoding(TEXT_SHIFT_JIS);
    EXPECT_GT(ConsoleCurrentLine(), 0);
    for (int i = 0; i <= ConsoleCurrentLine(); i++) {
        const std::string line = ConsoleLine(i);
        ASSERT_EQ((line.size() - (i == 0 ? 20 : 0)) % 3, 0u) << "line " << i << " splits a character";
    }
    EXPECT_EQ(Joined(), text);
}
