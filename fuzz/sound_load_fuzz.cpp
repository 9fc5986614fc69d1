// Fuzz target for LoadSoundFile: any bytes as a sound file, loaded with three
// buffers through the file layer and the four decoders in the loader's order;
// a sound that loads is played, looped and mixed for a moment, then deleted,
// so that every format a decoder accepts also reaches the mixer and, once it
// has a loop position, the stream refill.
#include <cstdint>
#include <cstdlib>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "framework/core/api_lock.h"
#include "fuzz/fuzz_support.h"

namespace {

enum { PULL_FRAMES = 2048, PLAY_BACK = 1, PLAY_LOOP = 3 };

int16_t g_mix[PULL_FRAMES * 2];

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzStartFramework();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ApiGuard whole;   // see FuzzStartFramework
    const int handle = LoadSoundFile(FuzzWriteInput(data, size), 3, -1);
    if (handle == -1) return 0;
    PlaySoundHandle(handle, PLAY_BACK, 1);
    PlaySoundHandle(handle, PLAY_BACK, 1);
    HeadlessPullAudio(g_mix, PULL_FRAMES);
    SetSoundLoopPos(1, handle);
    SetSoundVolume(200, handle);
    PlaySoundHandle(handle, PLAY_LOOP, 1);
    // ProcessMessage refills the stream between pulls, as the game's frames do.
    for (int k = 0; k < 3; k++) {
        ProcessMessage();
        HeadlessPullAudio(g_mix, PULL_FRAMES);
    }
    StopSoundHandle(handle);
    if (DeleteSound(handle, 0) != 0) std::abort();
    return 0;
}
