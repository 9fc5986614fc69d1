// Routes the scene machine's extension points to the modules beside the
// designed game. Each module keeps its own state; this file only wires.
#include "game/extensions.h"

#include "game/game_state.h"
#include "game/replay/replay.h"
#include "game/replay/replay_list.h"

// ---- Replays (game/replay/): scenes 1000–1099, the title entry "リプレイ" ----

void OnNewGame(void) { ReplayOnNewGame(); }

bool TakeReplayedPad(unsigned* heldMask) { return ReplayTakePad(heldMask); }

void OnPadMerged(unsigned heldMask) { ReplayOnPadMerged(heldMask); }

void OnRunEnded(RunEnd how) { ReplayOnRunEnded(how); }

bool StepExtensionScene(void) {
    if (fucn_state >= REPLAY_LIST_SCENE && fucn_state < REPLAY_LIST_SCENE + 100) return StepReplayScene();
    return false;
}

bool SkipPresent(void) { return ReplaySkipPresent(); }

bool StartLaunchReplay(void) { return StartReplayFromCommandLine(); }

bool LaunchReplayFinished(int* exitCode) { return FinishReplayFromCommandLine(exitCode); }

// ---- Title menu entries ---------------------------------------------------------

enum { TITLE_REPLAY, TITLE_EXTENSIONS };

int TitleExtensionCount(void) { return TITLE_EXTENSIONS; }

int TitleExtensionImage(int index) {
    switch (index) {
    case TITLE_REPLAY: return ReplayTitleImage();
    default: return -1;
    }
}

void ChooseTitleExtension(int index) {
    switch (index) {
    case TITLE_REPLAY: OpenReplayList(); break;
    default: break;
    }
}
