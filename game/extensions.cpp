// Routes the scene machine's extension points to the modules beside the
// designed game. Each module keeps its own state; this file only wires.
#include "game/extensions.h"

#include "game/practice/practice.h"
#include "game/records/records.h"

void OnNewGame(void) {}

bool TakeReplayedPad(unsigned* heldMask) {
    (void)heldMask;
    return false;
}

void OnPadMerged(unsigned heldMask) { (void)heldMask; }

// The run's replay is saved first, so that the score table can name it; a
// practice run and a replay being watched never enter the table.
void OnRunEnded(RunEnd how) {
    if (!PracticeRunning() && !ReplayIsPlaying()) RecordFinishedRun(how == RUN_CLEARED, LastSavedReplay());
    EndPracticeRun();
}

bool StepExtensionScene(void) { return StepRecordsScene() || StepPracticeScene(); }

bool SkipPresent(void) { return false; }

int StageClearScene(int designed) { return PracticeStageClearScene(designed); }

int GameOverScene(int designed) { return PracticeGameOverScene(designed); }

void DrawMenuExtras(int scene) { DrawBestScore(scene); }

// ---- Title menu entries ---------------------------------------------------

namespace {

struct TitleEntry {
    int (*image)(void);
    void (*choose)(void);
};

const TitleEntry TITLE_ENTRIES[] = {
    {PracticeButtonImage, OpenPracticeMenu},   // 練習
    {RecordsButtonImage, OpenRecordsScreen},   // 記録
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

// ---- Replays (stand-ins until the replay module is wired in) --------------

const char* LastSavedReplay(void) { return ""; }

bool PlayReplayFile(const char* path) {
    (void)path;
    return false;
}

bool ReplayIsPlaying(void) { return false; }
