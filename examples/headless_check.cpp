// A test of a program's drawing without a window: the headless platform has no
// display and a virtual clock, and GetScreenPixel reads back the back buffer.
// Each check prints what failed; the exit status is 0 only when all pass, so
// the program serves as a test as it is (ctest runs it).
#include <vortalis/framework.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#ifndef EXAMPLE_ASSETS
#define EXAMPLE_ASSETS "assets"
#endif

namespace {

int g_checks = 0, g_failed = 0;

void Check(bool ok, const char* what) {
    g_checks++;
    if (ok) return;
    g_failed++;
    std::fprintf(stderr, "headless_check: FAILED: %s\n", what);
}

void CheckPixel(int x, int y, int expected, const char* what) {
    const int got = GetScreenPixel(x, y);
    if (got != expected) std::fprintf(stderr, "headless_check: (%d, %d) is %06X, not %06X\n", x, y, got, expected);
    Check(got == expected, what);
}

// Pixels in the rectangle that are not black.
int Ink(int x1, int y1, int x2, int y2) {
    int n = 0;
    for (int y = y1; y < y2; y++)
        for (int x = x1; x < x2; x++) n += GetScreenPixel(x, y) != 0;
    return n;
}

} // namespace

int main() {
    UseHeadlessPlatform();
    SetTextEncoding(TEXT_UTF8);
    SetWindowTitle("headless check");
    if (FrameworkInit() != 0) {
        char reason[128];
        StartupError(reason, sizeof reason);
        std::fprintf(stderr, "headless_check: FrameworkInit failed: %s\n", reason);
        return 1;
    }
    SetDrawTarget(-2);
    ClearDrawTarget();

    // A filled rectangle covers left ≤ x < right and top ≤ y < bottom.
    DrawRect(10, 10, 20, 20, MakeColor(255, 0, 0), 1);
    CheckPixel(10, 10, 0xFF0000, "the rectangle's top-left pixel");
    CheckPixel(19, 19, 0xFF0000, "the rectangle's bottom-right pixel");
    CheckPixel(20, 20, 0x000000, "nothing past the rectangle");

    // Colours are 5-6-5 values: each channel keeps its top 5 or 6 bits, which
    // are repeated below when drawn. 100, 150, 200 comes back as 99, 150, 206.
    DrawRect(30, 10, 40, 20, MakeColor(100, 150, 200), 1);
    CheckPixel(30, 10, 0x6396CE, "a 5-6-5 colour drawn");

    // Blend mode 1 (alpha) with 128 of 255: half white over the red.
    SetBlendMode(1, 128);
    DrawRect(10, 10, 15, 15, MakeColor(255, 255, 255), 1);
    SetBlendMode(0, 255);
    const int blended = GetScreenPixel(10, 10);
    Check((blended >> 16) == 0xFF && (blended & 0xFF) >= 0x7E && (blended & 0xFF) <= 0x81,
          "alpha blending mixes half and half");

    // A sprite with an alpha channel, drawn with transparency: its transparent
    // corner leaves the target as it was, its opaque middle is the picture's.
    const int ship = LoadImageFile(EXAMPLE_ASSETS "/ship.png", 0);
    Check(ship >= 0, "ship.png loads");
    int w = 0, h = 0;
    Check(GetImageSize(ship, &w, &h) == 0 && w == 32 && h == 32, "the sprite is 32×32");
    DrawImageAt(100, 100, ship, 1);
    CheckPixel(100, 100, 0x000000, "the sprite's transparent corner");
    CheckPixel(116, 116, 0xFFF078, "the sprite's opaque middle");

    // UTF-8 text: Latin letters from a Latin face, Japanese from the fallback.
    const int font = CreateFontToHandle("DejaVu Sans", 20, 4, 0, -1, -1, 0, -1, -1);
    Check(font >= 0, "a font by its family name");
    DrawTextFontFmt(200, 200, MakeColor(255, 255, 255), font, "Hi");
    DrawTextFontFmt(200, 240, MakeColor(255, 255, 255), font, "日本");
    Check(Ink(200, 200, 260, 230) > 20, "Latin text leaves ink");
    Check(Ink(200, 240, 260, 270) > 40, "Japanese text leaves ink");
    Check(TextWidthFontFmt(font, "日本") == 2 * TextWidthFontFmt(font, "日"), "widths add up");

    // The clock is virtual: it moves exactly as far as the program sleeps.
    const int before = GetTickMs();
    SleepMs(250);
    Check(GetTickMs() - before == 250, "SleepMs moves the virtual clock");

    // The program's own line goes to the log, Log.txt in the current folder,
    // which is written in UTF-8 since the program chose UTF-8.
    LogPrintF("headless_check: the log works — ログ");
    Check(FlipScreen() == 0, "FlipScreen presents");
    FrameworkEnd();
    std::string log;
    if (FILE* file = std::fopen("Log.txt", "rb")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) log.append(buffer, n);
        std::fclose(file);
    }
    Check(log.find("headless_check: the log works — ログ\r\n") != std::string::npos, "the line is in Log.txt");

    std::printf("headless_check: %d of %d checks passed\n", g_checks - g_failed, g_checks);
    return g_failed == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
