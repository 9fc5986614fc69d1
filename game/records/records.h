// The score table in play: "scores.txt" beside Log.txt, read once when first
// needed and rewritten atomically after every finished run; the best score on
// the title screen and the continue menu; the records screen reached from the
// title menu. game/extensions.cpp calls these; nothing of the designed game does.
#pragma once

enum { RECORDS_SCENE = 1200 };

// Enters the run in the player record (score, continues, stage number) with
// the replay file its end saved ("" for none), then writes scores.txt.
void RecordFinishedRun(bool cleared, const char* replay);

int BestScore(void);             // the top score, or −1 while the table is empty
int HighestStageReached(void);   // 1..5: the highest stage a finished run reached
void DrawBestScore(int scene);   // over the title screen (10) and the continue menu (302)

int RecordsButtonImage(void);    // the title menu's 記録 button
void OpenRecordsScreen(void);    // Shot on 記録
bool StepRecordsScene(void);     // the records screen; false when fucn_state is not one of ours

// Drops the table held in memory: the next use reads scores.txt again, as a
// new start of the game would.
void ForgetRecords(void);
