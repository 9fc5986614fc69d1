// The seam between the scene machine and the features beside the designed
// game (replays, records, practice, settings and their screens). The shell
// calls these points and nothing else of the features; the program installs
// the features' hooks once at start-up. Any hook may be left out: with none
// installed, every frame is the designed one.
#pragma once

// How a run ended, for the run-ended hook.
enum RunEnd {
    RUN_CLEARED,         // the ending was reached
    RUN_GAME_OVER,       // the continue menu was answered いいえ
    RUN_RETURNED,        // タイトルへ戻る from the play pause menu
    RUN_QUIT,            // 終了する from a pause menu during a run
    RUN_CLOSED,          // the window was closed (or the process told to end) during a run
};

// A title menu entry between スタート and おわる.
struct TitleEntry {
    int (*image)(void);      // graphic handle of the entry's button
    void (*choose)(void);    // Shot on the entry
};

struct ShellHooks {
    // A run: its start at the end of the new-game reset (scene 27), its end
    // (before the scene it leads to runs), and the two turns an addition may
    // take: where scene 31 leads (designed: 32, or 49 after the last stage)
    // and where the last life lost in play leads (designed: 302).
    void (*newGame)(void);
    void (*runEnded)(RunEnd how);
    int (*stageClearScene)(int designed);
    int (*gameOverScene)(int designed);
    // The pad: before the devices are polled, true when a replay supplies the
    // frame's 16-slot held mask instead; after the merge, the mask held.
    bool (*takePad)(unsigned* heldMask);
    void (*padMerged)(unsigned heldMask);
    // The features' own scenes (≥ SCENE_ADDITIONS_FIRST): false when unknown.
    bool (*stepScene)(void);
    // Drawn over the title (scene 10) and the continue menu (302).
    void (*drawMenuExtras)(int scene);
    // The frame tail: true when this frame is neither paced nor presented
    // (fast playback); the frame is drawn (before pacing and present).
    bool (*skipPresent)(void);
    void (*frameDrawn)(void);
    // An overlay that holds the game where it is (the controls screen): true
    // when it takes this frame, which then runs no scene, music or menu, reads
    // no pad and moves no counter; the overlay draws the frame.
    bool (*overlay)(void);
    // The main loop: asked before every frame whether the program is to end
    // with a code of its own; told when the loop is left with the window.
    bool (*exitRequested)(int* exitCode);
    void (*loopLeft)(void);
    // Title menu entries between スタート and おわる, in order.
    const TitleEntry* titleEntries;
    int titleEntryCount;
};

void InstallShellHooks(const ShellHooks& hooks);
const ShellHooks& InstalledShellHooks(void);
