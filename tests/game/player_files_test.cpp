// The player's files: atomic replacement, refusals that leave nothing behind,
// the config folder's rules and names that never overwrite.
#include <gtest/gtest.h>

#include <sys/stat.h>

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

    // Reads: each refusal with its own reason and without the path (the
    // caller names the file); a pipe is refused at once, never waited on.
    std::vector<unsigned char> bytes;
    EXPECT_EQ(ReadWholeFile("a/b/scores.txt", 7, &bytes, &error), READ_OK);
    EXPECT_EQ(bytes.size(), 7u);
    const struct {
        const char* path;
        std::size_t max;
        ReadResult result;
        const char* reason;
    } refusals[] = {
        {"a/b/scores.txt", 6, READ_FAILED, "too large"},
        {"a/b", 100, READ_FAILED, "is a folder, not a file"},
        {"a/pipe", 100, READ_FAILED, "is a pipe, not a file"},
        {"missing", 100, READ_MISSING, "no such file"},
    };
    ASSERT_EQ(mkfifo("a/pipe", 0644), 0);
    for (const auto& r : refusals) {
        error.clear();
        EXPECT_EQ(ReadWholeFile(r.path, r.max, &bytes, &error), r.result) << r.path;
        EXPECT_EQ(error, r.reason) << r.path;
        EXPECT_TRUE(bytes.empty()) << r.path;
    }

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
