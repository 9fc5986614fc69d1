// What the framework needs from a platform, and nothing more. Two platforms
// implement it: SDL2 (backend/sdl/) for real use and a deterministic headless one
// (backend/headless/) for tests, benchmarks and tools. Framework modules reach
// the platform only through PlatformGet(); which platform runs is chosen before
// FrameworkInit and the game never knows.
//
// Texts handed to a platform (captions, question box) are Shift-JIS; the
// platform converts them for its own use.
#pragma once

#include <cstdint>

enum PlatformEventKind {
    PLATFORM_EVENT_CLOSE_REQUEST = 1,  // the user asked to close the window
    PLATFORM_EVENT_QUIT,               // the process was asked to end (signal, session end)
    PLATFORM_EVENT_ACTIVATE,           // the window gained focus
    PLATFORM_EVENT_DEACTIVATE,         // the window lost focus
    PLATFORM_EVENT_MODE_SWITCH,        // Alt+Enter or F11: the player asks to toggle window/full screen
};

struct PlatformEvent {
    int kind;
};

struct PlatformWindowDesc {
    int width, height;       // the picture's size, 640×480
    int windowed;            // 1: client area width×height×scale; 0: desktop-size borderless, letterboxed
    double scale;            // window scale (windowed only), > 0
    const char* caption;     // Shift-JIS
};

enum { PLATFORM_PAD_AXES = 4, PLATFORM_PAD_BUTTONS = 24, PLATFORM_MAX_PADS = 8, PLATFORM_KEYS = 256 };

// Called from the platform's audio thread to fill `frames` stereo frames of
// 44100 Hz signed 16-bit interleaved samples.
typedef void (*PlatformMixFn)(int16_t* out, int frames, void* user);

struct Platform {
    const char* name;

    // Process-wide start and end of the platform's services (video, events, audio).
    int  (*Startup)(void);                                  // 0, or −1
    void (*Shutdown)(void);

    // Clock and sleep.
    uint32_t (*TicksMs)(void);                              // milliseconds, wraps at 2^32
    void (*SleepMs)(uint32_t ms);

    // The start-up question: 1 yes, 0 no, −1 no box could be shown.
    int  (*AskYesNo)(const char* caption, const char* text);

    // Bytes per pixel of the desktop; 3 means a packed 24-bit format.
    int  (*DesktopBytesPerPixel)(void);

    // Single-instance guard keyed by the window class name: 1 acquired, 0 another
    // instance holds it, −1 the guard could not be checked (treated as acquired).
    int  (*AcquireInstance)(const char* className);
    void (*ReleaseInstance)(void);

    // The one window. Main thread only.
    int  (*CreateWindow)(const PlatformWindowDesc* desc);   // 0, or −1
    void (*SetCaption)(const char* caption);
    int  (*SetWindowed)(int windowed, double scale);        // 0, or −1
    void (*DestroyWindow)(void);
    int  (*PollEvent)(PlatformEvent* event);                // 1 when an event was taken, 0 when none

    // The display: waits for the start of the next refresh, then presents a
    // finished XRGB8888 picture (pitch in pixels).
    void (*WaitVBlank)(void);
    void (*Present)(const uint32_t* pixels, int width, int height, int pitch);

    // Input: key state in the framework's key codes (1 held, 0 up), and pads.
    void (*ReadKeys)(uint8_t keys[PLATFORM_KEYS]);
    int  (*PadCount)(void);
    // Axes in −1000..1000, buttons 1 held / 0 up. 0, or −1 when the pad is gone.
    int  (*ReadPad)(int index, int axes[PLATFORM_PAD_AXES], uint8_t buttons[PLATFORM_PAD_BUTTONS]);

    // Audio output pulling 44100 Hz 16-bit stereo from the mixer.
    int  (*OpenAudio)(PlatformMixFn mix, void* user);       // 0, or −1 (no device)
    void (*CloseAudio)(void);
    void (*LockAudio)(void);
    void (*UnlockAudio)(void);

    // Additions beside the designed services; a platform may leave them null.
    // The desktop's size in pixels: 0, or −1 when unknown.
    int  (*DesktopSize)(int* width, int* height);
    // 1 while Present itself waits for the display's real vertical blank (the
    // display runs at 60 Hz ± 1); WaitVBlank then returns at once. *periodMs is
    // the display's refresh period and *lastBlankMs the TicksMs of the blank the
    // last Present met.
    int  (*PresentWaitsForBlank)(double* periodMs, uint32_t* lastBlankMs);
    // A seed for the random generator that differs from run to run on the real
    // platform; the headless platform gives a fixed, settable value.
    uint32_t (*RunSeed)(void);
};

// The platform in use. Defaults to SDL2; tests select the headless platform
// before FrameworkInit.
const Platform* PlatformGet(void);
void PlatformSelect(const Platform* platform);

const Platform* PlatformSdl(void);
const Platform* PlatformHeadless(void);
