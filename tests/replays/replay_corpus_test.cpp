// The replay corpus: every replay in tests/replays/ must verify with the real
// executable (vortalis --replay FILE --verify), and together they must cover
// every stage and boss, the ending, a game over, a return to the title, and
// the prologue and epilogue read and skipped. ReplayCorpus.Record (run by
// scripts/record-replays.sh) plays those runs with a bot that reads the game
// state and answers with ordinary keys, and writes the corpus anew.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "game/enemy/enemy.h"
#include "game/enemy/items.h"
#include "game/enemy/shots.h"
#include "game/files/player_files.h"
#include "game/player/boss.h"
#include "game/player/collision.h"
#include "game/player/player.h"
#include "game/replay/replay_list.h"
#include "tests/game/replay_fixture.h"
#include "tests/support/files.h"

namespace {

const std::string CORPUS = std::string(VORTALIS_SOURCE_DIR) + "/tests/replays";

// ---- The bot --------------------------------------------------------------------

// Something that can hit the ship: where it is, how it moved last frame, and
// how close it may come.
struct Threat {
    double x, y, vx, vy, reach;
};

struct Bot {
    // Last frame's positions, to extrapolate every mover's velocity.
    double groupX[SHOT_GROUPS][GROUP_BULLETS], groupY[SHOT_GROUPS][GROUP_BULLETS];
    bool groupSeen[SHOT_GROUPS][GROUP_BULLETS] = {};
    double bossX[BOSS_BULLETS], bossY[BOSS_BULLETS];
    bool bossSeen[BOSS_BULLETS] = {};
    double enemyX[ENEMY_MAX], enemyY[ENEMY_MAX];
    bool enemySeen[ENEMY_MAX] = {};
    std::vector<Threat> threats;
    int frame = 0;

    void Track(const BulletRecord& b, double* px, double* py, bool* seen) {
        if (b.state <= 0) {
            *seen = false;
            return;
        }
        const double vx = *seen ? b.x - *px : 0, vy = *seen ? b.y - *py : 0;
        threats.push_back({b.x, b.y, vx, vy, SHIP_HIT_RADIUS + shot_graphic[b.kind & 3].radius + 3});
        *px = b.x;
        *py = b.y;
        *seen = true;
    }

    void Gather() {
        threats.clear();
        for (int g = 0; g < SHOT_GROUPS; g++) {
            if (eshot[g].state == 0) {
                for (bool& s : groupSeen[g]) s = false;
                continue;
            }
            for (int k = 0; k < GROUP_BULLETS; k++)
                Track(eshot[g].bullet[k], &groupX[g][k], &groupY[g][k], &groupSeen[g][k]);
        }
        for (int k = 0; k < BOSS_BULLETS; k++) Track(boss_bullets.bullet[k], &bossX[k], &bossY[k], &bossSeen[k]);
        for (int e = 0; e < ENEMY_MAX; e++) {
            if (enemy[e].state == 0) {
                enemySeen[e] = false;
                continue;
            }
            const double vx = enemySeen[e] ? enemy[e].x - enemyX[e] : 0, vy = enemySeen[e] ? enemy[e].y - enemyY[e] : 0;
            threats.push_back({enemy[e].x, enemy[e].y, vx, vy, 28});
            enemyX[e] = enemy[e].x;
            enemyY[e] = enemy[e].y;
            enemySeen[e] = true;
        }
        if (boss.state != 0) {
            threats.push_back({boss.x, boss.y, 0, 0, BossRadius() + 12.0});
            for (const TailSegment& t : boss_tail)
                if (t.state == 1) threats.push_back({t.x, t.y, 0, 0, BossRadius() + 8.0});
        }
    }

    // Where the ship would like to be: left of the action, level with its
    // target, or over an item when one is near.
    void Goal(double* gx, double* gy) const {
        *gx = 90;
        *gy = 240;
        double best = 1e9;
        if (boss.state != 0) {
            *gy = boss.y;
            return;
        }
        for (const EnemyRecord& e : enemy) {
            if (e.state == 0 || e.x < player.x + 20 || e.x > 640) continue;
            if (e.x < best) {
                best = e.x;
                *gy = e.y;
            }
        }
        for (const ItemRecord& i : item)
            if (i.state != 0 && i.x > 20 && i.x < 300) {
                *gx = i.x;
                *gy = i.y;
                return;
            }
    }

    // Keys for the next frame.
    void Play(ReplayDriver& r) {
        frame++;
        Gather();
        if (frame % 2 == 0) r.Hold(KEY_Z);   // a fresh press every other frame: a volley each
        if (player.state == PLAYER_DYING) return;
        double gx, gy;
        Goal(&gx, &gy);
        int bestDx = 0, bestDy = 0;
        double bestScore = -1e18;
        for (int dx = -1; dx <= 1; dx++)
            for (int dy = -1; dy <= 1; dy++) {
                const double s = player.speed / (dx && dy ? std::sqrt(2.0) : 1.0);
                double x = player.x, y = player.y, clearance = 1e9;
                for (int k = 1; k <= 12; k++) {
                    if (k <= 4) {
                        x = std::min(630.0, std::max(10.0, x + dx * s));
                        y = std::min(475.0, std::max(5.0, y + dy * s));
                    }
                    for (const Threat& t : threats) {
                        const double tx = t.x + t.vx * k, ty = t.y + t.vy * k;
                        const double c = std::hypot(tx - x, ty - y) - t.reach;
                        const double weighted = c + k * 1.5;   // nearer danger matters more
                        if (weighted < clearance) clearance = weighted;
                    }
                }
                const double edge = std::min(std::min(x - 10, 630 - x), std::min(y - 5, 475 - y));
                double score = std::min(clearance, 60.0) * 100 - std::hypot(x - gx, y - gy) + std::min(edge, 30.0) * 2;
                if (clearance < 0) score -= 100000;
                if (score > bestScore) {
                    bestScore = score;
                    bestDx = dx;
                    bestDy = dy;
                }
            }
        if (bestDx < 0) r.Hold(KEY_LEFT);
        if (bestDx > 0) r.Hold(KEY_RIGHT);
        if (bestDy < 0) r.Hold(KEY_UP);
        if (bestDy > 0) r.Hold(KEY_DOWN);
    }
};

// How one corpus run is played.
struct Scenario {
    const char* name;
    int start;              // ReplayStart
    int startStage;
    bool skipStories;       // hold the skip key through every story, else read with Shot
    int endAt;              // 0: play on (ending or game over); else return to the title at this stage clock of the last stage
    int endStage;           // the stage where endAt applies
    bool giveUp;            // never dodge nor shoot: a game over
    bool pauseOnce;         // pause and resume once at clock 600 of the first stage
};

// Plays one scenario from the title's end; true once its run has ended.
bool RecordScenario(const Scenario& s, ReplayData* out) {
    HeadlessSelect();
    ResetMenus();
    SetReplaySaving(false);
    ReplayDriver d;
    Bot* bot = new Bot();
    bool started = false, ended = false, paused = false;
    int pauseStep = 0, storyFrames = 0;
    d.act = [&](ReplayDriver& r, int) {
        if (ended) {
            fucn_state = 900;
            return;
        }
        if (!started && (fucn_state == 1 || fucn_state == 10)) {
            if (s.start == REPLAY_START_PROLOGUE) BeginPrologueRun();
            else BeginNewGameAt(s.startStage);
            started = true;
            return;
        }
        if (started && !RunGoing() && fucn_state != 27) {
            ended = true;
            fucn_state = 900;
            return;
        }
        switch (fucn_state) {
        case 20: case 33: case 50:
            storyFrames++;
            if (s.skipStories) r.Hold(KEY_LCONTROL);
            else if (storyFrames % 8 == 0) r.Tap(KEY_Z);
            break;
        case 30:
            if (!s.giveUp) bot->Play(r);
            if (s.pauseOnce && !paused && scene_timer == 600) {
                r.Tap(KEY_ESCAPE);
                paused = true;
                pauseStep = 1;
            }
            if (s.endAt && stage_number == s.endStage && scene_timer >= s.endAt && pauseStep == 0) {
                r.Tap(KEY_ESCAPE);
                pauseStep = 10;
            }
            break;
        case 301:
            if (pauseStep == 1) {                      // resume
                if (!r.lastKeys[KEY_ESCAPE]) r.Tap(KEY_ESCAPE), pauseStep = 0;
            } else if (pauseStep == 10) {              // down to タイトルへ戻る
                r.Tap(KEY_DOWN);
                pauseStep = 11;
            } else if (pauseStep == 11) {
                r.Tap(KEY_Z);
                pauseStep = 12;
            }
            break;
        case 302:   // はい while continues last (the driver keeps the run even so), else いいえ
            if (player.continues >= 3 || s.giveUp) {
                if (!r.lastKeys[KEY_DOWN] && !r.lastKeys[KEY_Z]) r.Tap(KEY_DOWN);
                else if (r.lastKeys[KEY_DOWN]) r.Tap(KEY_Z);
            } else if (!r.lastKeys[KEY_Z]) {
                r.Tap(KEY_Z);
            }
            break;
        default:
            break;
        }
    };
    d.frameLimit = 200000;
    d.Run();
    delete bot;
    SetReplaySaving(true);
    *out = LastRecordedRun();
    return ended && out->frames > 0;
}

const Scenario SCENARIOS[] = {
    // name                    start                  stage skip   endAt endStage giveUp pause
    {"prologue-read-return",  REPLAY_START_PROLOGUE, 0, false, 1500, 0, false, true},
    {"prologue-skip-gameover", REPLAY_START_PROLOGUE, 0, true,  0,    0, true,  false},
    {"stage1",                REPLAY_START_NEW_GAME, 0, false, 300,  1, false, false},
    {"stage2",                REPLAY_START_NEW_GAME, 1, true,  300,  2, false, false},
    {"stage3",                REPLAY_START_NEW_GAME, 2, false, 300,  3, false, false},
    {"stage4",                REPLAY_START_NEW_GAME, 3, true,  300,  4, false, false},
    {"stage5-epilogue-read",  REPLAY_START_NEW_GAME, 4, false, 0,    0, false, false},
    {"stage5-epilogue-skip",  REPLAY_START_NEW_GAME, 4, true,  0,    0, false, false},
};

} // namespace

TEST(ReplayCorpus, EveryReplayVerifiesAndTogetherTheyCoverThePlay) {
    ASSERT_TRUE(LinkGameData());
    const std::vector<std::string> names = ListFolder(CORPUS, ".vrp");
    ASSERT_FALSE(names.empty()) << "no replays in " << CORPUS;
    std::set<int> stagesPlayed, endings;
    bool prologue = false, ending = false;
    for (const ReplayListEntry& e : ReadReplayList(CORPUS)) {
        ASSERT_TRUE(e.readable) << e.name << ": " << e.problem;
        EXPECT_EQ(VerifyInFreshProcess(CORPUS + "/" + e.name), 0) << e.name;
        for (int s = e.header.startStage; s <= e.header.stageReached; s++) stagesPlayed.insert(s);
        endings.insert(e.header.endedBy);
        prologue = prologue || e.header.start == REPLAY_START_PROLOGUE;
        ending = ending || e.header.endedBy == RUN_CLEARED;
    }
    EXPECT_EQ(stagesPlayed, (std::set<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(endings, (std::set<int>{RUN_CLEARED, RUN_GAME_OVER, RUN_RETURNED}));
    EXPECT_TRUE(prologue);
}

// Writes the corpus anew into $VORTALIS_RECORD_REPLAYS (scripts/record-replays.sh).
TEST(ReplayCorpus, Record) {
    const char* out = std::getenv("VORTALIS_RECORD_REPLAYS");
    if (!out) GTEST_SKIP() << "set VORTALIS_RECORD_REPLAYS to a folder to record the corpus";
    ASSERT_TRUE(LinkGameData());
    const char* only = std::getenv("VORTALIS_RECORD_ONLY");
    for (const Scenario& s : SCENARIOS) {
        if (only && std::string(only) != s.name) continue;
        ReplayData run;
        ASSERT_TRUE(RecordScenario(s, &run)) << s.name;
        run.date = 1765209600 + 3600 * (&s - SCENARIOS);   // fixed dates keep re-recordings comparable
        const std::vector<unsigned char> bytes = EncodeReplay(run);
        std::string error;
        ASSERT_TRUE(WriteFileAtomic(std::string(out) + "/" + s.name + ".vrp", bytes.data(), bytes.size(), &error)) << error;
        std::printf("%-24s %7u frames  score %7d  stage %d..%d  ended %d  continues %d  %zu bytes\n", s.name, run.frames,
                    run.finalScore, run.startStage + 1, run.stageReached + 1, run.endedBy, player.continues, bytes.size());
    }
}
