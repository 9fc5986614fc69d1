// The soak run: the whole headless game for many frames under seeded random
// input that is biased to reach play, pauses, deaths, continues, stage clears
// and the title again, while the image, sound, font and file tables and the
// resident memory must stay flat from one return to the title to the next.
// Frames, seed and a figures file come from VORTALIS_SOAK_FRAMES (default
// 30000, or 16000 under AddressSanitizer, which runs a frame about ten times
// slower: with seed 1 the game comes back to the title near frames 5700 and
// 12500, so even the shorter run has a baseline and one title to compare with
// it; a run that compares nothing fails), VORTALIS_SOAK_SEED (default 1) and
// VORTALIS_SOAK_REPORT (scripts/soak.sh).
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "framework/file/file_layer.h"
#include "framework/framework.h"
#include "framework/graphics/font.h"
#include "framework/graphics/image_table.h"
#include "framework/sound/sound_internal.h"
#include "game/files/player_files.h"
#include "game/player/boss.h"
#include "game/player/player.h"
#include "game/records/records.h"
#include "game/replay/replay_list.h"
#include "game/run/run.h"
#include "game/screens/settings_screen.h"
#include "game/settings/settings.h"
#include "game/shell/menus.h"
#include "tests/game/replay_fixture.h"
#include "tests/support/console_text.h"
#include "game/app/vortalis_main.h"
#include "game/common/game_state.h"
#include "tests/support/files.h"
#include "tests/support/game_data.h"

#if defined(__SANITIZE_ADDRESS__)
#define SOAK_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SOAK_UNDER_ASAN 1
#endif
#endif

namespace {

long ResidentKb() {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "VmRSS:", 6) == 0) kb = std::strtol(line + 6, nullptr, 10);
    std::fclose(f);
    return kb;
}

#ifdef SOAK_UNDER_ASAN
const long DEFAULT_FRAMES = 16000;
#else
const long DEFAULT_FRAMES = 30000;
#endif

long EnvLong(const char* name, long fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::strtol(v, nullptr, 10) : fallback;
}

struct Tables {
    int images, sounds, fonts, files;
    bool operator==(const Tables&) const = default;
};

Tables CountTables() {
    return Tables{ImageCount(), SoundTableCount(), FontTableCount(), FileLayerOpenCount()};
}

// Chooses the keys of the next frame from the scene the game is in. Menu
// choices are edges (a key down for one frame, then up), made as whole
// sequences so that no cursor is ever left on a quitting item: the title is
// only ever confirmed on "start", and the pause menus' "終了する" is never chosen.
class Player {
public:
    explicit Player(unsigned seed, bool everything = false) : rng_(seed), everything_(everything) {}

    void Next(int scene, uint8_t keys[PLATFORM_KEYS]) {
        std::memset(keys, 0, PLATFORM_KEYS);
        if (scene != lastScene_) {
            queue_.clear();
            wait_ = 0;
        }
        lastScene_ = scene;
        if (!queue_.empty()) {
            for (int k : queue_.front())
                if (k >= 0) keys[k] = 1;
            queue_.erase(queue_.begin());
            return;
        }
        if (wait_ > 0) {
            wait_--;
            return;
        }
        if (everything_ && Everything(scene, keys)) return;
        switch (scene) {
        case 1:    // logo
        case 10:   // title: the cursor is never moved, so Shot starts a game
            Press({KEY_Z});
            wait_ = Roll(20) + 4;
            break;
        case 20:   // stories: skip held, now and then a pause
        case 50:
        case 33:
            if (Roll(400) == 0) {
                Press({KEY_ESCAPE});
                wait_ = 10;
            } else {
                keys[KEY_LCONTROL] = 1;
                if (Roll(3) == 0) keys[KEY_Z] = 1;
            }
            break;
        case 201:  // story pause: back to the story or to the title
            Press({Roll(2) ? KEY_ESCAPE : KEY_Z});
            wait_ = 10;
            break;
        case 301:  // play pause: mostly resume, sometimes the title
            if (Roll(6) == 0) {
                Press({KEY_DOWN});
                Press({KEY_Z});
            } else {
                Press({Roll(2) ? KEY_ESCAPE : KEY_Z});
            }
            wait_ = 10;
            break;
        case 302:  // continue: mostly yes, sometimes no
            wait_ = 30;
            if (Roll(4) == 0) Press({KEY_DOWN});
            Press({KEY_Z});
            break;
        case 30:
            Play(keys);
            break;
        case 70:   // ending
            if (Roll(30) == 0) keys[KEY_Z] = 1;
            break;
        default:
            if (Roll(8) == 0) keys[KEY_Z] = 1;
            break;
        }
    }

private:
    // A person who uses every part of the game: every title entry (おわる and
    // 終了する end the program, which the session starts again), the practice
    // menu, the replay list and the records with their replays watched, fast
    // and stopped, and the settings' volumes and start-up question. True when
    // the frame's keys are chosen.
    bool Everything(int scene, uint8_t keys[PLATFORM_KEYS]) {
        if (RunPlayingBack()) {
            if (Roll(600) == 0) Press({KEY_ESCAPE});
            else if (Roll(3) == 0) keys[KEY_LCONTROL] = 1;
            return true;
        }
        switch (scene) {
        case 1:
            Press({KEY_Z});
            return true;
        case 10: {
            // スタート mostly; 練習, リプレイ, 記録, 設定 now and then; おわる rarely.
            static const int WEIGHTS[] = {40, 14, 14, 10, 12, 3};
            const int entries = TitleEntries();
            int roll = Roll(93), entry = 0;
            while (entry < 5 && roll >= WEIGHTS[entry]) roll -= WEIGHTS[entry++];
            const int target = entry == 5 ? entries - 1 : entry;
            for (int k = TitleCursor(); k != target; k = (k + 1) % entries) Press({KEY_DOWN});
            Press({KEY_Z});
            wait_ = 10;
            return true;
        }
        case 201:
        case 301:
            // 終了する now and then (the last item, one up from the first),
            // タイトルへ戻る often, else back to the game.
            if (Roll(20) == 0) {
                Press({KEY_UP});
                Press({KEY_Z});
            } else if (Roll(2) == 0) {
                if (scene == 301) Press({KEY_DOWN});
                Press({KEY_Z});
            } else {
                Press({KEY_ESCAPE});
            }
            wait_ = 10;
            return true;
        case 302:   // half the time a continue
            if (Roll(2) == 0) Press({KEY_DOWN});
            Press({KEY_Z});
            wait_ = 30;
            return true;
        case 30:
            if (Roll(700) != 0) return false;
            Press({KEY_ESCAPE});
            wait_ = 5;
            return true;
        case SCENE_PRACTICE_MENU:
        case SCENE_REPLAY_LIST:
        case SCENE_RECORDS:
            for (int k = Roll(4); k > 0; k--) Press({KEY_DOWN});
            Press({Roll(4) == 0 ? KEY_ESCAPE : (Roll(2) ? KEY_Z : KEY_RETURN)});
            wait_ = 20;
            return true;
        case SCENE_SETTINGS: {
            const int row = SettingsMenuRow();
            if (Roll(12) == 0) Press({KEY_ESCAPE});
            else if (row == 0 || row == 1 || row == 3) Press({Roll(3) == 0 ? KEY_DOWN : (Roll(2) ? KEY_LEFT : KEY_RIGHT)});
            else Press({row < 3 ? KEY_DOWN : KEY_UP});
            wait_ = 2;
            return true;
        }
        default:
            return false;
        }
    }

    void Press(std::vector<int> down) {
        queue_.push_back(down);
        queue_.push_back({-1});
    }

    // Moves in held strokes, shoots most of the time (tapped and charged),
    // switches formation now and then and pauses about every half minute.
    void Play(uint8_t keys[PLATFORM_KEYS]) {
        if (Roll(900) == 0) {
            Press({KEY_ESCAPE});
            wait_ = 5;
            return;
        }
        if (stroke_ <= 0) {
            stroke_ = Roll(40) + 5;
            dirX_ = Roll(3) - 1;
            dirY_ = Roll(3) - 1;
            shotMode_ = Roll(4);
            shift_ = Roll(10) == 0;
        }
        stroke_--;
        if (dirX_ < 0) keys[KEY_LEFT] = 1;
        if (dirX_ > 0) keys[KEY_RIGHT] = 1;
        if (dirY_ < 0) keys[KEY_UP] = 1;
        if (dirY_ > 0) keys[KEY_DOWN] = 1;
        if (shotMode_ == 0) keys[KEY_Z] = 1;                       // held: charge
        else if (shotMode_ != 3) keys[KEY_Z] = (stroke_ & 1) ? 1 : 0;  // tapped
        if (shift_) keys[KEY_LSHIFT] = 1;
    }

    int Roll(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }

    std::mt19937 rng_;
    bool everything_;
    std::vector<std::vector<int>> queue_;
    int wait_ = 0;
    int lastScene_ = -1;
    int stroke_ = 0, dirX_ = 0, dirY_ = 0, shotMode_ = 0;
    bool shift_ = false;
};

} // namespace

TEST(Soak, RandomPlayKeepsTablesAndMemoryFlat) {
    ASSERT_TRUE(LinkGameData()) << "build the dat target first";
    const long frames = EnvLong("VORTALIS_SOAK_FRAMES", DEFAULT_FRAMES);
    const unsigned seed = static_cast<unsigned>(EnvLong("VORTALIS_SOAK_SEED", 1));
    const char* reportPath = std::getenv("VORTALIS_SOAK_REPORT");
    FILE* report = reportPath && *reportPath ? std::fopen(reportPath, "w") : nullptr;
    if (report) std::fprintf(report, "frame scene images sounds fonts files rss_kb\n");

    HeadlessSelect();
    HeadlessSetAnswer(0);
    Player person(seed);

    // What the run saw.
    int titleEntries = 0, plays = 0, pauses = 0, continues = 0, deaths = 0, stageClears = 0, endings = 0;
    int continueMenus = 0;
    int lastScene = -1, lastLives = -1;
    Tables baseline{};
    long baselineRss = -1, lastTitleRss = -1, peakRss = 0;
    int baselineFrame = -1, comparisons = 0;
    Tables peak{};
    std::vector<std::string> drift;

    uint8_t keys[PLATFORM_KEYS];
    HeadlessOnPresent([&](int frame, const uint32_t*, int, int) {
        const int scene = fucn_state;
        if (scene != lastScene) {
            if (scene == 10) {
                titleEntries++;
                // The first cycle ends on the first return to the title after a
                // game that was paused (the pause backdrop is made once, on the
                // first pause): from then on every title entry must find the
                // same tables.
                const Tables now = CountTables();
                const long rss = ResidentKb();
                if (plays > 0 && pauses + continueMenus > 0 && baselineFrame < 0) {
                    baseline = now;
                    baselineRss = rss;
                    baselineFrame = frame;
                } else if (baselineFrame >= 0) {
                    comparisons++;
                    if (!(now == baseline) && drift.size() < 5) {
                        char buf[160];
                        std::snprintf(buf, sizeof buf, "frame %d: images %d sounds %d fonts %d files %d", frame,
                                      now.images, now.sounds, now.fonts, now.files);
                        drift.push_back(buf);
                    }
                }
                if (baselineFrame >= 0) lastTitleRss = rss;
            }
            if (scene == 30 && lastScene == 29) plays++;
            if (scene == 301) pauses++;
            if (scene == 302) continueMenus++;
            if (scene == 70) endings++;
            if (scene == 30 && lastScene == 302) continues++;
            if (scene == 36) stageClears++;
            lastScene = scene;
        }
        if (scene == 30) {
            if (lastLives >= 0 && player.lives < lastLives) deaths++;
            // Shortened stages: the stage clock jumps to shortly before the boss
            // and the boss comes with little health, so stages get cleared.
            if (scene_timer < boss.endTime - 300 && boss.state == BOSS_NONE) scene_timer = boss.endTime - 300;
            if (boss.state == BOSS_FIGHTING && boss.hp > 400) boss.hp = 400;
        }
        lastLives = player.lives;

        const Tables now = CountTables();
        peak.images = std::max(peak.images, now.images);
        peak.sounds = std::max(peak.sounds, now.sounds);
        peak.fonts = std::max(peak.fonts, now.fonts);
        peak.files = std::max(peak.files, now.files);
        if (frame % 1000 == 0 || frame == 1) {
            const long rss = ResidentKb();
            peakRss = std::max(peakRss, rss);
            if (report)
            {
                std::fprintf(report, "%d %d %d %d %d %d %ld\n", frame, scene, now.images, now.sounds, now.fonts,
                             now.files, rss);
                std::fflush(report);   // a long run can be watched, or stopped, midway
            }
        }
        person.Next(scene, keys);
        HeadlessSetKeysNow(keys);
    });
    HeadlessPostEventAtFrame(static_cast<int>(frames), PLATFORM_EVENT_CLOSE_REQUEST);
    ASSERT_EQ(VortalisMain(), 0);
    HeadlessOnPresent(nullptr);

    std::printf("soak: %d frames, seed %u: %d title entries, %d stages played, %d pauses, %d deaths, "
                "%d continues, %d stage clears, %d endings\n",
                HeadlessFrameCount(), seed, titleEntries, plays, pauses, deaths, continues, stageClears, endings);
    std::printf("soak: tables at the title from frame %d, compared %d times after: images %d sounds %d fonts %d "
                "files %d; peak images %d sounds %d fonts %d files %d\n",
                baselineFrame, comparisons, baseline.images, baseline.sounds, baseline.fonts, baseline.files,
                peak.images, peak.sounds, peak.fonts, peak.files);
    std::printf("soak: VmRSS %ld kB at the first return to the title, %ld kB at the last, peak %ld kB\n",
                baselineRss, lastTitleRss, peakRss);
    if (report) {
        std::fprintf(report, "# frames %d titles %d plays %d pauses %d deaths %d continues %d clears %d endings %d\n",
                     HeadlessFrameCount(), titleEntries, plays, pauses, deaths, continues, stageClears, endings);
        std::fclose(report);
    }

    EXPECT_EQ(HeadlessFrameCount(), frames) << "the game ended before the run did";
    // The run went everywhere it was meant to.
    EXPECT_GE(titleEntries, 2);
    EXPECT_GE(plays, 3);
    EXPECT_GE(pauses, 2);
    EXPECT_GE(deaths, 1);
    EXPECT_GE(stageClears, 1);
    if (frames >= 30000) {
        EXPECT_GE(continues, 1);
    }
    ASSERT_GE(baselineFrame, 0) << "never came back to the title after a game";
    // The tables and the memory are compared at each title entry after the
    // baseline's; a run that never came back once more compared nothing.
    ASSERT_GE(comparisons, 1) << "could not compare: no return to the title after the baseline at frame "
                              << baselineFrame << " within " << frames << " frames";
    for (const std::string& d : drift) ADD_FAILURE() << "tables changed at the title: " << d;
    EXPECT_EQ(baseline.files, 0) << "files left open at the title";
#ifndef SOAK_UNDER_ASAN
    // Allocator noise is a few megabytes at most; a leak of a frame buffer or a
    // decoded sound per cycle shows up well beyond that over the run.
    EXPECT_LT(lastTitleRss - baselineRss, 16 * 1024) << "resident memory grew between title entries";
#endif
    const std::string log = ReadBytes("Log.txt");
    EXPECT_NE(log.find("フレームワークを終了しました\r\n"), std::string::npos);
}

#ifdef SOAK_UNDER_ASAN
const long DEFAULT_SESSION_FRAMES = 8000;
#else
const long DEFAULT_SESSION_FRAMES = 30000;
#endif

// A player's whole session, seeded and random: games, practice, continues,
// game overs, quitting from the pause menus (and starting again), charge
// shots, settings changed, replays watched from the list and from the records
// and stopped. Afterwards every replay the session saved verifies in a fresh
// process, every score entry names a replay of its own run or none, and the
// settings file holds what the session last set. Frames and seed come from
// VORTALIS_SESSION_FRAMES and VORTALIS_SESSION_SEED (scripts/soak.sh runs a
// long one).
TEST(Soak, AWholeSessionHoldsAndEveryReplayItSavedVerifiesAnywhere) {
    ASSERT_TRUE(LinkGameData()) << "build the dat target first";
    const long frames = EnvLong("VORTALIS_SESSION_FRAMES", DEFAULT_SESSION_FRAMES);
    const unsigned seed = static_cast<unsigned>(EnvLong("VORTALIS_SESSION_SEED", 1));
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    setenv("XDG_CONFIG_HOME", (std::string(here) + "/config").c_str(), 1);
    Player person(seed, true);
    std::string lastSettings;   // the settings as the session last left the settings screen
    int starts = 0, games = 0, practices = 0, watched = 0, settingsVisits = 0, lastScene = -1;
    long played = 0;
    bool watching = false;
    uint8_t keys[PLATFORM_KEYS];
    ForgetRun();
    ForgetRecords();
    while (played < frames) {
        HeadlessSelect();
        HeadlessSetAnswer(0);
        ResetMenus();
        starts++;
        HeadlessOnPresent([&](int, const uint32_t*, int, int) {
            const int scene = fucn_state;
            if (scene != lastScene) {
                if (scene == 30 && lastScene == 29 && !RunPlayingBack()) (RunIsPractice() ? practices : games)++;
                if (lastScene == SCENE_SETTINGS) lastSettings = FormatSettings(g_settings);
                if (scene == SCENE_SETTINGS) settingsVisits++;
                lastScene = scene;
            }
            if (RunPlayingBack() && !watching) watched++;
            watching = RunPlayingBack();
            person.Next(scene, keys);
            HeadlessSetKeysNow(keys);
            if (++played == frames) HeadlessPostEventAtFrame(HeadlessFrameCount() + 1, PLATFORM_EVENT_CLOSE_REQUEST);
        });
        ASSERT_EQ(VortalisMain(), 0);
        HeadlessOnPresent(nullptr);
        EXPECT_EQ(NoticesJoined().find("保存できませんでした"), std::string::npos) << NoticesJoined();
    }
    std::printf("session: %ld frames, seed %u: %d starts, %d games, %d practices, %d replays watched, "
                "%d visits to the settings\n",
                played, seed, starts, games, practices, watched, settingsVisits);

    // Every replay the session saved plays back exactly in a process of its own.
    const std::vector<ReplayListEntry> replays = ReadReplayList("replays");
    EXPECT_FALSE(replays.empty());
    for (const ReplayListEntry& e : replays) {
        ASSERT_TRUE(e.readable) << e.name << ": " << e.problem;
        EXPECT_EQ(VerifyInFreshProcess("replays/" + e.name), 0) << e.name;
    }
    // Every entry of the table names its own run's replay, or none.
    ForgetRecords();
    const ScoreTable& table = ScoresInPlay();
    for (int i = 0; i < table.count; i++) {
        const ScoreEntry& entry = table.entries[i];
        if (!entry.replay[0]) continue;
        const auto it = std::find_if(replays.begin(), replays.end(),
                                     [&](const ReplayListEntry& e) { return e.name == entry.replay; });
        ASSERT_NE(it, replays.end()) << entry.replay << " is named but not there";
        EXPECT_EQ(it->header.finalScore, entry.score) << entry.replay;
        EXPECT_EQ(it->header.stageReached + 1, entry.stage) << entry.replay;
        EXPECT_EQ(entry.continues, 0) << entry.replay << ": a run with a continue saves no replay";
    }
    // The settings file holds what was last set.
    if (settingsVisits > 0) {
        EXPECT_EQ(ReadBytes("config/vortalis/settings.ini"), lastSettings);
    }
    EXPECT_GE(starts, 1);
    EXPECT_GE(games + practices, 2);
    unsetenv("XDG_CONFIG_HOME");
}
