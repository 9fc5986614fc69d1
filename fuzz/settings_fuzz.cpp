// Fuzz target for the settings reader: any bytes as settings.ini. Whatever it
// reads must be a record the game can play with (values in range, every
// action with a key and a pad button of its own), and what the next save
// writes must read back with no complaint and to the same text.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/settings/settings.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

bool Playable(const Settings& s) {
    if (s.musicVolume < 0 || s.musicVolume > VOLUME_STEPS) return false;
    if (s.effectVolume < 0 || s.effectVolume > VOLUME_STEPS) return false;
    if (s.windowScale < 1 || s.windowScale > WINDOW_SCALE_CHOICES) return false;
    for (int a = 0; a < PAD_ACTIONS; a++) {
        if (!IsBindableKey(s.bindings.keys[a]) || s.bindings.buttons[a] < 1 || s.bindings.buttons[a] > PAD_BUTTON_COUNT) return false;
        for (int b = 0; b < a; b++)
            if (s.bindings.keys[a] == s.bindings.keys[b] || s.bindings.buttons[a] == s.bindings.buttons[b]) return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Settings s;
    std::vector<std::string> problems;
    ParseSettings(reinterpret_cast<const char*>(data), size, &s, &problems);
    Check(Playable(s));
    for (const std::string& p : problems) Check(p.size() < 400);
    const std::string text = FormatSettings(s);
    Settings again;
    std::vector<std::string> none;
    ParseSettings(text.data(), text.size(), &again, &none);
    Check(none.empty());
    Check(FormatSettings(again) == text);
    return 0;
}
