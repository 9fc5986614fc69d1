// Play-field and HUD drawing: one frame of the scrolling background and every
// object of the field in a fixed order, and the score line at the bottom.
#pragma once

extern int scroll_counter;     // +1 at every play-field drawing; 0 at a new game

void DrawPlayField(void);      // scenes 30 to 35
void DrawHud(void);            // scene 30, after the frame-rate display
void ResetScrollCounter(void); // new-game reset
