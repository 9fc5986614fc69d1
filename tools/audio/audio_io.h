// The audio builder's file side: 16-bit PCM WAV and Ogg Vorbis writers (fixed
// encoder settings and stream serial, so every build gives the same bytes), a
// reader of both for the analysis mode, and the source-line reader with errors.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/audio/synth.h"

// Interleaved 16-bit stereo from float samples: rounded, clamped, no dither.
std::vector<int16_t> ToPcm16(const StereoBuffer& buf, long frames);

// Both write to path + ".tmp" and rename, so a failed run leaves no file that
// the build would take as up to date. False (with a message on stderr) on error.
bool WriteWav(const std::string& path, const std::vector<int16_t>& pcm);
bool WriteOgg(const std::string& path, const std::vector<int16_t>& pcm, float quality, int serial,
              const std::string& title);

// Decoded file for the analysis mode: interleaved samples and their format.
struct DecodedAudio {
    int channels = 0;
    int rate = 0;
    std::vector<int16_t> pcm;
};
bool ReadAudioFile(const std::string& path, DecodedAudio& out, std::string& error);

// A source file split into lines, for the parsers.
struct SourceText {
    std::string path;
    std::vector<std::string> lines;
};
bool LoadSource(const std::string& path, SourceText& out);
// Prints "path:line: message" to stderr and returns false.
bool SourceError(const SourceText& src, int line, const std::string& message);
// Splits a line into words at blanks, dropping a trailing "#" comment.
std::vector<std::string> Words(const std::string& line);
// Leading blanks of a line (0 for a block header).
int Indent(const std::string& line);
