// Replay figures: what recording costs a frame (the pad hook every frame, the
// state hash every 60th, with every table full), how long the list takes to
// read 500 replay headers, and the size of a replay per minute of ordinary
// play (masks that change every few frames). CPU time of this thread.
//
//   replay_figures [--replays N] [--frames N]
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "game/enemy/shots.h"
#include "game/files/player_files.h"
#include "game/common/game_state.h"
#include "bench/bench_clocks.h"
#include "game/player/boss.h"
#include "game/replay/replay.h"
#include "game/replay/replay_list.h"
#include "game/common/pad.h"
#include "game/state_hash.h"

namespace {

// A made-up minute-long stretch of play: direction changes every 5 to 40
// frames, Shot tapped in bursts.
ReplayData TypicalRun(uint32_t frames) {
    ReplayData r;
    uint32_t s = 1;
    uint16_t dir = 0;
    int left = 0;
    for (uint32_t f = 0; f < frames; f++) {
        s = s * 1103515245u + 12345u;
        if (--left <= 0) {
            dir = static_cast<uint16_t>((s >> 16) & 0xf);
            left = 5 + static_cast<int>((s >> 8) % 36);
        }
        const uint16_t shot = (f / 30) % 3 != 2 && f % 2 ? 0x10 : 0;
        r.masks.push_back(static_cast<uint16_t>(dir | shot));
    }
    for (uint32_t k = 0; k < ReplayCheckCount(frames); k++) {
        StateHash h;
        for (int p = 0; p < STATE_PARTS; p++) h.part[p] = s = s * 1103515245u + 12345u;
        r.checks.push_back(MakeReplayCheck(h));
    }
    return r;
}

} // namespace

int main(int argc, char** argv) {
    int replays = 500;
    int frames = 60000;
    for (int i = 1; i + 1 < argc; i++) {
        if (!std::strcmp(argv[i], "--replays")) replays = std::atoi(argv[++i]);
        if (!std::strcmp(argv[i], "--frames")) frames = std::atoi(argv[++i]);
    }

    // Recording: a full boss-bullet block and a hundred full shot groups make
    // the hash as dear as it gets.
    for (auto& g : eshot) {
        g.state = 1;
        for (auto& b : g.bullet) b.state = 1;
    }
    boss.state = 1;
    for (auto& b : boss_bullets.bullet) b.state = 1;
    StartRecording(REPLAY_START_NEW_GAME);
    const double t0 = ThreadCpuMs();
    for (int f = 0; f < frames; f++) RecordFrame(static_cast<unsigned>(f & 0x1f));
    const double t1 = ThreadCpuMs();
    FinishRecording(REPLAY_ENDED_CLEARED);
    const double hash0 = ThreadCpuMs();
    for (int k = 0; k < 1000; k++) HashGameState();
    const double hash1 = ThreadCpuMs();
    std::printf("recording: %.4f ms per frame on average over %d frames (the state hash alone: %.3f ms, every 60th frame)\n",
                (t1 - t0) / frames, frames, (hash1 - hash0) / 1000);

    const ReplayData minute = TypicalRun(3600);
    const std::vector<unsigned char> bytes = EncodeReplay(minute);
    std::printf("size: %zu bytes per minute of play (%zu masks in runs, %zu checks)\n", bytes.size(), minute.masks.size(),
                minute.checks.size());

    MakeFolders("bench-replays", nullptr);
    const ReplayData game = TypicalRun(60 * 60 * 20);
    const std::vector<unsigned char> gameBytes = EncodeReplay(game);
    for (int i = 0; i < replays; i++) {
        char name[64];
        std::snprintf(name, sizeof name, "bench-replays/replay-20260101-%06d.vrp", i);
        WriteFileAtomic(name, gameBytes.data(), gameBytes.size(), nullptr);
    }
    timespec w0, w1;
    clock_gettime(CLOCK_MONOTONIC, &w0);
    const std::vector<ReplayListEntry> list = ReadReplayList("bench-replays");
    clock_gettime(CLOCK_MONOTONIC, &w1);
    std::printf("list: %zu replays of 20 minutes (%zu bytes each) read in %.1f ms\n", list.size(), gameBytes.size(),
                (w1.tv_sec - w0.tv_sec) * 1000.0 + (w1.tv_nsec - w0.tv_nsec) / 1e6);
    for (const ReplayListEntry& e : list) std::remove(("bench-replays/" + e.name).c_str());
    return 0;
}
