// The prologue and epilogue runner over the shared script table: typing,
// portraits, the stretched text box and the blinking page-end dot. Called by
// the scene machine in scenes 19/20 and 49/50.
#include "game/story/story.h"

#include <cstring>

#include "framework/framework.h"
#include "game/common/assets.h"
#include "game/common/game_state.h"

Typewriter g_storyWriter;
StorySlot g_storySlots[STORY_SLOTS];
StoryView g_storyView;

namespace {

enum { DIM_BRIGHTNESS = 123, TEXT_X = 50, NAME_Y = 390, LINE_Y = 410 };

// Portraits each character has in the portrait table (slot 7 is empty).
const int kPortraitCount[STORY_SLOTS] = {4, 3, 2};

void RefreshSlots() {
    const ScriptRow& row = g_script[g_storyWriter.row];
    for (int k = 0; k < STORY_SLOTS; k++) {
        StorySlot& s = g_storySlots[k];
        s.visible = row.slot[k].visible;
        s.lit = row.slot[k].lit;
        s.character = k;
        s.expression = row.slot[k].expression;
        s.x = row.slot[k].x;
        s.y = row.slot[k].y;
    }
}

void DrawBackground(int background) {
    SetDrawBrightness(fade_brightness, fade_brightness, fade_brightness);
    g_storyView.background = -1;
    if (background < 0 || background >= STORY_BACKGROUNDS) return;
    DrawImageAt(0, 0, g_assets.storyBack[background], 0);
    g_storyView.background = background;
}

void DrawPortraits() {
    for (int k = 0; k < STORY_SLOTS; k++) {
        const StorySlot& s = g_storySlots[k];
        g_storyView.portrait[k] = -1;
        g_storyView.dimmed[k] = 0;
        if (s.visible != 1) continue;
        const int index = StoryPortraitIndex(s.character, s.expression);
        if (index < 0) continue;
        const bool dim = s.lit != 1;
        if (dim) SetDrawBrightness(DIM_BRIGHTNESS, DIM_BRIGHTNESS, DIM_BRIGHTNESS);
        DrawImageRotatedF(static_cast<float>(s.x), static_cast<float>(s.y), 1.0, 0.0, g_assets.portrait[index], 1, 0);
        if (dim) SetDrawBrightness(255, 255, 255);
        g_storyView.portrait[k] = index;
        g_storyView.dimmed[k] = dim ? 1 : 0;
    }
}

void DrawTextBox() {
    const Typewriter& tw = g_storyWriter;
    SetDrawBrightness(255, 255, 255);
    SetBlendMode(1, 150);
    DrawImageQuad(40, 380, 600, 380, 600, 480, 40, 480, g_assets.textBox, 1);
    SetBlendMode(0, 0);
    g_storyView.lines = tw.line + 1;
    g_storyView.dot = DrawTypewriterText(&tw, TEXT_X, NAME_Y, LINE_Y) ? 1 : 0;
}

} // namespace

int StoryPortraitIndex(int character, int expression) {
    if (character < 0 || character >= STORY_SLOTS) return -1;
    if (expression < 0 || expression >= kPortraitCount[character]) return -1;
    return character * PORTRAITS_PER_CHARACTER + expression;
}

void LoadStoryScript(const char* path) {
    ResetTypewriter(&g_storyWriter);
    LoadScriptRows(path, SCRIPT_FORMAT_STORY);
}

void RunStoryScript(int endScene) {
    StepTypewriter(&g_storyWriter);
    RefreshSlots();
    DrawBackground(g_script[g_storyWriter.row].background);
    DrawPortraits();
    DrawTextBox();
    if (IsEndRow(g_storyWriter.row)) {
        fucn_state = endScene;
        ResetTypewriter(&g_storyWriter);
        g_storySlots[0].visible = 0;
        g_storySlots[1].visible = 0;
    }
}

void ResetStoryRunner(void) {
    ResetTypewriter(&g_storyWriter);
    for (StorySlot& s : g_storySlots) s = StorySlot{};
}
