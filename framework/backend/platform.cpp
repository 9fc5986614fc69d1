// Which platform the framework runs on: SDL2 unless a test, benchmark or tool
// selected another before FrameworkInit.
#include "framework/backend/platform.h"

namespace {
const Platform* g_platform = nullptr;
}

const Platform* PlatformGet(void) {
    if (!g_platform) g_platform = PlatformSdl();
    return g_platform;
}

void PlatformSelect(const Platform* platform) { g_platform = platform; }
