// `cmake --install` of this build into a scratch prefix whose path holds spaces:
// the layout under the prefix, the desktop entry, icons and manual page, and the launcher
// running the installed game (SDL's dummy drivers, ended by SIGTERM) from the
// player's data folder, also after the install has moved.
#include <gtest/gtest.h>
#include <png.h>

#include <fcntl.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "tests/support/files.h"

#ifndef VORTALIS_CMAKE_COMMAND
#define VORTALIS_CMAKE_COMMAND "cmake"
#endif

namespace fs = std::filesystem;

namespace {

const char* const INIT_DONE = "フレームワークの初期化が完了しました\r\n";
const char* const END_DONE = "フレームワークを終了しました\r\n";

std::string Read(const fs::path& p) { return ReadBytes(p.c_str()); }

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

int CountLines(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

// Starts argv[0] with the given variables set ("" as a value unsets one) and its
// output in outFile; returns the child's pid.
pid_t Start(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
            const fs::path& outFile) {
    pid_t pid = fork();
    if (pid != 0) return pid;
    for (const auto& [name, value] : env) {
        if (value.empty()) unsetenv(name.c_str());
        else setenv(name.c_str(), value.c_str(), 1);
    }
    int fd = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        dup2(fd, 1);
        dup2(fd, 2);
        close(fd);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

// The exit code, or -1000 - signal when a signal ended the child.
int Wait(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -2000;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1000 - WTERMSIG(status);
}

void InstallInto(const fs::path& prefix) {
    // Naming the component makes cmake keep this install's list of files apart
    // from install_manifest.txt, the list of the developer's own install.
    pid_t pid = Start({VORTALIS_CMAKE_COMMAND, "--install", VORTALIS_BINARY_DIR, "--prefix", prefix.string(),
                       "--component", "game"},
                      {}, "install.out");
    ASSERT_EQ(Wait(pid), 0) << Read("install.out");
}

struct GameRun {
    int exitCode = -1;
    std::string output;      // the launcher's and the game's stdout and stderr
    std::string exe, cwd;    // of the running process, seen from /proc
};

// Runs a launcher with SDL's dummy drivers until the game has logged the end of
// its start-up and paced its first frames in userDir, then ends it with SIGTERM.
// The launcher replaces itself with the game, so the signal goes to the game.
GameRun RunLauncher(const fs::path& launcher, const std::string& home, const std::string& xdgDataHome,
                    const fs::path& userDir) {
    const fs::path out = fs::current_path() / "launcher.out";
    pid_t pid = Start({launcher.string()},
                      {{"HOME", home}, {"XDG_DATA_HOME", xdgDataHome}, {"SDL_VIDEODRIVER", "dummy"},
                       {"SDL_AUDIODRIVER", "dummy"}, {"XDG_RUNTIME_DIR", fs::current_path().string()}},
                      out);
    GameRun run;
    bool exited = false;
    int status = 0;
    for (int i = 0; i < 1200; i++) {
        if (waitpid(pid, &status, WNOHANG) == pid) {
            exited = true;
            break;
        }
        // txt.txt is opened at the first paced frame; its lines reach the disk
        // in blocks and at the end.
        if (Contains(Read(userDir / "Log.txt"), INIT_DONE) && fs::exists(userDir / "txt.txt")) {
            std::error_code ec;
            const std::string proc = "/proc/" + std::to_string(pid);
            run.exe = fs::read_symlink(proc + "/exe", ec).string();
            run.cwd = fs::read_symlink(proc + "/cwd", ec).string();
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!exited) {
        kill(pid, SIGTERM);
        run.exitCode = Wait(pid);
    } else {
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1000 - WTERMSIG(status);
    }
    run.output = Read(out);
    return run;
}

// The game's own files somewhere under root.
std::vector<std::string> GameOutputsUnder(const fs::path& root) {
    std::vector<std::string> found;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string name = e.path().filename().string();
        if (name == "Log.txt" || name == "txt.txt") found.push_back(e.path().string());
    }
    return found;
}

void ExpectCompleteRun(const GameRun& run, const fs::path& userDir, const fs::path& installedData) {
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(fs::path(run.cwd), fs::canonical(userDir)) << "the game runs from the player's data folder";
    const std::string log = Read(userDir / "Log.txt");
    EXPECT_TRUE(Contains(log, INIT_DONE));
    const std::string end = END_DONE;
    ASSERT_GE(log.size(), end.size());
    EXPECT_EQ(log.substr(log.size() - end.size()), end) << "SIGTERM ends the game cleanly";
    const std::string pacing = Read(userDir / "txt.txt");
    EXPECT_GE(CountLines(pacing), 1) << "frames ran";
    EXPECT_TRUE(!pacing.empty() && pacing.back() == '\n');
    EXPECT_TRUE(fs::is_symlink(userDir / "dat"));
    EXPECT_EQ(fs::canonical(userDir / "dat"), fs::canonical(installedData));
}

// Parses the [Desktop Entry] group of a desktop file into key → value.
std::map<std::string, std::string> DesktopEntry(const std::string& text, std::string& firstGroup) {
    std::map<std::string, std::string> keys;
    std::string group;
    size_t at = 0;
    while (at < text.size()) {
        size_t eol = text.find('\n', at);
        if (eol == std::string::npos) eol = text.size();
        const std::string line = text.substr(at, eol - at);
        at = eol + 1;
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            group = line;
            if (firstGroup.empty()) firstGroup = line;
            continue;
        }
        const size_t eq = line.find('=');
        if (group == "[Desktop Entry]" && eq != std::string::npos) keys[line.substr(0, eq)] = line.substr(eq + 1);
        else keys["(bad line)"] = line;
    }
    return keys;
}

uint32_t BigEndian32(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) << 24 | uint32_t(uint8_t(b[at + 1])) << 16 |
           uint32_t(uint8_t(b[at + 2])) << 8 | uint32_t(uint8_t(b[at + 3]));
}

void ExpectIcon(const fs::path& png, uint32_t size) {
    SCOPED_TRACE(png.string());
    const std::string bytes = Read(png);
    ASSERT_GE(bytes.size(), 33u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(bytes.substr(12, 4), "IHDR");
    EXPECT_EQ(BigEndian32(bytes, 16), size);
    EXPECT_EQ(BigEndian32(bytes, 20), size);
    EXPECT_EQ(uint8_t(bytes[24]), 8) << "bit depth";
    EXPECT_EQ(uint8_t(bytes[25]), 6) << "RGBA";

    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()));
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr));
    auto alpha = [&](uint32_t x, uint32_t y) { return rgba[(size_t(y) * size + x) * 4 + 3]; };
    // A rounded tile: clear corners, an opaque middle, and a picture on it
    // rather than a flat fill (a source whose pieces failed to draw).
    EXPECT_EQ(alpha(0, 0), 0);
    EXPECT_EQ(alpha(size - 1, size - 1), 0);
    EXPECT_EQ(alpha(size / 2, size / 2), 255);
    std::set<uint32_t> colours;
    for (size_t i = 0; i < rgba.size(); i += 4)
        colours.insert(uint32_t(rgba[i]) << 16 | uint32_t(rgba[i + 1]) << 8 | rgba[i + 2]);
    EXPECT_GE(colours.size(), 64u);
}

// A folder of the current test's own under the working directory, so that the
// cases also run together in one process.
fs::path TestFolder() {
    const fs::path dir = fs::current_path() / ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::create_directories(dir);
    return dir;
}

}  // namespace

TEST(Install, PutsGameDataLauncherDesktopEntryAndIconsUnderThePrefix) {
    const fs::path prefix = TestFolder() / "pre fix";
    InstallInto(prefix);
    if (HasFatalFailure()) return;

    const fs::path launcher = prefix / "bin/vortalis", game = prefix / "libexec/vortalis/vortalis";
    ASSERT_TRUE(fs::is_regular_file(launcher));
    ASSERT_TRUE(fs::is_regular_file(game));
    for (const fs::path& p : {launcher, game}) {
        const fs::perms mode = fs::status(p).permissions();
        EXPECT_NE(mode & fs::perms::owner_exec, fs::perms::none) << p;
        EXPECT_NE(mode & fs::perms::others_exec, fs::perms::none) << p;
    }
    EXPECT_EQ(Read(launcher).substr(0, 10), "#!/bin/sh\n");
    EXPECT_EQ(Read(game).substr(0, 4), "\x7f" "ELF");

    // The data is the build's dat/, file for file and byte for byte.
    const fs::path built = fs::path(VORTALIS_BINARY_DIR) / "dat", installed = prefix / "share/vortalis/dat";
    std::set<std::string> builtFiles, installedFiles;
    for (const auto& e : fs::recursive_directory_iterator(built))
        if (e.is_regular_file()) builtFiles.insert(fs::relative(e.path(), built).string());
    for (const auto& e : fs::recursive_directory_iterator(installed))
        if (e.is_regular_file()) installedFiles.insert(fs::relative(e.path(), installed).string());
    EXPECT_FALSE(builtFiles.empty());
    EXPECT_EQ(installedFiles, builtFiles);
    for (const std::string& f : builtFiles)
        EXPECT_TRUE(Read(built / f) == Read(installed / f)) << f << " differs from the build's";

    std::string firstGroup;
    auto entry = DesktopEntry(Read(prefix / "share/applications/vortalis.desktop"), firstGroup);
    EXPECT_EQ(firstGroup, "[Desktop Entry]");
    EXPECT_EQ(entry["Type"], "Application");
    EXPECT_EQ(entry["Name"], "Vortalis");
    EXPECT_EQ(entry["Exec"], "vortalis");
    EXPECT_EQ(entry["Icon"], "vortalis");
    EXPECT_EQ(entry["Terminal"], "false");
    EXPECT_EQ(entry["Categories"], "Game;ArcadeGame;");
    EXPECT_EQ(entry.count("(bad line)"), 0u) << entry["(bad line)"];

    ExpectIcon(prefix / "share/icons/hicolor/256x256/apps/vortalis.png", 256);
    ExpectIcon(prefix / "share/icons/hicolor/48x48/apps/vortalis.png", 48);

    // The manual page and the changelog as Debian's rules want them, gzip -9n:
    // deflate, no file name, no time stamp, best compression.
    for (const char* f : {"share/man/man6/vortalis.6.gz", "share/doc/vortalis/changelog.gz"}) {
        const std::string gz = Read(prefix / f);
        ASSERT_GE(gz.size(), 18u) << f;
        EXPECT_EQ(gz.substr(0, 8), std::string("\x1f\x8b\x08\0\0\0\0\0", 8)) << f;
        EXPECT_EQ(uint8_t(gz[8]), 2) << f;
    }
    EXPECT_EQ(Read(prefix / "share/doc/vortalis/copyright").substr(0, 8), "Format: ");

    std::set<std::string> top;
    for (const auto& e : fs::directory_iterator(prefix)) top.insert(e.path().filename().string());
    EXPECT_EQ(top, (std::set<std::string>{"bin", "libexec", "share"}));
}

TEST(Install, LauncherRunsTheGameFromTheUserDataFolderWhereverTheInstallLies) {
    const fs::path here = TestFolder();
    const fs::path prefix = here / "pre fix", home = here / "home dir";
    InstallInto(prefix);
    if (HasFatalFailure()) return;
    fs::create_directories(home);

    // XDG_DATA_HOME unset: the folder is under ~/.local/share.
    const fs::path homeUser = home / ".local/share/vortalis";
    GameRun run = RunLauncher(prefix / "bin/vortalis", home.string(), "", homeUser);
    ExpectCompleteRun(run, homeUser, prefix / "share/vortalis/dat");
    EXPECT_EQ(fs::path(run.exe), fs::canonical(prefix / "libexec/vortalis/vortalis")) << "the installed game runs";
    EXPECT_EQ(GameOutputsUnder(prefix), std::vector<std::string>{}) << "nothing written into the install";
    EXPECT_FALSE(fs::exists(fs::current_path() / "Log.txt")) << "nor where the launcher was started";

    // Moved, started through a relative symlink, with XDG_DATA_HOME set and a
    // stale dat link left by the old place: the link follows the install.
    const fs::path moved = here / "moved prefix", xdg = here / "xdg data", xdgUser = xdg / "vortalis";
    fs::rename(prefix, moved);
    fs::create_directories(here / "links dir");
    fs::create_symlink("../moved prefix/bin/vortalis", here / "links dir/vortalis");
    fs::create_directories(xdgUser);
    fs::create_directory_symlink(prefix / "share/vortalis/dat", xdgUser / "dat");
    run = RunLauncher(here / "links dir/vortalis", home.string(), xdg.string(), xdgUser);
    ExpectCompleteRun(run, xdgUser, moved / "share/vortalis/dat");
    EXPECT_EQ(fs::path(run.exe), fs::canonical(moved / "libexec/vortalis/vortalis"));
    EXPECT_EQ(GameOutputsUnder(moved), std::vector<std::string>{});

    // A relative XDG_DATA_HOME is ignored: back to ~/.local/share, whose link
    // names the first place, installed afresh: still a good link, but not to
    // the install being started, so this start renews it.
    InstallInto(prefix);
    if (HasFatalFailure()) return;
    fs::remove(homeUser / "Log.txt");
    run = RunLauncher(moved / "bin/vortalis", home.string(), "relative dir", homeUser);
    ExpectCompleteRun(run, homeUser, moved / "share/vortalis/dat");
    EXPECT_FALSE(fs::exists(fs::current_path() / "relative dir"));
    std::vector<std::string> leftovers;
    for (const fs::path& dir : {homeUser, xdgUser})
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path().filename().string().rfind(".dat.", 0) == 0) leftovers.push_back(e.path().string());
    EXPECT_EQ(leftovers, std::vector<std::string>{}) << "temporary links are renamed into place";
}

TEST(Install, LauncherKeepsThePlayersOwnDataAndRefusesAnIncompleteInstall) {
    const fs::path here = TestFolder();
    const fs::path prefix = here / "pre fix", home = here / "home dir", user = home / ".local/share/vortalis";
    InstallInto(prefix);
    if (HasFatalFailure()) return;

    // A real dat folder is the player's own copy: used, never replaced.
    fs::create_directories(user);
    fs::copy(prefix / "share/vortalis/dat", user / "dat", fs::copy_options::recursive);
    GameRun run = RunLauncher(prefix / "bin/vortalis", home.string(), "", user);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(fs::path(run.cwd), fs::canonical(user));
    EXPECT_TRUE(Contains(Read(user / "Log.txt"), INIT_DONE));
    EXPECT_FALSE(fs::is_symlink(user / "dat"));
    EXPECT_TRUE(fs::is_directory(user / "dat/csv"));
    EXPECT_TRUE(Contains(run.output, "using the data folder")) << run.output;

    // Without the game or without the data the launcher says so and fails
    // before it makes any folder.
    const fs::path other = here / "other home";
    fs::create_directories(other);
    fs::rename(prefix / "libexec/vortalis/vortalis", here / "vortalis.away");
    run = RunLauncher(prefix / "bin/vortalis", other.string(), "", other / ".local/share/vortalis");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.output, "incomplete")) << run.output;
    EXPECT_FALSE(fs::exists(other / ".local"));

    fs::rename(here / "vortalis.away", prefix / "libexec/vortalis/vortalis");
    fs::rename(prefix / "share/vortalis/dat", here / "dat.away");
    run = RunLauncher(prefix / "bin/vortalis", other.string(), "", other / ".local/share/vortalis");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.output, "incomplete")) << run.output;
    EXPECT_FALSE(fs::exists(other / ".local"));
}
