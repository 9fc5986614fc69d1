// The headless platform: a deterministic stand-in for SDL2 used by tests,
// benchmarks and tools. Its clock advances only when the framework sleeps or
// waits for the display, or when a test says so; events, keys and pads follow a
// script keyed by presented frame (or by clock time); every presented frame
// can be kept; audio plays with the virtual clock, or only when a test pulls it.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "framework/backend/platform.h"

// Makes the headless platform the one in use and resets its script and clock.
void HeadlessSelect(void);
void HeadlessReset(void);

// Clock.
uint32_t HeadlessClock(void);
void HeadlessSetClock(uint32_t ms);
void HeadlessAdvance(uint32_t ms);
void HeadlessSetRefreshHz(double hz);             // emulated display refresh, default 60
// 1: at 60 Hz ± 1 Present itself waits for the emulated blank, as a vsynced
// renderer does, and WaitVBlank returns at once; at other rates the display
// stays as without it (no vsync, the emulated wait). Default 0.
void HeadlessSetVsyncPresent(int on);

// Answers and environment.
void HeadlessSetAnswer(int answer);               // AskYesNo result: 1 yes (default 0 no)
const char* HeadlessLastQuestion(void);           // "caption|text" of the last AskYesNo
const char* HeadlessInstanceKey(void);            // the key of the last second-instance check
void HeadlessSetDesktopBytesPerPixel(int bytes);  // default 4
void HeadlessSetInstanceTaken(int taken);         // another instance holds the guard
void HeadlessSetStartupFails(int fails);
void HeadlessSetDesktopSize(int width, int height);  // default 1920×1080
void HeadlessSetFullscreenFails(int fails);       // full screen cannot be made (a window stays)
void HeadlessSetRunSeed(uint32_t seed);           // RunSeed's answer from now on (default: the clock)
void HeadlessSetAudioAvailable(int available);    // default 1
// 1 (default): the output plays, and discards, audio as the clock advances, so
// sounds end in virtual time; 0: audio moves only when a test pulls it.
void HeadlessSetAudioClocked(int clocked);

// Events: delivered by the first PollEvent once `frame` frames were presented
// (or the clock reached `ms`).
void HeadlessPostEventAtFrame(int frame, int kind);
void HeadlessPostEventAtTime(uint32_t ms, int kind);

// Keys and pads per presented frame: held during frames [from, to).
void HeadlessHoldKey(int code, int fromFrame, int toFrame);
void HeadlessSetKeysNow(const uint8_t keys[PLATFORM_KEYS]);  // overrides until cleared
void HeadlessSetPadCount(int count);
void HeadlessSetPad(int index, const int axes[PLATFORM_PAD_AXES], const uint8_t buttons[PLATFORM_PAD_BUTTONS]);
void HeadlessHoldPadButton(int index, int button, int fromFrame, int toFrame);

// Frames.
int HeadlessFrameCount(void);                     // frames presented since HeadlessReset
void HeadlessKeepFrames(int keep);                // keep a copy of every presented frame
const std::vector<std::vector<uint32_t>>& HeadlessFrames(void);
const std::vector<uint32_t>& HeadlessLastFrame(void); // always kept: the last presented frame
// Called at every present with the frame number (from 1) and the pixels.
void HeadlessOnPresent(std::function<void(int frame, const uint32_t* pixels, int w, int h)> hook);
// 1: every present also puts the picture on an emulated screen the size of
// the window's output (the picture × the window scale, or the desktop in full
// screen) as the SDL platform does without a graphics card: the whole
// multiple, centred, black bars. Default 0.
void HeadlessKeepScreen(int keep);
const std::vector<uint32_t>& HeadlessScreen(int* width, int* height);

// Window state as the framework left it.
int HeadlessWindowExists(void);
int HeadlessWindowed(void);
double HeadlessWindowScale(void);
const char* HeadlessCaption(void);                // Shift-JIS

// Audio: mixes `frames` stereo frames through the framework's mixer; returns
// the frames written (0 while no audio output is open).
int HeadlessPullAudio(int16_t* out, int frames);
