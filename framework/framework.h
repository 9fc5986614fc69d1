// The Vortalis media framework: one flat API of int-returning calls.
// This is the only framework header the game includes. Every call takes the
// process-wide API lock, runs, releases it and returns its result unchanged.
// Strings are Shift-JIS bytes (UTF-8 after SetTextEncoding(TEXT_UTF8)).
// Handles are ints: −1 is the error value. The manual, framework.md (docs/ in
// the sources; share/doc/libvortalis-framework-dev/ when installed), gives
// every call's units, ranges, results and failures.
#pragma once

#include <cstdint>

// ---- Lifecycle, window, messages and timing (core/) -----------------------
int FrameworkInit(void);                       // 0, or −1 when the framework cannot start
int FrameworkEnd(void);                        // 0; shuts everything down
int ProcessMessage(void);                      // 0 to go on, −1 once the program is to quit
int ChangeWindowMode(int windowed);            // 1 windowed, 0 full screen; 0 or −1
int SetWindowTitle(const char* caption);       // 0; caption cut to 255 bytes
int GetTickMs(void);                           // millisecond clock, wraps at 2^32
int RandomUpTo(int max);                       // uniform integer in 0..max inclusive; 0 for max < 0
int FlipScreen(void);                          // present the back buffer; 0 or −1
int SetDrawTarget(int target);                 // −2 back buffer, −4 front buffer, or a drawable image
int ClearDrawTarget(void);                     // fill the draw target with black; always 0
int AskYesNo(const char* caption, const char* text); // platform Yes/No box: 1 yes, 0 no, −1 no box
int SleepMs(int ms);                           // plain sleep on the platform clock; 0

// ---- Graphics handles and drawing (graphics/) ---------------------------
int MakeColor(int r, int g, int b);            // colour value in the screen's 5-6-5 format
int LoadImageFile(const char* path, int softwareFlag);                          // graphic handle or −1
int LoadImageStrip(const char* path, int count, int xNum, int yNum, int cellW, int cellH,
                   int* handlesOut, int softwareFlag);                          // 0 or −1
int PreloadImageFiles(const char* const* paths, int count);                     // decode ahead on worker threads; 0 or −1
int MakeOffscreenImage(int width, int height, int softwareFlag);                // drawable image or −1
int DeleteImage(int handle);                                                    // 0 or −1
int DrawImageAt(int x, int y, int handle, int transFlag);                       // unscaled, top-left at (x, y)
int DrawImageAtF(float x, float y, int handle, int transFlag);                  // same, float position
int DrawImageRotated(int x, int y, double scale, double angle, int handle, int transFlag, int turnFlag);
int DrawImageRotatedF(float x, float y, double scale, double angle, int handle, int transFlag, int turnFlag);
int DrawImageQuad(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4,
                  int handle, int transFlag);                                   // corners clockwise from top-left
int DrawRect(int x1, int y1, int x2, int y2, int color, int fillFlag);          // filled or one-pixel outline
int SetBlendMode(int mode, int parameter);                                      // modes 0..5, 8; parameter 0..255
int SetDrawBrightness(int r, int g, int b);                                     // 0..255 per channel
int SetScaleFilter(int mode);                                                   // 0 nearest, 1 bilinear
int CaptureScreenToImage(int x1, int y1, int x2, int y2, int handle, int flag); // copy of the draw target
int GetImageSize(int handle, int* width, int* height);                          // −2/−4 give the screen size

// ---- Text and fonts (graphics/) --------------------------------------------
int CreateFontToHandle(const char* face, int size, int thickness, int type, int charSet,
                       int edgeSize, int italic, int slot, int check);          // font handle or −1
int DeleteFontHandle(int font);                                                 // 0 or −1
int DrawTextAt(int x, int y, const char* text, int color, int edgeColor);       // default font
int DrawTextFmt(int x, int y, int color, const char* format, ...)
    __attribute__((format(printf, 4, 5)));                                      // default font
int DrawTextFontFmt(int x, int y, int color, int font, const char* format, ...)
    __attribute__((format(printf, 5, 6)));
int TextWidthFontFmt(int font, const char* format, ...)
    __attribute__((format(printf, 2, 3)));                                      // width in pixels or −1

// ---- Sound playback (sound/) --------------------------------------------------
int LoadSoundFile(const char* path, int bufferCount, int unionHandle);          // sound handle or −1
int PlaySoundHandle(int handle, int playType, int fromTopFlag);                 // 0 wait, 1 once, 3 loop
int StopSoundHandle(int handle);
int SetSoundVolume(int volume, int handle);                                     // 0..255
int SetSoundLoopPos(int loopMs, int handle);
int DeleteSound(int handle, int flag);

// ---- Keyboard and joypad (input/) ---------------------------------------------
int ReadKeyboardState(unsigned char keys[256]);                                 // 1 held, 0 up, per key code
int ReadPadState(int padSelector);                                              // direction and button bits

// Key codes of ReadKeyboardState: set-1 scan codes, +0x80 for extended keys.
enum {
    KEY_ESCAPE = 0x01, KEY_LCONTROL = 0x1D, KEY_LSHIFT = 0x2A, KEY_Z = 0x2C,
    KEY_X = 0x2D, KEY_RETURN = 0x1C, KEY_SPACE = 0x39,
    KEY_UP = 0xC8, KEY_LEFT = 0xCB, KEY_RIGHT = 0xCD, KEY_DOWN = 0xD0,
};
// ReadPadState bits: 0 down, 1 left, 2 right, 3 up, 4 + i button i (0..23).
enum { PAD_DOWN = 1 << 0, PAD_LEFT = 1 << 1, PAD_RIGHT = 1 << 2, PAD_UP = 1 << 3 };
#define PAD_BUTTON(i) (1 << (4 + (i)))

// ---- File reading (file/) -----------------------------------------------------
int FileOpenRead(const char* path);                                             // file handle, or 0
int FileCloseRead(int fh);
int FileAtEnd(int fh);                                                          // 1 at the end, else 0
int FileReadChar(int fh);                                                       // 0..255, or −1
int FileReadLine(char* buffer, int size, int fh);                               // bytes stored, or −1

// ---- Log and on-screen console (core/) ----------------------------------------
int ScreenPrintF(const char* format, ...) __attribute__((format(printf, 1, 2)));

// ---- Additions ----------------------------------------------------------------
// Calls beside the designed ones, for replays, the player's settings,
// presentation and screenshots. The designed calls above keep their exact
// behaviour; a game that never makes these calls gets the designed framework.
// Settings and presentation (core/, sound/, graphics/):
int SetWindowScale(int scale);                 // whole window scale, cut to what fits the desktop; the scale used
int WindowScaleLimit(void);                    // largest whole scale whose window fits the desktop (≥ 1)
int GetWindowMode(void);                       // 1 windowed, 0 full screen (after any fall-back)
int SetModeSwitchKeys(int allowed);            // 1: Alt+Enter and F11 toggle window/full screen; 0
int SetVolumeScale(int group, int permille);   // player's volume: group 0 effects, 1 music; 0..1000; 0 or −1
int SaveScreenPng(const char* path);           // the back buffer as it is now, as PNG, written atomically; 0 or −1
enum { VOLUME_EFFECTS = 0, VOLUME_MUSIC = 1 };
// Key codes of the switch and screenshot keys.
enum { KEY_F1 = 0x3B, KEY_F11 = 0x57, KEY_F12 = 0x58, KEY_LALT = 0x38, KEY_RALT = 0xB8 };

// Random numbers and runs (core/random.cpp).
int SeedRandom(uint32_t seed);                 // reseeds RandomUpTo's generator (1998 seeding); 0
uint32_t NewRunSeed(void);                     // a fresh seed: differs per run on the real platform, fixed headless
uint32_t StartupRandomSeed(void);              // the seed FrameworkInit gave the generator
int UseHeadlessPlatform(void);                 // before FrameworkInit: run without window or sound device; 0, or −1 once started

// Programs built on the framework (core/, graphics/; docs/framework.md has the details).
// Why the last FrameworkInit failed: a STARTUP_ code (STARTUP_OK after a
// success or before any init), and, when `reason` is not null, the reason as
// one line of English text (ASCII) cut to size − 1 bytes.
int StartupError(char* reason, int size);
enum {
    STARTUP_OK = 0,
    STARTUP_ALREADY_RUNNING,       // another copy of the program holds the single-instance guard
    STARTUP_ALREADY_STARTED,       // FrameworkInit while the framework runs
    STARTUP_PLATFORM,              // the platform's video, events or audio could not start
    STARTUP_DESKTOP_24BIT,         // windowed mode on a packed 24-bit desktop
    STARTUP_WINDOW,                // no window could be made
    STARTUP_INPUT,                 // the input devices could not start
    STARTUP_GRAPHICS,              // the drawing surfaces could not be made
};
int SetInstanceKey(const char* key);           // before FrameworkInit: name of the single-instance guard (null or "": the window class); 0, −1 once started
int AllowSecondInstance(int allowed);          // before FrameworkInit: 1 starts even while the guard is held; 0, −1 once started
int LogPrintF(const char* format, ...) __attribute__((format(printf, 1, 2))); // one line to the log, as the framework's own; 0
int SetLogEcho(int on);                        // 1: every log message also goes to stderr, in UTF-8; 0
int SetTextEncoding(int encoding);             // encoding of every string passed in and of the log: TEXT_SHIFT_JIS (default) or TEXT_UTF8; 0 or −1
enum { TEXT_SHIFT_JIS = 0, TEXT_UTF8 = 1 };
int CreateFontFromFile(const char* path, int size, int thickness, int type, int edgeSize, int italic); // font handle or −1
int GetScreenPixel(int x, int y);              // the back buffer's pixel as 0xRRGGBB; −1 outside it or before init

// The player's files (file/player_io.cpp): saves, settings and screenshots.
// Any thread may call these; they never block on a FIFO or a device, and a
// failure leaves its reason (strerror's words, or "too large", "is a folder,
// not a file", …) for FileErrorText on the same thread.
int FileSizeOf(const char* path);                            // bytes of a regular file, or −1
int FileReadAll(const char* path, void* buffer, int capacity); // bytes read, or −1 (larger than capacity: "too large")
int FileWriteAtomic(const char* path, const void* data, int size); // temp file, flush, rename; 0 or −1
int FileMoveAside(const char* path, const char* suffix, char* taken, int takenSize); // path → first free path+suffix, path.2+suffix, …; 0 or −1
const char* FileErrorText(void);                             // the reason of this thread's last failed file call
