// Streams: SetSoundLoopPos turning a sound into a stream under the same handle,
// the loop start (with the 64-bit product past 97 s), the not-before-the-end
// check, Ogg Vorbis played and looped sample for sample against a reference
// decode, and output that does not depend on when streams were refilled.
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include "tests/framework/sound_fixtures.h"

using namespace soundtest;

namespace {

std::vector<int> Ramp(int frames) {
    std::vector<int> v;
    for (int i = 0; i < frames; i++) v.push_back(i % 30011 - 15000);
    return v;
}

// Every sample of an Ogg file as vorbisfile decodes it.
std::vector<int16_t> ReferenceDecode(const std::string& path) {
    std::vector<int16_t> out;
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0) return out;
    char buf[8192];
    int section;
    long n;
    while ((n = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section)) > 0) {
        size_t at = out.size();
        out.resize(at + n / 2);
        std::memcpy(out.data() + at, buf, n);
    }
    ov_clear(&vf);
    return out;
}

} // namespace

TEST(SoundStreams, LoopPositionOnAWav) {
    ASSERT_TRUE(StartFramework());
    // 4410 frames at 44100 Hz: 100 ms, 44.1 frames per millisecond.
    WriteFile("m.wav", Wav(1, 44100, 16, Ramp(4410)));
    int h = LoadSoundFile("m.wav", 3, -1);
    ASSERT_GE(h, 0);
    EXPECT_EQ(SetSoundLoopPos(100, h), -1);    // frame 4410 is the end: not before it
    EXPECT_EQ(SetSoundLoopPos(99, h), 0);
    EXPECT_EQ(SetSoundLoopPos(-1, h), -1);     // 4294967295 ms
    // The handle survives the change into a stream.
    ASSERT_EQ(PlaySoundHandle(h, 3, 1), 0);
    auto l = Left(Pull(4410 + 3));
    for (int i = 0; i < 4410; i++) ASSERT_EQ(l[i], i % 30011 - 15000) << i;
    // Repeating: after the end comes the loop start, 99 ms = frame 4365.
    EXPECT_EQ(l[4410], 4365 - 15000);
    EXPECT_EQ(l[4411], 4366 - 15000);
    // Loop 0 starts again at the first sample.
    ASSERT_EQ(SetSoundLoopPos(0, h), 0);
    Pull(4410 - 4368);
    EXPECT_EQ(Left(Pull(2)), (std::vector<int>{-15000, -14999}));
    // The stream stops, resumes and restarts from the top like the buffers did.
    StopSoundHandle(h);
    EXPECT_EQ(Left(Pull(1)), (std::vector<int>{0}));
    PlaySoundHandle(h, 3, 0);
    EXPECT_EQ(Left(Pull(1)), (std::vector<int>{2 - 15000}));
    PlaySoundHandle(h, 1, 1);
    EXPECT_EQ(Left(Pull(1)), (std::vector<int>{-15000}));
    // Played once, it ends.
    Pull(4410);
    EXPECT_EQ(Left(Pull(1)), (std::vector<int>{0}));
    EXPECT_EQ(DeleteSound(h, 0), 0);
    FrameworkEnd();
}

TEST(SoundStreams, LoopStartPastNinetySevenSecondsUsesTheFullProduct) {
    ASSERT_TRUE(StartFramework());
    const int frames = 44100 * 100;
    WriteFile("long.wav", Wav(1, 44100, 16, Ramp(frames)));
    int h = LoadSoundFile("long.wav", 1, -1);
    ASSERT_GE(h, 0);
    // 98000 × 44100 does not fit 32 bits; the loop start is frame 4321800.
    ASSERT_EQ(SetSoundLoopPos(98000, h), 0);
    EXPECT_EQ(SetSoundLoopPos(100000, h), -1);
    ASSERT_EQ(PlaySoundHandle(h, 3, 1), 0);
    Pull(frames - 1);
    auto l = Left(Pull(3));
    EXPECT_EQ(l[0], (frames - 1) % 30011 - 15000);
    EXPECT_EQ(l[1], 4321800 % 30011 - 15000);
    EXPECT_EQ(l[2], 4321801 % 30011 - 15000);
    FrameworkEnd();
}

TEST(SoundStreams, OggPlaysAndLoopsSampleForSample) {
    ASSERT_TRUE(StartFramework());
    const int frames = 44100 * 2 + 123;
    std::string ogg = EncodeOgg(2, 44100, Sweep(2, 44100, frames));
    ASSERT_FALSE(ogg.empty()) << "the Ogg encoder refused the format";
    WriteFile("music.ogg", ogg);
    std::vector<int16_t> ref = ReferenceDecode("music.ogg");
    ASSERT_EQ(ref.size(), (size_t)frames * 2);

    int h = LoadSoundFile("music.ogg", 3, -1);
    ASSERT_GE(h, 0);
    // Loop positions are checked against the track's length.
    const int lengthMs = frames * 1000 / 44100;  // 2002 ms: frame 88288 < frames
    EXPECT_EQ(SetSoundLoopPos(lengthMs + 1, h), -1);
    EXPECT_EQ(SetSoundLoopPos(0, h), 0);
    ASSERT_EQ(PlaySoundHandle(h, 3, 1), 0);

    // Pull in uneven pieces, refilling now and then as ProcessMessage does.
    std::vector<int16_t> got;
    int pieces[] = {1, 700, 4096, 333, 20000, 9, 65000, 27};
    int k = 0;
    while (got.size() < (size_t)(frames + 5000) * 2) {
        auto p = Pull(pieces[k++ % 8]);
        got.insert(got.end(), p.begin(), p.end());
        if (k % 3 == 0) ProcessMessage();
    }
    for (size_t i = 0; i < ref.size(); i++) ASSERT_EQ(got[i], ref[i]) << "sample " << i;
    // After the end, loop 0 continues with the first sample.
    for (size_t i = 0; i < 5000 * 2; i++) ASSERT_EQ(got[ref.size() + i], ref[i]) << "after the loop, sample " << i;
    FrameworkEnd();
}

TEST(SoundStreams, OggInMemoryBuffersAndLoopInsideTheTrack) {
    ASSERT_TRUE(StartFramework());
    const int frames = 22050;
    std::string ogg = EncodeOgg(1, 22050, Sweep(1, 22050, frames));
    ASSERT_FALSE(ogg.empty()) << "the Ogg encoder refused the format";
    WriteFile("se.ogg", ogg);
    std::vector<int16_t> ref = ReferenceDecode("se.ogg");
    ASSERT_EQ(ref.size(), (size_t)frames);

    int h = LoadSoundFile("se.ogg", 2, -1);
    ASSERT_GE(h, 0);
    // Two overlapping copies of an Ogg sound: buffer 1 from 0, then buffer 0 from 0.
    PlaySoundHandle(h, 1, 1);
    auto a = Left(Pull(100));
    PlaySoundHandle(h, 1, 1);
    auto b = Left(Pull(2));
    // 22050 Hz mono: even output frames hit source frames exactly.
    EXPECT_EQ(a[0], ref[0]);
    EXPECT_EQ(a[2], ref[1]);
    EXPECT_EQ(a[98], ref[49]);
    EXPECT_EQ(b[0], ref[50] + ref[0]) << "two quiet copies: their plain sum";
    StopSoundHandle(h);

    // A loop start inside the track: 500 ms = frame 11025.
    ASSERT_EQ(SetSoundLoopPos(500, h), 0);
    PlaySoundHandle(h, 3, 1);
    auto l = Left(Pull(frames * 2 + 4));
    EXPECT_EQ(l[frames * 2 - 2], ref[frames - 1]);
    EXPECT_EQ(l[frames * 2], ref[11025]);
    EXPECT_EQ(l[frames * 2 + 2], ref[11026]);
    FrameworkEnd();
}

TEST(SoundStreams, MalformedOggFails) {
    ASSERT_TRUE(StartFramework());
    std::string ogg = EncodeOgg(2, 44100, Sweep(2, 44100, 200000));
    ASSERT_FALSE(ogg.empty()) << "the Ogg encoder refused the format";
    WriteFile("cut.ogg", ogg.substr(0, 40));
    EXPECT_EQ(LoadSoundFile("cut.ogg", 3, -1), -1);
    std::string garbled = ogg;
    for (size_t i = 4; i < 200 && i < garbled.size(); i++) garbled[i] = (char)(i * 37);
    WriteFile("garbled.ogg", garbled);
    EXPECT_EQ(LoadSoundFile("garbled.ogg", 3, -1), -1);
    WriteFile("magic.ogg", "OggS");
    EXPECT_EQ(LoadSoundFile("magic.ogg", 3, -1), -1);
    std::string log = ReadFile("Log.txt");
    EXPECT_NE(log.find("右記の音声ファイルのロードに失敗しました_2：cut.ogg"), std::string::npos);
    EXPECT_NE(log.find("右記の音声ファイルのロードに失敗しました_2：garbled.ogg"), std::string::npos);
    // A file cut after its headers still plays what it holds.
    WriteFile("half.ogg", ogg.substr(0, ogg.size() / 2));
    int h = LoadSoundFile("half.ogg", 3, -1);
    ASSERT_GE(h, 0);
    PlaySoundHandle(h, 1, 1);
    Pull(200000);
    EXPECT_EQ(Pull(1)[0], 0);
    FrameworkEnd();
}

// Damage past the first pages is found at load, rather than the track falling
// silent in play: every page's checksum, number and place is checked.
TEST(SoundStreams, OggDamagedPastItsFirstPagesIsRefusedAtLoad) {
    ASSERT_TRUE(StartFramework());
    const std::string ogg = EncodeOgg(2, 44100, Sweep(2, 44100, 200000));
    ASSERT_FALSE(ogg.empty()) << "the Ogg encoder refused the format";
    std::vector<std::string> pages;
    for (size_t at = 0; at + 27 <= ogg.size();) {
        const size_t segments = static_cast<uint8_t>(ogg[at + 26]);
        size_t size = 27 + segments;
        for (size_t i = 0; i < segments; i++) size += static_cast<uint8_t>(ogg[at + 27 + i]);
        pages.push_back(ogg.substr(at, size));
        at += size;
    }
    const size_t n = pages.size(), late = n * 3 / 4;
    ASSERT_GE(n, 6u);
    auto join = [&](size_t from, size_t to) {
        std::string s;
        for (size_t i = from; i < to; i++) s += pages[i];
        return s;
    };
    auto granule = [&](size_t i) {
        int64_t g = 0;
        for (int b = 7; b >= 0; b--) g = g << 8 | static_cast<uint8_t>(pages[i][6 + b]);
        return g;
    };
    // The pages with page i's granule position changed and its checksum made
    // to fit again.
    auto regranule = [&](size_t i, int64_t g) {
        std::string page = pages[i];
        for (int b = 0; b < 8; b++) page[6 + b] = static_cast<char>(static_cast<uint64_t>(g) >> (8 * b));
        ogg_page og;
        og.header = reinterpret_cast<unsigned char*>(page.data());
        og.header_len = 27 + static_cast<uint8_t>(page[26]);
        og.body = og.header + og.header_len;
        og.body_len = static_cast<long>(page.size()) - og.header_len;
        ogg_page_checksum_set(&og);
        return join(0, i) + page + join(i + 1, n);
    };
    std::string flipped = ogg;
    flipped[join(0, late + 1).size() - 10] ^= 0x40;
    const std::pair<std::string, std::string> damaged[] = {
        {"back.ogg", regranule(late, granule(late - 1) - 1)},       // a position going back
        {"flipped.ogg", flipped},                                   // a byte of a late page's audio
        {"gap.ogg", join(0, late) + join(late + 1, n)},             // a page left out
        {"twice.ogg", join(0, late + 1) + join(late, n)},           // a page repeated
        {"cutpage.ogg", join(0, n - 2) + pages[n - 2].substr(0, pages[n - 2].size() / 2) + pages[n - 1]},
    };
    for (const auto& [name, bytes] : damaged) {
        WriteFile(name, bytes);
        EXPECT_EQ(LoadSoundFile(name.c_str(), 3, -1), -1) << name;
        EXPECT_NE(ReadFile("Log.txt").find("右記の音声ファイルのロードに失敗しました_2：" + name), std::string::npos) << name;
    }
    // The whole file, and one cut inside its last page, load.
    WriteFile("whole.ogg", ogg);
    EXPECT_GE(LoadSoundFile("whole.ogg", 3, -1), 0);
    WriteFile("cutlast.ogg", join(0, n - 1) + pages[n - 1].substr(0, pages[n - 1].size() / 2));
    EXPECT_GE(LoadSoundFile("cutlast.ogg", 3, -1), 0);
    // A first audio page claiming 3000 frames more than its packets make: the
    // track is 3000 frames shorter than they hold, and plays exactly that long.
    size_t first = 0;
    while (first < n && granule(first) <= 0) first++;
    ASSERT_LT(first, n);
    WriteFile("ahead.ogg", regranule(first, granule(first) + 3000));
    const int h = LoadSoundFile("ahead.ogg", 1, -1);
    ASSERT_GE(h, 0);
    PlaySoundHandle(h, 1, 1);
    const std::vector<int> l = Left(Pull(200000));
    int before = 0, after = 0;
    for (int i = 196900; i < 197000; i++) before += l[i] != 0;
    for (int i = 197000; i < 200000; i++) after += l[i] != 0;
    EXPECT_GE(before, 90) << "the track's last 100 frames sound";
    EXPECT_EQ(after, 0) << "and nothing past its length";
    FrameworkEnd();
}

TEST(SoundStreams, OutputDoesNotDependOnWhenStreamsWereRefilled) {
    ASSERT_TRUE(StartFramework());
    std::string ogg = EncodeOgg(2, 32000, Sweep(2, 32000, 64000));
    ASSERT_FALSE(ogg.empty()) << "the Ogg encoder refused the format";
    WriteFile("a.ogg", ogg);
    int h = LoadSoundFile("a.ogg", 3, -1);
    ASSERT_EQ(SetSoundLoopPos(250, h), 0);
    auto run = [&](bool refill) {
        PlaySoundHandle(h, 3, 1);
        std::vector<int16_t> all;
        for (int k = 0; k < 300; k++) {
            if (refill) ProcessMessage();
            auto p = Pull(331 + k % 7);
            all.insert(all.end(), p.begin(), p.end());
        }
        StopSoundHandle(h);
        return all;
    };
    auto starved = run(false);
    auto fed = run(true);
    EXPECT_EQ(starved, fed);
    FrameworkEnd();
}

// The copies are loud: together they pass the 16-bit limits at every peak.
TEST(SoundStreams, FromTopZeroOnOggBuffersCopiesThePosition) {
    ASSERT_TRUE(StartFramework());
    std::string ogg = EncodeOgg(1, 44100, Sweep(1, 44100, 20000, 24000));
    ASSERT_FALSE(ogg.empty()) << "the Ogg encoder refused the format";
    WriteFile("b.ogg", ogg);
    std::vector<int16_t> ref = ReferenceDecode("b.ogg");
    int h = LoadSoundFile("b.ogg", 2, -1);
    PlaySoundHandle(h, 1, 1);
    Pull(5000);
    // The other buffer starts at frame 5000, where the first one is: the
    // output is the track doubled where that fits in 16 bits, and held at the
    // limit of the track's own sign where it does not, never wrapped round.
    PlaySoundHandle(h, 1, 0);
    auto l = Left(Pull(400));
    int loud = 0, held = 0, exact = 0;
    for (int i = 0; i < 400; i++) {
        const int track = ref[5000 + i];
        loud += track >= 16384 || track < -16384;
        if (track >= 16384) held += l[i] == 32767;
        else if (track < -16384) held += l[i] == -32768;
        else exact += l[i] == 2 * track;
    }
    EXPECT_GT(loud, 100) << "the track passes the limits doubled";
    EXPECT_EQ(held, loud);
    EXPECT_EQ(exact, 400 - loud);
    FrameworkEnd();
}
