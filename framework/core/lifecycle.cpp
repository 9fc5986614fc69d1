// The framework's life: FrameworkInit and FrameworkEnd, the main window and its
// message pump ProcessMessage, the pump thread, the frame present FlipScreen,
// the clock, and the window settings made before init. Every public call takes
// the API lock.
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <unistd.h>

#include "framework/backend/platform.h"
#include "framework/core/api_lock.h"
#include "framework/core/console.h"
#include "framework/core/log.h"
#include "framework/core/random.h"
#include "framework/core/services.h"
#include "framework/core/state.h"
#include "framework/core/text_encoding.h"
#include "framework/framework.h"

CoreState g_core;

namespace {

const char* const DEFAULT_CAPTION = "Vortalis Framework";
const char* const DEFAULT_CLASS = "D123987X";
enum { PUMP_INTERVAL_MS = 17, MESSAGES_PER_PASS = 5, REFRESH_TRIALS = 8 };

std::thread::id g_mainThread;

// The message-pump thread and how it is told to stop.
struct PumpThread {
    std::thread thread;
    std::atomic<bool> stop{false};
    std::mutex m;
    std::condition_variable cv;
};
PumpThread g_pump;

const Platform* P() { return PlatformGet(); }

void PumpMain() {
    while (!g_pump.stop.load() && !g_core.quit.load()) {
        if (!ApiLockAcquireUnless(&g_pump.stop)) break;
        int r = ProcessMessage();
        ApiLockRelease();
        if (r < 0) break;
        std::unique_lock<std::mutex> g(g_pump.m);
        g_pump.cv.wait_for(g, std::chrono::milliseconds(PUMP_INTERVAL_MS), [] { return g_pump.stop.load(); });
    }
}

void StartPumpThread() {
    g_pump.stop = false;
    try {
        g_pump.thread = std::thread(PumpMain);
    } catch (...) {
        WriteLogLine("ProcessMessage をひたすら呼びつづけるスレッドの立ち上げに失敗しました\n");
    }
}

// Stops the pump thread and waits for it, so that it never touches the lock
// after FrameworkEnd has deleted it. Called with the API lock held.
void StopPumpThread() {
    if (!g_pump.thread.joinable()) return;
    {
        std::lock_guard<std::mutex> g(g_pump.m);
        g_pump.stop = true;
    }
    g_pump.cv.notify_all();
    ApiLockWakeAll();
    g_pump.thread.join();
}

void DestroyWindowNow() {
    if (!g_core.windowExists) return;
    P()->DestroyWindow();
    g_core.windowExists = 0;
    g_core.quit = 1;   // destroying the window posts the quit message
}

int ChangeWindowModeImpl(int windowed);

// The window procedure as far as the game depends on it.
void HandleEvent(const PlatformEvent& e) {
    switch (e.kind) {
    case PLATFORM_EVENT_CLOSE_REQUEST:
        WriteLogLine("ウインドウを閉じようとしています\n");
        DestroyWindowNow();
        break;
    case PLATFORM_EVENT_QUIT:
        g_core.quit = 1;
        break;
    case PLATFORM_EVENT_ACTIVATE:
        g_core.active = 1;
        break;
    case PLATFORM_EVENT_DEACTIVATE:
        g_core.active = 0;
        break;
    case PLATFORM_EVENT_MODE_SWITCH:
        // Events are taken on the main thread only, so the switch runs there.
        if (g_core.keyboardModeSwitch && ChangeWindowModeImpl(g_core.windowed ? 0 : 1) != 0)
            ScreenPrintF("フルスクリーンにできませんでした。ウインドウで続けます\n");
        break;
    default:
        break;
    }
}

// Takes at most MESSAGES_PER_PASS events; true when the queue was emptied.
bool PumpPass() {
    PlatformEvent e;
    for (int i = 0; i < MESSAGES_PER_PASS; i++) {
        if (!P()->PollEvent(&e)) return true;
        HandleEvent(e);
    }
    return false;
}

void PumpFor(uint32_t ms) {
    uint32_t start = P()->TicksMs();
    while (P()->TicksMs() - start < ms && !g_core.quit.load()) {
        PumpPass();
        P()->SleepMs(1);
    }
}

// One display frame measured several times; P is a duration met in at least two
// trials, and the pre-sleep before each vertical-blank wait is (2P − 4) / 3 ms.
void MeasureRefresh() {
    int trial[REFRESH_TRIALS];
    P()->WaitVBlank();
    for (int i = 0; i < REFRESH_TRIALS; i++) {
        uint32_t t0 = P()->TicksMs();
        P()->WaitVBlank();
        trial[i] = static_cast<int>(P()->TicksMs() - t0);
        char line[64];
        snprintf(line, sizeof line, "\tTri%02d:%d msec\n", i, trial[i]);
        WriteLogLine(line);
    }
    g_core.refreshWaitMs = -1;
    for (int i = 0; i < REFRESH_TRIALS && g_core.refreshWaitMs < 0; i++)
        for (int j = i + 1; j < REFRESH_TRIALS; j++)
            if (trial[i] == trial[j]) { g_core.refreshWaitMs = (2 * trial[i] - 4) / 3; break; }
}

// A whole window scale set by the additions that does not fit the desktop
// falls back to the largest that does. Fractional scales are the designed
// field's own and stay as they are.
void FitWindowScale() {
    const double scale = g_core.windowScale;
    if (scale <= 1.0 || scale != std::floor(scale)) return;
    const int limit = WindowScaleLimit();
    if (scale <= limit) return;
    char line[128];
    snprintf(line, sizeof line, "ウインドウの倍率%dは画面に収まらないため%dにします\n", static_cast<int>(scale), limit);
    WriteLogLine(line);
    g_core.windowScale = limit;
}

// Why FrameworkInit failed, for StartupError: one line of English per code.
const char* const STARTUP_REASONS[] = {
    "",                                                                        // STARTUP_OK
    "another copy of this program is already running",                         // STARTUP_ALREADY_RUNNING
    "the framework is already started",                                        // STARTUP_ALREADY_STARTED
    "the platform (video, events or audio) could not start",                   // STARTUP_PLATFORM
    "windowed mode is not supported on a 24-bit desktop",                      // STARTUP_DESKTOP_24BIT
    "the window could not be created",                                         // STARTUP_WINDOW
    "the input devices could not start",                                       // STARTUP_INPUT
    "the graphics could not start",                                            // STARTUP_GRAPHICS
};

void ShutdownStarted(bool graphics, bool sound, bool input) {
    if (graphics) GraphicsShutdown();
    if (input) InputShutdown();
    if (sound) SoundShutdown();
}

int InitImpl() {
    g_core.startupError = STARTUP_OK;
    g_core.initialising = 1;
    CoreMarkMainThread();
    if (!getcwd(g_core.logFolder, sizeof g_core.logFolder)) g_core.logFolder[0] = 0;
    std::memcpy(g_core.startDirectory, g_core.logFolder, sizeof g_core.startDirectory);
    g_core.quit = 0;
    g_core.active = 1;   // until the platform says otherwise, the window counts as active

    // The second-instance check comes before anything else, the log above all:
    // a copy that is refused must leave the running copy's Log.txt alone. Its
    // log lines are written at their usual place below. The class name is
    // taken before the caption gets its default, so a program that names
    // neither shares the fixed class name.
    LogSuspend();
    if (g_core.className[0] == 0)
        snprintf(g_core.className, sizeof g_core.className, "%s", g_core.caption[0] ? g_core.caption : DEFAULT_CLASS);
    if (g_core.caption[0] == 0) snprintf(g_core.caption, sizeof g_core.caption, "%s", DEFAULT_CAPTION);
    const int instance = P()->AcquireInstance(g_core.instanceKey[0] ? g_core.instanceKey : g_core.className);
    if (instance == 0 && !g_core.allowSecondInstance) {
        // Only a stderr copy (SetLogEcho) shows this line: no log file is written.
        WriteLogLine("ソフトの二重起動検査... 二重起動されています、ソフトを終了します\n");
        g_core.startupError = STARTUP_ALREADY_RUNNING;
        g_core.initialising = 0;
        return -1;
    }
    g_core.instanceHeld = instance != 0 ? 1 : 0;

    if (P()->Startup() != 0) {
        LogStart();
        WriteLogLine("プラットフォームの初期化に失敗しました\n");
        if (g_core.instanceHeld) { P()->ReleaseInstance(); g_core.instanceHeld = 0; }
        g_core.startupError = STARTUP_PLATFORM;
        g_core.initialising = 0;
        return -1;
    }
    LogStart();
    WriteLogLine("フレームワークの初期化を開始します\n");
    LogIndent(1);

    auto fail = [](int reason, bool graphics, bool sound, bool input) {
        ShutdownStarted(graphics, sound, input);
        StopPumpThread();
        DestroyWindowNow();
        if (g_core.instanceHeld) { P()->ReleaseInstance(); g_core.instanceHeld = 0; }
        P()->Shutdown();
        LogIndent(-1);
        WriteLogLine("初期化に失敗しました\n");
        g_core.startupError = reason;
        g_core.initialising = 0;
        g_core.quit = 0;
        return -1;
    };

    if (g_core.windowed && P()->DesktopBytesPerPixel() == 3) {
        WriteLogLine("24ビットカラーモードには対応していません\n");
        return fail(STARTUP_DESKTOP_24BIT, false, false, false);
    }

    RandomSeedAtStartup();

    WriteLogLine("ソフトの二重起動検査... ");
    if (instance == 0) WriteLogLine("二重起動されていますが続行します\n");
    else WriteLogLine("二重起動はされていませんでした\n");

    FitWindowScale();
    if (g_core.windowed) WriteLogLine("ウインドウモード起動用のウインドウを作成します\n");
    else WriteLogLine("フルスクリーンモード起動用のウインドウを作成します\n");
    PlatformWindowDesc desc = {CoreScreenWidth(), CoreScreenHeight(), g_core.windowed,
                               g_core.windowScale > 0 ? g_core.windowScale : 1.0, g_core.caption};
    int created = P()->CreateWindow(&desc);
    if (created != 0 && !g_core.windowed) {
        // A full screen that cannot be made still leaves the player a window.
        WriteLogLine("フルスクリーンにできませんでした、ウインドウモードで作成します\n");
        g_core.windowed = 1;
        desc.windowed = 1;
        created = P()->CreateWindow(&desc);
    }
    if (created != 0) {
        WriteLogLine("ウインドウの作成に失敗しました\n");
        return fail(STARTUP_WINDOW, false, false, false);
    }
    g_core.windowExists = 1;
    if (!g_core.windowed) WriteLogLine("カーソルを不可視にしました\n");

    PumpFor(200);
    StartPumpThread();

    if (InputStartup() != 0) {
        WriteLogLine("入力デバイスの初期化に失敗しました\n");
        return fail(STARTUP_INPUT, false, false, true);
    }
    if (SoundStartup() != 0) WriteLogLine("サウンドデバイスが使えません、音は鳴りません\n");

    WriteLogLine("グラフィックスの初期化を開始します\n");
    if (GraphicsStartup() != 0) {
        WriteLogLine("グラフィックスの初期化に失敗しました\n");
        return fail(STARTUP_GRAPHICS, true, true, true);
    }
    MeasureRefresh();
    g_core.displayReady = 1;
    g_core.vblankWait = 1;
    ConsoleReset();
    g_core.initialised = 1;
    g_core.initialising = 0;
    LogIndent(-1);
    WriteLogLine("フレームワークの初期化が完了しました\n");
    return 0;
}

int EndImpl() {
    WriteLogLine("フレームワークの終了処理を開始します\n");
    LogIndent(1);
    FontShutdown();
    StopPumpThread();
    if (g_core.initialised) {
        GraphicsShutdown();
        InputShutdown();
        SoundShutdown();
    }
    g_core.displayReady = 0;
    FileShutdown();
    DestroyWindowNow();   // sets the quit flag: ProcessMessage returns -1 from here on
    if (g_core.instanceHeld) { P()->ReleaseInstance(); g_core.instanceHeld = 0; }
    P()->Shutdown();
    if (g_core.startDirectory[0] && chdir(g_core.startDirectory) != 0) { /* nothing more to restore */ }
    g_core.initialised = 0;
    ConsoleReset();
    LogIndent(-1);
    WriteLogLine("フレームワークを終了しました\n");
    return 0;
}

int ProcessMessageImpl() {
    if (g_core.inProcessMessage) return 0;
    if (!g_core.windowExists) return g_core.quit.load() ? -1 : 0;

    if (CoreOnMainThread()) {
        for (;;) {
            if (g_core.quit.load()) break;
            bool inactive = !g_core.active.load() && !g_core.alwaysRun;
            if (inactive) {
                if (g_core.inactiveSince == 0) g_core.inactiveSince = P()->TicksMs() | 1;
                P()->SleepMs(1);
            }
            bool emptied = PumpPass();
            inactive = !g_core.active.load() && !g_core.alwaysRun;
            if (inactive && !g_core.quit.load()) {
                SoundServiceStreams();
                P()->SleepMs(1);
                continue;
            }
            if (emptied) break;
        }
        g_core.inactiveSince = 0;
    }
    g_core.inProcessMessage = 1;
    SoundServiceStreams();
    g_core.inProcessMessage = 0;
    return g_core.quit.load() ? -1 : 0;
}

int FlipImpl() {
    if (!g_core.displayReady) return -1;
    ConsoleDraw();
    if (GraphicsTargetIsFront()) {
        g_core.frameCount++;
        if (g_core.windowed || g_core.vblankWait) P()->WaitVBlank();
        return 0;
    }
    if (g_core.vblankWait) {
        if (g_core.windowed && g_core.refreshWaitMs > 0) {
            while (P()->TicksMs() - g_core.lastVblankWait < static_cast<uint32_t>(g_core.refreshWaitMs))
                P()->SleepMs(1);
        }
        P()->WaitVBlank();
        g_core.lastVblankWait = P()->TicksMs();
    }
    GraphicsPresent();
    if (!g_core.windowed && g_core.vblankWait) P()->SleepMs(1);
    g_core.frameCount++;
    return 0;
}

int ChangeWindowModeImpl(int windowed) {
    WriteLogLine("ChangeWindowMode実行 \n");
    windowed = windowed ? 1 : 0;
    if (windowed == g_core.windowed) return 0;
    g_core.windowed = windowed;
    WriteLogLine(windowed ? "ウインドウモードフラグが立てられました\n" : "ウインドウモードフラグが倒されました\n");
    if (!g_core.windowExists) return 0;
    WriteLogLine(windowed ? "ウインドウスタイルをウインドウモード用に変更します... "
                          : "ウインドウスタイルをフルスクリーンモード用に変更します... ");
    const double scale = g_core.windowScale > 0 ? g_core.windowScale : 1.0;
    int r = P()->SetWindowed(windowed, scale);
    WriteLogLine("完了\n");
    if (r != 0 && !windowed) {
        // A full screen that cannot be made leaves the player a window, not a
        // half-switched display.
        WriteLogLine("フルスクリーンにできませんでした、ウインドウモードに戻します\n");
        g_core.windowed = 1;
        P()->SetWindowed(1, scale);
    }
    PumpPass();
    return r == 0 ? 0 : -1;
}

} // namespace

int CoreScreenWidth(void) { return g_core.screenWidth > 0 ? g_core.screenWidth : 640; }
int CoreScreenHeight(void) { return g_core.screenHeight > 0 ? g_core.screenHeight : 480; }
void CoreMarkMainThread(void) { g_mainThread = std::this_thread::get_id(); }
bool CoreOnMainThread(void) {
    return g_mainThread == std::thread::id() || g_mainThread == std::this_thread::get_id();
}

int FrameworkInit(void) {
    ApiLockAcquire();
    int r;
    if (g_core.initialised) {
        g_core.startupError = STARTUP_ALREADY_STARTED;
        r = -1;
    } else {
        r = InitImpl();
    }
    ApiLockRelease();
    return r;
}

int FrameworkEnd(void) {
    ApiLockAcquire();
    int r = EndImpl();
    ApiLockRelease();
    ApiLockDestroy();
    return r;
}

int ProcessMessage(void) {
    ApiGuard guard;
    return ProcessMessageImpl();
}

int FlipScreen(void) {
    ApiGuard guard;
    return FlipImpl();
}

int ChangeWindowMode(int windowed) {
    ApiGuard guard;
    return ChangeWindowModeImpl(windowed);
}

int SetWindowTitle(const char* caption) {
    ApiGuard guard;
    snprintf(g_core.caption, sizeof g_core.caption, "%s", TextToShiftJis(caption).c_str());
    if (g_core.windowExists) P()->SetCaption(g_core.caption);
    return 0;
}

int GetTickMs(void) {
    return static_cast<int>(P()->TicksMs());
}

int AskYesNo(const char* caption, const char* text) {
    ApiGuard guard;
    return P()->AskYesNo(TextToShiftJis(caption).c_str(), TextToShiftJis(text).c_str());
}

int SleepMs(int ms) {
    if (ms <= 0) return 0;
    // When the present itself waits for the display's blank, a sleep that ran
    // past the next blank would make that present wait for the one after, a
    // whole frame lost. The sleep then ends a millisecond before the blank and
    // the present's own wait does the rest.
    double period = 0;
    uint32_t lastBlank = 0;
    if (g_core.displayReady && P()->PresentWaitsForBlank && P()->PresentWaitsForBlank(&period, &lastBlank) &&
        period > 2.0) {
        const uint32_t since = P()->TicksMs() - lastBlank;
        const double intoFrame = std::fmod(static_cast<double>(since), period);
        const int beforeBlank = static_cast<int>(period - intoFrame) - 1;
        if (beforeBlank < ms) ms = beforeBlank;
        if (ms <= 0) return 0;
    }
    P()->SleepMs(static_cast<uint32_t>(ms));
    return 0;
}

// ---- Additions: window scale and mode switching ----

int WindowScaleLimit(void) {
    ApiGuard guard;
    int w = 0, h = 0;
    if (!P()->DesktopSize || P()->DesktopSize(&w, &h) != 0 || w <= 0 || h <= 0) return 1;
    // Room is left for the window's title bar and the desktop's panels.
    int limit = 1;
    while ((limit + 1) * CoreScreenWidth() <= w && (limit + 1) * CoreScreenHeight() <= h - 60) limit++;
    return limit;
}

int SetWindowScale(int scale) {
    ApiGuard guard;
    g_core.windowScale = scale < 1 ? 1 : scale;
    if (!g_core.windowExists) return scale < 1 ? 1 : scale;   // FrameworkInit cuts it to the desktop
    FitWindowScale();
    if (g_core.windowed) P()->SetWindowed(1, g_core.windowScale);
    return static_cast<int>(g_core.windowScale);
}

int GetWindowMode(void) {
    ApiGuard guard;
    return g_core.windowed;
}

int SetModeSwitchKeys(int allowed) {
    ApiGuard guard;
    g_core.keyboardModeSwitch = allowed ? 1 : 0;
    return 0;
}

// ---- Additions: programs built on the framework ----

int StartupError(char* reason, int size) {
    ApiGuard guard;
    const int code = g_core.startupError;
    if (reason && size > 0) snprintf(reason, static_cast<size_t>(size), "%s", STARTUP_REASONS[code]);
    return code;
}

int SetInstanceKey(const char* key) {
    ApiGuard guard;
    if (g_core.initialised) return -1;
    snprintf(g_core.instanceKey, sizeof g_core.instanceKey, "%s", TextToShiftJis(key).c_str());
    return 0;
}

int AllowSecondInstance(int allowed) {
    ApiGuard guard;
    if (g_core.initialised) return -1;
    g_core.allowSecondInstance = allowed ? 1 : 0;
    return 0;
}
