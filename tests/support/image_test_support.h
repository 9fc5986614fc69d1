// Shared helpers for drawing and image tests: files of bytes, PNG in and out
// (any draw target or image to PNG, for looking at what a test drew), pixel
// access to the back buffer, the log's text, and golden-frame comparison and
// refresh.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// Writes bytes to a file (in the test's temporary directory when relative).
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// Little-endian appends for building files byte by byte.
void Put16(std::vector<uint8_t>& v, uint32_t x);
void Put32(std::vector<uint8_t>& v, uint32_t x);

// The back buffer's pixel (x, y) with alpha stripped: 0xRRGGBB.
uint32_t BackPixel(int x, int y);
// Pixel (x, y) of an image, straight ARGB (unpremultiplied).
uint32_t ImagePixel(int handle, int x, int y);
// Saves the back buffer, or an image (straight alpha), to a PNG file.
bool SaveBackBufferPng(const std::string& path);
bool SaveImagePng(int handle, const std::string& path);
// Reads a PNG into straight ARGB pixels.
bool ReadPngFile(const std::string& path, std::vector<uint32_t>* pixels, int* width, int* height);

// Makes an image of the given straight ARGB pixels (through a BGRA file) and
// returns its handle; `alpha` chooses whether it carries an alpha channel.
int MakeTestImage(int width, int height, const std::vector<uint32_t>& pixels, bool alpha);
std::vector<uint8_t> BgraFile(int width, int height, const std::vector<uint32_t>& pixels, bool alpha);

// The whole of Log.txt (Shift-JIS bytes, as the literals of the tests).
std::string LogText(void);

// Golden frames: tests/golden/<name>.png (RGB), compared pixel for pixel, each
// channel within `tolerance`. A frame that matches passes and nothing is
// written. A frame that differs fails, and leaves a review picture (old | new
// | the new one dimmed with every differing pixel magenta) at
// <build>/golden-review/<name>.png, named in the message. With the environment
// variable VORTALIS_UPDATE_GOLDEN=1, and only then, a differing (or missing)
// golden is rewritten from the frame as well, and the failure says
// "refreshed <name>: review <path>": a refresh never reads as a pass.
bool GoldenRefreshRequested(void);
// The back buffer against its golden.
::testing::AssertionResult MatchesGolden(const std::string& name);
// Any frame (0xAARRGGBB, alpha ignored; `pitch` in pixels) against its golden.
::testing::AssertionResult MatchesGoldenFrame(const std::string& name, const uint32_t* pixels, int width, int height,
                                              int pitch, int tolerance = 0);
// The comparison itself, with the golden's and the review picture's paths and
// the mode given.
::testing::AssertionResult CompareWithGolden(const std::string& name, const std::string& golden,
                                             const std::string& review, const uint32_t* pixels, int width,
                                             int height, int pitch, int tolerance, bool refresh);
