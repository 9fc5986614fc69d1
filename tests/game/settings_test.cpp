// The settings file: the exact text written, what the reader keeps and skips,
// binding sets it refuses, and the load and atomic save in the config folder;
// then the settings as the game applies them: the volumes heard in the mixed
// output, and keys refused or taken on the way from the file and the settings
// screen to the pad the game plays with.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "game/common/game_state.h"
#include "game/common/language.h"
#include "game/common/notice.h"
#include "game/common/pad.h"
#include "game/files/player_files.h"
#include "game/player/shots.h"
#include "game/settings/settings.h"
#include "game/shell/menus.h"
#include "tests/framework/sound_fixtures.h"
#include "tests/support/files.h"
#include "tests/support/game_data.h"
#include "tests/support/game_driver.h"

namespace {

Settings Parse(const std::string& text, std::vector<std::string>* problems) {
    Settings s;
    ParseSettings(text.data(), text.size(), &s, problems);
    return s;
}

// Points the config folder at the test's own working directory.
std::string UseLocalConfig() {
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return "";
    setenv("XDG_CONFIG_HOME", cwd, 1);
    return std::string(cwd) + "/vortalis/settings.ini";
}

} // namespace

TEST(SettingsFile, DefaultsAreWrittenExactlyAndEveryValueRoundTrips) {
    const std::string text = FormatSettings(Settings());
    const std::string body = text.substr(text.find("music_volume"));
    EXPECT_EQ(body,
              "music_volume = 10\neffect_volume = 10\nscreen = fullscreen\nwindow_scale = 1\nask_at_start = yes\n"
              "key_shot = Z\nkey_skip = LCtrl\nkey_formation = LShift\nkey_pause = Escape\n"
              "pad_shot = 1\npad_skip = 3\npad_formation = 8\npad_pause = 12\n");
    for (size_t start = 0; start < text.find("music_volume"); start = text.find('\n', start) + 1) {
        EXPECT_EQ(text[start], ';') << "every line before the values is a comment";
    }

    Settings s;
    s.musicVolume = 0;
    s.effectVolume = 7;
    s.fullscreen = false;
    s.windowScale = 3;
    s.askAtStart = false;
    s.language = LANGUAGE_EN;
    const int keys[PAD_ACTIONS] = {0x2D, 0x39, 0x1E, 0x19};   // X, Space, A, P
    const int buttons[PAD_ACTIONS] = {24, 2, 1, 10};
    for (int a = 0; a < PAD_ACTIONS; a++) {
        s.bindings.keys[a] = keys[a];
        s.bindings.buttons[a] = buttons[a];
    }
    std::vector<std::string> problems;
    const std::string written = FormatSettings(s);
    const Settings back = Parse(written, &problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(FormatSettings(back), written);
    EXPECT_EQ(back.windowScale, 3);
    EXPECT_EQ(back.bindings.keys[ACTION_PAUSE], 0x19);
    EXPECT_NE(written.find("\nlanguage = en\n"), std::string::npos) << "a chosen language is kept; without one, the locale decides";
    EXPECT_EQ(back.language, LANGUAGE_EN);
    // Names and numbers both name keys; unnamed codes come back as "Key%d".
    for (int code = 1; code < 256; code++) EXPECT_EQ(KeyFromName(KeyName(code)), code) << code;
}

TEST(SettingsFile, MalformedLinesAndUnknownKeysAreSkippedOneLineEach) {
    const std::string text =
        "; comment\n# comment\n\n"
        "music_volume = 4\r\n"          // CRLF is fine
        "no equals sign here\n"          // 1
        "colour = blue\n"               // 2: unknown key
        "effect_volume = 11\n"          // 3: out of range
        "effect_volume = 3x\n"          // 4: not a number
        "screen = sideways\n"           // 5
        "ask_at_start = maybe\n"        // 6
        "window_scale = 0\n"            // 7
        "key_shot = NoSuchKey\n"        // 8
        "pad_pause = 25\n"              // 9
        "  effect_volume=2  ; a comment may end a line\n"
        "= 3\n"                         // 10: empty key
        "screen = window";              // no final line feed
    std::vector<std::string> problems;
    const Settings s = Parse(text, &problems);
    EXPECT_EQ(problems.size(), 10u);
    EXPECT_NE(problems[0].find("5行目"), std::string::npos);
    EXPECT_NE(problems[1].find("colour"), std::string::npos);
    EXPECT_EQ(s.musicVolume, 4);
    EXPECT_EQ(s.effectVolume, 2);
    EXPECT_FALSE(s.fullscreen);
    EXPECT_EQ(s.windowScale, 1);
    EXPECT_TRUE(s.askAtStart);
    EXPECT_EQ(s.bindings.keys[ACTION_SHOT], 0x2C);
    EXPECT_EQ(FormatSettings(s).find("colour"), std::string::npos);   // kept out of the next save
}

TEST(SettingsFile, BindingSetsThatLeaveAnActionWithoutItsOwnKeyAreRefused) {
    const Settings d;
    const char* const refused[] = {
        "key_skip = Z\n",                        // Z is shot's: shot would share it
        "key_shot = Up\n",                       // moves the ship
        "key_pause = F12\n",                     // the screenshot key
        "key_shot = F11\n",                      // the full-screen switch
        "key_formation = F1\n",                  // the controls screen
        "key_shot = Key0\n",
        "key_shot = X\nkey_pause = X\n",
    };
    for (const char* text : refused) {
        std::vector<std::string> problems;
        const Settings s = Parse(text, &problems);
        EXPECT_EQ(problems.size(), 1u) << text;
        for (int a = 0; a < PAD_ACTIONS; a++) EXPECT_EQ(s.bindings.keys[a], d.bindings.keys[a]) << text;
    }
    std::vector<std::string> problems;
    Settings s = Parse("pad_skip = 1\n", &problems);
    EXPECT_EQ(problems.size(), 1u);
    EXPECT_EQ(s.bindings.buttons[ACTION_SKIP], 3);
    problems.clear();
    s = Parse("key_shot = LCtrl\nkey_skip = Z\npad_shot = 3\npad_skip = 1\n", &problems);   // a swap is fine
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(s.bindings.keys[ACTION_SHOT], 0x1D);
    EXPECT_EQ(s.bindings.buttons[ACTION_SKIP], 1);
}

TEST(SettingsFile, LoadsFromTheConfigFolderAndSavesAtomically) {
    const std::string path = UseLocalConfig();
    std::vector<std::string> problems;
    g_settings.musicVolume = 3;
    LoadSettings(&problems);                       // missing file: defaults
    EXPECT_EQ(g_settings.musicVolume, 10);
    EXPECT_TRUE(problems.empty());

    g_settings.musicVolume = 6;
    g_settings.askAtStart = false;
    std::string error;
    ASSERT_TRUE(SaveSettings(&error)) << error;
    EXPECT_EQ(ReadBytes(path.c_str()), FormatSettings(g_settings));
    EXPECT_EQ(ListFolder("vortalis", ""), std::vector<std::string>{"settings.ini"});   // no temporary left
    g_settings = Settings();
    LoadSettings(&problems);
    EXPECT_EQ(g_settings.musicVolume, 6);
    EXPECT_FALSE(g_settings.askAtStart);

    // An unreadable file (here a folder in its place) means defaults, and the
    // save that cannot replace it says why.
    ASSERT_EQ(unlink(path.c_str()), 0);
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
    LoadSettings(&problems);
    EXPECT_EQ(g_settings.musicVolume, 10);
    EXPECT_FALSE(SaveSettings(&error));
    EXPECT_NE(error.find("settings.ini"), std::string::npos);
    ASSERT_EQ(rmdir(path.c_str()), 0);

    // A file too large to be settings is reported and never written over.
    const std::string large = "music_volume = 2\n" + std::string(70000, ';') + "\n";
    WriteBytes(path.c_str(), large);
    problems.clear();
    LoadSettings(&problems);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("too large"), std::string::npos) << problems[0];
    g_settings.musicVolume = 4;
    EXPECT_FALSE(SaveSettings(&error));
    EXPECT_EQ(ReadBytes(path.c_str()), large);

    // A byte-order mark does not hide the first line.
    WriteBytes(path.c_str(), "\xEF\xBB\xBFmusic_volume = 2\n");
    problems.clear();
    LoadSettings(&problems);
    EXPECT_EQ(g_settings.musicVolume, 2);
    EXPECT_TRUE(problems.empty()) << problems[0];
    unsetenv("XDG_CONFIG_HOME");
}

TEST(SettingsFile, VolumeStepsFollowASquareLawFromSilenceToTheDesignedLevel) {
    const int expected[VOLUME_STEPS + 1] = {0, 10, 40, 90, 160, 250, 360, 490, 640, 810, 1000};
    for (int step = 0; step <= VOLUME_STEPS; step++) EXPECT_EQ(VolumePermille(step), expected[step]);
    EXPECT_EQ(VolumePermille(-1), 0);
    EXPECT_EQ(VolumePermille(11), 1000);
}

// Damaged files, made by cutting, repeating and changing bytes of a good one:
// whatever is read is playable, and what the next save writes reads back
// unchanged and without complaint.
TEST(SettingsFile, DamagedFilesAlwaysReadAsAPlayableRecord) {
    Settings good;
    good.bindings.keys[ACTION_SHOT] = 0x2D;
    good.bindings.keys[ACTION_SKIP] = 0x2C;
    const std::string base = FormatSettings(good);
    const std::string alphabet = "=;#\n\r \t0123456789XZyesnowindowfullscreenkey_pad_shotLCtrlKey\x82\xa0";
    uint32_t seed = 12345;
    auto roll = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    for (int round = 0; round < 3000; round++) {
        std::string text = base;
        for (int edits = 1 + roll(6); edits > 0; edits--) {
            const size_t at = roll(static_cast<uint32_t>(text.size() + 1));
            switch (roll(3)) {
            case 0: text.erase(at, roll(20)); break;
            case 1: text.insert(at, text.substr(roll(static_cast<uint32_t>(text.size())), roll(30))); break;
            default: text.insert(at, 1, alphabet[roll(static_cast<uint32_t>(alphabet.size()))]); break;
            }
        }
        std::vector<std::string> problems;
        const Settings s = Parse(text, &problems);
        ASSERT_TRUE(s.musicVolume >= 0 && s.musicVolume <= VOLUME_STEPS && s.effectVolume >= 0 &&
                    s.effectVolume <= VOLUME_STEPS && s.windowScale >= 1 && s.windowScale <= WINDOW_SCALE_CHOICES);
        for (int a = 0; a < PAD_ACTIONS; a++) {
            ASSERT_TRUE(IsBindableKey(s.bindings.keys[a])) << text;
            for (int b = 0; b < a; b++) ASSERT_TRUE(s.bindings.keys[a] != s.bindings.keys[b] && s.bindings.buttons[a] != s.bindings.buttons[b]) << text;
        }
        const std::string saved = FormatSettings(s);
        std::vector<std::string> none;
        ASSERT_EQ(FormatSettings(Parse(saved, &none)), saved);
        ASSERT_TRUE(none.empty());
    }
}

// The volumes of settings.ini taken the way the game takes them at start,
// heard in the mixed output: a music track (a sound given a loop position, as
// the music player loads its tracks) on the left channel only and an effect on
// the right only, both playing at once. Step n of 10 is heard at (n/10)² of the
// sound's own level, each channel by its own row.
TEST(SettingsApplied, EachVolumeIsHeardOnItsOwnKindOfSound) {
    UseLocalConfig();
    mkdir("vortalis", 0755);
    const double amplitude = 16000, pi = std::acos(-1.0);
    std::vector<int> music, effect;
    for (int i = 0; i < 4410; i++) {   // 441 Hz: whole periods
        const int v = static_cast<int>(std::lround(amplitude * std::sin(2 * pi * i / 100)));
        music.insert(music.end(), {v, 0});
        effect.insert(effect.end(), {0, v});
    }
    soundtest::WriteFile("music.wav", soundtest::Wav(2, 44100, 16, music));
    soundtest::WriteFile("effect.wav", soundtest::Wav(2, 44100, 16, effect));
    const struct { int music, effects; } cases[] = {{3, 10}, {10, 6}, {8, 2}};
    for (auto c : cases) {
        const std::string text = "music_volume = " + std::to_string(c.music) + "\neffect_volume = " + std::to_string(c.effects) + "\n";
        WriteBytes("vortalis/settings.ini", text);
        HeadlessSelect();
        HeadlessSetAudioClocked(0);
        ApplySettingsBeforeInit();
        ChangeWindowMode(1);
        ASSERT_EQ(FrameworkInit(), 0);
        ApplySettingsAfterInit(1);
        const int m = LoadSoundFile("music.wav", 3, -1), e = LoadSoundFile("effect.wav", 3, -1);
        ASSERT_EQ(SetSoundLoopPos(0, m), 0);
        ASSERT_EQ(PlaySoundHandle(m, 3, 1), 0);
        ASSERT_EQ(PlaySoundHandle(e, 3, 1), 0);
        const std::vector<int16_t> out = soundtest::Pull(4410);
        double sum[2] = {0, 0};
        for (size_t i = 0; i < out.size(); i++) sum[i % 2] += static_cast<double>(out[i]) * out[i];
        const double full = amplitude / std::sqrt(2.0);
        const double heard[2] = {std::sqrt(sum[0] / 4410) / full, std::sqrt(sum[1] / 4410) / full};
        EXPECT_NEAR(heard[0], (c.music / 10.0) * (c.music / 10.0), 0.005) << "music, " << text;
        EXPECT_NEAR(heard[1], (c.effects / 10.0) * (c.effects / 10.0), 0.005) << "effects, " << text;
        FrameworkEnd();
    }
    unsetenv("XDG_CONFIG_HOME");
}

// The keys that switch the screen (F11), take a screenshot (F12) and show the
// controls (F1) never become an action's key: a settings.ini naming one keeps
// the default at start, and the settings screen refuses each while it waits
// for a key. The key it then takes is the one the game plays with: on the
// title and in play it fires, and the old key no longer does.
TEST(SettingsApplied, ScreenKeysAreRefusedAndTheTakenKeyFires) {
    ASSERT_TRUE(LinkGameData());
    UseLocalConfig();
    mkdir("vortalis", 0755);
    WriteBytes("vortalis/settings.ini", "key_shot = F11\n");
    HeadlessSelect();
    HeadlessSetDesktopSize(1920, 1080);
    ResetMenus();
    GameDriver g;
    g.frameLimit = 3000;
    // On the settings screen: down to the shot key's row, Shot to rebind it,
    // the three refused keys (F1 opens the controls, a second F1 closes them),
    // then X, which is taken; Escape leaves.
    const int settingsKeys[] = {KEY_DOWN, 0, KEY_DOWN, 0, KEY_DOWN, 0, KEY_DOWN, 0, KEY_DOWN, KEY_Z,
                                KEY_F11, KEY_F12, KEY_F1, 0, KEY_F1, 0, KEY_X, 0, KEY_ESCAPE};
    size_t next = 0;
    int titleStep = 0, startKey = -1, notices = -1, playFrames = 0, shotsWithZ = -1, shotsWithX = -1;
    std::vector<int> shotKeys;
    auto flying = [] {
        int n = 0;
        for (const PlayerShot& s : player_shot) n += s.state == SHOT_FLYING;
        return n;
    };
    g.act = [&](GameDriver& d, int frame) {
        if (frame == 1) {
            startKey = ActionKey(ACTION_SHOT);
            notices = NoticeCount();
        }
        if (fucn_state == SCENE_LOGO) d.Tap(KEY_Z);
        if (fucn_state == SCENE_TITLE && titleStep < 5) {
            // Up, Up (round to おわる, then 設定 just before it), Shot.
            const int keys[] = {KEY_UP, 0, KEY_UP, 0, KEY_Z};
            if (keys[titleStep]) d.Tap(keys[titleStep]);
            titleStep++;
        } else if (fucn_state == SCENE_SETTINGS && next < std::size(settingsKeys)) {
            if (next > 0) shotKeys.push_back(ActionKey(ACTION_SHOT));
            if (settingsKeys[next]) d.Tap(settingsKeys[next]);
            next++;
        } else if (fucn_state == SCENE_TITLE && titleStep < 12) {
            // Back on the title at 設定: Z is no one's key now; down twice
            // round to the first entry, then X starts a game.
            const int keys[] = {KEY_Z, 0, KEY_DOWN, 0, KEY_DOWN, 0, KEY_X};
            if (keys[titleStep - 5]) d.Tap(keys[titleStep - 5]);
            titleStep++;
        } else if (fucn_state == SCENE_PROLOGUE) {
            fucn_state = SCENE_NEW_GAME;
        } else if (fucn_state == SCENE_PLAY && ++playFrames <= 60) {
            if (playFrames == 30) shotsWithZ = flying();
            d.Hold(playFrames < 30 ? KEY_Z : KEY_X);
            if (playFrames == 60) {
                shotsWithX = flying();
                fucn_state = SCENE_QUIT;
            }
        }
    };
    EXPECT_EQ(g.Run(), 0);
    EXPECT_EQ(startKey, KEY_Z) << "key_shot = F11 in the file leaves Z";
    EXPECT_EQ(notices, 1) << "and says so";
    ASSERT_EQ(next, std::size(settingsKeys));
    // The row as each key's frame left it: Z until X is taken.
    std::vector<int> want(std::size(settingsKeys) - 1, KEY_Z);
    want[want.size() - 2] = want.back() = KEY_X;
    EXPECT_EQ(shotKeys, want);
    EXPECT_NE(ReadBytes("vortalis/settings.ini").find("key_shot = X\n"), std::string::npos);
    EXPECT_EQ(titleStep, 12);
    EXPECT_EQ(playFrames, 60) << "X on the title started a game";
    EXPECT_EQ(shotsWithZ, 0) << "Z no longer fires";
    EXPECT_GT(shotsWithX, 0) << "X fires";
    ResetBindings();
    ChangeWindowMode(0);
    unsetenv("XDG_CONFIG_HOME");
}
