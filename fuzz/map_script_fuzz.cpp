// Fuzz target for the map-story script reader and its runner: any bytes as a
// map script read in the short format, then the map runner stepped frame by
// frame like the story runner's target.
#include <cstdint>

#include "framework/framework.h"
#include "framework/core/api_lock.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/script_frames.h"
#include "game/story/map_story.h"
#include "game/story/script.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzStartFramework();
    FuzzPrepareScriptRunner();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ApiGuard whole;   // see FuzzStartFramework
    ResetTypewriter(&g_mapWriter);
    LoadScriptRows(FuzzWriteInput(data, size), SCRIPT_FORMAT_MAP);
    FuzzCheckScriptTable();
    FuzzRunScript([] { RunMapStory(); }, &g_mapWriter);
    return 0;
}
