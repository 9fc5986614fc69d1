// Fuzz target for the file read calls: any bytes as a file read three ways, by
// FileReadChar (which must give back every byte in order), by FileReadLine with
// buffer sizes from 1 up (which must stay inside its buffer, terminate what it
// stores and always make progress), and by the two mixed.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "framework/file/file_layer.h"
#include "framework/framework.h"
#include "framework/core/api_lock.h"
#include "fuzz/fuzz_support.h"

namespace {

enum { GUARD = 16, GUARD_BYTE = 0xA5 };

const int kLineSizes[] = {256, 2, 3, 1, 17, 64, 4, 255};

void Check(bool ok) {
    if (!ok) std::abort();
}

// One FileReadLine into a buffer with guard bytes after it.
int ReadLineChecked(int fh, int size) {
    static char buffer[512 + GUARD];
    std::memset(buffer, GUARD_BYTE, sizeof buffer);
    int n = FileReadLine(buffer, size, fh);
    if (n < 0) return n;
    Check(n < size);
    Check(buffer[n] == 0);
    for (int i = size; i < size + GUARD; i++) Check(static_cast<uint8_t>(buffer[i]) == GUARD_BYTE);
    return n;
}

void ReadByChars(const char* path, const uint8_t* data, size_t size) {
    int fh = FileOpenRead(path);
    Check(fh != 0);
    for (size_t i = 0; i < size; i++) {
        Check(FileAtEnd(fh) == 0);
        Check(FileReadChar(fh) == data[i]);
    }
    Check(FileAtEnd(fh) == 1);
    Check(FileReadChar(fh) == -1);
    Check(FileCloseRead(fh) == 0);
}

void ReadByLines(const char* path, size_t size, int sizeIndex) {
    int fh = FileOpenRead(path);
    Check(fh != 0);
    // Every call that returns a line consumes at least one byte, except for a
    // buffer of one byte, which only ever stores the NUL.
    size_t calls = 0;
    for (int k = sizeIndex;; k++) {
        int bufferSize = kLineSizes[k % (sizeof kLineSizes / sizeof kLineSizes[0])];
        if (bufferSize == 1) bufferSize = 2;
        int64_t before = FileLayerTell(fh);
        if (ReadLineChecked(fh, bufferSize) < 0) break;
        Check(FileLayerTell(fh) > before);
        Check(++calls <= size + 1);
    }
    Check(ReadLineChecked(fh, 1) == -1 || FileAtEnd(fh) == 1);
    Check(FileCloseRead(fh) == 0);
}

void ReadMixed(const char* path, const uint8_t* data, size_t size) {
    int fh = FileOpenRead(path);
    Check(fh != 0);
    size_t steps = 0;
    for (size_t i = 0;; i++) {
        int r = (i < size && data[i] & 1) ? FileReadChar(fh) : ReadLineChecked(fh, kLineSizes[i % 8]);
        if (r < 0 && FileAtEnd(fh) == 1) break;
        Check(++steps <= 2 * size + 16);
    }
    Check(FileCloseRead(fh) == 0);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzStartFramework();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ApiGuard whole;   // see FuzzStartFramework
    const char* path = FuzzWriteInput(data, size);
    ReadByChars(path, data, size);
    ReadByLines(path, size, 0);
    ReadByLines(path, size, size > 0 ? data[0] : 1);
    ReadMixed(path, data, size);
    Check(FileLayerOpenCount() == 0);
    return 0;
}
