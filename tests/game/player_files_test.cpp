// The player's files: atomic replacement, refusals that leave nothing behind,
// the config folder's rules and names that never overwrite.
#include <gtest/gtest.h>

#include <cstdlib>

#include "game/files/player_files.h"
#include "tests/support/files.h"

TEST(PlayerFiles, WritesAtomicallyAndLeavesNothingWhenRefused) {
    std::string error;
    ASSERT_TRUE(WriteFileAtomic("a/b/scores.txt", "first", 5, &error)) << error;
    ASSERT_TRUE(WriteFileAtomic("a/b/scores.txt", "second!", 7, &error)) << error;
    EXPECT_EQ(ReadBytes("a/b/scores.txt"), "second!");
    EXPECT_EQ(ListFolder("a/b", ""), std::vector<std::string>{"scores.txt"});   // no temporary left

    // A folder where the file should be, and a file where a folder should be:
    // refused with a reason, the old contents and the folder untouched.
    ASSERT_TRUE(MakeFolders("a/b/dir.txt", &error));
    EXPECT_FALSE(WriteFileAtomic("a/b/dir.txt", "x", 1, &error));
    EXPECT_NE(error.find("a/b/dir.txt"), std::string::npos);
    EXPECT_FALSE(WriteFileAtomic("a/b/scores.txt/inner", "x", 1, &error));
    EXPECT_EQ(ReadBytes("a/b/scores.txt"), "second!");
    EXPECT_EQ(ListFolder("a/b", ""), std::vector<std::string>{"scores.txt"});

    std::vector<unsigned char> bytes;
    EXPECT_TRUE(ReadWholeFile("a/b/scores.txt", 7, &bytes, &error));
    EXPECT_EQ(bytes.size(), 7u);
    EXPECT_FALSE(ReadWholeFile("a/b/scores.txt", 6, &bytes, &error));   // over the limit
    EXPECT_FALSE(ReadWholeFile("a/b", 100, &bytes, &error));            // not a file
    EXPECT_FALSE(ReadWholeFile("missing", 100, &bytes, &error));

    const std::string first = NewTimestampName("a", "shot", ".png");
    WriteBytes(("a/" + first).c_str(), "x");
    const std::string second = NewTimestampName("a", "shot", ".png");
    EXPECT_NE(first, second);
    EXPECT_EQ(second.substr(second.size() - 6), "-2.png");
}

TEST(PlayerFiles, ConfigFolderFollowsXdgOnlyWhenAbsolute) {
    setenv("HOME", "/home/p", 1);
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(ConfigFolder(), "/cfg/vortalis");
    setenv("XDG_CONFIG_HOME", "relative/cfg", 1);
    EXPECT_EQ(ConfigFolder(), "/home/p/.config/vortalis");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(ConfigFolder(), "/home/p/.config/vortalis");
}
