// Drives the whole game (VortalisMain) on the headless platform frame by
// frame: a test chooses the keys of the next frame from the scene the game is
// in and reads the results from the scene records and the presented pixels.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "game/common/game_state.h"
#include "game/player/player.h"
#include "game/app/vortalis_main.h"

struct FrameRecord {
    int scene;
    int timer;
    uint32_t clock;
};

// Drives VortalisMain: after every presented frame it records the scene, keeps
// the pixels of the last two frames, and lets the test choose the keys of the
// next frame (Tap presses a key only if it was up in the frame before, so each
// tap counts as a fresh press).
struct GameDriver {
    std::vector<FrameRecord> frames;
    std::vector<uint32_t> pixels, previousPixels;
    int width = 0;
    uint8_t keys[256] = {};
    uint8_t lastKeys[256] = {};
    std::function<void(GameDriver&, int frame)> act;
    int frameLimit = 20000;

    void Tap(int code) {
        if (!lastKeys[code]) keys[code] = 1;
    }
    void Hold(int code) { keys[code] = 1; }
    uint32_t Pixel(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
    uint32_t PreviousPixel(int x, int y) const {
        return previousPixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF;
    }

    int Run() {
        HeadlessSetAnswer(0);
        HeadlessSetKeysNow(keys);
        HeadlessOnPresent([this](int frame, const uint32_t* px, int w, int h) {
            frames.push_back({fucn_state, scene_timer, HeadlessClock()});
            previousPixels.swap(pixels);
            pixels.assign(px, px + static_cast<size_t>(w) * h);
            width = w;
            std::memcpy(lastKeys, keys, sizeof keys);
            std::memset(keys, 0, sizeof keys);
            player.invincible = 1;
            if (act) act(*this, frame);
            if (frame >= frameLimit) fucn_state = 900;   // a test that lost its way ends, not hangs
            HeadlessSetKeysNow(keys);
        });
        return VortalisMain();
    }
};

// Taps Shot on the logo and on the title: the game reaches the prologue.
inline void ThroughTheTitle(GameDriver& g) {
    if (fucn_state == 1 || fucn_state == 10) g.Tap(KEY_Z);
}

// From the title to the prologue, then straight to a new game: the shortcut
// skips the prologue's pages but keeps every scene of the stage start.
inline void ToPlay(GameDriver& g) {
    ThroughTheTitle(g);
    if (fucn_state == 20) fucn_state = 27;
}

// The exact-white pixels of rows [y0, y1): text drawn in white over the red
// veil (the veil keeps every backdrop pixel off pure white). Returns the
// first and last columns, or -1, -1.
inline void WhiteSpan(const GameDriver& g, int y0, int y1, int* first, int* last) {
    *first = -1;
    *last = -1;
    for (int y = y0; y < y1; y++)
        for (int x = 0; x < g.width; x++)
            if (g.Pixel(x, y) == 0xFFFFFF) {
                if (*first < 0 || x < *first) *first = x;
                if (x > *last) *last = x;
            }
}
