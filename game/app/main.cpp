// The vortalis executable: the command line, then the game.
#include <cstdio>
#include <string>

#include "game/launch/launch_options.h"
#include "game/app/vortalis_main.h"

int main(int argc, char** argv) {
    std::string error;
    if (ParseLaunchOptions(argc, argv, &g_launch, &error) != 0) {
        std::fprintf(stderr, "vortalis: %s\n%s", error.c_str(), LaunchUsage());
        return 2;
    }
    if (g_launch.showHelp) {
        std::fputs(LaunchUsage(), stdout);
        return 0;
    }
    if (g_launch.showVersion) {
        std::puts(LaunchVersion());
        return 0;
    }
    return VortalisMain();
}
