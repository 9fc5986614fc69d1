// The enemy-only stage run behind the preview and the stage figures, on a
// timeline the test writes and on the five shipped stages: each stage must be
// harder than the one before, and the first must carry power enough for all
// three options.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/enemy/enemy.h"
#include "game/enemy/shots.h"
#include "game/common/game_state.h"
#include "tools/stages/stage_rules.h"
#include "tools/stages/stage_sim.h"

namespace {

class StageFiguresTest : public ::testing::Test {
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
    static std::string ReadAll(const std::string& path) {
        std::string out;
        FILE* f = std::fopen(path.c_str(), "rb");
        if (!f) return out;
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) out.append(buffer, n);
        std::fclose(f);
        return out;
    }
};

// Hit radius of a bullet kind against the ship.
int BulletRadius(int kind) {
    static const int radius[BULLET_KINDS] = {20, 12, 7, 10};
    return kind >= 0 && kind < BULLET_KINDS ? radius[kind] : 0;
}

TEST_F(StageFiguresTest, CountsWhatTheEnemiesOfATimelineDo) {
    std::string body = "figures\nheader\n";
    // Three enemies of pattern 9 from the right edge; two fire on their 30th update.
    body += "100,9,0,650,240,0,30,0,0,100,2,0,1,5,-1,-1,-1,-1\n";
    body += "100,9,0,650,200,0,30,0,0,300,2,0,0,-1,-1,-1,-1,-1\n";
    body += "200,9,0,650,280,0,0,0,0,200,2,0,-1,-1,-1,-1,-1,-1\n";
    // 101 rows on one frame: the enemy table takes 100 of them.
    for (int k = 0; k < ENEMY_MAX + 1; k++) body += "1000,45,0,650,240,-1,0,0,0,100,2,0,-1,-1,-1,-1,-1,-1\n";
    // A row that never enters: its centre never reaches the screen.
    body += "3000,49,0,650,60,0,0,0,0,100,2,0,-1,-1,-1,-1,-1,-1\n";
    Write("figures.csv", body);

    std::vector<int> spawnFrames;
    double leftmost = 1e9;
    const StageFigures f = SimulateStage("figures.csv", 100, 240,
        [&](int slot, int spawnFrame, double, double, double x1, double) {
            if (spawnFrame == 100 && slot == 0) leftmost = std::min(leftmost, x1);
            if (spawnFrames.empty() || spawnFrames.back() != spawnFrame) spawnFrames.push_back(spawnFrame);
        });
    EXPECT_EQ(f.rows, 3 + ENEMY_MAX + 1 + 1);
    EXPECT_EQ(f.enemies, 3 + ENEMY_MAX + 1);
    EXPECT_EQ(f.rowsLost, 1);
    EXPECT_EQ(f.bullets, 2);
    EXPECT_EQ(f.shotsLost, 0);
    EXPECT_EQ(f.shotsOffScreen, 0);
    EXPECT_EQ(f.itemsCarried, 3);
    EXPECT_EQ(f.powerCarried, 13);   // kinds 1 and 5 give 3 and 10; kind 0 is speed
    EXPECT_EQ(f.speedItems, 1);
    EXPECT_EQ(f.maxEnemies, ENEMY_MAX);
    EXPECT_EQ(f.neverSeen, 1);
    EXPECT_EQ(f.aliveAtBoss, 0);
    // Pattern 9 moves 3 pixels left a frame until it leaves below x = -20.
    EXPECT_DOUBLE_EQ(leftmost, 650 - 3.0 * 224);
    ASSERT_GE(spawnFrames.size(), 3u);
    EXPECT_EQ(spawnFrames[0], 100);
}

TEST_F(StageFiguresTest, EachShippedStageIsHarderThanTheOneBefore) {
    StageFigures before;
    double radiusBefore = 0;
    for (int stage = 0; stage < STAGE_COUNT; stage++) {
        const std::string path = Shipped(stage);
        const StageFigures f = SimulateStage(path.c_str(), 100, 240);
        SCOPED_TRACE(path);
        EXPECT_EQ(f.rowsLost, 0);
        EXPECT_EQ(f.shotsLost, 0);
        EXPECT_EQ(f.shotsOffScreen, 0);
        EXPECT_EQ(f.neverSeen, 0);

        // Mean hit radius of the bullets the stage's rows fire.
        ResetEnemiesStage();
        LoadStoryFile(path.c_str());
        double radius = 0;
        int firing = 0;
        for (int r = 0; r < story_count; r++) {
            if (story[r].fire_frame <= 0) continue;
            radius += BulletRadius(story[r].bullet_kind);
            firing++;
            // Every enemy enters from an edge, except the circling turrets of
            // pattern 89, which have no way in and appear where they circle.
        }
        for (int r = 0; r < story_count; r++) {
            const StoryRow& row = story[r];
            if (row.pattern == 89) continue;
            EXPECT_TRUE(row.x >= 630 || row.x <= 0 || row.y <= 0 || row.y >= 480)
                << "row " << r << " spawns inside the screen at (" << row.x << ", " << row.y << ")";
        }
        ASSERT_GT(firing, 0);
        radius /= firing;

        if (stage == 0) {
            // Options come at 18, 24 and 36 power: the first stage carries more than
            // three times that, so a player who misses many still gets all three.
            EXPECT_GE(f.powerCarried, 3 * 36);
        } else {
            EXPECT_GT(f.bullets, before.bullets);
            EXPECT_GT(f.meanHp, before.meanHp);
            EXPECT_GE(radius, radiusBefore);
        }
        before = f;
        radiusBefore = radius;
    }
}

TEST_F(StageFiguresTest, ConverterWritesShiftJisThatTheGameReadsAsTheSource) {
    const std::string tool = std::string(VORTALIS_BINARY_DIR) + "/tools/stages/stage_convert";
    // The header carries Japanese, spelt in UTF-8 bytes since this file's literals
    // are compiled to Shift-JIS; the rows are plain ASCII.
    const std::string source = "storyH9: \xE3\x82\xB9\xE3\x83\x86\xE3\x83\xBC\xE3\x82\xB8\nframe,pattern\n"
                               "/ wave 1\n100,9,0,650,240,0,30,0,0,100,2,0,1,-1,-1,-1,-1,-1\n";
    Write("source.csv", source);
    ASSERT_EQ(std::system((tool + " source.csv converted.csv").c_str()), 0);
    const std::string sjis = ReadAll("converted.csv");
    // "ステージ" in code page 932, the rest byte for byte.
    EXPECT_EQ(sjis.substr(0, 9), "storyH9: ");
    EXPECT_EQ(sjis.substr(9, 8), std::string("\x83\x58\x83\x65\x81\x5B\x83\x57", 8));
    EXPECT_EQ(sjis.substr(sjis.size() - 52), source.substr(source.size() - 52));

    ResetEnemiesStage();
    LoadStoryFile("converted.csv");
    ASSERT_EQ(story_count, 1);
    EXPECT_EQ(story[0].frame, 100);
    EXPECT_EQ(story[0].drop[0], 1);
    EXPECT_EQ(story[0].drop[5], -1);

    // Text with no Shift-JIS form is refused with its line.
    Write("bad.csv", "header\nframe\n/ \xF0\x9F\x98\x80\n");
    EXPECT_NE(std::system((tool + " bad.csv bad_out.csv 2>err.txt").c_str()), 0);
    EXPECT_NE(ReadAll("err.txt").find("bad.csv:3:"), std::string::npos);
}

TEST_F(StageFiguresTest, CheckerProgramExitsByWhatItFinds) {
    const std::string tool = std::string(VORTALIS_BINARY_DIR) + "/tools/stages/stage_check";
    Write("good.csv", "h\nh\n100,9,0,650,240,0,30,0,0,100,2,0,1,-1,-1,-1,-1,-1\n");
    Write("bad.csv", "h\nh\n100,9,0,650,240,0,30,0,0,100,2,0,1,-1,-1,-1,-1,-1\n8001,9,0,650,240,0,0,0,0,1,2,0,-1,-1,-1,-1,-1,-1\n");
    EXPECT_EQ(std::system((tool + " good.csv > out.txt").c_str()), 0);
    EXPECT_EQ(ReadAll("out.txt"), "");
    EXPECT_NE(std::system((tool + " good.csv bad.csv > out.txt").c_str()), 0);
    EXPECT_EQ(ReadAll("out.txt").rfind("bad.csv:4: frame 8001", 0), 0u) << ReadAll("out.txt");
    // One pattern used: the other 99 are reported, and the stamp is not written.
    EXPECT_NE(std::system((tool + " --all-patterns --stamp ok.stamp good.csv > out.txt").c_str()), 0);
    const std::string out = ReadAll("out.txt");
    EXPECT_NE(out.find("good.csv: pattern 0 is used by no row"), std::string::npos);
    EXPECT_EQ(out.find("pattern 9 is"), std::string::npos);
    EXPECT_EQ(ReadAll("ok.stamp"), "");
    FILE* stamp = std::fopen("ok.stamp", "rb");
    EXPECT_EQ(stamp, nullptr);
    if (stamp) std::fclose(stamp);
    EXPECT_EQ(std::system((tool + " --stamp ok2.stamp good.csv > out.txt").c_str()), 0);
    stamp = std::fopen("ok2.stamp", "rb");
    EXPECT_NE(stamp, nullptr);
    if (stamp) std::fclose(stamp);
}

} // namespace
