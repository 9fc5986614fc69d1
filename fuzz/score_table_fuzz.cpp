// Fuzz target for the score table reader: any bytes as scores.txt. A table
// the reader accepts must keep its promises (at most ten entries, best first,
// values in range, terminated strings, plain replay names) and survive being
// written and read again unchanged, also after one more run is entered.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game/records/score_table.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

void CheckTable(const ScoreTable& t) {
    Check(t.count >= 0 && t.count <= SCORE_TABLE_SIZE);
    Check(t.reached >= 1 && t.reached <= SCORE_STAGES);
    for (int i = 0; i < t.count; i++) {
        const ScoreEntry& e = t.entries[i];
        Check(e.serial >= 1 && e.serial <= t.runs);
        Check(e.score >= 0 && e.score <= SCORE_MAX);
        Check(e.stage >= 1 && e.stage <= t.reached);
        Check(e.continues >= 0 && e.continues <= SCORE_CONTINUES_MAX);
        Check(std::memchr(e.date, 0, sizeof e.date) != nullptr && std::strlen(e.date) == 16);
        Check(std::memchr(e.replay, 0, sizeof e.replay) != nullptr);
        Check(e.replay[0] == 0 || IsReplayFileName(e.replay));
        if (i > 0) Check(t.entries[i - 1].score >= e.score);
    }
}

void CheckRoundTrip(const ScoreTable& t) {
    const std::string text = FormatScoreTable(t);
    ScoreTable back{};
    Check(ParseScoreTable(reinterpret_cast<const unsigned char*>(text.data()), text.size(), &back, nullptr));
    Check(FormatScoreTable(back) == text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ScoreTable t = EmptyScoreTable();
    std::string why;
    if (!ParseScoreTable(data, size, &t, &why)) {
        Check(!why.empty());
        Check(FormatScoreTable(t) == FormatScoreTable(EmptyScoreTable()));   // left untouched
        return 0;
    }
    CheckTable(t);
    CheckRoundTrip(t);
    ScoreEntry run{};
    run.score = size > 0 ? data[0] * 1000 : 0;
    run.stage = 3;
    std::strcpy(run.date, "2026-12-08 17:20");
    std::strcpy(run.replay, "replay-seed.vrp");
    EnterScore(&t, run);
    CheckTable(t);
    CheckRoundTrip(t);
    return 0;
}
