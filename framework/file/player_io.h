// Whole-file reads and atomic writes for the files a program keeps for its
// player (saves, settings, screenshots, generated data). Any thread may call
// these: they touch no state of the framework but the calling thread's last
// reason, so they take no lock.
#pragma once

#include <cstddef>
#include <string>

namespace player_io {

// Replaces path with the bytes atomically: a temporary file with a name of its
// own in the same folder, written, flushed to disk and renamed over path, then
// the folder flushed. On failure nothing is left behind and path is as it was.
bool WriteAtomic(const char* path, const void* data, std::size_t size, std::string* reason);
// Size of a regular file. Opening never blocks (a FIFO or a device is refused,
// not waited on) and anything but a regular file is refused with its kind.
bool SizeOf(const char* path, std::size_t* size, std::string* reason);
// Reads at most capacity bytes of a regular file; a file holding more is
// refused as too large. *got is the number of bytes read.
bool ReadAll(const char* path, void* buffer, std::size_t capacity, std::size_t* got, std::string* reason);
// Renames path to the first free name among path + suffix, path + ".2" +
// suffix, path + ".3" + suffix, …, never replacing a file; the name taken goes
// to *taken.
bool MoveAside(const char* path, const char* suffix, std::string* taken, std::string* reason);

} // namespace player_io
