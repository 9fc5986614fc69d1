// The title screen with its image menu, the three text menus drawn over a
// frozen picture of the game, and the dispatcher that opens and closes them.
#pragma once

// Draws the red veil, the title, the cursor bar and the centred items (ended by
// an empty entry), and moves the cursor with wrap-around. Shot is the caller's.
void RunMenu(const char* const* items, const char* title, int* cursor);

void StepTitleScreen(void);     // scene 10
void StepMenuDispatcher(void);  // every frame, after the scene step
void DrawPauseBackdrop(void);   // scenes 201, 301, 302
int PauseBackdrop(void);        // the backdrop image handle (−1 before the first capture)
int TitleCursor(void);          // the title menu's chosen entry, 0 being スタート (tests and tools)
int TitleEntries(void);         // the title menu's entries, スタート and おわる included
void ResetMenus(void);          // cursors and sway back to their start (a new process)
void ResetPauseCursors(void);   // the pause and continue menus' cursors on their first item
