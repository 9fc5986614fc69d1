// Recording and playback. A run is a function of the seed and the pad's held
// mask of every frame: the recorder keeps both (plus the rare hold counts the
// mask cannot give and a state hash every 60 frames), the player feeds the
// masks back through the pad merge and compares the hashes.
#include "game/replay/replay.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "framework/framework.h"
#include "game/common/game_state.h"
#include "game/common/language.h"
#include "game/common/pad.h"
#include "game/files/player_files.h"
#include "game/launch/launch_options.h"
#include "game/player/player.h"
#include "game/state_hash.h"

namespace {

enum { RESERVED_FRAMES = 60 * 60 * 90 };   // masks reserved at the start: 90 minutes, so play never allocates

struct Recorder {
    bool on = false;
    ReplayData run;
    int32_t counts[REPLAY_PAD_SLOTS] = {};   // the slots' counts after the last recorded frame
};

struct Playback {
    bool on = false;
    bool waitingForNewGame = false;    // a new-game start applies its state at the reset
    bool waitingForFirstFrame = false; // a prologue start applies it at the top of its first frame
    int mode = REPLAY_WATCH;
    ReplayData run;
    uint32_t next = 0;                 // frames fed so far
    std::size_t fix = 0;
};

Recorder g_rec;
Playback g_play;
ReplayResult g_result;
ReplayData g_lastRecorded;

int32_t CountAfter(int32_t previous, bool held) {
    if (!held) return 0;
    return previous < INT_MAX ? previous + 1 : previous;
}

void CopyVersion(char* out) {
    std::memset(out, 0, REPLAY_VERSION_CHARS);
    std::snprintf(out, REPLAY_VERSION_CHARS, "%s", LaunchVersion());
}

void SetVerdict(int outcome, int part) {
    g_result.outcome = outcome;
    g_result.frame = g_play.next;
    g_result.part = part;
    g_result.finalScore = player.score;
}

} // namespace

// ---- Recording --------------------------------------------------------------------

void StartRecording(int start) {
    ReplayData& r = g_rec.run;
    r = ReplayData{};
    r.masks.reserve(RESERVED_FRAMES);
    r.checks.reserve(static_cast<int>(RESERVED_FRAMES) / static_cast<int>(REPLAY_CHECK_INTERVAL) + 1);
    CopyVersion(r.gameVersion);
    r.seed = NewRunSeed();
    r.dataDigest = LogicDataDigest();
    r.start = static_cast<uint8_t>(start);
    r.startStage = static_cast<uint8_t>(stage_number);
    r.language = static_cast<uint8_t>(StoryLanguage());
    r.startFrameCounter = frame_counter;
    for (int i = 0; i < REPLAY_PAD_SLOTS; i++) r.startCounts[i] = g_rec.counts[i] = CheckStatePad(i);
    SeedRandom(r.seed);
    g_rec.on = true;
}

bool Recording(void) { return g_rec.on; }

int RecordingStart(void) { return g_rec.run.start; }

void ReseedRecording(void) {
    if (g_rec.on) SeedRandom(g_rec.run.seed);
}

void RecordFrame(unsigned heldMask) {
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

bool FinishRecording(int how) {
    if (!g_rec.on) return false;
    g_rec.on = false;
    ReplayData& r = g_rec.run;
    r.checks.push_back(MakeReplayCheck(HashGameState()));
    r.date = static_cast<int64_t>(std::time(nullptr));
    r.finalScore = player.score;
    r.stageReached = static_cast<uint8_t>(stage_number >= 0 && stage_number < STAGE_COUNT ? stage_number : 0);
    r.endedBy = static_cast<uint8_t>(how);
    r.frames = static_cast<uint32_t>(r.masks.size());
    g_lastRecorded = r;
    return true;
}

void CancelRecording(void) { g_rec.on = false; }

const ReplayData& LastRecordedRun(void) { return g_lastRecorded; }

bool SaveReplay(const ReplayData& replay, std::string* name, std::string* error) {
    const std::vector<unsigned char> bytes = EncodeReplay(replay);
    if (bytes.empty()) {
        *error = "encoding failed";
        return false;
    }
    const std::string file = NewTimestampName("replays", "replay", ".vrp");
    if (!WriteFileAtomic(PlayerFilePath("replays", file), bytes.data(), bytes.size(), error)) return false;
    *name = file;
    return true;
}

// ---- Playback ---------------------------------------------------------------------

bool LoadReplayFile(const std::string& path, ReplayData* out, std::string* error) {
    std::vector<unsigned char> bytes;
    if (ReadWholeFile(path, REPLAY_MAX_FILE, &bytes, error) != READ_OK) return false;
    if (!DecodeReplay(bytes.data(), bytes.size(), out, error)) return false;
    if (out->masks.empty()) {
        *error = "the replay has no frames";
        return false;
    }
    return true;
}

bool StartPlayback(const ReplayData& replay, int mode) {
    if (replay.masks.empty() || replay.checks.size() != ReplayCheckCount(static_cast<uint32_t>(replay.masks.size())))
        return false;
    g_rec.on = false;
    g_play = Playback{};
    g_play.on = true;
    g_play.mode = mode;
    g_play.run = replay;
    g_play.waitingForFirstFrame = replay.start == REPLAY_START_PROLOGUE;
    g_play.waitingForNewGame = !g_play.waitingForFirstFrame;
    g_result = ReplayResult{};
    g_result.outcome = REPLAY_RUNNING;
    g_result.frames = static_cast<uint32_t>(replay.masks.size());
    std::memcpy(g_result.recordedBy, replay.gameVersion, REPLAY_VERSION_CHARS);
    return true;
}

bool PlaybackOn(void) { return g_play.on; }

bool PlaybackRunning(void) { return g_play.on && g_result.outcome == REPLAY_RUNNING; }

int PlaybackMode(void) { return g_play.mode; }

const ReplayData& PlaybackData(void) { return g_play.run; }

void ApplyPlaybackStart(void) {
    const ReplayData& r = g_play.run;
    SeedRandom(r.seed);
    frame_counter = r.startFrameCounter;
    for (int i = 0; i < REPLAY_PAD_SLOTS; i++) SetPadCount(i, r.startCounts[i]);
    g_play.waitingForNewGame = g_play.waitingForFirstFrame = false;
}

bool PlaybackMask(unsigned* heldMask) {
    if (!PlaybackRunning()) return false;
    *heldMask = 0;
    if (g_play.waitingForNewGame) return true;
    if (g_play.waitingForFirstFrame) ApplyPlaybackStart();
    const uint32_t n = g_play.next;
    const ReplayData& r = g_play.run;
    if (n >= r.masks.size()) {
        // A run ended by closing the window stops after its last frame, where
        // the final check was taken; any other had ended by now in the game.
        const int part = r.endedBy == REPLAY_ENDED_CLOSED ? CheckMismatch(r.checks.back(), HashGameState()) : STATE_SCENE;
        SetVerdict(part >= 0 ? REPLAY_DESYNC : REPLAY_PASSED, part);
        return false;
    }
    if (n > 0 && n % REPLAY_CHECK_INTERVAL == 0) {
        const int part = CheckMismatch(r.checks[n / REPLAY_CHECK_INTERVAL - 1], HashGameState());
        if (part >= 0) {
            SetVerdict(REPLAY_DESYNC, part);
            return false;
        }
    }
    *heldMask = r.masks[n];
    return true;
}

void PlaybackMerged(void) {
    if (!PlaybackRunning() || g_play.waitingForNewGame) return;
    const std::vector<ReplayCountFix>& fixes = g_play.run.fixes;
    while (g_play.fix < fixes.size() && fixes[g_play.fix].frame == g_play.next) {
        SetPadCount(fixes[g_play.fix].slot, fixes[g_play.fix].count);
        g_play.fix++;
    }
    g_play.next++;
}

void PlaybackRunEnded(void) {
    if (!PlaybackRunning()) return;
    const ReplayData& r = g_play.run;
    const int part = CheckMismatch(r.checks.back(), HashGameState());
    if (part >= 0 || g_play.next != r.masks.size()) SetVerdict(REPLAY_DESYNC, part >= 0 ? part : STATE_SCENE);
    else SetVerdict(REPLAY_PASSED, -1);
}

void StopPlayback(int outcome, int part) {
    if (PlaybackRunning()) SetVerdict(outcome, part);
}

void EndPlayback(void) { g_play.on = false; }

uint32_t PlaybackFrame(void) { return g_play.next; }

const ReplayResult& LastReplayResult(void) { return g_result; }

std::string DescribeReplayResult(const ReplayResult& r) {
    char line[240];
    switch (r.outcome) {
    case REPLAY_PASSED:
        std::snprintf(line, sizeof line, "%u frames, final score %d: every check matched", r.frames, r.finalScore);
        break;
    case REPLAY_DESYNC:
        std::snprintf(line, sizeof line, "desync at frame %u: the %s state differs (recorded by %s, played by %s)",
                      r.frame, StatePartName(r.part), r.recordedBy[0] ? r.recordedBy : "an unknown version",
                      LaunchVersion());
        break;
    case REPLAY_STOPPED: std::snprintf(line, sizeof line, "stopped at frame %u", r.frame); break;
    case REPLAY_RUNNING: std::snprintf(line, sizeof line, "running, frame %u", r.frame); break;
    default: std::snprintf(line, sizeof line, "no replay"); break;
    }
    return line;
}

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
        if (ReadWholeFile(name, 16u << 20, &bytes, nullptr) == READ_OK) mix(bytes.data(), bytes.size());
    };
    for (int s = 0; s < STAGE_COUNT; s++) {
        std::snprintf(path, sizeof path, "dat/csv/storyH%d.csv", s);
        add(path);
    }
    for (int s = 0; s < MAP_STORIES; s++) {
        std::snprintf(path, sizeof path, "dat/csv/madv_%d.csv", s);
        add(path);
    }
    add("dat/csv/adv1.csv");
    add("dat/csv/adv3.csv");
    digest = h;
    done = true;
    return digest;
}
