// The command line: every option, its value forms, and each way to get it wrong.
#include <gtest/gtest.h>

#include <vector>

#include "game/common/language.h"
#include "game/launch/launch_options.h"

namespace {

int Parse(std::vector<const char*> args, LaunchOptions* o, std::string* error) {
    args.insert(args.begin(), "vortalis");
    return ParseLaunchOptions(static_cast<int>(args.size()), args.data(), o, error);
}

} // namespace

TEST(LaunchOptions, ParsesEveryOptionAndRefusesBadOnesWithAReason) {
    LaunchOptions o;
    std::string error;
    ASSERT_EQ(Parse({}, &o, &error), 0);
    EXPECT_EQ(o.screen, SCREEN_ASK);
    EXPECT_EQ(o.scale, 0);

    ASSERT_EQ(Parse({"--windowed", "--scale", "3", "--replay=r.vrp", "--verify"}, &o, &error), 0) << error;
    EXPECT_EQ(o.screen, SCREEN_WINDOW);
    EXPECT_EQ(o.scale, 3);
    EXPECT_EQ(o.replayFile, "r.vrp");
    EXPECT_TRUE(o.verify);
    EXPECT_EQ(o.language, -1);
    ASSERT_EQ(Parse({"--fullscreen", "--fullscreen", "--scale=8", "--version", "--help", "--lang", "en"}, &o, &error), 0);
    EXPECT_EQ(o.screen, SCREEN_FULL);
    EXPECT_TRUE(o.showVersion && o.showHelp);
    EXPECT_EQ(o.language, LANGUAGE_EN);
    ASSERT_EQ(Parse({"--lang=ja"}, &o, &error), 0);
    EXPECT_EQ(o.language, LANGUAGE_JA);

    const std::vector<std::vector<const char*>> bad = {
        {"--bogus"}, {"-w"}, {"file"}, {"--"}, {"--scale"}, {"--scale", "0"}, {"--scale", "9"},
        {"--scale", "2x"}, {"--scale="}, {"--windowed", "--fullscreen"}, {"--verify"},
        {"--replay="}, {"--help=yes"}, {"--scalefoo"}, {"--lang"}, {"--lang", "fr"}, {"--lang=EN"},
    };
    for (const auto& args : bad) {
        LaunchOptions kept;
        kept.scale = 5;
        error.clear();
        EXPECT_EQ(Parse(args, &kept, &error), 2) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
        EXPECT_EQ(kept.scale, 5) << "a refused command line leaves the record untouched";
    }
}

// The locale's language: the first of LC_ALL, LC_MESSAGES and LANG that is set
// and not empty decides; Japanese for ja*, C, POSIX or none, else English.
TEST(LaunchOptions, TheLocaleChoosesTheLanguageWhenNothingElseDoes) {
    const struct {
        const char* all;
        const char* messages;
        const char* lang;
        int language;
    } cases[] = {
        {nullptr, nullptr, nullptr, LANGUAGE_JA},
        {"", "", "", LANGUAGE_JA},
        {nullptr, nullptr, "C", LANGUAGE_JA},
        {nullptr, nullptr, "C.UTF-8", LANGUAGE_JA},
        {nullptr, nullptr, "POSIX", LANGUAGE_JA},
        {nullptr, nullptr, "ja_JP.UTF-8", LANGUAGE_JA},
        {nullptr, nullptr, "en_US.UTF-8", LANGUAGE_EN},
        {nullptr, nullptr, "de_DE.UTF-8", LANGUAGE_EN},
        {nullptr, "ja_JP.UTF-8", "en_GB.UTF-8", LANGUAGE_JA},
        {"fr_FR.UTF-8", "ja_JP.UTF-8", "C", LANGUAGE_EN},
        {"", "en_US.UTF-8", "ja_JP.eucJP", LANGUAGE_EN},
        {"C", "en_US.UTF-8", nullptr, LANGUAGE_JA},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LanguageFromLocale(c.all, c.messages, c.lang), c.language)
            << (c.all ? c.all : "-") << " " << (c.messages ? c.messages : "-") << " " << (c.lang ? c.lang : "-");
}
