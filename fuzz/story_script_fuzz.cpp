// Fuzz target for the prologue/epilogue script reader and its runner: any bytes
// as a story script, then the runner stepped frame by frame with Shot tapped
// and skip held now and then, until it reaches the end marker or a frame limit.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "framework/core/api_lock.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/script_frames.h"
#include "game/story/script.h"
#include "game/story/story.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzStartFramework();
    FuzzPrepareScriptRunner();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ApiGuard whole;   // see FuzzStartFramework
    LoadStoryScript(FuzzWriteInput(data, size));
    FuzzCheckScriptTable();
    FuzzRunScript([] { RunStoryScript(FUZZ_END_SCENE); }, &g_storyWriter);
    return 0;
}
