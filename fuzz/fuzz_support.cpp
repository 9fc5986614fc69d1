// The fuzz targets' shared start-up: the headless framework, a temporary
// directory for the input file (removed at exit), and that file written per run.
// The working directory is left alone so that corpus paths given on the command
// line keep their meaning; the framework's Log.txt lands there.
#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"

namespace {

bool g_started = false;
std::string g_directory;
std::string g_inputPath;

void RemoveDirectory() {
    FrameworkEnd();
    if (g_directory.empty()) return;
    std::remove(g_inputPath.c_str());
    rmdir(g_directory.c_str());
}

} // namespace

void FuzzStartFramework(void) {
    if (g_started) return;
    g_started = true;
    char pattern[] = "/tmp/vortalis-fuzz-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::fprintf(stderr, "fuzz: cannot make a temporary directory\n");
        std::abort();
    }
    g_directory = pattern;
    g_inputPath = g_directory + "/input.bin";
    HeadlessSelect();
    if (FrameworkInit() != 0) {
        std::fprintf(stderr, "fuzz: FrameworkInit failed\n");
        std::abort();
    }
    std::atexit(RemoveDirectory);
}

const char* FuzzWriteInput(const uint8_t* data, size_t size) {
    const char* path = g_inputPath.c_str();
    FILE* f = std::fopen(path, "wb");
    if (!f) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
    return path;
}

std::string FuzzAsString(const uint8_t* data, size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}
