// The prologue and epilogue runner: a script typed into the large text box over
// a story background with up to three portraits. Called by the scene machine:
// LoadStoryScript in scenes 19 and 49, RunStoryScript in scenes 20 and 50.
#pragma once

#include "game/story/script.h"

// A portrait slot as refreshed from the current row; slot k shows character k.
struct StorySlot {
    int visible, lit, character, expression;
    double x, y;
};

// What the last runner frame drew, kept for tests and previews.
struct StoryView {
    int background;                 // story background index, or −1 when none was drawn
    int portrait[STORY_SLOTS];      // portrait table index, or −1 when the slot drew nothing
    int dimmed[STORY_SLOTS];        // 1 when drawn at brightness 123
    int lines;                      // box lines drawn
    int dot;                        // 1 when the page-end dot was drawn
};

extern Typewriter g_storyWriter;
extern StorySlot g_storySlots[STORY_SLOTS];
extern StoryView g_storyView;

// Reads the script and puts the runner back to its first row with an empty box.
void LoadStoryScript(const char* path);
// One frame: Shot, skip, typing, portraits, box and text; sets fucn_state to
// endScene on the frame that reaches the end marker.
void RunStoryScript(int endScene);
// The typewriter and portraits back to the start of a script (a run that
// begins anew while a story was left part-way).
void ResetStoryRunner(void);
// Portrait table index of character `character` with `expression`, or −1 when
// the character has no such portrait.
int StoryPortraitIndex(int character, int expression);
