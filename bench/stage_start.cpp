// What a stage start costs: scene 28 (the loading picture, the tables reset,
// the stage's timeline read) for each of the five stages, and its two parts
// alone, on the headless platform. Run from the folder that holds dat/, or
// pass it:
//
//   stage_start [DATA_DIR] [--rounds N]
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "bench/bench_clocks.h"
#include "framework/framework.h"
#include "game/enemy/enemy.h"
#include "game/common/game_state.h"
#include "game/shell/scenes.h"
#include "game/common/assets.h"

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    int rounds = 20;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) rounds = std::max(1, std::atoi(argv[++i]));
        else if (chdir(argv[i]) != 0) {
            std::fprintf(stderr, "cannot enter %s\n", argv[i]);
            return 2;
        }
    }
    HeadlessSelect();
    if (FrameworkInit() == -1 || SetDrawTarget(-2) != 0) {
        std::fprintf(stderr, "the framework did not start\n");
        return 1;
    }
    LoadAssets();
    std::printf("stage start, median of %d rounds (ms): scene 28 whole / tables reset / timeline read\n", rounds);
    for (int stage = 0; stage < 5; stage++) {
        std::vector<double> whole, reset, timeline;
        for (int r = 0; r < rounds; r++) {
            stage_number = stage;
            fucn_state = 28;
            double t = WallMs();
            RunScene();
            whole.push_back(WallMs() - t);
            FlipScreen();
            t = WallMs();
            ResetStage();
            reset.push_back(WallMs() - t);
            t = WallMs();
            LoadStory();
            timeline.push_back(WallMs() - t);
        }
        std::printf("  stage %d: %7.3f  %7.3f  %7.3f   (%d timeline rows)\n", stage + 1, Median(whole), Median(reset),
                    Median(timeline), story_count);
    }
    FrameworkEnd();
    return 0;
}
