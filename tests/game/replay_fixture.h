// Whole-game runs for the replay tests: the real main loop on the headless
// platform with the generated data; after every presented frame the test picks
// the next frame's keys from the game's state (so its choices are ordinary
// input that a replay records), and verification runs the same main loop with
// --replay FILE --verify.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "game/common/game_state.h"
#include "game/launch/launch_options.h"
#include "game/records/records.h"
#include "game/replay/replay.h"
#include "game/replay/replay_list.h"
#include "game/run/run.h"
#include "game/app/vortalis_main.h"
#include "game/shell/menus.h"
#include "game/common/pad.h"
#include "tests/support/game_data.h"

struct ReplayDriver {
    uint8_t keys[256] = {};
    uint8_t lastKeys[256] = {};
    int frameLimit = 40000;
    int language = -1;   // --lang, or −1 for the locale (C under the tests: Japanese)
    std::function<void(ReplayDriver&, int frame)> act;

    void Tap(int code) {
        if (!lastKeys[code]) keys[code] = 1;
    }
    void Hold(int code) { keys[code] = 1; }

    int Run() {
        g_launch = LaunchOptions{};
        g_launch.screen = SCREEN_WINDOW;
        g_launch.language = language;
        HeadlessSetKeysNow(keys);
        HeadlessOnPresent([this](int frame, const uint32_t*, int, int) {
            std::memcpy(lastKeys, keys, sizeof keys);
            std::memset(keys, 0, sizeof keys);
            if (act) act(*this, frame);
            if (frame >= frameLimit) fucn_state = 900;   // a run that lost its way ends, not hangs
            HeadlessSetKeysNow(keys);
        });
        return VortalisMain();
    }
};

// The exit code of --replay path --verify run in this process, which starts,
// like a fresh process, without the title's pad bindings.
inline int VerifyReplay(const std::string& path) {
    HeadlessSelect();
    ResetMenus();
    PadConfig = PadConfigRecord{};
    g_launch = LaunchOptions{};
    g_launch.replayFile = path;
    g_launch.verify = true;
    const int code = VortalisMain();
    g_launch = LaunchOptions{};
    return code;
}

// The exit code of `vortalis --replay path --verify` in a process of its
// own, as a player's replay is checked anywhere; −1 when it did not exit.
inline int VerifyInFreshProcess(const std::string& path) {
    const pid_t pid = fork();
    if (pid == 0) {
        execl(VORTALIS_EXE, "vortalis", "--replay", path.c_str(), "--verify", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

class ReplayRun : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LinkGameData());
        HeadlessSelect();
        ResetMenus();
        ForgetRun();
        ForgetRecords();   // the table of an earlier test's folder
        SetReplaySaving(true);
    }
    void TearDown() override { g_launch = LaunchOptions{}; }
};
