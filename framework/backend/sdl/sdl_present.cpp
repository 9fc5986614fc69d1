// Sharp scaling, two ways.
//
// With a graphics card: the picture is first repeated to the largest whole
// multiple that fits the output (nearest neighbour into a render-target
// texture), and only the remaining fraction is filtered linearly on the GPU,
// centred with black bars. Every source pixel so covers whole output pixels
// plus at most one blended edge, never rows of uneven width.
//
// Without one (SDL's software renderer, or OpenGL answered by a CPU
// rasterizer such as llvmpipe): the GPU steps would be drawn by the CPU, and
// at 1920×1080 they took most of a frame. The renderer is then let go and the
// picture is written straight into the window's pixels: the whole multiple
// on the drawing threads, centred, without the fractional step (wider bars),
// and only the picture's rectangle is sent to the display after the first
// frame.
//
// Vertical blank: when the display runs at 60 Hz ± 1 the renderer is created
// with vsync, and a short probe checks that presents really wait (a virtual
// display such as Xvfb accepts vsync but never blocks). Only then do presents
// count as tied to the blank; otherwise the framework's own pacing stays.
#include "framework/backend/sdl/sdl_present.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/backend/raster/present_scale.h"

namespace {

enum { PROBE_PRESENTS = 6 };

struct Presenter {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;   // null when presenting into the window's pixels
    SDL_Texture* picture = nullptr;     // the 640×480 frame, streamed
    SDL_Texture* scaled = nullptr;      // picture × wholeScale, a render target
    int scaledFactor = 0;
    int width = 0, height = 0;
    bool targets = false;               // render targets supported
    bool locked = false;
    SDL_Surface* screen = nullptr;      // the window's pixels as last drawn (no renderer)
    int screenW = 0, screenH = 0;
    bool refresh = true;                // bars to draw, the whole window to send
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

// Whether a graphics card draws for the renderer: not SDL's software
// renderer, and not OpenGL answered by one of Mesa's CPU rasterizers (or
// another driver that names itself software).
bool Accelerated(SDL_Renderer* r) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(r, &info) != 0 || (info.flags & SDL_RENDERER_SOFTWARE)) return false;
    if (!info.name || std::strncmp(info.name, "opengl", 6) != 0 || !SDL_GL_GetCurrentContext()) return true;
    typedef const unsigned char* (*GetStringFn)(unsigned int);
    const auto getString = reinterpret_cast<GetStringFn>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned int GL_RENDERER_NAME = 0x1F01;
    const char* name = getString ? reinterpret_cast<const char*>(getString(GL_RENDERER_NAME)) : nullptr;
    if (!name) return true;
    for (const char* cpu : {"llvmpipe", "softpipe", "swrast", "Software", "GDI Generic"})
        if (std::strstr(name, cpu)) return false;
    return true;
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

// The window's pixels when they are 32-bit XRGB like the picture, else null.
SDL_Surface* WindowPixels() {
    SDL_Surface* s = SDL_GetWindowSurface(g_p.window);
    if (!s || !s->pixels || s->format->BytesPerPixel != 4 || s->pitch % 4 != 0 || s->format->Rmask != 0x00FF0000u ||
        s->format->Gmask != 0x0000FF00u || s->format->Bmask != 0x000000FFu)
        return nullptr;
    return s;
}

// Without a renderer: the whole multiple into the window's pixels, then the
// picture's rectangle (or, after a change, the whole window) to the display.
void PresentIntoWindow(const uint32_t* pixels, int width, int height, int pitch) {
    SDL_Surface* s = WindowPixels();
    if (!s) return;
    if (s != g_p.screen || s->w != g_p.screenW || s->h != g_p.screenH) g_p.refresh = true;
    g_p.screen = s;
    g_p.screenW = s->w;
    g_p.screenH = s->h;
    const PresentLayout l = PresentLayoutFor(width, height, s->w, s->h, false);
    const Surface screen{static_cast<uint32_t*>(s->pixels), s->w, s->h, s->pitch / 4};
    const Surface picture{const_cast<uint32_t*>(pixels), width, height, pitch};
    if (SDL_MUSTLOCK(s)) SDL_LockSurface(s);
    PresentCompose(screen, picture, l, g_p.refresh);
    if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
    if (g_p.refresh) {
        if (SDL_UpdateWindowSurface(g_p.window) == 0) g_p.refresh = false;
        return;
    }
    SDL_Rect rect = {std::max(0, l.x), std::max(0, l.y), std::min(l.w, s->w), std::min(l.h, s->h)};
    SDL_UpdateWindowSurfaceRects(g_p.window, &rect, 1);
}

} // namespace

int SdlPresentCreate(SDL_Window* window, int width, int height, uint32_t (*ticksMs)(void)) {
    SdlPresentDestroy();
    g_p.window = window;
    g_p.ticks = ticksMs;
    g_p.width = width;
    g_p.height = height;
    SDL_DisplayMode mode;
    const int display = std::max(0, SDL_GetWindowDisplayIndex(window));
    const bool sixty = SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate >= 59 && mode.refresh_rate <= 61;
    if (sixty) g_p.periodMs = 1000.0 / mode.refresh_rate;
    g_p.renderer = MakeRenderer(window, sixty);
    if (g_p.renderer && !Accelerated(g_p.renderer)) {
        // SDL would otherwise back the window's pixels with the same CPU
        // rasterizer through OpenGL; a plain X image costs a copy.
        SDL_DestroyRenderer(g_p.renderer);
        g_p.renderer = nullptr;
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        if (WindowPixels()) {
            g_p.lastBlank = g_p.ticks();
            return 0;
        }
        g_p.renderer = MakeRenderer(window, sixty);   // not 32-bit XRGB: the renderer after all
    }
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

void SdlPresentRefresh(void) { g_p.refresh = true; }

void SdlPresentFrame(const uint32_t* pixels, int width, int height, int pitch) {
    if (!g_p.window) return;
    if (!g_p.renderer) {
        PresentIntoWindow(pixels, width, height, pitch);
        g_p.lastBlank = g_p.ticks();
        return;
    }
    if (!g_p.picture) return;
    SDL_UpdateTexture(g_p.picture, nullptr, pixels, pitch * 4);
    int outW = 0, outH = 0;
    if (SDL_GetRendererOutputSize(g_p.renderer, &outW, &outH) != 0) return;
    const PresentLayout l = PresentLayoutFor(width, height, outW, outH, true);
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
