// Paths of the player's files; the bytes go through the framework's file calls.
#include "game/files/player_files.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "framework/framework.h"

namespace fs = std::filesystem;

namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return "";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() != fs::file_type::not_found && !ec;
}

std::string Stamp(const char* format) {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    char text[32];
    if (!local || std::strftime(text, sizeof text, format, local) == 0) return "";
    return text;
}

} // namespace

std::string PlayerFilePath(const std::string& dir, const std::string& name) {
    return dir.empty() ? name : dir + "/" + name;
}

std::string ConfigFolder(void) {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return std::string(xdg) + "/vortalis";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.config/vortalis";
    return "";
}

bool MakeFolders(const std::string& dir, std::string* error) {
    if (dir.empty()) return true;
    std::error_code ec;
    if (fs::is_directory(dir, ec)) return true;
    fs::create_directories(dir, ec);
    if (!ec && fs::is_directory(dir, ec)) return true;
    if (error) *error = dir + ": " + (ec ? ec.message() : std::string("not a folder"));
    return false;
}

bool WriteFileAtomic(const std::string& path, const void* data, std::size_t size, std::string* error) {
    if (!MakeFolders(FolderOf(path), error)) return false;
    if (size > 0x7fffffffu) {
        if (error) *error = path + ": too large";
        return false;
    }
    if (FileWriteAtomic(path.c_str(), data, static_cast<int>(size)) == 0) return true;
    if (error) *error = path + ": " + FileErrorText();
    return false;
}

ReadResult ReadWholeFile(const std::string& path, std::size_t maxSize, std::vector<unsigned char>* out,
                         std::string* error) {
    out->clear();
    const int size = FileSizeOf(path.c_str());
    if (size < 0) {
        const bool missing = !Exists(path);
        if (error) *error = missing ? "no such file" : FileErrorText();
        return missing ? READ_MISSING : READ_FAILED;
    }
    if (static_cast<std::size_t>(size) > maxSize) {
        if (error) *error = "too large";
        return READ_FAILED;
    }
    out->resize(static_cast<std::size_t>(size));
    const int got = FileReadAll(path.c_str(), out->data(), size);
    if (got < 0) {
        out->clear();
        if (error) *error = FileErrorText();
        return READ_FAILED;
    }
    out->resize(static_cast<std::size_t>(got));   // a file that shrank while read gives what was there
    return READ_OK;
}

std::vector<std::string> ListFolder(const std::string& dir, const std::string& suffix) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir.empty() ? "." : dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() < suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        std::error_code kind;
        if (it->is_regular_file(kind) && !kind) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string NewTimestampName(const std::string& dir, const std::string& prefix, const std::string& ext) {
    const std::string base = prefix + "-" + Stamp("%Y%m%d-%H%M%S");
    std::string name = base + ext;
    for (int n = 2; Exists(PlayerFilePath(dir, name)); n++) name = base + "-" + std::to_string(n) + ext;
    return name;
}

bool MoveAside(const std::string& path, std::string* taken, std::string* error) {
    char name[4096];
    if (FileMoveAside(path.c_str(), ".bad", name, sizeof name) == 0) {
        if (taken) *taken = name;
        return true;
    }
    if (error) *error = FileErrorText();
    return false;
}

std::string LocalDateTime(void) { return Stamp("%Y-%m-%d %H:%M"); }
