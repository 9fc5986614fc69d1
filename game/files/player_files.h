// The files the player owns: replays, scores and screenshots beside Log.txt
// (the current folder), settings under $XDG_CONFIG_HOME/vortalis/. Reads and
// writes go through the framework's file calls: writes are atomic (a crash or
// a full disk never leaves a half-written file), reads never block on a pipe
// and refuse anything but a regular file. Failures come back as a short reason
// for one console line; nothing here ends the program.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// "dir/name" beside Log.txt; dir may be empty.
std::string PlayerFilePath(const std::string& dir, const std::string& name);
// $XDG_CONFIG_HOME/vortalis, or ~/.config/vortalis when XDG_CONFIG_HOME is
// unset or not an absolute path; "" when neither can be found.
std::string ConfigFolder(void);

// Makes the folder and its parents; true when it exists afterwards.
bool MakeFolders(const std::string& dir, std::string* error);
// Replaces path with data atomically, making its folder when missing.
bool WriteFileAtomic(const std::string& path, const void* data, std::size_t size, std::string* error);
// What a read found: the bytes, or why there are none.
enum ReadResult { READ_OK, READ_MISSING, READ_FAILED };
// Reads a whole regular file of at most maxSize bytes; *error (when given) is
// the reason without the path, for the caller to name the file.
ReadResult ReadWholeFile(const std::string& path, std::size_t maxSize, std::vector<unsigned char>* out,
                         std::string* error);
// Names of the regular files in dir ending in suffix, sorted by name; empty
// when the folder is missing or unreadable.
std::vector<std::string> ListFolder(const std::string& dir, const std::string& suffix);
// "prefix-YYYYMMDD-HHMMSS.ext" in local time, with "-2", "-3", … added when a
// file of that name already exists in dir, so nothing is overwritten.
std::string NewTimestampName(const std::string& dir, const std::string& prefix, const std::string& ext);
// Moves a damaged file aside to path.bad, or path.2.bad, path.3.bad, … when
// those are taken, never replacing one; *taken is the name it now has.
bool MoveAside(const std::string& path, std::string* taken, std::string* error);
// The local date and time now, "YYYY-MM-DD HH:MM" ("" when unknown).
std::string LocalDateTime(void);
