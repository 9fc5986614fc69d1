// Writes RGBA pixels as a PNG with fixed settings, so the same pixels always
// give the same bytes. Used by the art builder.
#pragma once

#include <cstdint>
#include <string>

// Writes straight (not premultiplied) RGBA rows of width*4 bytes. Images whose
// every pixel is opaque are stored as RGB. Returns false and fills `error` on
// failure.
bool WritePngRgba(const std::string& path, const uint8_t* rgba, int width, int height, std::string& error);
