// The audio builder's synthesizer: band-limited oscillators, envelopes, a
// state-variable filter and the reverb and echo sends. Notes are rendered in
// blocks of 16 samples: pitch, envelope and filter move once per block, the
// inner loop is chosen once per note by wave kind and runs without calls.
#include "tools/audio/synth.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kBlock = 16;
constexpr int kSineSize = 4096;
constexpr float kPi = 3.14159265358979f;

struct SineTable {
    float v[kSineSize + 1];
    SineTable() {
        for (int i = 0; i <= kSineSize; i++) v[i] = (float)std::sin(2.0 * 3.14159265358979323846 * i / kSineSize);
    }
};
const SineTable kSineTab;

// Sine of a phase in turns; any phase, wrapped.
inline float SinTurns(float ph) {
    ph -= std::floor(ph);
    float x = ph * kSineSize;
    int i = (int)x;
    float f = x - (float)i;
    return kSineTab.v[i] + (kSineTab.v[i + 1] - kSineTab.v[i]) * f;
}

// Polynomial band-limited step: removes the aliasing of a jump at phase 0.
inline float Blep(float t, float dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0f;
    }
    if (t > 1.0f - dt) {
        t = (t - 1.0f) / dt;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

inline float Noise(uint32_t& s) {
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    return (float)(int32_t)s * (1.0f / 2147483648.0f);
}

// Level of an attack/decay/sustain envelope with a release after the gate.
// The decay is the time to fall 60 dB towards the sustain level.
float EnvAt(float t, float a, float d, float s, float gateT, float r) {
    auto held = [&](float u) {
        if (u < a) return u / a;
        return s + (1.0f - s) * std::exp(-(u - a) / d * 6.9078f);
    };
    if (t < gateT) return held(t);
    float x = (t - gateT) / r;
    if (x >= 1.0f) return 0.0f;
    return held(gateT) * (1.0f - x) * (1.0f - x);
}

// Seconds until a sustain-less envelope has fallen 80 dB.
float NaturalEnd(float a, float d) { return a + d * (80.0f / 60.0f); }

struct Svf {
    float ic1 = 0.0f, ic2 = 0.0f;
};

struct SvfCoef {
    float a1, a2, a3, k, mlp, mbp, mhp;
};

SvfCoef MakeCoef(FilterMode mode, float fc, float res) {
    fc = std::clamp(fc, 20.0f, 0.45f * kRate);
    float g = std::tan(kPi * fc / kRate);
    SvfCoef c;
    c.k = 2.0f - 2.0f * std::clamp(res, 0.0f, 0.97f);
    c.a1 = 1.0f / (1.0f + g * (g + c.k));
    c.a2 = g * c.a1;
    c.a3 = g * c.a2;
    c.mlp = mode == kLowPass ? 1.0f : 0.0f;
    c.mbp = mode == kBandPass ? c.k : 0.0f;
    c.mhp = mode == kHighPass ? 1.0f : 0.0f;
    return c;
}

inline float Filter(Svf& f, const SvfCoef& c, float x) {
    float v3 = x - f.ic2;
    float v1 = c.a1 * f.ic1 + c.a2 * v3;
    float v2 = f.ic2 + c.a2 * f.ic1 + c.a3 * v3;
    f.ic1 = 2.0f * v1 - f.ic1;
    f.ic2 = 2.0f * v2 - f.ic2;
    return c.mlp * v2 + c.mbp * v1 + c.mhp * (x - c.k * v1 - v2);
}

inline float SoftClip(float x) {
    if (x > 3.0f) return 1.0f;
    if (x < -3.0f) return -1.0f;
    return x * (27.0f + x * x) / (27.0f + 9.0f * x * x);
}

struct VoiceState {
    float ph[kMaxUnison], mph[kMaxUnison], dph[kMaxUnison];
    float gl[kMaxUnison], gr[kMaxUnison];
    int n;
    uint32_t rnd;
    Svf fl, fr;
};

// Per-block values that the inner loop steps through linearly.
struct BlockIn {
    float env, envStep;     // tone level
    float nenv, nenvStep;   // noise level
    float fmIndex;
    float duty;
    float drive, driveNorm;
    bool filtered;
    SvfCoef coef;
    float outL, outR;       // velocity, gain and pan (mono path)
};

template <Wave W>
inline float Osc(VoiceState& v, int u, const BlockIn& b) {
    float ph = v.ph[u], dt = v.dph[u];
    float y;
    if constexpr (W == kSine) {
        y = SinTurns(ph);
    } else if constexpr (W == kTriangle) {
        y = 4.0f * std::fabs(ph - 0.5f) - 1.0f;
    } else if constexpr (W == kSaw) {
        y = 2.0f * ph - 1.0f - Blep(ph, dt);
    } else if constexpr (W == kPulse) {
        float t2 = ph + 1.0f - b.duty;
        t2 -= (float)(int)t2;
        y = (ph < b.duty ? 1.0f : -1.0f) + Blep(ph, dt) - Blep(t2, dt) - (2.0f * b.duty - 1.0f);
    } else if constexpr (W == kNoise) {
        y = Noise(v.rnd);
    } else {
        y = SinTurns(ph + b.fmIndex * SinTurns(v.mph[u]));
    }
    return y;
}

template <Wave W, bool Stereo>
void RunBlock(VoiceState& v, const BlockIn& b, float fmRatio, float* L, float* R, int count) {
    float env = b.env, nenv = b.nenv;
    for (int i = 0; i < count; i++) {
        float sl = 0.0f, sr = 0.0f;
        for (int u = 0; u < v.n; u++) {
            float y = Osc<W>(v, u, b);
            float p = v.ph[u] + v.dph[u];
            v.ph[u] = p >= 1.0f ? p - 1.0f : p;
            if constexpr (W == kFm) {
                float m = v.mph[u] + v.dph[u] * fmRatio;
                v.mph[u] = m - (float)(int)m;
            }
            if constexpr (Stereo) {
                sl += y * v.gl[u];
                sr += y * v.gr[u];
            } else {
                sl += y;
            }
        }
        float n = nenv != 0.0f ? Noise(v.rnd) * nenv : 0.0f;
        if constexpr (Stereo) {
            float xl = sl * env + n, xr = sr * env + n;
            if (b.drive > 0.0f) {
                xl = SoftClip(xl * b.drive) * b.driveNorm;
                xr = SoftClip(xr * b.drive) * b.driveNorm;
            }
            if (b.filtered) {
                xl = Filter(v.fl, b.coef, xl);
                xr = Filter(v.fr, b.coef, xr);
            }
            L[i] += xl * b.outL;
            R[i] += xr * b.outR;
        } else {
            float x = sl * env + n;
            if (b.drive > 0.0f) x = SoftClip(x * b.drive) * b.driveNorm;
            if (b.filtered) x = Filter(v.fl, b.coef, x);
            L[i] += x * b.outL;
            R[i] += x * b.outR;
        }
        env += b.envStep;
        nenv += b.nenvStep;
    }
}

using BlockFn = void (*)(VoiceState&, const BlockIn&, float, float*, float*, int);

template <bool Stereo>
BlockFn PickBlock(Wave w) {
    switch (w) {
    case kSine: return RunBlock<kSine, Stereo>;
    case kTriangle: return RunBlock<kTriangle, Stereo>;
    case kSaw: return RunBlock<kSaw, Stereo>;
    case kPulse: return RunBlock<kPulse, Stereo>;
    case kNoise: return RunBlock<kNoise, Stereo>;
    case kFm: return RunBlock<kFm, Stereo>;
    }
    return RunBlock<kSine, Stereo>;
}

float ToFloat(const std::string& s, bool& ok) {
    char* end = nullptr;
    float v = std::strtof(s.c_str(), &end);
    ok = !s.empty() && end && *end == '\0' && std::isfinite(v);
    return v;
}

}  // namespace

double MidiToHz(double midi) { return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0); }

bool ParseNoteName(const std::string& t, int& midi) {
    static const int kBase[7] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
    if (t.size() < 2 || t[0] < 'a' || t[0] > 'g') return false;
    int n = kBase[t[0] - 'a'];
    size_t i = 1;
    if (t[i] == '#') {
        n++;
        i++;
    } else if (t[i] == 'b' && i + 1 < t.size()) {
        n--;
        i++;
    }
    if (i + 1 != t.size() || t[i] < '0' || t[i] > '9') return false;
    midi = n + 12 * (t[i] - '0' + 1);
    return true;
}

bool ParsePitch(const std::string& t, double& hz) {
    int midi;
    if (ParseNoteName(t, midi)) {
        hz = MidiToHz(midi);
        return true;
    }
    bool ok;
    float v = ToFloat(t, ok);
    if (!ok || v <= 0.0f || v > 20000.0f) return false;
    hz = v;
    return true;
}

bool SetPatchParam(Patch& p, const std::string& key, const std::string& value, std::string& error) {
    struct FloatKey {
        const char* name;
        float Patch::*field;
        float lo, hi;
    };
    static const FloatKey kFloats[] = {
        {"duty", &Patch::duty, 0.05f, 0.95f},
        {"detune", &Patch::detune, 0.0f, 200.0f},
        {"width", &Patch::width, 0.0f, 1.0f},
        {"attack", &Patch::attack, 0.0f, 10.0f},
        {"decay", &Patch::decay, 0.001f, 30.0f},
        {"sustain", &Patch::sustain, 0.0f, 1.0f},
        {"release", &Patch::release, 0.001f, 10.0f},
        {"noise", &Patch::noise, 0.0f, 4.0f},
        {"noisedecay", &Patch::noiseDecay, 0.0f, 10.0f},
        {"cutoff", &Patch::cutoff, 20.0f, 20000.0f},
        {"resonance", &Patch::resonance, 0.0f, 0.97f},
        {"keytrack", &Patch::keyTrack, 0.0f, 1.0f},
        {"fsweep", &Patch::fsweep, -8.0f, 8.0f},
        {"fsweeptime", &Patch::fsweepTime, 0.001f, 10.0f},
        {"sweep", &Patch::sweep, -48.0f, 48.0f},
        {"sweeptime", &Patch::sweepTime, 0.001f, 10.0f},
        {"glide", &Patch::glideTo, -48.0f, 48.0f},
        {"vibrato", &Patch::vibrato, 0.0f, 12.0f},
        {"vibratorate", &Patch::vibratoRate, 0.0f, 40.0f},
        {"vibratodelay", &Patch::vibratoDelay, 0.0f, 10.0f},
        {"tremolo", &Patch::tremolo, 0.0f, 1.0f},
        {"tremolorate", &Patch::tremoloRate, 0.0f, 40.0f},
        {"fmratio", &Patch::fmRatio, 0.0f, 32.0f},
        {"fmindex", &Patch::fmIndex, 0.0f, 20.0f},
        {"fmdecay", &Patch::fmDecay, 0.001f, 10.0f},
        {"fmfloor", &Patch::fmFloor, 0.0f, 1.0f},
        {"drive", &Patch::drive, 0.0f, 1.0f},
        {"arpstep", &Patch::arpStep, 0.005f, 2.0f},
        {"gain", &Patch::gain, 0.0f, 8.0f},
        {"pan", &Patch::pan, -1.0f, 1.0f},
        {"octave", &Patch::octave, -4.0f, 4.0f},
        {"reverb", &Patch::reverb, 0.0f, 1.0f},
        {"echo", &Patch::echo, 0.0f, 1.0f},
    };
    if (key == "wave") {
        static const char* kNames[] = {"sine", "triangle", "saw", "pulse", "noise", "fm"};
        for (int i = 0; i < 6; i++)
            if (value == kNames[i]) {
                p.wave = (Wave)i;
                return true;
            }
        error = "unknown wave '" + value + "' (sine, triangle, saw, pulse, noise, fm)";
        return false;
    }
    if (key == "filter") {
        static const char* kNames[] = {"off", "lowpass", "highpass", "bandpass"};
        for (int i = 0; i < 4; i++)
            if (value == kNames[i]) {
                p.filter = (FilterMode)i;
                return true;
            }
        error = "unknown filter '" + value + "' (off, lowpass, highpass, bandpass)";
        return false;
    }
    if (key == "unison") {
        int n = std::atoi(value.c_str());
        if (n < 1 || n > kMaxUnison || value != std::to_string(n)) {
            error = "unison must be 1.." + std::to_string(kMaxUnison);
            return false;
        }
        p.unison = n;
        return true;
    }
    if (key == "pitch") {
        double hz;
        if (!ParsePitch(value, hz)) {
            error = "bad pitch '" + value + "' (a note such as c4 or a frequency in Hz)";
            return false;
        }
        p.pitch = (float)hz;
        return true;
    }
    if (key == "arp") {
        p.arpCount = 0;
        size_t pos = 0;
        while (pos <= value.size()) {
            size_t comma = value.find(',', pos);
            std::string item = value.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
            char* end = nullptr;
            long v = std::strtol(item.c_str(), &end, 10);
            if (item.empty() || *end != '\0' || v < -48 || v > 48 || p.arpCount == kMaxArp) {
                error = "arp wants up to 8 comma-separated semitone steps, e.g. 0,4,7,12";
                return false;
            }
            p.arp[p.arpCount++] = (int)v;
            if (comma == std::string::npos) break;
            pos = comma + 1;
        }
        return true;
    }
    for (const FloatKey& k : kFloats) {
        if (key != k.name) continue;
        bool ok;
        float v = ToFloat(value, ok);
        if (!ok || v < k.lo || v > k.hi) {
            error = key + " wants a number from " + std::to_string(k.lo) + " to " + std::to_string(k.hi) +
                    ", got '" + value + "'";
            return false;
        }
        p.*k.field = v;
        return true;
    }
    error = "unknown parameter '" + key + "'";
    return false;
}

long NoteLength(const Patch& p, long gate) {
    float gateT = (float)gate / kRate;
    float a = std::max(p.attack, 1.0f / kRate);
    float end = gateT + p.release;
    if (p.sustain <= 0.0f) end = std::min(end, NaturalEnd(a, p.decay));
    if (p.noise > 0.0f && p.noiseDecay > 0.0f) {
        float nend = std::min(gateT + p.release, NaturalEnd(a, p.noiseDecay));
        end = std::max(end, nend);
    }
    return (long)std::ceil(end * kRate) + 1;
}

long RenderNote(const Patch& p, double hz, long start, long gate, float velocity, uint32_t seed,
                StereoBuffer& out) {
    long len = NoteLength(p, gate);
    long end = std::min(start + len, out.Size());
    if (start >= end || start < 0) return std::max(start, 0L);

    const float a = std::max(p.attack, 1.0f / kRate);
    const float gateT = (float)gate / kRate;
    const float natural = NaturalEnd(a, p.decay);
    const bool ownNoiseEnv = p.noise > 0.0f && p.noiseDecay > 0.0f;
    const float nNatural = ownNoiseEnv ? NaturalEnd(a, p.noiseDecay) : 0.0f;
    const double base = hz * std::pow(2.0, p.octave);
    const float keyScale = p.keyTrack > 0.0f ? (float)std::pow(base / 261.63, p.keyTrack) : 1.0f;

    VoiceState v;
    v.n = p.unison;
    v.rnd = seed * 2654435761u + 0x9E3779B9u;
    if (v.rnd == 0) v.rnd = 1;
    const bool stereo = p.width > 0.0f && p.unison > 1;
    const float norm = 1.0f / std::sqrt((float)p.unison);
    for (int u = 0; u < v.n; u++) {
        float spread = v.n == 1 ? 0.0f : -1.0f + 2.0f * u / (v.n - 1);
        float pan = std::clamp(p.pan + spread * p.width, -1.0f, 1.0f);
        float ang = (pan + 1.0f) * kPi * 0.25f;
        v.gl[u] = std::cos(ang) * norm;
        v.gr[u] = std::sin(ang) * norm;
        // Fixed, spread start phases: copies do not start in step (no flam), and
        // the result is the same on every build.
        v.ph[u] = v.n == 1 ? 0.0f : (float)((u * 0.618034) - std::floor(u * 0.618034));
        v.mph[u] = 0.0f;
    }
    float monoAng = (std::clamp(p.pan, -1.0f, 1.0f) + 1.0f) * kPi * 0.25f;
    float amp = velocity * p.gain;

    BlockIn b;
    b.duty = p.duty;
    b.drive = p.drive > 0.0f ? 1.0f + 8.0f * p.drive : 0.0f;
    b.driveNorm = p.drive > 0.0f ? 1.0f / SoftClip(b.drive) : 1.0f;
    b.filtered = p.filter != kFilterOff;
    if (stereo) {
        b.outL = amp;
        b.outR = amp;
    } else {
        b.outL = amp * std::cos(monoAng) * norm * std::sqrt(2.0f);
        b.outR = amp * std::sin(monoAng) * norm * std::sqrt(2.0f);
    }
    BlockFn run = stereo ? PickBlock<true>(p.wave) : PickBlock<false>(p.wave);

    auto toneEnv = [&](float t) {
        if (p.sustain <= 0.0f && t >= natural) return 0.0f;
        return EnvAt(t, a, p.decay, p.sustain, gateT, p.release);
    };
    auto noiseEnv = [&](float t) {
        if (p.noise <= 0.0f) return 0.0f;
        if (!ownNoiseEnv) return p.noise * toneEnv(t);
        if (t >= nNatural) return 0.0f;
        return p.noise * EnvAt(t, a, p.noiseDecay, 0.0f, gateT, p.release);
    };
    auto trem = [&](float t) {
        return p.tremolo > 0.0f ? 1.0f - p.tremolo * 0.5f * (1.0f - std::cos(2.0f * kPi * p.tremoloRate * t)) : 1.0f;
    };
    // The noise wave is pure noise: its level follows the tone envelope.
    const bool noiseWave = p.wave == kNoise;

    float* L = out.l.data();
    float* R = out.r.data();
    for (long s = start; s < end; s += kBlock) {
        int count = (int)std::min<long>(kBlock, end - s);
        float t0 = (float)(s - start) / kRate;
        float t1 = (float)(s - start + count) / kRate;
        float tm = 0.5f * (t0 + t1);

        float semis = p.sweep * std::exp(-tm / p.sweepTime);
        if (p.glideTo != 0.0f) semis += p.glideTo * std::min(1.0f, tm / std::max(gateT, 1e-3f));
        if (p.vibrato > 0.0f && tm > p.vibratoDelay) {
            float depth = p.vibrato * std::min(1.0f, (tm - p.vibratoDelay) / 0.3f);
            semis += depth * std::sin(2.0f * kPi * p.vibratoRate * (tm - p.vibratoDelay));
        }
        if (p.arpCount > 0) semis += (float)p.arp[(int)(tm / p.arpStep) % p.arpCount];
        double f = base * std::exp2(semis / 12.0);
        for (int u = 0; u < v.n; u++) {
            float cents = v.n == 1 ? 0.0f : p.detune * (-0.5f + (float)u / (v.n - 1));
            v.dph[u] = (float)(f * std::exp2(cents / 1200.0) / kRate);
            if (v.dph[u] > 0.49f) v.dph[u] = 0.49f;
        }

        float e0 = toneEnv(t0) * trem(t0), e1 = toneEnv(t1) * trem(t1);
        float n0 = noiseEnv(t0), n1 = noiseEnv(t1);
        b.env = noiseWave ? 0.0f : e0;
        b.envStep = noiseWave ? 0.0f : (e1 - e0) / count;
        b.nenv = noiseWave ? e0 + n0 : n0;
        b.nenvStep = noiseWave ? ((e1 + n1) - (e0 + n0)) / count : (n1 - n0) / count;
        if (p.wave == kFm) b.fmIndex = p.fmIndex * (p.fmFloor + (1.0f - p.fmFloor) * std::exp(-tm / p.fmDecay));
        if (b.filtered) {
            float fc = p.cutoff * keyScale * std::exp2(p.fsweep * std::exp(-tm / p.fsweepTime));
            b.coef = MakeCoef(p.filter, fc, p.resonance);
        }
        run(v, b, p.fmRatio, L + s, R + s, count);
    }
    return end;
}

void AddReverb(const StereoBuffer& in, float room, float damp, float mix, StereoBuffer& out) {
    static const int kComb[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static const int kAllpass[4] = {556, 441, 341, 225};
    const int kSpread = 23;
    long n = std::min(in.Size(), out.Size());
    for (int ch = 0; ch < 2; ch++) {
        std::vector<float> comb[8], ap[4];
        int ci[8] = {0}, ai[4] = {0};
        float store[8] = {0};
        for (int k = 0; k < 8; k++) comb[k].assign(kComb[k] + ch * kSpread, 0.0f);
        for (int k = 0; k < 4; k++) ap[k].assign(kAllpass[k] + ch * kSpread, 0.0f);
        float* o = ch == 0 ? out.l.data() : out.r.data();
        const float* il = in.l.data();
        const float* ir = in.r.data();
        for (long i = 0; i < n; i++) {
            float x = (il[i] + ir[i]) * 0.015f;
            float acc = 0.0f;
            for (int k = 0; k < 8; k++) {
                float y = comb[k][ci[k]];
                store[k] = y * (1.0f - damp) + store[k] * damp;
                comb[k][ci[k]] = x + store[k] * room;
                if (++ci[k] == (int)comb[k].size()) ci[k] = 0;
                acc += y;
            }
            for (int k = 0; k < 4; k++) {
                float b = ap[k][ai[k]];
                ap[k][ai[k]] = acc + b * 0.5f;
                acc = b - acc;
                if (++ai[k] == (int)ap[k].size()) ai[k] = 0;
            }
            o[i] += acc * mix;
        }
    }
}

void AddEcho(const StereoBuffer& in, long delay, float feedback, float mix, StereoBuffer& out) {
    if (delay <= 0) return;
    long n = std::min(in.Size(), out.Size());
    std::vector<float> bl(delay, 0.0f), br(delay, 0.0f);
    float lpL = 0.0f, lpR = 0.0f;
    long idx = 0;
    for (long i = 0; i < n; i++) {
        float dl = bl[idx], dr = br[idx];
        // A gentle low-pass in the loop: every repeat is a little darker.
        lpL += 0.45f * (dl - lpL);
        lpR += 0.45f * (dr - lpR);
        float mono = 0.5f * (in.l[i] + in.r[i]);
        bl[idx] = mono + feedback * lpR;
        br[idx] = feedback * lpL;
        if (++idx == delay) idx = 0;
        out.l[i] += dl * mix;
        out.r[i] += dr * mix;
    }
}
