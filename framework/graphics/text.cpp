// Fonts and text: not built yet; text calls fail cleanly and the console has
// no font to measure or draw with.
#include "framework/core/api_lock.h"
#include "framework/core/services.h"
#include "framework/framework.h"
#include "framework/graphics/text_internal.h"

int CreateFontToHandle(const char*, int, int, int, int, int, int, int, int) { ApiGuard g; return -1; }
int DeleteFontHandle(int) { ApiGuard g; return -1; }
int DrawTextAt(int, int, const char*, int, int) { ApiGuard g; return -1; }
int DrawTextFmt(int, int, int, const char*, ...) { ApiGuard g; return -1; }
int DrawTextFontFmt(int, int, int, int, const char*, ...) { ApiGuard g; return -1; }
int TextWidthFontFmt(int, const char*, ...) { ApiGuard g; return -1; }
int FontConsoleCharWidth(const char*, int) { return 0; }
void FontConsoleDrawLine(int, int, const char*) {}
void FontShutdown(void) {}
