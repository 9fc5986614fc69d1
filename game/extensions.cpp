// Routes the scene machine's extension points to the modules beside the
// designed game. Each module keeps its own state; this file only wires.
#include "game/extensions.h"

#include <string>

#include "game/game_state.h"
#include "game/practice/practice.h"
#include "game/records/records.h"
#include "game/replay/replay.h"
#include "game/replay/replay_list.h"
#include "game/settings/settings.h"

// ---- Runs: replays (scenes 1000–1099), settings (1100), records (1200–1299), practice (1300–1399) ----

void OnNewGame(void) { ReplayOnNewGame(PracticeRunning() ? REPLAY_START_PRACTICE : REPLAY_START_NEW_GAME); }

bool TakeReplayedPad(unsigned* heldMask) { return ReplayTakePad(heldMask); }

void OnPadMerged(unsigned heldMask) { ReplayOnPadMerged(heldMask); }

// The run's replay is saved first, so that the score table can name it; a
// practice run and a replay being watched never enter the table.
void OnRunEnded(RunEnd how) {
    const bool watching = ReplayPlaying();
    ReplayOnRunEnded(how);
    if (!PracticeRunning() && !watching) RecordFinishedRun(how == RUN_CLEARED, LastSavedReplay());
    EndPracticeRun();
}

// Closing the window ends the run as 終了する does: its score enters the
// table and its replay is kept. Replays being watched are not runs.
void OnMainLoopLeft(void) {
    if (ReplayRecording() && !ReplayPlaying()) OnRunEnded(RUN_CLOSED);
}

bool StepExtensionScene(void) {
    if (fucn_state >= REPLAY_LIST_SCENE && fucn_state < REPLAY_LIST_SCENE + 100) return StepReplayScene();
    if (fucn_state == SETTINGS_SCENE) {
        StepSettingsMenu();
        return true;
    }
    return StepRecordsScene() || StepPracticeScene();
}

bool SkipPresent(void) { return ReplaySkipPresent(); }

// Settings: F12 saves a screenshot of the frame just drawn.
void OnFrameDrawn(void) { StepHotKeys(); }

bool StartLaunchReplay(void) { return StartReplayFromCommandLine(); }

bool LaunchReplayFinished(int* exitCode) { return FinishReplayFromCommandLine(exitCode); }

int StageClearScene(int designed) { return PracticeStageClearScene(designed); }

int GameOverScene(int designed) { return PracticeGameOverScene(designed); }

void DrawMenuExtras(int scene) { DrawBestScore(scene); }

// ---- Replays for the records screen -----------------------------------------------

const char* LastSavedReplay(void) { return LastSavedReplayName(); }

bool PlayReplayFile(const char* path) {
    std::string error;
    return StartReplayFile(path, REPLAY_WATCH, RECORDS_SCENE, &error);
}

bool ReplayIsPlaying(void) { return ReplayPlaying(); }

// ---- Title menu entries, between スタート and おわる ----------------------------------

namespace {

struct TitleEntry {
    int (*image)(void);
    void (*choose)(void);
};

const TitleEntry TITLE_ENTRIES[] = {
    {PracticeButtonImage, OpenPracticeMenu},   // 練習
    {ReplayTitleImage, OpenReplayList},        // リプレイ
    {RecordsButtonImage, OpenRecordsScreen},   // 記録
    {SettingsButtonImage, OpenSettingsMenu},   // 設定, last before おわる
};

const int TITLE_ENTRY_COUNT = static_cast<int>(sizeof TITLE_ENTRIES / sizeof TITLE_ENTRIES[0]);

} // namespace

int TitleExtensionCount(void) { return TITLE_ENTRY_COUNT; }

int TitleExtensionImage(int index) {
    if (index < 0 || index >= TITLE_ENTRY_COUNT) return -1;
    return TITLE_ENTRIES[index].image();
}

void ChooseTitleExtension(int index) {
    if (index < 0 || index >= TITLE_ENTRY_COUNT) return;
    TITLE_ENTRIES[index].choose();
}
