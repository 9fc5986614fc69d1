// The controls (操作説明): every key and pad button and what it does, with the
// keys and buttons bound now: move, shot (tap shoots, hold charges a beam),
// skip, formation, pause, the screen switch, the screenshot. F1 opens it on
// the title, the pause menus and the features' screens. It holds the game
// where it is (no frame of the game runs under it, so a run's replay never
// sees it) and closes with F1, Escape, Enter, or the shot or pause key.
#pragma once

void OpenControls(void);
bool ControlsOpen(void);
// The main loop's overlay hook: one frame of the screen while it is open.
bool StepControlsOverlay(void);
// The end of a drawn frame: F1 opens the screen where it may, and the pause
// menus and the title show the key.
void WatchControlsKey(void);
void DrawControlsHint(int scene);     // over the title and the pause menus
