// Gives a test the game's generated data: a dat/ link in the test's working
// directory pointing at the build's dat/. Returns false when no data was built.
#pragma once

#include <string>
#include <sys/stat.h>
#include <unistd.h>

inline bool LinkGameData() {
    const std::string dat = std::string(VORTALIS_BINARY_DIR) + "/dat";
    struct stat st;
    if (stat(dat.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    if (lstat("dat", &st) == 0) return true;
    return symlink(dat.c_str(), "dat") == 0;
}
