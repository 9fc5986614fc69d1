// Applying the settings: the bindings and the screen before the framework
// starts, the volumes and the screen-switch keys after.
#include <string>
#include <vector>

#include "framework/framework.h"
#include "game/common/language.h"
#include "game/common/notice.h"
#include "game/launch/launch_options.h"
#include "game/settings/settings.h"
#include "game/text/texts.h"

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
    // The locale's language first, so that problems of the file are told in it.
    SetGameLanguage(LanguageOfEnvironment());
    LoadSettings(&g_problems);
    if (g_settings.language >= 0) SetGameLanguage(g_settings.language);
    if (g_launch.language >= 0) SetGameLanguage(g_launch.language);
    ResetBindings();
    for (int a = 0; a < PAD_ACTIONS; a++) {
        BindActionKey(a, g_settings.bindings.keys[a]);
        BindActionButton(a, g_settings.bindings.buttons[a]);
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
    for (const std::string& p : g_problems) Notify("%s", p.c_str());
    g_problems.clear();
    if (!wantedWindowed && GetWindowMode()) Notify("%s", Text(TEXT_FULL_SCREEN_FAILED));
    ApplyVolumes();
    SetModeSwitchKeys(1);
}
