// The map-story runner: the script named by the stage number, its two slots
// sharing one place, its own typewriter, and its end to scene 34.
#include "tests/game/story_support.h"

#include <sys/stat.h>

#include "tests/support/files.h"

namespace {

using MapStory = StoryTest;

void WriteMapScript(int stage, const std::string& bytes) {
    mkdir("dat", 0755);
    mkdir("dat/csv", 0755);
    WriteBytes(("dat/csv/madv_" + std::to_string(stage) + ".csv").c_str(), bytes);
}

} // namespace

TEST_F(MapStory, LoadsTheScriptOfTheStageAndShowsItsSlots) {
    WriteMapScript(0, MapLine("zero", "0,0,0,0,0,0,0,0", "あC"));
    WriteMapScript(2, MapLine("", "0,0,0,0,0,0,0,0", "あC") +      // no portraits
                          MapLine("セラ", "0,0,0,0,0,1,2,0", "いC") +  // third portrait of character 1
                          MapLine("ナル", "0,1,3,0,0,1,1,0", "うC") +  // both: slot 1 drawn over slot 0
                          MapLine("ナル", "0,1,4,0,0,1,3,0", "えC"));  // no such portraits
    stage_number = 2;
    fucn_state = 33;
    LoadMapStory();
    EXPECT_STREQ(g_script[1].name, "セラ");

    const int portraits[4][2] = {{-1, -1}, {-1, 6}, {3, 5}, {-1, -1}};
    for (int row = 0; row < 4; row++) {
        HeadlessHoldKey(KEY_Z, HeadlessFrameCount() + 1, HeadlessFrameCount() + 2);
        MapFrame();   // types the row's character
        EXPECT_EQ(g_mapWriter.row, row);
        for (int k = 0; k < MAP_SLOTS; k++)
            EXPECT_EQ(g_mapView.portrait[k], portraits[row][k]) << "row " << row << " slot " << k;
        EXPECT_EQ(fucn_state, 33);
        MapFrame();   // Shot turns the page
    }
    // Shot after the last "C" ended the map story in that same frame.
    EXPECT_EQ(fucn_state, SCENE_FLY_OFF);
    EXPECT_EQ(g_mapWriter.row, 0);
    EXPECT_EQ(g_mapSlots[0].shown, 0);
    EXPECT_EQ(g_mapSlots[1].shown, 0);

    EXPECT_EQ(MapPortraitIndex(0, 3), 3);
    EXPECT_EQ(MapPortraitIndex(1, 0), 4);
    EXPECT_EQ(MapPortraitIndex(1, 3), -1);
    EXPECT_EQ(MapPortraitIndex(2, 0), -1);
}

TEST_F(MapStory, HasItsOwnTypewriterAndDot) {
    WriteMapScript(1, MapLine("ナル", "0,1,0,0,0,0,0,0", "あいC"));
    stage_number = 1;
    g_storyWriter.row = 7;
    g_storyWriter.col = 4;
    LoadMapStory();
    frame_counter = 10;
    for (int f = 0; f < 8; f++) {
        const int counter = frame_counter;
        MapFrame();
        EXPECT_EQ(g_mapWriter.col, f == 0 ? 2 : 4) << "frame " << f;
        EXPECT_EQ(g_mapView.dot, f >= 2 && counter % 30 >= 15 ? 1 : 0) << "frame " << f;
    }
    EXPECT_STREQ(g_mapWriter.box[0], "あい");
    EXPECT_EQ(g_mapView.lines, 1);
    EXPECT_EQ(g_storyWriter.row, 7);
    EXPECT_EQ(g_storyWriter.col, 4);
}

TEST_F(MapStory, AMissingScriptEndsAtOnceToScene34) {
    stage_number = 3;
    fucn_state = 33;
    ConsoleReset();
    LoadMapStory();
    EXPECT_STREQ(ConsoleLine(0), "read error");
    MapFrame();
    EXPECT_EQ(fucn_state, SCENE_FLY_OFF);
    EXPECT_EQ(g_mapView.portrait[0], -1);
    EXPECT_EQ(g_mapView.portrait[1], -1);
}
