// Game-wide state shared by every floor of the game: the scene machine's plain
// globals (zero at process start) and the entry points of its steps and resets.
#pragma once

extern int fucn_state;        // the scene number
extern int scene_timer;       // frames in the current scene; the stage clock during play
extern int frame_counter;     // +1 after every scene step; drives animation and blinking
extern int fade_brightness;   // passed to SetDrawBrightness by the fades and the play field
extern int fade_counter;      // frames of the logo and ending fade
extern int stage_number;      // 0..4, shown as stage number + 1

enum { STAGE_COUNT = 5, STAGE_END_TIME = 8000 };

// The scene step of the current fucn_state; false once scene 900 has ended the
// framework and the entry point must return 0.
bool RunScene(void);
// The logic of one play frame, every step in its fixed order (no drawing,
// no stage clock).
void UpdatePlayFrame(void);
// The logo and ending fade; exitScene is where it leads.
void StepLogoFade(int exitScene);
// The new-game and stage resets, calling each module's own reset.
void ResetNewGame(void);
void ResetStage(void);
void ResetToTitle(void);
