// Runs the whole game on the headless platform and writes chosen frames to
// PNG, so people can look at what the game shows without a display, and the
// README's pictures are made by the game itself. Run it from the folder that
// holds dat/.
//
//   vortalis_capture [--lang ja|en] [--keys SCRIPT | --replay FILE] OUT_DIR SHOT...
//
// A SHOT is a presented-frame number (written as frame_<n>_scene<s>.png) or
// NAME@FRAME (written as NAME.png). Without --keys or --replay a scripted
// player taps Shot every 8 frames (through the logo, the title and every story
// page, and firing in play), weaves up and down, and stays invincible, so the
// run passes through every scene. --keys reads a script of lines
// "FRAME KEY [FRAMES]": the key (as settings.ini names it: Z, Down, Escape,
// F1, …) held from that frame for that many frames (2 when not given);
// "#" starts a comment. --replay watches a saved replay from its start.
// The settings folder is not read: every run starts from the defaults.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "framework/backend/headless/headless.h"
#include "framework/backend/image/png_writer.h"
#include "game/app/vortalis_main.h"
#include "game/common/game_state.h"
#include "game/common/language.h"
#include "game/launch/launch_options.h"
#include "game/player/player.h"
#include "game/run/run.h"
#include "game/settings/settings.h"

namespace {

int Usage(const char* program) {
    std::fprintf(stderr, "usage: %s [--lang ja|en] [--keys SCRIPT | --replay FILE] OUT_DIR SHOT...\n", program);
    return 2;
}

// Holds the keys of a script; false (with a line on stderr) on a line it cannot read.
bool LoadKeyScript(const char* path) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "%s: cannot be read\n", path);
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); number++) {
        const std::size_t hash = line.find('#');
        if (hash != std::string::npos) line.resize(hash);
        std::istringstream words(line);
        int frame = 0, frames = 2;
        std::string key;
        if (!(words >> frame)) continue;
        if (!(words >> key) || KeyFromName(key) < 0) {
            std::fprintf(stderr, "%s:%d: a frame and a key name are wanted\n", path, number);
            return false;
        }
        words >> frames;
        HeadlessHoldKey(KeyFromName(key), frame, frame + frames);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const char* keys = nullptr;
    int arg = 1;
    g_launch = LaunchOptions{};
    g_launch.screen = SCREEN_WINDOW;
    for (; arg + 1 < argc && std::strncmp(argv[arg], "--", 2) == 0; arg += 2) {
        if (std::strcmp(argv[arg], "--keys") == 0) keys = argv[arg + 1];
        else if (std::strcmp(argv[arg], "--replay") == 0) g_launch.replayFile = argv[arg + 1];
        else if (std::strcmp(argv[arg], "--lang") == 0 && LanguageFromCode(argv[arg + 1]) >= 0)
            g_launch.language = LanguageFromCode(argv[arg + 1]);
        else return Usage(argv[0]);
    }
    if (argc - arg < 2) return Usage(argv[0]);
    const std::string out = argv[arg++];
    std::map<int, std::string> wanted;   // frame → file name
    int last = 0;
    for (; arg < argc; arg++) {
        const char* at = std::strchr(argv[arg], '@');
        const int frame = std::atoi(at ? at + 1 : argv[arg]);
        wanted[frame] = at ? std::string(argv[arg], static_cast<std::size_t>(at - argv[arg])) : "";
        if (frame > last) last = frame;
    }
    setenv("XDG_CONFIG_HOME", "/nonexistent-capture-settings", 1);
    HeadlessSelect();
    HeadlessSetAnswer(0);
    const bool scripted = !keys && g_launch.replayFile.empty();
    if (keys && !LoadKeyScript(keys)) return 1;
    if (scripted) {
        for (int f = 1; f < last + 8; f += 8) HeadlessHoldKey(KEY_Z, f, f + 2);
        for (int f = 0; f < last + 240; f += 240) {
            HeadlessHoldKey(KEY_UP, f, f + 60);
            HeadlessHoldKey(KEY_DOWN, f + 120, f + 180);
        }
    }
    HeadlessPostEventAtFrame(last, 1);   // close the window after the last frame
    HeadlessOnPresent([&](int frame, const uint32_t* pixels, int w, int h) {
        if (scripted) player.invincible = 1;
        const auto shot = wanted.find(frame);
        if (shot == wanted.end()) return;
        char name[512];
        if (shot->second.empty())
            std::snprintf(name, sizeof name, "%s/frame_%06d_scene%d.png", out.c_str(), frame, fucn_state);
        else
            std::snprintf(name, sizeof name, "%s/%s.png", out.c_str(), shot->second.c_str());
        if (!WritePng(name, pixels, w, h, w)) std::fprintf(stderr, "cannot write %s\n", name);
        else std::printf("%s\n", name);
    });
    ShowReplayMark(false);   // the pictures show the game, not the player watching it
    SetReplaySaving(false);
    const int code = VortalisMain();
    // A replay that ends before the last shot ends the program: that is no fault.
    return code == 0 || !g_launch.replayFile.empty() ? 0 : code;
}
