// Reading the replays folder for the list screen.
#include "game/replay/replay_list.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "game/files/player_files.h"
#include "game/text/texts.h"

namespace {

// A saved name split as the saver makes it: the stem before the extension,
// and the number after a last "-N" (1 when there is none).
struct NameKey {
    std::string stem;
    long number;
};

NameKey KeyOf(const std::string& name) {
    std::string stem = name.substr(0, name.rfind('.'));
    long number = 1;
    const std::size_t dash = stem.rfind('-');
    // A date and time part is 8 or 6 digits; a copy number is shorter.
    if (dash != std::string::npos && stem.size() - dash - 1 >= 1 && stem.size() - dash - 1 <= 4 &&
        stem.find_first_not_of("0123456789", dash + 1) == std::string::npos) {
        number = std::strtol(stem.c_str() + dash + 1, nullptr, 10);
        stem.resize(dash);
    }
    return {stem, number};
}

} // namespace

bool NewerReplayName(const std::string& a, const std::string& b) {
    const NameKey ka = KeyOf(a), kb = KeyOf(b);
    if (ka.stem != kb.stem) return ka.stem > kb.stem;
    if (ka.number != kb.number) return ka.number > kb.number;
    return a > b;
}

std::vector<ReplayListEntry> ReadReplayList(const std::string& folder) {
    std::vector<std::string> names = ListFolder(folder, ".vrp");
    std::sort(names.begin(), names.end(), NewerReplayName);
    std::vector<ReplayListEntry> list;
    list.reserve(names.size());
    std::vector<unsigned char> bytes;
    for (const std::string& name : names) {
        ReplayListEntry e;
        e.name = name;
        std::string error;
        e.readable = ReadWholeFile(folder + "/" + name, REPLAY_MAX_FILE, &bytes, &error) == READ_OK &&
                     DecodeReplay(bytes.data(), bytes.size(), &e.header, &error, true) && e.header.frames > 0;
        if (!e.readable) e.problem = error.empty() ? "the replay has no frames" : error;
        list.push_back(std::move(e));
    }
    return list;
}

std::string DescribeReplayEntry(const ReplayListEntry& e) {
    char line[200];
    if (!e.readable) {
        std::snprintf(line, sizeof line, Text(TEXT_REPLAY_DAMAGED), e.name.c_str(), e.problem.c_str());
        return line;
    }
    const std::time_t t = static_cast<std::time_t>(e.header.date);
    const std::tm* local = std::localtime(&t);
    char date[32] = "----------- --:--";
    if (local) std::strftime(date, sizeof date, "%Y-%m-%d %H:%M", local);
    const unsigned seconds = e.header.frames / 60;
    std::snprintf(line, sizeof line, Text(TEXT_REPLAY_ROW), date, e.header.finalScore, e.header.stageReached + 1,
                  seconds / 60, seconds % 60);
    return line;
}
