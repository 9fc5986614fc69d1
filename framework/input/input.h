// Keyboard and joypad sampling (ReadKeyboardState, ReadPadState in framework.h).
#pragma once

// A raw position 0..65535 of the older joystick service as −1000..1000, with
// 24576..40960 as the dead zone around the centre.
int InputLegacyAxis(int position);
