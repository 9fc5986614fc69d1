// The real platform: the vortalis executable on SDL's dummy video and audio
// drivers runs frames, and SIGTERM (a quit event for SDL) ends it with 0 and a
// complete log; the framework on SDL on a virtual X display fills a desktop
// in full screen.
#include <SDL.h>
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "framework/backend/platform.h"
#include "framework/framework.h"
#include "tests/support/files.h"

TEST(Binary, RunsFramesAndEndsCleanlyOnSigterm) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("XDG_RUNTIME_DIR", ".", 1);
        execl(VORTALIS_EXE, "vortalis", static_cast<char*>(nullptr));
        _exit(127);
    }
    // Wait until the game has run ten frames (txt.txt grows by a line a frame),
    // however slowly a loaded machine lets it start.
    for (int i = 0; i < 600; i++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (ReadBytes("txt.txt").find("10:") != std::string::npos) break;
    }
    kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::string log = ReadBytes("Log.txt");
    EXPECT_NE(log.find("フレームワークの初期化が完了しました\r\n"), std::string::npos);
    const std::string last = "フレームワークを終了しました\r\n";
    ASSERT_GE(log.size(), last.size());
    EXPECT_EQ(log.substr(log.size() - last.size()), last);
    EXPECT_NE(ReadBytes("txt.txt").find("10:"), std::string::npos) << "frames ran";
}

namespace {

bool HaveTool(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

pid_t Spawn(const std::vector<std::string>& argv) {
    pid_t pid = fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    return pid;
}

void Stop(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    for (int i = 0; i < 100; i++) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// An Xvfb of `size` with a black root window; its display name, or "" when it
// did not start (it writes the display number once it takes connections).
std::string StartXvfb(const char* size, pid_t* pid) {
    int fds[2];
    if (pipe(fds) != 0) return "";
    *pid = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", size, "-br", "-nolisten", "tcp"});
    close(fds[1]);
    std::string number;
    char c;
    pollfd p = {fds[0], POLLIN, 0};
    while (poll(&p, 1, 30000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    return number.empty() ? "" : ":" + number;
}

// The framework on SDL, full screen, showing four coloured quadrants until the
// file "done" appears; "ready" holds SDL's text-input state once it has run a while.
[[noreturn]] void RunFullScreen(const std::string& display) {
    setenv("DISPLAY", display.c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("XDG_RUNTIME_DIR", ".", 1);
    PlatformSelect(PlatformSdl());
    if (FrameworkInit() != 0 || SetDrawTarget(-2) != 0) _exit(2);
    DrawRect(0, 0, 320, 240, MakeColor(255, 0, 0), 1);
    DrawRect(320, 0, 640, 240, MakeColor(0, 255, 0), 1);
    DrawRect(0, 240, 320, 480, MakeColor(0, 0, 255), 1);
    DrawRect(320, 240, 640, 480, MakeColor(255, 255, 255), 1);
    for (int frame = 0; frame < 60 * 60 && access("done", F_OK) != 0; frame++) {
        if (ProcessMessage() != 0) break;
        FlipScreen();
        if (frame == 30) WriteBytes("ready", "textinput " + std::to_string(SDL_IsTextInputActive() ? 1 : 0));
    }
    FrameworkEnd();
    _exit(0);
}

} // namespace

// Full screen on a 1920×1080 virtual X display, on a bare server and under a
// window manager: the window covers the desktop and the 640×480 picture is
// shown × 2, 1280×960 centred with black bars all round (a virtual display has
// no graphics card, so the fractional step to 1440×1080 is left out); text
// input stays off.
TEST(Binary, FullScreenLetterboxesTheWholePictureWithOrWithoutAWindowManager) {
    if (!HaveTool("Xvfb") || !HaveTool("import")) GTEST_SKIP() << "Xvfb or ImageMagick is not installed";
    for (bool manager : {false, true}) {
        if (manager && (!HaveTool("openbox") || !HaveTool("xprop"))) {
            std::printf("openbox or xprop is not installed: the run under a window manager is left out\n");
            continue;
        }
        SCOPED_TRACE(manager ? "under openbox" : "no window manager");
        unlink("ready");
        unlink("done");
        pid_t xvfb = 0, wm = 0;
        const std::string display = StartXvfb("1920x1080x24", &xvfb);
        ASSERT_FALSE(display.empty()) << "Xvfb did not start";
        setenv("DISPLAY", display.c_str(), 1);
        if (manager) {
            wm = Spawn({"openbox"});
            for (int i = 0; i < 100; i++) {
                if (std::system("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'") == 0) break;
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1000));   // until it manages new windows
        }
        pid_t game = fork();
        if (game == 0) RunFullScreen(display);
        std::string ready;
        for (int i = 0; i < 600 && (ready = ReadBytes("ready")).empty(); i++)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const int shot = std::system("import -window root -depth 8 rgb:root.rgb 2>/dev/null");
        WriteBytes("done", "");
        int ended = 0;
        for (int i = 0; i < 200 && (ended = waitpid(game, nullptr, WNOHANG)) != game; i++)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (ended != game) Stop(game);
        Stop(wm);
        Stop(xvfb);

        EXPECT_EQ(ready, "textinput 0") << "the game never got going, or text input is on";
        ASSERT_EQ(shot, 0) << "no screenshot";
        const std::string root = ReadBytes("root.rgb");
        ASSERT_EQ(root.size(), 1920u * 1080 * 3);
        auto colour = [&](int x, int y) {
            const unsigned char* p = reinterpret_cast<const unsigned char*>(root.data()) + (y * 1920 + x) * 3;
            return std::string(p[0] > 128 ? "r" : "-") + (p[1] > 128 ? "g" : "-") + (p[2] > 128 ? "b" : "-");
        };
        const struct { int x, y; const char* want; } points[] = {
            {640, 300, "r--"}, {1280, 300, "-g-"}, {640, 780, "--b"}, {1280, 780, "rgb"},   // the quadrants
            {320, 60, "r--"}, {1599, 1019, "rgb"},       // the picture's corners,
            {319, 60, "---"}, {320, 59, "---"},          // just inside its bars
            {1600, 1019, "---"}, {1599, 1020, "---"},
            {120, 540, "---"}, {1800, 540, "---"},
        };
        for (const auto& p : points) EXPECT_EQ(colour(p.x, p.y), p.want) << p.x << "," << p.y;
    }
}

namespace {

struct Ended {
    int code;             // exit code, −1 when it had to be killed or died of a signal
    std::string stderrText;
};

// Runs the game with the arguments on SDL's dummy drivers; gives it `seconds`
// before killing it.
Ended RunGame(const std::vector<std::string>& args, int seconds) {
    int fds[2];
    if (pipe(fds) != 0) return {-1, ""};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 2);
        close(fds[0]);
        std::freopen("/dev/null", "w", stdout);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("XDG_RUNTIME_DIR", ".", 1);
        std::vector<char*> argv = {const_cast<char*>("vortalis")};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(VORTALIS_EXE, argv.data());
        _exit(127);
    }
    close(fds[1]);
    std::string text;
    char buffer[512];
    pollfd p = {fds[0], POLLIN, 0};
    for (int waited = 0; waited < seconds * 10; waited++) {
        if (poll(&p, 1, 100) > 0) {
            const ssize_t n = read(fds[0], buffer, sizeof buffer);
            if (n <= 0) break;
            text.append(buffer, static_cast<std::size_t>(n));
        }
    }
    close(fds[0]);
    // Its stderr closed as it exited: give it a moment to be reaped.
    int status = 0;
    pid_t ended = 0;
    for (int i = 0; i < 50 && (ended = waitpid(pid, &status, WNOHANG)) != pid; i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (ended != pid) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return {-1, text};
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text};
}

} // namespace

// A replay given on the command line that cannot be played is refused with its
// reason on stderr and exit 1, before any window, question or log; a pipe is
// refused at once, never waited on.
TEST(Binary, AReplayThatCannotBePlayedIsRefusedWithItsReasonBeforeAnyWindow) {
    ASSERT_EQ(mkfifo("pipe.vrp", 0644), 0);
    ASSERT_EQ(mkdir("folder.vrp", 0755), 0);
    WriteBytes("damaged.vrp", "VRPL and nothing a replay needs");
    const struct {
        const char* path;
        const char* reason;
    } cases[] = {
        {"missing.vrp", "no such file"},
        {"folder.vrp", "is a folder, not a file"},
        {"pipe.vrp", "is a pipe, not a file"},
        {"damaged.vrp", "too short to be a replay"},
    };
    for (const auto& c : cases) {
        for (bool verify : {false, true}) {
            std::vector<std::string> args = {"--replay", c.path};
            if (verify) args.push_back("--verify");
            const Ended e = RunGame(args, 10);
            EXPECT_EQ(e.code, 1) << c.path << (verify ? " --verify" : "");
            EXPECT_EQ(e.stderrText, std::string("vortalis: ") + c.path + ": " + c.reason + "\n");
        }
    }
    EXPECT_TRUE(ReadBytes("Log.txt").empty()) << "the framework started";
}

// A second copy of the game says on stderr that one is already running and
// leaves the running copy's Log.txt as it was.
TEST(Binary, ASecondCopySaysTheGameIsRunningAndLeavesItsLogAlone) {
    const pid_t first = fork();
    if (first == 0) {
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("XDG_RUNTIME_DIR", ".", 1);
        execl(VORTALIS_EXE, "vortalis", "--windowed", static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 200 && ReadBytes("Log.txt").find("初期化が完了しました") == std::string::npos; i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const std::string logBefore = ReadBytes("Log.txt");
    const Ended second = RunGame({"--windowed"}, 20);
    const std::string logAfter = ReadBytes("Log.txt");
    Stop(first);
    ASSERT_NE(logBefore.find("初期化が完了しました"), std::string::npos) << "the first copy did not start";
    EXPECT_EQ(second.code, 255) << "the designed −1 of a framework that cannot start";
    EXPECT_EQ(second.stderrText, "vortalis: the game is already running\n");
    EXPECT_EQ(logAfter.substr(0, logBefore.size()), logBefore) << "the running copy's log was cut";
}
