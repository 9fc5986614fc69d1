// How SDL's keyboard and controllers map onto the framework's input codes.
#pragma once

// The framework's key code for an SDL scancode, or −1 for a key it does not know.
int SdlScancodeToKeyCode(int scancode);
// An SDL axis value −32768..32767 as −1000..1000, 0 inside 25 % of the travel.
int AxisTo1000(int value);
