// The command line: every option, its value forms, and each way to get it wrong.
#include <gtest/gtest.h>

#include <vector>

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
    ASSERT_EQ(Parse({"--fullscreen", "--fullscreen", "--scale=8", "--version", "--help"}, &o, &error), 0);
    EXPECT_EQ(o.screen, SCREEN_FULL);
    EXPECT_TRUE(o.showVersion && o.showHelp);

    const std::vector<std::vector<const char*>> bad = {
        {"--bogus"}, {"-w"}, {"file"}, {"--"}, {"--scale"}, {"--scale", "0"}, {"--scale", "9"},
        {"--scale", "2x"}, {"--scale="}, {"--windowed", "--fullscreen"}, {"--verify"},
        {"--replay="}, {"--help=yes"}, {"--scalefoo"},
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
