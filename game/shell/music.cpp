// The music sequencer. Each state waits for its scene; when the condition
// holds the action runs and the next state's condition is tested in the same
// frame. Only one music sound exists at a time: loading replaces (stops and
// deletes) the previous one.
#include "game/shell/music.h"

#include <cstdio>

#include "framework/framework.h"
#include "game/player/boss.h"
#include "game/common/game_state.h"

namespace {

struct Music {
    int state;
    int handle;
    int volume;          // the stage music's fade value
    int loopPosition;    // every music loops from its very start
};

Music g_music;

void Load(const char* kind, int number) {
    char name[64];
    snprintf(name, sizeof name, "dat/music/%s_%d.ogg", kind, number);
    g_music.handle = LoadSoundFile(name, 3, -1);
    g_music.volume = 150;
    SetSoundLoopPos(g_music.loopPosition, g_music.handle);
}

void Replace(const char* kind, int number) {
    StopSoundHandle(g_music.handle);
    DeleteSound(g_music.handle, 0);
    Load(kind, number);
}

void Start() { PlaySoundHandle(g_music.handle, 3, 1); }

// State 6: the stage music fades out over the last 200 frames before the boss
// and the boss music is loaded 100 frames before the boss enters.
bool FadeAndSwitch() {
    if (scene_timer >= 7701 && scene_timer <= 7899) {
        SetSoundVolume(g_music.volume, g_music.handle);
        g_music.volume = static_cast<int>(g_music.volume - 0.75);
    }
    if (scene_timer == 7900) {
        Replace("boss", stage_number);
        return true;
    }
    return false;
}

} // namespace

int MusicState(void) { return g_music.state; }
int MusicHandle(void) { return g_music.handle; }

void ResetMusic(void) {
    // The title reset also frees the handle, so returning to the title never
    // leaves a sound behind.
    StopSoundHandle(g_music.handle);
    DeleteSound(g_music.handle, 0);
    g_music = Music{};
}

// State 4 loads the stage music at the next stage card and starts it in play.
void CueStageMusic(void) {
    StopSoundHandle(g_music.handle);
    g_music.state = 4;
}

// State 2 waits for the prologue, as the title leaves it.
void CuePrologueMusic(void) {
    StopSoundHandle(g_music.handle);
    g_music.state = 2;
}

void StepMusic(void) {
    for (;;) {
        switch (g_music.state) {
        case 0:
            Replace("ttl", 0);
            g_music.state = 1;
            continue;
        case 1:
            if (fucn_state != SCENE_TITLE) return;
            Start();
            g_music.state = 2;
            continue;
        case 2:
            if (fucn_state != SCENE_PROLOGUE_LOAD) return;
            Replace("adv", 0);
            g_music.state = 3;
            continue;
        case 3:
            if (fucn_state != SCENE_PROLOGUE) return;
            Start();
            g_music.state = 4;
            continue;
        case 4:
            if (fucn_state != SCENE_STAGE_CARD) return;
            Replace("stg", stage_number);
            g_music.state = 5;
            continue;
        case 5:
            if (fucn_state != SCENE_PLAY || scene_timer != 30) return;
            Start();
            g_music.state = 6;
            continue;
        case 6:
            if (fucn_state != SCENE_PLAY || !FadeAndSwitch()) return;
            g_music.state = 7;
            continue;
        case 7:
            if (fucn_state != SCENE_PLAY || scene_timer != boss.endTime) return;
            Start();
            g_music.state = stage_number < LAST_STAGE ? 4 : 10;
            if (g_music.state == 4) return;
            continue;
        case 10:
            if (fucn_state != SCENE_EPILOGUE_LOAD) return;
            Replace("adv", 0);
            g_music.state = 11;
            continue;
        case 11:
            if (fucn_state != SCENE_EPILOGUE) return;
            Start();
            g_music.state = 12;
            continue;
        case 12:
            if (fucn_state == SCENE_ENDING) {
                StopSoundHandle(g_music.handle);
                DeleteSound(g_music.handle, 0);
            }
            return;
        default:
            return;
        }
    }
}
