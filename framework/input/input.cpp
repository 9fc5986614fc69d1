// Keyboard and joypad: not built yet; no key is held and no pad is attached.
#include <cstring>

#include "framework/core/api_lock.h"
#include "framework/core/services.h"
#include "framework/framework.h"

int InputStartup(void) { return 0; }
void InputShutdown(void) {}
int ReadKeyboardState(unsigned char keys[256]) { ApiGuard g; std::memset(keys, 0, 256); return 0; }
int ReadPadState(int) { ApiGuard g; return 0; }
