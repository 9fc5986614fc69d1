// The draw target and the screen's back and front buffers; the draw state reset.
#pragma once

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
// Blend mode 0 with 255, brightness 255, nearest filter (draw_calls.cpp).
void GraphicsResetDrawState(void);
// The current draw state handed to the rasterizer (draw_calls.cpp).
struct RasterState;
const RasterState* GraphicsRasterState(void);
