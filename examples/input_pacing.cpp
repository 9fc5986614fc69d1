// Input and frame pacing: a square moved with the arrow keys or the first game
// controller, at 60 frames a second held by the millisecond clock, with the
// measured frame rate on screen. Escape quits. `input_pacing --headless` runs
// 180 frames on the headless platform (its clock is virtual: it moves only
// while the program sleeps or waits for the display) and prints the rate.
#include <vortalis/framework.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    const bool headless = argc > 1 && std::strcmp(argv[1], "--headless") == 0;
    SetTextEncoding(TEXT_UTF8);
    if (headless) UseHeadlessPlatform();
    ChangeWindowMode(1);
    SetWindowTitle("Input and pacing");
    if (FrameworkInit() != 0) {
        char reason[128];
        StartupError(reason, sizeof reason);
        std::fprintf(stderr, "input_pacing: %s\n", reason);
        return 1;
    }
    SetDrawTarget(-2);

    int x = 320, y = 240;
    unsigned char keys[256];
    const int frameMs = 1000 / 60;       // 16 ms, and 17 ms every third frame below
    int late = 0;                         // thirds of a millisecond carried over
    int next = GetTickMs();
    int second = next, framesThisSecond = 0, rate = 0;
    int frame = 0;
    for (; ProcessMessage() == 0 && ClearDrawTarget() == 0; frame++) {
        if (headless && frame == 180) break;
        // Input: 256 keys by the framework's key codes, and the first pad's bits.
        ReadKeyboardState(keys);
        if (keys[KEY_ESCAPE]) break;
        const int pad = ReadPadState(1);   // pads count from 1
        if (keys[KEY_LEFT] || (pad & PAD_LEFT)) x -= 4;
        if (keys[KEY_RIGHT] || (pad & PAD_RIGHT)) x += 4;
        if (keys[KEY_UP] || (pad & PAD_UP)) y -= 4;
        if (keys[KEY_DOWN] || (pad & PAD_DOWN)) y += 4;
        const bool fire = keys[KEY_Z] || (pad & PAD_BUTTON(0));

        DrawRect(x - 16, y - 16, x + 16, y + 16, fire ? MakeColor(255, 200, 0) : MakeColor(0, 160, 255), 1);
        DrawTextFmt(8, 8, MakeColor(255, 255, 255), "%d frames a second", rate);

        // Pacing: sleep until this frame's time has come. GetTickMs wraps at
        // 2^32, so only differences of its values are compared.
        late += 1;
        next += frameMs + (late == 3 ? 1 : 0);
        if (late == 3) late = 0;
        const int wait = next - GetTickMs();
        if (wait > 0) SleepMs(wait);
        else if (wait < -100) next = GetTickMs();   // far behind (a stall): start afresh
        FlipScreen();

        framesThisSecond++;
        if (GetTickMs() - second >= 1000) {
            rate = framesThisSecond;
            framesThisSecond = 0;
            second += 1000;
        }
    }
    if (headless) std::printf("input_pacing: %d frames, %d frames a second\n", frame, rate);
    FrameworkEnd();
    return 0;
}
