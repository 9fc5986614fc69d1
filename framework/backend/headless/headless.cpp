// The headless platform. Nothing here touches a display, a device or the wall
// clock: time moves only when the framework sleeps or waits for the emulated
// vertical blank (or a test advances it), so a run is the same every time.
#include "framework/backend/headless/headless.h"
#include "framework/backend/raster/present_scale.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <string>

namespace {

struct ScriptedEvent {
    int frame;          // −1 when keyed by time
    uint32_t ms;
    int kind;
    bool done;
};

struct HeldKey {
    int code, from, to;
};

struct HeldButton {
    int pad, button, from, to;
};

struct Headless {
    std::mutex m;                 // the pump thread may read the clock while a test advances it
    uint32_t clock = 0;
    double refreshHz = 60.0;
    int answer = 0;
    std::string lastQuestion;
    std::string instanceKey;
    int desktopBytes = 4;
    int instanceTaken = 0;
    int instanceHeld = 0;
    int startupFails = 0;
    bool runSeedSet = false;      // false: the seed is the clock, as a fresh start would read it
    uint32_t runSeed = 0;
    int audioAvailable = 1;
    int audioClocked = 1;         // the output consumes audio as the clock advances
    std::vector<ScriptedEvent> events;
    std::vector<HeldKey> keys;
    bool keysOverride = false;
    uint8_t keysNow[PLATFORM_KEYS] = {};
    int padCount = 0;
    int padAxes[PLATFORM_MAX_PADS][PLATFORM_PAD_AXES] = {};
    uint8_t padButtons[PLATFORM_MAX_PADS][PLATFORM_PAD_BUTTONS] = {};
    std::vector<HeldButton> buttons;
    int frames = 0;
    bool keepFrames = false;
    std::vector<std::vector<uint32_t>> kept;
    std::vector<uint32_t> last;
    std::function<void(int, const uint32_t*, int, int)> onPresent;
    bool keepScreen = false;
    std::vector<uint32_t> screen;  // the emulated screen, screenW × screenH
    int screenW = 0, screenH = 0;
    int windowExists = 0;
    int windowed = 0;
    double windowScale = 1.0;
    int desktopW = 1920, desktopH = 1080;
    int fullscreenFails = 0;
    int vsyncPresent = 0;         // Present waits for the emulated blank
    uint32_t lastBlank = 0;
    std::string caption;
    PlatformMixFn mix = nullptr;
    void* mixUser = nullptr;
    std::recursive_mutex audio;
};

Headless* g_h = nullptr;

Headless& H() {
    if (!g_h) g_h = new Headless();
    return *g_h;
}

uint32_t Now() {
    std::lock_guard<std::mutex> g(H().m);
    return H().clock;
}

// A clocked output plays, and discards, the audio of the time the clock moved
// on, as a sound card would: sounds end and streams advance with virtual time.
void PlayAudioFor(uint32_t from, uint32_t to) {
    Headless& h = H();
    if (!h.audioClocked || to <= from) return;
    std::lock_guard<std::recursive_mutex> g(h.audio);
    if (!h.mix) return;
    uint64_t frames = uint64_t(to) * 44100 / 1000 - uint64_t(from) * 44100 / 1000;
    static int16_t scratch[4096 * 2];
    while (frames > 0) {
        const int n = frames > 4096 ? 4096 : static_cast<int>(frames);
        h.mix(scratch, n, h.mixUser);
        frames -= n;
    }
}

// Moves the clock on by `ms` (or to `to`), playing the audio of that time.
void AdvanceTo(uint32_t to) {
    uint32_t from;
    {
        std::lock_guard<std::mutex> g(H().m);
        from = H().clock;
        H().clock = to;
    }
    PlayAudioFor(from, to);
}

// ---- the Platform functions ----

int Startup() { return H().startupFails ? -1 : 0; }
void Shutdown() {}
uint32_t TicksMs() { return Now(); }
uint32_t RunSeed() { return H().runSeedSet ? H().runSeed : Now(); }
void Sleep(uint32_t ms) { AdvanceTo(Now() + ms); }

int AskYesNo(const char* caption, const char* text) {
    H().lastQuestion = std::string(caption) + "|" + text;
    return H().answer;
}

int DesktopBytesPerPixel() { return H().desktopBytes; }

int AcquireInstance(const char* key) {
    H().instanceKey = key ? key : "";
    if (H().instanceTaken) return 0;
    H().instanceHeld = 1;
    return 1;
}
void ReleaseInstance() { H().instanceHeld = 0; }

int CreateWindowH(const PlatformWindowDesc* d) {
    if (!d->windowed && H().fullscreenFails) return -1;
    H().windowExists = 1;
    H().windowed = d->windowed;
    H().windowScale = d->scale;
    H().caption = d->caption ? d->caption : "";
    return 0;
}
void SetCaption(const char* c) { H().caption = c; }
int SetWindowed(int windowed, double scale) {
    if (!windowed && H().fullscreenFails) return -1;
    H().windowed = windowed;
    H().windowScale = scale;
    return 0;
}
void DestroyWindow() { H().windowExists = 0; }

int PollEvent(PlatformEvent* e) {
    Headless& h = H();
    uint32_t now = Now();
    for (ScriptedEvent& s : h.events) {
        if (s.done) continue;
        bool due = s.frame >= 0 ? h.frames >= s.frame : now >= s.ms;
        if (!due) continue;
        s.done = true;
        e->kind = s.kind;
        return 1;
    }
    return 0;
}

// The emulated display refreshes at refreshHz from clock 0: refresh k starts at
// ceil(k × 1000 / hz) ms; waiting moves the clock to the start of the next one.
uint32_t NextBlank() {
    uint32_t next;
    {
        std::lock_guard<std::mutex> g(H().m);
        const uint64_t milliHz = static_cast<uint64_t>(std::llround(H().refreshHz * 1000.0));
        auto start = [milliHz](uint64_t k) { return (k * 1000000u + milliHz - 1) / milliHz; };
        uint64_t k = static_cast<uint64_t>(H().clock) * milliHz / 1000000u;
        while (start(k) <= H().clock) k++;
        next = static_cast<uint32_t>(start(k));
    }
    return next;
}

// Presents tied to the blank, as a vsynced renderer on a 60 Hz display.
bool PresentLocked() {
    const Headless& h = H();
    return h.vsyncPresent && h.refreshHz >= 59.0 && h.refreshHz <= 61.0;
}

void WaitVBlank() {
    if (!PresentLocked()) AdvanceTo(NextBlank());
}

// The picture on the emulated screen; a screen of a new size starts with its
// bars drawn.
void ShowOnScreen(const uint32_t* pixels, int w, int hgt, int pitch) {
    Headless& h = H();
    const int outW = h.windowed ? static_cast<int>(std::lround(w * h.windowScale)) : h.desktopW;
    const int outH = h.windowed ? static_cast<int>(std::lround(hgt * h.windowScale)) : h.desktopH;
    if (outW <= 0 || outH <= 0) return;
    const bool fresh = outW != h.screenW || outH != h.screenH;
    if (fresh) {
        h.screen.assign(static_cast<size_t>(outW) * outH, 0);
        h.screenW = outW;
        h.screenH = outH;
    }
    const Surface screen{h.screen.data(), outW, outH, outW};
    const Surface picture{const_cast<uint32_t*>(pixels), w, hgt, pitch};
    PresentCompose(screen, picture, PresentLayoutFor(w, hgt, outW, outH, false), fresh);
}

void Present(const uint32_t* pixels, int w, int hgt, int pitch) {
    Headless& h = H();
    if (PresentLocked()) {
        h.lastBlank = NextBlank();
        AdvanceTo(h.lastBlank);
    }
    h.frames++;
    h.last.resize(static_cast<size_t>(w) * hgt);
    for (int y = 0; y < hgt; y++) std::memcpy(&h.last[static_cast<size_t>(y) * w], pixels + static_cast<size_t>(y) * pitch, w * 4);
    if (h.keepFrames) h.kept.push_back(h.last);
    if (h.keepScreen) ShowOnScreen(pixels, w, hgt, pitch);
    if (h.onPresent) h.onPresent(h.frames, h.last.data(), w, hgt);
}

void ReadKeys(uint8_t keys[PLATFORM_KEYS]) {
    Headless& h = H();
    if (h.keysOverride) {
        std::memcpy(keys, h.keysNow, PLATFORM_KEYS);
        return;
    }
    std::memset(keys, 0, PLATFORM_KEYS);
    for (const HeldKey& k : h.keys)
        if (h.frames >= k.from && h.frames < k.to && k.code >= 0 && k.code < PLATFORM_KEYS) keys[k.code] = 1;
}

int PadCount() { return H().padCount; }

int ReadPad(int index, int axes[PLATFORM_PAD_AXES], uint8_t buttons[PLATFORM_PAD_BUTTONS]) {
    Headless& h = H();
    if (index < 0 || index >= h.padCount) return -1;
    std::memcpy(axes, h.padAxes[index], sizeof h.padAxes[index]);
    std::memcpy(buttons, h.padButtons[index], sizeof h.padButtons[index]);
    for (const HeldButton& b : h.buttons)
        if (b.pad == index && h.frames >= b.from && h.frames < b.to && b.button >= 0 && b.button < PLATFORM_PAD_BUTTONS)
            buttons[b.button] = 1;
    return 0;
}

int OpenAudio(PlatformMixFn mix, void* user) {
    if (!H().audioAvailable) return -1;
    std::lock_guard<std::recursive_mutex> g(H().audio);
    H().mix = mix;
    H().mixUser = user;
    return 0;
}
void CloseAudio() {
    std::lock_guard<std::recursive_mutex> g(H().audio);
    H().mix = nullptr;
    H().mixUser = nullptr;
}
void LockAudio() { H().audio.lock(); }
void UnlockAudio() { H().audio.unlock(); }

int DesktopSize(int* w, int* hgt) {
    *w = H().desktopW;
    *hgt = H().desktopH;
    return 0;
}

int PresentWaitsForBlank(double* periodMs, uint32_t* lastBlankMs) {
    Headless& h = H();
    if (!PresentLocked()) return 0;
    *periodMs = 1000.0 / h.refreshHz;
    *lastBlankMs = h.lastBlank;
    return 1;
}

const Platform g_headlessPlatform = {
    "headless", Startup, Shutdown, TicksMs, Sleep, AskYesNo, DesktopBytesPerPixel,
    AcquireInstance, ReleaseInstance, CreateWindowH, SetCaption, SetWindowed, DestroyWindow,
    PollEvent, WaitVBlank, Present, ReadKeys, PadCount, ReadPad,
    OpenAudio, CloseAudio, LockAudio, UnlockAudio, DesktopSize, PresentWaitsForBlank, RunSeed,
};

} // namespace

const Platform* PlatformHeadless(void) { return &g_headlessPlatform; }

void HeadlessSelect(void) {
    HeadlessReset();
    PlatformSelect(&g_headlessPlatform);
}

void HeadlessReset(void) {
    Headless& h = H();
    std::lock_guard<std::mutex> g(h.m);
    h.clock = 0;
    h.refreshHz = 60.0;
    h.answer = 0;
    h.lastQuestion.clear();
    h.instanceKey.clear();
    h.desktopBytes = 4;
    h.instanceTaken = 0;
    h.startupFails = 0;
    h.runSeedSet = false;
    h.audioAvailable = 1;
    h.audioClocked = 1;
    h.events.clear();
    h.keys.clear();
    h.keysOverride = false;
    h.padCount = 0;
    std::memset(h.padAxes, 0, sizeof h.padAxes);
    std::memset(h.padButtons, 0, sizeof h.padButtons);
    h.buttons.clear();
    h.frames = 0;
    h.keepFrames = false;
    h.kept.clear();
    h.last.clear();
    h.onPresent = nullptr;
    h.keepScreen = false;
    h.screen.clear();
    h.screenW = h.screenH = 0;
    h.windowScale = 1.0;
    h.desktopW = 1920;
    h.desktopH = 1080;
    h.fullscreenFails = 0;
    h.vsyncPresent = 0;
    h.lastBlank = 0;
}

uint32_t HeadlessClock(void) { return Now(); }
void HeadlessSetClock(uint32_t ms) { std::lock_guard<std::mutex> g(H().m); H().clock = ms; }
void HeadlessAdvance(uint32_t ms) { Sleep(ms); }
void HeadlessSetRefreshHz(double hz) { H().refreshHz = hz > 0 ? hz : 60.0; }
void HeadlessSetAnswer(int answer) { H().answer = answer; }
const char* HeadlessLastQuestion(void) { return H().lastQuestion.c_str(); }
const char* HeadlessInstanceKey(void) { return H().instanceKey.c_str(); }
void HeadlessSetDesktopBytesPerPixel(int bytes) { H().desktopBytes = bytes; }
void HeadlessSetInstanceTaken(int taken) { H().instanceTaken = taken; }
void HeadlessSetStartupFails(int fails) { H().startupFails = fails; }
void HeadlessSetRunSeed(uint32_t seed) {
    H().runSeedSet = true;
    H().runSeed = seed;
}
void HeadlessSetAudioAvailable(int available) { H().audioAvailable = available; }
void HeadlessSetAudioClocked(int clocked) { H().audioClocked = clocked; }

void HeadlessPostEventAtFrame(int frame, int kind) { H().events.push_back({frame, 0, kind, false}); }
void HeadlessPostEventAtTime(uint32_t ms, int kind) { H().events.push_back({-1, ms, kind, false}); }

void HeadlessHoldKey(int code, int fromFrame, int toFrame) { H().keys.push_back({code, fromFrame, toFrame}); }
void HeadlessSetKeysNow(const uint8_t keys[PLATFORM_KEYS]) {
    if (!keys) { H().keysOverride = false; return; }
    std::memcpy(H().keysNow, keys, PLATFORM_KEYS);
    H().keysOverride = true;
}
void HeadlessSetPadCount(int count) { H().padCount = std::clamp(count, 0, (int)PLATFORM_MAX_PADS); }
void HeadlessSetPad(int index, const int axes[PLATFORM_PAD_AXES], const uint8_t buttons[PLATFORM_PAD_BUTTONS]) {
    if (index < 0 || index >= PLATFORM_MAX_PADS) return;
    std::memcpy(H().padAxes[index], axes, sizeof H().padAxes[index]);
    std::memcpy(H().padButtons[index], buttons, sizeof H().padButtons[index]);
}
void HeadlessHoldPadButton(int index, int button, int fromFrame, int toFrame) {
    H().buttons.push_back({index, button, fromFrame, toFrame});
}

int HeadlessFrameCount(void) { return H().frames; }
void HeadlessKeepFrames(int keep) { H().keepFrames = keep != 0; }
const std::vector<std::vector<uint32_t>>& HeadlessFrames(void) { return H().kept; }
const std::vector<uint32_t>& HeadlessLastFrame(void) { return H().last; }
void HeadlessKeepScreen(int keep) { H().keepScreen = keep != 0; }
const std::vector<uint32_t>& HeadlessScreen(int* width, int* height) {
    if (width) *width = H().screenW;
    if (height) *height = H().screenH;
    return H().screen;
}
void HeadlessOnPresent(std::function<void(int, const uint32_t*, int, int)> hook) { H().onPresent = std::move(hook); }

int HeadlessWindowExists(void) { return H().windowExists; }
int HeadlessWindowed(void) { return H().windowed; }
const char* HeadlessCaption(void) { return H().caption.c_str(); }

int HeadlessPullAudio(int16_t* out, int frames) {
    std::lock_guard<std::recursive_mutex> g(H().audio);
    if (!H().mix) return 0;
    H().mix(out, frames, H().mixUser);
    return frames;
}
double HeadlessWindowScale(void) { return H().windowScale; }
void HeadlessSetDesktopSize(int width, int height) {
    H().desktopW = width;
    H().desktopH = height;
}
void HeadlessSetFullscreenFails(int fails) { H().fullscreenFails = fails; }
void HeadlessSetVsyncPresent(int on) { H().vsyncPresent = on; }
