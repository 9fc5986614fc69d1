// Damaged sound files of every kind the loader reads: bytes flipped, cut and
// repeated at fixed pseudo-random places. Each one either loads and plays or
// returns −1; none may crash or read outside the file (the sanitizer build
// checks the second).
#include <gtest/gtest.h>

#include "tests/framework/sound_fixtures.h"

using namespace soundtest;

namespace {

uint32_t g_seed = 12345;
uint32_t Next() {
    g_seed = g_seed * 1664525u + 1013904223u;
    return g_seed >> 8;
}

std::string Damage(const std::string& good) {
    std::string s = good;
    switch (Next() % 4) {
    case 0:  // flip a few bytes, often in the headers
        for (int i = 0, n = 1 + Next() % 8; i < n && !s.empty(); i++) {
            size_t at = Next() % 2 ? Next() % (s.size() < 64 ? s.size() : 64) : Next() % s.size();
            s[at] = (char)Next();
        }
        break;
    case 1:  // cut
        s.resize(Next() % (s.size() + 1));
        break;
    case 2:  // a stretch copied over another place
        if (s.size() > 8) {
            size_t from = Next() % s.size(), to = Next() % s.size(), n = Next() % 64;
            for (size_t i = 0; i < n && from + i < s.size() && to + i < s.size(); i++) s[to + i] = s[from + i];
        }
        break;
    default:  // a 32-bit field set to an extreme
        if (s.size() > 8) {
            size_t at = Next() % (s.size() - 4);
            uint32_t v = Next() % 2 ? 0xFFFFFFFFu : 0;
            std::memcpy(&s[at], &v, 4);
        }
        break;
    }
    return s;
}

} // namespace

TEST(SoundCorrupt, DamagedFilesLoadOrFailCleanly) {
    ASSERT_TRUE(StartFramework());
    std::vector<std::string> goods;
    goods.push_back(Wav(2, 22050, 16, {1, 2, 3, 4, 5, 6, 7, 8}));
    goods.push_back(Riff(Chunk("LIST", "xyz") + Chunk("fmt ", FmtBody(1, 1, 8000, 8, 1, 18)) + Chunk("data", "abcdefg")));
    std::string ima;
    Put16(ima, 0x11); Put16(ima, 2); Put32(ima, 44100); Put32(ima, 44100 * 72 / 65);
    Put16(ima, 72); Put16(ima, 4); Put16(ima, 2); Put16(ima, 65);
    goods.push_back(Riff(Chunk("fmt ", ima) + Chunk("data", std::string(144, '\x17'))));
    std::string ogg = EncodeOgg(2, 44100, Sweep(2, 44100, 30000));
    if (!ogg.empty()) goods.push_back(ogg);
    std::string mp3 = EncodeMp3(1, 44100, Sweep(1, 44100, 10000));
    if (!mp3.empty()) goods.push_back(mp3);

    int loaded = 0, refused = 0;
    for (size_t g = 0; g < goods.size(); g++) {
        for (int round = 0; round < 60; round++) {
            WriteFile("bad.snd", Damage(goods[g]));
            int h = LoadSoundFile("bad.snd", 2, -1);
            if (h < 0) { refused++; continue; }
            loaded++;
            EXPECT_EQ(PlaySoundHandle(h, 3, 1), 0);
            Pull(3000);
            EXPECT_EQ(SetSoundLoopPos(0, h), 0);
            EXPECT_EQ(PlaySoundHandle(h, 3, 1), 0);
            Pull(3000);
            ProcessMessage();
            EXPECT_EQ(DeleteSound(h, 0), 0);
        }
    }
    // Both outcomes occur, so the damage reaches the readers.
    EXPECT_GT(loaded, 0);
    EXPECT_GT(refused, 0);
    FrameworkEnd();
}
