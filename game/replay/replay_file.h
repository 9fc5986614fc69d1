// The replay file: what a run needs to be played again (seed, start, the pad's
// held mask of every frame, rare hold-count fixes) and the check values that
// tell a faithful playback from a desync. docs/replay-format.md describes the
// bytes. Encoding and decoding are pure functions of memory, so the reader can
// be fuzzed; the reader refuses anything it cannot fully trust with a reason.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/state_hash.h"

enum {
    REPLAY_FORMAT_VERSION = 1,
    REPLAY_HEADER_SIZE = 152,
    REPLAY_PAD_SLOTS = 16,
    REPLAY_CHECK_INTERVAL = 60,            // frames between two check values
    REPLAY_MAX_FRAMES = 60 * 60 * 60 * 6,  // six hours of play
    REPLAY_MAX_FILE = 8 << 20,             // larger files are refused unread
    REPLAY_VERSION_CHARS = 24,
};

// Where a recorded run begins.
enum ReplayStart {
    REPLAY_START_NEW_GAME = 0,   // the new-game reset (scene 27), at the header's start stage
    REPLAY_START_PROLOGUE = 1,   // the prologue script (scene 19), then the new game
    REPLAY_START_PRACTICE = 2,   // a practice run of the start stage: full power, no story
};

// How the recorded run ended (the header's byte 51).
enum ReplayEnd {
    REPLAY_ENDED_CLEARED = 0,    // the ending
    REPLAY_ENDED_GAME_OVER = 1,  // いいえ on the continue menu, or a practice run's last life
    REPLAY_ENDED_RETURNED = 2,   // タイトルへ戻る from the pause menu
    REPLAY_ENDED_QUIT = 3,       // 終了する from the pause menu
    REPLAY_ENDED_CLOSED = 4,     // the window closed: playback passes when the frames run out with the last check
};

// A hold count the held mask alone would not give: the keyboard and the pad
// both feed a slot and the longer hold changed hands. Applied after the mask.
struct ReplayCountFix {
    uint32_t frame;
    uint8_t slot;
    int32_t count;
};

// A check value as the file keeps it: a 32-bit hash of the whole state, which
// finds a desync at the first check, and one byte per part, which names the
// part that differs.
struct ReplayCheck {
    uint32_t all = 0;
    uint8_t part[STATE_PARTS] = {};
};

ReplayCheck MakeReplayCheck(const StateHash& state);
// −1 when the state matches the check; else the first part whose byte differs,
// or STATE_PARTS when only the whole-state hash does.
int CheckMismatch(const ReplayCheck& check, const StateHash& state);

struct ReplayData {
    char gameVersion[REPLAY_VERSION_CHARS] = {};   // "vortalis 1.0.0", NUL-padded
    int64_t date = 0;                // seconds since 1970 (UTC) when the run ended
    uint32_t seed = 0;               // the generator's seed at the new-game reset
    uint32_t dataDigest = 0;         // FNV-1a of the stage timelines and scripts
    uint8_t start = REPLAY_START_NEW_GAME;
    uint8_t startStage = 0;          // 0..4
    uint8_t stageReached = 0;        // 0..4
    uint8_t endedBy = 0;             // ReplayEnd
    int32_t finalScore = 0;
    int32_t startFrameCounter = 0;   // the frame counter when the run began
    int32_t startCounts[REPLAY_PAD_SLOTS] = {};   // pad hold counts when the run began
    uint8_t language = 0;            // the story's Language (0 Japanese, 1 English): its pages take their frames
    uint32_t frames = 0;             // length of the run (decoding fills it; encoding uses masks)
    std::vector<uint16_t> masks;     // held mask of every frame of the run
    std::vector<ReplayCountFix> fixes;            // in frame order
    std::vector<ReplayCheck> checks; // at frames 60, 120, …, then one at the run's end
};

// Checks a run of n frames carries: one per 60 frames before its last, plus
// the final one.
uint32_t ReplayCheckCount(uint32_t frames);

std::vector<unsigned char> EncodeReplay(const ReplayData& replay);
// True with *out filled, or false with a one-line reason in *error. headerOnly
// reads the header and checks the file's sums without unpacking the frames
// (masks, fixes and checks stay empty; frames is set).
bool DecodeReplay(const unsigned char* data, std::size_t size, ReplayData* out, std::string* error,
                  bool headerOnly = false);
