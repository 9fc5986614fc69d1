// The scene machine: the step of each scene, the play frame in its fixed
// order, and the resets the scenes call.
#pragma once

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
// Every table a run's check covers back to what a fresh start has at the
// title: empty tables, a cleared ship at its title position, the stage clock
// at 0. A run that begins before the new-game reset (at the prologue) starts
// from here, wherever the session has been.
void ClearPlayState(void);
