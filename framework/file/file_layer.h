// The file layer under FileOpenRead and the image and sound loaders: handles
// over plain files with open, close, tell, seek, read and end-of-file, plus
// the path normalisation every open goes through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum { FILE_MAX_OPEN = 512 };
const int FILE_HANDLE_TAG = static_cast<int>(0xF0000000u);

int FileLayerOpen(const char* path);                 // handle, or 0 (table full: logged)
int FileLayerClose(int fh);                          // 0, or −1
int64_t FileLayerTell(int fh);                       // position, or −1
int FileLayerSeek(int fh, int64_t offset, int origin); // origin 0 start, 1 current, 2 end; 0 or −1
size_t FileLayerRead(void* buffer, size_t size, size_t count, int fh); // whole elements read
int FileLayerEof(int fh);                            // −1 when the end-of-file flag is set, else 0
int64_t FileLayerSize(int fh);                       // size in bytes, or −1
int FileLayerOpenCount(void);

// Reads a whole file through the layer; false when it cannot be opened (the
// table being full is logged, as for any open).
bool FileLayerReadAll(const char* path, std::string* out);
// The same read without the table, for worker threads: any thread may call it.
bool FileReadWhole(const char* path, std::string* out);

// Full path: relative paths are taken from the current directory; '/' and '\'
// both separate; "." is dropped and ".." removes the previous component.
std::string FileNormalisePath(const char* path);
