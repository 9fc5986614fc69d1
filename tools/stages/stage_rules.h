// The rules a stage timeline must keep for the game to play it as written, and
// the shared start-up of the stage tools. Used by stage_check, stage_preview and
// the tests; the timeline itself is read with the game's own LoadStoryFile.
#pragma once

#include <string>
#include <vector>

#include "game/enemy/patterns.h"

struct StageProblem {
    int line;                 // 1-based line of the source file
    std::string message;
};

// Starts the framework on the headless platform (files, console, random numbers)
// so that the game's reader and enemy code can run in a tool; 0 on success.
int StartStageTools(void);
void StopStageTools(void);

// Every row of the timeline at `path` that the game would treat badly, in file order.
std::vector<StageProblem> CheckStageFile(const char* path);

// Marks used[p] for every pattern p that a row of the timeline names.
void MarkStagePatterns(const char* path, bool used[ENEMY_PATTERNS]);

// "path:line: message".
std::string FormatStageProblem(const char* path, const StageProblem& problem);
