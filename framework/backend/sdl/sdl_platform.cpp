// The real platform: SDL2 for the window, events, the question box, the clock,
// keyboard and game controllers, and audio output. A finished frame is uploaded
// once into a streaming texture and the GPU scales it, or without a graphics
// card the drawing threads put it into the window's pixels (sdl_present.cpp):
// windowed to the client area, full screen to a desktop-size borderless window
// with letterboxing.
#include <SDL.h>
#include <fcntl.h>
#include <ctime>
#include <iconv.h>
#include <sys/file.h>
#include <sys/random.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/backend/platform.h"
#include "framework/backend/sdl/sdl_input_map.h"
#include "framework/backend/sdl/sdl_present.h"

namespace {

struct Pad {
    SDL_GameController* controller;
    SDL_Joystick* joystick;      // the controller's joystick, or a raw joystick
    SDL_JoystickID id;
};

struct SdlState {
    bool started = false;
    SDL_Window* window = nullptr;
    int width = 640, height = 480;
    double refreshPeriodMs = 1000.0 / 60.0;
    Uint64 vblankBase = 0;
    Pad pads[PLATFORM_MAX_PADS] = {};
    int padCount = 0;
    SDL_AudioDeviceID audio = 0;
    PlatformMixFn mix = nullptr;
    void* mixUser = nullptr;
    int lockFd = -1;
};

SdlState g_sdl;

// Shift-JIS to UTF-8 for SDL's captions and message boxes.
std::string ToUtf8(const char* sjis) {
    std::string out;
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == (iconv_t)-1) return sjis;
    size_t inLeft = std::strlen(sjis);
    std::string buffer(inLeft * 3 + 4, '\0');
    char* in = const_cast<char*>(sjis);
    char* outp = &buffer[0];
    size_t outLeft = buffer.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outp, &outLeft) == (size_t)-1) {
            if (inLeft == 0 || outLeft == 0) break;
            in++;              // skip a byte that is not Shift-JIS
            inLeft--;
        }
    }
    iconv_close(cd);
    buffer.resize(buffer.size() - outLeft);
    return buffer;
}

// SDL scancode → the framework's key codes (set-1 scan codes, +0x80 extended).
struct KeyMap {
    SDL_Scancode sdl;
    uint8_t code;
};

const KeyMap KEY_MAP[] = {
    {SDL_SCANCODE_ESCAPE, 0x01},       // Escape
    {SDL_SCANCODE_1, 0x02}, {SDL_SCANCODE_2, 0x03}, {SDL_SCANCODE_3, 0x04}, {SDL_SCANCODE_4, 0x05},
    {SDL_SCANCODE_5, 0x06}, {SDL_SCANCODE_6, 0x07}, {SDL_SCANCODE_7, 0x08}, {SDL_SCANCODE_8, 0x09},
    {SDL_SCANCODE_9, 0x0A}, {SDL_SCANCODE_0, 0x0B},
    {SDL_SCANCODE_MINUS, 0x0C},        // - =
    {SDL_SCANCODE_EQUALS, 0x0D},
    {SDL_SCANCODE_BACKSPACE, 0x0E},
    {SDL_SCANCODE_TAB, 0x0F},
    {SDL_SCANCODE_Q, 0x10}, {SDL_SCANCODE_W, 0x11}, {SDL_SCANCODE_E, 0x12}, {SDL_SCANCODE_R, 0x13},
    {SDL_SCANCODE_T, 0x14}, {SDL_SCANCODE_Y, 0x15}, {SDL_SCANCODE_U, 0x16}, {SDL_SCANCODE_I, 0x17},
    {SDL_SCANCODE_O, 0x18}, {SDL_SCANCODE_P, 0x19},
    {SDL_SCANCODE_LEFTBRACKET, 0x1A}, {SDL_SCANCODE_RIGHTBRACKET, 0x1B},
    {SDL_SCANCODE_RETURN, 0x1C},       // Enter
    {SDL_SCANCODE_LCTRL, 0x1D},        // Left Ctrl
    {SDL_SCANCODE_A, 0x1E}, {SDL_SCANCODE_S, 0x1F}, {SDL_SCANCODE_D, 0x20}, {SDL_SCANCODE_F, 0x21},
    {SDL_SCANCODE_G, 0x22}, {SDL_SCANCODE_H, 0x23}, {SDL_SCANCODE_J, 0x24}, {SDL_SCANCODE_K, 0x25},
    {SDL_SCANCODE_L, 0x26},
    {SDL_SCANCODE_SEMICOLON, 0x27}, {SDL_SCANCODE_APOSTROPHE, 0x28}, {SDL_SCANCODE_GRAVE, 0x29},
    {SDL_SCANCODE_LSHIFT, 0x2A},       // Left Shift
    {SDL_SCANCODE_BACKSLASH, 0x2B},
    {SDL_SCANCODE_Z, 0x2C}, {SDL_SCANCODE_X, 0x2D}, {SDL_SCANCODE_C, 0x2E}, {SDL_SCANCODE_V, 0x2F},
    {SDL_SCANCODE_B, 0x30}, {SDL_SCANCODE_N, 0x31}, {SDL_SCANCODE_M, 0x32},
    {SDL_SCANCODE_COMMA, 0x33}, {SDL_SCANCODE_PERIOD, 0x34}, {SDL_SCANCODE_SLASH, 0x35},
    {SDL_SCANCODE_RSHIFT, 0x36},
    {SDL_SCANCODE_KP_MULTIPLY, 0x37},
    {SDL_SCANCODE_LALT, 0x38},
    {SDL_SCANCODE_SPACE, 0x39},
    {SDL_SCANCODE_CAPSLOCK, 0x3A},
    {SDL_SCANCODE_F1, 0x3B}, {SDL_SCANCODE_F2, 0x3C}, {SDL_SCANCODE_F3, 0x3D}, {SDL_SCANCODE_F4, 0x3E},
    {SDL_SCANCODE_F5, 0x3F}, {SDL_SCANCODE_F6, 0x40}, {SDL_SCANCODE_F7, 0x41}, {SDL_SCANCODE_F8, 0x42},
    {SDL_SCANCODE_F9, 0x43}, {SDL_SCANCODE_F10, 0x44},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x45},
    {SDL_SCANCODE_SCROLLLOCK, 0x46},
    {SDL_SCANCODE_KP_7, 0x47}, {SDL_SCANCODE_KP_8, 0x48}, {SDL_SCANCODE_KP_9, 0x49},
    {SDL_SCANCODE_KP_MINUS, 0x4A},
    {SDL_SCANCODE_KP_4, 0x4B}, {SDL_SCANCODE_KP_5, 0x4C}, {SDL_SCANCODE_KP_6, 0x4D},
    {SDL_SCANCODE_KP_PLUS, 0x4E},
    {SDL_SCANCODE_KP_1, 0x4F}, {SDL_SCANCODE_KP_2, 0x50}, {SDL_SCANCODE_KP_3, 0x51},
    {SDL_SCANCODE_KP_0, 0x52}, {SDL_SCANCODE_KP_PERIOD, 0x53},
    {SDL_SCANCODE_NONUSBACKSLASH, 0x56},
    {SDL_SCANCODE_F11, 0x57}, {SDL_SCANCODE_F12, 0x58},
    {SDL_SCANCODE_INTERNATIONAL2, 0x70},   // Kana
    {SDL_SCANCODE_INTERNATIONAL1, 0x73},   // ABNT C1 / Ro
    {SDL_SCANCODE_INTERNATIONAL4, 0x79},   // Convert
    {SDL_SCANCODE_INTERNATIONAL5, 0x7B},   // No convert
    {SDL_SCANCODE_INTERNATIONAL3, 0x7D},   // Yen
    {SDL_SCANCODE_KP_EQUALS, 0x8D},
    {SDL_SCANCODE_KP_ENTER, 0x9C},         // extended from here on
    {SDL_SCANCODE_RCTRL, 0x9D},
    {SDL_SCANCODE_KP_DIVIDE, 0xB5},
    {SDL_SCANCODE_PRINTSCREEN, 0xB7},
    {SDL_SCANCODE_RALT, 0xB8},
    {SDL_SCANCODE_PAUSE, 0xC5},
    {SDL_SCANCODE_HOME, 0xC7},
    {SDL_SCANCODE_UP, 0xC8},
    {SDL_SCANCODE_PAGEUP, 0xC9},
    {SDL_SCANCODE_LEFT, 0xCB},
    {SDL_SCANCODE_RIGHT, 0xCD},
    {SDL_SCANCODE_END, 0xCF},
    {SDL_SCANCODE_DOWN, 0xD0},
    {SDL_SCANCODE_PAGEDOWN, 0xD1},
    {SDL_SCANCODE_INSERT, 0xD2},
    {SDL_SCANCODE_DELETE, 0xD3},
    {SDL_SCANCODE_LGUI, 0xDB},
    {SDL_SCANCODE_RGUI, 0xDC},
    {SDL_SCANCODE_APPLICATION, 0xDD},
};

// Game-controller buttons in the order of the pad's button numbers: south face
// button first (Shot), west third (skip), the left shoulder eighth (formation)
// and Start twelfth (pause).
const SDL_GameControllerButton CONTROLLER_BUTTONS[] = {
    SDL_CONTROLLER_BUTTON_A,             // button 1
    SDL_CONTROLLER_BUTTON_B,             // button 2
    SDL_CONTROLLER_BUTTON_X,             // button 3
    SDL_CONTROLLER_BUTTON_Y,             // button 4
    SDL_CONTROLLER_BUTTON_LEFTSTICK,     // button 5
    SDL_CONTROLLER_BUTTON_RIGHTSTICK,    // button 6
    SDL_CONTROLLER_BUTTON_BACK,          // button 7
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER,  // button 8
    SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, // button 9
    SDL_CONTROLLER_BUTTON_GUIDE,         // button 10
    SDL_CONTROLLER_BUTTON_INVALID,       // button 11: the triggers, below
    SDL_CONTROLLER_BUTTON_START,         // button 12
};


void ClosePads() {
    for (int i = 0; i < g_sdl.padCount; i++) {
        if (g_sdl.pads[i].controller) SDL_GameControllerClose(g_sdl.pads[i].controller);
        else if (g_sdl.pads[i].joystick) SDL_JoystickClose(g_sdl.pads[i].joystick);
    }
    g_sdl.padCount = 0;
}

void OpenPads() {
    ClosePads();
    int n = SDL_NumJoysticks();
    for (int i = 0; i < n && g_sdl.padCount < PLATFORM_MAX_PADS; i++) {
        Pad p = {};
        if (SDL_IsGameController(i)) {
            p.controller = SDL_GameControllerOpen(i);
            p.joystick = p.controller ? SDL_GameControllerGetJoystick(p.controller) : nullptr;
        } else {
            p.joystick = SDL_JoystickOpen(i);
        }
        if (!p.joystick) continue;
        p.id = SDL_JoystickInstanceID(p.joystick);
        g_sdl.pads[g_sdl.padCount++] = p;
    }
}

// ---- the Platform functions ----

int Startup() {
    if (g_sdl.started) return 0;
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) return -1;
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER | SDL_INIT_JOYSTICK) == 0) OpenPads();
    SDL_DisableScreenSaver();
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.refresh_rate > 0)
        g_sdl.refreshPeriodMs = 1000.0 / mode.refresh_rate;
    g_sdl.vblankBase = SDL_GetPerformanceCounter();
    g_sdl.started = true;
    return 0;
}

void Shutdown() {
    if (!g_sdl.started) return;
    ClosePads();
    SDL_EnableScreenSaver();
    SDL_Quit();
    g_sdl = SdlState();
}

// A monotonic millisecond clock of the process's own, so that it keeps counting
// across SDL's start and shut-down (the log's last time stamp comes after both).
uint32_t TicksMs() {
    static const Uint64 base = SDL_GetPerformanceCounter();
    static const Uint64 freq = SDL_GetPerformanceFrequency();
    return static_cast<uint32_t>((SDL_GetPerformanceCounter() - base) * 1000 / freq);
}
void Sleep(uint32_t ms) { SDL_Delay(ms); }

// The kernel's random bytes; should they fail, the wall clock, the process id
// and a call counter still make every run's seed its own.
uint32_t RunSeed() {
    uint32_t seed = 0;
    if (getrandom(&seed, sizeof seed, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof seed)) return seed;
    static uint32_t calls = 0;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<uint32_t>(now.tv_nsec) ^ static_cast<uint32_t>(now.tv_sec) * 2654435761u ^
           static_cast<uint32_t>(getpid()) << 16 ^ ++calls * 0x9e3779b9u;
}

int AskYesNo(const char* caption, const char* text) {
    std::string c = ToUtf8(caption), t = ToUtf8(text);
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
    };
    SDL_MessageBoxData data = {SDL_MESSAGEBOX_INFORMATION, nullptr, c.c_str(), t.c_str(), 2, buttons, nullptr};
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
        std::fprintf(stderr, "vortalis: the question box cannot be shown: %s\n", SDL_GetError());
        return -1;
    }
    return pressed == 1 ? 1 : 0;
}

int DesktopBytesPerPixel() {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return 4;
    return SDL_BYTESPERPIXEL(mode.format);
}

int AcquireInstance(const char* className) {
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    if (!dir || !*dir) dir = "/tmp";
    std::string name;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(className); *p; p++) {
        if (std::isalnum(*p) || *p == '_' || *p == '-') name.push_back(static_cast<char>(*p));
        else { char hex[4]; snprintf(hex, sizeof hex, "%02x", *p); name += hex; }
    }
    const std::string path = std::string(dir) + "/" + name + ".lock";
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return 0;
    }
    g_sdl.lockFd = fd;
    return 1;
}

// The lock file stays: deleting it would let a process that opened it before
// the delete hold a lock on a file nobody else can find, while the next one
// creates a fresh file and locks that too. Closing the descriptor releases the lock.
void ReleaseInstance() {
    if (g_sdl.lockFd < 0) return;
    close(g_sdl.lockFd);
    g_sdl.lockFd = -1;
}

void DestroyWindow();

// The desktop's rectangle, or false when SDL cannot say.
bool DesktopBounds(SDL_Rect* bounds) {
    int display = g_sdl.window ? SDL_GetWindowDisplayIndex(g_sdl.window) : 0;
    return SDL_GetDisplayBounds(display < 0 ? 0 : display, bounds) == 0 && bounds->w > 0 && bounds->h > 0;
}

int ApplyWindowMode(int windowed, double scale) {
    if (windowed) {
        SDL_SetWindowFullscreen(g_sdl.window, 0);
        SDL_SetWindowBordered(g_sdl.window, SDL_TRUE);
        SDL_SetWindowSize(g_sdl.window, (int)std::lround(g_sdl.width * scale), (int)std::lround(g_sdl.height * scale));
        SDL_SetWindowPosition(g_sdl.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        SDL_ShowCursor(SDL_ENABLE);
        return 0;
    }
    SDL_ShowCursor(SDL_DISABLE);
    // Without a window manager nobody resizes the window for full screen, so
    // it is given the desktop's size and place itself first.
    SDL_Rect desktop;
    if (DesktopBounds(&desktop)) {
        SDL_SetWindowPosition(g_sdl.window, desktop.x, desktop.y);
        SDL_SetWindowSize(g_sdl.window, desktop.w, desktop.h);
    }
    return SDL_SetWindowFullscreen(g_sdl.window, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0 ? 0 : -1;
}

int CreateWindowS(const PlatformWindowDesc* d) {
    g_sdl.width = d->width;
    g_sdl.height = d->height;
    std::string caption = ToUtf8(d->caption);
    Uint32 flags = SDL_WINDOW_SHOWN | (d->windowed ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
    int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
    int w = d->windowed ? (int)std::lround(d->width * d->scale) : d->width;
    int h = d->windowed ? (int)std::lround(d->height * d->scale) : d->height;
    // Full screen is made at the desktop's size and place: a bare X server (no
    // window manager) would otherwise keep the window at 640×480 while SDL
    // scales the picture for the whole desktop, showing a corner of it.
    SDL_Rect desktop;
    if (!d->windowed && DesktopBounds(&desktop)) {
        x = desktop.x;
        y = desktop.y;
        w = desktop.w;
        h = desktop.h;
    }
    g_sdl.window = SDL_CreateWindow(caption.c_str(), x, y, w, h, flags);
    if (!g_sdl.window) return -1;
    // SDL starts text input with its video, which lets an input method pop up
    // over the game; the game reads keys only.
    SDL_StopTextInput();
    // The renderer, vsync and the sharp scaling to the window's real output
    // (read at every present) live in sdl_present.cpp.
    if (SdlPresentCreate(g_sdl.window, d->width, d->height, TicksMs) != 0) { DestroyWindow(); return -1; }
    if (!d->windowed) SDL_ShowCursor(SDL_DISABLE);
    SDL_RaiseWindow(g_sdl.window);
    return 0;
}

void SetCaption(const char* c) {
    if (g_sdl.window) SDL_SetWindowTitle(g_sdl.window, ToUtf8(c).c_str());
}

int SetWindowed(int windowed, double scale) {
    if (!g_sdl.window) return -1;
    return ApplyWindowMode(windowed, scale);
}

void DestroyWindow() {
    SdlPresentDestroy();
    if (g_sdl.window) SDL_DestroyWindow(g_sdl.window);
    g_sdl.window = nullptr;
}

int PollEvent(PlatformEvent* out) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
        case SDL_QUIT:
            out->kind = PLATFORM_EVENT_QUIT;
            return 1;
        case SDL_WINDOWEVENT:
            // Pixels lost to another window, or a new size: the next present
            // draws the whole window again.
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                SdlPresentRefresh();
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) { out->kind = PLATFORM_EVENT_CLOSE_REQUEST; return 1; }
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
                if (SDL_IsTextInputActive()) SDL_StopTextInput();   // should anything have restarted it
                out->kind = PLATFORM_EVENT_ACTIVATE;
                return 1;
            }
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) { out->kind = PLATFORM_EVENT_DEACTIVATE; return 1; }
            break;
        case SDL_KEYDOWN:
            // Alt+Enter and F11 ask for the window/full-screen switch; the
            // framework acts on it only when the game allows it.
            if (!e.key.repeat && (e.key.keysym.scancode == SDL_SCANCODE_F11 ||
                                  ((e.key.keysym.scancode == SDL_SCANCODE_RETURN ||
                                    e.key.keysym.scancode == SDL_SCANCODE_KP_ENTER) &&
                                   (e.key.keysym.mod & KMOD_ALT)))) {
                out->kind = PLATFORM_EVENT_MODE_SWITCH;
                return 1;
            }
            break;
        case SDL_JOYDEVICEADDED:
        case SDL_JOYDEVICEREMOVED:
        case SDL_CONTROLLERDEVICEADDED:
        case SDL_CONTROLLERDEVICEREMOVED:
            OpenPads();
            break;
        default:
            break;
        }
    }
    return 0;
}

// SDL cannot wait for the display's vertical blank without tying presents to
// it, so the blank is emulated from the desktop's refresh rate: wait until the
// next multiple of the refresh period since start-up.
void WaitVBlank() {
    double period;
    uint32_t last;
    if (SdlPresentLocked(&period, &last)) return;   // the present itself waits for the real blank
    const double freq = static_cast<double>(SDL_GetPerformanceFrequency());
    double nowMs = (SDL_GetPerformanceCounter() - g_sdl.vblankBase) * 1000.0 / freq;
    double next = (std::floor(nowMs / g_sdl.refreshPeriodMs) + 1.0) * g_sdl.refreshPeriodMs;
    double wait = next - nowMs;
    if (wait >= 1.0) SDL_Delay(static_cast<Uint32>(wait));
    while ((SDL_GetPerformanceCounter() - g_sdl.vblankBase) * 1000.0 / freq < next) { /* under a millisecond */ }
}

void Present(const uint32_t* pixels, int w, int h, int pitch) { SdlPresentFrame(pixels, w, h, pitch); }

int DesktopSize(int* w, int* h) {
    SDL_Rect desktop;
    if (!g_sdl.started || !DesktopBounds(&desktop)) return -1;
    *w = desktop.w;
    *h = desktop.h;
    return 0;
}

void ReadKeys(uint8_t keys[PLATFORM_KEYS]) {
    std::memset(keys, 0, PLATFORM_KEYS);
    int n = 0;
    const Uint8* state = SDL_GetKeyboardState(&n);
    for (const KeyMap& k : KEY_MAP)
        if (k.sdl < n && state[k.sdl]) keys[k.code] = 1;
}

} // namespace

int SdlScancodeToKeyCode(int scancode) {
    for (const KeyMap& k : KEY_MAP)
        if (k.sdl == scancode) return k.code;
    return -1;
}

int AxisTo1000(int v) {
    // −32768..32767 → −1000..1000 with 25 % of the travel as dead zone.
    int a = v < 0 ? (v * 1000) / 32768 : (v * 1000) / 32767;
    if (a > -250 && a < 250) return 0;
    return a;
}

namespace {

int PadCount() { return g_sdl.padCount; }

int ReadPad(int index, int axes[PLATFORM_PAD_AXES], uint8_t buttons[PLATFORM_PAD_BUTTONS]) {
    if (index < 0 || index >= g_sdl.padCount) return -1;
    SDL_GameControllerUpdate();
    const Pad& p = g_sdl.pads[index];
    std::memset(buttons, 0, PLATFORM_PAD_BUTTONS);
    if (p.controller) {
        SDL_GameController* c = p.controller;
        if (!SDL_GameControllerGetAttached(c)) return -1;
        axes[0] = AxisTo1000(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX));
        axes[1] = AxisTo1000(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY));
        axes[2] = AxisTo1000(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_RIGHTX));
        axes[3] = AxisTo1000(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_RIGHTY));
        for (int i = 0; i < (int)(sizeof CONTROLLER_BUTTONS / sizeof CONTROLLER_BUTTONS[0]); i++)
            if (CONTROLLER_BUTTONS[i] != SDL_CONTROLLER_BUTTON_INVALID)
                buttons[i] = SDL_GameControllerGetButton(c, CONTROLLER_BUTTONS[i]) ? 1 : 0;
        buttons[10] = (SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERLEFT) > 16384 ||
                       SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) > 16384) ? 1 : 0;
        // The d-pad steers like the stick.
        if (SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_LEFT)) axes[0] = -1000;
        if (SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_RIGHT)) axes[0] = 1000;
        if (SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_UP)) axes[1] = -1000;
        if (SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_DOWN)) axes[1] = 1000;
        return 0;
    }
    SDL_Joystick* j = p.joystick;
    if (!SDL_JoystickGetAttached(j)) return -1;
    int na = SDL_JoystickNumAxes(j);
    for (int a = 0; a < PLATFORM_PAD_AXES; a++) axes[a] = a < na ? AxisTo1000(SDL_JoystickGetAxis(j, a)) : 0;
    int nb = SDL_JoystickNumButtons(j);
    for (int b = 0; b < PLATFORM_PAD_BUTTONS && b < nb; b++) buttons[b] = SDL_JoystickGetButton(j, b) ? 1 : 0;
    if (SDL_JoystickNumHats(j) > 0) {
        Uint8 hat = SDL_JoystickGetHat(j, 0);
        if (hat & SDL_HAT_LEFT) axes[0] = -1000;
        if (hat & SDL_HAT_RIGHT) axes[0] = 1000;
        if (hat & SDL_HAT_UP) axes[1] = -1000;
        if (hat & SDL_HAT_DOWN) axes[1] = 1000;
    }
    return 0;
}

void AudioCallback(void* user, Uint8* stream, int len) {
    (void)user;
    if (g_sdl.mix) g_sdl.mix(reinterpret_cast<int16_t*>(stream), len / 4, g_sdl.mixUser);
    else std::memset(stream, 0, len);
}

int OpenAudio(PlatformMixFn mix, void* user) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return -1;
    SDL_AudioSpec want = {}, have = {};
    want.freq = 44100;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = AudioCallback;
    g_sdl.mix = mix;
    g_sdl.mixUser = user;
    g_sdl.audio = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (g_sdl.audio == 0) {
        g_sdl.mix = nullptr;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return -1;
    }
    SDL_PauseAudioDevice(g_sdl.audio, 0);
    return 0;
}

void CloseAudio() {
    if (g_sdl.audio) SDL_CloseAudioDevice(g_sdl.audio);
    g_sdl.audio = 0;
    g_sdl.mix = nullptr;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void LockAudio() { if (g_sdl.audio) SDL_LockAudioDevice(g_sdl.audio); }
void UnlockAudio() { if (g_sdl.audio) SDL_UnlockAudioDevice(g_sdl.audio); }

const Platform g_sdlPlatform = {
    "sdl2", Startup, Shutdown, TicksMs, Sleep, AskYesNo, DesktopBytesPerPixel,
    AcquireInstance, ReleaseInstance, CreateWindowS, SetCaption, SetWindowed, DestroyWindow,
    PollEvent, WaitVBlank, Present, ReadKeys, PadCount, ReadPad,
    OpenAudio, CloseAudio, LockAudio, UnlockAudio, DesktopSize, SdlPresentLocked, RunSeed,
};

} // namespace

const Platform* PlatformSdl(void) { return &g_sdlPlatform; }
