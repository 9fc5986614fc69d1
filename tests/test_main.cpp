// Runs every test from a fresh temporary working directory, so that Log.txt,
// txt.txt and any file a test writes never land in the source tree.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    char dir[] = "/tmp/vortalis-test-XXXXXX";
    if (!mkdtemp(dir) || chdir(dir) != 0) return 2;
    int result = RUN_ALL_TESTS();
    std::string cleanup = std::string("rm -rf '") + dir + "'";
    if (std::getenv("VORTALIS_KEEP_TEST_DIR") == nullptr && std::system(cleanup.c_str()) != 0) return result;
    return result;
}
