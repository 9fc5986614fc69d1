// The shipped story scripts: each passes the checker, converts as the build
// does, reads into the table row for row, and plays to its end scene.
#include "tests/game/story_support.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>

#include "tests/support/files.h"
#include "tools/story/script_check.h"

namespace {

using ShippedScripts = StoryTest;

std::string ReadSource(const std::string& name) {
    std::ifstream in(std::string(VORTALIS_SOURCE_DIR) + "/assets/story/" + name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Converts as the data build does: Shift-JIS with CR LF line ends at dat/csv/.
// Returns the number of rows (lines that are not comments).
int InstallScript(const std::string& name) {
    const std::string source = ReadSource(name);
    EXPECT_FALSE(source.empty()) << name;
    std::string sjis;
    std::vector<ScriptProblem> problems;
    EXPECT_TRUE(Utf8ToShiftJis(source, &sjis, &problems)) << name;
    std::string crlf;
    int rows = 0;
    bool lineStart = true;
    for (char c : sjis) {
        if (lineStart && c != '/') rows++;
        lineStart = c == '\n';
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    mkdir("dat", 0755);
    mkdir("dat/csv", 0755);
    WriteBytes(("dat/csv/" + name).c_str(), crlf);
    return rows;
}

} // namespace

TEST_F(ShippedScripts, EveryScriptPassesTheChecker) {
    const char* names[] = {"adv1.csv", "adv3.csv", "madv_0.csv", "madv_1.csv", "madv_2.csv", "madv_3.csv"};
    for (const char* name : names) {
        const std::vector<ScriptProblem> problems = CheckScriptSource(ReadSource(name), KindForPath(name));
        for (const ScriptProblem& p : problems) ADD_FAILURE() << name << ":" << p.line << ": " << p.message;
    }
}

TEST_F(ShippedScripts, PrologueAndEpiloguePlayToTheirEndScenes) {
    const struct {
        const char* name;
        int endScene;
    } scripts[] = {{"adv1.csv", 27}, {"adv3.csv", 69}};
    for (const auto& s : scripts) {
        const int rows = InstallScript(s.name);
        LoadStoryScript((std::string("dat/csv/") + s.name).c_str());
        ASSERT_GT(rows, 0);
        EXPECT_TRUE(IsEndRow(rows)) << s.name;
        EXPECT_FALSE(IsEndRow(rows - 1)) << s.name;
        for (int r = 0; r < rows; r++) {
            const std::string name = g_script[r].name;
            EXPECT_TRUE(name == "" || name == "ナル" || name == "セラ" || name == "大ダコ") << s.name << " row " << r;
            EXPECT_GE(g_script[r].background, 0);
            EXPECT_LT(g_script[r].background, STORY_BACKGROUNDS);
        }
        // Typed out, with Shot at every page end: each row appears in full.
        fucn_state = 20;
        int frames = 0, pages = 0;
        while (fucn_state == 20 && frames < 5000) {
            const bool waiting = TypewriterWaiting(&g_storyWriter);
            if (waiting) {
                pages++;
                HeadlessHoldKey(KEY_Z, HeadlessFrameCount(), HeadlessFrameCount() + 1);
            }
            StoryFrame(s.endScene);
            EXPECT_LE(g_storyView.lines, BOX_LINES);
            frames++;
        }
        EXPECT_EQ(fucn_state, s.endScene) << s.name;
        EXPECT_GT(pages, 5) << s.name;
        RecordProperty(std::string(s.name) + "_frames", frames);
    }
}

TEST_F(ShippedScripts, MapStoriesPlayToScene34) {
    for (int stage = 0; stage < 4; stage++) {
        const std::string name = "madv_" + std::to_string(stage) + ".csv";
        const int rows = InstallScript(name);
        stage_number = stage;
        LoadMapStory();
        EXPECT_TRUE(IsEndRow(rows)) << name;
        EXPECT_FALSE(IsEndRow(rows - 1)) << name;
        fucn_state = 33;
        HeadlessHoldKey(KEY_LCONTROL, HeadlessFrameCount(), HeadlessFrameCount() + 1000);
        int frames = 0;
        while (fucn_state == 33 && frames < 1000) {
            MapFrame();
            frames++;
            EXPECT_TRUE(g_mapView.portrait[0] >= 0 || g_mapView.portrait[1] >= 0 || fucn_state == 34)
                << name << " frame " << frames;
        }
        EXPECT_EQ(fucn_state, SCENE_FLY_OFF) << name;
    }
}
