// The score table: its text form byte for byte, the reader's refusals, and
// the entry rules (order, ties, the ten-entry cut, the stage reached).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "game/records/score_table.h"

namespace {

ScoreEntry Finished(int score, int stage, bool cleared = false, int continues = 0, const char* replay = "") {
    ScoreEntry e{};
    e.score = score;
    e.stage = stage;
    e.cleared = cleared;
    e.continues = continues;
    std::snprintf(e.date, sizeof e.date, "2026-12-08 17:%02d", stage);
    std::snprintf(e.replay, sizeof e.replay, "%s", replay);
    return e;
}

bool Parse(const std::string& text, ScoreTable* out, std::string* why = nullptr) {
    return ParseScoreTable(reinterpret_cast<const unsigned char*>(text.data()), text.size(), out, why);
}

} // namespace

TEST(ScoreTable, WritesItsTextFormAndReadsItBackUnchanged) {
    ScoreTable t = EmptyScoreTable();
    EXPECT_EQ(EnterScore(&t, Finished(1500, 2, false, 1, "replay-20261208-171000.vrp")), 0);
    EXPECT_EQ(EnterScore(&t, Finished(98765, 5, true)), 0);
    EXPECT_EQ(EnterScore(&t, Finished(0, 1)), 2);
    const std::string text = FormatScoreTable(t);
    EXPECT_EQ(text,
              "vortalis-scores 1\n"
              "reached 5\n"
              "runs 3\n"
              "entry 2 98765 clear 0 2026-12-08 17:05 -\n"
              "entry 1 1500 2 1 2026-12-08 17:02 replay-20261208-171000.vrp\n"
              "entry 3 0 1 0 2026-12-08 17:01 -\n");

    ScoreTable back{};
    ASSERT_TRUE(Parse(text, &back));
    EXPECT_EQ(FormatScoreTable(back), text);
    EXPECT_EQ(NewestScoreEntry(back), 2);
    EXPECT_EQ(back.entries[0].stage, 5);
    EXPECT_TRUE(back.entries[0].cleared);

    // Windows line ends, comments, blank lines and lines in another order read
    // the same; an unsorted file is sorted and missing counters are mended.
    ScoreTable loose{};
    ASSERT_TRUE(Parse("vortalis-scores 1\r\n# mine\r\n\r\nentry 3 0 1 0 2026-12-08 17:01 -\r\n"
                      "entry 1 1500 2 1 2026-12-08 17:02 replay-20261208-171000.vrp\r\n"
                      "entry 2 98765 clear 0 2026-12-08 17:05 -",
                      &loose));
    EXPECT_EQ(FormatScoreTable(loose), text);
    // Equal scores written newest first read back oldest first.
    ASSERT_TRUE(Parse("vortalis-scores 1\nentry 9 700 1 0 2026-12-08 17:09 -\nentry 4 700 2 0 2026-12-08 17:04 -\n",
                      &loose));
    EXPECT_EQ(loose.entries[0].serial, 4);
    EXPECT_EQ(loose.entries[1].serial, 9);
}

TEST(ScoreTable, RefusesEveryDamagedFileAndLeavesTheTableUntouched) {
    const std::string head = "vortalis-scores 1\n";
    const std::string good = "entry 1 10 1 0 2026-12-08 17:01 -\n";
    std::string eleven = head;
    for (int i = 1; i <= 11; i++) eleven += "entry " + std::to_string(i) + " 10 1 0 2026-12-08 17:01 -\n";
    const std::string cases[] = {
        "",                                              // empty
        "vortalis-scores 2\n" + good,                    // another version
        good,                                            // no first line
        head + "reached 6\n",                            // stage out of range
        head + "reached 0\n",
        head + "reached 2\nreached 3\n",                 // said twice
        head + "runs -1\n",
        head + "runs 1 2\n",
        head + "best 10\n",                              // unknown line
        head + "entry 1 10 1 0 2026-12-08 17:01\n",      // replay field missing
        head + "entry 1 10 1 0 2026-12-08 17:01 - x\n",  // one field too many
        head + "entry 0 10 1 0 2026-12-08 17:01 -\n",    // serial 0
        head + "entry 1 1000000000 1 0 2026-12-08 17:01 -\n",   // score over nine digits
        head + "entry 1 +10 1 0 2026-12-08 17:01 -\n",
        head + "entry 1 10 6 0 2026-12-08 17:01 -\n",
        head + "entry 1 10 Clear 0 2026-12-08 17:01 -\n",
        head + "entry 1 10 1 4 2026-12-08 17:01 -\n",    // four continues
        head + "entry 1 10 1 0 2026-13-08 17:01 -\n",    // month 13
        head + "entry 1 10 1 0 2026-12-08 24:00 -\n",
        head + "entry 1 10 1 0 2026/12/08 17:01 -\n",
        head + "entry 1 10 1 0 2026-12-08 17:01 ../Log.txt\n",   // not a plain name beside Log.txt
        head + "entry 1 10 1 0 2026-12-08 17:01 .hidden\n",
        head + "entry 1 10 1 0 2026-12-08 17:01 " + std::string(128, 'r') + "\n",
        head + std::string("entry 1 10 1 0 2026-12-08 17:01 -\0\n", 35),   // a NUL byte
        head + "entry 1 10 1 0 2026-12-08 17:01 -\x1b\n",
        head + std::string(600, ' ') + "\n",             // a line too long
        eleven,
        head + std::string(SCORE_FILE_MAX, '\n'),        // over the size limit
    };
    for (const std::string& text : cases) {
        ScoreTable t = EmptyScoreTable();
        EnterScore(&t, Finished(7, 3));
        const std::string before = FormatScoreTable(t);
        std::string why;
        EXPECT_FALSE(Parse(text, &t, &why)) << text;
        EXPECT_FALSE(why.empty()) << text;
        EXPECT_EQ(FormatScoreTable(t), before) << text;
    }
    ScoreTable ten{};
    EXPECT_TRUE(Parse(eleven.substr(0, eleven.rfind("entry 11")), &ten));
    EXPECT_EQ(ten.count, 10);
}

TEST(ScoreTable, KeepsTheTenBestWithOlderRunsFirstOnEqualScoresAndTheHighestStage) {
    ScoreTable t = EmptyScoreTable();
    // Randomized runs against a plain model: the table is always the ten
    // highest scores, ties in the order they were played.
    unsigned seed = 12345;
    std::vector<std::pair<int, int>> all;   // (score, serial)
    int reached = 1;
    for (int run = 1; run <= 200; run++) {
        seed = seed * 1103515245u + 12345u;
        const int score = static_cast<int>((seed >> 16) % 40) * 100;   // many ties
        const int stage = 1 + static_cast<int>((seed >> 8) % 4);
        const int at = EnterScore(&t, Finished(score, stage));
        all.push_back({-score, run});
        std::sort(all.begin(), all.end());
        int expectAt = -1;
        for (int i = 0; i < 10 && i < static_cast<int>(all.size()); i++)
            if (all[i].second == run) expectAt = i;
        ASSERT_EQ(at, expectAt) << "run " << run;
        reached = std::max(reached, stage);
        ASSERT_EQ(t.reached, reached);
        ASSERT_EQ(t.runs, run);
        ASSERT_EQ(t.count, std::min(run, 10));
        for (int i = 0; i < t.count; i++) {
            ASSERT_EQ(t.entries[i].score, -all[i].first) << "run " << run << " rank " << i;
            ASSERT_EQ(t.entries[i].serial, all[i].second) << "run " << run << " rank " << i;
        }
    }
    // A cleared run counts as stage 5 reached; values out of range are
    // clamped and a bad date or replay name is not kept.
    ScoreEntry wild = Finished(2000000000, 9, false, 7, "../x");
    std::strcpy(wild.date, "yesterday");
    ASSERT_EQ(EnterScore(&t, wild), 0);
    EXPECT_EQ(t.entries[0].score, SCORE_MAX);
    EXPECT_EQ(t.entries[0].stage, 5);
    EXPECT_EQ(t.entries[0].continues, 3);
    EXPECT_STREQ(t.entries[0].replay, "");
    EXPECT_STREQ(t.entries[0].date, "0000-01-01 00:00");
    EXPECT_EQ(NewestScoreEntry(t), 0);
    ScoreTable back{};
    EXPECT_TRUE(Parse(FormatScoreTable(t), &back));
}
