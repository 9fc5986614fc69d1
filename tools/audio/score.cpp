// Music from text scores. A score is a list of block headers at the start of a
// line, each followed by indented lines:
//   title T / key K / tempo 150 / meter 4 / swing 0.1 / peak -1.5
//   reverb 0.25 room 0.7 / echo 3 feedback 0.35      (echo delay in sixteenths)
//   track NAME PATCH [name value]...   one voice of the band; PATCH names a bank
//                                      patch, or "kit" for the drum grooves; the
//                                      pairs override patch settings or set copy
//                                      (play another track's melody), transpose
//                                      (semitones), diatonic (steps along the key's
//                                      scale: -2 is a third below, a twin lead) and
//                                      legato
//   groove NAME                        one bar of drums: indented rows "kick x...x..."
//   section NAME BARS                  indented rows "TRACK content" and "chords ..."
//   form NAME NAME ...                 the order of the sections; the piece loops
//                                      from its first sample back to it
// Section rows:
//   chords D | Bm7 | G A/C# | N        one cell per bar, split evenly; N is silence
//   TRACK d5:4 f#5:2 a5 | ~:8 r:8      a melody: note:sixteenths (the length carries
//                                      over), r rest, ~ tie; | checks the bar
//   TRACK pad                          the chords, held
//   TRACK R.R.O.R.F.R.O.R* x..x-.3.    patterns over the chords, one bar each,
//                                      name*N repeats: R root, O octave, F fifth,
//                                      T third, S seventh, L low fifth (lower case:
//                                      soft), x chord, 0-9 chord tones, - hold, . rest
//   drums beat*7 fill                  grooves, one bar each
// Every list cycles when it is shorter than the section.
#include "tools/audio/score.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

#include "tools/audio/audio_io.h"
#include "tools/audio/synth.h"

namespace {

struct Track {
    std::string name;
    Patch patch;
    bool kit = false;
    std::string copy;
    int transpose = 0;
    int diatonic = 0;
    float legato = 0.92f;
    int line = 0;
};

struct GrooveRow {
    std::string piece;
    std::string steps;
    int line;
};

struct Groove {
    std::vector<GrooveRow> rows;
    int line = 0;
};

struct SectionRow {
    std::string track;
    std::vector<std::string> words;
    int line;
};

struct Section {
    int bars = 0;
    int line = 0;
    std::vector<SectionRow> rows;
};

struct Score {
    ScoreInfo info;
    int meter = 4;
    float swing = 0.0f;
    float peak = -1.5f;
    float reverb = 0.2f, room = 0.7f;
    int echoSteps = 3;
    float echoFeedback = 0.35f;
    std::vector<Track> tracks;
    std::map<std::string, Groove> grooves;
    std::map<std::string, Section> sections;
    std::vector<std::string> form;
    int formLine = 0;
    int tonic = -1;              // pitch class of the key, -1 when not understood
    std::vector<int> scale;      // semitones of the key's scale above the tonic
};

struct Chord {
    bool silent = true;
    int root = 0;                // pitch class
    int bass = 0;                // pitch class of the bass note
    std::vector<int> tones;      // semitones above the root
};

struct Event {
    long step;       // absolute sixteenth
    int steps;       // length in sixteenths
    double midi;
    float velocity;
};

bool ParsePitchClass(const std::string& t, size_t& i, int& pc);

bool Num(const std::string& v, double lo, double hi, double& out) {
    char* end = nullptr;
    out = std::strtod(v.c_str(), &end);
    return !v.empty() && *end == '\0' && std::isfinite(out) && out >= lo && out <= hi;
}

// ---- bank -------------------------------------------------------------------

bool ParseBank(const SourceText& src, std::map<std::string, Patch>& bank) {
    Patch* cur = nullptr;
    for (int i = 0; i < (int)src.lines.size(); i++) {
        std::vector<std::string> w = Words(src.lines[i]);
        if (w.empty()) continue;
        if (Indent(src.lines[i]) == 0) {
            if (w[0] != "patch" || w.size() != 2) return SourceError(src, i + 1, "expected 'patch NAME'");
            if (bank.count(w[1])) return SourceError(src, i + 1, "patch '" + w[1] + "' defined twice");
            cur = &bank[w[1]];
            continue;
        }
        if (!cur) return SourceError(src, i + 1, "setting outside a patch");
        if (w.size() % 2) return SourceError(src, i + 1, "settings come in pairs: name value");
        for (size_t k = 0; k < w.size(); k += 2) {
            std::string err;
            if (!SetPatchParam(*cur, w[k], w[k + 1], err)) return SourceError(src, i + 1, err);
        }
    }
    return true;
}

// ---- score ------------------------------------------------------------------

bool ParseHeaderPairs(const SourceText& src, int line, const std::vector<std::string>& w, Score& s) {
    if (w.size() % 2) return SourceError(src, line, "settings come in pairs: name value");
    for (size_t k = 0; k < w.size(); k += 2) {
        const std::string& key = w[k];
        const std::string& v = w[k + 1];
        double d;
        bool ok = true;
        if (key == "tempo") ok = Num(v, 40, 300, s.info.tempo);
        else if (key == "meter") {
            ok = Num(v, 2, 7, d) && d == std::floor(d);
            s.meter = (int)d;
        } else if (key == "swing") {
            ok = Num(v, 0, 0.5, d);
            s.swing = (float)d;
        } else if (key == "peak") {
            ok = Num(v, -20, 0, d);
            s.peak = (float)d;
        } else if (key == "reverb") {
            ok = Num(v, 0, 1, d);
            s.reverb = (float)d;
        } else if (key == "room") {
            ok = Num(v, 0, 0.98, d);
            s.room = (float)d;
        } else if (key == "echo") {
            ok = Num(v, 1, 16, d) && d == std::floor(d);
            s.echoSteps = (int)d;
        } else if (key == "feedback") {
            ok = Num(v, 0, 0.9, d);
            s.echoFeedback = (float)d;
        } else {
            return SourceError(src, line, "unknown setting '" + key + "'");
        }
        if (!ok) return SourceError(src, line, "bad value '" + v + "' for " + key);
    }
    return true;
}

std::string Rest(const std::string& line, const std::string& first) {
    size_t at = line.find(first);
    std::string r = line.substr(at + first.size());
    size_t b = r.find_first_not_of(" \t");
    return b == std::string::npos ? "" : r.substr(b);
}

bool ParseScore(const SourceText& src, const std::map<std::string, Patch>& bank, Score& s) {
    enum { kNone, kGroove, kSection } block = kNone;
    std::string blockName;
    for (int i = 0; i < (int)src.lines.size(); i++) {
        const int ln = i + 1;
        std::vector<std::string> w = Words(src.lines[i]);
        if (w.empty()) continue;
        if (Indent(src.lines[i]) > 0) {
            if (block == kGroove) {
                if (w.size() != 2) return SourceError(src, ln, "a groove row is 'PIECE STEPS'");
                s.grooves[blockName].rows.push_back({w[0], w[1], ln});
            } else if (block == kSection) {
                s.sections[blockName].rows.push_back({w[0], std::vector<std::string>(w.begin() + 1, w.end()), ln});
            } else {
                return SourceError(src, ln, "indented line outside a groove or section");
            }
            continue;
        }
        block = kNone;
        const std::string& h = w[0];
        if (h == "title" || h == "key") {
            if (w.size() < 2) return SourceError(src, ln, h + " wants text");
            std::string text = Rest(src.lines[i], h);
            size_t hash = text.find(" #");
            if (hash != std::string::npos) text = text.substr(0, hash);
            (h == "title" ? s.info.title : s.info.key) = text;
        } else if (h == "tempo" || h == "meter" || h == "swing" || h == "peak" || h == "reverb" || h == "echo") {
            if (!ParseHeaderPairs(src, ln, w, s)) return false;
        } else if (h == "track") {
            if (w.size() < 3 || w.size() % 2 == 0) return SourceError(src, ln, "expected 'track NAME PATCH [name value]...'");
            Track t;
            t.name = w[1];
            t.line = ln;
            if (w[1] == "chords") return SourceError(src, ln, "'chords' is not a track name");
            for (const Track& o : s.tracks)
                if (o.name == t.name) return SourceError(src, ln, "track '" + t.name + "' defined twice");
            if (w[2] == "kit") {
                t.kit = true;
            } else {
                auto it = bank.find(w[2]);
                if (it == bank.end()) return SourceError(src, ln, "no patch '" + w[2] + "' in the bank");
                t.patch = it->second;
            }
            for (size_t k = 3; k < w.size(); k += 2) {
                double d;
                std::string err;
                if (w[k] == "copy") {
                    t.copy = w[k + 1];
                } else if (w[k] == "transpose") {
                    if (!Num(w[k + 1], -36, 36, d) || d != std::floor(d)) return SourceError(src, ln, "bad transpose");
                    t.transpose = (int)d;
                } else if (w[k] == "diatonic") {
                    if (!Num(w[k + 1], -14, 14, d) || d != std::floor(d)) return SourceError(src, ln, "bad diatonic");
                    t.diatonic = (int)d;
                } else if (w[k] == "legato") {
                    if (!Num(w[k + 1], 0.05, 1.0, d)) return SourceError(src, ln, "legato wants 0.05..1");
                    t.legato = (float)d;
                } else if (!SetPatchParam(t.patch, w[k], w[k + 1], err)) {
                    return SourceError(src, ln, err);
                }
            }
            s.tracks.push_back(t);
        } else if (h == "groove") {
            if (w.size() != 2) return SourceError(src, ln, "expected 'groove NAME'");
            if (s.grooves.count(w[1])) return SourceError(src, ln, "groove '" + w[1] + "' defined twice");
            block = kGroove;
            blockName = w[1];
            s.grooves[blockName].line = ln;
        } else if (h == "section") {
            double bars;
            if (w.size() != 3 || !Num(w[2], 1, 256, bars) || bars != std::floor(bars))
                return SourceError(src, ln, "expected 'section NAME BARS'");
            if (s.sections.count(w[1])) return SourceError(src, ln, "section '" + w[1] + "' defined twice");
            block = kSection;
            blockName = w[1];
            s.sections[blockName].bars = (int)bars;
            s.sections[blockName].line = ln;
        } else if (h == "form") {
            s.form.assign(w.begin() + 1, w.end());
            s.formLine = ln;
        } else {
            return SourceError(src, ln, "unknown block '" + h + "'");
        }
    }
    {
        size_t i = 0;
        int pc;
        if (ParsePitchClass(s.info.key, i, pc)) {
            s.tonic = pc;
            if (s.info.key.find("Dorian") != std::string::npos) s.scale = {0, 2, 3, 5, 7, 9, 10};
            else if (s.info.key.find("minor") != std::string::npos) s.scale = {0, 2, 3, 5, 7, 8, 10};
            else if (s.info.key.find("major") != std::string::npos) s.scale = {0, 2, 4, 5, 7, 9, 11};
            else s.tonic = -1;
        }
    }
    for (const Track& t : s.tracks)
        if (t.diatonic != 0 && s.tonic < 0)
            return SourceError(src, t.line, "diatonic needs a key such as 'D major', 'C minor' or 'F# minor (Dorian)'");
    if (s.info.tempo <= 0) return SourceError(src, 1, "no tempo given");
    if (s.info.key.empty()) return SourceError(src, 1, "no key given");
    if (s.form.empty()) return SourceError(src, 1, "no form given");
    for (const std::string& f : s.form)
        if (!s.sections.count(f)) return SourceError(src, s.formLine, "no section '" + f + "'");
    for (const Track& t : s.tracks) {
        if (t.copy.empty()) continue;
        bool found = false;
        for (const Track& o : s.tracks) found = found || (o.name == t.copy && !o.kit && o.name != t.name);
        if (!found) return SourceError(src, t.line, "copy names no other melodic track '" + t.copy + "'");
    }
    const int steps = 4 * s.meter;
    for (auto& [name, g] : s.grooves) {
        for (const GrooveRow& r : g.rows) {
            if (!bank.count(r.piece)) return SourceError(src, r.line, "no patch '" + r.piece + "' in the bank");
            if ((int)r.steps.size() != steps)
                return SourceError(src, r.line, "a groove row has " + std::to_string(steps) + " steps, this one " +
                                                    std::to_string(r.steps.size()));
            if (r.steps.find_first_not_of("Xxo.") != std::string::npos)
                return SourceError(src, r.line, "groove steps are X (accent), x, o (soft) or . (none)");
        }
    }
    for (auto& [name, sec] : s.sections) {
        for (const SectionRow& r : sec.rows) {
            if (r.track == "chords") continue;
            bool found = false;
            for (const Track& t : s.tracks) found = found || t.name == r.track;
            if (!found) return SourceError(src, r.line, "no track '" + r.track + "'");
            if (r.words.empty()) return SourceError(src, r.line, "empty row");
        }
    }
    return true;
}

// ---- chords -----------------------------------------------------------------

bool ParsePitchClass(const std::string& t, size_t& i, int& pc) {
    static const int kBase[7] = {9, 11, 0, 2, 4, 5, 7};
    if (i >= t.size() || t[i] < 'A' || t[i] > 'G') return false;
    pc = kBase[t[i] - 'A'];
    i++;
    if (i < t.size() && t[i] == '#') {
        pc++;
        i++;
    } else if (i < t.size() && t[i] == 'b') {
        pc--;
        i++;
    }
    pc = (pc + 12) % 12;
    return true;
}

bool ParseChord(const std::string& t, Chord& c) {
    static const struct {
        const char* name;
        std::vector<int> tones;
    } kQualities[] = {
        {"", {0, 4, 7}},         {"m", {0, 3, 7}},         {"7", {0, 4, 7, 10}},     {"maj7", {0, 4, 7, 11}},
        {"m7", {0, 3, 7, 10}},   {"sus4", {0, 5, 7}},      {"sus2", {0, 2, 7}},      {"dim", {0, 3, 6}},
        {"aug", {0, 4, 8}},      {"add9", {0, 4, 7, 14}},  {"madd9", {0, 3, 7, 14}}, {"6", {0, 4, 7, 9}},
        {"m6", {0, 3, 7, 9}},    {"9", {0, 4, 7, 10, 14}}, {"m9", {0, 3, 7, 10, 14}}, {"5", {0, 7}},
        {"7sus4", {0, 5, 7, 10}}, {"dim7", {0, 3, 6, 9}},  {"m7b5", {0, 3, 6, 10}},  {"maj9", {0, 4, 7, 11, 14}},
    };
    c = Chord();
    if (t == "N") return true;
    size_t i = 0;
    if (!ParsePitchClass(t, i, c.root)) return false;
    size_t slash = t.find('/', i);
    std::string q = t.substr(i, slash == std::string::npos ? std::string::npos : slash - i);
    bool known = false;
    for (const auto& k : kQualities)
        if (q == k.name) {
            c.tones = k.tones;
            known = true;
        }
    if (!known) return false;
    c.bass = c.root;
    if (slash != std::string::npos) {
        size_t j = slash + 1;
        if (!ParsePitchClass(t, j, c.bass) || j != t.size()) return false;
    }
    c.silent = false;
    return true;
}

// Chord voiced around middle C: root in [54, 66), tone i above it; indices past
// the chord's size climb an octave.
double ChordTone(const Chord& c, int i) {
    int root = 54 + ((c.root - 54 % 12) % 12 + 12) % 12;
    int n = (int)c.tones.size();
    return root + c.tones[i % n] + 12 * (i / n);
}

double BassNote(const Chord& c, char sym) {
    int low = 36 + ((c.bass - 36 % 12) % 12 + 12) % 12;  // bass root in [36, 48)
    int rootAbove = low + ((c.root - c.bass) % 12 + 12) % 12;
    switch (sym) {
    case 'R': return low;
    case 'O': return low + 12;
    case 'F': return rootAbove + 7;
    case 'L': return rootAbove - 5;
    case 'T': return rootAbove + (c.tones.size() > 1 ? c.tones[1] : 4);
    case 'S': return rootAbove + (c.tones.size() > 3 && c.tones[3] < 12 ? c.tones[3] : 10);
    }
    return low;
}

// ---- events -----------------------------------------------------------------

// Expands "name*3" into three names.
bool Expand(const SourceText& src, const SectionRow& r, size_t from, std::vector<std::string>& out) {
    for (size_t k = from; k < r.words.size(); k++) {
        const std::string& w = r.words[k];
        size_t star = w.find('*');
        int n = 1;
        std::string base = w;
        if (star != std::string::npos) {
            double d;
            if (!Num(w.substr(star + 1), 1, 256, d) || d != std::floor(d)) return SourceError(src, r.line, "bad repeat in '" + w + "'");
            n = (int)d;
            base = w.substr(0, star);
        }
        for (int i = 0; i < n; i++) out.push_back(base);
    }
    return true;
}

// Moves a note `steps` degrees along the key's scale; a note outside the scale
// moves from the scale note below it (a raised leading tone harmonises as the
// plain scale step, which sits in the chord).
int Diatonic(const Score& s, int midi, int steps) {
    if (steps == 0 || s.tonic < 0) return midi;
    const int n = (int)s.scale.size();
    int rel = midi - s.tonic;
    int octave = (int)std::floor(rel / 12.0);
    int within = rel - 12 * octave;
    int degree = 0;
    for (int d = 0; d < n; d++)
        if (s.scale[d] <= within) degree = d;
    int target = degree + steps;
    int oct2 = (int)std::floor((double)target / n);
    int deg2 = target - oct2 * n;
    return s.tonic + 12 * (octave + oct2) + s.scale[deg2];
}

float BeatAccent(int stepInBar) { return stepInBar % 4 == 0 ? (stepInBar == 0 ? 1.0f : 0.92f) : 0.82f; }

bool MelodyEvents(const SourceText& src, const Score& s, const std::vector<const SectionRow*>& rows, int bars,
                  long firstStep, int transpose, int diatonic, std::vector<Event>& out) {
    const int bar = 4 * s.meter;
    std::vector<Event> ev;
    long pos = 0;
    int len = 4;
    for (const SectionRow* r : rows) {
        if (pos % bar) return SourceError(src, r->line, "the previous melody row does not end on a bar line");
        for (const std::string& tok : r->words) {
            if (tok == "|") {
                if (pos % bar) return SourceError(src, r->line, "bar " + std::to_string(pos / bar + 1) + " of the melody holds " +
                                                                   std::to_string(pos % bar) + " sixteenths past the bar line");
                continue;
            }
            size_t colon = tok.find(':');
            std::string name = tok.substr(0, colon);
            if (colon != std::string::npos) {
                double d;
                if (!Num(tok.substr(colon + 1), 1, 64, d) || d != std::floor(d))
                    return SourceError(src, r->line, "bad length in '" + tok + "' (sixteenths, 1..64)");
                len = (int)d;
            }
            if (name == "r") {
                // a rest
            } else if (name == "~") {
                if (ev.empty()) return SourceError(src, r->line, "a tie '~' with no note before it");
                ev.back().steps += len;
            } else {
                int midi;
                if (!ParseNoteName(name, midi)) return SourceError(src, r->line, "'" + tok + "' is not a note (such as f#5:2), r or ~");
                ev.push_back({pos, len, (double)(Diatonic(s, midi, diatonic) + transpose), BeatAccent((int)(pos % bar))});
            }
            pos += len;
        }
    }
    if (pos % bar) return SourceError(src, rows.back()->line, "the melody does not end on a bar line");
    if (pos == 0) return true;
    // The melody cycles through the section.
    const long total = (long)bars * bar;
    for (long base = 0; base < total; base += pos)
        for (const Event& e : ev)
            if (base + e.step < total) {
                Event x = e;
                x.step += base + firstStep;
                x.steps = (int)std::min<long>(x.steps, total - base - e.step);
                out.push_back(x);
            }
    return true;
}

// Chord of every sixteenth of a section.
bool SectionChords(const SourceText& src, const Score& s, const Section& sec, std::vector<Chord>& out) {
    const int bar = 4 * s.meter;
    std::vector<std::vector<Chord>> cells;
    std::vector<Chord> cur;
    int line = sec.line;
    for (const SectionRow& r : sec.rows) {
        if (r.track != "chords") continue;
        line = r.line;
        for (const std::string& w : r.words) {
            if (w == "|") {
                if (cur.empty()) return SourceError(src, r.line, "empty chord bar");
                cells.push_back(cur);
                cur.clear();
                continue;
            }
            Chord c;
            if (!ParseChord(w, c)) return SourceError(src, r.line, "'" + w + "' is not a chord (such as F#m7, Gsus4, A/C#, N)");
            cur.push_back(c);
        }
        if (!cur.empty()) {
            cells.push_back(cur);
            cur.clear();
        }
    }
    out.assign((size_t)sec.bars * bar, Chord());
    if (cells.empty()) return true;
    for (int b = 0; b < sec.bars; b++) {
        const std::vector<Chord>& cell = cells[b % cells.size()];
        if (bar % cell.size()) return SourceError(src, line, "a bar of " + std::to_string(bar) + " sixteenths cannot be split into " +
                                                                 std::to_string(cell.size()) + " chords");
        int each = bar / (int)cell.size();
        for (int k = 0; k < bar; k++) out[(size_t)b * bar + k] = cell[k / each];
    }
    return true;
}

bool PatternEvents(const SourceText& src, const Score& s, const SectionRow& r, const Section& sec,
                   const std::vector<Chord>& chords, long firstStep, int transpose, std::vector<Event>& out) {
    const int bar = 4 * s.meter;
    if (r.words[0] == "pad") {
        if (r.words.size() != 1) return SourceError(src, r.line, "'pad' stands alone");
        for (long k = 0; k < (long)chords.size();) {
            long e = k + 1;
            while (e < (long)chords.size() && e % bar != 0 && chords[e].root == chords[k].root &&
                   chords[e].tones == chords[k].tones && chords[e].silent == chords[k].silent)
                e++;
            // A chord held over a bar line is struck again there: pads breathe with the bars.
            if (!chords[k].silent)
                for (int i = 0; i < (int)chords[k].tones.size(); i++)
                    out.push_back({firstStep + k, (int)(e - k), ChordTone(chords[k], i) + transpose, k % bar == 0 ? 0.9f : 0.8f});
            k = e;
        }
        return true;
    }
    std::vector<std::string> bars;
    if (!Expand(src, r, 0, bars)) return false;
    for (const std::string& p : bars) {
        if ((int)p.size() != bar)
            return SourceError(src, r.line, "pattern '" + p + "' has " + std::to_string(p.size()) + " steps, a bar has " + std::to_string(bar));
        if (p.find_first_not_of("ROFTSLroftslxX0123456789-.") != std::string::npos)
            return SourceError(src, r.line, "pattern '" + p + "' uses a sign other than R O F T S L x 0-9 - .");
        if (p[0] == '-') return SourceError(src, r.line, "pattern '" + p + "' starts with a hold");
    }
    for (int b = 0; b < sec.bars; b++) {
        const std::string& p = bars[b % bars.size()];
        for (int k = 0; k < bar; k++) {
            char c = p[k];
            if (c == '-' || c == '.') continue;
            int len = 1;
            while (k + len < bar && p[k + len] == '-') len++;
            long at = (long)b * bar + k;
            const Chord& ch = chords[at];
            if (ch.silent) continue;
            float vel = BeatAccent(k);
            if (c == 'x' || c == 'X') {
                for (int i = 0; i < (int)ch.tones.size(); i++)
                    out.push_back({firstStep + at, len, ChordTone(ch, i) + transpose, c == 'X' ? 1.0f : vel * 0.9f});
            } else if (c >= '0' && c <= '9') {
                out.push_back({firstStep + at, len, ChordTone(ch, c - '0') + transpose, vel});
            } else {
                bool soft = c >= 'a';
                char up = soft ? (char)(c - 32) : c;
                out.push_back({firstStep + at, len, BassNote(ch, up) + transpose, soft ? 0.6f * vel : vel});
            }
        }
    }
    return true;
}

uint32_t Fnv(const std::string& s) {
    uint32_t h = 2166136261u;
    for (char c : s) h = (h ^ (uint8_t)c) * 16777619u;
    return h;
}

}  // namespace

bool RenderScoreFile(const std::string& bankPath, const std::string& scorePath, int repeats,
                     std::vector<int16_t>& pcm, ScoreInfo& info) {
    SourceText bankSrc, src;
    if (!LoadSource(bankPath, bankSrc) || !LoadSource(scorePath, src)) return false;
    std::map<std::string, Patch> bank;
    if (!ParseBank(bankSrc, bank)) return false;
    Score s;
    if (!ParseScore(src, bank, s)) return false;

    const int bar = 4 * s.meter;
    long totalSteps = 0;
    for (const std::string& f : s.form) totalSteps += (long)s.sections[f].bars * bar;
    const double stepLen = 60.0 / s.info.tempo / 4.0 * kRate;
    // The loop is a whole number of samples and the sixteenths are placed on an
    // exact fraction of it, so every repeat lands on the same samples.
    const long loopSteps = totalSteps;
    const long loopFrames = (long)std::lround(totalSteps * stepLen);
    long frames = loopFrames;
    s.info.bars = (int)(totalSteps / bar);
    s.info.seconds = (double)frames / kRate;
    if (s.info.seconds < 60.0 || s.info.seconds > 120.0)
        return SourceError(src, s.formLine, "the form lasts " + std::to_string(s.info.seconds) + " s; a track lasts 60 to 120 s");
    if (repeats > 1) {
        std::vector<std::string> once = s.form;
        for (int r = 1; r < repeats; r++) s.form.insert(s.form.end(), once.begin(), once.end());
        totalSteps *= repeats;
        frames = loopFrames * repeats;
    }

    // Events per track over the whole form.
    std::vector<std::vector<Event>> events(s.tracks.size());
    std::vector<std::vector<std::pair<long, std::string>>> hits(s.tracks.size());  // kit: (step, groove)
    long first = 0;
    for (const std::string& f : s.form) {
        const Section& sec = s.sections[f];
        std::vector<Chord> chords;
        if (!SectionChords(src, s, sec, chords)) return false;
        for (size_t ti = 0; ti < s.tracks.size(); ti++) {
            const Track& t = s.tracks[ti];
            std::vector<const SectionRow*> rows;
            for (const SectionRow& r : sec.rows)
                if (r.track == t.name) rows.push_back(&r);
            if (rows.empty() && !t.copy.empty())
                for (const SectionRow& r : sec.rows)
                    if (r.track == t.copy) rows.push_back(&r);
            if (rows.empty()) continue;
            if (t.kit) {
                std::vector<std::string> names;
                for (const SectionRow* r : rows)
                    if (!Expand(src, *r, 0, names)) return false;
                for (const std::string& n : names)
                    if (!s.grooves.count(n)) return SourceError(src, rows[0]->line, "no groove '" + n + "'");
                for (int b = 0; b < sec.bars; b++) hits[ti].push_back({first + (long)b * bar, names[b % names.size()]});
                continue;
            }
            bool melody = false;
            for (const std::string& w : rows[0]->words) melody = melody || w.find(':') != std::string::npos;
            if (melody) {
                if (!MelodyEvents(src, s, rows, sec.bars, first, t.transpose, t.diatonic, events[ti])) return false;
            } else {
                if (rows.size() > 1) return SourceError(src, rows[1]->line, "a pattern track takes one row per section");
                if (!PatternEvents(src, s, *rows[0], sec, chords, first, t.transpose, events[ti])) return false;
            }
        }
        first += (long)sec.bars * bar;
    }

    const long swingSamples = std::lround(s.swing * stepLen);
    auto stepSample = [&](long step) {
        long at = (long)((2 * (int64_t)step * loopFrames + loopSteps) / (2 * (int64_t)loopSteps));
        return step % 2 == 1 ? at + swingSamples : at;
    };
    // Noise seeds depend on the place in the loop, not on the pass through it.
    auto noteSeed = [&](uint32_t base, long step, double midi) {
        return base ^ (uint32_t)((step % loopSteps) * 7919 + (long)std::lround(midi * 4) * 131);
    };

    // Enough room after the end for the longest release and the reverb.
    const long tail = 6 * kRate;
    StereoBuffer dry, rev, echo, track;
    dry.Resize(frames + tail);
    rev.Resize(frames + tail);
    echo.Resize(frames + tail);
    std::vector<double> power(s.tracks.size(), 0.0);
    for (size_t ti = 0; ti < s.tracks.size(); ti++) {
        const Track& t = s.tracks[ti];
        track.Resize(frames + tail);
        uint32_t seed = Fnv(t.name);
        long written = 0;
        if (t.kit) {
            for (const auto& [step0, gname] : hits[ti]) {
                const Groove& g = s.grooves[gname];
                for (const GrooveRow& r : g.rows) {
                    Patch p = bank[r.piece];
                    p.gain *= t.patch.gain;
                    for (int k = 0; k < bar; k++) {
                        char c = r.steps[k];
                        if (c == '.') continue;
                        float vel = c == 'X' ? 1.0f : c == 'x' ? 0.78f : 0.45f;
                        long st = step0 + k;
                        // A drummer never hits twice alike: up to 12% softer, fixed per place in the loop.
                        uint32_t h = noteSeed(seed, st, p.pitch) * 2654435761u;
                        vel *= 1.0f - 0.12f * (float)(h >> 24) / 255.0f;
                        written = std::max(written, RenderNote(p, p.pitch, stepSample(st), 4 * kRate, vel,
                                                               noteSeed(seed, st, p.pitch), track));
                    }
                }
            }
        } else {
            for (size_t ei = 0; ei < events[ti].size(); ei++) {
                const Event& e = events[ti][ei];
                long a = stepSample(e.step), b = stepSample(e.step + e.steps);
                long gate = std::max(1L, (long)((b - a) * t.legato));
                written = std::max(written, RenderNote(t.patch, MidiToHz(e.midi), a, gate, e.velocity,
                                                       noteSeed(seed, e.step, e.midi), track));
            }
        }
        for (long i = 0; i < written; i++) {
            power[ti] += (double)track.l[i] * track.l[i] + (double)track.r[i] * track.r[i];
            dry.l[i] += track.l[i];
            dry.r[i] += track.r[i];
            rev.l[i] += track.l[i] * t.patch.reverb;
            rev.r[i] += track.r[i] * t.patch.reverb;
            echo.l[i] += track.l[i] * t.patch.echo;
            echo.r[i] += track.r[i] * t.patch.echo;
        }
    }
    AddEcho(echo, stepSample(s.echoSteps), s.echoFeedback, 1.0f, rev);
    AddEcho(echo, stepSample(s.echoSteps), s.echoFeedback, 1.0f, dry);
    AddReverb(rev, 0.7f + 0.28f * s.room, 0.35f, s.reverb * 4.0f, dry);

    // What sounds past the end is what follows it when the track repeats: fold
    // it onto the start, so the loop from the first sample is seamless.
    for (long i = frames; i < dry.Size(); i++) {
        dry.l[(i - frames) % frames] += dry.l[i];
        dry.r[(i - frames) % frames] += dry.r[i];
    }
    float peak = 0.0f;
    for (long i = 0; i < frames; i++) peak = std::max({peak, std::fabs(dry.l[i]), std::fabs(dry.r[i])});
    if (peak <= 0.0f) return SourceError(src, 1, "the piece is silent");
    float g = std::pow(10.0f, s.peak / 20.0f) / peak;
    for (long i = 0; i < frames; i++) {
        dry.l[i] *= g;
        dry.r[i] *= g;
    }
    pcm = ToPcm16(dry, frames);
    info = s.info;
    for (size_t ti = 0; ti < s.tracks.size(); ti++) {
        info.trackNames.push_back(s.tracks[ti].name);
        double rms = std::sqrt(power[ti] / (2.0 * frames)) * g;
        info.trackRms.push_back(rms > 0 ? 20.0 * std::log10(rms) : -999.0);
    }
    return true;
}
