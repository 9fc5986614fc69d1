// The map story between stages: a short script typed into the small text box
// over the frozen play field. Called by the scene machine: LoadMapStory in
// scene 32, RunMapStory in scene 33 after the play-field drawing.
#pragma once

#include "game/story/script.h"

enum { MAP_SLOTS = 2 };

struct MapSlot {
    int shown, expression;
};

struct MapView {
    int portrait[MAP_SLOTS];   // map portrait index, or −1 when the slot drew nothing
    int lines;                 // box lines drawn
    int dot;                   // 1 when the page-end dot was drawn
};

extern Typewriter g_mapWriter;
extern MapSlot g_mapSlots[MAP_SLOTS];
extern MapView g_mapView;

// Reads "dat/csv/madv_<stage number>.csv" and puts the runner back to its start.
void LoadMapStory(void);
// One frame; sets fucn_state to 34 on the frame that reaches the end marker.
void RunMapStory(void);
// The typewriter and portraits back to the start of a script.
void ResetMapStoryRunner(void);
// Map portrait index of slot `slot` with `expression`, or −1 when there is none.
int MapPortraitIndex(int slot, int expression);
