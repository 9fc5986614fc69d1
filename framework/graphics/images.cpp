// Image handles and draw calls: not built yet; every call fails cleanly.
#include "framework/core/api_lock.h"
#include "framework/framework.h"

int MakeColor(int r, int g, int b) { return ((r & 0xFF) >> 3) << 11 | ((g & 0xFF) >> 2) << 5 | ((b & 0xFF) >> 3); }
int LoadImageFile(const char*, int) { ApiGuard g; return -1; }
int LoadImageStrip(const char*, int, int, int, int, int, int*, int) { ApiGuard g; return -1; }
int MakeOffscreenImage(int, int, int) { ApiGuard g; return -1; }
int DeleteImage(int) { ApiGuard g; return -1; }
int DrawImageAt(int, int, int, int) { ApiGuard g; return -1; }
int DrawImageAtF(float, float, int, int) { ApiGuard g; return -1; }
int DrawImageRotated(int, int, double, double, int, int, int) { ApiGuard g; return -1; }
int DrawImageRotatedF(float, float, double, double, int, int, int) { ApiGuard g; return -1; }
int DrawImageQuad(int, int, int, int, int, int, int, int, int, int) { ApiGuard g; return -1; }
int DrawRect(int, int, int, int, int, int) { ApiGuard g; return -1; }
int SetBlendMode(int, int) { ApiGuard g; return 0; }
int SetDrawBrightness(int, int, int) { ApiGuard g; return 0; }
int SetScaleFilter(int) { ApiGuard g; return 0; }
int CaptureScreenToImage(int, int, int, int, int, int) { ApiGuard g; return -1; }
int GetImageSize(int, int*, int*) { ApiGuard g; return -1; }
