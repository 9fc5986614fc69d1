// Log.txt, byte for byte: time stamps relative to the start, tab indentation,
// CR LF line ends that never split a Shift-JIS pair, and open lines.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <unistd.h>

#include "framework/backend/headless/headless.h"
#include "framework/core/log.h"
#include "framework/core/state.h"
#include "framework/framework.h"
#include "tests/support/files.h"

namespace {

std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

void StartLogAt(uint32_t clock) {
    HeadlessSelect();
    HeadlessSetClock(clock);
    ASSERT_TRUE(getcwd(g_core.logFolder, sizeof g_core.logFolder));
    LogStart();
}

} // namespace

TEST(Log, StampsIndentsAndConvertsLineFeeds) {
    WriteBytes("Log.txt", "left over from an earlier run\r\n");
    StartLogAt(5000);
    EXPECT_EQ(ReadBytes("Log.txt"), "") << "the log starts empty at every run";

    HeadlessAdvance(7);
    WriteLogLine("one\n");
    LogIndent(2);
    HeadlessAdvance(100);
    WriteLogLine("two\r\n");          // an existing CR LF stays as it is
    LogIndent(-1);
    WriteLogLine("open... ");          // no line feed: the line stays open
    HeadlessAdvance(3);
    WriteLogLine("done\n");            // continues without a new stamp
    WriteLogLine("a\nb\n");            // the second line gets no stamp of its own
    EXPECT_EQ(ReadBytes("Log.txt"),
              "7:one\r\n"
              "107:\t\ttwo\r\n"
              "107:\topen... done\r\n"
              "110:\ta\r\nb\r\n");
}

TEST(Log, LineFeedAsTrailByteIsNotConverted) {
    StartLogAt(0);
    // 0x81 0x0A is not a valid pair, but the scan takes lead and trail together.
    const char text[] = {'\x81', '\n', 'x', '\n', 0};
    WriteLogLine(text);
    EXPECT_EQ(ReadBytes("Log.txt"), std::string("0:\x81\nx\r\n"));
}

TEST(Log, FormattedMessagesGetALineFeedAndLongTextsAreSafe) {
    StartLogAt(0);
    LogFmt("file %s missing", "dat/x.png");
    std::string longText(3000, 'z');
    LogFmt("%s", longText.c_str());              // cut to 1023 bytes, never overflows
    std::string lfs(600, '\n');
    WriteLogLine(lfs.c_str());                    // doubles in size when converted
    std::string log = ReadBytes("Log.txt");
    EXPECT_EQ(log.substr(0, 26), "0:file dat/x.png missing\r\n");
    EXPECT_NE(log.find("0:" + std::string(1023, 'z') + "\r\n"), std::string::npos);
    std::string crlfs;
    for (int i = 0; i < 600; i++) crlfs += "\r\n";
    EXPECT_EQ(log.substr(log.size() - crlfs.size() - 2), "0:" + crlfs);
}

TEST(Log, DisabledLogWritesNothing) {
    HeadlessSelect();
    ASSERT_TRUE(getcwd(g_core.logFolder, sizeof g_core.logFolder));
    LogSetDisabled(1);
    LogStart();
    WriteLogLine("x\n");
    FILE* f = std::fopen("Log.txt", "rb");
    EXPECT_EQ(f, nullptr);
    if (f) std::fclose(f);
    LogSetDisabled(0);
}

// The additions: the program's own lines, the log in UTF-8 when the program
// chose UTF-8 (the framework's Shift-JIS messages converted, the program's
// texts and paths kept), and the copy on stderr, always UTF-8 with LF ends.
// (Plain literals here are Shift-JIS; u8 ones UTF-8.)
TEST(Log, ProgramLinesUtf8LogAndTheStderrCopy) {
    const std::string doneSjis = "0:\t完了\r\n";
    StartLogAt(0);
    LogIndent(1);
    LogPrintF("score %d", 1200);
    WriteLogLine("完了\n");
    SetTextEncoding(TEXT_UTF8);
    LogPrintF("%s %d", U8(u8"ステージ").c_str(), 2);
    WriteLogLine("完了\n");
    LogFmt("右記のファイルのオープンに失敗しました：%s", U8(u8"dat/é.wav").c_str());
    SetLogEcho(1);
    testing::internal::CaptureStderr();
    WriteLogLine("open... ");
    LogPrintF("done");
    const std::string echoed = testing::internal::GetCapturedStderr();
    SetLogEcho(0);
    SetTextEncoding(TEXT_SHIFT_JIS);
    SetLogEcho(1);
    testing::internal::CaptureStderr();
    WriteLogLine("完了\n");
    const std::string echoedSjis = testing::internal::GetCapturedStderr();
    SetLogEcho(0);

    // (Outside the macro, which spells its arguments out in a Shift-JIS literal.)
    const std::string expected = "0:\tscore 1200\r\n" + doneSjis + U8(u8"0:\tステージ 2\r\n") +
                                 U8(u8"0:\t完了\r\n") +
                                 U8(u8"0:\t右記のファイルのオープンに失敗しました：dat/é.wav\r\n") +
                                 "0:\topen... done\r\n" + doneSjis;
    EXPECT_EQ(ReadBytes("Log.txt"), expected);
    EXPECT_EQ(echoed, "0:\topen... done\n");
    EXPECT_EQ(echoedSjis, U8(u8"0:\t完了\n")) << "the copy is UTF-8 whatever the log's encoding";
}
