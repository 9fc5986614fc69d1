// The replays folder as a list: one header read per file, newest first.
#pragma once

#include <string>
#include <vector>

#include "game/replay/replay_file.h"

struct ReplayListEntry {
    std::string name;     // file name under replays/
    bool readable;
    std::string problem;  // why it cannot be played, when not readable
    ReplayData header;    // header fields (frames, score, stages, date) when readable
};

// Reads every replay's header in the folder, newest first; unreadable files
// are listed with their problem.
std::vector<ReplayListEntry> ReadReplayList(const std::string& folder);
// The order of saved names, newest first: "replay-<date>-<time>.vrp" by date
// and time, then a second file of the same second ("-2", "-3", … "-10") after
// the first. True when a comes before b.
bool NewerReplayName(const std::string& a, const std::string& b);
// "2026-12-08 17:20  score 12345  stage 3  4:05" for a readable entry, or the
// name and its problem.
std::string DescribeReplayEntry(const ReplayListEntry& e);
