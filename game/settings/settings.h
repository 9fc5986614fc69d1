// The player's settings: volumes, the screen, the start-up question and the
// key and pad bindings, kept in $XDG_CONFIG_HOME/vortalis/settings.ini. With
// no file (or nothing changed) every value is the designed game's: the
// question at start, full volume, the default keys.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "game/common/pad.h"

enum { VOLUME_STEPS = 10, WINDOW_SCALE_CHOICES = 3 };

struct Settings {
    int musicVolume = VOLUME_STEPS;    // 0..10, on top of the volumes the game sets
    int effectVolume = VOLUME_STEPS;
    bool fullscreen = true;            // the saved screen choice
    int windowScale = 1;               // 1..3 when windowed
    bool askAtStart = true;            // no: the saved screen choice is used
    Bindings bindings = DEFAULT_BINDINGS;
    int language = -1;                 // a Language once chosen; −1: the locale decides
};

extern Settings g_settings;

// ---- The file (settings_file.cpp) ----
// Reads "key = value" lines; comments start with ';' or '#'. Unknown keys and
// malformed lines are skipped, each with one line in *problems; a key set
// that would leave an action unbound or bind one key twice is refused as a
// whole. Values not in the text keep those of *out.
void ParseSettings(const char* text, std::size_t size, Settings* out, std::vector<std::string>* problems);
std::string FormatSettings(const Settings& s);
// The name of a key code in the file and on the settings screen ("Z",
// "LCtrl", …); "Key%d" for codes without a name.
std::string KeyName(int code);
int KeyFromName(const std::string& name);        // −1 when unknown
std::string SettingsPath(void);                  // "" when no config folder can be found
// Reads the file into g_settings (defaults when it is missing or unreadable).
void LoadSettings(std::vector<std::string>* problems);
bool SaveSettings(std::string* error);

// ---- Applying them (settings.cpp) ----
// Before FrameworkInit: the language (--lang, else the file's, else the
// locale's), the bindings, the window scale and the screen choice; returns
// true when the start-up question is still to be asked.
bool ApplySettingsBeforeInit(void);
// After FrameworkInit: volumes, the Alt+Enter / F11 switch, and the console
// lines of a damaged file; wantedWindowed is the mode asked for before init
// (a full screen the platform could not make is reported).
void ApplySettingsAfterInit(int wantedWindowed);
int VolumePermille(int step);                    // 0..10 → 0..1000, a square law
void ApplyVolumes(void);
