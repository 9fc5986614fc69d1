// Whole-file reads and atomic writes (player_io.h), and their flat calls.
#include "framework/file/player_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "framework/framework.h"

namespace {

thread_local std::string t_reason;

bool Fail(std::string* reason, const std::string& text) {
    if (reason) *reason = text;
    return false;
}

bool FailErrno(std::string* reason, int code) { return Fail(reason, std::strerror(code)); }

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
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

const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "is a folder, not a file";
    if (S_ISFIFO(mode)) return "is a pipe, not a file";
    if (S_ISSOCK(mode)) return "is a socket, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device, not a file";
    return "is not a regular file";
}

// Opens a regular file for reading without waiting on FIFOs or devices.
int OpenRegular(const char* path, struct stat* st, std::string* reason) {
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        FailErrno(reason, errno);
        return -1;
    }
    if (::fstat(fd, st) != 0) {
        FailErrno(reason, errno);
        ::close(fd);
        return -1;
    }
    if (!S_ISREG(st->st_mode)) {
        Fail(reason, KindOf(st->st_mode));
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::atomic<unsigned> g_tempSerial{0};

} // namespace

namespace player_io {

bool WriteAtomic(const char* path, const void* data, std::size_t size, std::string* reason) {
    if (!path || !*path) return Fail(reason, "no file name");
    if (size > 0 && !data) return Fail(reason, "no data");
    // A name no other writer uses: this process, a serial of its own.
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".%ld.%u.tmp", static_cast<long>(::getpid()), g_tempSerial++);
    const std::string temp = std::string(path) + suffix;
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return FailErrno(reason, errno);
    bool ok = WriteAll(fd, static_cast<const unsigned char*>(data), size) && ::fsync(fd) == 0;
    int code = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        code = errno;
    }
    if (ok && ::rename(temp.c_str(), path) != 0) {
        ok = false;
        code = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return FailErrno(reason, code);
    }
    // Make the rename itself durable; a folder that cannot be flushed is no error.
    const int dfd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

bool SizeOf(const char* path, std::size_t* size, std::string* reason) {
    if (!path || !*path) return Fail(reason, "no file name");
    struct stat st;
    const int fd = OpenRegular(path, &st, reason);
    if (fd < 0) return false;
    ::close(fd);
    *size = static_cast<std::size_t>(st.st_size);
    return true;
}

bool ReadAll(const char* path, void* buffer, std::size_t capacity, std::size_t* got, std::string* reason) {
    if (!path || !*path) return Fail(reason, "no file name");
    struct stat st;
    const int fd = OpenRegular(path, &st, reason);
    if (fd < 0) return false;
    if (static_cast<unsigned long long>(st.st_size) > capacity) {
        ::close(fd);
        return Fail(reason, "too large");
    }
    unsigned char* out = static_cast<unsigned char*>(buffer);
    std::size_t n = 0;
    for (;;) {
        unsigned char extra;
        // Reads up to capacity, then one byte more to tell a file that grew.
        const ssize_t r = n < capacity ? ::read(fd, out + n, capacity - n) : ::read(fd, &extra, 1);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            const int code = errno;
            ::close(fd);
            return FailErrno(reason, code);
        }
        if (r == 0) break;
        if (n >= capacity) {
            ::close(fd);
            return Fail(reason, "too large");
        }
        n += static_cast<std::size_t>(r);
    }
    ::close(fd);
    *got = n;
    return true;
}

bool MoveAside(const char* path, const char* suffix, std::string* taken, std::string* reason) {
    if (!path || !*path) return Fail(reason, "no file name");
    for (int n = 1; n < 1000; n++) {
        const std::string name = n == 1 ? std::string(path) + suffix
                                        : std::string(path) + "." + std::to_string(n) + suffix;
        // link() never replaces an existing name; the old name is then dropped.
        if (::link(path, name.c_str()) == 0) {
            if (::unlink(path) != 0) {
                const int code = errno;
                ::unlink(name.c_str());
                return FailErrno(reason, code);
            }
            if (taken) *taken = name;
            return true;
        }
        if (errno == EEXIST) continue;
        // Folders that cannot hold links: a plain rename to a name seen free.
        if (errno == EPERM || errno == EOPNOTSUPP || errno == EXDEV) {
            struct stat st;
            if (::lstat(name.c_str(), &st) == 0) continue;
            if (::rename(path, name.c_str()) != 0) return FailErrno(reason, errno);
            if (taken) *taken = name;
            return true;
        }
        return FailErrno(reason, errno);
    }
    return Fail(reason, "no free name to move it to");
}

} // namespace player_io

// ---- The flat calls ----------------------------------------------------------

int FileSizeOf(const char* path) {
    std::size_t size = 0;
    if (!player_io::SizeOf(path, &size, &t_reason)) return -1;
    if (size > 0x7fffffff) {
        t_reason = "too large";
        return -1;
    }
    return static_cast<int>(size);
}

int FileReadAll(const char* path, void* buffer, int capacity) {
    std::size_t got = 0;
    if (capacity < 0 || !buffer) {
        t_reason = "no buffer";
        return -1;
    }
    if (!player_io::ReadAll(path, buffer, static_cast<std::size_t>(capacity), &got, &t_reason)) return -1;
    return static_cast<int>(got);
}

int FileWriteAtomic(const char* path, const void* data, int size) {
    if (size < 0) {
        t_reason = "negative size";
        return -1;
    }
    return player_io::WriteAtomic(path, data, static_cast<std::size_t>(size), &t_reason) ? 0 : -1;
}

int FileMoveAside(const char* path, const char* suffix, char* taken, int takenSize) {
    std::string name;
    if (!player_io::MoveAside(path, suffix ? suffix : ".bad", &name, &t_reason)) return -1;
    if (taken && takenSize > 0) std::snprintf(taken, static_cast<std::size_t>(takenSize), "%s", name.c_str());
    return 0;
}

const char* FileErrorText(void) { return t_reason.c_str(); }
