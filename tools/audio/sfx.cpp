// Sound effects from parameter files. Format, one setting per pair of words:
//   length 0.2        seconds of the finished file
//   peak -1           level of the loudest sample in dBFS
//   loop yes          the end runs on into the start (for effects played repeating)
//   reverb 0.1        send to a small room; room 0.5 sets its size
//   layer             starts a layer; the indented lines under it set a synthesizer
//                     patch (synth.cpp) and the note: pitch, at, gate, velocity,
//                     repeat, every, transpose, fade
#include "tools/audio/sfx.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "tools/audio/audio_io.h"
#include "tools/audio/synth.h"

namespace {

struct Layer {
    Patch patch;
    int line = 0;
    float at = 0.0f;
    float gate = -1.0f;     // -1: to the end of the effect
    float velocity = 1.0f;
    int repeat = 1;
    float every = 0.1f;
    float transpose = 0.0f; // semitones added per repeat
    float fade = 1.0f;      // velocity factor per repeat
};

struct Effect {
    float length = 0.0f;
    float peak = -1.0f;
    bool loop = false;
    float reverb = 0.0f;
    float room = 0.5f;
    std::vector<Layer> layers;
};

bool Number(const std::string& v, float lo, float hi, float& out) {
    char* end = nullptr;
    out = std::strtof(v.c_str(), &end);
    return !v.empty() && *end == '\0' && std::isfinite(out) && out >= lo && out <= hi;
}

bool SetEffect(Effect& e, const std::string& k, const std::string& v, std::string& err) {
    bool ok = true;
    if (k == "length") ok = Number(v, 0.01f, 10.0f, e.length);
    else if (k == "peak") ok = Number(v, -40.0f, 0.0f, e.peak);
    else if (k == "reverb") ok = Number(v, 0.0f, 1.0f, e.reverb);
    else if (k == "room") ok = Number(v, 0.0f, 0.98f, e.room);
    else if (k == "loop") {
        ok = v == "yes" || v == "no";
        e.loop = v == "yes";
    } else {
        err = "unknown setting '" + k + "'";
        return false;
    }
    if (!ok) err = "bad value '" + v + "' for " + k;
    return ok;
}

bool SetLayer(Layer& l, const std::string& k, const std::string& v, std::string& err) {
    bool ok = true;
    float f;
    if (k == "at") ok = Number(v, 0.0f, 10.0f, l.at);
    else if (k == "gate") ok = Number(v, 0.001f, 10.0f, l.gate);
    else if (k == "velocity") ok = Number(v, 0.0f, 4.0f, l.velocity);
    else if (k == "every") ok = Number(v, 0.001f, 10.0f, l.every);
    else if (k == "transpose") ok = Number(v, -24.0f, 24.0f, l.transpose);
    else if (k == "fade") ok = Number(v, 0.0f, 2.0f, l.fade);
    else if (k == "repeat") {
        ok = Number(v, 1.0f, 64.0f, f) && f == std::floor(f);
        l.repeat = (int)f;
    } else {
        return SetPatchParam(l.patch, k, v, err);
    }
    if (!ok) err = "bad value '" + v + "' for " + k;
    return ok;
}

bool ParseEffect(const SourceText& src, Effect& e) {
    for (int i = 0; i < (int)src.lines.size(); i++) {
        std::vector<std::string> w = Words(src.lines[i]);
        if (w.empty()) continue;
        bool inLayer = Indent(src.lines[i]) > 0;
        if (!inLayer && w[0] == "layer") {
            if (w.size() != 1) return SourceError(src, i + 1, "'layer' stands alone; its settings go on indented lines");
            e.layers.push_back(Layer());
            e.layers.back().line = i + 1;
            continue;
        }
        if (inLayer && e.layers.empty()) return SourceError(src, i + 1, "indented setting outside a layer");
        if (w.size() % 2 != 0) return SourceError(src, i + 1, "settings come in pairs: name value");
        for (size_t k = 0; k < w.size(); k += 2) {
            std::string err;
            bool ok = inLayer ? SetLayer(e.layers.back(), w[k], w[k + 1], err) : SetEffect(e, w[k], w[k + 1], err);
            if (!ok) return SourceError(src, i + 1, err);
        }
    }
    if (e.length <= 0.0f) return SourceError(src, 1, "no 'length' given");
    if (e.layers.empty()) return SourceError(src, 1, "no layer given");
    return true;
}

}  // namespace

bool RenderEffectFile(const std::string& path, std::vector<int16_t>& pcm) {
    SourceText src;
    if (!LoadSource(path, src)) return false;
    Effect e;
    if (!ParseEffect(src, e)) return false;

    const long frames = (long)std::lround(e.length * kRate);
    const long tail = e.loop ? 3 * kRate : kRate / 2;
    StereoBuffer dry, mix;
    dry.Resize(frames + tail);
    for (size_t li = 0; li < e.layers.size(); li++) {
        const Layer& l = e.layers[li];
        double hz = l.patch.pitch;
        float vel = l.velocity;
        for (int r = 0; r < l.repeat; r++) {
            long start = (long)std::lround((l.at + r * l.every) * kRate);
            long gate = l.gate > 0.0f ? (long)std::lround(l.gate * kRate) : frames - start;
            if (start >= frames) return SourceError(src, l.line, "layer starts after the end of the effect");
            if (gate < 1) gate = 1;
            if (!e.loop && start + NoteLength(l.patch, gate) > frames + kRate / 100)
                return SourceError(src, l.line, "layer sounds past the end of the effect: shorten gate/decay/release or lengthen it");
            RenderNote(l.patch, hz * std::exp2(r * l.transpose / 12.0), start, gate, vel,
                       (uint32_t)(li * 977 + r * 31 + 1), dry);
            vel *= l.fade;
        }
    }
    mix = dry;
    if (e.reverb > 0.0f) AddReverb(dry, 0.5f + 0.45f * e.room, 0.3f, e.reverb, mix);

    if (e.loop) {
        // Whatever sounds past the end is what follows it when the file repeats.
        for (long i = frames; i < mix.Size(); i++) {
            mix.l[(i - frames) % frames] += mix.l[i];
            mix.r[(i - frames) % frames] += mix.r[i];
        }
    } else {
        // A one-shot ends in silence: a 4 ms fade guards the last sample.
        long fade = std::min(frames, (long)(0.004 * kRate));
        for (long i = 0; i < fade; i++) {
            float g = (float)i / fade;
            mix.l[frames - 1 - i] *= g;
            mix.r[frames - 1 - i] *= g;
        }
    }
    float peak = 0.0f;
    for (long i = 0; i < frames; i++) peak = std::max({peak, std::fabs(mix.l[i]), std::fabs(mix.r[i])});
    if (peak <= 0.0f) return SourceError(src, 1, "the effect is silent");
    float g = std::pow(10.0f, e.peak / 20.0f) / peak;
    for (long i = 0; i < frames; i++) {
        mix.l[i] *= g;
        mix.r[i] *= g;
    }
    pcm = ToPcm16(mix, frames);
    return true;
}
