// What the console needs from the text module: the width of one character in
// the console font (declared by the console, core/console.h, which takes it),
// and drawing one console line white with a black edge under full brightness,
// no blending and the full-screen draw area (the caller's draw state is
// restored afterwards).
#pragma once

#include "framework/core/console.h"

void FontConsoleDrawLine(int x, int y, const char* text);
