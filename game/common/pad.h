// Pad input: the keyboard and the first joypad folded into 16 logical button
// slots, each the number of consecutive frames it has been held.
#pragma once

#include "framework/framework.h"

enum { PAD_SLOTS = 16, KEY_CODES = 256 };

// Pad-state slot of each logical button (record order of the fields).
struct PadConfigRecord {
    int left, up, right, down, shot, formation, pause, skip;
};

extern PadConfigRecord PadConfig;

void ResetPadConfig(void);   // the default slots: down 0, left 1, right 2, up 3, shot 4, skip 6, formation 11, pause 15
void PollKeyboard(void);     // once per frame, first
void PollJoypad(void);       // right after the keyboard; merges the keys into the slots
unsigned PadHeldMask(void); // bit i set while slot i is held
void ApplyPadMask(unsigned heldMask); // instead of PollJoypad: the slots follow a recorded mask
int CheckStatePad(int slot); // hold count of the slot, or −1 (with a console line) for a bad slot
bool PadPressed(int slot);   // pressed this frame: the slot's hold count is exactly 1
int KeyHoldCount(int code);  // hold count of one key code (0 for a bad code)
void ResetPadState(void);    // all counts to 0
void SetPadCount(int slot, int count); // one slot's hold count (a replay's start and fixes); bad slots ignored

// The physical key and pad button behind the four button actions. PadConfig
// names slots and is reset at every return to the title; these bindings sit
// below it, so they survive that reset and never reach a replay (which records
// the merged slots). Pad button b feeds slot 3 + b.
enum PadAction { ACTION_SHOT, ACTION_SKIP, ACTION_FORMATION, ACTION_PAUSE, PAD_ACTIONS };
enum { PAD_BUTTON_COUNT = 24 };

struct Bindings {
    int keys[PAD_ACTIONS];      // key code of each action
    int buttons[PAD_ACTIONS];   // 1-based pad button of each action
};

// The designed game's keys and buttons: Z, Left Ctrl, Left Shift, Escape and
// pad buttons 1, 3, 8, 12. Every default of a binding comes from here.
inline constexpr Bindings DEFAULT_BINDINGS = {
    {KEY_Z, KEY_LCONTROL, KEY_LSHIFT, KEY_ESCAPE},
    {1, 3, 8, 12},
};
int DefaultActionKey(int action);
int DefaultActionButton(int action);          // 1-based pad button number
int ActionKey(int action);                    // key code, or −1 for a bad action
int ActionButton(int action);                 // 1-based pad button number, or −1
const Bindings& CurrentBindings(void);
// Binds a key or button to an action; one already bound to another action
// swaps with it. false (nothing changes) for a bad action, a key that moves
// the ship or switches the screen, or a button outside 1..24.
bool BindActionKey(int action, int key);
bool BindActionButton(int action, int button);
void ResetBindings(void);                     // the defaults above
bool IsBindableKey(int key);
unsigned PadRawButtons(void);                 // bit b − 1 for pad button b held at the last PollJoypad
