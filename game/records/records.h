// The score table in play: "scores.txt" beside Log.txt, read once when first
// needed and rewritten atomically after every finished run, so a failed write
// costs a notice and the table still shows the run until the game ends.
//
// A file that is there but cannot be read is left alone, and so is a damaged
// one that cannot be moved aside: no table is written that session. A damaged
// file is kept as scores.txt.bad (then scores.txt.2.bad, … never replacing an
// earlier one) and a new table starts.
#pragma once

#include "game/records/score_table.h"

// Enters a finished run (its score, stage, continues, the replay it saved or
// "") with the time now, then writes scores.txt.
void RecordFinishedRun(const ScoreEntry& run);
const ScoreTable& ScoresInPlay(void);   // read on first use
int BestScore(void);                    // the top score, or −1 while the table is empty
int HighestStageReached(void);          // 1..STAGE_COUNT: the highest stage a finished run reached
// Drops the table held in memory: the next use reads scores.txt again, as a
// new start of the game would.
void ForgetRecords(void);
