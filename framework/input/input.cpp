// Keyboard and joypad sampling behind ReadKeyboardState and ReadPadState. Each
// device is sampled at most once per millisecond of the clock; the raw key
// table keeps bit 7 for a held key, as the keyboard device reports it.
#include "framework/input/input.h"

#include <cstring>

#include "framework/backend/platform.h"
#include "framework/core/api_lock.h"
#include "framework/core/services.h"
#include "framework/core/state.h"
#include "framework/framework.h"

namespace {

struct PadSample {
    int axes[PLATFORM_PAD_AXES];
    uint8_t buttons[PLATFORM_PAD_BUTTONS];   // bit 7 = held
    uint32_t sampledAt;
    bool sampled;
};

struct Input {
    bool started;
    uint8_t raw[PLATFORM_KEYS];              // bit 7 = held
    uint32_t keysSampledAt;
    bool keysSampled;
    PadSample pads[PLATFORM_MAX_PADS];
};

Input g_input;

// Keys merged into the pad mask when the selector has bit 12 set: the arrows
// and the numeric keypad steer, and a fixed row of keys stands for buttons.
struct MergeKey {
    uint8_t code;
    int bit;
};

const MergeKey KEYBOARD_MERGE[] = {
    {0xD0, 0}, {0x50, 0},          // Down, keypad 2
    {0xCB, 1}, {0x4B, 1},          // Left, keypad 4
    {0xCD, 2}, {0x4D, 2},          // Right, keypad 6
    {0xC8, 3}, {0x48, 3},          // Up, keypad 8
    {0x2C, 4},                     // Z: button 1
    {0x2D, 5},                     // X: button 2
    {0x2E, 6},                     // C: button 3
    {0x1E, 7},                     // A: button 4
    {0x1F, 8},                     // S: button 5
    {0x20, 9},                     // D: button 6
    {0x10, 10},                    // Q: button 7
    {0x11, 11},                    // W: button 8
    {0x01, 12},                    // Escape: button 9
    {0x39, 13},                    // Space: button 10
};

void SampleKeyboard() {
    const Platform* p = PlatformGet();
    const uint32_t now = p->TicksMs();
    if (g_input.keysSampled && now == g_input.keysSampledAt) return;
    if (ProcessMessage() != 0) return;   // quitting: keep the old table
    uint8_t keys[PLATFORM_KEYS];
    p->ReadKeys(keys);
    for (int i = 0; i < PLATFORM_KEYS; i++) g_input.raw[i] = keys[i] ? 0x80 : 0;
    g_input.keysSampledAt = now;
    g_input.keysSampled = true;
}

void SamplePad(int index) {
    const Platform* p = PlatformGet();
    const uint32_t now = p->TicksMs();
    PadSample& s = g_input.pads[index];
    if (s.sampled && now == s.sampledAt) return;
    int axes[PLATFORM_PAD_AXES];
    uint8_t buttons[PLATFORM_PAD_BUTTONS];
    if (p->ReadPad(index, axes, buttons) != 0) return;   // keep the old state
    std::memcpy(s.axes, axes, sizeof axes);
    for (int i = 0; i < PLATFORM_PAD_BUTTONS; i++) s.buttons[i] = buttons[i] ? 0x80 : 0;
    s.sampledAt = now;
    s.sampled = true;
}

int MaskOf(const PadSample& s) {
    int mask = 0;
    if (s.axes[1] > 0) mask |= PAD_DOWN;
    else if (s.axes[1] < 0) mask |= PAD_UP;
    if (s.axes[0] < 0) mask |= PAD_LEFT;
    else if (s.axes[0] > 0) mask |= PAD_RIGHT;
    for (int i = 0; i < PLATFORM_PAD_BUTTONS; i++)
        if (s.buttons[i] & 0x80) mask |= 1 << (4 + i);
    return mask;
}

bool EnsureStarted() {
    if (g_input.started) return true;
    return InputStartup() == 0;
}

} // namespace

int InputStartup(void) {
    std::memset(&g_input, 0, sizeof g_input);
    g_input.started = true;
    return 0;
}

void InputShutdown(void) {
    g_input.started = false;
}

int InputLegacyAxis(int position) {
    // Full travel reads ±1000; the scaling alone would stop one short at 65535.
    if (position >= 65535) return 1000;
    if (position <= 0) return -1000;
    if (position >= 24576 && position <= 40960) return 0;
    if (position > 40960) return (position - 40960) * 1000 / 24576;
    return (position - 24576) * 1000 / 24576;
}

int ReadKeyboardState(unsigned char keys[256]) {
    ApiGuard guard;
    if (!keys) return -1;
    if (!g_input.started) return EnsureStarted() ? 0 : -1;
    SampleKeyboard();
    for (int i = 0; i < PLATFORM_KEYS; i++) keys[i] = (g_input.raw[i] & 0x80) ? 1 : 0;
    return 0;
}

int ReadPadState(int padSelector) {
    ApiGuard guard;
    if (!g_input.started) return EnsureStarted() ? 0 : -1;
    const int pad = (padSelector & 0xFFF) - 1;
    int mask = 0;
    if (pad >= 0 && pad < PLATFORM_MAX_PADS && pad < PlatformGet()->PadCount()) {
        SamplePad(pad);
        mask = MaskOf(g_input.pads[pad]);
    }
    if (padSelector & 4096) {
        SampleKeyboard();
        for (const MergeKey& k : KEYBOARD_MERGE)
            if (g_input.raw[k.code] & 0x80) mask |= 1 << k.bit;
        if ((mask & PAD_LEFT) && (mask & PAD_RIGHT)) mask &= ~PAD_RIGHT;
        if ((mask & PAD_UP) && (mask & PAD_DOWN)) mask &= ~PAD_DOWN;
    }
    return mask & 0x0FFFFFFF;
}
