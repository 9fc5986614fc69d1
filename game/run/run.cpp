// A run's two ends, and the watching of recorded runs.
#include "game/run/run.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "framework/framework.h"
#include "game/common/assets.h"
#include "game/common/game_state.h"
#include "game/common/language.h"
#include "game/common/notice.h"
#include "game/common/pad.h"
#include "game/launch/launch_options.h"
#include "game/player/boss.h"
#include "game/player/player.h"
#include "game/records/records.h"
#include "game/replay/replay.h"
#include "game/shell/menus.h"
#include "game/shell/music.h"
#include "game/shell/scenes.h"
#include "game/state_hash.h"
#include "game/story/map_story.h"
#include "game/story/story.h"
#include "game/text/texts.h"

// A run's end and the replay header's byte for it are the same numbers.
static_assert(int{RUN_CLEARED} == int{REPLAY_ENDED_CLEARED} && int{RUN_GAME_OVER} == int{REPLAY_ENDED_GAME_OVER} &&
              int{RUN_RETURNED} == int{REPLAY_ENDED_RETURNED} && int{RUN_QUIT} == int{REPLAY_ENDED_QUIT} &&
              int{RUN_CLOSED} == int{REPLAY_ENDED_CLOSED});

namespace {

enum { PRACTICE_LIVES = 3 };

// Everything that belongs to the run going on; cleared at its end.
struct Run {
    bool going;          // from its start to its end
    bool practice;       // a practice stage (recorded or played back)
    bool playback;       // a replay drives it
    bool commandLine;    // the command line's --replay
    int afterScene;      // playback: where it leads when over
    int pendingStage;    // a new game at a chosen stage (tools), −1 for none
};

const Run NO_RUN = {false, false, false, false, SCENE_TITLE_RESET, -1};

Run g_run = NO_RUN;
bool g_saving = true;
bool g_replayMark = true;
std::string g_lastReplayName;

struct CommandLineEnd {
    bool finished;
    int exitCode;
    double started;      // wall time in seconds, for the verdict's line only
};
CommandLineEnd g_commandLine;

// The start of a run the player plays: the pause menus' cursors on their
// first item (a replay does not record where an earlier run left them), the
// map story from its start, and the recording.
void BeginRecordedRun(int start) {
    g_run.going = true;
    ResetPauseCursors();
    ResetMapStoryRunner();
    StartRecording(start);
}

// The run is over: the replay saved unless a continue was used (as the
// continue menu says), the score entered with the name of that replay, and
// nothing of the run kept but that name.
void EndPlayerRun(RunEnd how) {
    std::string saved, error;
    if (FinishRecording(how) && g_saving && player.continues == 0 && !SaveReplay(LastRecordedRun(), &saved, &error))
        Notify(Text(TEXT_REPLAY_NOT_SAVED), error.c_str());
    if (!g_run.practice) {
        ScoreEntry e{};
        e.score = player.score;
        e.stage = stage_number + 1;
        e.cleared = how == RUN_CLEARED;
        e.continues = player.continues;
        std::snprintf(e.replay, sizeof e.replay, "%s", saved.c_str());
        RecordFinishedRun(e);
    }
    g_lastReplayName = saved;
    g_run = NO_RUN;
}

// A run whose scenes were left without an end (only a prologue run can be:
// its story pause menu leads to the title): nothing of it is kept.
void AbandonRun() {
    CancelRecording();
    g_run = NO_RUN;
}

double WallSeconds() {
    std::timespec t{};
    std::timespec_get(&t, TIME_UTC);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

void ReportCommandLineEnd(const ReplayResult& r) {
    const std::string line = DescribeReplayResult(r);
    const double took = WallSeconds() - g_commandLine.started;
    const double seconds = took > 0 ? took : 1e-9;
    if (r.outcome == REPLAY_DESYNC)
        std::fprintf(stderr, "vortalis: %s: %s\n", g_launch.replayFile.c_str(), line.c_str());
    else
        std::printf("%s: %s in %.2f s (%.0f frames/s)\n", g_launch.replayFile.c_str(), line.c_str(), seconds,
                    r.frame / seconds);
    std::fflush(stdout);
    g_commandLine.finished = true;
    g_commandLine.exitCode = r.outcome == REPLAY_DESYNC ? 1 : 0;
}

// Playback is over (a verdict is in): the title-time state comes back and the
// scene named at its start follows; the command line's replay ends the program.
void LeavePlayback() {
    const ReplayResult& r = LastReplayResult();
    if (r.outcome == REPLAY_DESYNC && PlaybackMode() == REPLAY_WATCH)
        Notify(Text(TEXT_REPLAY_STOPPED), DescribeReplayResult(r).c_str());
    EndPlayback();
    SetStoryLanguage(GameLanguage());
    const Run run = g_run;
    g_run = NO_RUN;
    ResetToTitle();
    fade_brightness = 255;
    if (run.commandLine) {
        ReportCommandLineEnd(r);
        fucn_state = SCENE_TITLE_RESET;   // harmless until the loop ends
    } else {
        fucn_state = run.afterScene;
    }
}

// Either end of a practice stage: the run ends (its replay is saved), then the
// title-time state comes back as scene 0 would set it, and the practice menu
// opens again with the cursor still on the stage just played.
void EndPracticeStage(RunEnd how) {
    if (how == RUN_GAME_OVER) ClearBossBullets();
    RunOnEnded(how);
    ResetToTitle();
    fade_brightness = 255;
    SetDrawBrightness(255, 255, 255);
    DrawImageAt(0, 0, g_assets.titleBack, 0);
    fucn_state = SCENE_PRACTICE_MENU;
}

bool SameVersion(const ReplayData& r) { return std::strncmp(r.gameVersion, LaunchVersion(), REPLAY_VERSION_CHARS) == 0; }

} // namespace

// ---- The shell's points ----------------------------------------------------------

void RunOnNewGame(void) {
    if (g_run.playback) {
        const ReplayData& r = PlaybackData();
        if (r.start == REPLAY_START_PROLOGUE) {
            SeedRandom(r.seed);   // the prologue is over; the game starts from the recorded seed again
        } else {
            stage_number = r.startStage;
            ApplyPlaybackStart();
        }
        return;
    }
    if (g_run.going && Recording() && RecordingStart() == REPLAY_START_PROLOGUE) {
        ReseedRecording();
        return;
    }
    if (g_run.pendingStage >= 0) stage_number = g_run.pendingStage;
    g_run.pendingStage = -1;
    BeginRecordedRun(g_run.practice ? REPLAY_START_PRACTICE : REPLAY_START_NEW_GAME);
}

void RunOnEnded(RunEnd how) {
    if (g_run.playback) {
        PlaybackRunEnded();
        return;
    }
    if (g_run.going) EndPlayerRun(how);
}

int RunStageClearScene(int designed) { return g_run.practice ? SCENE_PRACTICE_CLEARED : designed; }

int RunGameOverScene(int designed) { return g_run.practice ? SCENE_PRACTICE_LOST : designed; }

bool RunTakePad(unsigned* heldMask) {
    if (!g_run.playback) {
        if (g_run.going && !IsRunScene(fucn_state)) AbandonRun();
        return false;
    }
    if (PlaybackRunning()) {
        if (!IsRunScene(fucn_state)) StopPlayback(REPLAY_DESYNC, STATE_SCENE);
        else if (PlaybackMode() == REPLAY_WATCH && KeyHoldCount(KEY_ESCAPE) == 1) StopPlayback(REPLAY_STOPPED, -1);
        else if (PlaybackMask(heldMask)) return true;
    }
    LeavePlayback();
    return false;
}

void RunOnPadMerged(unsigned heldMask) {
    if (g_run.playback) PlaybackMerged();
    else RecordFrame(heldMask);
}

bool RunStepScene(void) {
    switch (fucn_state) {
    case SCENE_PRACTICE_CLEARED: EndPracticeStage(RUN_CLEARED); return true;
    case SCENE_PRACTICE_LOST: EndPracticeStage(RUN_GAME_OVER); return true;
    default: return false;
    }
}

bool RunSkipPresent(void) {
    if (!g_run.playback) return false;
    if (PlaybackMode() == REPLAY_VERIFY) return true;
    // The skip key held plays four frames for every one shown.
    static int fastPhase = 0;
    if (KeyHoldCount(KEY_LCONTROL) > 0) {
        fastPhase = (fastPhase + 1) % 4;
        if (fastPhase != 0) return true;
    }
    if (g_replayMark) DrawTextAt(640 - 62, 6, "REPLAY", MakeColor(255, 255, 255), MakeColor(160, 0, 0));
    return false;
}

void RunOnLoopLeft(void) {
    // Closing the window ends a run as 終了する does: its score enters the
    // table and its replay is kept. A replay being watched is not a run.
    if (g_run.going && !g_run.playback) EndPlayerRun(RUN_CLOSED);
}

// ---- Starting runs -----------------------------------------------------------------

void BeginPracticeRun(int stage) {
    if (stage < 0 || stage >= STAGE_COUNT) stage = 0;
    g_run.practice = true;
    ResetNewGame();
    stage_number = stage;
    player.power = PLAYER_POWER_MAX;
    player.lives = PRACTICE_LIVES;
    CueStageMusic();
    RunOnNewGame();
    fucn_state = SCENE_STAGE_START;
}

void BeginPrologueRun(void) {
    ResetToTitle();
    ClearPlayState();
    ResetStoryRunner();
    stage_number = 0;
    g_run = NO_RUN;
    BeginRecordedRun(REPLAY_START_PROLOGUE);
    CuePrologueMusic();
    fucn_state = SCENE_PROLOGUE_LOAD;
}

void BeginNewGameAt(int stage) {
    CancelRecording();
    g_run = NO_RUN;
    g_run.pendingStage = stage >= 0 && stage < STAGE_COUNT ? stage : 0;
    fucn_state = SCENE_NEW_GAME;
}

bool WatchReplay(const ReplayData& replay, int mode, int afterScene, std::string* error) {
    if (g_run.going && !g_run.playback) AbandonRun();
    if (replay.language >= LANGUAGES) {
        *error = "the replay names a language this game does not have";
        return false;
    }
    if (!StartPlayback(replay, mode)) {
        *error = "the replay's check values do not fit its frames";
        return false;
    }
    if (!SameVersion(replay))
        Notify(Text(TEXT_REPLAY_OTHER_VERSION), replay.gameVersion[0] ? replay.gameVersion : "?",
               LaunchVersion());
    if (replay.dataDigest != LogicDataDigest())
        Notify(Text(TEXT_REPLAY_OTHER_DATA), replay.gameVersion);
    // Every recorded run began after the title reset (pad bindings, bullet
    // kinds), with the pause menus' cursors on their first item and the
    // stories at their start.
    ResetToTitle();
    ResetPauseCursors();
    ResetStoryRunner();
    ResetMapStoryRunner();
    g_run = NO_RUN;
    g_run.going = true;
    g_run.playback = true;
    g_run.commandLine = afterScene == RUN_AFTER_EXIT;
    g_run.afterScene = afterScene;
    g_commandLine = CommandLineEnd{};
    g_commandLine.started = WallSeconds();
    // The run's story in the language it was played in, whatever the menus' is.
    SetStoryLanguage(replay.language);
    switch (replay.start) {
    case REPLAY_START_PROLOGUE:
        ClearPlayState();
        stage_number = replay.startStage;
        CuePrologueMusic();
        fucn_state = SCENE_PROLOGUE_LOAD;
        break;
    case REPLAY_START_PRACTICE:
        BeginPracticeRun(replay.startStage);
        break;
    default:
        CueStageMusic();
        fucn_state = SCENE_NEW_GAME;
        break;
    }
    return true;
}

bool WatchReplayFile(const std::string& path, int mode, int afterScene, std::string* error) {
    ReplayData replay;
    return LoadReplayFile(path, &replay, error) && WatchReplay(replay, mode, afterScene, error);
}

// ---- What the others may ask -------------------------------------------------------

bool RunGoing(void) { return g_run.going; }

bool RunPlayingBack(void) { return g_run.playback; }

bool RunIsPractice(void) { return g_run.practice; }

bool CommandLineReplayFinished(int* exitCode) {
    if (!g_commandLine.finished) return false;
    *exitCode = g_commandLine.exitCode;
    return true;
}

void ForgetRun(void) {
    CancelRecording();
    SetStoryLanguage(GameLanguage());
    if (PlaybackOn()) EndPlayback();
    g_run = NO_RUN;
    g_commandLine = CommandLineEnd{};
    g_lastReplayName.clear();
}

void SetReplaySaving(bool on) { g_saving = on; }

void ShowReplayMark(bool shown) { g_replayMark = shown; }

const std::string& LastRunReplayName(void) { return g_lastReplayName; }
