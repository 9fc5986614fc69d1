// Sharp scaling: the picture is first repeated to the largest whole multiple
// that fits the output (nearest neighbour into a render-target texture), and
// only the remaining fraction is filtered linearly on the GPU, centred with
// black bars. Every source pixel so covers whole output pixels plus at most one
// blended edge, never rows of uneven width.
//
// Vertical blank: when the display runs at 60 Hz ± 1 the renderer is created
// with vsync, and a short probe checks that presents really wait (a virtual
// display such as Xvfb accepts vsync but never blocks). Only then do presents
// count as tied to the blank; otherwise the framework's own pacing stays.
#include "framework/backend/sdl/sdl_present.h"

#include <algorithm>
#include <cmath>

namespace {

enum { PROBE_PRESENTS = 6 };

struct Presenter {
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* picture = nullptr;     // the 640×480 frame, streamed
    SDL_Texture* scaled = nullptr;      // picture × wholeScale, a render target
    int scaledFactor = 0;
    int width = 0, height = 0;
    bool targets = false;               // render targets supported
    bool locked = false;
    double periodMs = 1000.0 / 60.0;
    uint32_t lastBlank = 0;
    uint32_t (*ticks)(void) = nullptr;
};

Presenter g_p;

// Presents a few black frames back to back: with a real vsync they take one
// refresh each.
bool PresentsWait() {
    SDL_SetRenderDrawColor(g_p.renderer, 0, 0, 0, 255);
    const uint32_t t0 = g_p.ticks();
    for (int i = 0; i < PROBE_PRESENTS; i++) {
        SDL_RenderClear(g_p.renderer);
        SDL_RenderPresent(g_p.renderer);
    }
    const double took = g_p.ticks() - t0;
    return took >= (PROBE_PRESENTS - 2) * g_p.periodMs;
}

SDL_Renderer* MakeRenderer(SDL_Window* window, bool vsync) {
    Uint32 flags = SDL_RENDERER_ACCELERATED | (vsync ? SDL_RENDERER_PRESENTVSYNC : 0);
    SDL_Renderer* r = SDL_CreateRenderer(window, -1, flags);
    if (!r) r = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE | (vsync ? SDL_RENDERER_PRESENTVSYNC : 0));
    return r;
}

bool EnsureScaled(int factor) {
    if (g_p.scaled && g_p.scaledFactor == factor) return true;
    if (g_p.scaled) SDL_DestroyTexture(g_p.scaled);
    g_p.scaled = SDL_CreateTexture(g_p.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                   g_p.width * factor, g_p.height * factor);
    g_p.scaledFactor = g_p.scaled ? factor : 0;
    if (g_p.scaled) SDL_SetTextureScaleMode(g_p.scaled, SDL_ScaleModeLinear);
    return g_p.scaled != nullptr;
}

} // namespace

PresentLayout SdlPresentLayout(int picW, int picH, int outW, int outH) {
    PresentLayout l{1, 0, 0, picW, picH, false};
    if (picW <= 0 || picH <= 0 || outW <= 0 || outH <= 0) return l;
    // Compared as integer products so that exact fits stay exact.
    const bool widthBound = static_cast<long long>(outW) * picH <= static_cast<long long>(outH) * picW;
    if (widthBound) {
        l.w = outW;
        l.h = static_cast<int>(static_cast<long long>(outW) * picH / picW);
    } else {
        l.h = outH;
        l.w = static_cast<int>(static_cast<long long>(outH) * picW / picH);
    }
    l.wholeScale = std::max(1, std::min(outW / picW, outH / picH));
    l.x = (outW - l.w) / 2;
    l.y = (outH - l.h) / 2;
    l.smoothRest = l.w != picW * l.wholeScale || l.h != picH * l.wholeScale;
    return l;
}

int SdlPresentCreate(SDL_Window* window, int width, int height, uint32_t (*ticksMs)(void)) {
    SdlPresentDestroy();
    g_p.ticks = ticksMs;
    g_p.width = width;
    g_p.height = height;
    SDL_DisplayMode mode;
    const int display = std::max(0, SDL_GetWindowDisplayIndex(window));
    const bool sixty = SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate >= 59 && mode.refresh_rate <= 61;
    if (sixty) g_p.periodMs = 1000.0 / mode.refresh_rate;
    g_p.renderer = MakeRenderer(window, sixty);
    if (!g_p.renderer) return -1;
    SDL_RendererInfo info;
    const bool vsync = SDL_GetRendererInfo(g_p.renderer, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC);
    g_p.targets = SDL_RenderTargetSupported(g_p.renderer);
    g_p.picture = SDL_CreateTexture(g_p.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (!g_p.picture) {
        SdlPresentDestroy();
        return -1;
    }
    SDL_SetTextureScaleMode(g_p.picture, SDL_ScaleModeNearest);
    g_p.locked = sixty && vsync && PresentsWait();
    if (sixty && vsync && !g_p.locked) {
        // Vsync that does not wait would let the pacing run fast: drop it.
        SDL_RenderSetVSync(g_p.renderer, 0);
    }
    g_p.lastBlank = g_p.ticks();
    return 0;
}

void SdlPresentDestroy(void) {
    if (g_p.scaled) SDL_DestroyTexture(g_p.scaled);
    if (g_p.picture) SDL_DestroyTexture(g_p.picture);
    if (g_p.renderer) SDL_DestroyRenderer(g_p.renderer);
    g_p = Presenter();
}

void SdlPresentFrame(const uint32_t* pixels, int width, int height, int pitch) {
    if (!g_p.picture) return;
    SDL_UpdateTexture(g_p.picture, nullptr, pixels, pitch * 4);
    int outW = 0, outH = 0;
    if (SDL_GetRendererOutputSize(g_p.renderer, &outW, &outH) != 0) return;
    const PresentLayout l = SdlPresentLayout(width, height, outW, outH);
    const SDL_Rect dst = {l.x, l.y, l.w, l.h};
    SDL_SetRenderDrawColor(g_p.renderer, 0, 0, 0, 255);
    if (l.smoothRest && g_p.targets && EnsureScaled(l.wholeScale)) {
        SDL_SetRenderTarget(g_p.renderer, g_p.scaled);
        SDL_RenderCopy(g_p.renderer, g_p.picture, nullptr, nullptr);     // nearest: whole multiples
        SDL_SetRenderTarget(g_p.renderer, nullptr);
        SDL_RenderClear(g_p.renderer);
        SDL_RenderCopy(g_p.renderer, g_p.scaled, nullptr, &dst);        // linear: the rest
    } else {
        // A whole fit needs only the nearest step. (Each texture keeps one
        // scale mode: the renderer batches copies, so a mode changed between
        // two copies would apply to both.)
        SDL_RenderClear(g_p.renderer);
        SDL_RenderCopy(g_p.renderer, g_p.picture, nullptr, &dst);
    }
    SDL_RenderPresent(g_p.renderer);
    g_p.lastBlank = g_p.ticks();
}

int SdlPresentLocked(double* periodMs, uint32_t* lastBlankMs) {
    if (!g_p.locked) return 0;
    *periodMs = g_p.periodMs;
    *lastBlankMs = g_p.lastBlank;
    return 1;
}
