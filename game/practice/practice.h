// Stage practice: a menu of the stages finished runs have reached (stage 1
// always), and a run of one chosen stage from its card with 3 lives and full
// power, without story. The boss's defeat or the loss of the last life ends
// the run and returns to the practice menu; practice never enters the score
// table. game/extensions.cpp calls these; nothing of the designed game does.
#pragma once

enum {
    PRACTICE_MENU_SCENE = 1300,
    PRACTICE_CLEARED_SCENE = 1301,   // the stage's boss was beaten
    PRACTICE_LOST_SCENE = 1302,      // the last life was lost
};

int PracticeButtonImage(void);     // the title menu's 練習 button
void OpenPracticeMenu(void);       // Shot on 練習
bool StepPracticeScene(void);      // the practice scenes; false when fucn_state is not one of ours

// Starts a practice run of stage (0-based): the new-game reset, then that
// stage, full power, 3 lives, then the new-game extension point (so a replay
// records the start stage), then the stage card (scene 28).
void BeginPracticeRun(int stage);
bool PracticeRunning(void);        // from BeginPracticeRun to the run's end
void EndPracticeRun(void);         // the run has ended (OnRunEnded)

// Where the scene machine goes after the stage clear and after the last life
// is lost: the designed scene unless practice runs.
int PracticeStageClearScene(int designed);
int PracticeGameOverScene(int designed);
