// Routes the scene machine's extension points to the modules beside the
// designed game. Each module keeps its own state; this file only wires.
#include "game/extensions.h"

#include "game/game_state.h"
#include "game/settings/settings.h"

void OnNewGame(void) {}

bool TakeReplayedPad(unsigned* heldMask) {
    (void)heldMask;
    return false;
}

void OnPadMerged(unsigned heldMask) { (void)heldMask; }

void OnRunEnded(RunEnd how) { (void)how; }

bool StepExtensionScene(void) {
    if (fucn_state == SETTINGS_SCENE) {
        StepSettingsMenu();
        return true;
    }
    return false;
}

bool SkipPresent(void) { return false; }

// Settings: F12 saves a screenshot of the frame just drawn.
void OnFrameDrawn(void) { StepHotKeys(); }

// Title entries: "設定" (settings) stands last, just before おわる.
enum { TITLE_SETTINGS, TITLE_EXTENSIONS };

int TitleExtensionCount(void) { return TITLE_EXTENSIONS; }

int TitleExtensionImage(int index) {
    if (index == TITLE_SETTINGS) return SettingsButtonImage();
    return -1;
}

void ChooseTitleExtension(int index) {
    if (index == TITLE_SETTINGS) OpenSettingsMenu();
}
