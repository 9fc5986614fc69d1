// Shared helpers of the story tests: script rows written as Shift-JIS CR LF
// bytes, table rows set directly, and one game frame on the headless platform.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/backend/headless/headless.h"
#include "framework/core/console.h"
#include "framework/framework.h"
#include "game/common/game_state.h"
#include "game/common/pad.h"
#include "game/story/map_story.h"
#include "game/story/script.h"
#include "game/story/story.h"

// Story columns after the name: background, ignored, then three slots of
// visible, lit, expression, ignored, x, y. Every slot hidden.
inline const char* kNoSlots = "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0";

inline std::string StoryLine(const std::string& name, const std::string& columns, const std::string& text) {
    return name + "," + columns + "," + text + "\r\n";
}

// Map columns after the name: two slots of ignored, shown, expression, ignored.
inline std::string MapLine(const std::string& name, const std::string& columns, const std::string& text) {
    return name + "," + columns + "," + text + "\r\n";
}

// Sets a table row's text directly; the rest of the row is cleared.
inline void SetRow(int row, const char* text) {
    g_script[row] = ScriptRow{};
    std::strncpy(g_script[row].text, text, SCRIPT_TEXT_BYTES - 1);
}

// Fills the table with the given texts and the end marker after them.
inline void SetScript(std::initializer_list<const char*> texts) {
    for (ScriptRow& r : g_script) r = ScriptRow{};
    int i = 0;
    for (const char* t : texts) SetRow(i++, t);
    SetRow(i, "X");
}

class StoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessSelect();
        ASSERT_EQ(FrameworkInit(), 0);
        SetDrawTarget(-2);
        ResetPadConfig();
        ResetPadState();
        for (ScriptRow& r : g_script) r = ScriptRow{};
        ResetTypewriter(&g_storyWriter);
        ResetTypewriter(&g_mapWriter);
        fucn_state = 20;
        frame_counter = 0;
        fade_brightness = 255;
        stage_number = 0;
    }
    void TearDown() override { FrameworkEnd(); }

    // Input for the frame about to run, then the step, then the frame tail.
    template <typename Step>
    void Frame(Step step) {
        PollKeyboard();
        PollJoypad();
        step();
        frame_counter++;
        FlipScreen();
    }
    void StoryFrame(int endScene = 27) {
        Frame([&] { RunStoryScript(endScene); });
    }
    void MapFrame() {
        Frame([] { RunMapStory(); });
    }
};
