// Replays: recording every run from the new-game reset to its end, saving it
// under replays/ beside Log.txt, and playing a saved run back through the pad
// merge with its check values compared every 60 frames. The scene machine
// reaches this module only through game/extensions.cpp.
#pragma once

#include <cstdint>
#include <string>

#include "game/replay/replay_file.h"

enum { REPLAY_LIST_SCENE = 1000 };   // the list of saved replays (game/replay/replay_list.cpp)

// ---- The extension points -------------------------------------------------------
void ReplayOnNewGame(int start);          // after the new-game reset (and the start stage is set); a ReplayStart
bool ReplayTakePad(unsigned* heldMask);   // playback: this frame's mask in place of the devices
void ReplayOnPadMerged(unsigned heldMask);
void ReplayOnRunEnded(int how);           // a RunEnd
bool ReplaySkipPresent(void);             // fast playback; draws the REPLAY mark otherwise

// ---- Playback ---------------------------------------------------------------------
enum ReplayMode {
    REPLAY_WATCH,      // in the window; Esc or the end leads to `after`
    REPLAY_VERIFY,     // headless, nothing presented; the main loop asks ReplayFinished
};
enum ReplayOutcome { REPLAY_IDLE, REPLAY_RUNNING, REPLAY_PASSED, REPLAY_DESYNC, REPLAY_STOPPED };

struct ReplayResult {
    int outcome = REPLAY_IDLE;
    uint32_t frame = 0;        // frames played; for a desync, the frame where it showed
    int part = -1;             // StatePart that differed first (desync), or −1
    int32_t finalScore = 0;
    uint32_t frames = 0;       // the replay's length
};

// Loads a replay and starts it at once (sets fucn_state). `afterScene` is where
// watching leads when it ends or is left. False with a reason when the file is refused.
bool StartReplayFile(const std::string& path, int mode, int afterScene, std::string* error);
bool StartReplay(const ReplayData& replay, int mode, int afterScene);
bool ReplayPlaying(void);
const ReplayResult& LastReplayResult(void);
// "frame N: the <part> state differs" (or the outcome in words) for messages.
std::string DescribeReplayResult(const ReplayResult& result);

// --replay FILE: watch it (then the title), or with --verify check it headless;
// the refusal or the verdict goes to the console or to stdout/stderr.
bool StartReplayFromCommandLine(void);
bool FinishReplayFromCommandLine(int* exitCode);   // true once a verification has ended

// ---- Recording --------------------------------------------------------------------
// Starts a recorded run from outside the title menu (tools, practice): sets
// fucn_state to the start's scene; the new game then begins at startStage.
void BeginRecordedRun(int start, int startStage);
// The stage a run started with BeginRecordedRun, for the new-game reset to
// apply (−1 when none is pending). Practice starts set it the same way.
void SetPendingStartStage(int stage);
bool ReplayRecording(void);
// The last finished recording, saved or not (tools write it where they like).
const ReplayData& LastRecordedRun(void);
// File name (under replays/) of the last replay saved, "" when none was saved
// in this process. Records use it to link a score to its replay.
const char* LastSavedReplayName(void);
// Saving to disk after every finished run without a continue; on by default,
// tools switch it off.
void SetReplaySaving(bool on);

// FNV-1a of the logic data a run reads: every stage timeline and story script.
uint32_t LogicDataDigest(void);
