// Pad input: the keyboard and the first joypad folded into 16 logical button
// slots, each the number of consecutive frames it has been held.
#pragma once

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
int KeyHoldCount(int code);  // hold count of one key code (0 for a bad code)
void ResetPadState(void);    // all counts to 0
void SetPadCount(int slot, int count); // one slot's hold count (a replay's start and fixes); bad slots ignored
