// The framework's life on the headless platform: init and end with their log
// lines, the message pump, closing and activation, window mode and caption,
// the second-instance and 24-bit refusals, draw target and present.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "framework/backend/image/image_readers.h"
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
    // The copy that is refused leaves the running copy's Log.txt as it was: the
    // check comes before the log is started; its line reaches only stderr.
    HeadlessSelect();
    HeadlessSetInstanceTaken(1);
    WriteBytes("Log.txt", "0:the running copy's log\r\n");
    SetLogEcho(1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(FrameworkInit(), -1);
    const std::string echoed = testing::internal::GetCapturedStderr();
    SetLogEcho(0);
    EXPECT_EQ(ReadBytes("Log.txt"), "0:the running copy's log\r\n");
    const std::string line = reinterpret_cast<const char*>(u8"二重起動されています、ソフトを終了します\n");
    EXPECT_NE(echoed.find(line), std::string::npos) << "the copy on stderr is UTF-8";
    char reason[64];
    EXPECT_EQ(StartupError(reason, sizeof reason), STARTUP_ALREADY_RUNNING);
    EXPECT_STREQ(reason, "another copy of this program is already running");
    EXPECT_EQ(HeadlessWindowExists(), 0);

    HeadlessSelect();
    HeadlessSetDesktopBytesPerPixel(3);
    ChangeWindowMode(1);
    EXPECT_EQ(FrameworkInit(), -1);
    EXPECT_EQ(StartupError(nullptr, 0), STARTUP_DESKTOP_24BIT);
    HeadlessSetDesktopBytesPerPixel(4);
    EXPECT_EQ(FrameworkInit(), 0) << "a failed init can be retried";
    EXPECT_EQ(StartupError(nullptr, 0), STARTUP_OK);
    FrameworkEnd();
}

// What keys the guard, the opt-out, and each start-up failure's code and text.
TEST(Lifecycle, InstanceKeyOptOutAndStartupErrors) {
    HeadlessSelect();
    SetWindowTitle("Asteroids");
    ASSERT_EQ(SetInstanceKey("asteroids-dev"), 0);
    ASSERT_EQ(FrameworkInit(), 0);
    EXPECT_STREQ(HeadlessInstanceKey(), "asteroids-dev") << "the key, not the caption";
    EXPECT_EQ(SetInstanceKey("other"), -1) << "too late once started";
    EXPECT_EQ(AllowSecondInstance(1), -1);
    EXPECT_EQ(FrameworkInit(), -1);
    EXPECT_EQ(StartupError(nullptr, 0), STARTUP_ALREADY_STARTED);
    FrameworkEnd();

    HeadlessSelect();
    ASSERT_EQ(SetInstanceKey(nullptr), 0);
    ASSERT_EQ(AllowSecondInstance(1), 0);
    HeadlessSetInstanceTaken(1);
    ASSERT_EQ(FrameworkInit(), 0) << "the opt-out starts beside the holder";
    EXPECT_STREQ(HeadlessInstanceKey(), "Asteroids") << "back to the caption";
    EXPECT_TRUE(Contains(ReadBytes("Log.txt"), "ソフトの二重起動検査... 二重起動されていますが続行します\r\n"));
    FrameworkEnd();
    AllowSecondInstance(0);

    HeadlessSelect();
    HeadlessSetStartupFails(1);
    EXPECT_EQ(FrameworkInit(), -1);
    char reason[16];
    EXPECT_EQ(StartupError(reason, sizeof reason), STARTUP_PLATFORM);
    EXPECT_STREQ(reason, "the platform (v") << "cut to the buffer";
    EXPECT_TRUE(Contains(ReadBytes("Log.txt"), "プラットフォームの初期化に失敗しました\r\n"));
    HeadlessSelect();
    EXPECT_EQ(FrameworkInit(), 0) << "a failed start of the platform can be retried";
    FrameworkEnd();
    SetWindowTitle("");
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

// The additions' window calls: the whole scale that fits the desktop, the
// Alt+Enter / F11 switch only once the game allows it, and a full screen
// that cannot be made leaving a window.
TEST(Lifecycle, WindowScaleFitsTheDesktopAndTheModeSwitchNeedsPermission) {
    const struct { int w, h, limit; } desktops[] = {{1920, 1080, 2}, {1366, 768, 1}, {3840, 2160, 4}, {640, 480, 1}};
    for (auto d : desktops) {
        HeadlessSelect();
        HeadlessSetDesktopSize(d.w, d.h);
        ChangeWindowMode(1);
        EXPECT_EQ(SetWindowScale(3), 3) << "before init the choice is only recorded";
        ASSERT_EQ(FrameworkInit(), 0);
        EXPECT_EQ(WindowScaleLimit(), d.limit) << d.w << "x" << d.h;
        EXPECT_EQ(HeadlessWindowScale(), std::min(3, d.limit)) << "an oversized scale falls back";
        EXPECT_EQ(SetWindowScale(8), d.limit);
        EXPECT_EQ(SetWindowScale(0), 1);
        EXPECT_EQ(HeadlessWindowScale(), 1.0);
        FrameworkEnd();
        ChangeWindowMode(0);
    }

    HeadlessSelect();
    HeadlessPostEventAtFrame(1, PLATFORM_EVENT_MODE_SWITCH);   // not allowed: ignored
    HeadlessPostEventAtFrame(3, PLATFORM_EVENT_MODE_SWITCH);
    HeadlessPostEventAtFrame(5, PLATFORM_EVENT_MODE_SWITCH);
    ASSERT_EQ(FrameworkInit(), 0);
    SetDrawTarget(-2);
    std::vector<int> modes;
    for (int frame = 0; frame < 7; frame++) {
        if (frame == 2) SetModeSwitchKeys(1);
        ProcessMessage();
        modes.push_back(HeadlessWindowed());
        EXPECT_EQ(GetWindowMode(), HeadlessWindowed());
        FlipScreen();
    }
    EXPECT_EQ(modes, (std::vector<int>{0, 0, 0, 1, 1, 0, 0}));
    FrameworkEnd();

    // Full screen cannot be made: at init, and when switched to.
    HeadlessSelect();
    HeadlessSetFullscreenFails(1);
    ASSERT_EQ(FrameworkInit(), 0);
    EXPECT_EQ(GetWindowMode(), 1);
    EXPECT_EQ(HeadlessWindowed(), 1);
    EXPECT_EQ(ChangeWindowMode(0), -1);
    EXPECT_EQ(GetWindowMode(), 1);
    EXPECT_EQ(HeadlessWindowed(), 1);
    FrameworkEnd();
    ChangeWindowMode(0);
    EXPECT_TRUE(Contains(ReadBytes("Log.txt"), "フルスクリーンにできませんでした、ウインドウモードに戻します"));
}

TEST(Lifecycle, SaveScreenPngWritesTheBackBufferExactly) {
    HeadlessSelect();
    EXPECT_EQ(SaveScreenPng("early.png"), -1) << "nothing to save before init";
    ASSERT_EQ(FrameworkInit(), 0);
    SetDrawTarget(-2);
    for (int i = 0; i < 40; i++)
        DrawRect(i * 16, i * 12, i * 16 + 30, i * 12 + 20, MakeColor(i * 6, 255 - i * 6, (i * 37) & 255), 1);
    // A folder left where a fixed temporary name would go stops nothing.
    ASSERT_EQ(mkdir("shot.png.tmp", 0755), 0);
    ASSERT_EQ(SaveScreenPng("shot.png"), 0);
    EXPECT_EQ(SaveScreenPng("no/such/folder/shot.png"), -1);
    EXPECT_EQ(SaveScreenPng(""), -1);
    const std::string bytes = ReadBytes("shot.png");
    DecodedImage image;
    ASSERT_TRUE(DecodePng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &image));
    ASSERT_EQ(image.width, 640);
    ASSERT_EQ(image.height, 480);
    FlipScreen();
    const std::vector<uint32_t>& frame = HeadlessLastFrame();
    int differing = 0;
    for (size_t i = 0; i < frame.size(); i++) differing += (image.pixels[i] & 0xFFFFFF) != (frame[i] & 0xFFFFFF);
    EXPECT_EQ(differing, 0);
    for (const std::string& name : FolderNames("."))
        EXPECT_TRUE(name == "shot.png.tmp" || name.find(".tmp") == std::string::npos) << name << ": a temporary left";
    FrameworkEnd();
}
