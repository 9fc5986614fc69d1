// settings.ini: reading, writing and the key names used in it. The reader
// takes any bytes: lines longer than the buffer of a value, missing '=',
// unknown keys and out-of-range values are each skipped with one problem
// line, and nothing of them reaches the next save (which writes the record).
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/common/language.h"
#include "game/files/player_files.h"
#include "game/settings/settings.h"
#include "game/text/texts.h"

Settings g_settings;

namespace {

// Why the settings file must not be written over this session ("" when it may).
std::string g_settingsKeep;

} // namespace

namespace {

enum { MAX_FILE_BYTES = 64 * 1024, MAX_SHOWN = 40 };

struct KeyNameRow {
    int code;
    const char* name;
};

// The framework's key codes (set-1 scan codes, +0x80 extended) by name.
const KeyNameRow KEY_NAMES[] = {
    {0x01, "Escape"}, {0x02, "1"}, {0x03, "2"}, {0x04, "3"}, {0x05, "4"}, {0x06, "5"}, {0x07, "6"},
    {0x08, "7"}, {0x09, "8"}, {0x0A, "9"}, {0x0B, "0"}, {0x0C, "Minus"}, {0x0D, "Equals"},
    {0x0E, "Backspace"}, {0x0F, "Tab"}, {0x10, "Q"}, {0x11, "W"}, {0x12, "E"}, {0x13, "R"},
    {0x14, "T"}, {0x15, "Y"}, {0x16, "U"}, {0x17, "I"}, {0x18, "O"}, {0x19, "P"},
    {0x1A, "LBracket"}, {0x1B, "RBracket"}, {0x1C, "Enter"}, {0x1D, "LCtrl"}, {0x1E, "A"},
    {0x1F, "S"}, {0x20, "D"}, {0x21, "F"}, {0x22, "G"}, {0x23, "H"}, {0x24, "J"}, {0x25, "K"},
    {0x26, "L"}, {0x27, "Semicolon"}, {0x28, "Apostrophe"}, {0x29, "Grave"}, {0x2A, "LShift"},
    {0x2B, "Backslash"}, {0x2C, "Z"}, {0x2D, "X"}, {0x2E, "C"}, {0x2F, "V"}, {0x30, "B"},
    {0x31, "N"}, {0x32, "M"}, {0x33, "Comma"}, {0x34, "Period"}, {0x35, "Slash"},
    {0x36, "RShift"}, {0x37, "KpMultiply"}, {0x38, "LAlt"}, {0x39, "Space"}, {0x3A, "CapsLock"},
    {0x3B, "F1"}, {0x3C, "F2"}, {0x3D, "F3"}, {0x3E, "F4"}, {0x3F, "F5"}, {0x40, "F6"},
    {0x41, "F7"}, {0x42, "F8"}, {0x43, "F9"}, {0x44, "F10"}, {0x45, "NumLock"},
    {0x46, "ScrollLock"}, {0x47, "Kp7"}, {0x48, "Kp8"}, {0x49, "Kp9"}, {0x4A, "KpMinus"},
    {0x4B, "Kp4"}, {0x4C, "Kp5"}, {0x4D, "Kp6"}, {0x4E, "KpPlus"}, {0x4F, "Kp1"}, {0x50, "Kp2"},
    {0x51, "Kp3"}, {0x52, "Kp0"}, {0x53, "KpPeriod"}, {0x57, "F11"}, {0x58, "F12"},
    {0x9C, "KpEnter"}, {0x9D, "RCtrl"}, {0xB5, "KpDivide"}, {0xB8, "RAlt"}, {0xC7, "Home"},
    {0xC8, "Up"}, {0xC9, "PageUp"}, {0xCB, "Left"}, {0xCD, "Right"}, {0xCF, "End"},
    {0xD0, "Down"}, {0xD1, "PageDown"}, {0xD2, "Insert"}, {0xD3, "Delete"},
};

const char* const ACTION_NAMES[PAD_ACTIONS] = {"shot", "skip", "formation", "pause"};

std::string Trim(const std::string& s) {
    std::size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t')) a++;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\r')) b--;
    return s.substr(a, b - a);
}

// A text from the file, cut short for one console line.
std::string Shown(const std::string& s) { return s.size() > MAX_SHOWN ? s.substr(0, MAX_SHOWN) + "..." : s; }

bool ParseInt(const std::string& v, int lo, int hi, int* out) {
    if (v.empty() || v.size() > 6) return false;
    char* end = nullptr;
    const long n = std::strtol(v.c_str(), &end, 10);
    if (*end != 0 || n < lo || n > hi) return false;
    *out = static_cast<int>(n);
    return true;
}

bool ParseYesNo(const std::string& v, bool* out) {
    if (v == "yes") { *out = true; return true; }
    if (v == "no") { *out = false; return true; }
    return false;
}

// A key set every action can be played with: bindable keys, none twice.
bool KeysUsable(const int* keys) {
    for (int a = 0; a < PAD_ACTIONS; a++) {
        if (!IsBindableKey(keys[a])) return false;
        for (int b = 0; b < a; b++)
            if (keys[a] == keys[b]) return false;
    }
    return true;
}

bool ButtonsUsable(const int* buttons) {
    for (int a = 0; a < PAD_ACTIONS; a++) {
        if (buttons[a] < 1 || buttons[a] > PAD_BUTTON_COUNT) return false;
        for (int b = 0; b < a; b++)
            if (buttons[a] == buttons[b]) return false;
    }
    return true;
}

// One "key = value" pair; false when the key is unknown or the value bad.
bool ApplyPair(const std::string& key, const std::string& value, Settings* s, int* keys, int* buttons) {
    if (key == "music_volume") return ParseInt(value, 0, VOLUME_STEPS, &s->musicVolume);
    if (key == "effect_volume") return ParseInt(value, 0, VOLUME_STEPS, &s->effectVolume);
    if (key == "window_scale") return ParseInt(value, 1, WINDOW_SCALE_CHOICES, &s->windowScale);
    if (key == "ask_at_start") return ParseYesNo(value, &s->askAtStart);
    if (key == "language") {
        const int language = LanguageFromCode(value.c_str());
        if (language < 0) return false;
        s->language = language;
        return true;
    }
    if (key == "screen") {
        if (value == "fullscreen") s->fullscreen = true;
        else if (value == "window") s->fullscreen = false;
        else return false;
        return true;
    }
    for (int a = 0; a < PAD_ACTIONS; a++) {
        if (key == std::string("key_") + ACTION_NAMES[a]) {
            const int code = KeyFromName(value);
            if (code < 0) return false;
            keys[a] = code;
            return true;
        }
        if (key == std::string("pad_") + ACTION_NAMES[a]) return ParseInt(value, 1, PAD_BUTTON_COUNT, &buttons[a]);
    }
    return false;
}

} // namespace

std::string KeyName(int code) {
    for (const KeyNameRow& k : KEY_NAMES)
        if (k.code == code) return k.name;
    return "Key" + std::to_string(code);
}

int KeyFromName(const std::string& name) {
    for (const KeyNameRow& k : KEY_NAMES)
        if (name == k.name) return k.code;
    int code = 0;
    if (name.compare(0, 3, "Key") == 0 && ParseInt(name.substr(3), 1, 255, &code)) return code;
    return -1;
}

void ParseSettings(const char* text, std::size_t size, Settings* out, std::vector<std::string>* problems) {
    int keys[PAD_ACTIONS], buttons[PAD_ACTIONS];
    std::memcpy(keys, out->bindings.keys, sizeof keys);
    std::memcpy(buttons, out->bindings.buttons, sizeof buttons);
    bool keysGiven = false, buttonsGiven = false;
    // A byte-order mark, which some editors put at the start, is not part of
    // the first line.
    std::size_t pos = size >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
    for (int lineNo = 1; pos < size; lineNo++) {
        const char* nl = static_cast<const char*>(std::memchr(text + pos, '\n', size - pos));
        const std::size_t end = nl ? static_cast<std::size_t>(nl - text) : size;
        const std::string line = Trim(std::string(text + pos, end - pos));
        pos = end + 1;
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        const std::size_t eq = line.find('=');
        char problem[200];
        if (eq == std::string::npos) {
            std::snprintf(problem, sizeof problem, Text(TEXT_SETTINGS_LINE_FORM), lineNo);
            problems->push_back(problem);
            continue;
        }
        std::string rest = line.substr(eq + 1);
        const std::size_t comment = rest.find_first_of(";#");   // a comment may end a line
        if (comment != std::string::npos) rest.resize(comment);
        const std::string key = Trim(line.substr(0, eq)), value = Trim(rest);
        if (!ApplyPair(key, value, out, keys, buttons)) {
            std::snprintf(problem, sizeof problem, Text(TEXT_SETTINGS_LINE_VALUE), lineNo, Shown(key).c_str(),
                          Shown(value).c_str());
            problems->push_back(problem);
            continue;
        }
        keysGiven |= key.compare(0, 4, "key_") == 0;
        buttonsGiven |= key.compare(0, 4, "pad_") == 0;
    }
    // Bindings are taken as a set, so that no file can leave shot or pause
    // without a key, or one key on two actions.
    if (keysGiven) {
        if (KeysUsable(keys)) std::memcpy(out->bindings.keys, keys, sizeof keys);
        else problems->push_back(Text(TEXT_SETTINGS_KEYS_REFUSED));
    }
    if (buttonsGiven) {
        if (ButtonsUsable(buttons)) std::memcpy(out->bindings.buttons, buttons, sizeof buttons);
        else problems->push_back(Text(TEXT_SETTINGS_BUTTONS_REFUSED));
    }
}

std::string FormatSettings(const Settings& s) {
    std::string t;
    t += "; Vortalis settings, written by the game's settings screen.\n";
    t += "; Lines are \"key = value\"; lines starting with ';' or '#' are comments.\n";
    t += "; Volumes 0..10 (10 = the game's own balance). screen: fullscreen or window;\n";
    t += "; window_scale 1..3; ask_at_start: yes asks \"fullscreen?\" at every start,\n";
    t += "; no starts with the saved screen. Keys by name (Z, X, LCtrl, LShift, Space,\n";
    t += "; Escape, Enter, A..Z, F2..F10, ...); pad buttons 1..24. language: ja or en\n";
    t += "; (without it, the locale chooses).\n";
    t += "music_volume = " + std::to_string(s.musicVolume) + "\n";
    t += "effect_volume = " + std::to_string(s.effectVolume) + "\n";
    t += std::string("screen = ") + (s.fullscreen ? "fullscreen" : "window") + "\n";
    t += "window_scale = " + std::to_string(s.windowScale) + "\n";
    t += std::string("ask_at_start = ") + (s.askAtStart ? "yes" : "no") + "\n";
    if (s.language >= 0) t += std::string("language = ") + LanguageCode(s.language) + "\n";
    for (int a = 0; a < PAD_ACTIONS; a++) t += std::string("key_") + ACTION_NAMES[a] + " = " + KeyName(s.bindings.keys[a]) + "\n";
    for (int a = 0; a < PAD_ACTIONS; a++)
        t += std::string("pad_") + ACTION_NAMES[a] + " = " + std::to_string(s.bindings.buttons[a]) + "\n";
    return t;
}

std::string SettingsPath(void) {
    const std::string dir = ConfigFolder();
    return dir.empty() ? "" : dir + "/settings.ini";
}

void LoadSettings(std::vector<std::string>* problems) {
    g_settings = Settings();
    g_settingsKeep.clear();
    const std::string path = SettingsPath();
    if (path.empty()) return;
    std::vector<unsigned char> bytes;
    std::string error;
    switch (ReadWholeFile(path, MAX_FILE_BYTES, &bytes, &error)) {
    case READ_MISSING:
        return;   // nothing saved yet: the defaults
    case READ_FAILED:
        // The file is there but not read: it is kept as it is, and this
        // session's changes are not saved over it.
        g_settingsKeep = error;
        char problem[300];
        std::snprintf(problem, sizeof problem, Text(TEXT_SETTINGS_UNREADABLE), error.c_str());
        problems->push_back(problem);
        return;
    case READ_OK:
        ParseSettings(reinterpret_cast<const char*>(bytes.data()), bytes.size(), &g_settings, problems);
        return;
    }
}

bool SaveSettings(std::string* error) {
    const std::string path = SettingsPath();
    if (path.empty()) {
        *error = "no folder for settings (HOME is not set)";
        return false;
    }
    if (!g_settingsKeep.empty()) {
        *error = "settings.ini could not be read (" + g_settingsKeep + "), so it is not written over";
        return false;
    }
    const std::string text = FormatSettings(g_settings);
    return WriteFileAtomic(path, text.data(), text.size(), error);
}
