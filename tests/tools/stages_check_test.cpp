// The stage checker: the shipped timelines pass it and use every pattern, and
// each kind of broken row is reported once, on the line that holds it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "game/enemy/enemy.h"
#include "game/common/game_state.h"
#include "tools/stages/stage_rules.h"

namespace {

class StageCheck : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(StartStageTools(), 0); }
    void TearDown() override { StopStageTools(); }

    static std::string Shipped(int stage) {
        return std::string(VORTALIS_SOURCE_DIR) + "/assets/stages/storyH" + std::to_string(stage) + ".csv";
    }

    static void Write(const char* path, const std::string& bytes) {
        FILE* f = std::fopen(path, "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }

    // A good row: pattern 9 from the right edge, firing a small bullet, one power item.
    static std::string Row(const std::string& frame = "100", const std::string& pattern = "9",
                           const std::string& image = "0", const std::string& x = "650",
                           const std::string& y = "240", const std::string& fire = "40",
                           const std::string& shot = "0", const std::string& bullet = "2",
                           const std::string& drop0 = "1", const std::string& speed = "0") {
        return frame + "," + pattern + "," + image + "," + x + "," + y + "," + speed + "," + fire + "," + shot +
               ",0,100," + bullet + ",0," + drop0 + ",-1,-1,-1,-1,-1\n";
    }

    static const char* Header() { return "test stage\nframe,pattern,...\n"; }

    // The problems of a timeline written from `body` after the two header lines.
    static std::vector<StageProblem> Check(const std::string& body) {
        Write("story.csv", std::string(Header()) + body);
        return CheckStageFile("story.csv");
    }

    static std::string Joined(const std::vector<StageProblem>& problems) {
        std::string s;
        for (const StageProblem& p : problems) s += FormatStageProblem("story.csv", p) + "\n";
        return s;
    }
};

TEST_F(StageCheck, ShippedStagesPassRunToTheBossAndUseEveryPattern) {
    bool used[ENEMY_PATTERNS] = {};
    for (int stage = 0; stage < STAGE_COUNT; stage++) {
        const std::string path = Shipped(stage);
        const std::vector<StageProblem> problems = CheckStageFile(path.c_str());
        std::string all;
        for (const StageProblem& p : problems) all += FormatStageProblem(path.c_str(), p) + "\n";
        EXPECT_TRUE(problems.empty()) << all;

        ResetEnemiesStage();
        LoadStoryFile(path.c_str());
        ASSERT_GT(story_count, 100) << path;
        int last = 0;
        for (int r = 0; r < story_count; r++) last = std::max(last, story[r].frame);
        // Waves keep coming until shortly before the boss enters at the stage end time.
        EXPECT_GE(last, STAGE_END_TIME - 500) << path;
        EXPECT_LE(last, STAGE_END_TIME) << path;
        MarkStagePatterns(path.c_str(), used);
    }
    for (int p = 0; p < ENEMY_PATTERNS; p++) EXPECT_TRUE(used[p]) << "pattern " << p << " is in no stage";
}

TEST_F(StageCheck, GoodTimelineWithCommentsAndRowsOverSeveralLinesPasses) {
    const std::string body = "/ first wave\n" + Row() +
                             // a row spread over two lines, with a comment ending the first
                             "200,9,0,650,/ comment swallows the rest\n240,0,40,0,0,100,2,0,-1,-1,-1,-1,-1,-1\n" +
                             Row("8000") + "/ a last comment without its line feed is harmless\n";
    const std::vector<StageProblem> problems = Check(body);
    EXPECT_TRUE(problems.empty()) << Joined(problems);
    EXPECT_EQ(story_count, 0);   // the checker leaves the game's tables cleared
}

TEST_F(StageCheck, OutOfRangeKindsAreReportedOnTheirLines) {
    const std::string body = Row() +                                  // line 3
                             Row("110", "100") +                       // 4: pattern
                             Row("120", "-1") +                        // 5: pattern
                             Row("130", "9", "15") +                   // 6: image
                             Row("140", "9", "-1") +                   // 7: image
                             Row("150", "9", "14") +                   // 8: good (last sheet)
                             Row("160", "9", "0", "650", "240", "40", "0", "4") +    // 9: bullet kind
                             Row("170", "9", "0", "650", "240", "40", "1") +         // 10: shot kind, fires
                             Row("180", "9", "0", "650", "240", "0", "1") +          // 11: shot kind, never fires
                             Row("190", "9", "0", "650", "240", "40", "0", "2", "6") +   // 12: drop
                             Row("200", "9", "0", "650", "240", "40", "0", "2", "-2") +  // 13: drop
                             Row("210", "9", "0", "650", "240", "40", "0", "2", "5");    // 14: good
    const std::vector<StageProblem> p = Check(body);
    ASSERT_EQ(p.size(), 8u) << Joined(p);
    EXPECT_EQ(p[0].line, 4);
    EXPECT_NE(p[0].message.find("pattern 100 is outside 0..99"), std::string::npos) << p[0].message;
    EXPECT_EQ(p[1].line, 5);
    EXPECT_NE(p[1].message.find("pattern -1"), std::string::npos);
    EXPECT_EQ(p[2].line, 6);
    EXPECT_NE(p[2].message.find("image 15 is outside 0..14"), std::string::npos);
    EXPECT_EQ(p[3].line, 7);
    EXPECT_NE(p[3].message.find("image -1"), std::string::npos);
    EXPECT_EQ(p[4].line, 9);
    EXPECT_NE(p[4].message.find("bullet kind 4 is outside 0..3"), std::string::npos);
    EXPECT_EQ(p[5].line, 10);
    EXPECT_NE(p[5].message.find("shot kind 1 has no shot function"), std::string::npos);
    EXPECT_EQ(p[6].line, 12);
    EXPECT_NE(p[6].message.find("drop0 6 is outside 0..5"), std::string::npos);
    EXPECT_EQ(p[7].line, 13);
    EXPECT_NE(p[7].message.find("drop0 -2"), std::string::npos);
    EXPECT_EQ(FormatStageProblem("story.csv", p[0]).rfind("story.csv:4: pattern 100", 0), 0u);
}

TEST_F(StageCheck, SpawnThatLeavesOnItsFirstUpdateIsReportedAtTheScreenBounds) {
    // Pattern 45 keeps the spawn motion: speed along heading 0. The enemy leaves
    // once x is above 660 after the move, so 660 exactly stays.
    const std::string body = Row("100", "45", "0", "665", "240", "0", "0", "2", "1", "-5") +    // 3: to 660, stays
                             Row("110", "45", "0", "665", "240", "0", "0", "2", "1", "-4.5") +  // 4: to 660.5
                             Row("120", "15", "0", "658", "240") +   // 5: pattern 15 starts right at 4: leaves
                             Row("130", "9", "0", "658", "240") +    // 6: pattern 9 starts left at 3: stays
                             Row("140", "43", "0", "600", "-24") +   // 7: pattern 43 falls 4: to -20, stays
                             Row("150", "44", "0", "600", "-17") +   // 8: pattern 44 rises 4: to -21
                             // 9: pattern 49 first loops rightwards by 34 pixels and leaves at 660.8
                             // before its centre is ever on the screen; 10: with a leftward speed it enters
                             Row("160", "49", "0", "650", "60") +
                             Row("170", "49", "0", "650", "60", "40", "0", "2", "1", "-0.6");
    const std::vector<StageProblem> p = Check(body);
    ASSERT_EQ(p.size(), 4u) << Joined(p);
    EXPECT_EQ(p[0].line, 4);
    EXPECT_NE(p[0].message.find("leaves the screen on its first update (to (660.5, 240))"), std::string::npos)
        << p[0].message;
    EXPECT_EQ(p[1].line, 5);
    EXPECT_EQ(p[2].line, 8);
    EXPECT_NE(p[2].message.find("(600, -21)"), std::string::npos) << p[2].message;
    EXPECT_EQ(p[3].line, 9);
    EXPECT_NE(p[3].message.find("pattern 49 takes the enemy away before its centre comes onto the screen"),
              std::string::npos) << p[3].message;
}

TEST_F(StageCheck, FramesOutsideTheStageAndOverfullFramesAreReported) {
    std::string body = Row("8000") +   // 3: spawns on the boss's frame, before the boss enters
                       Row("8001") +   // 4: after the stage end time
                       Row("-1");      // 5: never
    for (int k = 0; k < ENEMY_MAX + 1; k++) body += Row("500");   // lines 6..106; the 101st is lost
    const std::vector<StageProblem> p = Check(body);
    ASSERT_EQ(p.size(), 3u) << Joined(p);
    EXPECT_EQ(p[0].line, 4);
    EXPECT_NE(p[0].message.find("frame 8001 is after the stage end time 8000"), std::string::npos);
    EXPECT_EQ(p[1].line, 5);
    EXPECT_NE(p[1].message.find("frame -1 never comes"), std::string::npos);
    EXPECT_EQ(p[2].line, 106);
    EXPECT_NE(p[2].message.find("more than 100 rows on frame 500"), std::string::npos);
}

TEST_F(StageCheck, FieldTextTheGameReadsDifferentlyIsReported) {
    const std::string zeros64(63, '0');
    const std::string body = Row(zeros64 + "7") +          // 3: 64 characters: kept whole
                             Row(zeros64 + "07") +         // 4: 65 characters: the 7 is cut off
                             Row("100", "9", "0", "abc") + // 5: x is not a number
                             Row("100", "9", "0", "650", " 240\r") +   // 6: blanks and CR around a number: fine
                             Row("100", "9", "0", "6.5e2") +           // 7: a double column in C syntax: fine
                             Row("100", "3000000000") +                // 8: saturates
                             Row("100", "9", "0", "650", "240", "") +  // 9: empty fire_frame
                             Row("100", "9", "0", "650", "1e999") +    // 10: not finite
                             Row("100.5");                             // 11: an integer column read as 100
    const std::vector<StageProblem> p = Check(body);
    ASSERT_EQ(p.size(), 8u) << Joined(p);
    EXPECT_EQ(p[0].line, 4);
    EXPECT_NE(p[0].message.find("frame is 65 characters long; the game keeps only the first 64"), std::string::npos);
    EXPECT_EQ(p[1].line, 5);
    EXPECT_NE(p[1].message.find("x \"abc\" is not a plain number"), std::string::npos);
    EXPECT_EQ(p[2].line, 8);
    EXPECT_NE(p[2].message.find("pattern 3000000000 does not fit in 32 bits"), std::string::npos);
    EXPECT_EQ(p[3].line, 8);
    EXPECT_NE(p[3].message.find("pattern 2147483647 is outside 0..99"), std::string::npos) << p[3].message;
    EXPECT_EQ(p[4].line, 9);
    EXPECT_NE(p[4].message.find("fire_frame is empty"), std::string::npos);
    EXPECT_EQ(p[5].line, 10);
    EXPECT_NE(p[5].message.find("y \"1e999\" is not a plain number"), std::string::npos);
    EXPECT_EQ(p[6].line, 10);   // read as infinity, it is off the screen at once
    EXPECT_NE(p[6].message.find("leaves the screen"), std::string::npos);
    EXPECT_EQ(p[7].line, 11);
    EXPECT_NE(p[7].message.find("frame \"100.5\" is not a plain number"), std::string::npos);
}

TEST_F(StageCheck, FieldsAreLocatedAcrossCommentsAndSplitRows) {
    // A row spread over three lines (a line feed ends a field like a comma);
    // its bad image text sits on the second, its bad drop on the third, and the
    // row itself is named by the line of its frame.
    const std::string body = "/ wave\n"                          // 3
                             "100,9\n"                            // 4
                             "x15,650,240,0,40,0,0,100\n"         // 5: "x15" reads as 0 but is no number
                             "/ note\n"                           // 6
                             "2,0,7,-1,-1,-1,-1,-1\n";            // 7: drop0 7
    const std::vector<StageProblem> p = Check(body);
    ASSERT_EQ(p.size(), 2u) << Joined(p);
    EXPECT_EQ(p[0].line, 4);
    EXPECT_NE(p[0].message.find("drop0 7"), std::string::npos);
    EXPECT_EQ(p[1].line, 5);
    EXPECT_NE(p[1].message.find("image \"x15\""), std::string::npos);
}

TEST_F(StageCheck, TheEndOfTheFileAndTheHeaderAreChecked) {
    // No final line feed: the game drops the last field, here drop5.
    std::string row = Row();
    row.pop_back();
    std::vector<StageProblem> p = Check(Row() + row);
    ASSERT_EQ(p.size(), 2u) << Joined(p);
    EXPECT_EQ(p[0].line, 4);
    EXPECT_NE(p[0].message.find("row has 17 of 18 fields"), std::string::npos);
    EXPECT_EQ(p[1].line, 4);
    EXPECT_NE(p[1].message.find("no line feed at the end of the file: the last field \"-1\" is not read"),
              std::string::npos);

    // A row cut short: its missing columns read as 0.
    p = Check(Row() + "200,9,0,650,240\n");
    ASSERT_EQ(p.size(), 1u) << Joined(p);
    EXPECT_EQ(p[0].line, 4);
    EXPECT_NE(p[0].message.find("row has 5 of 18 fields"), std::string::npos);

    // A trailing comma adds an empty field and shifts every later column.
    p = Check("100,9,0,650,240,0,40,0,0,100,2,0,1,-1,-1,-1,-1,-1,\n" + Row("200"));
    ASSERT_FALSE(p.empty());
    EXPECT_EQ(p[0].line, 3);
    EXPECT_NE(Joined(p).find("story.csv:4: row has 1 of 18 fields"), std::string::npos) << Joined(p);

    Write("story.csv", "only one header line\n");
    p = CheckStageFile("story.csv");
    ASSERT_EQ(p.size(), 1u);
    EXPECT_NE(p[0].message.find("fewer than two header lines"), std::string::npos);

    p = CheckStageFile("no_such_file.csv");
    ASSERT_EQ(p.size(), 1u);
    EXPECT_NE(p[0].message.find("cannot be opened"), std::string::npos);
}

TEST_F(StageCheck, RowsPastTheTableAreReported) {
    std::string body;
    for (int k = 0; k < STORY_ROWS + 2; k++) body += Row(std::to_string(k % 8000));
    const std::vector<StageProblem> p = Check(body);
    ASSERT_EQ(p.size(), 1u) << Joined(p);
    EXPECT_EQ(p[0].line, 3 + STORY_ROWS);
    EXPECT_NE(p[0].message.find("row 3001 and the 1 after it are ignored"), std::string::npos) << p[0].message;
}

} // namespace
