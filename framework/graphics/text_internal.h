// What the console needs from the text module: the width of one character in
// the console font, and drawing one console line white with a black edge under
// full brightness, no blending and the full-screen draw area (the caller's
// draw state is restored afterwards).
#pragma once

int FontConsoleCharWidth(const char* ch, int len);
void FontConsoleDrawLine(int x, int y, const char* text);
