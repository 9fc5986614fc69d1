// The replay file byte by byte: header fields at their offsets, the body's
// coding, every refusal with its reason, random damage never crashing the
// reader; and the list's order and descriptions over good and damaged files.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdlib>
#include <functional>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "game/files/player_files.h"
#include "game/replay/replay_file.h"
#include "game/replay/replay_list.h"
#include "tests/support/files.h"

namespace {

ReplayData Sample(uint32_t frames) {
    ReplayData r;
    std::snprintf(r.gameVersion, sizeof r.gameVersion, "%s", "vortalis 9.8.7");
    r.date = 1765209600;   // 2025-12-08 16:00:00 UTC
    r.seed = 0xdeadbeef;
    r.dataDigest = 0x01020304;
    r.startStage = 2;
    r.stageReached = 3;
    r.endedBy = 1;
    r.finalScore = 123456;
    r.startFrameCounter = 777;
    r.startCounts[4] = 55;
    for (uint32_t f = 0; f < frames; f++) r.masks.push_back(static_cast<uint16_t>((f / 7) % 3 == 0 ? 0x10 : 0x12));
    r.fixes.push_back({3, 4, 2});
    r.fixes.push_back({frames - 1, 15, 9});
    for (uint32_t k = 0; k < ReplayCheckCount(frames); k++) {
        StateHash h;
        for (int p = 0; p < STATE_PARTS; p++) h.part[p] = k * 100 + p;
        r.checks.push_back(MakeReplayCheck(h));
    }
    return r;
}

uint32_t U32At(const std::vector<unsigned char>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

void PutU32(std::vector<unsigned char>* b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; i++) (*b)[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

// Rewrites the trailing CRC so that a lie in the header reaches the size checks.
void Reseal(std::vector<unsigned char>* b) {
    PutU32(b, b->size() - 4, static_cast<uint32_t>(crc32(0, b->data(), static_cast<uInt>(b->size() - 4))));
}

} // namespace

TEST(ReplayFile, HeaderFieldsSitAtTheirOffsetsAndTheRunComesBackWhole) {
    const ReplayData r = Sample(1000);
    const std::vector<unsigned char> b = EncodeReplay(r);
    ASSERT_GT(b.size(), static_cast<size_t>(REPLAY_HEADER_SIZE + 4));
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "VRPL");
    EXPECT_EQ(b[4] | b[5] << 8, 1);
    EXPECT_EQ(b[6] | b[7] << 8, 152);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[8])), "vortalis 9.8.7");
    EXPECT_EQ(U32At(b, 32), 1765209600u);
    EXPECT_EQ(U32At(b, 36), 0u);
    EXPECT_EQ(U32At(b, 40), 0xdeadbeefu);
    EXPECT_EQ(U32At(b, 44), 0x01020304u);
    EXPECT_EQ(std::vector<int>(b.begin() + 48, b.begin() + 52), (std::vector<int>{0, 2, 3, 1}));
    EXPECT_EQ(U32At(b, 52), 123456u);
    EXPECT_EQ(U32At(b, 56), 777u);
    EXPECT_EQ(U32At(b, 60), 1000u);
    EXPECT_EQ(U32At(b, 64), 2u);
    EXPECT_EQ(U32At(b, 68), 17u) << "(1000 - 1) / 60 + 1";
    EXPECT_EQ(U32At(b, 76), b.size() - 156);
    EXPECT_EQ(U32At(b, 80 + 4 * 4), 55u);
    EXPECT_EQ(U32At(b, b.size() - 4), static_cast<uint32_t>(crc32(0, b.data(), static_cast<uInt>(b.size() - 4))));
    // The body: runs of 7 (14, 7, …) as mask + varint, then the fixes, then the checks.
    std::vector<unsigned char> body(U32At(b, 72));
    uLongf got = body.size();
    ASSERT_EQ(uncompress(body.data(), &got, &b[152], U32At(b, 76)), Z_OK);
    EXPECT_EQ(std::vector<int>(body.begin(), body.begin() + 6), (std::vector<int>{0x10, 0, 7, 0x12, 0, 14}));
    EXPECT_EQ(body.size(), 96u * 3 + 1 + (1 + 1 + 4) + (2 + 1 + 4) + 17u * (4 + STATE_PARTS))
        << "96 runs, the fixes at frames 3 and 999 (a two-byte delta), 17 checks";
    const size_t check0 = body.size() - 17 * (4 + STATE_PARTS);
    EXPECT_EQ(U32At(body, check0), r.checks[0].all);
    EXPECT_EQ(body[check0 + 4 + STATE_BOSS], STATE_BOSS) << "part bytes fold the part's hash: 8 ^ 0 ^ 0 ^ 0";

    ReplayData back;
    std::string error;
    ASSERT_TRUE(DecodeReplay(b.data(), b.size(), &back, &error)) << error;
    EXPECT_EQ(back.masks, r.masks);
    EXPECT_EQ(back.frames, 1000u);
    ASSERT_EQ(back.fixes.size(), 2u);
    EXPECT_EQ(back.fixes[1].frame, 999u);
    EXPECT_EQ(back.fixes[1].slot, 15);
    EXPECT_EQ(back.fixes[1].count, 9);
    EXPECT_EQ(back.checks.back().all, r.checks.back().all);
    EXPECT_EQ(back.checks.back().part[STATE_BOSS], r.checks.back().part[STATE_BOSS]);
    EXPECT_EQ(back.startCounts[4], 55);
    EXPECT_EQ(back.seed, r.seed);

    ReplayData header;
    ASSERT_TRUE(DecodeReplay(b.data(), b.size(), &header, &error, true));
    EXPECT_EQ(header.frames, 1000u);
    EXPECT_TRUE(header.masks.empty());
}

TEST(ReplayFile, RefusesEveryKindOfBadFileWithItsReason) {
    const std::vector<unsigned char> good = EncodeReplay(Sample(500));
    struct Case {
        const char* reason;
        std::function<void(std::vector<unsigned char>*)> damage;
    };
    const std::vector<Case> cases = {
        {"too short to be a replay", [](auto* b) { b->resize(100); }},
        {"not a replay file", [](auto* b) { (*b)[0] = 'X'; }},
        {"replay format 2, this game reads format 1", [](auto* b) { (*b)[4] = 2; }},
        {"the header size is wrong", [](auto* b) { (*b)[6] = 151; }},
        {"the file's length does not match its header", [](auto* b) { b->pop_back(); }},
        {"the file is damaged (its checksum does not match)", [](auto* b) { (*b)[b->size() / 2] ^= 0x40; }},
        {"the run is longer than any replay can be", [](auto* b) { PutU32(b, 60, 0xffffffffu); Reseal(b); }},
        {"the number of check values does not fit the length", [](auto* b) { PutU32(b, 60, 440); Reseal(b); }},
        {"the header names a start or stage that does not exist", [](auto* b) { (*b)[49] = 5; Reseal(b); }},
        {"a starting hold count is negative", [](auto* b) { PutU32(b, 80, 0x80000000u); Reseal(b); }},
        // The frame counter must count the run's 500 frames without overflowing.
        {"the starting frame counter is out of range", [](auto* b) { PutU32(b, 56, 0x7fffffffu - 499); Reseal(b); }},
        {"the starting frame counter is out of range", [](auto* b) { PutU32(b, 56, 0xffffffffu); Reseal(b); }},
        {"the body is larger than any replay's", [](auto* b) { PutU32(b, 72, 1u << 30); Reseal(b); }},
        {"the body does not unpack to the size in the header", [](auto* b) { PutU32(b, 72, U32At(*b, 72) + 1); Reseal(b); }},
        {"the frames do not add up to the length in the header", [](auto* b) { PutU32(b, 60, 495); Reseal(b); }},
        {"the count fixes do not match the header", [](auto* b) { PutU32(b, 64, 3); Reseal(b); }},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> b = good;
        c.damage(&b);
        ReplayData out;
        std::string error;
        EXPECT_FALSE(DecodeReplay(b.data(), b.size(), &out, &error)) << c.reason;
        EXPECT_EQ(error, c.reason);
    }
}

TEST(ReplayFile, RandomDamageIsRefusedOrReadConsistentlyNeverOutOfBounds) {
    const std::vector<unsigned char> good = EncodeReplay(Sample(3000));
    std::mt19937 rng(5);
    for (int i = 0; i < 3000; i++) {
        std::vector<unsigned char> b = good;
        const int flips = 1 + static_cast<int>(rng() % 4);
        for (int k = 0; k < flips; k++) b[rng() % b.size()] ^= static_cast<unsigned char>(1 + rng() % 255);
        if (i % 3 == 0) b.resize(rng() % b.size());
        if (i % 2 == 0 && b.size() > 4) Reseal(&b);
        ReplayData out;
        std::string error;
        if (DecodeReplay(b.data(), b.size(), &out, &error)) {
            EXPECT_EQ(out.masks.size(), out.frames);
            EXPECT_EQ(out.checks.size(), ReplayCheckCount(out.frames));
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}

// A check names the first part whose byte differs; a change that the part bytes
// miss is still caught by the whole-state hash.
TEST(ReplayFile, ChecksNameTheFirstDifferingPart) {
    StateHash h{};
    for (int p = 0; p < STATE_PARTS; p++) h.part[p] = 0x01020304u * (p + 1);
    const ReplayCheck c = MakeReplayCheck(h);
    EXPECT_EQ(CheckMismatch(c, h), -1);
    for (int p : {0, static_cast<int>(STATE_ENEMIES), static_cast<int>(STATE_BOSS)}) {
        StateHash other = h;
        other.part[p] ^= 0x80;
        other.part[STATE_BOSS] ^= 0x1;
        EXPECT_EQ(CheckMismatch(c, other), p);
    }
    StateHash folded = h;
    folded.part[STATE_SHIP] ^= 0x01010000u;   // the same folded byte
    EXPECT_EQ(CheckMismatch(c, folded), STATE_PARTS);
    EXPECT_STREQ(StatePartName(STATE_PARTS), "whole");
}

TEST(ReplayList, NewestFirstWithDamagedFilesShownAndDescribed) {
    setenv("TZ", "UTC", 1);
    tzset();
    MakeFolders("replays", nullptr);
    ReplayData a = Sample(3725);   // 62 s
    const std::vector<unsigned char> bytes = EncodeReplay(a);
    WriteBytes("replays/replay-20260101-000000.vrp", std::string(bytes.begin(), bytes.end()));
    WriteBytes("replays/replay-20261231-235959.vrp", std::string(bytes.begin(), bytes.end()));
    WriteBytes("replays/replay-20260601-120000.vrp", "VRPL and then nothing a replay needs");
    WriteBytes("replays/notes.txt", "not a replay");
    const std::vector<ReplayListEntry> list = ReadReplayList("replays");
    ASSERT_EQ(list.size(), 3u);

    // Copies saved within one second carry -2, -3, …: later copies are newer.
    const std::vector<std::string> newestFirst = {
        "replay-20261231-235959-10.vrp", "replay-20261231-235959-9.vrp", "replay-20261231-235959-2.vrp",
        "replay-20261231-235959.vrp", "replay-20260601-120000.vrp", "replay-20260101-000000-3.vrp",
    };
    for (std::size_t i = 0; i < newestFirst.size(); i++)
        for (std::size_t j = 0; j < newestFirst.size(); j++)
            EXPECT_EQ(NewerReplayName(newestFirst[i], newestFirst[j]), i < j) << newestFirst[i] << " " << newestFirst[j];
    EXPECT_EQ(list[0].name, "replay-20261231-235959.vrp");
    EXPECT_EQ(list[1].name, "replay-20260601-120000.vrp");
    EXPECT_EQ(list[2].name, "replay-20260101-000000.vrp");
    EXPECT_FALSE(list[1].readable);
    EXPECT_EQ(DescribeReplayEntry(list[0]), "2025-12-08 16:00  score    123456  stage 4  1:02");
    EXPECT_EQ(DescribeReplayEntry(list[1]), "replay-20260601-120000.vrp  (壊れています: too short to be a replay)");
}
