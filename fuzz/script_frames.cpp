// The script targets' frame loop: Shot pressed on every other frame turns the
// pages, skip held in bursts reveals them at once, and the typewriter's row,
// column and box line are checked after each frame.
#include "fuzz/script_frames.h"

#include <cstdlib>
#include <cstring>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "game/common/assets.h"
#include "game/common/game_state.h"
#include "game/common/pad.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

} // namespace

void FuzzPrepareScriptRunner(void) {
    SetDrawTarget(-2);
    g_assets.white = MakeColor(255, 255, 255);
    g_assets.fontMenu = CreateFontToHandle("HGPｺﾞｼｯｸE", 15, 2, 3, -1, -1, 0, -1, -1);
    ResetPadConfig();
}

void FuzzCheckScriptTable(void) {
    for (const ScriptRow& row : g_script) {
        Check(std::memchr(row.name, 0, sizeof row.name) != nullptr);
        Check(std::memchr(row.text, 0, sizeof row.text) != nullptr);
    }
}

void FuzzRunScript(const std::function<void()>& step, Typewriter* tw) {
    ResetPadState();
    fucn_state = 0;
    frame_counter = 0;
    fade_brightness = 255;
    uint8_t keys[PLATFORM_KEYS];
    for (int f = 0; f < FUZZ_SCRIPT_FRAMES && fucn_state != FUZZ_END_SCENE; f++) {
        std::memset(keys, 0, sizeof keys);
        keys[KEY_Z] = f % 2 == 0;
        keys[KEY_LCONTROL] = f % 8 >= 4;
        HeadlessSetKeysNow(keys);
        PollKeyboard();
        PollJoypad();
        // Blending the text box costs far more than the reader and the typewriter,
        // so the whole runner frame (typing, portraits, text) runs on one frame in
        // eight and the typewriter alone on the others.
        if (f % 8 == 0) {
            step();
        } else {
            StepTypewriter(tw);
            if (IsEndRow(tw->row)) break;
        }
        frame_counter++;
        Check(tw->row >= 0 && tw->row < SCRIPT_ROWS);
        Check(tw->col >= 0 && tw->col < SCRIPT_TEXT_BYTES);
        Check(tw->line >= 0 && tw->line < BOX_LINES);
        for (int i = 0; i < BOX_LINES; i++) Check(std::memchr(tw->box[i], 0, BOX_LINE_BYTES) != nullptr);
    }
}
