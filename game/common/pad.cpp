// Pad input. The keyboard feeds the slots through PadConfig; a key and a pad
// button on the same slot report the longer hold, so pressing one while the
// other is held produces no second "pressed this frame".
#include "game/common/pad.h"

#include <climits>
#include <cstring>

#include "framework/framework.h"

PadConfigRecord PadConfig;

namespace {

int g_keyHold[KEY_CODES];
int g_padState[PAD_SLOTS];

// The key and pad button behind each button action (PadAction order).
Bindings g_bindings = DEFAULT_BINDINGS;
unsigned g_rawButtons;

// The keyboard key behind each PadConfig field, in merge order: the arrows are
// fixed, the four button actions follow their bindings.
struct KeyBinding {
    int PadConfigRecord::*field;
    int key;        // fixed key, or −1 when the action's binding is used
    int action;
};

const KeyBinding KEY_BINDINGS[] = {
    {&PadConfigRecord::left, KEY_LEFT, -1},
    {&PadConfigRecord::up, KEY_UP, -1},
    {&PadConfigRecord::right, KEY_RIGHT, -1},
    {&PadConfigRecord::down, KEY_DOWN, -1},
    {&PadConfigRecord::shot, -1, ACTION_SHOT},
    {&PadConfigRecord::formation, -1, ACTION_FORMATION},
    {&PadConfigRecord::pause, -1, ACTION_PAUSE},
    {&PadConfigRecord::skip, -1, ACTION_SKIP},
};

int KeyOf(const KeyBinding& b) { return b.action >= 0 ? g_bindings.keys[b.action] : b.key; }

// Pad button b reaches slot 3 + b. Each action's default slot takes the bit of
// its bound button; with the default bindings the mask is unchanged.
unsigned RemapButtons(unsigned mask) {
    unsigned out = mask;
    for (int a = 0; a < PAD_ACTIONS; a++) out &= ~(1u << (3 + DEFAULT_BINDINGS.buttons[a]));
    for (int a = 0; a < PAD_ACTIONS; a++)
        if (mask & (1u << (3 + g_bindings.buttons[a]))) out |= 1u << (3 + DEFAULT_BINDINGS.buttons[a]);
    return out;
}

bool ValidAction(int action) { return action >= 0 && action < PAD_ACTIONS; }

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
    const unsigned raw = static_cast<unsigned>(ReadPadState(1));
    g_rawButtons = raw >> 4;
    const unsigned mask = RemapButtons(raw);
    for (int i = 0; i < PAD_SLOTS; i++) g_padState[i] = (mask >> i) & 1 ? Held(g_padState[i]) : 0;
    for (const KeyBinding& b : KEY_BINDINGS) {
        const unsigned slot = static_cast<unsigned>(PadConfig.*b.field);
        const int hold = g_keyHold[KeyOf(b)];
        if (slot < PAD_SLOTS && hold > g_padState[slot]) g_padState[slot] = hold;
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

bool PadPressed(int slot) { return CheckStatePad(slot) == 1; }

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

int DefaultActionKey(int action) { return ValidAction(action) ? DEFAULT_BINDINGS.keys[action] : -1; }
int DefaultActionButton(int action) { return ValidAction(action) ? DEFAULT_BINDINGS.buttons[action] : -1; }
int ActionKey(int action) { return ValidAction(action) ? g_bindings.keys[action] : -1; }
int ActionButton(int action) { return ValidAction(action) ? g_bindings.buttons[action] : -1; }
const Bindings& CurrentBindings(void) { return g_bindings; }

bool IsBindableKey(int key) {
    switch (key) {
    case KEY_UP: case KEY_DOWN: case KEY_LEFT: case KEY_RIGHT:   // they move the ship
    case KEY_F1: case KEY_F11: case KEY_F12:                     // controls, screen switch and screenshot
        return false;
    default:
        return key > 0 && key < KEY_CODES;
    }
}

bool BindActionKey(int action, int key) {
    if (!ValidAction(action) || !IsBindableKey(key)) return false;
    int* keys = g_bindings.keys;
    for (int a = 0; a < PAD_ACTIONS; a++)
        if (a != action && keys[a] == key) keys[a] = keys[action];
    keys[action] = key;
    return true;
}

bool BindActionButton(int action, int button) {
    if (!ValidAction(action) || button < 1 || button > PAD_BUTTON_COUNT) return false;
    int* buttons = g_bindings.buttons;
    for (int a = 0; a < PAD_ACTIONS; a++)
        if (a != action && buttons[a] == button) buttons[a] = buttons[action];
    buttons[action] = button;
    return true;
}

void ResetBindings(void) { g_bindings = DEFAULT_BINDINGS; }

unsigned PadRawButtons(void) { return g_rawButtons; }
