// The draw recorder and its worker threads: draws are validated and recorded
// by the caller, and run by band at RasterQueueFinish, the caller and the
// workers taking bands in turn. The workers are started on
// the first finish that needs them and wait on a condition variable between
// finishes; they end at process exit.
#include "framework/backend/raster/raster_queue.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace {

enum CmdKind { CMD_BLIT, CMD_MAPPED, CMD_TRIANGLE, CMD_FILL, CMD_COVERAGE, CMD_CLEAR, CMD_SCALE };

// What each kind of draw takes besides the part every draw has.
struct BlitArgs {
    int x, y;
};
struct MappedArgs {
    double ox, oy, ux, uy, vx, vy;
};
struct TriangleArgs {
    int px[3], py[3];
    double su[3], sv[3];
};
struct FillArgs {
    int left, top, right, bottom;
    uint32_t rgb;
};
struct CoverageArgs {
    int x, y, width, height;      // the mask is copied with pitch = width
    uint32_t rgb;
    size_t mask;                  // offset of the copied mask in g_masks
};
struct ClearArgs {
    uint32_t value;
};
struct ScaleArgs {
    int x, y, factor;
};

struct Cmd {
    CmdKind kind;
    int top, bottom;      // the rows it may touch
    Surface dst, src;
    ClipRect clip;
    RasterState st;
    int sourceKind;
    union {               // the one that `kind` names
        BlitArgs blit;
        MappedArgs mapped;
        TriangleArgs triangle;
        FillArgs fill;
        CoverageArgs coverage;
        ClearArgs clear;
        ScaleArgs scale;
    };
};

std::vector<Cmd> g_cmds;
std::vector<uint8_t> g_masks;
int64_t g_work = 0;       // pixels the recorded draws may touch, roughly

// Below this many pixels the calling thread draws alone: waking the others
// would cost more than it saves. Tests set 0 to spread every batch.
int64_t g_spreadWork = 60000;
int g_threads = 0;        // 0 until first asked

int DefaultThreads() {
    if (const char* env = std::getenv("VORTALIS_RASTER_THREADS")) {
        char* end = nullptr;
        long v = std::strtol(env, &end, 10);
        if (end != env && *end == 0 && v >= 1 && v <= 64) return static_cast<int>(v);
    }
    unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(cores, 1u, 8u));
}

int Threads() {
    if (g_threads == 0) g_threads = DefaultThreads();
    return g_threads;
}

// ---- running draws ----------------------------------------------------------

void Run(const Cmd& c, const RasterRows* rows) {
    switch (c.kind) {
        case CMD_BLIT: RasterBlit(c.dst, c.clip, c.src, c.blit.x, c.blit.y, c.sourceKind, c.st, rows); break;
        case CMD_MAPPED: {
            const MappedArgs& m = c.mapped;
            RasterMapped(c.dst, c.clip, c.src, m.ox, m.oy, m.ux, m.uy, m.vx, m.vy, c.sourceKind, c.st, rows);
            break;
        }
        case CMD_TRIANGLE: {
            const TriangleArgs& t = c.triangle;
            RasterTriangle(c.dst, c.clip, c.src, t.px, t.py, t.su, t.sv, c.sourceKind, c.st, rows);
            break;
        }
        case CMD_FILL: {
            const FillArgs& f = c.fill;
            RasterFill(c.dst, c.clip, f.left, f.top, f.right, f.bottom, f.rgb, c.st, rows);
            break;
        }
        case CMD_COVERAGE: {
            const CoverageArgs& m = c.coverage;
            RasterCoverage(c.dst, c.clip, m.x, m.y, g_masks.data() + m.mask, m.width, m.height, m.width, m.rgb, c.st,
                           rows);
            break;
        }
        case CMD_CLEAR: {
            const int from = rows ? std::max(0, rows->top) : 0;
            const int to = rows ? std::min(c.dst.height, rows->bottom) : c.dst.height;
            for (int y = from; y < to; y++)
                RasterFillRow(c.dst.pixels + static_cast<size_t>(y) * c.dst.pitch, c.dst.width, c.clear.value);
            break;
        }
        case CMD_SCALE: RasterScaleWhole(c.dst, c.clip, c.src, c.scale.x, c.scale.y, c.scale.factor, rows); break;
    }
}

// Band height: about six bands per thread, so that a frame whose busy part
// sits in one region still spreads over every thread.
int BandHeight(int height, int threads) {
    const int bands = threads * 6;
    return std::max(8, (height + bands - 1) / bands);
}

// The next band to take: threads take bands in turn as they finish one, so
// that a thread slowed by other work takes fewer. Which thread runs a band
// changes nothing in it.
std::atomic<int> g_nextBand{0};

// Runs bands until none is left: every recorded draw that reaches a band, in
// recorded order, limited to the band's rows.
void RunShare(int threads) {
    const int height = g_cmds.front().dst.height;
    const int bh = BandHeight(height, threads);
    for (;;) {
        const int top = g_nextBand.fetch_add(1, std::memory_order_relaxed) * bh;
        if (top >= height) return;
        const RasterRows rows{top, std::min(height, top + bh)};
        for (const Cmd& c : g_cmds)
            if (c.top < rows.bottom && c.bottom > rows.top) Run(c, &rows);
    }
}

// ---- the workers ------------------------------------------------------------

struct Pool {
    std::mutex m;
    std::condition_variable go, done;
    std::vector<std::thread> workers;
    pid_t owner = 0;          // the process that started them (not a forked child)
    unsigned long round = 0;
    int remaining = 0;
    int threads = 0;          // of the current round
    bool quit = false;
};

Pool* g_pool = new Pool;      // never freed: the workers may outlive static destructors' order

void WorkerMain(int index) {
    Pool& p = *g_pool;
    unsigned long seen = 0;
    for (;;) {
        int threads;
        {
            std::unique_lock<std::mutex> lock(p.m);
            p.go.wait(lock, [&] { return p.quit || p.round != seen; });
            if (p.quit) return;
            seen = p.round;
            threads = p.threads;
        }
        if (index < threads) RunShare(threads);
        std::lock_guard<std::mutex> lock(p.m);
        if (--p.remaining == 0) p.done.notify_one();
    }
}

void StopWorkers() {
    Pool& p = *g_pool;
    if (p.owner != getpid()) return;
    {
        std::lock_guard<std::mutex> lock(p.m);
        p.quit = true;
    }
    p.go.notify_all();
    for (std::thread& t : p.workers) t.join();
    p.workers.clear();
    p.quit = false;
    p.owner = 0;
}

// Starts workers 1 .. threads − 1 (more when asked for more later).
bool EnsureWorkers(int threads) {
    Pool& p = *g_pool;
    if (p.owner != 0 && p.owner != getpid()) return false;   // a forked child draws alone
    if (p.owner == 0) {
        static bool registered = false;
        if (!registered) {
            registered = true;
            std::atexit(StopWorkers);
        }
        p.owner = getpid();
    }
    while (static_cast<int>(p.workers.size()) < threads - 1) {
        const int index = static_cast<int>(p.workers.size()) + 1;
        try {
            p.workers.emplace_back(WorkerMain, index);
        } catch (...) {
            break;
        }
    }
    return static_cast<int>(p.workers.size()) >= threads - 1;
}

// ---- recording ------------------------------------------------------------

bool Overlaps(const Surface& a, const Surface& b) {
    if (!a.pixels || !b.pixels || a.width <= 0 || a.height <= 0 || b.width <= 0 || b.height <= 0) return false;
    const uintptr_t a0 = reinterpret_cast<uintptr_t>(a.pixels);
    const uintptr_t a1 = reinterpret_cast<uintptr_t>(a.pixels + static_cast<size_t>(a.height - 1) * a.pitch + a.width);
    const uintptr_t b0 = reinterpret_cast<uintptr_t>(b.pixels);
    const uintptr_t b1 = reinterpret_cast<uintptr_t>(b.pixels + static_cast<size_t>(b.height - 1) * b.pitch + b.width);
    return a0 < b1 && b0 < a1;
}

// Rows [top, bottom) of the target, clipped; false when the draw can touch none.
bool ClipRows(const Cmd& c, int64_t top, int64_t bottom, int* outTop, int* outBottom) {
    top = std::max<int64_t>({top, c.clip.top, 0});
    bottom = std::min<int64_t>({bottom, c.clip.bottom, c.dst.height});
    if (top >= bottom || c.clip.left >= c.clip.right || c.clip.right <= 0 || c.clip.left >= c.dst.width) return false;
    *outTop = static_cast<int>(top);
    *outBottom = static_cast<int>(bottom);
    return true;
}

// Records `c` covering rows [top, bottom) (before clipping) and about `width`
// pixels of each, or runs it now when there is one thread or it cannot wait.
void Submit(Cmd& c, int64_t top, int64_t bottom, int64_t width, const uint8_t* coverage = nullptr, int pitch = 0) {
    if (!c.dst.pixels) return;
    const bool alone = Threads() == 1;
    const bool selfDraw = c.kind != CMD_FILL && c.kind != CMD_COVERAGE && c.kind != CMD_CLEAR && Overlaps(c.src, c.dst);
    if (alone || selfDraw) {
        if (!g_cmds.empty()) RasterQueueFinish();
        if (c.kind == CMD_COVERAGE) {
            const CoverageArgs& m = c.coverage;
            RasterCoverage(c.dst, c.clip, m.x, m.y, coverage, m.width, m.height, pitch, m.rgb, c.st);
            return;
        }
        Run(c, nullptr);
        return;
    }
    if (!ClipRows(c, top, bottom, &c.top, &c.bottom)) return;
    if (!g_cmds.empty()) {
        const Surface& d = g_cmds.front().dst;
        if (d.pixels != c.dst.pixels || d.width != c.dst.width || d.height != c.dst.height || d.pitch != c.dst.pitch)
            RasterQueueFinish();
    }
    if (c.kind == CMD_COVERAGE) {
        CoverageArgs& m = c.coverage;
        m.mask = g_masks.size();
        const size_t w = static_cast<size_t>(m.width);
        g_masks.resize(m.mask + w * static_cast<size_t>(m.height));
        for (int y = 0; y < m.height; y++)
            std::memcpy(g_masks.data() + m.mask + y * w, coverage + static_cast<size_t>(y) * pitch, w);
    }
    g_work += static_cast<int64_t>(c.bottom - c.top) * std::clamp<int64_t>(width, 1, c.dst.width);
    g_cmds.push_back(c);
}

Cmd Make(CmdKind kind, const Surface& dst, const ClipRect& clip, const RasterState& st) {
    Cmd c{};
    c.kind = kind;
    c.dst = dst;
    c.clip = clip;
    c.st = st;
    return c;
}

} // namespace

void RasterQueueSetThreads(int count) {
    RasterQueueFinish();
    g_threads = count <= 0 ? DefaultThreads() : std::min(count, 64);
}

int RasterQueueThreads(void) { return Threads(); }

void RasterQueueSpreadAll(int on) { g_spreadWork = on ? 0 : 60000; }

int RasterQueuePending(void) { return static_cast<int>(g_cmds.size()); }

void RasterQueueFinish(void) {
    if (g_cmds.empty()) return;
    const int threads = std::min(Threads(), std::max(1, g_cmds.front().dst.height / 8));
    if (threads <= 1 || g_work < g_spreadWork || !EnsureWorkers(threads)) {
        for (const Cmd& c : g_cmds) Run(c, nullptr);
    } else {
        Pool& p = *g_pool;
        {
            std::lock_guard<std::mutex> lock(p.m);
            p.threads = threads;
            p.remaining = static_cast<int>(p.workers.size());
            p.round++;
            g_nextBand.store(0, std::memory_order_relaxed);
        }
        p.go.notify_all();
        RunShare(threads);
        std::unique_lock<std::mutex> lock(p.m);
        p.done.wait(lock, [&] { return p.remaining == 0; });
    }
    g_cmds.clear();
    g_masks.clear();
    g_work = 0;
}

void RasterQueueBlit(const Surface& dst, const ClipRect& clip, const Surface& src, int x, int y, int sourceKind,
                     const RasterState& st) {
    Cmd c = Make(CMD_BLIT, dst, clip, st);
    c.src = src;
    c.sourceKind = sourceKind;
    c.blit = BlitArgs{x, y};
    Submit(c, y, static_cast<int64_t>(y) + src.height, src.width);
}

void RasterQueueMapped(const Surface& dst, const ClipRect& clip, const Surface& src, double ox, double oy,
                       double ux, double uy, double vx, double vy, int sourceKind, const RasterState& st) {
    Cmd c = Make(CMD_MAPPED, dst, clip, st);
    c.src = src;
    c.sourceKind = sourceKind;
    c.mapped = MappedArgs{ox, oy, ux, uy, vx, vy};
    // The rows of the mapped corners, widened by a pixel each way; anything
    // not finite is left to the rasterizer (which draws nothing for it).
    const double H = src.height, W = src.width;
    const double ys[4] = {oy, oy + W * uy, oy + H * vy, oy + W * uy + H * vy};
    double lo = *std::min_element(ys, ys + 4), hi = *std::max_element(ys, ys + 4);
    if (!std::isfinite(lo) || !std::isfinite(hi)) { lo = INT_MIN; hi = INT_MAX; }
    lo = std::clamp(std::floor(lo) - 1, -1e9, 1e9);
    hi = std::clamp(std::ceil(hi) + 2, -1e9, 1e9);
    Submit(c, static_cast<int64_t>(lo), static_cast<int64_t>(hi), static_cast<int64_t>(hi - lo));
}

void RasterQueueTriangle(const Surface& dst, const ClipRect& clip, const Surface& src, const int px[3],
                         const int py[3], const double su[3], const double sv[3], int sourceKind,
                         const RasterState& st) {
    Cmd c = Make(CMD_TRIANGLE, dst, clip, st);
    c.src = src;
    c.sourceKind = sourceKind;
    TriangleArgs& t = c.triangle;
    for (int i = 0; i < 3; i++) {
        t.px[i] = px[i];
        t.py[i] = py[i];
        t.su[i] = su[i];
        t.sv[i] = sv[i];
    }
    Submit(c, std::min({py[0], py[1], py[2]}), std::max({py[0], py[1], py[2]}),
           int64_t(std::max({px[0], px[1], px[2]})) - std::min({px[0], px[1], px[2]}));
}

void RasterQueueFill(const Surface& dst, const ClipRect& clip, int left, int top, int right, int bottom,
                     uint32_t rgb, const RasterState& st) {
    Cmd c = Make(CMD_FILL, dst, clip, st);
    c.fill = FillArgs{left, top, right, bottom, rgb};
    Submit(c, top, bottom, int64_t(right) - left);
}

void RasterQueueCoverage(const Surface& dst, const ClipRect& clip, int x, int y, const uint8_t* coverage,
                         int width, int height, int pitch, uint32_t rgb, const RasterState& st) {
    if (!coverage || width <= 0 || height <= 0) return;
    Cmd c = Make(CMD_COVERAGE, dst, clip, st);
    c.coverage = CoverageArgs{x, y, width, height, rgb, 0};
    Submit(c, y, static_cast<int64_t>(y) + height, width, coverage, pitch);
}

void RasterQueueClear(const Surface& dst, uint32_t value) {
    Cmd c = Make(CMD_CLEAR, dst, ClipRect{0, 0, dst.width, dst.height}, RasterState{});
    c.clear = ClearArgs{value};
    Submit(c, 0, dst.height, dst.width);
}

void RasterQueueScaleWhole(const Surface& dst, const ClipRect& clip, const Surface& src, int x, int y, int factor) {
    if (factor < 1) return;
    Cmd c = Make(CMD_SCALE, dst, clip, RasterState{});
    c.src = src;
    c.scale = ScaleArgs{x, y, factor};
    const int64_t w = static_cast<int64_t>(src.width) * factor, h = static_cast<int64_t>(src.height) * factor;
    Submit(c, y, y + h, w);
}
