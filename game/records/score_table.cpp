// The score table and its text form. docs/scores.txt describes the format.
#include "game/records/score_table.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const char HEADER[] = "vortalis-scores 1";
enum { MAX_TOKENS = 9, MAX_LINE = 512 };

// Splits a line at runs of spaces and tabs; false when it has more than max
// tokens.
bool Split(const std::string& line, std::string* tokens, int max, int* n) {
    *n = 0;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) i++;
        if (i == line.size()) break;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') i++;
        if (*n == max) return false;
        tokens[(*n)++] = line.substr(start, i - start);
    }
    return true;
}

// A plain decimal number of at most nine digits, within lo..hi.
bool Number(const std::string& s, int lo, int hi, int* out) {
    if (s.empty() || s.size() > 9) return false;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v < lo || v > hi) return false;
    *out = v;
    return true;
}

bool Digits(const std::string& s, std::size_t at, std::size_t n, int lo, int hi) {
    int v = 0;
    return Number(s.substr(at, n), lo, hi, &v);
}

// "YYYY-MM-DD" and "HH:MM".
bool Date(const std::string& day, const std::string& time) {
    return day.size() == 10 && day[4] == '-' && day[7] == '-' && Digits(day, 0, 4, 0, 9999) &&
           Digits(day, 5, 2, 1, 12) && Digits(day, 8, 2, 1, 31) && time.size() == 5 && time[2] == ':' &&
           Digits(time, 0, 2, 0, 23) && Digits(time, 3, 2, 0, 59);
}

// "YYYY-MM-DD HH:MM" as one string.
bool DateText(const char* date) {
    const std::string s = date;
    return s.size() == 16 && s[10] == ' ' && Date(s.substr(0, 10), s.substr(11));
}

bool Fail(std::string* why, int line, const char* what) {
    if (why) *why = "line " + std::to_string(line) + ": " + what;
    return false;
}

// entry SERIAL SCORE STAGE|clear CONTINUES YYYY-MM-DD HH:MM REPLAY|-
bool ParseEntry(const std::string* t, int n, ScoreEntry* e) {
    if (n != 8) return false;
    *e = ScoreEntry{};
    if (!Number(t[1], 1, SCORE_SERIAL_MAX, &e->serial) || !Number(t[2], 0, SCORE_MAX, &e->score)) return false;
    if (t[3] == "clear") {
        e->stage = SCORE_STAGES;
        e->cleared = true;
    } else if (!Number(t[3], 1, SCORE_STAGES, &e->stage)) {
        return false;
    }
    if (!Number(t[4], 0, SCORE_CONTINUES_MAX, &e->continues) || !Date(t[5], t[6])) return false;
    std::snprintf(e->date, sizeof e->date, "%s %s", t[5].c_str(), t[6].c_str());
    if (t[7] == "-") return true;
    if (!IsReplayFileName(t[7].c_str())) return false;
    std::snprintf(e->replay, sizeof e->replay, "%s", t[7].c_str());
    return true;
}

bool Before(const ScoreEntry& a, const ScoreEntry& b) {
    if (a.score != b.score) return a.score > b.score;
    return a.serial < b.serial;
}

} // namespace

ScoreTable EmptyScoreTable(void) {
    ScoreTable t{};
    t.reached = 1;
    return t;
}

bool IsReplayFileName(const char* name) {
    const std::size_t n = std::strlen(name);
    if (n == 0 || n > SCORE_REPLAY_NAME_MAX || name[0] == '.') return false;
    for (std::size_t i = 0; i < n; i++) {
        const char c = name[i];
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                        c == '-' || c == '_';
        if (!ok) return false;
    }
    return true;
}

bool ParseScoreTable(const unsigned char* data, std::size_t size, ScoreTable* out, std::string* why) {
    if (size > SCORE_FILE_MAX) return Fail(why, 0, "too large");
    ScoreTable t = EmptyScoreTable();
    bool sawReached = false, sawRuns = false;
    int lineNo = 0;
    std::size_t pos = 0;
    while (pos < size) {
        std::size_t end = pos;
        while (end < size && data[end] != '\n') end++;
        std::string line(reinterpret_cast<const char*>(data) + pos, end - pos);
        pos = end + 1;
        lineNo++;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > MAX_LINE) return Fail(why, lineNo, "line too long");
        for (unsigned char c : line)
            if (c < 0x20 && c != '\t') return Fail(why, lineNo, "control byte");
        if (lineNo == 1) {
            if (line != HEADER) return Fail(why, lineNo, "not a score table");
            continue;
        }
        std::string tok[MAX_TOKENS];
        int n = 0;
        if (!Split(line, tok, MAX_TOKENS, &n)) return Fail(why, lineNo, "too many fields");
        if (n == 0 || tok[0][0] == '#') continue;
        if (tok[0] == "reached") {
            if (sawReached || n != 2 || !Number(tok[1], 1, SCORE_STAGES, &t.reached))
                return Fail(why, lineNo, "bad reached line");
            sawReached = true;
        } else if (tok[0] == "runs") {
            if (sawRuns || n != 2 || !Number(tok[1], 0, SCORE_SERIAL_MAX, &t.runs))
                return Fail(why, lineNo, "bad runs line");
            sawRuns = true;
        } else if (tok[0] == "entry") {
            if (t.count == SCORE_TABLE_SIZE) return Fail(why, lineNo, "more than ten entries");
            if (!ParseEntry(tok, n, &t.entries[t.count])) return Fail(why, lineNo, "bad entry");
            t.count++;
        } else {
            return Fail(why, lineNo, "unknown line");
        }
    }
    if (lineNo == 0) return Fail(why, 1, "empty file");
    // Missing or stale counters are mended from the entries themselves.
    for (int i = 0; i < t.count; i++) {
        t.reached = std::max(t.reached, t.entries[i].stage);
        t.runs = std::max(t.runs, t.entries[i].serial);
    }
    std::stable_sort(t.entries, t.entries + t.count, Before);
    *out = t;
    return true;
}

std::string FormatScoreTable(const ScoreTable& table) {
    std::string s = HEADER;
    s += "\nreached " + std::to_string(table.reached) + "\nruns " + std::to_string(table.runs) + "\n";
    for (int i = 0; i < table.count; i++) {
        const ScoreEntry& e = table.entries[i];
        char line[MAX_LINE];
        std::snprintf(line, sizeof line, "entry %d %d %s %d %s %s\n", e.serial, e.score,
                      e.cleared ? "clear" : std::to_string(e.stage).c_str(), e.continues, e.date,
                      e.replay[0] ? e.replay : "-");
        s += line;
    }
    return s;
}

int EnterScore(ScoreTable* table, const ScoreEntry& run) {
    ScoreEntry e = run;
    table->runs = std::min(table->runs + 1, static_cast<int>(SCORE_SERIAL_MAX));
    e.serial = table->runs;
    e.score = std::clamp(e.score, 0, static_cast<int>(SCORE_MAX));
    e.stage = e.cleared ? SCORE_STAGES : std::clamp(e.stage, 1, static_cast<int>(SCORE_STAGES));
    e.continues = std::clamp(e.continues, 0, static_cast<int>(SCORE_CONTINUES_MAX));
    e.date[sizeof e.date - 1] = 0;
    if (!DateText(e.date)) std::snprintf(e.date, sizeof e.date, "0000-01-01 00:00");
    e.replay[sizeof e.replay - 1] = 0;
    if (!IsReplayFileName(e.replay)) e.replay[0] = 0;
    table->reached = std::max(table->reached, e.stage);

    int at = table->count;
    while (at > 0 && e.score > table->entries[at - 1].score) at--;
    if (at == SCORE_TABLE_SIZE) return -1;
    const int last = std::min(table->count, SCORE_TABLE_SIZE - 1);
    for (int i = last; i > at; i--) table->entries[i] = table->entries[i - 1];
    table->entries[at] = e;
    table->count = std::min(table->count + 1, static_cast<int>(SCORE_TABLE_SIZE));
    return at;
}

int NewestScoreEntry(const ScoreTable& table) {
    int newest = -1;
    for (int i = 0; i < table.count; i++)
        if (newest < 0 || table.entries[i].serial > table.entries[newest].serial) newest = i;
    return newest;
}
