// The map-story runner: the shared script table read in the short format,
// typed by its own typewriter into the small box at the lower right, over the
// play field that the scene step has already drawn. Called in scenes 32/33.
#include "game/story/map_story.h"

#include <cstdio>

#include "framework/framework.h"
#include "game/common/assets.h"
#include "game/common/game_state.h"
#include "game/common/language.h"

Typewriter g_mapWriter;
MapSlot g_mapSlots[MAP_SLOTS];
MapView g_mapView;

namespace {

enum { TEXT_X = 170, NAME_Y = 370, LINE_Y = 390 };

// Map portraits per slot: character 0 has entries 0..3, character 1 4..6.
const int kMapPortraitCount[MAP_SLOTS] = {4, 3};

void RefreshSlots() {
    const ScriptRow& row = g_script[g_mapWriter.row];
    for (int k = 0; k < MAP_SLOTS; k++) {
        g_mapSlots[k].shown = row.slot[k].visible;
        g_mapSlots[k].expression = row.slot[k].expression;
    }
}

void DrawPortraits() {
    SetDrawBrightness(fade_brightness, fade_brightness, fade_brightness);
    for (int k = 0; k < MAP_SLOTS; k++) {
        g_mapView.portrait[k] = -1;
        if (g_mapSlots[k].shown != 1) continue;
        const int index = MapPortraitIndex(k, g_mapSlots[k].expression);
        if (index < 0) continue;
        DrawImageAtF(40.0f, 360.0f, g_assets.mapPortrait[index], 1);
        g_mapView.portrait[k] = index;
    }
    SetDrawBrightness(255, 255, 255);
}

void DrawTextBox() {
    const Typewriter& tw = g_mapWriter;
    SetBlendMode(1, 150);
    DrawImageQuad(160, 360, 600, 360, 600, 480, 160, 480, g_assets.textBox, 1);
    SetBlendMode(0, 0);
    g_mapView.lines = tw.line + 1;
    g_mapView.dot = DrawTypewriterText(&tw, TEXT_X, NAME_Y, LINE_Y) ? 1 : 0;
}

} // namespace

int MapPortraitIndex(int slot, int expression) {
    if (slot < 0 || slot >= MAP_SLOTS) return -1;
    if (expression < 0 || expression >= kMapPortraitCount[slot]) return -1;
    return slot * PORTRAITS_PER_CHARACTER + expression;
}

void LoadMapStory(void) {
    char path[64];
    std::snprintf(path, sizeof path, "dat/csv/madv_%d.csv", stage_number);
    ResetTypewriter(&g_mapWriter);
    LoadScriptRows(StoryPath(path), SCRIPT_FORMAT_MAP);
}

void RunMapStory(void) {
    StepTypewriter(&g_mapWriter);
    RefreshSlots();
    DrawPortraits();
    DrawTextBox();
    if (IsEndRow(g_mapWriter.row)) {
        fucn_state = SCENE_FLY_OFF;
        ResetTypewriter(&g_mapWriter);
        g_mapSlots[0].shown = 0;
        g_mapSlots[1].shown = 0;
    }
}

void ResetMapStoryRunner(void) {
    ResetTypewriter(&g_mapWriter);
    for (MapSlot& s : g_mapSlots) s = MapSlot{};
}
