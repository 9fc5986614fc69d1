// The game on broken data: with dat/ missing, and with data files replaced by
// garbage or cut short one at a time, it still starts, reaches the title, plays
// what it can with Shot pressed, logs what failed and ends cleanly. Each case
// builds its own dat/ of links to the built data with the one file damaged.
// By default a subset the run reads is damaged, a few files per reader;
// VORTALIS_BROKEN_ALL=1 damages every file of each kind in turn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "game/app/vortalis_main.h"
#include "game/common/game_state.h"
#include "tests/support/files.h"

namespace fs = std::filesystem;

namespace {

const int PLAY_FRAMES = 600;

// How far along the way in a run got, each step seen after the one before: the
// title, the prologue, play, and PLAY_FRAMES frames after play began (the
// close request of the play part, not the cap on the whole way in).
enum Reached { REACHED_NOTHING, REACHED_TITLE, REACHED_STORY, REACHED_PLAY, REACHED_PLAYED };
const char* const REACHED_NAMES[] = {"nothing", "the title", "the story", "play", "the end of play"};

struct GameRun {
    int result = 0;
    bool title = false, story = false, play = false, played = false;
    int frames = 0;
    std::string log;
    int Reached() const {
        const bool steps[] = {title, story, play, played};
        int n = 0;
        while (n < 4 && steps[n]) n++;
        return n;
    }
};

// Shot taps through the logo and the title, Control held through the story,
// then PLAY_FRAMES frames of play with Shot tapped and the ship moving, and a
// close request at the end. Scenes the game cannot reach are simply not seen.
GameRun RunGameHere() {
    GameRun run;
    HeadlessSelect();
    HeadlessSetAnswer(0);
    int playFrom = -1;
    bool closed = false;
    HeadlessOnPresent([&](int frame, const uint32_t*, int, int) {
        const int scene = fucn_state;
        uint8_t keys[PLATFORM_KEYS] = {};
        if (scene == 10) run.title = true;
        if (scene == 20) run.story = true;
        if (scene == 30 && playFrom < 0) {
            run.play = true;
            playFrom = frame;
        }
        if (scene == 1 || scene == 10) keys[KEY_Z] = frame % 2;
        else if (scene == 20) keys[KEY_LCONTROL] = 1;
        else if (scene >= 27 && scene <= 36) {
            keys[KEY_Z] = frame % 2;
            keys[(frame / 60) % 2 ? KEY_UP : KEY_DOWN] = 1;
        } else if (scene == 302 || scene == 301) {
            keys[KEY_Z] = frame % 2;   // continue / resume
        }
        HeadlessSetKeysNow(keys);
        // Enough for the whole way in; the play part ends PLAY_FRAMES after it began.
        if (!closed && ((playFrom > 0 && frame >= playFrom + PLAY_FRAMES) || frame >= 3000)) {
            HeadlessPostEventAtFrame(frame + 1, PLATFORM_EVENT_CLOSE_REQUEST);
            run.played = playFrom > 0 && frame >= playFrom + PLAY_FRAMES;
            closed = true;
        }
    });
    run.result = VortalisMain();
    HeadlessOnPresent(nullptr);
    run.frames = HeadlessFrameCount();
    run.log = ReadBytes("Log.txt");
    std::printf("broken data: %d frames; reached %s\n", run.frames, REACHED_NAMES[run.Reached()]);
    return run;
}

bool EndsCleanly(const std::string& log) {
    const std::string last = "フレームワークを終了しました\r\n";
    return log.size() >= last.size() && log.compare(log.size() - last.size(), last.size(), last) == 0;
}

std::vector<std::string> DataFiles(const fs::path& dat) {
    std::vector<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(dat))
        if (e.is_regular_file()) out.push_back(fs::relative(e.path(), dat).generic_string());
    std::sort(out.begin(), out.end());
    return out;
}

// The files of one kind to damage: by default those the run reads (start-up
// loads every image and sound; the first story, stage table and three music
// files follow), a few per reader; VORTALIS_BROKEN_ALL=1 takes every file of
// the kind.
std::vector<std::string> ChosenFiles(const std::vector<std::string>& all, const std::vector<std::string>& exts,
                                     const std::vector<std::string>& subset) {
    const char* every = std::getenv("VORTALIS_BROKEN_ALL");
    if (!(every && *every == '1')) return subset;
    std::vector<std::string> out;
    for (const std::string& f : all)
        for (const std::string& e : exts)
            if (fs::path(f).extension() == e) out.push_back(f);
    return out;
}

// A dat/ of symbolic links to the built data with `damaged` written as a real file.
void MakeDamagedCopy(const fs::path& source, const fs::path& target, const std::vector<std::string>& files,
                     const std::string& damaged, const std::string& bytes) {
    fs::remove_all(target);
    for (const std::string& f : files) {
        const fs::path to = target / f;
        fs::create_directories(to.parent_path());
        if (f == damaged) WriteBytes(to.c_str(), bytes);
        else fs::create_symlink(source / f, to);
    }
}

// Bytes that look like nothing: a fixed pseudo-random pattern (with a few zero
// bytes and line feeds) of the original's length, at least 64 bytes.
std::string Garbage(size_t size) {
    std::string g(std::max<size_t>(size, 64), '\0');
    uint32_t x = 0x9E3779B9u;
    for (char& c : g) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x >> 24);
    }
    return g;
}

// Whether the run opens the file: start-up loads every picture and sound
// effect; of the music it plays only the title, story and first stage tracks.
bool OpenedByTheRun(const std::string& f) {
    if (f.rfind("music/", 0) != 0) return true;
    return f == "music/ttl_0.ogg" || f == "music/adv_0.ogg" || f == "music/stg_0.ogg";
}

void RunDamaged(const std::vector<std::string>& chosen) {
    const fs::path source = fs::path(VORTALIS_BINARY_DIR) / "dat";
    ASSERT_TRUE(fs::is_directory(source)) << "build the dat target first";
    const std::vector<std::string> all = DataFiles(source);
    const fs::path home = fs::current_path();
    int cases = 0;
    for (const std::string& f : chosen) {
        const std::string original = ReadBytes((source / f).c_str());
        const std::string damage[2] = {Garbage(original.size()), original.substr(0, original.size() / 2)};
        const char* kind[2] = {"garbage", "truncated"};
        for (int d = 0; d < 2; d++) {
            SCOPED_TRACE(f + " " + kind[d]);
            const fs::path dir = home / ("case" + std::to_string(cases++));
            fs::create_directories(dir);
            fs::current_path(dir);
            MakeDamagedCopy(source, dir / "dat", all, f, damage[d]);
            GameRun run = RunGameHere();
            fs::current_path(home);
            EXPECT_EQ(run.result, 0);
            // No file stops the way in: a damaged picture or sound is drawn
            // or played as nothing, a damaged script or stage table is read as
            // far as it goes, and the game goes on to play.
            EXPECT_STREQ(REACHED_NAMES[run.Reached()], REACHED_NAMES[REACHED_PLAYED]);
            EXPECT_TRUE(EndsCleanly(run.log)) << "log does not end with the shut-down line";
            // A damaged picture or sound the run opens is logged by name. A
            // WAV cut short still loads, with the samples it has.
            const std::string ext = fs::path(f).extension().string();
            if (OpenedByTheRun(f) && (ext == ".png" || ((ext == ".wav" || ext == ".ogg") && d == 0))) {
                EXPECT_NE(run.log.find("dat/" + f), std::string::npos) << "no log line names the file";
            }
            fs::remove_all(dir);
        }
    }
}

void RunKind(const std::vector<std::string>& exts, const std::vector<std::string>& subset) {
    const fs::path source = fs::path(VORTALIS_BINARY_DIR) / "dat";
    ASSERT_TRUE(fs::is_directory(source)) << "build the dat target first";
    const std::vector<std::string> chosen = ChosenFiles(DataFiles(source), exts, subset);
    ASSERT_FALSE(chosen.empty());
    RunDamaged(chosen);
}

} // namespace

TEST(BrokenData, MissingDataFolderStillReachesTheTitleAndEndsCleanly) {
    ASSERT_FALSE(fs::exists("dat"));
    GameRun run = RunGameHere();
    EXPECT_EQ(run.result, 0);
    EXPECT_STREQ(REACHED_NAMES[run.Reached()], REACHED_NAMES[REACHED_PLAYED]);
    EXPECT_TRUE(EndsCleanly(run.log));
    EXPECT_NE(run.log.find("フレームワークの初期化が完了しました\r\n"), std::string::npos);
    // Every image of the title is reported missing by name, and so are the sounds.
    for (const char* name : {"back", "nalu", "logo", "start", "end", "brix"}) {
        const std::string line = std::string("グラフィックファイル dat/img/title/") + name + ".png がありません\r\n";
        EXPECT_NE(run.log.find(line), std::string::npos) << line;
    }
    EXPECT_NE(run.log.find("右記のファイルのオープンに失敗しました：dat/se/start.wav"), std::string::npos);
    EXPECT_NE(run.log.find("右記の音声ファイルのロードに失敗しました_1：dat/se/start.wav"), std::string::npos);
}

TEST(BrokenData, StoryAndStageTablesGarbledOrTruncated) {
    RunKind({".csv"}, {"csv/adv1.csv", "csv/storyH0.csv"});
}

TEST(BrokenData, PicturesGarbledOrTruncated) {
    RunKind({".png"}, {"img/title/back.png", "img/title/brix.png", "img/title/start.png", "img/back/sora0.png",
                       "img/char/chmodel.png", "img/enemy/1-0.png", "img/adv1/adv_textbox.png", "img/num/2.png",
                       "img/bullet/tama.png", "img/adv1/sora.png"});
}

TEST(BrokenData, SoundsAndMusicGarbledOrTruncated) {
    RunKind({".wav", ".ogg"}, {"se/start.wav", "se/piko.wav", "se/tama.wav", "music/ttl_0.ogg", "music/adv_0.ogg",
                               "music/stg_0.ogg"});
}
