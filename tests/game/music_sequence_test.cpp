// The music sequencer in the running game: which music is loaded, started and
// faded in which frame of a stage, what a pause does to it, and that the title
// reset leaves no sound behind. Read frame by frame from the sound table.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "framework/sound/sound_internal.h"
#include "game/player/boss.h"
#include "game/player/player.h"
#include "game/app/vortalis_main.h"
#include "game/common/game_state.h"
#include "game/shell/menus.h"
#include "game/shell/music.h"
#include "tests/support/game_data.h"

namespace {

struct MusicFrame {
    int scene, timer, state, handle;
    bool live, playing;
    int attenuation;
    size_t oggBytes;
};

// Runs VortalisMain, recording the sequencer and its sound after every frame
// and letting the test choose the next frame's keys (a tap is a fresh press).
struct MusicDriver {
    std::vector<MusicFrame> frames;
    uint8_t keys[256] = {};
    uint8_t lastKeys[256] = {};
    std::function<void(MusicDriver&)> act;

    void Tap(int code) {
        if (!lastKeys[code]) keys[code] = 1;
    }

    int Run() {
        HeadlessSetAnswer(0);
        HeadlessSetKeysNow(keys);
        HeadlessOnPresent([this](int frame, const uint32_t*, int, int) {
            MusicFrame f{fucn_state, scene_timer, MusicState(), MusicHandle(), false, false, 0, 0};
            if (const SoundRecord* r = SoundFromHandle(MusicHandle())) {
                f.live = true;
                f.playing = r->voices[0].playing != 0;
                f.attenuation = r->attenuation;
                f.oggBytes = r->oggFile.size();
            }
            frames.push_back(f);
            std::memcpy(lastKeys, keys, sizeof keys);
            std::memset(keys, 0, sizeof keys);
            player.invincible = 1;
            if (act) act(*this);
            if (frame >= 30000) fucn_state = 900;   // a test that lost its way ends, not hangs
            HeadlessSetKeysNow(keys);
        });
        return VortalisMain();
    }
};

size_t FileSize(const char* path) {
    struct stat st;
    return stat(path, &st) == 0 ? static_cast<size_t>(st.st_size) : 0;
}

int LiveSounds() {
    int n = 0;
    for (const SoundRecord& r : g_sound.table) n += r.used != 0;
    return n;
}

// Shot through the logo and the title; the prologue is cut short by going
// straight to the new game, which keeps the sequencer's path (it has started
// the story music in scene 20).
void ToPlay(MusicDriver& d) {
    if (fucn_state == 1 || fucn_state == 10) d.Tap(KEY_Z);
    if (fucn_state == 20 && MusicState() == 4) fucn_state = 27;
}

const MusicFrame* FirstWhere(const std::vector<MusicFrame>& v, std::function<bool(const MusicFrame&)> p) {
    for (const MusicFrame& f : v)
        if (p(f)) return &f;
    return nullptr;
}

class Music : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LinkGameData());
        HeadlessSelect();
        ResetMenus();
    }
};

} // namespace

TEST_F(Music, StartsAtThirtyFadesFrom7701AndSwitchesToTheBossTrack) {
    MusicDriver d;
    int fought = 0;
    d.act = [&](MusicDriver& g) {
        ToPlay(g);
        // Skip the quiet middle of the first stage; the sequencer sees every
        // frame from 7600 on.
        if (fucn_state == 30 && scene_timer == 100 && stage_number == 0) scene_timer = 7600;
        if (boss.state != 0 && ++fought == 120) boss.hp = -1;
        if (fucn_state == 33) g.Tap(KEY_Z);   // through the map story
        if (fucn_state == 29 && stage_number == 1 && scene_timer == 3) fucn_state = 900;
    };
    EXPECT_EQ(d.Run(), 0);
    const auto& f = d.frames;

    const MusicFrame* card = FirstWhere(f, [](const MusicFrame& m) { return m.scene == 29; });
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->state, 5);
    EXPECT_EQ(card->oggBytes, FileSize("dat/music/stg_0.ogg"));
    EXPECT_FALSE(card->playing) << "loaded on the card, started in play";

    const int stageHandle = card->handle;
    for (const MusicFrame& m : f) {
        if (m.scene != 30 || m.state > 7) continue;
        if (m.timer < 30) {
            EXPECT_EQ(m.state, 5) << "timer " << m.timer;
            EXPECT_FALSE(m.playing) << "timer " << m.timer;
        } else if (m.timer <= 100) {
            EXPECT_EQ(m.state, 6) << "timer " << m.timer;
            EXPECT_TRUE(m.playing) << "timer " << m.timer;
            EXPECT_EQ(m.attenuation, 0) << "full volume before the fade";
        }
    }

    // The fade: the volume set in frame t is 150 - (t - 7701), never below 0.
    int faded = 0;
    for (const MusicFrame& m : f) {
        if (m.scene != 30 || m.handle != stageHandle || m.timer < 7600) continue;
        int expect = 0;
        if (m.timer >= 7701) {
            const int v = 150 - (m.timer - 7701);
            expect = SoundAttenuationFor(v > 0 ? v : 0);
        }
        EXPECT_EQ(m.attenuation, expect) << "timer " << m.timer;
        faded += m.timer >= 7701;
    }
    EXPECT_EQ(faded, 199) << "frames 7701..7899";

    const MusicFrame* boss = FirstWhere(f, [](const MusicFrame& m) { return m.scene == 30 && m.timer == 7900; });
    ASSERT_NE(boss, nullptr);
    EXPECT_EQ(boss->state, 7);
    EXPECT_NE(boss->handle, stageHandle);
    EXPECT_EQ(SoundFromHandle(stageHandle), nullptr) << "the stage music is deleted when replaced";
    EXPECT_EQ(boss->oggBytes, FileSize("dat/music/boss_0.ogg"));
    EXPECT_FALSE(boss->playing);
    EXPECT_EQ(boss->attenuation, 0) << "a fresh handle at the default volume";
    for (const MusicFrame* m = boss; m->timer < 8000; m++) EXPECT_FALSE(m->playing) << "timer " << m->timer;

    const MusicFrame* enter = FirstWhere(f, [](const MusicFrame& m) { return m.scene == 30 && m.timer == 8000; });
    ASSERT_NE(enter, nullptr);
    EXPECT_TRUE(enter->playing);
    EXPECT_EQ(enter->state, 4);
    EXPECT_EQ(enter->handle, boss->handle);

    // The boss music plays on through the clear and the map story.
    for (const MusicFrame* m = enter; m->scene != 29; m++) {
        EXPECT_EQ(m->handle, boss->handle) << "scene " << m->scene;
        EXPECT_TRUE(m->playing) << "scene " << m->scene;
    }
    const MusicFrame* next = FirstWhere(f, [&](const MusicFrame& m) { return &m > enter && m.scene == 29; });
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->state, 5);
    EXPECT_EQ(next->oggBytes, FileSize("dat/music/stg_1.ogg"));
}

TEST_F(Music, APauseBeforeFrameThirtyDelaysTheStageMusic) {
    MusicDriver d;
    int step = 0, pausedFrames = 0;
    d.act = [&](MusicDriver& g) {
        ToPlay(g);
        if (step == 0 && fucn_state == 30 && scene_timer == 10) {
            g.Tap(KEY_ESCAPE);
            step = 1;
        } else if (step == 1 && fucn_state == 301 && ++pausedFrames == 60) {
            g.Tap(KEY_ESCAPE);
            step = 2;
        } else if (step == 2 && fucn_state == 30 && scene_timer == 40) {
            fucn_state = 900;
        }
    };
    EXPECT_EQ(d.Run(), 0);
    bool sawPause = false;
    for (const MusicFrame& m : d.frames) {
        if (m.scene == 301) {
            sawPause = true;
            EXPECT_EQ(m.timer, 11);
            EXPECT_EQ(m.state, 5);
            EXPECT_FALSE(m.playing);
        }
        if (m.scene != 30) continue;
        EXPECT_EQ(m.playing, m.timer >= 30) << "timer " << m.timer;
        EXPECT_EQ(m.state, m.timer >= 30 ? 6 : 5) << "timer " << m.timer;
    }
    EXPECT_TRUE(sawPause);
    EXPECT_EQ(pausedFrames, 60);
}

TEST_F(Music, ReturningToTheTitleFromThePlayPauseFreesTheMusic) {
    MusicDriver d;
    std::vector<int> liveAtTitle;
    std::vector<bool> titlePlaying;
    int step = 0, rounds = 0, oldHandle = -1;
    std::vector<bool> oldFreed;
    d.act = [&](MusicDriver& g) {
        ToPlay(g);
        if (fucn_state == 10 && step == 0) {
            liveAtTitle.push_back(LiveSounds());
            titlePlaying.push_back(g.frames.back().playing);
            step = 1;
        } else if (step == 1 && fucn_state == 30 && scene_timer == 50) {
            oldHandle = MusicHandle();
            g.Tap(KEY_ESCAPE);
            step = 2;
        } else if (step == 2 && fucn_state == 301) {
            g.Tap(KEY_DOWN);
            step = 3;
        } else if (step == 3) {
            g.Tap(KEY_Z);   // タイトルへ戻る
            step = 4;
        } else if (step == 4 && fucn_state == 1) {
            oldFreed.push_back(SoundFromHandle(oldHandle) == nullptr);
            step = rounds++ < 2 ? 0 : 5;
        } else if (step == 5) {
            fucn_state = 900;
        }
    };
    EXPECT_EQ(d.Run(), 0);
    ASSERT_EQ(liveAtTitle.size(), 3u);
    EXPECT_EQ(liveAtTitle[1], liveAtTitle[0]) << "one music at a time, however often the title returns";
    EXPECT_EQ(liveAtTitle[2], liveAtTitle[0]);
    EXPECT_EQ(titlePlaying, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(oldFreed, (std::vector<bool>{true, true, true}));
}
