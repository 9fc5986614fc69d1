// Drawing on several threads with the pixels of one. With more than one
// drawing thread, the draws handed here are recorded and run together at the
// next RasterQueueFinish: the target's rows are cut into bands, each band is
// drawn by one thread, and within a band the draws run in the order they were
// handed in, so every pixel sees the same blends in the same order as when
// they are drawn one by one. With one thread every draw runs at once.
//
// What a recorded draw reads must stay as it is until the next finish: the
// callers finish before a source image is deleted or written, before pixels
// are read, and before the target changes. A draw whose source overlaps its
// target, or one onto a target other than the recorded draws', finishes the
// recorded ones first. Coverage masks are copied when recorded.
#pragma once

#include <cstdint>

#include "framework/backend/raster/raster.h"

// Drawing threads, the caller included: `count` 1..64, or 0 for the default
// (VORTALIS_RASTER_THREADS when set to 1..64, else the number of cores up to
// 8). Finishes the recorded draws first.
void RasterQueueSetThreads(int count);
int RasterQueueThreads(void);
// Batches of little work are drawn by the calling thread alone; tests pass 1
// to have every batch spread over the threads, 0 to go back.
void RasterQueueSpreadAll(int on);

// As the Raster* calls of raster.h.
void RasterQueueBlit(const Surface& dst, const ClipRect& clip, const Surface& src, int x, int y, int sourceKind,
                     const RasterState& st);
void RasterQueueMapped(const Surface& dst, const ClipRect& clip, const Surface& src, double ox, double oy,
                       double ux, double uy, double vx, double vy, int sourceKind, const RasterState& st);
void RasterQueueTriangle(const Surface& dst, const ClipRect& clip, const Surface& src, const int px[3],
                         const int py[3], const double su[3], const double sv[3], int sourceKind,
                         const RasterState& st);
void RasterQueueFill(const Surface& dst, const ClipRect& clip, int left, int top, int right, int bottom,
                     uint32_t rgb, const RasterState& st);
void RasterQueueCoverage(const Surface& dst, const ClipRect& clip, int x, int y, const uint8_t* coverage,
                         int width, int height, int pitch, uint32_t rgb, const RasterState& st);
// Sets every pixel of `dst` to `value`.
void RasterQueueClear(const Surface& dst, uint32_t value);
// As RasterScaleWhole.
void RasterQueueScaleWhole(const Surface& dst, const ClipRect& clip, const Surface& src, int x, int y, int factor);

// Runs every recorded draw; returns when all are done.
void RasterQueueFinish(void);
// Draws recorded and not yet run.
int RasterQueuePending(void);
