// Runs every test from a fresh temporary working directory, so that Log.txt,
// txt.txt and any file a test writes never land in the source tree, and no
// test sees the files of another when several run in one process; with the
// locale and the settings folder of nobody in particular.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <sys/stat.h>

namespace {

// Moves into <root>/<n> before each test.
class FreshDirectory : public ::testing::EmptyTestEventListener {
public:
    explicit FreshDirectory(std::string root) : root_(std::move(root)) {}

    void OnTestStart(const ::testing::TestInfo&) override {
        const std::string dir = root_ + "/" + std::to_string(++count_);
        if (mkdir(dir.c_str(), 0700) != 0 || chdir(dir.c_str()) != 0) {
            std::perror(dir.c_str());
            std::exit(2);
        }
    }

private:
    std::string root_;
    int count_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    char dir[] = "/tmp/vortalis-test-XXXXXX";
    if (!mkdtemp(dir) || chdir(dir) != 0) return 2;
    // The designed game, whoever runs the tests: the locale leaves the language
    // Japanese, and the player's own settings are never read or written.
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    setenv("LANG", "C", 1);
    setenv("XDG_CONFIG_HOME", (std::string(dir) + "/config").c_str(), 1);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshDirectory(dir));
    int result = RUN_ALL_TESTS();
    if (chdir("/tmp") != 0) return result;
    std::string cleanup = std::string("rm -rf '") + dir + "'";
    if (std::getenv("VORTALIS_KEEP_TEST_DIR") == nullptr && std::system(cleanup.c_str()) != 0) return result;
    return result;
}
