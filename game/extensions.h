// The points where the additions beside the designed game (replays, settings,
// records, practice) meet the scene machine. The shell calls these and nothing
// else of them; game/extensions.cpp routes each point to the modules that use
// it. With nothing recorded, replayed or set, every point leaves the designed
// frame untouched.
#pragma once

// How a run ended, for OnRunEnded.
enum RunEnd {
    RUN_CLEARED,         // the ending was reached
    RUN_GAME_OVER,       // the continue menu was answered いいえ
    RUN_RETURNED,        // タイトルへ戻る from the play pause menu
    RUN_QUIT,            // 終了する from a pause menu during a run
    RUN_CLOSED,          // the window was closed (or the process told to end) during a run
};

// First scene number of the additions' own screens; the designed scenes are
// all below it.
enum { EXTENSION_SCENE_FIRST = 1000 };

void OnNewGame(void);                  // end of the new-game reset (scene 27)
// Just before the devices are polled: true when a replay supplies this
// frame's 16-slot held mask instead (the devices are then not merged).
bool TakeReplayedPad(unsigned* heldMask);
void OnPadMerged(unsigned heldMask);   // after the merge, with the frame's held mask
void OnRunEnded(RunEnd how);           // a run ends (before the scene it leads to runs)
bool StepExtensionScene(void);         // the step of a scene >= EXTENSION_SCENE_FIRST; false if unknown
bool SkipPresent(void);                // true: this frame is not paced nor presented (fast playback)
void OnFrameDrawn(void);               // the frame is drawn, before pacing and present (hot keys)
void OnMainLoopLeft(void);             // the window closed: a run still going ends here

// Where the scene machine goes next at two turns of a run; each returns the
// designed scene unless an addition (stage practice) takes the turn.
int StageClearScene(int designed);     // scene 31 is over (designed: 32, or 49 after the last stage)
int GameOverScene(int designed);       // the last life is lost in play (designed: 302, the continue menu)
// Drawn over the title screen (scene 10) and the continue menu (302), after
// the designed drawing of that frame.
void DrawMenuExtras(int scene);
// The command line's --replay FILE [--verify], after the assets are loaded:
// starts the replay (false when there is none to start). After every frame,
// LaunchReplayFinished tells whether a verification has ended and the exit code.
bool StartLaunchReplay(void);
bool LaunchReplayFinished(int* exitCode);

// Title menu entries between スタート and おわる, in order.
int TitleExtensionCount(void);
int TitleExtensionImage(int index);    // graphic handle of the entry's button
void ChooseTitleExtension(int index);  // Shot on the entry

// What the records need from the replays. Until replays are wired in these say
// that no replay exists: LastSavedReplay gives the file name (beside Log.txt)
// of the replay saved by the run end being reported, "" when none was saved;
// PlayReplayFile starts playing one (false when it cannot); ReplayIsPlaying is
// true while a replay, not the player, drives the game.
const char* LastSavedReplay(void);
bool PlayReplayFile(const char* path);
bool ReplayIsPlaying(void);
