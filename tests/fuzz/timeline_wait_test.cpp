// Regression test for a fault the timeline fuzz target found: a wait column at
// the top of the 32-bit range (the reader saturates there) made the patterns'
// "age == W + constant" sums overflow.
#include <climits>
#include <string>
#include <vector>

#include "tests/game/enemy_fixture.h"

namespace {

struct Track {
    std::vector<double> x, y;
    std::vector<int> state, pose;
};

} // namespace

class FuzzTimeline : public EnemyModule {
protected:
    // One enemy of `pattern` read from a timeline with the given wait column,
    // then followed for `frames` updates.
    static Track Follow(int pattern, const std::string& wait, int frames);
};

Track FuzzTimeline::Follow(int pattern, const std::string& wait, int frames) {
    ResetEnemiesStage();
    ResetShotGroupsStage();
    RandomSeed(7);
    WriteFile("dat/csv/storyH0.csv",
                           "header\nheader\n0," + std::to_string(pattern) + ",0,320,240,1.5,-1,0,0,10,0," + wait +
                               ",-1,-1,-1,-1,-1,-1\n");
    stage_number = 0;
    LoadStory();
    scene_timer = 0;
    SpawnEnemies();
    Track t;
    for (int f = 0; f < frames; f++) {
        UpdateEnemies();
        t.x.push_back(enemy[0].x);
        t.y.push_back(enemy[0].y);
        t.state.push_back(enemy[0].state);
        t.pose.push_back(enemy[0].pose);
    }
    return t;
}

// The fuzzer's input had "2147483647" in the wait column. A wait that large
// means "never": every pattern must move exactly as with a wait of a million
// frames, frame by frame (and, in the sanitizer build, without overflow).
TEST_F(FuzzTimeline, HugeWaitBehavesAsNever) {
    for (int p = 0; p < ENEMY_PATTERNS; p++) {
        const Track never = Follow(p, "1000000", 300);
        const Track huge = Follow(p, "2147483647", 300);
        const Track over = Follow(p, "99999999999", 300);   // saturated by the reader
        ASSERT_EQ(story[0].wait, INT32_MAX) << p;
        for (int f = 0; f < 300; f++) {
            ASSERT_EQ(huge.state[f], never.state[f]) << "pattern " << p << " frame " << f;
            ASSERT_EQ(huge.pose[f], never.pose[f]) << "pattern " << p << " frame " << f;
            ASSERT_EQ(huge.x[f], never.x[f]) << "pattern " << p << " frame " << f;
            ASSERT_EQ(huge.y[f], never.y[f]) << "pattern " << p << " frame " << f;
            ASSERT_EQ(over.x[f], never.x[f]) << "pattern " << p << " frame " << f;
            ASSERT_EQ(over.y[f], never.y[f]) << "pattern " << p << " frame " << f;
        }
    }
}
