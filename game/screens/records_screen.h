// The title menu's 記録 entry: the ten best runs, the newest marked NEW; Shot
// (or Enter) on a run with a replay watches it. Also the best score drawn over
// the title and the continue menu.
#pragma once

int RecordsButtonImage(void);    // the title menu's 記録 button
void OpenRecordsScreen(void);    // Shot on 記録
void StepRecordsScreen(void);    // scene SCENE_RECORDS
void DrawBestScore(int scene);   // over the title screen (10) and the continue menu (302)
