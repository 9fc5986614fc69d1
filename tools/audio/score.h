// Music from text scores: tempo, key, meter, tracks playing instrument patches
// from a shared bank, drum grooves, and sections of chords, melodies and
// patterns arranged by a form. Called by audio_tool.cpp; the format is
// described at the top of score.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ScoreInfo {
    std::string title;
    std::string key;
    double tempo = 0.0;
    int bars = 0;
    double seconds = 0.0;
    // RMS of each track in the finished mix, dBFS, for the levels report.
    std::vector<std::string> trackNames;
    std::vector<double> trackRms;
};

// Renders the score at `scorePath` with the patches of `bankPath` to
// interleaved 16-bit stereo at 44100 Hz that loops seamlessly from its first
// sample. With repeats above 1 the form is played that many times in a row
// (and the whole folded the same way), which lets a check compare the loop with
// what continuous playback sounds like. False, after printing
// "path:line: error: ...", when a file is broken.
bool RenderScoreFile(const std::string& bankPath, const std::string& scorePath, int repeats,
                     std::vector<int16_t>& pcm, ScoreInfo& info);
