// Runs: the one place where a run begins and the one where it ends.
//
// A run begins at the new-game reset (a game from スタート), at a practice
// stage's start, or where a replay being watched or verified began. At its
// start every record the replay check covers is set: from the replay when one
// is played back, fresh otherwise. A run ends at the ending, the continue
// menu's いいえ, a pause menu's タイトルへ戻る or 終了する, a practice stage's
// end, the window closing, or when a playback stops or fails. At its end the
// replay is saved, the score entered with the name of the replay actually
// saved (or none), and every per-run name and flag cleared. Playback never
// saves, enters or writes anything, and stays inside the run's scenes: one
// that leaves them ends as a desync naming the frame.
#pragma once

#include <string>

#include "game/replay/replay_file.h"
#include "game/shell/hooks.h"

// Where a watched replay leads when it ends: the program ends (the command
// line's --replay).
enum { RUN_AFTER_EXIT = -1 };

// ---- The shell's points (installed as its hooks) -------------------------------
void RunOnNewGame(void);
void RunOnEnded(RunEnd how);
int RunStageClearScene(int designed);
int RunGameOverScene(int designed);
bool RunTakePad(unsigned* heldMask);
void RunOnPadMerged(unsigned heldMask);
bool RunStepScene(void);                 // a practice run's end scenes
bool RunSkipPresent(void);               // fast playback; draws the REPLAY mark otherwise
void RunOnLoopLeft(void);                // the window closed: a run still going ends

// ---- Starting runs -----------------------------------------------------------------
// A practice run of stage (0-based): the new-game reset, full power, 3 lives,
// no story, from the stage card; its end leads back to the practice menu.
void BeginPracticeRun(int stage);
// A run recorded from the prologue (tools that make replays): the title-time
// state of a fresh start, then scene 19.
void BeginPrologueRun(void);
// A new game that starts at the given stage's card (tools that make replays).
void BeginNewGameAt(int stage);
// Watches (mode REPLAY_WATCH) or verifies (REPLAY_VERIFY) a replay: the run
// starts at once; afterScene is where it leads when it ends or is stopped
// (RUN_AFTER_EXIT: the program ends). False with a reason when it cannot start.
bool WatchReplay(const ReplayData& replay, int mode, int afterScene, std::string* error);
bool WatchReplayFile(const std::string& path, int mode, int afterScene, std::string* error);

// ---- What the others may ask -------------------------------------------------------
bool RunGoing(void);                     // from a run's start to its end
bool RunPlayingBack(void);               // a replay, not the player, drives the run
bool RunIsPractice(void);
// The command line's playback has ended: true with the exit code (0 passed or
// stopped, 1 a desync or a replay that could not start).
bool CommandLineReplayFinished(int* exitCode);
// Drops a run going without ending it, as a new start of the game would.
void ForgetRun(void);
// The REPLAY mark over a watched replay; shown by default, tools that take
// pictures of play switch it off.
void ShowReplayMark(bool shown);
// Saving replays after every run; on by default, tools switch it off.
void SetReplaySaving(bool on);
// The file name under replays/ of the replay the last finished run saved, ""
// when it saved none.
const std::string& LastRunReplayName(void);
