// The draw target and the screen's back and front buffers, and the draw state.
#pragma once

#include "framework/backend/raster/raster.h"
#include "framework/backend/raster/surface.h"

// The buffers, once every recorded draw has run.
Surface* GraphicsBackBuffer(void);
Surface* GraphicsFrontBuffer(void);
// Runs every recorded draw (before pixels are read or an image changes).
void GraphicsFinishDrawing(void);
Surface* GraphicsTarget(void);           // the current draw target
int GraphicsTargetHandle(void);          // −2, −4 or an image handle
ClipRect* GraphicsDrawArea(void);        // the clip rectangle of the target
// Back to the back buffer when the image that is the target goes away.
void GraphicsTargetImageDeleted(int handle);
// The draw state the draw calls read (draw_calls.cpp) and set: blend mode and
// parameter and brightness as handed to the rasterizer, and the scale filter
// as set (only 1 selects bilinear). Kept here with the target, it starts as
// blend mode 0 with 255, brightness 255, nearest filter.
struct DrawState {
    RasterState raster{0, 255, {255, 255, 255}, 0};
    int filterMode = 0;
};
DrawState* GraphicsDrawState(void);
