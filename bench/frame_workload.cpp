// The frame workload: one busy play frame (backgrounds, sprites, rotated and
// bilinear bullets, additive flashes, a veil, glyphs) drawn through the
// framework on the headless platform, through SDL2's software renderer and
// through pixman, from the same precomputed draw lists. Prints the median and
// 90th percentile milliseconds per frame of each, the ratios, and where our
// time goes per part (all in milliseconds of this thread's CPU time). Ours runs
// twice: on one thread, and banded on --threads N (default: the framework's
// default count), the latter timed by the wall clock since its work is spread
// over threads. Options: --frames N, --threads N, --vectors 1|2 (SSE2 or AVX2
// loops), --only ours|ours-mt|sdl|pixman,
// --png DIR (saves the first timed frame of each renderer).
#include <SDL.h>
#include <pixman.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "framework/backend/raster/raster.h"
#include "framework/backend/raster/raster_queue.h"
#include "framework/backend/image/png_writer.h"
#include "bench/bench_clocks.h"
#include "framework/framework.h"
#include "framework/graphics/draw_internal.h"
#include "framework/graphics/draw_target.h"

namespace {

const int W = 640, H = 480, WARM = 60;
const double PI = 3.1415926535898;

int g_threads = 0;   // of ours-mt
// CPU time of each ours-mt frame: this thread's, and every thread's.
std::vector<double> g_mtThreadMs, g_mtProcessMs;

// ---- pictures (straight ARGB) -------------------------------------------
enum { IMG_LAYER0, IMG_LAYER1, IMG_LAYER2, IMG_LAYER3, IMG_ENEMY, IMG_SHOT, IMG_ITEM, IMG_FLASH, IMG_BOSS,
       IMG_BULLET, IMG_DIGIT0, IMG_COUNT = IMG_DIGIT0 + 10 };

struct Picture {
    int w, h;
    std::vector<uint32_t> px;
};
Picture g_pics[IMG_COUNT];

uint32_t Argb(int a, int r, int g, int b) {
    auto c = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
    return c(a) << 24 | c(r) << 16 | c(g) << 8 | c(b);
}

void MakePictures() {
    std::mt19937 rng(1234);
    for (int l = 0; l < 4; l++) {
        Picture& p = g_pics[IMG_LAYER0 + l];
        p.w = 700; p.h = 480; p.px.resize(700 * 480);
        for (int y = 0; y < 480; y++)
            for (int x = 0; x < 700; x++) {
                double t = 2 * PI * x / 700;   // periodic in x with period 700
                uint32_t v;
                if (l == 0) {
                    v = Argb(255, 10 + y / 8, 20 + y / 5, 80 + y / 4);
                    if (rng() % 400 == 0) v = Argb(255, 255, 255, 230);
                } else {
                    double f = l == 1 ? std::sin(3 * t + y / 40.0) * std::sin(y / 25.0 + 2 * t)
                             : l == 2 ? std::sin(y / 12.0 + std::sin(2 * t) * 2)
                                      : std::sin(7 * t + y / 9.0) * std::cos(5 * t - y / 30.0);
                    int a = f > 0 ? std::min(255, static_cast<int>(f * 500)) : 0;
                    v = a ? Argb(a, 120 + l * 40, 130 + l * 30, 200 - l * 20) : 0;
                }
                p.px[y * 700 + x] = v;
            }
    }
    auto blob = [](int idx, int w, int h, double rx, double ry, int r, int g, int b, double soft) {
        Picture& p = g_pics[idx];
        p.w = w; p.h = h; p.px.resize(w * h);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                double dx = (x + 0.5 - w / 2.0) / rx, dy = (y + 0.5 - h / 2.0) / ry;
                double d = std::sqrt(dx * dx + dy * dy);
                int a = d >= 1 ? 0 : static_cast<int>(255 * std::min(1.0, (1 - d) / soft));
                p.px[y * w + x] = a ? Argb(a, r - static_cast<int>(d * 60), g, b + x) : 0;
            }
    };
    blob(IMG_ENEMY, 32, 32, 15, 15, 220, 80, 60, 0.2);
    blob(IMG_SHOT, 40, 16, 19, 7, 120, 220, 255, 0.5);
    blob(IMG_ITEM, 35, 35, 17, 17, 255, 220, 40, 0.15);
    blob(IMG_BOSS, 128, 128, 62, 50, 180, 60, 200, 0.1);
    blob(IMG_BULLET, 24, 24, 5, 11, 255, 120, 200, 0.4);
    {   // radial glow, alpha falling off with the square of the distance
        Picture& p = g_pics[IMG_FLASH];
        p.w = p.h = 140; p.px.resize(140 * 140);
        for (int y = 0; y < 140; y++)
            for (int x = 0; x < 140; x++) {
                double d = std::hypot(x - 69.5, y - 69.5) / 70;
                int a = d >= 1 ? 0 : static_cast<int>(255 * (1 - d) * (1 - d));
                p.px[y * 140 + x] = a ? Argb(a, 255, 240, 180) : 0;
            }
    }
    static const char* segs[10] = {"abcdef", "bc", "abged", "abgcd", "fgbc", "afgcd", "afgedc", "abc", "abcdefg", "abcdfg"};
    for (int d = 0; d < 10; d++) {
        Picture& p = g_pics[IMG_DIGIT0 + d];
        p.w = p.h = 16; p.px.assign(256, 0);
        for (const char* s = segs[d]; *s; s++)
            for (int i = 0; i < 10; i++) {
                int x = 0, y = 0;
                switch (*s) {
                    case 'a': x = 3 + i; y = 1; break;
                    case 'b': x = 12; y = 2 + i / 2 + i / 3; break;
                    case 'c': x = 12; y = 8 + i / 2 + i / 3; break;
                    case 'd': x = 3 + i; y = 14; break;
                    case 'e': x = 3; y = 8 + i / 2 + i / 3; break;
                    case 'f': x = 3; y = 2 + i / 2 + i / 3; break;
                    default: x = 3 + i; y = 7; break;
                }
                for (int k = 0; k < 2; k++) p.px[std::min(15, y) * 16 + std::min(15, x + k)] = 0xFFFFFFFFu;
            }
    }
}

// ---- the draw lists ---------------------------------------------------------
enum { CMD_CLEAR, CMD_AT, CMD_AT_F, CMD_ROTATED, CMD_RECT, CMD_GLYPH };
enum { PART_CLEAR, PART_BACKGROUND, PART_ENEMIES, PART_SHOTS, PART_ITEMS, PART_FLASHES, PART_BOSS, PART_BULLETS,
       PART_VEIL, PART_GLYPHS, PART_COUNT };
const char* PART_NAMES[PART_COUNT] = {"clear", "background", "enemies", "shots", "items", "flashes", "boss",
                                      "bullets", "veil", "glyphs"};

struct Cmd {
    uint8_t kind, img, part, additive, alpha, bright, bilinear;
    float x, y, scale, angle;
};

std::vector<std::vector<Cmd>> g_frames;

void MakeFrames(int count) {
    std::mt19937 rng(99);
    auto uni = [&](double a, double b) { return a + (b - a) * (rng() / 4294967296.0); };
    struct Mover { double x, y, vx, vy, a, va; };
    std::vector<Mover> enemies(60), shots(100), items(50), flashes(100), bullets(400);
    for (auto& e : enemies) e = {uni(-40, 680), uni(-40, 520), double(int(uni(-2, 3))), double(int(uni(-2, 3))), 0, 0};
    for (auto& s : shots) s = {uni(-40, 680), uni(0, 480), 12, 0, 0, 0};
    for (auto& it : items) it = {uni(-20, 660), uni(-20, 500), 0, 0, uni(0, 2 * PI), uni(-6, 6) * PI / 180};
    for (auto& f : flashes) f = {uni(0, 640), uni(0, 480), 0, 0, uni(0, 2 * PI), 0};
    for (auto& b : bullets) {
        double h = uni(0, 2 * PI), sp = uni(1, 4);
        b = {uni(-20, 660), uni(-20, 500), std::cos(h) * sp, std::sin(h) * sp, h, uni(-2, 2) * PI / 180};
    }
    const double speeds[4] = {0.2, 0.25, 1, 5};
    g_frames.resize(count);
    for (int f = 0; f < count; f++) {
        std::vector<Cmd>& c = g_frames[f];
        c.clear();
        c.push_back({CMD_CLEAR, 0, PART_CLEAR, 0, 255, 255, 0, 0, 0, 0, 0});
        for (int l = 0; l < 4; l++) {
            float x0 = -static_cast<float>(std::fmod(f * speeds[l], 700.0));
            c.push_back({CMD_AT_F, uint8_t(IMG_LAYER0 + l), PART_BACKGROUND, 0, 255, 255, 0, x0, 0, 1, 0});
            c.push_back({CMD_AT_F, uint8_t(IMG_LAYER0 + l), PART_BACKGROUND, 0, 255, 128, 0, x0 + 700, 0, 1, 0});
        }
        auto wrap = [](double& v, double lo, double hi) { if (v < lo) v += hi - lo; if (v >= hi) v -= hi - lo; };
        for (auto& e : enemies) {
            e.x += e.vx; e.y += e.vy; wrap(e.x, -40, 680); wrap(e.y, -40, 520);
            c.push_back({CMD_AT, IMG_ENEMY, PART_ENEMIES, 0, 255, 128, 0, float(int(e.x)), float(int(e.y)), 1, 0});
        }
        for (auto& s : shots) {
            s.x += s.vx; wrap(s.x, -40, 680);
            c.push_back({CMD_AT, IMG_SHOT, PART_SHOTS, 0, 255, 128, 0, float(int(s.x)), float(int(s.y)), 1, 0});
        }
        for (auto& it : items) {
            it.a += it.va;
            c.push_back({CMD_ROTATED, IMG_ITEM, PART_ITEMS, 0, 255, 128, 0, float(it.x), float(it.y), 0.6f, float(it.a)});
            c.push_back({CMD_ROTATED, IMG_ITEM, PART_ITEMS, 0, 255, 128, 0, float(it.x), float(it.y), 0.48f, float(-1.5 * it.a)});
            c.push_back({CMD_ROTATED, IMG_ITEM, PART_ITEMS, 0, 255, 128, 0, float(it.x), float(it.y), 0.6f, 0});
        }
        for (int i = 0; i < 100; i++) {
            const Mover& fl = flashes[i];
            c.push_back({CMD_ROTATED, IMG_FLASH, PART_FLASHES, 1, uint8_t(255 - 250 * i / 99), 128, 0, float(fl.x),
                         float(fl.y), float(0.08 + 1.52 * i / 99), float(fl.a)});
        }
        c.push_back({CMD_ROTATED, IMG_BOSS, PART_BOSS, 0, 255, 128, 0, float(320 + 40 * std::sin(f * 0.03)),
                     float(110 + 15 * std::sin(f * 0.05)), 1, float(PI)});
        for (int i = 0; i < 400; i++) {
            Mover& b = bullets[i];
            b.x += b.vx; b.y += b.vy; b.a += b.va;
            wrap(b.x, -20, 660); wrap(b.y, -20, 500);
            c.push_back({CMD_ROTATED, IMG_BULLET, PART_BULLETS, uint8_t(i >= 300), 255, 255, 1, float(b.x), float(b.y),
                         1, float(b.a + PI / 2)});
        }
        c.push_back({CMD_RECT, 0, PART_VEIL, 0, 80, 128, 0, 0, 0, 0, 0});
        for (int i = 0; i < 20; i++) {
            float x = i < 12 ? 8 + i * 14 : 640 - 8 * 14 + (i - 12) * 14 + 6, y = i < 12 ? 6 : 460;
            c.push_back({CMD_GLYPH, uint8_t(IMG_DIGIT0 + (i + f) % 10), PART_GLYPHS, 0, 255, 128, 0, x, y, 1, 0});
        }
    }
}

// ---- ours -----------------------------------------------------------------
int g_handles[IMG_COUNT];
std::vector<uint8_t> g_masks[10];

void OursSetUp() {
    HeadlessSelect();
    if (FrameworkInit() != 0 || SetDrawTarget(-2) != 0) { std::fprintf(stderr, "framework did not start\n"); std::exit(1); }
    for (int i = 0; i < IMG_COUNT; i++) {
        const Picture& p = g_pics[i];
        std::string path = "/tmp/vortalis_bench_" + std::to_string(getpid()) + "_" + std::to_string(i) + ".bgra";
        FILE* f = std::fopen(path.c_str(), "wb");
        uint8_t head[16] = {'B', 'G', 'R', 'A', 8, 1, 0, 0};
        std::memcpy(head + 8, &p.w, 4);
        std::memcpy(head + 12, &p.h, 4);
        std::fwrite(head, 1, 16, f);
        std::fwrite(p.px.data(), 4, p.px.size(), f);
        std::fclose(f);
        g_handles[i] = LoadImageFile(path.c_str(), 0);
        std::remove(path.c_str());
        if (g_handles[i] < 0) { std::fprintf(stderr, "image %d did not load\n", i); std::exit(1); }
    }
    for (int d = 0; d < 10; d++) {
        g_masks[d].resize(256);
        for (int i = 0; i < 256; i++) g_masks[d][i] = g_pics[IMG_DIGIT0 + d].px[i] >> 24;
    }
}

void OursDraw(const Cmd& c) {
    SetBlendMode(c.additive ? 2 : 1, c.alpha);
    SetDrawBrightness(c.bright, c.bright, c.bright);
    SetScaleFilter(c.bilinear);
    switch (c.kind) {
        case CMD_CLEAR: ClearDrawTarget(); break;
        case CMD_AT: DrawImageAt(static_cast<int>(c.x), static_cast<int>(c.y), g_handles[c.img], 1); break;
        case CMD_AT_F: DrawImageAtF(c.x, c.y, g_handles[c.img], 1); break;
        case CMD_ROTATED: DrawImageRotatedF(c.x, c.y, c.scale, c.angle, g_handles[c.img], 1, 0); break;
        case CMD_RECT: DrawRect(0, 0, W, H, MakeColor(255, 0, 0), 1); break;
        case CMD_GLYPH:
            GraphicsDrawCoverage(static_cast<int>(c.x), static_cast<int>(c.y), g_masks[c.img - IMG_DIGIT0].data(), 16,
                                 16, 16, 255, 255, 255);
            break;
    }
}

void OursFrame(const std::vector<Cmd>& cmds) {
    RasterQueueSetThreads(1);
    for (const Cmd& c : cmds) OursDraw(c);
    GraphicsFinishDrawing();
}

void OursThreadsFrame(const std::vector<Cmd>& cmds) {
    RasterQueueSetThreads(g_threads);
    const double t0 = ThreadCpuMs(), p0 = ProcessCpuMs();
    for (const Cmd& c : cmds) OursDraw(c);
    GraphicsFinishDrawing();
    g_mtThreadMs.push_back(ThreadCpuMs() - t0);
    g_mtProcessMs.push_back(ProcessCpuMs() - p0);
}

const uint32_t* OursPixels() { return GraphicsBackBuffer()->pixels; }

// ---- SDL2 software renderer ----------------------------------------------------
SDL_Surface* g_sdlSurface;
SDL_Renderer* g_sdl;
SDL_Texture* g_sdlTex[IMG_COUNT];

void SdlSetUp() {
    g_sdlSurface = SDL_CreateRGBSurfaceWithFormat(0, W, H, 32, SDL_PIXELFORMAT_ARGB8888);
    g_sdl = SDL_CreateSoftwareRenderer(g_sdlSurface);
    if (!g_sdl) { std::fprintf(stderr, "SDL: %s\n", SDL_GetError()); std::exit(1); }
    for (int i = 0; i < IMG_COUNT; i++) {
        const Picture& p = g_pics[i];
        g_sdlTex[i] = SDL_CreateTexture(g_sdl, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, p.w, p.h);
        SDL_UpdateTexture(g_sdlTex[i], nullptr, p.px.data(), p.w * 4);
    }
}

void SdlFrame(const std::vector<Cmd>& cmds) {
    for (const Cmd& c : cmds) {
        if (c.kind == CMD_CLEAR) {
            SDL_SetRenderDrawColor(g_sdl, 0, 0, 0, 255);
            SDL_RenderClear(g_sdl);
            continue;
        }
        if (c.kind == CMD_RECT) {
            SDL_SetRenderDrawBlendMode(g_sdl, SDL_BLENDMODE_BLEND);
            SDL_SetRenderDrawColor(g_sdl, 255 * c.bright / 255, 0, 0, c.alpha);
            SDL_RenderFillRect(g_sdl, nullptr);
            continue;
        }
        SDL_Texture* t = g_sdlTex[c.img];
        const Picture& p = g_pics[c.img];
        SDL_SetTextureBlendMode(t, c.additive ? SDL_BLENDMODE_ADD : SDL_BLENDMODE_BLEND);
        SDL_SetTextureAlphaMod(t, c.alpha);
        SDL_SetTextureColorMod(t, c.bright, c.bright, c.bright);
        SDL_SetTextureScaleMode(t, c.bilinear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
        if (c.kind == CMD_ROTATED) {
            SDL_FRect r{c.x - p.w * c.scale / 2, c.y - p.h * c.scale / 2, p.w * c.scale, p.h * c.scale};
            SDL_RenderCopyExF(g_sdl, t, nullptr, &r, c.angle * 180 / PI, nullptr, SDL_FLIP_NONE);
        } else {
            SDL_Rect r{static_cast<int>(c.x), static_cast<int>(c.y), p.w, p.h};
            SDL_RenderCopy(g_sdl, t, nullptr, &r);
        }
    }
    SDL_RenderFlush(g_sdl);
}

const uint32_t* SdlPixels() { return static_cast<const uint32_t*>(g_sdlSurface->pixels); }

// ---- pixman ----------------------------------------------------------------------
std::vector<uint32_t> g_pixDst(W * H), g_pixStore[IMG_COUNT];
pixman_image_t* g_pixDstImage;
pixman_image_t* g_pixSrc[IMG_COUNT];
pixman_image_t* g_pixMask[10];

void PixmanSetUp() {
    g_pixDstImage = pixman_image_create_bits(PIXMAN_x8r8g8b8, W, H, g_pixDst.data(), W * 4);
    for (int i = 0; i < IMG_COUNT; i++) {
        const Picture& p = g_pics[i];
        g_pixStore[i].resize(p.px.size());
        for (size_t k = 0; k < p.px.size(); k++) {
            uint32_t s = p.px[k], a = s >> 24;
            auto pm = [a](uint32_t c) { return (c * a + 127) / 255; };
            g_pixStore[i][k] = a << 24 | pm((s >> 16) & 255) << 16 | pm((s >> 8) & 255) << 8 | pm(s & 255);
        }
        g_pixSrc[i] = pixman_image_create_bits(PIXMAN_a8r8g8b8, p.w, p.h, g_pixStore[i].data(), p.w * 4);
    }
    for (int d = 0; d < 10; d++)
        g_pixMask[d] = pixman_image_create_bits(PIXMAN_a8, 16, 16, reinterpret_cast<uint32_t*>(g_masks[d].data()), 16);
}

// Per-draw alpha and brightness through a solid component-alpha mask: colour
// channels scaled by brightness × alpha, alpha by alpha (the closest single
// pixman operation to the framework's colour modulation).
pixman_image_t* PixmanModulation(int alpha, int bright) {
    if (alpha == 255 && bright == 255) return nullptr;
    uint16_t a = alpha * 257, c = alpha * bright / 255 * 257;
    pixman_color_t col{c, c, c, a};
    pixman_image_t* m = pixman_image_create_solid_fill(&col);
    pixman_image_set_component_alpha(m, 1);
    return m;
}

void PixmanFrame(const std::vector<Cmd>& cmds) {
    for (const Cmd& c : cmds) {
        if (c.kind == CMD_CLEAR) {
            pixman_color_t black{0, 0, 0, 0xFFFF};
            pixman_rectangle16_t r{0, 0, W, H};
            pixman_image_fill_rectangles(PIXMAN_OP_SRC, g_pixDstImage, &black, 1, &r);
            continue;
        }
        if (c.kind == CMD_RECT) {
            uint16_t a = c.alpha * 257, red = static_cast<uint16_t>(c.alpha * c.bright / 255 * 257);
            pixman_color_t col{red, 0, 0, a};
            pixman_rectangle16_t r{0, 0, W, H};
            pixman_image_fill_rectangles(PIXMAN_OP_OVER, g_pixDstImage, &col, 1, &r);
            continue;
        }
        if (c.kind == CMD_GLYPH) {
            uint16_t v = c.bright * 257;
            pixman_color_t col{v, v, v, 0xFFFF};
            pixman_image_t* solid = pixman_image_create_solid_fill(&col);
            pixman_image_composite32(PIXMAN_OP_OVER, solid, g_pixMask[c.img - IMG_DIGIT0], g_pixDstImage, 0, 0, 0, 0,
                                     static_cast<int>(c.x), static_cast<int>(c.y), 16, 16);
            pixman_image_unref(solid);
            continue;
        }
        pixman_image_t* src = g_pixSrc[c.img];
        const Picture& p = g_pics[c.img];
        pixman_image_t* mask = PixmanModulation(c.alpha, c.bright);
        const pixman_op_t op = c.additive ? PIXMAN_OP_ADD : PIXMAN_OP_OVER;
        if (c.kind == CMD_ROTATED) {
            // Destination point → source point: translate, rotate back, unscale.
            pixman_f_transform ft;
            pixman_f_transform_init_identity(&ft);
            pixman_f_transform_translate(&ft, nullptr, -c.x, -c.y);
            pixman_f_transform_rotate(&ft, nullptr, std::cos(-c.angle), std::sin(-c.angle));
            pixman_f_transform_scale(&ft, nullptr, 1 / c.scale, 1 / c.scale);
            pixman_f_transform_translate(&ft, nullptr, p.w / 2.0, p.h / 2.0);
            pixman_transform t;
            pixman_transform_from_pixman_f_transform(&t, &ft);
            pixman_image_set_transform(src, &t);
            pixman_image_set_filter(src, c.bilinear ? PIXMAN_FILTER_BILINEAR : PIXMAN_FILTER_NEAREST, nullptr, 0);
            const double r = 0.5 * c.scale * std::hypot(p.w, p.h) + 1;
            int x0 = static_cast<int>(std::floor(c.x - r)), y0 = static_cast<int>(std::floor(c.y - r));
            int x1 = static_cast<int>(std::ceil(c.x + r)), y1 = static_cast<int>(std::ceil(c.y + r));
            x0 = std::max(x0, 0); y0 = std::max(y0, 0); x1 = std::min(x1, W); y1 = std::min(y1, H);
            if (x0 < x1 && y0 < y1)
                pixman_image_composite32(op, src, mask, g_pixDstImage, x0, y0, 0, 0, x0, y0, x1 - x0, y1 - y0);
            pixman_image_set_transform(src, nullptr);
        } else {
            int x = static_cast<int>(c.x), y = static_cast<int>(c.y);
            pixman_image_composite32(op, src, mask, g_pixDstImage, 0, 0, 0, 0, x, y, p.w, p.h);
        }
        if (mask) pixman_image_unref(mask);
    }
}

const uint32_t* PixmanPixels() { return g_pixDst.data(); }

// ---- timing ---------------------------------------------------------------------
// The renderers take turns frame by frame, so that the load of a shared
// machine falls on all of them alike.
struct Renderer {
    const char* name;
    void (*frame)(const std::vector<Cmd>&);
    const uint32_t* (*pixels)();
    bool on;
    std::vector<double> ms;
    double (*clock)() = ThreadCpuMs;
};

void RunAll(Renderer* r, int count, const char* pngDir) {
    const int frames = static_cast<int>(g_frames.size()) - WARM;
    for (int f = 0; f < WARM; f++)
        for (int k = 0; k < count; k++)
            if (r[k].on) r[k].frame(g_frames[f]);
    for (int f = 0; f < frames; f++) {
        for (int k = 0; k < count; k++) {
            if (!r[k].on) continue;
            double t0 = r[k].clock();
            r[k].frame(g_frames[WARM + f]);
            r[k].ms.push_back(r[k].clock() - t0);
            if (f == 0 && pngDir) {
                std::string path = std::string(pngDir) + "/frame_workload_" + r[k].name + ".png";
                WritePng(path.c_str(), r[k].pixels(), W, H, W);
            }
        }
    }
}

double Percentile(std::vector<double> v, int pct) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, v.size() * pct / 100)];
}

// Our frame again, part by part, to show where the time goes.
void BreakDown() {
    double total[PART_COUNT] = {};
    const int frames = static_cast<int>(g_frames.size()) - WARM;
    for (int f = 0; f < frames; f++) {
        const std::vector<Cmd>& cmds = g_frames[WARM + f];
        size_t i = 0;
        while (i < cmds.size()) {
            int part = cmds[i].part;
            double t0 = ThreadCpuMs();
            while (i < cmds.size() && cmds[i].part == part) OursDraw(cmds[i++]);
            total[part] += ThreadCpuMs() - t0;
        }
    }
    std::printf("ours per part (mean ms per frame):");
    for (int p = 0; p < PART_COUNT; p++) std::printf(" %s %.3f%s", PART_NAMES[p], total[p] / frames, p + 1 < PART_COUNT ? "," : "\n");
}

} // namespace

int main(int argc, char** argv) {
    int frames = 600;
    const char* only = nullptr;
    const char* pngDir = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--frames")) frames = std::max(1, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--only")) only = argv[i + 1];
        else if (!std::strcmp(argv[i], "--png")) pngDir = argv[i + 1];
        else if (!std::strcmp(argv[i], "--threads")) g_threads = std::max(1, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--vectors")) RasterLimitVectors(std::atoi(argv[i + 1]));
    }
    auto want = [only](const char* n) { return !only || !std::strcmp(only, n); };
    MakePictures();
    MakeFrames(WARM + frames);
    std::printf("frame workload: %zu draws per frame, %dx%d, %d warm-up and %d timed frames\n",
                g_frames[0].size() - 1, W, H, WARM, frames);
    OursSetUp();
    RasterQueueSetThreads(g_threads);
    g_threads = RasterQueueThreads();
    char mtName[32];
    std::snprintf(mtName, sizeof mtName, "ours-%dt", g_threads);
    Renderer r[4] = {{"ours", OursFrame, OursPixels, want("ours"), {}},
                     {"sdl", SdlFrame, SdlPixels, want("sdl"), {}},
                     {"pixman", PixmanFrame, PixmanPixels, want("pixman"), {}},
                     {mtName, OursThreadsFrame, OursPixels, want("ours-mt"), {}, WallMs}};
    if (r[1].on) SdlSetUp();
    if (r[2].on) PixmanSetUp();
    RunAll(r, 4, pngDir);
    for (const Renderer& x : r)
        if (x.on)
            std::printf("%-9s median %7.3f ms   p90 %7.3f ms   (%d frames)\n", x.name, Percentile(x.ms, 50),
                        Percentile(x.ms, 90), frames);
    if (r[0].on && r[1].on) std::printf("sdl / ours    %.2fx\n", Percentile(r[1].ms, 50) / Percentile(r[0].ms, 50));
    if (r[0].on && r[2].on) std::printf("pixman / ours %.2fx\n", Percentile(r[2].ms, 50) / Percentile(r[0].ms, 50));
    if (r[0].on && r[3].on)
        std::printf("ours / %s %.2fx (wall clock)\n", mtName, Percentile(r[0].ms, 50) / Percentile(r[3].ms, 50));
    if (r[3].on) {
        // On a busy machine the wall clock mostly shows the waits for a core;
        // the CPU times show the work: the calling thread's share (recording
        // and its bands) and all threads' together.
        const double mine = Percentile(g_mtThreadMs, 50), all = Percentile(g_mtProcessMs, 50);
        std::printf("%s CPU median: calling thread %.3f ms, all threads %.3f ms (the others %.3f ms)\n", mtName, mine,
                    all, all - mine);
    }
    RasterQueueSetThreads(1);
    if (want("ours")) BreakDown();
    FrameworkEnd();
    return 0;
}
