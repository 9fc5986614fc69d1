// The framework's process-wide record: window settings, flags and counters of
// the lifecycle, the message pump and the present. Zero at program start.
#pragma once

#include <atomic>
#include <cstdint>

enum { CORE_CAPTION_BYTES = 256, CORE_PATH_BYTES = 4096 };

struct CoreState {
    int windowed;                      // 1 windowed, 0 full screen (default)
    char caption[CORE_CAPTION_BYTES];
    char className[CORE_CAPTION_BYTES];
    char instanceKey[CORE_CAPTION_BYTES]; // SetInstanceKey; empty: the class name keys the guard
    int allowSecondInstance;
    std::atomic<int> active;           // 1 while the window has focus
    int alwaysRun;
    std::atomic<int> quit;             // the window was destroyed or a quit arrived
    int keyboardModeSwitch;            // Alt+Enter toggling; the game leaves it 0
    int screenWidth, screenHeight, screenBits;   // 0 means 640, 480, 16
    double windowScale;                // ≤ 0 counts as 1.0
    int vblankWait;
    int refreshWaitMs;                 // −1: no pre-sleep before the vertical blank
    uint64_t frameCount;

    int initialising, initialised;
    int windowExists;
    int displayReady;                  // graphics started: FlipScreen can present
    int instanceHeld;
    int inProcessMessage;
    uint32_t inactiveSince;
    uint32_t lastVblankWait;
    char logFolder[CORE_PATH_BYTES];
    char startDirectory[CORE_PATH_BYTES];

    int textEncoding;                  // TEXT_SHIFT_JIS or TEXT_UTF8 (SetTextEncoding)
    int startupError;                  // STARTUP_ code of the last FrameworkInit
};

extern CoreState g_core;

int CoreScreenWidth(void);
int CoreScreenHeight(void);
bool CoreOnMainThread(void);
void CoreMarkMainThread(void);
