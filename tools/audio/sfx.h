// Sound effects from parameter files: an effect is a few layers, each one
// synthesizer patch played as a note (or a row of repeated notes). Called by
// audio_tool.cpp; the file format is described at the top of sfx.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Renders the effect described by the file at `path` to interleaved 16-bit
// stereo at 44100 Hz. False, after printing "path:line: error: ...", when the
// file is broken.
bool RenderEffectFile(const std::string& path, std::vector<int16_t>& pcm);
