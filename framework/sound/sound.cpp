// Sound: not built yet; there is no device, so every call returns −1.
#include "framework/core/api_lock.h"
#include "framework/core/services.h"
#include "framework/framework.h"

int SoundStartup(void) { return -1; }
void SoundShutdown(void) {}
void SoundServiceStreams(void) {}
int LoadSoundFile(const char*, int, int) { ApiGuard g; return -1; }
int PlaySoundHandle(int, int, int) { ApiGuard g; return -1; }
int StopSoundHandle(int) { ApiGuard g; return -1; }
int SetSoundVolume(int, int) { ApiGuard g; return -1; }
int SetSoundLoopPos(int, int) { ApiGuard g; return -1; }
int DeleteSound(int, int) { ApiGuard g; return -1; }
