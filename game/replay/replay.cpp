// Recording and playback. A run is a function of the seed and the pad's held
// mask of every frame: the recorder keeps both (plus the rare hold counts the
// mask cannot give and a state hash every 60 frames), the player feeds the
// masks back through the pad merge and compares the hashes.
#include "game/replay/replay.h"

#include "game/practice/practice.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "framework/framework.h"
#include "game/extensions.h"
#include "game/files/player_files.h"
#include "game/game_state.h"
#include "game/launch/launch_options.h"
#include "game/player/player.h"
#include "game/practice/practice.h"
#include "game/shell/menus.h"
#include "game/shell/pad.h"

namespace {

enum { RESERVED_FRAMES = 60 * 60 * 90 };   // masks reserved at the start: 90 minutes, so play never allocates

struct Recorder {
    bool on = false;
    ReplayData run;
    int32_t counts[REPLAY_PAD_SLOTS] = {};   // the slots' counts after the last recorded frame
};

struct Playback {
    bool on = false;
    bool waitingForNewGame = false;   // a new-game start applies its state at the reset
    bool waitingForFirstFrame = false; // a prologue start applies it at the top of its first frame
    int mode = REPLAY_WATCH;
    int afterScene = 0;
    ReplayData run;
    uint32_t next = 0;                // frames fed so far
    std::size_t fix = 0;
    int fastPhase = 0;
};

Recorder g_rec;
Playback g_play;
ReplayResult g_result;
ReplayData g_lastRecorded;
std::string g_lastSavedName;
bool g_saving = true;
int g_pendingStage = -1;

int32_t CountAfter(int32_t previous, bool held) {
    if (!held) return 0;
    return previous < INT_MAX ? previous + 1 : previous;
}

void CopyVersion(char* out) {
    std::memset(out, 0, REPLAY_VERSION_CHARS);
    std::snprintf(out, REPLAY_VERSION_CHARS, "%s", LaunchVersion());
}

void ApplyPendingStage() {
    if (g_pendingStage >= 0 && g_pendingStage < STAGE_COUNT) stage_number = g_pendingStage;
    g_pendingStage = -1;
}

void BeginRecording(int start) {
    ReplayData& r = g_rec.run;
    r = ReplayData{};
    r.masks.reserve(RESERVED_FRAMES);
    r.checks.reserve(static_cast<int>(RESERVED_FRAMES) / static_cast<int>(REPLAY_CHECK_INTERVAL) + 1);
    CopyVersion(r.gameVersion);
    r.seed = NewRunSeed();
    r.dataDigest = LogicDataDigest();
    r.start = static_cast<uint8_t>(start);
    r.startStage = static_cast<uint8_t>(stage_number);
    r.startFrameCounter = frame_counter;
    for (int i = 0; i < REPLAY_PAD_SLOTS; i++) r.startCounts[i] = g_rec.counts[i] = CheckStatePad(i);
    SeedRandom(r.seed);
    ResetPauseCursors();
    g_rec.on = true;
}

// What the run's first frame found: seed, frame counter and hold counts, and
// the pause menus' cursors on their first item. A pause menu closed with the
// pause key keeps its cursor, and a replay does not record where an earlier
// run left it, so every run starts with them at the top.
void ApplyStart(const ReplayData& r) {
    SeedRandom(r.seed);
    ResetPauseCursors();
    frame_counter = r.startFrameCounter;
    for (int i = 0; i < REPLAY_PAD_SLOTS; i++) SetPadCount(i, r.startCounts[i]);
}

void SaveRun(const ReplayData& r) {
    const std::vector<unsigned char> bytes = EncodeReplay(r);
    const std::string name = NewTimestampName("replays", "replay", ".vrp");
    std::string error;
    if (bytes.empty() || !WriteFileAtomic(PlayerFilePath("replays", name), bytes.data(), bytes.size(), &error)) {
        ScreenPrintF("リプレイを保存できませんでした: %s\n", bytes.empty() ? "encoding failed" : error.c_str());
        return;
    }
    g_lastSavedName = name;
}

void StopPlayback(int outcome, int part) {
    g_result.outcome = outcome;
    g_result.frame = g_play.next;
    g_result.part = part;
    g_result.finalScore = player.score;
    if (outcome == REPLAY_DESYNC && g_play.mode == REPLAY_WATCH)
        ScreenPrintF("リプレイを止めました: %s\n", DescribeReplayResult(g_result).c_str());
}

// Leaves playback for the scene named at its start.
void LeavePlayback() {
    g_play.on = false;
    if (g_play.mode == REPLAY_WATCH) fucn_state = g_play.afterScene;
}

} // namespace

// ---- The extension points ---------------------------------------------------------

void ReplayOnNewGame(int start) {
    ApplyPendingStage();
    if (g_play.on) {
        if (g_play.run.start != REPLAY_START_PROLOGUE) {
            stage_number = g_play.run.startStage;
            ApplyStart(g_play.run);
        } else {
            SeedRandom(g_play.run.seed);
        }
        g_play.waitingForNewGame = false;
        return;
    }
    if (g_rec.on && g_rec.run.start == REPLAY_START_PROLOGUE) {
        SeedRandom(g_rec.run.seed);
        return;
    }
    BeginRecording(start);
}

bool ReplayTakePad(unsigned* heldMask) {
    if (!g_play.on) return false;
    if (g_result.outcome != REPLAY_RUNNING) {
        LeavePlayback();
        return false;
    }
    if (g_play.mode == REPLAY_WATCH && KeyHoldCount(KEY_ESCAPE) == 1) {
        StopPlayback(REPLAY_STOPPED, -1);
        LeavePlayback();
        return false;
    }
    *heldMask = 0;
    if (g_play.waitingForNewGame) return true;
    if (g_play.waitingForFirstFrame) {
        ApplyStart(g_play.run);
        g_play.waitingForFirstFrame = false;
    }
    const uint32_t n = g_play.next;
    if (n >= g_play.run.masks.size()) {
        // A run ended by closing the window stops after its last frame, where
        // the final check was taken; any other had ended by now in the game.
        const ReplayData& r = g_play.run;
        const int part = r.endedBy == RUN_CLOSED ? CheckMismatch(r.checks.back(), HashGameState()) : STATE_SCENE;
        StopPlayback(part >= 0 ? REPLAY_DESYNC : REPLAY_PASSED, part);
        LeavePlayback();
        return false;
    }
    if (n > 0 && n % REPLAY_CHECK_INTERVAL == 0) {
        const int part = CheckMismatch(g_play.run.checks[n / REPLAY_CHECK_INTERVAL - 1], HashGameState());
        if (part >= 0) {
            StopPlayback(REPLAY_DESYNC, part);
            LeavePlayback();
            return false;
        }
    }
    *heldMask = g_play.run.masks[n];
    return true;
}

void ReplayOnPadMerged(unsigned heldMask) {
    if (g_play.on) {
        if (g_play.waitingForNewGame || g_result.outcome != REPLAY_RUNNING) return;
        const std::vector<ReplayCountFix>& fixes = g_play.run.fixes;
        while (g_play.fix < fixes.size() && fixes[g_play.fix].frame == g_play.next) {
            SetPadCount(fixes[g_play.fix].slot, fixes[g_play.fix].count);
            g_play.fix++;
        }
        g_play.next++;
        return;
    }
    if (!g_rec.on) return;
    ReplayData& r = g_rec.run;
    const uint32_t n = static_cast<uint32_t>(r.masks.size());
    if (n >= REPLAY_MAX_FRAMES) {   // longer than any replay may be: the run goes on unrecorded
        g_rec.on = false;
        return;
    }
    if (n > 0 && n % REPLAY_CHECK_INTERVAL == 0) r.checks.push_back(MakeReplayCheck(HashGameState()));
    for (int i = 0; i < REPLAY_PAD_SLOTS; i++) {
        const int32_t expected = CountAfter(g_rec.counts[i], (heldMask >> i) & 1);
        const int32_t actual = CheckStatePad(i);
        if (actual != expected) r.fixes.push_back({n, static_cast<uint8_t>(i), actual});
        g_rec.counts[i] = actual;
    }
    r.masks.push_back(static_cast<uint16_t>(heldMask));
}

void ReplayOnRunEnded(int how) {
    if (g_play.on) {
        if (g_result.outcome != REPLAY_RUNNING) return;
        const ReplayData& r = g_play.run;
        const int part = CheckMismatch(r.checks.back(), HashGameState());
        if (part >= 0 || g_play.next != r.masks.size()) StopPlayback(REPLAY_DESYNC, part >= 0 ? part : STATE_SCENE);
        else StopPlayback(REPLAY_PASSED, -1);
        return;
    }
    if (!g_rec.on) return;
    g_rec.on = false;
    ReplayData& r = g_rec.run;
    r.checks.push_back(MakeReplayCheck(HashGameState()));
    r.date = static_cast<int64_t>(std::time(nullptr));
    r.finalScore = player.score;
    r.stageReached = static_cast<uint8_t>(stage_number >= 0 && stage_number < STAGE_COUNT ? stage_number : 0);
    r.endedBy = static_cast<uint8_t>(how);
    r.frames = static_cast<uint32_t>(r.masks.size());
    g_lastRecorded = r;
    // A run in which a continue was used is not kept, as the continue menu says.
    if (g_saving && player.continues == 0) SaveRun(g_lastRecorded);
}

bool ReplaySkipPresent(void) {
    if (!g_play.on) return false;
    if (g_play.mode == REPLAY_VERIFY) return true;
    if (KeyHoldCount(KEY_LCONTROL) > 0) {
        g_play.fastPhase = (g_play.fastPhase + 1) % 4;
        if (g_play.fastPhase != 0) return true;
    }
    DrawTextAt(640 - 62, 6, "REPLAY", MakeColor(255, 255, 255), MakeColor(160, 0, 0));
    return false;
}

// ---- Playback ---------------------------------------------------------------------

bool StartReplay(const ReplayData& replay, int mode, int afterScene) {
    if (replay.masks.empty() || replay.checks.size() != ReplayCheckCount(static_cast<uint32_t>(replay.masks.size())))
        return false;
    g_rec.on = false;
    // Every recorded run began after the title reset (pad bindings, bullet
    // kinds); a replay started from the command line has not had one yet.
    ResetToTitle();
    g_play = Playback{};
    g_play.on = true;
    g_play.mode = mode;
    g_play.afterScene = afterScene;
    g_play.run = replay;
    g_result = ReplayResult{};
    g_result.outcome = REPLAY_RUNNING;
    g_result.frames = static_cast<uint32_t>(replay.masks.size());
    if (replay.start == REPLAY_START_PROLOGUE) {
        g_play.waitingForFirstFrame = true;
        fucn_state = 19;
    } else if (replay.start == REPLAY_START_PRACTICE) {
        // The practice start sets the run up and passes the new-game point,
        // where the recorded start is applied.
        g_play.waitingForNewGame = true;
        BeginPracticeRun(replay.startStage);
    } else {
        g_play.waitingForNewGame = true;
        fucn_state = 27;
    }
    return true;
}

bool StartReplayFile(const std::string& path, int mode, int afterScene, std::string* error) {
    std::vector<unsigned char> bytes;
    if (!ReadWholeFile(path, REPLAY_MAX_FILE, &bytes, error)) return false;
    ReplayData replay;
    if (!DecodeReplay(bytes.data(), bytes.size(), &replay, error)) return false;
    if (replay.masks.empty()) {
        if (error) *error = "the replay has no frames";
        return false;
    }
    if (replay.dataDigest != LogicDataDigest())
        ScreenPrintF("このリプレイは別のステージデータで記録されています (%s)\n", replay.gameVersion);
    return StartReplay(replay, mode, afterScene);
}

bool ReplayPlaying(void) { return g_play.on; }

const ReplayResult& LastReplayResult(void) { return g_result; }

std::string DescribeReplayResult(const ReplayResult& r) {
    char line[160];
    switch (r.outcome) {
    case REPLAY_PASSED:
        std::snprintf(line, sizeof line, "%u frames, final score %d: every check matched", r.frames, r.finalScore);
        break;
    case REPLAY_DESYNC:
        std::snprintf(line, sizeof line, "desync at frame %u: the %s state differs", r.frame, StatePartName(r.part));
        break;
    case REPLAY_STOPPED: std::snprintf(line, sizeof line, "stopped at frame %u", r.frame); break;
    case REPLAY_RUNNING: std::snprintf(line, sizeof line, "running, frame %u", r.frame); break;
    default: std::snprintf(line, sizeof line, "no replay"); break;
    }
    return line;
}

namespace {
// Wall time for the verification's report only; play never reads it.
double MonotonicSeconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}
double g_verifyStart;
}

bool StartReplayFromCommandLine(void) {
    if (g_launch.replayFile.empty()) return false;
    std::string error;
    g_verifyStart = MonotonicSeconds();
    const int mode = g_launch.verify ? REPLAY_VERIFY : REPLAY_WATCH;
    if (StartReplayFile(g_launch.replayFile, mode, 0, &error)) return true;
    if (g_launch.verify) {
        g_result = ReplayResult{};
        g_result.outcome = REPLAY_DESYNC;
        std::fprintf(stderr, "vortalis: %s: %s\n", g_launch.replayFile.c_str(), error.c_str());
    } else {
        ScreenPrintF("%s: %s\n", g_launch.replayFile.c_str(), error.c_str());
    }
    return false;
}

bool FinishReplayFromCommandLine(int* exitCode) {
    if (!g_launch.verify || g_launch.replayFile.empty()) return false;
    if (g_result.outcome == REPLAY_RUNNING || g_result.outcome == REPLAY_IDLE) return false;
    const double seconds = MonotonicSeconds() - g_verifyStart;
    if (g_result.frames > 0)
        std::printf("%s: %s in %.2f s (%.0f frames/s)\n", g_launch.replayFile.c_str(),
                    DescribeReplayResult(g_result).c_str(), seconds, g_result.frame / (seconds > 0 ? seconds : 1e-9));
    std::fflush(stdout);
    *exitCode = g_result.outcome == REPLAY_PASSED ? 0 : 1;
    g_play.on = false;
    return true;
}

// ---- Recording --------------------------------------------------------------------

void BeginRecordedRun(int start, int startStage) {
    g_play.on = false;
    if (start == REPLAY_START_PROLOGUE) {
        stage_number = 0;
        BeginRecording(REPLAY_START_PROLOGUE);
        fucn_state = 19;
    } else {
        g_rec.on = false;
        g_pendingStage = startStage;
        fucn_state = 27;
    }
}

void SetPendingStartStage(int stage) { g_pendingStage = stage; }

bool ReplayRecording(void) { return g_rec.on; }

const ReplayData& LastRecordedRun(void) { return g_lastRecorded; }

const char* LastSavedReplayName(void) { return g_lastSavedName.c_str(); }

void SetReplaySaving(bool on) { g_saving = on; }

uint32_t LogicDataDigest(void) {
    static bool done = false;
    static uint32_t digest = 0;
    if (done) return digest;
    uint32_t h = 2166136261u;
    auto mix = [&h](const unsigned char* p, std::size_t n) {
        for (std::size_t i = 0; i < n; i++) h = (h ^ p[i]) * 16777619u;
    };
    char path[64];
    auto add = [&](const char* name) {
        std::vector<unsigned char> bytes;
        mix(reinterpret_cast<const unsigned char*>(name), std::strlen(name) + 1);
        if (ReadWholeFile(name, 16u << 20, &bytes, nullptr)) mix(bytes.data(), bytes.size());
    };
    for (int s = 0; s < STAGE_COUNT; s++) {
        std::snprintf(path, sizeof path, "dat/csv/storyH%d.csv", s);
        add(path);
    }
    for (int s = 0; s < STAGE_COUNT - 1; s++) {
        std::snprintf(path, sizeof path, "dat/csv/madv_%d.csv", s);
        add(path);
    }
    add("dat/csv/adv1.csv");
    add("dat/csv/adv3.csv");
    digest = h;
    done = true;
    return digest;
}
