// The music sequencer: chooses, loads, starts, fades and frees the background
// music by watching the scene number and the scene timer, once per frame.
#pragma once

void StepMusic(void);     // after the scene step, every frame
void ResetMusic(void);    // title reset: stop and free the music, state 0
void CueStageMusic(void); // a run that starts at a stage card: the music stops, the stage music comes with the card
void CuePrologueMusic(void); // a run that starts at the prologue: its music comes with the story, as after the title
int MusicState(void);
int MusicHandle(void);
