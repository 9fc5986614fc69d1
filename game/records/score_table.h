// The local score table: the ten best finished runs, the highest stage any
// saved run reached, and its text form "scores.txt" (docs/scores.txt). Pure
// data and text: no framework, no files, so the reader can be fuzzed alone.
//
// The reader is strict: any line it does not know, any value out of range,
// more than ten entries or a missing first line make the whole file damaged
// (the caller moves it aside and starts a new table). On failure the output
// table is left untouched.
#pragma once

#include "game/common/game_state.h"

#include <cstddef>
#include <string>

enum {
    SCORE_TABLE_SIZE = 10,
    SCORE_FILE_MAX = 16384,      // bytes; a larger scores.txt is damaged
    SCORE_MAX = 999999999,       // the HUD's nine digits
    SCORE_STAGES = STAGE_COUNT,
    SCORE_CONTINUES_MAX = 3,
    SCORE_SERIAL_MAX = 999999999,
    SCORE_REPLAY_NAME_MAX = 127, // bytes of a replay file name
};

struct ScoreEntry {
    int serial;        // the run's number: 1 for the first run ever ended; the largest is the newest
    int score;         // 0..SCORE_MAX
    int stage;         // 1..5, the stage the run reached (5 when cleared)
    bool cleared;      // the ending was reached
    int continues;     // 0..3
    char date[17];     // local time the run ended, "YYYY-MM-DD HH:MM"
    char replay[SCORE_REPLAY_NAME_MAX + 1];   // replay file beside Log.txt, "" when none was saved
};

struct ScoreTable {
    int count;                                // entries in use
    ScoreEntry entries[SCORE_TABLE_SIZE];     // best first; equal scores keep the older run first
    int reached;                              // 1..5: the highest stage a saved run reached
    int runs;                                 // runs ended so far (serial of the latest)
};

// An empty table: no entries, stage 1 reached, no runs.
ScoreTable EmptyScoreTable(void);

// Reads the text form; false (with a short reason) when the bytes are not a
// well-formed score table, leaving *out untouched.
bool ParseScoreTable(const unsigned char* data, std::size_t size, ScoreTable* out, std::string* why);
// The text form of a table; ParseScoreTable reads it back unchanged.
std::string FormatScoreTable(const ScoreTable& table);

// Counts a finished run: gives it the next serial, raises the stage reached,
// and enters it when it beats the tenth score (or the table is not full).
// Returns the entry's index in the table, or −1 when it did not qualify.
// Fields of run other than the serial are taken as they are, clamped to range.
int EnterScore(ScoreTable* table, const ScoreEntry& run);

// Index of the newest entry (largest serial), or −1 for an empty table.
int NewestScoreEntry(const ScoreTable& table);

// True for a replay name the table may hold: 1..127 bytes of letters, digits,
// '.', '-' and '_', not starting with '.' (a plain file beside Log.txt).
bool IsReplayFileName(const char* name);
