// The main loop: one frame per pass, in this order: input, the scene step,
// the frame counter, music, menus, pacing, present.
#pragma once

// Runs frames until the window closes, scene 900 ends the framework, or the
// exit hook asks; returns the exit code (0, or the hook's).
int RunMainLoop(void);
