// Routes the scene machine's extension points to the modules beside the
// designed game. Each module keeps its own state; this file only wires.
#include "game/extensions.h"

void OnNewGame(void) {}

bool TakeReplayedPad(unsigned* heldMask) {
    (void)heldMask;
    return false;
}

void OnPadMerged(unsigned heldMask) { (void)heldMask; }

void OnRunEnded(RunEnd how) { (void)how; }

bool StepExtensionScene(void) { return false; }

bool SkipPresent(void) { return false; }

int TitleExtensionCount(void) { return 0; }

int TitleExtensionImage(int index) {
    (void)index;
    return -1;
}

void ChooseTitleExtension(int index) { (void)index; }
