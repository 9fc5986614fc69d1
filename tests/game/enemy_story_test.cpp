// The stage timeline reader, on files the tests write byte by byte.
#include <climits>

#include "tests/game/enemy_fixture.h"

namespace {

const char* PATH = "dat/csv/storyH0.csv";
const std::string HEADER = "frame,pattern,image,x,y,speed,fire,shot,color,hp,bullet,wait,d0,d1,d2,d3,d4,d5\n"
                           "// second header line, skipped whatever it holds\n";

} // namespace

TEST_F(EnemyModule, StoryRowsOnePerLineAfterTwoHeaderLines) {
    WriteFile(PATH, HEADER +
                        "10,3,2,600.5,240,1.25,30,0,7,100,2,15,1,-1,5,0,-1,3\n"
                        "/ a line that begins with a slash is skipped\n"
                        "-5,99,14,-20.25,-1e1,0,0,1,-3,2147483647,3,0,-1,-1,-1,-1,-1,-1\n");
    LoadStory();
    ASSERT_EQ(story_count, 2);
    const StoryRow& a = story[0];
    EXPECT_EQ(a.frame, 10);
    EXPECT_EQ(a.pattern, 3);
    EXPECT_EQ(a.image, 2);
    EXPECT_EQ(a.x, 600.5);
    EXPECT_EQ(a.y, 240.0);
    EXPECT_EQ(a.speed, 1.25);
    EXPECT_EQ(a.fire_frame, 30);
    EXPECT_EQ(a.shot_kind, 0);
    EXPECT_EQ(a.bullet_color, 7);
    EXPECT_EQ(a.hp, 100);
    EXPECT_EQ(a.bullet_kind, 2);
    EXPECT_EQ(a.wait, 15);
    const int drops[6] = {1, -1, 5, 0, -1, 3};
    for (int k = 0; k < 6; k++) EXPECT_EQ(a.drop[k], drops[k]) << k;
    const StoryRow& b = story[1];
    EXPECT_EQ(b.frame, -5);
    EXPECT_EQ(b.pattern, 99);
    EXPECT_EQ(b.image, 14);
    EXPECT_EQ(b.x, -20.25);
    EXPECT_EQ(b.y, -10.0);
    EXPECT_EQ(b.shot_kind, 1);
    EXPECT_EQ(b.bullet_color, -3);
    EXPECT_EQ(b.hp, 2147483647);
    EXPECT_EQ(b.drop[5], -1);
    EXPECT_EQ(story[2].frame, 0);
    EXPECT_EQ(ConsoleText(), "");
}

TEST_F(EnemyModule, StoryCommentMidRowRestartsTheColumnOnTheNextLine) {
    // Three fields, a comma, then a comment holding a half-typed field and commas:
    // the comment swallows the line and the field "99" begun before the slash.
    WriteFile(PATH, HEADER +
                        "1,2,3,99/ comment, with, commas\n"
                        "600,240,0,0,0,0,0,0,5,-1,-1,-1,-1,-1,-1\n");
    LoadStory();
    ASSERT_EQ(story_count, 1);
    EXPECT_EQ(story[0].image, 3);
    EXPECT_EQ(story[0].x, 600.0);
    EXPECT_EQ(story[0].y, 240.0);
    EXPECT_EQ(story[0].wait, 5);
    EXPECT_EQ(story[0].drop[5], -1);
}

TEST_F(EnemyModule, StoryRowsSpreadOverLinesAndSeveralRowsOnOneLine) {
    // Row 0 over five lines, with CR LF endings and blanks; rows 1 and 2 on one line.
    std::string text = HEADER + "7,\r\n 8 ,1\r\n100.5\r\n200,2,3,4,5,6,7,8,1,2,3,4,5\n0,";
    for (int k = 0; k < 34; k++) text += "9,";
    text += "9\n";
    WriteFile(PATH, text);
    LoadStory();
    ASSERT_EQ(story_count, 3);
    EXPECT_EQ(story[0].frame, 7);
    EXPECT_EQ(story[0].pattern, 0);   // the field "\r" is empty for the conversion
    EXPECT_EQ(story[0].image, 8);
    EXPECT_EQ(story[0].x, 1.0);
    EXPECT_EQ(story[0].y, 100.5);
    EXPECT_EQ(story[0].speed, 200.0);
    EXPECT_EQ(story[0].wait, 7);
    EXPECT_EQ(story[0].drop[5], 5);
    EXPECT_EQ(story[1].frame, 0);
    EXPECT_EQ(story[1].drop[5], 9);
    EXPECT_EQ(story[2].frame, 9);
    EXPECT_EQ(story[2].drop[5], 9);
}

TEST_F(EnemyModule, StoryLastLineWithoutLineFeedLosesItsLastField) {
    WriteFile(PATH, HEADER + "1,2,3,4,5,6,7,0,9,10,1,12,1,2,3,4,5,5");
    LoadStory();
    ASSERT_EQ(story_count, 1);
    EXPECT_EQ(story[0].drop[4], 5);
    EXPECT_EQ(story[0].drop[5], 0);
}

TEST_F(EnemyModule, StoryEndsInsideHeaderOrComment) {
    WriteFile(PATH, "only one header line\n1,2,3");
    LoadStory();
    EXPECT_EQ(story_count, 0);
    EXPECT_EQ(story[0].frame, 0);

    ResetEnemiesStage();
    WriteFile(PATH, HEADER + "4,5,/ comment without its line feed");
    LoadStory();
    EXPECT_EQ(story_count, 1);
    EXPECT_EQ(story[0].frame, 4);
    EXPECT_EQ(story[0].pattern, 5);
    EXPECT_EQ(story[0].image, 0);
}

TEST_F(EnemyModule, StoryOverlongFieldKeepsItsFirst64Characters) {
    // Field 0: 64 zeros then "77" -> the kept text is all zeros. Field 1: 70 blanks
    // then "5" -> only blanks kept. Field 2: 63 blanks then "12" -> " ...1".
    // Field 3: 1000 digits. The columns after them must stay in step.
    const std::string longZero = std::string(64, '0') + "77";
    const std::string longBlank = std::string(70, ' ') + "5";
    const std::string cut = std::string(63, ' ') + "12";
    const std::string huge = "3." + std::string(1000, '5');
    const std::string exact = std::string(62, ' ') + "42";   // 64 characters: all kept
    WriteFile(PATH, HEADER + longZero + "," + longBlank + "," + cut + "," + huge +
                        ",5,6,7,0,9,10,1," + exact + ",1,2,3,4,5,-1\n");
    LoadStory();
    ASSERT_EQ(story_count, 1);
    EXPECT_EQ(story[0].frame, 0);
    EXPECT_EQ(story[0].pattern, 0);
    EXPECT_EQ(story[0].image, 1);
    EXPECT_DOUBLE_EQ(story[0].x, 3.55555555555555555555);
    EXPECT_EQ(story[0].y, 5.0);
    EXPECT_EQ(story[0].wait, 42);
    EXPECT_EQ(story[0].drop[5], -1);
    EXPECT_EQ(story[1].frame, 0);
}

TEST_F(EnemyModule, StoryIntegerColumnsSaturate) {
    WriteFile(PATH, HEADER +
                        "99999999999,-99999999999,2147483648,0,0,0,"
                        "-2147483649,999999999999999999999999,0,0,0,0,0,0,0,0,0,0\n");
    LoadStory();
    ASSERT_EQ(story_count, 1);
    EXPECT_EQ(story[0].frame, INT32_MAX);
    EXPECT_EQ(story[0].pattern, INT32_MIN);
    EXPECT_EQ(story[0].image, INT32_MAX);
    EXPECT_EQ(story[0].fire_frame, INT32_MIN);
    EXPECT_EQ(story[0].shot_kind, INT32_MAX);
}

TEST_F(EnemyModule, StoryHoldsAtMost3000Rows) {
    std::string text = HEADER;
    for (int r = 0; r < 3005; r++) text += std::to_string(r) + ",0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\n";
    WriteFile(PATH, text);
    LoadStory();
    EXPECT_EQ(story_count, STORY_ROWS);
    EXPECT_EQ(story[0].frame, 0);
    EXPECT_EQ(story[2999].frame, 2999);
}

TEST_F(EnemyModule, StoryMissingFilePrintsReadError) {
    LoadStory();
    EXPECT_EQ(ConsoleText(), "read error");
    EXPECT_EQ(ConsoleCurrentLine(), 1) << "the message ends its line";
    EXPECT_EQ(story_count, 0);
    EXPECT_EQ(story[0].frame, 0);
}

TEST_F(EnemyModule, StoryPathFollowsTheStageNumber) {
    WriteFile("dat/csv/storyH3.csv", HEADER + "33,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\n");
    stage_number = 3;
    LoadStory();
    ASSERT_EQ(story_count, 1);
    EXPECT_EQ(story[0].frame, 33);
    EXPECT_EQ(ConsoleText(), "");
}
