// Each of the five bosses fought to the end in the play frame's order: the real
// ship steps under a scripted pad that taps Shot every other frame and follows the
// boss's height, the boss steps, the collision pass and the effects. The ship is
// kept invincible; the stage clock holds through the fight and the clear follows
// 100 frames after the defeat.
#include "tests/game/boss_fixture.h"
#include "tests/game/player_pad.h"

#include "game/player/options.h"
#include "game/common/game_state.h"
#include "game/shell/scenes.h"
#include "game/common/pad.h"

using namespace boss_test;

namespace {

struct FightFigures {
    int entryFrame = -1, defeatFrame = -1, clearFrame = -1;
    int bossShotSounds = 0, mostBullets = 0, hits = 0;
};

// The play scene's order for one frame, with the scene timer rule at its end.
bool PlayFrame() {
    UpdatePlayFrame();
    if (boss.state == 0) scene_timer++;
    g_frame++;
    return scene_timer == boss.endTime + 100;
}

FightFigures FightStage(int stage) {
    FightFigures f;
    stage_number = stage;
    scene_timer = boss.endTime - 10;
    for (int frame = 0; frame < 40000 && f.clearFrame < 0; frame++) {
        // Kept alive: the pass still destroys what the ship touches.
        player.invincible = 1;
        std::vector<int> held;
        if (frame % 2 == 0) held.push_back(PadConfig.shot);
        if (boss.state != 0 && boss.y < player.y - 3) held.push_back(PadConfig.up);
        if (boss.state != 0 && boss.y > player.y + 3) held.push_back(PadConfig.down);
        for (int s = 0; s < PAD_SLOTS; s++) {
            bool on = false;
            for (int h : held) on = on || h == s;
            player_test::g_slots[s] = on ? player_test::g_slots[s] + 1 : 0;
        }
        const bool wasFighting = boss.state != 0;
        if (PlayFrame()) f.clearFrame = frame;
        if (!wasFighting && boss.state != 0) f.entryFrame = frame;
        if (wasFighting && boss.state == 0) f.defeatFrame = frame;
        if (boss.state != 0) {
            EXPECT_EQ(scene_timer, boss.endTime) << "frame " << frame;
        }
        if (FlyingBossBullets() > f.mostBullets) f.mostBullets = FlyingBossBullets();
    }
    f.bossShotSounds = Plays(SE_TAMA) + Plays(SE_FIRE);
    f.hits = player.score / 10;
    return f;
}

class BossStageTest : public BossTest {
protected:
    void SetUp() override {
        BossTest::SetUp();
        for (int& s : player_test::g_slots) s = 0;
        player_read_pad = player_test::ScriptedPad;
        ResetPadConfig();
        player.x = 100;
    }
    void TearDown() override {
        player_read_pad = CheckStatePad;
        BossTest::TearDown();
    }

    void Fight(int stage) {
        const FightFigures f = FightStage(stage);
        EXPECT_EQ(f.entryFrame, 10);
        ASSERT_GT(f.defeatFrame, f.entryFrame);
        EXPECT_EQ(f.clearFrame, f.defeatFrame + 99);   // the 100th frame counted from the defeat
        EXPECT_EQ(Plays(SE_BOSS_DEATH), 1);
        EXPECT_EQ(boss_bullets.active, 0);
        EXPECT_EQ(FlyingBossBullets(), 0);
        for (const TailSegment& s : boss_tail) EXPECT_EQ(s.state, 0);
        EXPECT_GT(f.bossShotSounds, 0);
        EXPECT_LT(boss.hp, 0);
        EXPECT_GE(f.hits, 151);   // 200 per main shot at power 0: 150 leave exactly 0
        RecordProperty("fight_frames", f.defeatFrame - f.entryFrame + 1);
        RecordProperty("boss_shot_sounds", f.bossShotSounds);
        RecordProperty("most_boss_bullets", f.mostBullets);
        RecordProperty("boss_hits", f.hits);
    }
};

} // namespace

TEST_F(BossStageTest, Stage0BossIsBeatenAndTheStageClears) { Fight(0); }
TEST_F(BossStageTest, Stage1BossIsBeatenAndTheStageClears) { Fight(1); }
TEST_F(BossStageTest, Stage2BossIsBeatenAndTheStageClears) { Fight(2); }
TEST_F(BossStageTest, Stage3BossIsBeatenAndTheStageClears) { Fight(3); }
TEST_F(BossStageTest, Stage4BossIsBeatenAndTheStageClears) { Fight(4); }
