// Keyboard and joypad: key-code mapping from SDL scancodes, axis conversion and
// dead zones, the pad bit mask, and sampling at most once per millisecond.
#include <gtest/gtest.h>

#include <SDL_scancode.h>

#include "framework/backend/headless/headless.h"
#include "framework/backend/sdl/sdl_input_map.h"
#include "framework/framework.h"
#include "framework/input/input.h"

TEST(Input, ScancodesMapToTheFrameworksKeyCodes) {
    EXPECT_EQ(SdlScancodeToKeyCode(SDL_SCANCODE_ESCAPE), 0x01);
    EXPECT_EQ(SdlScancodeToKeyCode(SDL_SCANCODE_LCTRL), 0x1D);
    EXPECT_EQ(SdlScancodeToKeyCode(SDL_SCANCODE_LSHIFT), 0x2A);
    EXPECT_EQ(SdlScancodeToKeyCode(SDL_SCANCODE_Z), 0x2C);
    EXPECT_EQ(SdlScancodeToKeyCode(SDL_SCANCODE_UP), 0xC8);
    EXPECT_EQ(SdlScancodeToKeyCode(SDL_SCANCODE_LEFT), 0xCB);
    EXPECT_EQ(SdlScancodeToKeyCode(SDL_SCANCODE_RIGHT), 0xCD);
    EXPECT_EQ(SdlScancodeToKeyCode(SDL_SCANCODE_DOWN), 0xD0);
    // The extended keys carry 0x80.
    EXPECT_EQ(SdlScancodeToKeyCode(SDL_SCANCODE_KP_ENTER), 0x9C);
    EXPECT_EQ(SdlScancodeToKeyCode(SDL_SCANCODE_RCTRL), 0x9D);
    EXPECT_EQ(SdlScancodeToKeyCode(SDL_SCANCODE_KP_DIVIDE), 0xB5);
    EXPECT_EQ(SdlScancodeToKeyCode(SDL_SCANCODE_RALT), 0xB8);
    EXPECT_EQ(SdlScancodeToKeyCode(SDL_SCANCODE_DELETE), 0xD3);
    EXPECT_EQ(SdlScancodeToKeyCode(SDL_SCANCODE_A), 0x1E);
    EXPECT_EQ(SdlScancodeToKeyCode(SDL_SCANCODE_F12), 0x58);
    EXPECT_EQ(SdlScancodeToKeyCode(SDL_SCANCODE_KP_0), 0x52);
    EXPECT_EQ(SdlScancodeToKeyCode(SDL_SCANCODE_UNKNOWN), -1);
    // No two scancodes share a code.
    int owner[256];
    for (int& o : owner) o = -1;
    for (int sc = 0; sc < SDL_NUM_SCANCODES; sc++) {
        int code = SdlScancodeToKeyCode(sc);
        if (code < 0) continue;
        ASSERT_LT(code, 256);
        EXPECT_EQ(owner[code], -1) << "code " << code << " from scancodes " << owner[code] << " and " << sc;
        owner[code] = sc;
    }
}

TEST(Input, AxesConvertWithAQuarterDeadZone) {
    EXPECT_EQ(AxisTo1000(0), 0);
    EXPECT_EQ(AxisTo1000(-32768), -1000);
    EXPECT_EQ(AxisTo1000(32767), 1000);
    EXPECT_EQ(AxisTo1000(8000), 0);
    EXPECT_EQ(AxisTo1000(-8000), 0);
    EXPECT_EQ(AxisTo1000(8192), 250);
    EXPECT_EQ(AxisTo1000(-8192), -250);

    EXPECT_EQ(InputLegacyAxis(0), -1000);
    EXPECT_EQ(InputLegacyAxis(32767), 0);
    EXPECT_EQ(InputLegacyAxis(65535), 1000);
    EXPECT_EQ(InputLegacyAxis(24576), 0);
    EXPECT_EQ(InputLegacyAxis(40960), 0);
    EXPECT_EQ(InputLegacyAxis(40961), 0);      // (1 × 1000) / 24576 truncates
    EXPECT_EQ(InputLegacyAxis(24575), 0);
    EXPECT_EQ(InputLegacyAxis(53248), 500);
    EXPECT_EQ(InputLegacyAxis(12288), -500);
}

TEST(Input, PadMaskFromAxesAndButtons) {
    HeadlessSelect();
    ASSERT_EQ(FrameworkInit(), 0);
    EXPECT_EQ(ReadPadState(1), 0) << "no pad attached";
    HeadlessSetPadCount(1);
    int axes[4] = {-1000, 0, 0, 0};
    uint8_t buttons[24] = {};
    buttons[0] = 1;
    buttons[11] = 1;
    buttons[23] = 1;
    HeadlessSetPad(0, axes, buttons);
    HeadlessAdvance(1);
    EXPECT_EQ(ReadPadState(1), PAD_LEFT | PAD_BUTTON(0) | PAD_BUTTON(11) | PAD_BUTTON(23));
    EXPECT_EQ(PAD_BUTTON(11), 1 << 15);
    EXPECT_EQ(ReadPadState(2), 0) << "pad 2 is not attached";
    axes[0] = 1000;
    axes[1] = 1000;
    uint8_t none[24] = {};
    HeadlessSetPad(0, axes, none);
    HeadlessAdvance(1);
    EXPECT_EQ(ReadPadState(1), PAD_RIGHT | PAD_DOWN);
    axes[1] = -1;
    HeadlessSetPad(0, axes, none);
    HeadlessAdvance(1);
    EXPECT_EQ(ReadPadState(1), PAD_RIGHT | PAD_UP);
    // With bit 12 the keyboard steers and presses too.
    HeadlessSetPadCount(0);
    HeadlessHoldKey(KEY_LEFT, 0, 100);
    HeadlessHoldKey(KEY_Z, 0, 100);
    HeadlessAdvance(1);
    EXPECT_EQ(ReadPadState(1 | 4096), PAD_LEFT | PAD_BUTTON(0));
    FrameworkEnd();
}

TEST(Input, KeyboardIsSampledAtMostOncePerMillisecond) {
    HeadlessSelect();
    ASSERT_EQ(FrameworkInit(), 0);
    unsigned char keys[256];
    uint8_t held[256] = {};
    held[KEY_UP] = 1;
    HeadlessSetKeysNow(held);
    HeadlessAdvance(1);
    ASSERT_EQ(ReadKeyboardState(keys), 0);
    EXPECT_EQ(keys[KEY_UP], 1);
    EXPECT_EQ(keys[KEY_DOWN], 0);
    held[KEY_UP] = 0;
    held[KEY_DOWN] = 1;
    HeadlessSetKeysNow(held);
    ReadKeyboardState(keys);
    EXPECT_EQ(keys[KEY_UP], 1) << "same millisecond: the same table";
    HeadlessAdvance(1);
    ReadKeyboardState(keys);
    EXPECT_EQ(keys[KEY_UP], 0);
    EXPECT_EQ(keys[KEY_DOWN], 1);
    for (int i = 0; i < 256; i++) ASSERT_LE(keys[i], 1);
    FrameworkEnd();
}
