// Frame pacing: sleeps to hold 60 frames per second on a 60-frame schedule,
// writes "slot:wait" per frame to "txt.txt", and shows the measured rate.
#pragma once

void PaceFrame(void);       // once per frame, after the menus and before FlipScreen
void DrawFrameRate(void);   // "[%.1f]" at (0, 465), white edged in black, once a window of 60 frames is complete
double AverageFrameTime(void);
void FlushPacingLog(void);  // push buffered lines to "txt.txt" (the file stays open)
