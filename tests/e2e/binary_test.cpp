// The real vortalis executable on SDL's dummy video and audio drivers: it runs
// frames, and SIGTERM (a quit event for SDL) ends it with 0 and a complete log.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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
    // Wait until the game has run some frames (txt.txt grows by a line a frame).
    for (int i = 0; i < 200; i++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (ReadBytes("Log.txt").find("初期化が完了しました") != std::string::npos) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
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
