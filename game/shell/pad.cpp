// Pad input. The keyboard feeds the slots through PadConfig; a key and a pad
// button on the same slot report the longer hold, so pressing one while the
// other is held produces no second "pressed this frame".
#include "game/shell/pad.h"

#include <climits>
#include <cstring>

#include "framework/framework.h"

PadConfigRecord PadConfig;

namespace {

int g_keyHold[KEY_CODES];
int g_padState[PAD_SLOTS];

// The keyboard key behind each PadConfig field, in merge order.
struct KeyBinding {
    int PadConfigRecord::*field;
    int key;
};

const KeyBinding KEY_BINDINGS[] = {
    {&PadConfigRecord::left, KEY_LEFT},
    {&PadConfigRecord::up, KEY_UP},
    {&PadConfigRecord::right, KEY_RIGHT},
    {&PadConfigRecord::down, KEY_DOWN},
    {&PadConfigRecord::shot, KEY_Z},
    {&PadConfigRecord::formation, KEY_LSHIFT},
    {&PadConfigRecord::pause, KEY_ESCAPE},
    {&PadConfigRecord::skip, KEY_LCONTROL},
};

// Counts grow while held and stop at INT_MAX instead of wrapping.
int Held(int count) { return count < INT_MAX ? count + 1 : count; }

} // namespace

void ResetPadConfig(void) {
    PadConfig.down = 0;
    PadConfig.left = 1;
    PadConfig.right = 2;
    PadConfig.up = 3;
    PadConfig.shot = 4;
    PadConfig.skip = 6;
    PadConfig.formation = 11;
    PadConfig.pause = 15;
}

void ResetPadState(void) {
    std::memset(g_keyHold, 0, sizeof g_keyHold);
    std::memset(g_padState, 0, sizeof g_padState);
}

void PollKeyboard(void) {
    unsigned char keys[KEY_CODES];
    ReadKeyboardState(keys);
    for (int i = 0; i < KEY_CODES; i++) g_keyHold[i] = keys[i] == 1 ? Held(g_keyHold[i]) : 0;
}

void PollJoypad(void) {
    const int mask = ReadPadState(1);
    for (int i = 0; i < PAD_SLOTS; i++) g_padState[i] = (mask >> i) & 1 ? Held(g_padState[i]) : 0;
    for (const KeyBinding& b : KEY_BINDINGS) {
        const unsigned slot = static_cast<unsigned>(PadConfig.*b.field);
        if (slot < PAD_SLOTS && g_keyHold[b.key] > g_padState[slot]) g_padState[slot] = g_keyHold[b.key];
    }
}

unsigned PadHeldMask(void) {
    unsigned mask = 0;
    for (int i = 0; i < PAD_SLOTS; i++)
        if (g_padState[i] > 0) mask |= 1u << i;
    return mask;
}

void ApplyPadMask(unsigned heldMask) {
    for (int i = 0; i < PAD_SLOTS; i++) g_padState[i] = (heldMask >> i) & 1 ? Held(g_padState[i]) : 0;
}

int CheckStatePad(int slot) {
    if (static_cast<unsigned>(slot) < PAD_SLOTS) return g_padState[slot];
    ScreenPrintF("CheckStatePadに渡した値が不正です\n");
    return -1;
}

void SetPadCount(int slot, int count) {
    if (static_cast<unsigned>(slot) < PAD_SLOTS) g_padState[slot] = count < 0 ? 0 : count;
}

int KeyHoldCount(int code) {
    return (code >= 0 && code < KEY_CODES) ? g_keyHold[code] : 0;
}
