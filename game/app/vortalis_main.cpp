// The program: start-up, the features installed into the scene machine's
// seam (game/shell/hooks.h), and the main loop. This is the one place that
// knows every floor: the shell below, the features beside the designed game.
#include "game/app/vortalis_main.h"

#include <cstdio>
#include <string>

#include "framework/framework.h"
#include "game/common/assets.h"
#include "game/common/game_state.h"
#include "game/common/notice.h"
#include "game/common/pad.h"
#include "game/files/player_files.h"
#include "game/text/texts.h"
#include "game/launch/launch_options.h"
#include "game/replay/replay.h"
#include "game/run/run.h"
#include "game/screens/controls_screen.h"
#include "game/screens/practice_menu.h"
#include "game/screens/records_screen.h"
#include "game/screens/replays_screen.h"
#include "game/screens/settings_screen.h"
#include "game/settings/settings.h"
#include "game/shell/hooks.h"
#include "game/shell/main_loop.h"

namespace {

// The title menu's entries between スタート and おわる, in order.
const TitleEntry TITLE_ENTRIES[] = {
    {PracticeButtonImage, OpenPracticeMenu},   // 練習
    {ReplayTitleImage, OpenReplayList},        // リプレイ
    {RecordsButtonImage, OpenRecordsScreen},   // 記録
    {SettingsButtonImage, OpenSettingsMenu},   // 設定, last before おわる
};

bool StepFeatureScene() {
    if (RunStepScene() || StepReplaysScreen()) return true;
    switch (fucn_state) {
    case SCENE_SETTINGS: StepSettingsMenu(); return true;
    case SCENE_RECORDS: StepRecordsScreen(); return true;
    case SCENE_PRACTICE_MENU: StepPracticeMenu(); return true;
    default: return false;
    }
}

// F12 saves a screenshot of the frame just drawn, beside Log.txt.
void SaveScreenshot() {
    std::string error;
    if (!MakeFolders("screenshots", &error)) {
        Notify(Text(TEXT_SCREENSHOT_FAILED), error.c_str());
        return;
    }
    const std::string path = PlayerFilePath("screenshots", NewTimestampName("screenshots", "vortalis", ".png"));
    if (SaveScreenPng(path.c_str()) == 0) Notify(Text(TEXT_SCREENSHOT_SAVED), path.c_str());
    else Notify(Text(TEXT_SCREENSHOT_FAILED), path.c_str());
}

// The end of every drawn frame: the screenshot and controls keys, then the
// notices over everything (so a screenshot never shows its own notice).
void OnFrameDrawn() {
    if (KeyHoldCount(KEY_F12) == 1) SaveScreenshot();
    WatchControlsKey();
    DrawNotices();
}

// Over the title, the pause menus and the continue menu.
void DrawMenuExtras(int scene) {
    DrawBestScore(scene);
    DrawControlsHint(scene);
}

bool ExitRequested(int* exitCode) { return CommandLineReplayFinished(exitCode); }

const ShellHooks FEATURES = {
    RunOnNewGame,
    RunOnEnded,
    RunStageClearScene,
    RunGameOverScene,
    RunTakePad,
    RunOnPadMerged,
    StepFeatureScene,
    DrawMenuExtras,
    RunSkipPresent,
    OnFrameDrawn,
    StepControlsOverlay,
    ExitRequested,
    RunOnLoopLeft,
    TITLE_ENTRIES,
    static_cast<int>(sizeof TITLE_ENTRIES / sizeof TITLE_ENTRIES[0]),
};

} // namespace

int VortalisMain(void) {
    ClearNotices();
    // --replay FILE is read before anything is shown: a file that cannot be
    // played is refused with its reason, and the program ends.
    ReplayData replay;
    const bool playing = !g_launch.replayFile.empty();
    if (playing) {
        std::string error;
        if (!LoadReplayFile(g_launch.replayFile, &replay, &error)) {
            std::fprintf(stderr, "vortalis: %s: %s\n", g_launch.replayFile.c_str(), error.c_str());
            return 1;
        }
    }
    // No answer (no box could be shown) starts in a window, the safer choice.
    // --windowed and --fullscreen answer the question in advance, and so does
    // the saved screen when the player chose not to be asked. Verifying a
    // replay runs on the headless platform, asks nothing and reads no settings.
    const bool verify = playing && g_launch.verify;
    if (verify) {
        UseHeadlessPlatform();
        ChangeWindowMode(1);
    } else if (ApplySettingsBeforeInit() && AskYesNo(Text(TEXT_QUESTION_CAPTION), Text(TEXT_QUESTION)) != 1) {
        ChangeWindowMode(1);
    }
    const int wantedWindowed = GetWindowMode();
    // The pictures decode on worker threads from here on, while the framework
    // starts. Not before the question: SDL may fork a helper to show its box,
    // and a child forked while workers hold the allocator's locks can hang.
    PreloadAssets();
    SetWindowTitle("Vortalis");
    if (FrameworkInit() == -1) {
        // A second copy says so and leaves the running copy's Log.txt alone.
        char reason[160];
        if (StartupError(reason, sizeof reason) == STARTUP_ALREADY_RUNNING) {
            std::fprintf(stderr, "vortalis: the game is already running\n");
            return -1;
        }
        std::fprintf(stderr, "vortalis: the game could not start: %s (see Log.txt)\n", reason);
        return -1;
    }
    if (!verify) ApplySettingsAfterInit(wantedWindowed);
    if (SetDrawTarget(-2) != 0) {
        FrameworkEnd();
        return -1;
    }
    InstallShellHooks(FEATURES);
    fucn_state = SCENE_TITLE_RESET;
    LoadAssets();
    if (playing) {
        std::string error;
        if (!WatchReplay(replay, verify ? REPLAY_VERIFY : REPLAY_WATCH, RUN_AFTER_EXIT, &error)) {
            std::fprintf(stderr, "vortalis: %s: %s\n", g_launch.replayFile.c_str(), error.c_str());
            FrameworkEnd();
            return 1;
        }
    }
    return RunMainLoop();
}
