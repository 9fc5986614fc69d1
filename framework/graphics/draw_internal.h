// What the text module needs from the drawing module: drawing a glyph's
// coverage mask, and saving and restoring the draw state around the console.
#pragma once

#include <cstdint>

#include "framework/backend/raster/surface.h"

// Draws an 8-bit coverage mask (0 = nothing, 255 = solid) in colour (r, g, b)
// with its top-left at (x, y) on the current draw target, clipped to the draw
// area. It behaves exactly like drawing an image whose pixels are (r, g, b)
// with alpha = coverage with transFlag 1: the current blend mode and parameter
// apply and the colour is multiplied by the draw brightness.
void GraphicsDrawCoverage(int x, int y, const uint8_t* coverage, int width, int height, int pitch,
                          int r, int g, int b);

struct DrawStateSave {
    ClipRect area;
    int blendMode, blendParameter;
    int brightness[3];
    int scaleFilter;
};

void GraphicsSaveDrawState(DrawStateSave* save);
void GraphicsRestoreDrawState(const DrawStateSave* save);
// The state the console draws in: the whole target as draw area, no blending,
// full brightness.
void GraphicsSetPlainDrawState(void);
