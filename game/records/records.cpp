// The score table held in memory and its file.
#include "game/records/records.h"

#include <cstdio>
#include <string>
#include <vector>

#include "game/common/notice.h"
#include "game/files/player_files.h"
#include "game/text/texts.h"

namespace {

const char SCORES_FILE[] = "scores.txt";

struct Records {
    bool loaded;
    bool writable;      // false: the file there must not be written over this session
    ScoreTable table;
};

Records g_records;

void Load() {
    if (g_records.loaded) return;
    g_records.loaded = true;
    g_records.writable = true;
    g_records.table = EmptyScoreTable();
    std::vector<unsigned char> bytes;
    std::string error;
    const ReadResult read = ReadWholeFile(SCORES_FILE, SCORE_FILE_MAX, &bytes, &error);
    if (read == READ_MISSING) return;   // no run has ended yet
    std::string why = error;
    if (read == READ_OK && ParseScoreTable(bytes.data(), bytes.size(), &g_records.table, &why)) return;
    if (read == READ_FAILED && why != "too large") {
        g_records.writable = false;
        Notify(Text(TEXT_SCORES_UNREADABLE), SCORES_FILE, why.c_str());
        return;
    }
    std::string taken;
    if (MoveAside(SCORES_FILE, &taken, &error)) {
        Notify(Text(TEXT_SCORES_MOVED_ASIDE), SCORES_FILE, taken.c_str(), why.c_str());
    } else {
        g_records.writable = false;
        Notify(Text(TEXT_SCORES_NOT_MOVABLE), SCORES_FILE, error.c_str());
    }
}

void Save() {
    if (!g_records.writable) return;
    const std::string text = FormatScoreTable(g_records.table);
    std::string error;
    if (!WriteFileAtomic(SCORES_FILE, text.data(), text.size(), &error))
        Notify(Text(TEXT_SCORES_NOT_SAVED), SCORES_FILE, error.c_str());
}

} // namespace

void RecordFinishedRun(const ScoreEntry& run) {
    Load();
    ScoreEntry e = run;
    std::snprintf(e.date, sizeof e.date, "%s", LocalDateTime().c_str());
    EnterScore(&g_records.table, e);
    Save();
}

const ScoreTable& ScoresInPlay(void) {
    Load();
    return g_records.table;
}

int BestScore(void) {
    const ScoreTable& t = ScoresInPlay();
    return t.count > 0 ? t.entries[0].score : -1;
}

int HighestStageReached(void) { return ScoresInPlay().reached; }

void ForgetRecords(void) {
    g_records.loaded = false;
    g_records.table = EmptyScoreTable();
}
