// The real program driven from the keyboard on a virtual X display by
// scripts/person-run.sh (both audio set-ups); skipped when the X tools are not
// installed, and in the sanitizer build. Screenshots and logs stay in the
// test's working directory.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>

TEST(PersonRun, TitlePlayPauseAndQuitFromTheKeyboard) {
#ifdef VORTALIS_SANITIZED
    // Keystrokes are timed against a person's pace; an instrumented build on a
    // busy machine misses them. The headless runs cover it under the sanitizers.
    GTEST_SKIP() << "timed keyboard run: normal build only";
#endif
    const std::string command = std::string("bash '") + VORTALIS_SOURCE_DIR + "/scripts/person-run.sh' '" +
                                VORTALIS_EXE + "' '" + VORTALIS_BINARY_DIR + "/dat' person-run";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "Xvfb, xdotool or ImageMagick is not installed";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "see the person-run lines above";
}
