// stage_check: reports, as file:line: message, every timeline row the game
// would treat badly; exits 1 when it found any. With --all-patterns it also
// reports every movement pattern that none of the given files uses.
//   stage_check [--all-patterns] [--stamp FILE] storyH0.csv ...
// Run by the data build before converting a stage and by ctest.
#include <cstdio>
#include <cstring>
#include <vector>

#include "tools/stages/stage_rules.h"

int main(int argc, char** argv) {
    bool allPatterns = false;
    const char* stamp = nullptr;
    std::vector<const char*> files;
    for (int a = 1; a < argc; a++) {
        if (!std::strcmp(argv[a], "--all-patterns")) allPatterns = true;
        else if (!std::strcmp(argv[a], "--stamp") && a + 1 < argc) stamp = argv[++a];
        else files.push_back(argv[a]);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: stage_check [--all-patterns] [--stamp FILE] timeline.csv ...\n");
        return 2;
    }
    if (StartStageTools() != 0) {
        std::fprintf(stderr, "stage_check: the framework did not start\n");
        return 2;
    }
    int problems = 0;
    bool used[ENEMY_PATTERNS] = {};
    for (const char* path : files) {
        for (const StageProblem& p : CheckStageFile(path)) {
            std::printf("%s\n", FormatStageProblem(path, p).c_str());
            problems++;
        }
        MarkStagePatterns(path, used);
    }
    if (allPatterns) {
        for (int p = 0; p < ENEMY_PATTERNS; p++) {
            if (used[p]) continue;
            std::printf("%s: pattern %d is used by no row of these files\n", files.back(), p);
            problems++;
        }
    }
    StopStageTools();
    if (problems) return 1;
    if (stamp) {
        if (FILE* f = std::fopen(stamp, "wb")) std::fclose(f);
    }
    return 0;
}
