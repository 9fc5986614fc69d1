// Game-wide state shared by every floor of the game: the scene machine's plain
// globals (zero at process start), the list of scenes and the stage count.
#pragma once

extern int fucn_state;        // the scene number, one of Scene
extern int scene_timer;       // frames in the current scene; the stage clock during play
extern int frame_counter;     // +1 after every scene step; drives animation and blinking
extern int fade_brightness;   // passed to SetDrawBrightness by the fades and the play field
extern int fade_counter;      // frames of the logo and ending fade
extern int stage_number;      // 0..STAGE_COUNT − 1, shown as stage number + 1

// Every scene fucn_state can hold. The designed game's scenes keep their
// numbers (replays and tests rely on them); the additions' own screens start
// at SCENE_ADDITIONS_FIRST.
enum Scene {
    SCENE_TITLE_RESET = 0,       // music, pad slots, shot graphics and fade back to the title's
    SCENE_LOGO = 1,              // the logo and its fade
    SCENE_TITLE_FADE = 9,        // the title's brightness, then the title menu
    SCENE_TITLE = 10,            // the title menu
    SCENE_PROLOGUE_LOAD = 19,
    SCENE_PROLOGUE = 20,
    SCENE_STORY_PAUSE = 201,     // the prologue's pause menu
    SCENE_NEW_GAME = 27,         // the new-game reset
    SCENE_STAGE_START = 28,      // the stage reset and the stage's timeline
    SCENE_STAGE_CARD = 29,
    SCENE_PLAY = 30,
    SCENE_PLAY_PAUSE = 301,
    SCENE_CONTINUE = 302,        // the continue menu
    SCENE_STAGE_CLEAR = 31,
    SCENE_MAP_STORY_LOAD = 32,
    SCENE_MAP_STORY = 33,
    SCENE_FLY_OFF = 34,
    SCENE_FADE_OUT = 35,
    SCENE_NEXT_STAGE = 36,
    SCENE_EPILOGUE_LOAD = 49,
    SCENE_EPILOGUE = 50,
    SCENE_ENDING_START = 69,
    SCENE_ENDING = 70,
    SCENE_QUIT = 900,            // ends the framework and the program

    SCENE_ADDITIONS_FIRST = 1000,
    SCENE_REPLAY_LIST_OPEN = 1000,   // reads the replays folder, then the list
    SCENE_REPLAY_LIST = 1001,
    SCENE_SETTINGS = 1100,
    SCENE_RECORDS = 1200,
    SCENE_PRACTICE_MENU = 1300,
    SCENE_PRACTICE_CLEARED = 1301,   // a practice stage's boss was beaten
    SCENE_PRACTICE_LOST = 1302,      // a practice run lost its last life
};

// True for the scenes a run passes through, from the prologue to the ending:
// the stories, the stages, their pause and continue menus.
bool IsRunScene(int scene);

// Stages, stage timelines, boss rows and map stories are counted from this
// one number: a stage is added by raising it and adding its data files and
// boss row (docs/architecture.md).
enum { STAGE_COUNT = 5, LAST_STAGE = STAGE_COUNT - 1, MAP_STORIES = STAGE_COUNT - 1 };
enum { STAGE_END_TIME = 8000 };
