// Shared set-up of the enemy-module tests: the headless framework running (for
// the file layer, the console and the random generator), every table of the
// module cleared, and helpers to read the console and write timeline files.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include <sys/stat.h>

#include "framework/backend/headless/headless.h"
#include "framework/core/console.h"
#include "tests/support/console_text.h"
#include "framework/core/random.h"
#include "framework/framework.h"
#include "game/enemy/enemy.h"
#include "game/enemy/items.h"
#include "game/enemy/patterns.h"
#include "game/enemy/shots.h"
#include "game/player/boss.h"
#include "game/player/player.h"
#include "game/common/assets.h"
#include "game/common/game_state.h"

class EnemyModule : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessSelect();
        ASSERT_EQ(FrameworkInit(), 0);
        ConsoleReset();
        // Tests of one process share a working directory: no timeline survives a test.
        for (int k = 0; k < STAGE_COUNT; k++) {
            char path[64];
            std::snprintf(path, sizeof path, "dat/csv/storyH%d.csv", k);
            std::remove(path);
        }
        RandomSeed(20261208);
        ResetEnemiesStage();
        ResetShotGroupsStage();
        ResetItemsStage();
        ResetEffectsStage();
        ResetBurstsNewGame();
        ResetBossStage();
        ResetPlayerNewGame();
        scene_timer = 0;
        stage_number = 0;
        for (int k = 0; k < FLASH_CELLS; k++) g_assets.hitEffect[k] = 1000 + k;
        for (int k = 0; k < BULLET_KINDS; k++) g_assets.bulletGraphic[k] = 2000 + k;
    }
    void TearDown() override { FrameworkEnd(); }

    // Everything written on the screen console so far, lines joined.
    static std::string ConsoleText() { return ConsoleJoined(); }

    static int Occurrences(const std::string& text, const std::string& what) {
        int n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) n++;
        return n;
    }

    static void WriteFile(const char* path, const std::string& bytes) {
        mkdir("dat", 0755);
        mkdir("dat/csv", 0755);
        FILE* f = std::fopen(path, "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }

    // The values RandomUpTo(10000) will give next, as fractions, without using them up:
    // reseeds, draws, reseeds again.
    static std::vector<double> NextFractions(uint32_t seed, int count) {
        RandomSeed(seed);
        std::vector<double> r;
        for (int k = 0; k < count; k++) r.push_back(RandomUpTo(10000) / 10000.0);
        RandomSeed(seed);
        return r;
    }

    // A live enemy in slot i, as a spawn would leave it.
    static EnemyRecord& Place(int i, int pattern, double x, double y, int wait = 0, double speed = 0) {
        EnemyRecord& e = enemy[i];
        std::memset(&e, 0, sizeof e);
        e.state = 1;
        e.pose = 1;
        e.pattern = pattern;
        e.x = x;
        e.y = y;
        e.wait = wait;
        e.speed = speed;
        e.bullet_kind = 0;
        for (int k = 0; k < STORY_DROPS; k++) e.drop[k] = -1;
        return e;
    }
};
