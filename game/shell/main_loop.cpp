// The frame order of the whole game, in one place.
#include "game/shell/main_loop.h"

#include "framework/framework.h"
#include "game/common/game_state.h"
#include "game/common/pad.h"
#include "game/shell/hooks.h"
#include "game/shell/menus.h"
#include "game/shell/music.h"
#include "game/shell/pacing.h"
#include "game/shell/scenes.h"

namespace {

// Keyboard, then the joypad merged into the pad slots, or a replay's mask
// in place of the devices.
void PollPad(const ShellHooks& h) {
    PollKeyboard();
    unsigned mask = 0;
    if (h.takePad && h.takePad(&mask)) ApplyPadMask(mask);
    else PollJoypad();
    if (h.padMerged) h.padMerged(PadHeldMask());
}

void RunFrameTail(const ShellHooks& h) {
    StepMusic();
    StepMenuDispatcher();
    if (h.skipPresent && h.skipPresent()) return;
    if (h.frameDrawn) h.frameDrawn();
    PaceFrame();
    FlipScreen();
}

bool ExitRequested(const ShellHooks& h, int* exitCode) { return h.exitRequested && h.exitRequested(exitCode); }

} // namespace

int RunMainLoop(void) {
    const ShellHooks& h = InstalledShellHooks();
    int exitCode = 0;
    while (!ExitRequested(h, &exitCode) && ProcessMessage() == 0 && ClearDrawTarget() == 0) {
        if (h.overlay && h.overlay()) {
            if (h.frameDrawn) h.frameDrawn();
            PaceFrame();
            FlipScreen();
            continue;
        }
        PollPad(h);
        if (fucn_state == SCENE_QUIT) FlushPacingLog();
        if (!RunScene()) return 0;   // scene 900 has ended the framework
        frame_counter++;
        RunFrameTail(h);
    }
    if (h.loopLeft) h.loopLeft();
    FlushPacingLog();
    FrameworkEnd();
    return exitCode;
}
