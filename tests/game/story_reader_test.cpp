// The script reader: columns byte by byte, comments, long names, non-digit
// one-character columns, the end marker, the end of the file inside a row, a
// missing file and the table's row limit.
#include "tests/game/story_support.h"

#include "framework/file/file_layer.h"
#include "tests/support/files.h"

namespace {

using StoryReader = StoryTest;

} // namespace

TEST_F(StoryReader, ReadsEveryColumnSkipsCommentsAndMarksTheEnd) {
    WriteBytes("s.csv",
               "/ header comment\r\n" +
               StoryLine("ナル", "2,9,1,1,3,0,320,240,1,0,2,7,-20,1234,0,5,1,0,0,0", "あいうC") +
               "/ a comment between rows, 日本語も\r\n" +
               StoryLine("セラ", "1,0,0,0,0,0,12,3,1,1,1,0,490,250,1,1,1,0,320,220", "かきC"));
    EXPECT_EQ(LoadScriptRows("s.csv", SCRIPT_FORMAT_STORY), 2);

    const ScriptRow& a = g_script[0];
    EXPECT_STREQ(a.name, "ナル");
    EXPECT_EQ(a.background, 2);
    EXPECT_EQ(a.slot[0].visible, 1);
    EXPECT_EQ(a.slot[0].lit, 1);
    EXPECT_EQ(a.slot[0].expression, 3);
    EXPECT_EQ(a.slot[0].x, 320.0);
    EXPECT_EQ(a.slot[0].y, 240.0);
    EXPECT_EQ(a.slot[1].visible, 1);
    EXPECT_EQ(a.slot[1].lit, 0);
    EXPECT_EQ(a.slot[1].expression, 2);
    EXPECT_EQ(a.slot[1].x, -20.0);
    EXPECT_EQ(a.slot[1].y, 1234.0);
    EXPECT_EQ(a.slot[2].visible, 0);
    EXPECT_EQ(a.slot[2].lit, 5);
    EXPECT_EQ(a.slot[2].expression, 1);
    EXPECT_EQ(a.slot[2].x, 0.0);
    EXPECT_STREQ(a.text, "あいうC");

    const ScriptRow& b = g_script[1];
    EXPECT_STREQ(b.name, "セラ");
    EXPECT_EQ(b.background, 1);
    EXPECT_EQ(b.slot[0].x, 12.0);
    EXPECT_EQ(b.slot[0].y, 3.0);
    EXPECT_EQ(b.slot[2].x, 320.0);
    EXPECT_EQ(b.slot[2].y, 220.0);
    EXPECT_STREQ(b.text, "かきC");

    // The end marker row carries no speaker and no text but "X".
    EXPECT_STREQ(g_script[2].text, "X");
    EXPECT_STREQ(g_script[2].name, "");
    EXPECT_TRUE(IsEndRow(2));
    EXPECT_FALSE(IsEndRow(1));
    EXPECT_EQ(FileLayerOpenCount(), 0);
}

TEST_F(StoryReader, NonDigitOneCharacterColumnsReadAsZero) {
    WriteBytes("s.csv", StoryLine("a", "A,Z,x,1,y,#,5,6,q,q,q,q,1,2,1,1,1,1,3,4", "あC"));
    ASSERT_EQ(LoadScriptRows("s.csv", SCRIPT_FORMAT_STORY), 1);
    EXPECT_EQ(g_script[0].background, 0);
    EXPECT_EQ(g_script[0].slot[0].visible, 0);
    EXPECT_EQ(g_script[0].slot[0].lit, 1);
    EXPECT_EQ(g_script[0].slot[0].expression, 0);
    EXPECT_EQ(g_script[0].slot[0].x, 5.0);
    EXPECT_EQ(g_script[0].slot[1].visible, 0);
    EXPECT_EQ(g_script[0].slot[1].expression, 0);
    EXPECT_STREQ(g_script[0].text, "あC");

    // The separator after a one-character column is skipped untested.
    WriteBytes("t.csv", "n,7;0;1;1;2;0;320,240,0,0,0,0,0,0,0,0,0,0,0,0,あC\r\n");
    ASSERT_EQ(LoadScriptRows("t.csv", SCRIPT_FORMAT_STORY), 1);
    EXPECT_EQ(g_script[0].background, 7);
    EXPECT_EQ(g_script[0].slot[0].expression, 2);
    EXPECT_EQ(g_script[0].slot[0].x, 320.0);
}

TEST_F(StoryReader, LongNamesStayTerminatedAndTheFiftyFirstByteIsColumnTwo) {
    // 49 bytes and a ",": kept whole.
    const std::string n49(49, 'N');
    WriteBytes("a.csv", StoryLine(n49, "1,0,1,1,0,0,320,240,0,0,0,0,0,0,0,0,0,0,0,0", "あC"));
    ASSERT_EQ(LoadScriptRows("a.csv", SCRIPT_FORMAT_STORY), 1);
    EXPECT_EQ(std::string(g_script[0].name), n49);
    EXPECT_EQ(g_script[0].background, 1);

    // 50 bytes without ",": 49 kept and terminated, the 51st byte is the background.
    const std::string n50(50, 'M');
    WriteBytes("b.csv", n50 + "2,0,1,1,0,0,320,240,0,0,0,0,0,0,0,0,0,0,0,0,いC\r\n");
    ASSERT_EQ(LoadScriptRows("b.csv", SCRIPT_FORMAT_STORY), 1);
    EXPECT_EQ(std::string(g_script[0].name), std::string(49, 'M'));
    EXPECT_EQ(g_script[0].name[49], 0);
    EXPECT_EQ(g_script[0].background, 2);
    EXPECT_EQ(g_script[0].slot[0].x, 320.0);
    EXPECT_STREQ(g_script[0].text, "いC");

    // 48 bytes and a double-byte character: the lead byte would be the 49th
    // kept byte without its partner, so it is dropped too.
    const std::string n48(48, 'L');
    WriteBytes("c.csv", n48 + "あ" + "1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,うC\r\n");
    ASSERT_EQ(LoadScriptRows("c.csv", SCRIPT_FORMAT_STORY), 1);
    EXPECT_EQ(std::string(g_script[0].name), n48);
    EXPECT_EQ(g_script[0].background, 1);
    EXPECT_STREQ(g_script[0].text, "うC");

    // 47 bytes and a double-byte character end exactly at 49 bytes: kept.
    const std::string n47(47, 'K');
    WriteBytes("d.csv", n47 + "あ," + kNoSlots + ",えC\r\n");
    ASSERT_EQ(LoadScriptRows("d.csv", SCRIPT_FORMAT_STORY), 1);
    EXPECT_EQ(std::string(g_script[0].name), n47 + "あ");
}

TEST_F(StoryReader, TheEndOfTheFileInsideARowEndsTheReading) {
    const std::string good = StoryLine("ナル", kNoSlots, "あC") + StoryLine("セラ", kNoSlots, "いC");

    // A last comment line without a line feed.
    WriteBytes("a.csv", good + "/ last comment");
    EXPECT_EQ(LoadScriptRows("a.csv", SCRIPT_FORMAT_STORY), 2);
    EXPECT_STREQ(g_script[2].text, "X");

    // A trailing blank line.
    WriteBytes("b.csv", good + "\r\n");
    EXPECT_EQ(LoadScriptRows("b.csv", SCRIPT_FORMAT_STORY), 2);
    EXPECT_STREQ(g_script[2].text, "X");

    // A row cut inside its number columns is dropped: nothing of it is stored.
    SetRow(2, "stale");
    std::strcpy(g_script[2].name, "old");
    WriteBytes("c.csv", good + "タコ,1,0,1,1,1,0,32");
    EXPECT_EQ(LoadScriptRows("c.csv", SCRIPT_FORMAT_STORY), 2);
    EXPECT_STREQ(g_script[2].text, "X");
    EXPECT_STREQ(g_script[2].name, "");
    EXPECT_EQ(g_script[2].slot[2].visible, 0);

    // A row cut inside its name, and a last row ending without CR LF.
    WriteBytes("d.csv", good + "タコ");
    EXPECT_EQ(LoadScriptRows("d.csv", SCRIPT_FORMAT_STORY), 2);
    const std::string last = StoryLine("タコ", kNoSlots, "うC");
    WriteBytes("e.csv", good + last.substr(0, last.size() - 2));
    EXPECT_EQ(LoadScriptRows("e.csv", SCRIPT_FORMAT_STORY), 3);
    EXPECT_STREQ(g_script[2].text, "うC");
    EXPECT_STREQ(g_script[3].text, "X");

    // An empty file: the end marker at row 0.
    WriteBytes("f.csv", "");
    EXPECT_EQ(LoadScriptRows("f.csv", SCRIPT_FORMAT_STORY), 0);
    EXPECT_TRUE(IsEndRow(0));
    EXPECT_EQ(g_script[0].background, -1);

    // A blank line between rows takes no row and leaves no line end in a name.
    WriteBytes("g.csv", StoryLine("ナル", kNoSlots, "あC") + "\r\n" + StoryLine("セラ", kNoSlots, "いC"));
    EXPECT_EQ(LoadScriptRows("g.csv", SCRIPT_FORMAT_STORY), 2);
    EXPECT_STREQ(g_script[1].name, "セラ");
    EXPECT_EQ(FileLayerOpenCount(), 0);
}

TEST_F(StoryReader, AMissingFilePrintsReadErrorAndLeavesOnlyTheEndMarker) {
    WriteBytes("s.csv", StoryLine("ナル", kNoSlots, "あC"));
    ASSERT_EQ(LoadScriptRows("s.csv", SCRIPT_FORMAT_STORY), 1);
    ConsoleReset();
    EXPECT_EQ(LoadScriptRows("missing.csv", SCRIPT_FORMAT_STORY), -1);
    EXPECT_EQ(ConsoleInUse(), 1);
    EXPECT_STREQ(ConsoleLine(0), "read error");
    EXPECT_EQ(ConsoleCurrentLine(), 1);
    EXPECT_TRUE(IsEndRow(0));
    EXPECT_EQ(FileLayerOpenCount(), 0);
}

TEST_F(StoryReader, MoreThanNinetyNineRowsStopAtTheTable) {
    std::string bytes;
    for (int i = 0; i < 130; i++) bytes += StoryLine(std::to_string(i), kNoSlots, i % 5 == 4 ? "あC" : "あ");
    WriteBytes("s.csv", bytes);
    EXPECT_EQ(LoadScriptRows("s.csv", SCRIPT_FORMAT_STORY), 99);
    EXPECT_STREQ(g_script[98].name, "98");
    EXPECT_STREQ(g_script[99].text, "X");
    EXPECT_TRUE(IsEndRow(99));
    EXPECT_EQ(FileLayerOpenCount(), 0);

    // Exactly 99 rows fill the table with the marker in the last row.
    bytes.clear();
    for (int i = 0; i < 99; i++) bytes += StoryLine("r", kNoSlots, "いC");
    WriteBytes("t.csv", bytes);
    EXPECT_EQ(LoadScriptRows("t.csv", SCRIPT_FORMAT_STORY), 99);
    EXPECT_STREQ(g_script[98].text, "いC");
    EXPECT_STREQ(g_script[99].text, "X");
}

TEST_F(StoryReader, TextsAreCutAt255BytesAndAlwaysTerminated) {
    std::string text;
    for (int i = 0; i < 127; i++) text += "あ";
    text += "C";   // 255 bytes
    WriteBytes("s.csv", StoryLine("n", kNoSlots, text));
    ASSERT_EQ(LoadScriptRows("s.csv", SCRIPT_FORMAT_STORY), 1);
    EXPECT_EQ(std::strlen(g_script[0].text), 255u);
    EXPECT_EQ(std::string(g_script[0].text), text);
}

TEST_F(StoryReader, TheMapFormatWritesOnlyShownFlagsExpressionsAndText) {
    WriteBytes("s.csv", StoryLine("old", "2,0,1,1,3,0,320,240,1,1,1,0,490,250,1,1,1,0,100,200", "あC"));
    ASSERT_EQ(LoadScriptRows("s.csv", SCRIPT_FORMAT_STORY), 1);
    WriteBytes("m.csv", "/ map\r\n" + MapLine("ナル", "9,1,3,9,x,0,2,x", "あいC") + MapLine("セラ", "0,0,0,0,0,1,A,0", "うC"));
    ASSERT_EQ(LoadScriptRows("m.csv", SCRIPT_FORMAT_MAP), 2);
    const ScriptRow& a = g_script[0];
    EXPECT_STREQ(a.name, "ナル");
    EXPECT_EQ(a.slot[0].visible, 1);
    EXPECT_EQ(a.slot[0].expression, 3);
    EXPECT_EQ(a.slot[1].visible, 0);
    EXPECT_EQ(a.slot[1].expression, 2);
    EXPECT_STREQ(a.text, "あいC");
    // Fields the map format has no columns for are left as they were.
    EXPECT_EQ(a.background, 2);
    EXPECT_EQ(a.slot[0].lit, 1);
    EXPECT_EQ(a.slot[0].x, 320.0);
    EXPECT_EQ(a.slot[2].x, 100.0);
    EXPECT_EQ(g_script[1].slot[1].visible, 1);
    EXPECT_EQ(g_script[1].slot[1].expression, 0);
    EXPECT_STREQ(g_script[2].text, "X");
}
