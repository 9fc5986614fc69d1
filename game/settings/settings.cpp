// Applying the settings: the bindings and the screen before the framework
// starts, the volumes and the screen-switch keys after, and the F12
// screenshot at the end of each drawn frame.
#include <string>
#include <vector>

#include "framework/framework.h"
#include "game/files/player_files.h"
#include "game/launch/launch_options.h"
#include "game/settings/settings.h"

namespace {

std::vector<std::string> g_problems;   // reported once the console exists

} // namespace

int VolumePermille(int step) {
    if (step <= 0) return 0;
    if (step >= VOLUME_STEPS) return 1000;
    return step * step * 1000 / (VOLUME_STEPS * VOLUME_STEPS);
}

void ApplyVolumes(void) {
    SetVolumeScale(VOLUME_MUSIC, VolumePermille(g_settings.musicVolume));
    SetVolumeScale(VOLUME_EFFECTS, VolumePermille(g_settings.effectVolume));
}

bool ApplySettingsBeforeInit(void) {
    g_problems.clear();
    LoadSettings(&g_problems);
    ResetBindings();
    for (int a = 0; a < PAD_ACTIONS; a++) {
        BindActionKey(a, g_settings.keys[a]);
        BindActionButton(a, g_settings.buttons[a]);
    }
    // --scale wins over the saved scale; FrameworkInit cuts either to the desktop.
    SetWindowScale(g_launch.scale > 0 ? g_launch.scale : g_settings.windowScale);
    if (g_launch.screen == SCREEN_WINDOW) ChangeWindowMode(1);
    if (g_launch.screen != SCREEN_ASK) return false;
    if (g_settings.askAtStart) return true;
    if (!g_settings.fullscreen) ChangeWindowMode(1);
    return false;
}

void ApplySettingsAfterInit(int wantedWindowed) {
    for (const std::string& p : g_problems) ScreenPrintF("%s\n", p.c_str());
    g_problems.clear();
    if (!wantedWindowed && GetWindowMode()) ScreenPrintF("フルスクリーンにできませんでした。ウインドウで続けます\n");
    ApplyVolumes();
    SetModeSwitchKeys(1);
}

void StepHotKeys(void) {
    if (KeyHoldCount(KEY_F12) != 1) return;
    std::string error;
    if (!MakeFolders("screenshots", &error)) {
        ScreenPrintF("スクリーンショットを保存できません: %s\n", error.c_str());
        return;
    }
    const std::string name = NewTimestampName("screenshots", "vortalis", ".png");
    const std::string path = PlayerFilePath("screenshots", name);
    if (SaveScreenPng(path.c_str()) == 0) ScreenPrintF("スクリーンショット: %s\n", path.c_str());
    else ScreenPrintF("スクリーンショットを保存できません: %s\n", path.c_str());
}
