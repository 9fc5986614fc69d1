// Command-line parsing: each option is a row of the table below.
#include "game/launch/launch_options.h"

#include <cstdlib>
#include <cstring>

#ifndef VORTALIS_VERSION
#define VORTALIS_VERSION "0"
#endif

LaunchOptions g_launch;

namespace {

enum Arg { NO_VALUE, TAKES_VALUE };

struct OptionRow {
    const char* name;
    Arg arg;
    // Applies the option; false with *error set when its value is bad.
    bool (*apply)(LaunchOptions* o, const char* value, std::string* error);
};

bool SetScreen(LaunchOptions* o, int screen, std::string* error) {
    if (o->screen != SCREEN_ASK && o->screen != screen) {
        *error = "--windowed and --fullscreen exclude each other";
        return false;
    }
    o->screen = screen;
    return true;
}

bool ApplyWindowed(LaunchOptions* o, const char*, std::string* e) { return SetScreen(o, SCREEN_WINDOW, e); }
bool ApplyFullscreen(LaunchOptions* o, const char*, std::string* e) { return SetScreen(o, SCREEN_FULL, e); }

bool ApplyScale(LaunchOptions* o, const char* value, std::string* error) {
    char* end = nullptr;
    const long n = std::strtol(value, &end, 10);
    if (end == value || *end != 0 || n < 1 || n > 8) {
        *error = std::string("--scale wants a whole number from 1 to 8, not \"") + value + "\"";
        return false;
    }
    o->scale = static_cast<int>(n);
    return true;
}

bool ApplyReplay(LaunchOptions* o, const char* value, std::string* error) {
    if (value[0] == 0) {
        *error = "--replay wants a file name";
        return false;
    }
    o->replayFile = value;
    return true;
}

bool ApplyLanguage(LaunchOptions* o, const char* value, std::string* error) {
    if (std::strcmp(value, "ja") == 0) o->language = 0;
    else if (std::strcmp(value, "en") == 0) o->language = 1;
    else {
        *error = std::string("--lang wants ja or en, not \"") + value + "\"";
        return false;
    }
    return true;
}

bool ApplyVerify(LaunchOptions* o, const char*, std::string*) { return o->verify = true; }
bool ApplyVersion(LaunchOptions* o, const char*, std::string*) { return o->showVersion = true; }
bool ApplyHelp(LaunchOptions* o, const char*, std::string*) { return o->showHelp = true; }

const OptionRow OPTIONS[] = {
    {"windowed", NO_VALUE, ApplyWindowed},
    {"fullscreen", NO_VALUE, ApplyFullscreen},
    {"scale", TAKES_VALUE, ApplyScale},
    {"replay", TAKES_VALUE, ApplyReplay},
    {"lang", TAKES_VALUE, ApplyLanguage},
    {"verify", NO_VALUE, ApplyVerify},
    {"version", NO_VALUE, ApplyVersion},
    {"help", NO_VALUE, ApplyHelp},
};

} // namespace

int ParseLaunchOptions(int argc, const char* const* argv, LaunchOptions* out, std::string* error) {
    LaunchOptions o;
    for (int i = 1; i < argc; i++) {
        const char* arg = argv[i];
        if (std::strncmp(arg, "--", 2) != 0 || arg[2] == 0) {
            *error = std::string("unexpected argument \"") + arg + "\"";
            return 2;
        }
        const char* name = arg + 2;
        const char* eq = std::strchr(name, '=');
        const std::size_t nameLength = eq ? static_cast<std::size_t>(eq - name) : std::strlen(name);
        const OptionRow* row = nullptr;
        for (const OptionRow& r : OPTIONS)
            if (std::strlen(r.name) == nameLength && std::strncmp(r.name, name, nameLength) == 0) row = &r;
        if (!row) {
            *error = std::string("unknown option \"") + arg + "\"";
            return 2;
        }
        const char* value = "";
        if (row->arg == TAKES_VALUE) {
            if (eq) value = eq + 1;
            else if (i + 1 < argc) value = argv[++i];
            else {
                *error = std::string("--") + row->name + " wants a value";
                return 2;
            }
        } else if (eq) {
            *error = std::string("--") + row->name + " takes no value";
            return 2;
        }
        if (!row->apply(&o, value, error)) return 2;
    }
    if (o.verify && o.replayFile.empty()) {
        *error = "--verify goes with --replay FILE";
        return 2;
    }
    *out = o;
    return 0;
}

const char* LaunchUsage(void) {
    return "usage: vortalis [options]\n"
           "  --windowed        start in a window (no start-up question)\n"
           "  --fullscreen      start full screen (no start-up question)\n"
           "  --scale N         window scale, 1 to 8 (falls back to the largest that fits)\n"
           "  --replay FILE     watch a saved replay\n"
           "  --replay FILE --verify\n"
           "                    check a replay without a window; exit 0 when it plays\n"
           "                    back exactly, 1 at the first difference\n"
           "  --lang ja|en      the language: Japanese or English (the default: settings.ini,\n"
           "                    else the locale: Japanese for ja_*, C and POSIX)\n"
           "  --version         print the version and exit\n"
           "  --help            print this text and exit\n"
           "\n"
           "controls (the keys and pad buttons can be changed in the settings):\n"
           "  arrow keys, stick, d-pad      move; choose in menus\n"
           "  Z, button 1                   shot: tap to shoot, hold to charge and\n"
           "                                release for a beam; choose in menus\n"
           "  Left Ctrl, button 3           fast-forward stories and replays\n"
           "  Left Shift, button 8          switch the options' formation\n"
           "  Escape, button 12             pause and resume; back in menus\n"
           "  F1                            the controls screen\n"
           "  F11, Alt+Enter                window or full screen\n"
           "  F12                           save a screenshot\n";
}

const char* LaunchVersion(void) { return "vortalis " VORTALIS_VERSION; }
