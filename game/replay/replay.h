// Replays: the recorder keeps a run's seed, start and the pad's held mask of
// every frame (plus the rare hold counts the mask cannot give and a check of
// the game state every 60 frames); the player feeds the masks back through the
// pad merge and compares the checks. When a run begins and ends is decided by
// game/run/, which calls these at those points; nothing here changes the scene.
#pragma once

#include <cstdint>
#include <string>

#include "game/replay/replay_file.h"

// ---- Recording --------------------------------------------------------------------
// Starts recording a run from the state now (start stage, frame counter, pad
// hold counts) with a fresh seed, which it gives the random generator.
void StartRecording(int start);
bool Recording(void);
int RecordingStart(void);               // the ReplayStart of the run being recorded
// Before a prologue start reaches the new-game reset: the generator is given
// the recorded seed again, as playback does there.
void ReseedRecording(void);
void RecordFrame(unsigned heldMask);     // after the pad merge of every frame
// Ends the recording: takes the final check and the result (how is a ReplayEnd)
// and keeps the run as LastRecordedRun. False when nothing was being recorded
// (never started, or stopped at the recording cap).
bool FinishRecording(int how);
void CancelRecording(void);
const ReplayData& LastRecordedRun(void);
// Writes a replay under replays/ beside Log.txt with a name of its own time;
// true with the file name, or false with the reason.
bool SaveReplay(const ReplayData& replay, std::string* name, std::string* error);

// ---- Playback ---------------------------------------------------------------------
enum ReplayMode {
    REPLAY_WATCH,      // in the window, with the REPLAY mark; Esc stops it
    REPLAY_VERIFY,     // headless, nothing presented
};
enum ReplayOutcome { REPLAY_IDLE, REPLAY_RUNNING, REPLAY_PASSED, REPLAY_DESYNC, REPLAY_STOPPED };

struct ReplayResult {
    int outcome = REPLAY_IDLE;
    uint32_t frame = 0;        // frames played; for a desync, the frame where it showed
    int part = -1;             // StatePart that differed first (desync), or −1
    int32_t finalScore = 0;
    uint32_t frames = 0;       // the replay's length
    char recordedBy[REPLAY_VERSION_CHARS] = {};   // the game version that recorded it
};

// Reads and checks a replay file; false with a reason (without the path).
bool LoadReplayFile(const std::string& path, ReplayData* out, std::string* error);
// Starts feeding a replay; the caller sets the run's scene. False (nothing
// changes) when the replay has no frames or its checks do not fit.
bool StartPlayback(const ReplayData& replay, int mode);
bool PlaybackOn(void);                   // from the start until the run has left playback
bool PlaybackRunning(void);              // no verdict yet
int PlaybackMode(void);
const ReplayData& PlaybackData(void);
// The run's recorded start (seed, frame counter, hold counts, pause cursors'
// reset is the caller's), applied where the recorded run began.
void ApplyPlaybackStart(void);
// Before the devices are polled: the frame's mask (true), or false once a
// verdict is in (then the devices are polled as usual).
bool PlaybackMask(unsigned* heldMask);
void PlaybackMerged(void);               // after the merge: count fixes, next frame
void PlaybackRunEnded(void);             // the recorded run's end: the final check gives the verdict
// Stops with a verdict of the caller's: REPLAY_STOPPED (the player left), or
// REPLAY_DESYNC with the part (the run left its scenes).
void StopPlayback(int outcome, int part);
void EndPlayback(void);                  // playback is over and left
uint32_t PlaybackFrame(void);            // frames fed so far
const ReplayResult& LastReplayResult(void);
// "desync at frame N: the <part> state differs (recorded by vortalis 1.0.0,
// played by vortalis 1.1.0)", or the outcome in words, for messages.
std::string DescribeReplayResult(const ReplayResult& result);

// FNV-1a of the logic data a run reads: every stage timeline and story script.
uint32_t LogicDataDigest(void);
