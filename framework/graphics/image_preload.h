// Pictures decoded ahead of their loads. PreloadImageFiles hands a list of
// paths to worker threads, which read each file and its "_a" mask without the
// file table, decode them and premultiply them. LoadImageFile and
// LoadImageStrip then take the finished picture of their path (waiting for it,
// or decoding it themselves when no worker has begun it) and hand out handles
// and write log lines exactly as when they read the file on the spot. A path
// not in the list, or asked for more often than it is listed, is read then.
#pragma once

#include "framework/backend/image/image_readers.h"

enum PictureResult { PICTURE_OK, PICTURE_MISSING, PICTURE_FAILED };

// Reads and decodes `path` and its "_a" mask (the mask's blue channel becomes
// the alpha; a mask of another size fails the picture), premultiplied when it
// has alpha. With `anyThread` the files are read without the file table, so
// that a worker thread may call it.
PictureResult ReadPicture(const char* path, DecodedImage* img, bool anyThread);

// The preloaded picture of `path`, if one was listed and not yet taken.
bool TakePreloadedPicture(const char* path, PictureResult* result, DecodedImage* img);

// Stops the workers and drops the pictures nobody took.
void ImagePreloadShutdown(void);
