// Paths and atomic writes for the player's own files.
#include "game/files/player_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

bool Fail(std::string* error, const std::string& what) {
    if (error) *error = what + ": " + std::strerror(errno);
    return false;
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return "";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Writes every byte, retrying short writes and interruptions.
bool WriteAll(int fd, const unsigned char* p, std::size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
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
    struct stat st;
    if (::stat(dir.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return true;
        errno = ENOTDIR;
        return Fail(error, dir);
    }
    const std::string parent = FolderOf(dir);
    if (!parent.empty() && parent != dir && !MakeFolders(parent, error)) return false;
    if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) return Fail(error, dir);
    return true;
}

bool WriteFileAtomic(const std::string& path, const void* data, std::size_t size, std::string* error) {
    if (!MakeFolders(FolderOf(path), error)) return false;
    const std::string temp = path + ".tmp" + std::to_string(::getpid());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return Fail(error, temp);
    const bool written = WriteAll(fd, static_cast<const unsigned char*>(data), size) && ::fsync(fd) == 0;
    const int savedErrno = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        errno = written ? errno : savedErrno;
        Fail(error, path);
        ::unlink(temp.c_str());
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        Fail(error, path);
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable; a folder that cannot be synced is no error.
    const std::string folder = FolderOf(path);
    const int dfd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::size_t maxSize, std::vector<unsigned char>* out,
                   std::string* error) {
    out->clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Fail(error, path);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (errno == 0) errno = EINVAL;
        ::close(fd);
        return Fail(error, path);
    }
    if (static_cast<unsigned long long>(st.st_size) > maxSize) {
        ::close(fd);
        if (error) *error = path + ": too large";
        return false;
    }
    out->resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < out->size()) {
        const ssize_t r = ::read(fd, out->data() + got, out->size() - got);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        got += static_cast<std::size_t>(r);
    }
    ::close(fd);
    out->resize(got);   // a file that shrank while read gives what was there
    return true;
}

std::vector<std::string> ListFolder(const std::string& dir, const std::string& suffix) {
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return names;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name.size() < suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        struct stat st;
        if (::stat(PlayerFilePath(dir, name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) names.push_back(name);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

std::string NewTimestampName(const std::string& dir, const std::string& prefix, const std::string& ext) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = prefix + "-" + stamp;
    std::string name = base + ext;
    for (int n = 2; Exists(PlayerFilePath(dir, name)); n++) name = base + "-" + std::to_string(n) + ext;
    return name;
}

bool MoveAside(const std::string& path, std::string* error) {
    if (::rename(path.c_str(), (path + ".bad").c_str()) != 0) return Fail(error, path);
    return true;
}
