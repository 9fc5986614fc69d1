// Runs the whole game on the headless platform with a scripted player and writes
// chosen frames to PNG, so people can look at what the game shows without a
// display. Run it from the folder that holds dat/.
//
//   vortalis_capture OUT_DIR FRAME...      frames are presented-frame numbers
//
// The scripted player taps Shot every 8 frames (through the logo, the title and
// every story page, and firing in play), weaves up and down, and stays
// invincible, so the run passes through every scene.
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "framework/backend/headless/headless.h"
#include "framework/backend/image/png_writer.h"
#include "game/player/player.h"
#include "game/app/vortalis_main.h"
#include "game/common/game_state.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUT_DIR FRAME...\n", argv[0]);
        return 2;
    }
    const std::string out = argv[1];
    std::set<int> wanted;
    int last = 0;
    for (int i = 2; i < argc; i++) {
        int f = std::atoi(argv[i]);
        wanted.insert(f);
        if (f > last) last = f;
    }
    HeadlessSelect();
    HeadlessSetAnswer(0);
    for (int f = 1; f < last + 8; f += 8) HeadlessHoldKey(0x2C, f, f + 2);   // Z
    for (int f = 0; f < last + 240; f += 240) {
        HeadlessHoldKey(0xC8, f, f + 60);                                      // up
        HeadlessHoldKey(0xD0, f + 120, f + 180);                               // down
    }
    HeadlessPostEventAtFrame(last, 1);   // close the window after the last frame
    HeadlessOnPresent([&](int frame, const uint32_t* pixels, int w, int h) {
        player.invincible = 1;
        if (!wanted.count(frame)) return;
        char name[512];
        std::snprintf(name, sizeof name, "%s/frame_%06d_scene%d.png", out.c_str(), frame, fucn_state);
        if (!WritePng(name, pixels, w, h, w)) std::fprintf(stderr, "cannot write %s\n", name);
        else std::printf("%s\n", name);
    });
    return VortalisMain();
}
