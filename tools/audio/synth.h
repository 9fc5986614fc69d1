// The audio builder's synthesizer: instrument patches, one note rendered into a
// stereo float buffer, and the send effects (reverb, echo). Used by the effect
// renderer (sfx.cpp) and the music renderer (score.cpp); no state between calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kRate = 44100;

enum Wave { kSine, kTriangle, kSaw, kPulse, kNoise, kFm };
enum FilterMode { kFilterOff, kLowPass, kHighPass, kBandPass };

constexpr int kMaxUnison = 7;
constexpr int kMaxArp = 8;

// One instrument. Times are seconds, pitches semitones, levels 0..1.
struct Patch {
    Wave wave = kSine;
    float duty = 0.5f;          // pulse width
    int unison = 1;             // detuned copies of the oscillator
    float detune = 0.0f;        // cents between the outermost copies
    float width = 0.0f;         // stereo spread of the copies, 0..1
    float attack = 0.002f;
    float decay = 0.3f;         // time to fall 60 dB towards the sustain level
    float sustain = 1.0f;
    float release = 0.05f;      // linear-ish fade after the gate closes
    float noise = 0.0f;         // noise mixed into the oscillator
    float noiseDecay = 0.0f;    // own decay of that noise (0: follows the envelope)
    FilterMode filter = kFilterOff;
    float cutoff = 20000.0f;    // Hz
    float resonance = 0.0f;     // 0..0.95
    float keyTrack = 0.0f;      // 1: cutoff follows the note's pitch
    float fsweep = 0.0f;        // octaves added to the cutoff at the start...
    float fsweepTime = 0.1f;    // ...decaying with this time constant
    float sweep = 0.0f;         // semitones added to the pitch at the start...
    float sweepTime = 0.05f;    // ...decaying with this time constant
    float glideTo = 0.0f;       // semitones reached linearly by the end of the gate
    float vibrato = 0.0f;       // semitones
    float vibratoRate = 5.5f;
    float vibratoDelay = 0.0f;
    float tremolo = 0.0f;       // 0..1 amplitude modulation depth
    float tremoloRate = 6.0f;
    float fmRatio = 1.0f;       // modulator frequency / carrier frequency
    float fmIndex = 0.0f;       // modulation index at the start...
    float fmDecay = 0.2f;       // ...decaying to fmFloor of itself
    float fmFloor = 0.2f;
    float drive = 0.0f;         // soft saturation before the filter, 0..1
    int arp[kMaxArp] = {0};     // semitone steps played in turn
    int arpCount = 0;
    float arpStep = 0.06f;      // seconds per arp step
    float pitch = 440.0f;       // default frequency (drums, effects)
    float gain = 1.0f;
    float pan = 0.0f;           // -1 left .. 1 right
    float octave = 0.0f;        // octaves added to every note (music)
    float reverb = 0.0f;        // send levels (music)
    float echo = 0.0f;
};

// Sets one patch parameter from its text form; false for an unknown key or a
// bad value (the caller names the file and line).
bool SetPatchParam(Patch& p, const std::string& key, const std::string& value, std::string& error);

// Frequency of a note name such as "c4", "f#5", "bb2" (a4 = 440 Hz), or of a
// plain number of hertz; false when the text is neither.
bool ParsePitch(const std::string& text, double& hz);
// MIDI number of a note name (c4 = 60); false when it is not one.
bool ParseNoteName(const std::string& text, int& midi);
double MidiToHz(double midi);

// Stereo buffer of float samples, planar.
struct StereoBuffer {
    std::vector<float> l, r;
    void Resize(long n) { l.assign(n, 0.0f); r.assign(n, 0.0f); }
    long Size() const { return (long)l.size(); }
};

// Adds one note to out from sample `start`: frequency hz, gate length in
// samples (the release follows it), velocity 0..1. Noise uses `seed`, so the
// same call always adds the same samples. Returns the sample after the last one
// written (the note's end, clipped to the buffer).
long RenderNote(const Patch& p, double hz, long start, long gate, float velocity, uint32_t seed,
                StereoBuffer& out);

// How many samples a note of this gate lasts, release included.
long NoteLength(const Patch& p, long gate);

// Freeverb-style stereo reverb of `in`, added into out with `mix`.
void AddReverb(const StereoBuffer& in, float room, float damp, float mix, StereoBuffer& out);
// Ping-pong echo of `in` (delay in samples), added into out.
void AddEcho(const StereoBuffer& in, long delay, float feedback, float mix, StereoBuffer& out);
