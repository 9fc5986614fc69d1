// The draw target and the screen's back and front buffers.
#pragma once

#include "framework/graphics/surface.h"

Surface* GraphicsBackBuffer(void);
Surface* GraphicsFrontBuffer(void);
Surface* GraphicsTarget(void);           // the current draw target
int GraphicsTargetHandle(void);          // −2, −4 or an image handle
ClipRect* GraphicsDrawArea(void);        // the clip rectangle of the target
