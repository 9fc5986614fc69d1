// A window with a sprite, a line of text and a sound: the smallest complete
// program on the Vortalis framework. The ship turns in the middle of the
// window; Z plays the sound again; Escape or closing the window quits.
// `hello_sprite --headless` plays 120 frames on the headless platform instead
// (no window, no sound card), as CI does.
#include <vortalis/framework.h>

#include <cstdio>
#include <cstring>

#ifndef EXAMPLE_ASSETS
#define EXAMPLE_ASSETS "assets"   // the folder with ship.png and beep.wav
#endif

int main(int argc, char** argv) {
    const bool headless = argc > 1 && std::strcmp(argv[1], "--headless") == 0;

    // Settings come before FrameworkInit. Our strings are UTF-8 (the framework
    // expects Shift-JIS unless told so), the framework's log goes to stderr as
    // well as to Log.txt, and the program starts in a window, not full screen.
    SetTextEncoding(TEXT_UTF8);
    SetLogEcho(1);
    if (headless) UseHeadlessPlatform();
    ChangeWindowMode(1);
    SetWindowTitle("Hello, sprite");   // also keys the single-instance guard
    if (FrameworkInit() != 0) {
        char reason[128];
        StartupError(reason, sizeof reason);
        std::fprintf(stderr, "hello_sprite: %s\n", reason);
        return 1;
    }
    // Init leaves the front buffer as the draw target: draw into the back
    // buffer, which FlipScreen presents.
    SetDrawTarget(-2);

    const int ship = LoadImageFile(EXAMPLE_ASSETS "/ship.png", 0);
    const int beep = LoadSoundFile(EXAMPLE_ASSETS "/beep.wav", 3, -1);
    // An anti-aliased Latin face; its missing characters (the Japanese below)
    // come from the framework's Japanese gothic.
    const int font = CreateFontToHandle("DejaVu Sans", 20, 4, 2, -1, -1, 0, -1, -1);
    if (ship < 0 || beep < 0 || font < 0) LogPrintF("hello_sprite: an asset is missing (see above)");
    PlaySoundHandle(beep, 1, 1);

    const int white = MakeColor(255, 255, 255);
    const int grey = MakeColor(160, 160, 160);
    unsigned char keys[256];
    bool zWasDown = false;
    double angle = 0;
    for (int frame = 0; ProcessMessage() == 0 && ClearDrawTarget() == 0; frame++) {
        ReadKeyboardState(keys);
        if (keys[KEY_ESCAPE] || (headless && frame == 120)) break;
        if (keys[KEY_Z] && !zWasDown) PlaySoundHandle(beep, 1, 1);   // once per press
        zWasDown = keys[KEY_Z] != 0;

        angle += 6.2831853071796 / 240;   // radians; a positive angle turns clockwise
        SetScaleFilter(1);                 // bilinear for the turned, doubled sprite
        DrawImageRotated(320, 240, 2.0, angle, ship, 1, 0);
        SetScaleFilter(0);
        DrawTextFontFmt(20, 20, white, font, "Hello, sprite — こんにちは");
        DrawTextFontFmt(20, 440, grey, font, "Z: sound   Esc: quit   frame %d", frame);
        FlipScreen();   // presents and waits for the display's next refresh
    }
    FrameworkEnd();
    return 0;
}
