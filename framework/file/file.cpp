// The file table (512 entries; handle = 0xF0000000 + entry index + 1) and the
// five read calls the game uses. Only CR LF ends a line; a Shift-JIS character
// is never split between two FileReadLine calls.
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "framework/core/api_lock.h"
#include "framework/core/log.h"
#include "framework/core/services.h"
#include "framework/core/text_encoding.h"
#include "framework/file/file_layer.h"
#include "framework/framework.h"

namespace {

struct OpenFile {
    FILE* file;
    int64_t size;
    int64_t position;
    int eof;
    int64_t streamPosition;   // where the stdio stream stands; −1 when unknown
};

OpenFile g_files[FILE_MAX_OPEN];
int g_openCount = 0;

OpenFile* Lookup(int fh) {
    if ((static_cast<uint32_t>(fh) & 0xF0000000u) != 0xF0000000u) return nullptr;
    uint32_t index = (static_cast<uint32_t>(fh) & 0x0FFFFFFFu);
    if (index == 0 || index > FILE_MAX_OPEN) return nullptr;
    OpenFile* f = &g_files[index - 1];
    return f->file ? f : nullptr;
}

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// A CR that is the last byte read at `at`: when the file's next byte is a LF
// the pair ends the line as it would inside the buffer, and the next read
// starts after the LF, like a Shift-JIS pair cut by the buffer is never split.
// Otherwise the position is left after the CR, which is text.
bool CrLfSplitByBuffer(int fh, int64_t at) {
    unsigned char next = 0;
    const bool lineEnd = FileLayerRead(&next, 1, 1, fh) == 1 && next == '\n';
    FileLayerSeek(fh, lineEnd ? at + 2 : at + 1, 0);
    return lineEnd;
}

} // namespace

// Opens a regular file for reading; nullptr for anything else (a directory, a
// device, a pipe) or when it cannot be opened.
static FILE* OpenRegular(const char* path, int64_t* size) {
    const std::string full = FileNormalisePath(path);
    FILE* f = std::fopen(full.c_str(), "rb");
    if (!f) return nullptr;
    struct stat st;
    if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fclose(f);
        return nullptr;
    }
    *size = st.st_size;
    return f;
}

std::string FileNormalisePath(const char* path) {
    std::string full;
    bool absolute = path[0] == '/' || path[0] == '\\';
    if (!absolute) {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd)) full = cwd;
        full += '/';
    }
    full += path;
    std::vector<std::string> parts;
    std::string part;
    auto flush = [&] {
        if (part.empty() || part == ".") {
        } else if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else {
            parts.push_back(part);
        }
        part.clear();
    };
    for (char c : full) {
        if (c == '/' || c == '\\') flush();
        else part.push_back(c);
    }
    flush();
    std::string out;
    for (const std::string& p : parts) out += "/" + p;
    return out.empty() ? "/" : out;
}

int FileLayerOpen(const char* path) {
    if (!path) return 0;
    if (g_openCount >= FILE_MAX_OPEN) {
        WriteLogLine("同時に開けるファイルの数が限界を超えました\n");
        return 0;
    }
    int index = 0;
    while (g_files[index].file) index++;
    int64_t size = 0;
    FILE* f = OpenRegular(path, &size);
    if (!f) return 0;
    g_files[index] = OpenFile{f, size, 0, 0, 0};
    g_openCount++;
    return FILE_HANDLE_TAG + index + 1;
}

int FileLayerClose(int fh) {
    OpenFile* f = Lookup(fh);
    if (!f) return -1;
    std::fclose(f->file);
    *f = OpenFile{};
    g_openCount--;
    return 0;
}

int64_t FileLayerTell(int fh) {
    OpenFile* f = Lookup(fh);
    return f ? f->position : -1;
}

int64_t FileLayerSize(int fh) {
    OpenFile* f = Lookup(fh);
    return f ? f->size : -1;
}

int FileLayerSeek(int fh, int64_t offset, int origin) {
    OpenFile* f = Lookup(fh);
    if (!f) return -1;
    int64_t base = origin == 0 ? 0 : origin == 1 ? f->position : f->size;
    int64_t pos = base + offset;
    if (pos < 0) pos = 0;
    if (pos > f->size) pos = f->size;
    f->position = pos;
    f->eof = 0;
    return 0;
}

size_t FileLayerRead(void* buffer, size_t size, size_t count, int fh) {
    OpenFile* f = Lookup(fh);
    if (!f || size == 0) return 0;
    int64_t left = f->size - f->position;
    size_t whole = left > 0 ? static_cast<size_t>(left) / size : 0;
    if (whole > count) whole = count;
    if (whole == 0) {
        f->eof = 1;
        return 0;
    }
    // A seek costs a system call even when the stream is already there, and
    // the story readers take one byte a call: seek only when the position moved.
    if (f->streamPosition != f->position) std::fseek(f->file, static_cast<long>(f->position), SEEK_SET);
    size_t got = std::fread(buffer, size, whole, f->file);
    f->position += static_cast<int64_t>(got * size);
    f->streamPosition = got == whole ? f->position : -1;   // a short read leaves the stream's place unsure
    if (got == 0) f->eof = 1;
    return got;
}

int FileLayerEof(int fh) {
    OpenFile* f = Lookup(fh);
    return (!f || f->eof) ? -1 : 0;
}

int FileLayerOpenCount(void) { return g_openCount; }

bool FileLayerReadAll(const char* path, std::string* out) {
    if (!path) return false;
    if (g_openCount >= FILE_MAX_OPEN) {
        WriteLogLine("同時に開けるファイルの数が限界を超えました\n");
        return false;
    }
    return FileReadWhole(path, out);
}

bool FileReadWhole(const char* path, std::string* out) {
    if (!path) return false;
    int64_t size = 0;
    FILE* f = OpenRegular(path, &size);
    if (!f) return false;
    out->assign(static_cast<size_t>(size), '\0');
    const size_t got = out->empty() ? 0 : std::fread(&(*out)[0], 1, out->size(), f);
    out->resize(got);
    std::fclose(f);
    return true;
}

void FileShutdown(void) {
    for (int i = 0; i < FILE_MAX_OPEN; i++)
        if (g_files[i].file) FileLayerClose(FILE_HANDLE_TAG + i + 1);
}

int FileOpenRead(const char* path) {
    ApiGuard guard;
    return FileLayerOpen(path);
}

int FileCloseRead(int fh) {
    ApiGuard guard;
    return FileLayerClose(fh);
}

int FileAtEnd(int fh) {
    ApiGuard guard;
    if (!Lookup(fh)) return -1;
    int64_t pos = FileLayerTell(fh);
    FileLayerSeek(fh, 0, 2);
    int64_t end = FileLayerTell(fh);
    FileLayerSeek(fh, pos, 0);
    return pos == end ? 1 : 0;
}

int FileReadChar(int fh) {
    ApiGuard guard;
    if (!Lookup(fh) || FileLayerEof(fh)) return -1;
    unsigned char c;
    return FileLayerRead(&c, 1, 1, fh) == 1 ? c : -1;
}

int FileReadLine(char* buffer, int size, int fh) {
    ApiGuard guard;
    if (!buffer || size < 1 || !Lookup(fh) || FileLayerEof(fh)) return -1;
    if (size == 1) { buffer[0] = 0; return -1; }   // no room for a byte: nothing read
    int64_t start = FileLayerTell(fh);
    int count = static_cast<int>(FileLayerRead(buffer, 1, static_cast<size_t>(size - 1), fh));
    if (count <= 0) return -1;
    const unsigned char* b = reinterpret_cast<const unsigned char*>(buffer);
    int i = 0;
    while (i < count) {
        if (b[i] == 0) break;
        // Shift-JIS pairs stay whole (a trail byte may be 0x0D); UTF-8 never has
        // CR or LF inside a character.
        if (!TextIsUtf8() && IsLeadByte(b[i])) {
            if (i + 1 >= count) {
                // A pair cut by the buffer is read whole by the next call. When the
                // lead byte is the first byte read (a lone lead byte at the end of
                // the file, or a buffer of two bytes) it is returned as it stands,
                // so that every call makes progress.
                if (i > 0) FileLayerSeek(fh, start + i, 0);
                else i = 1;
                break;
            }
            i += 2;
            continue;
        }
        if (b[i] == '\r' && i + 1 < count && b[i + 1] == '\n') {
            FileLayerSeek(fh, start + i + 2, 0);
            break;
        }
        if (b[i] == '\r' && i + 1 == count && CrLfSplitByBuffer(fh, start + i)) break;
        i++;
    }
    buffer[i] = 0;
    return i;
}
