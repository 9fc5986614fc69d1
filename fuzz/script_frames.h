// Shared by the two script targets: a menu font for the runners' text, checks
// on the table the reader filled, and the frame loop that drives a runner.
#pragma once

#include <functional>

#include "game/story/script.h"

enum { FUZZ_END_SCENE = 27, FUZZ_SCRIPT_FRAMES = 300 };

// Creates the menu font and resets the pad; once, after FuzzStartFramework.
void FuzzPrepareScriptRunner(void);
// Aborts when a row's name or text is not terminated inside its field.
void FuzzCheckScriptTable(void);
// Polls input once a frame and runs either `step` (a whole runner frame) or
// the runner's typewriter `tw` alone, until the script ends or the frame limit;
// aborts when the typewriter leaves its table or box.
void FuzzRunScript(const std::function<void()>& step, Typewriter* tw);
