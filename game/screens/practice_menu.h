// The practice menu (練習): the stages finished runs have reached (stage 1
// always) and the way back. Shot starts a practice run of the chosen stage
// (game/run/); its end brings the menu back with the cursor where it was.
#pragma once

int PracticeButtonImage(void);     // the title menu's 練習 button
void OpenPracticeMenu(void);       // Shot on 練習
void StepPracticeMenu(void);       // scene SCENE_PRACTICE_MENU
