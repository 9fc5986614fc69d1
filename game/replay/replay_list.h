// The title menu's "リプレイ" entry and the list of saved replays it opens
// (scenes 1000 and 1001): newest first, scrolled with the arrows, Shot plays the
// chosen one, the pause key goes back to the title.
#pragma once

#include <string>
#include <vector>

#include "game/replay/replay_file.h"

enum { REPLAY_LIST_SHOWN = 12 };   // rows on the screen at once

struct ReplayListEntry {
    std::string name;     // file name under replays/
    bool readable;
    std::string problem;  // why it cannot be played, when not readable
    ReplayData header;    // header fields (frames, score, stages, date) when readable
};

int ReplayTitleImage(void);      // the entry's button, loaded on first use
void OpenReplayList(void);       // the entry chosen: scene 1000
bool StepReplayScene(void);      // scenes 1000..1099; false for a number it does not know
// Reads every replay's header in the folder, newest first; unreadable files
// are listed with their problem.
std::vector<ReplayListEntry> ReadReplayList(const std::string& folder);
// "2026-12-08 17:20  score 12345  stage 3  4:05" for a readable entry, or the
// name and its problem.
std::string DescribeReplayEntry(const ReplayListEntry& e);
