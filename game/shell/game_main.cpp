// Start-up and the main loop: one frame per pass, in this order: input, the
// scene step, the frame counter, music, menus, pacing, present.
#include "game/shell/game_main.h"

#include "framework/framework.h"
#include "game/extensions.h"
#include "game/game_state.h"
#include "game/launch/launch_options.h"
#include "game/settings/settings.h"
#include "game/shell/assets.h"
#include "game/shell/menus.h"
#include "game/shell/music.h"
#include "game/shell/pacing.h"
#include "game/shell/pad.h"

namespace {

// Keyboard, then the joypad merged into the pad slots, or a replay's mask
// in place of the devices.
void PollPad() {
    PollKeyboard();
    unsigned mask = 0;
    if (TakeReplayedPad(&mask)) ApplyPadMask(mask);
    else PollJoypad();
    OnPadMerged(PadHeldMask());
}

void RunFrameTail() {
    StepMusic();
    StepMenuDispatcher();
    if (SkipPresent()) return;
    OnFrameDrawn();
    PaceFrame();
    FlipScreen();
}

} // namespace

int VortalisMain(void) {
    // No answer (no box could be shown) starts in a window, the safer choice.
    // --windowed and --fullscreen answer the question in advance, and so does
    // the saved screen when the player chose not to be asked. Verifying a
    // replay runs on the headless platform, asks nothing and reads no settings.
    const bool verify = g_launch.verify && !g_launch.replayFile.empty();
    if (verify) {
        UseHeadlessPlatform();
        ChangeWindowMode(1);
    } else if (ApplySettingsBeforeInit() && AskYesNo("スクリーン設定", "フルスクリーンモードで起動しますか？") != 1) {
        ChangeWindowMode(1);
    }
    const int wantedWindowed = GetWindowMode();
    // The pictures decode on worker threads from here on, while the framework
    // starts. Not before the question: SDL may fork a helper to show its box,
    // and a child forked while workers hold the allocator's locks can hang.
    PreloadAssets();
    SetWindowTitle("Vortalis");
    if (FrameworkInit() == -1) return -1;
    if (!verify) ApplySettingsAfterInit(wantedWindowed);
    if (SetDrawTarget(-2) != 0) {
        FrameworkEnd();
        return -1;
    }
    fucn_state = 0;
    LoadAssets();
    if (!g_launch.replayFile.empty()) StartLaunchReplay();

    int exitCode = 0;
    while (!LaunchReplayFinished(&exitCode) && ProcessMessage() == 0 && ClearDrawTarget() == 0) {
        PollPad();
        if (fucn_state == 900) FlushPacingLog();
        if (!RunScene()) return 0;   // scene 900 has ended the framework
        frame_counter++;
        RunFrameTail();
    }
    OnMainLoopLeft();
    FlushPacingLog();
    FrameworkEnd();
    return exitCode;
}
