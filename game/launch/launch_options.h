// The command line, parsed once by the entry point into a plain record;
// nothing else reads argv. With no option the designed start-up runs: the
// full-screen question, then the game.
#pragma once

#include <string>

enum { SCREEN_ASK = -1, SCREEN_FULL = 0, SCREEN_WINDOW = 1 };

struct LaunchOptions {
    int screen = SCREEN_ASK;    // --windowed / --fullscreen skip the question
    int scale = 0;              // --scale N: window scale 1..8; 0 when not given
    std::string replayFile;     // --replay FILE: watch (or verify) a replay
    bool verify = false;        // --verify: check the replay headless and exit
    int language = -1;          // --lang ja|en (a Language); −1 when not given
    bool showVersion = false;   // --version
    bool showHelp = false;      // --help
};

extern LaunchOptions g_launch;

// Fills *out from argv. 0 when the options are good; otherwise 2 with the
// reason in *error (the caller prints it and the usage, and exits 2).
int ParseLaunchOptions(int argc, const char* const* argv, LaunchOptions* out, std::string* error);
// The usage text printed by --help and after a bad option.
const char* LaunchUsage(void);
// "vortalis <version>"
const char* LaunchVersion(void);
