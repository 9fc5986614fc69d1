// The framework's life on the headless platform: init and end with their log
// lines, the message pump, closing and activation, window mode and caption,
// the second-instance and 24-bit refusals, draw target and present.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "framework/backend/headless/headless.h"
#include "framework/backend/platform.h"
#include "framework/core/state.h"
#include "framework/framework.h"
#include "tests/support/files.h"

namespace {

bool Contains(const std::string& haystack, const char* needle) { return haystack.find(needle) != std::string::npos; }

} // namespace

TEST(Lifecycle, InitLogsItsStepsAndEndLeavesACompleteLog) {
    HeadlessSelect();
    ASSERT_EQ(FrameworkInit(), 0);
    EXPECT_EQ(FrameworkInit(), -1) << "a second init while running";
    EXPECT_EQ(HeadlessWindowExists(), 1);
    EXPECT_EQ(HeadlessWindowed(), 0) << "full screen by default";
    EXPECT_EQ(FrameworkEnd(), 0);
    std::string log = ReadBytes("Log.txt");
    EXPECT_TRUE(Contains(log, "ソフトの二重起動検査... 二重起動はされていませんでした\r\n"));
    EXPECT_TRUE(Contains(log, "カーソルを不可視にしました\r\n"));
    EXPECT_TRUE(Contains(log, "\t\tTri00:17 msec\r\n")) << log;
    EXPECT_TRUE(Contains(log, "Tri07:"));
    EXPECT_TRUE(Contains(log, "フレームワークを終了しました\r\n"));
    EXPECT_EQ(g_core.refreshWaitMs, 10) << "P = 17 ms gives (2P - 4) / 3";
    EXPECT_EQ(HeadlessWindowExists(), 0);
    EXPECT_STREQ(HeadlessInstanceKey(), "D123987X") << "no caption and no class name";
    EXPECT_EQ(ProcessMessage(), -1) << "the end quits, as closing the window does";
}

TEST(Lifecycle, WindowModeBeforeInitOnlyRecordsTheChoice) {
    HeadlessSelect();
    EXPECT_EQ(ChangeWindowMode(1), 0);
    EXPECT_EQ(ChangeWindowMode(1), 0);
    EXPECT_EQ(HeadlessWindowExists(), 0);
    SetWindowTitle("Vortalis");
    ASSERT_EQ(FrameworkInit(), 0);
    EXPECT_EQ(HeadlessWindowed(), 1);
    EXPECT_STREQ(HeadlessCaption(), "Vortalis");
    std::string log = ReadBytes("Log.txt");
    EXPECT_TRUE(Contains(log, "ウインドウモード起動用のウインドウを作成します\r\n"));
    EXPECT_FALSE(Contains(log, "カーソルを不可視にしました"));
    EXPECT_EQ(ChangeWindowMode(0), 0);
    EXPECT_EQ(HeadlessWindowed(), 0);
    log = ReadBytes("Log.txt");
    EXPECT_TRUE(Contains(log, "ChangeWindowMode実行 \r\n"));
    EXPECT_TRUE(Contains(log, "ウインドウモードフラグが倒されました\r\n"));
    EXPECT_TRUE(Contains(log, "ウインドウスタイルをフルスクリーンモード用に変更します... 完了\r\n"));
    FrameworkEnd();
}

TEST(Lifecycle, CaptionIsCutAt255Bytes) {
    HeadlessSelect();
    std::string longCaption(400, 'c');
    EXPECT_EQ(SetWindowTitle(longCaption.c_str()), 0);
    ASSERT_EQ(FrameworkInit(), 0);
    EXPECT_EQ(std::string(HeadlessCaption()), std::string(255, 'c'));
    EXPECT_EQ(std::string(HeadlessInstanceKey()), std::string(255, 'c')) << "the caption names the class";
    SetWindowTitle("short");
    EXPECT_STREQ(HeadlessCaption(), "short");
    FrameworkEnd();
}

TEST(Lifecycle, SecondInstanceAndPacked24BitDesktopAreRefused) {
    HeadlessSelect();
    HeadlessSetInstanceTaken(1);
    EXPECT_EQ(FrameworkInit(), -1);
    EXPECT_TRUE(Contains(ReadBytes("Log.txt"), "二重起動されています、ソフトを終了します\r\n"));
    EXPECT_EQ(HeadlessWindowExists(), 0);

    HeadlessSelect();
    HeadlessSetDesktopBytesPerPixel(3);
    ChangeWindowMode(1);
    EXPECT_EQ(FrameworkInit(), -1);
    HeadlessSetDesktopBytesPerPixel(4);
    EXPECT_EQ(FrameworkInit(), 0) << "a failed init can be retried";
    FrameworkEnd();
}

// The real platform's guard: a process that opened the lock file while the
// first instance ran gets the lock when that instance ends; a third one started
// then must find it held, which it cannot if the file was deleted and made anew.
TEST(Lifecycle, InstanceLockFileOutlivesItsHolder) {
    char cwd[4096];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string savedValue = saved ? saved : "";
    setenv("XDG_RUNTIME_DIR", cwd, 1);
    const Platform* sdl = PlatformSdl();

    ASSERT_EQ(sdl->AcquireInstance("Vortalis"), 1);
    const int waiting = open("Vortalis.lock", O_RDWR | O_CLOEXEC);
    ASSERT_GE(waiting, 0);
    EXPECT_NE(flock(waiting, LOCK_EX | LOCK_NB), 0) << "held by the first instance";
    sdl->ReleaseInstance();
    EXPECT_EQ(flock(waiting, LOCK_EX | LOCK_NB), 0) << "the waiting instance takes over";
    EXPECT_EQ(sdl->AcquireInstance("Vortalis"), 0) << "a third instance sees the second";
    close(waiting);
    EXPECT_EQ(sdl->AcquireInstance("Vortalis"), 1) << "free again once the second ends";
    sdl->ReleaseInstance();

    if (saved) setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
    else unsetenv("XDG_RUNTIME_DIR");
}

TEST(Lifecycle, ClosingTheWindowMakesProcessMessageReturnMinusOneForGood) {
    HeadlessSelect();
    ASSERT_EQ(FrameworkInit(), 0);
    EXPECT_EQ(ProcessMessage(), 0);
    HeadlessPostEventAtFrame(0, PLATFORM_EVENT_CLOSE_REQUEST);
    EXPECT_EQ(ProcessMessage(), -1);
    EXPECT_EQ(ProcessMessage(), -1);
    EXPECT_EQ(HeadlessWindowExists(), 0);
    EXPECT_TRUE(Contains(ReadBytes("Log.txt"), "ウインドウを閉じようとしています\r\n"));
    FrameworkEnd();
    EXPECT_EQ(ProcessMessage(), -1) << "still quitting after the end";
}

TEST(Lifecycle, InactiveWindowHoldsProcessMessageUntilReactivated) {
    HeadlessSelect();
    ASSERT_EQ(FrameworkInit(), 0);
    const uint32_t t = HeadlessClock();
    HeadlessPostEventAtTime(t, PLATFORM_EVENT_DEACTIVATE);
    HeadlessPostEventAtTime(t + 500, PLATFORM_EVENT_ACTIVATE);
    EXPECT_EQ(ProcessMessage(), 0);
    EXPECT_GE(HeadlessClock(), t + 500) << "the call waited while inactive";

    HeadlessPostEventAtTime(HeadlessClock(), PLATFORM_EVENT_DEACTIVATE);
    HeadlessPostEventAtTime(HeadlessClock() + 100, PLATFORM_EVENT_CLOSE_REQUEST);
    EXPECT_EQ(ProcessMessage(), -1) << "closing while inactive ends the wait";
    FrameworkEnd();
}

TEST(Lifecycle, DrawTargetAndPresent) {
    HeadlessSelect();
    EXPECT_EQ(SetDrawTarget(-2), -1) << "before init";
    ASSERT_EQ(FrameworkInit(), 0);
    EXPECT_EQ(FlipScreen(), 0) << "the front buffer is the target: nothing presented";
    EXPECT_EQ(HeadlessFrameCount(), 0);
    EXPECT_EQ(SetDrawTarget(-2), 0);
    EXPECT_EQ(SetDrawTarget(12345), -1);
    EXPECT_EQ(ClearDrawTarget(), 0);
    const uint32_t before = HeadlessClock();
    EXPECT_EQ(FlipScreen(), 0);
    EXPECT_EQ(HeadlessFrameCount(), 1);
    EXPECT_GT(HeadlessClock(), before) << "waited for the vertical blank";
    ASSERT_EQ(HeadlessLastFrame().size(), 640u * 480u);
    EXPECT_EQ(HeadlessLastFrame()[0] & 0xFFFFFF, 0u);
    FrameworkEnd();
    EXPECT_EQ(FlipScreen(), -1) << "no display after the end";
}

TEST(Lifecycle, PumpThreadEndsWithTheFramework) {
    for (int i = 0; i < 3; i++) {
        HeadlessSelect();
        ASSERT_EQ(FrameworkInit(), 0);
        for (int f = 0; f < 5; f++) {
            ProcessMessage();
            SleepMs(20);
        }
        ASSERT_EQ(FrameworkEnd(), 0);
    }
}

TEST(Lifecycle, AskYesNoUsesThePlatformBox) {
    HeadlessSelect();
    HeadlessSetAnswer(1);
    EXPECT_EQ(AskYesNo("c", "t"), 1);
    EXPECT_STREQ(HeadlessLastQuestion(), "c|t");
}
