// Small file helpers for tests: write bytes, read bytes back, list a folder.
#pragma once

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

inline void WriteBytes(const char* path, const std::string& bytes) {
    FILE* f = std::fopen(path, "wb");
    if (!f) return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

inline std::string ReadBytes(const char* path) {
    std::string out;
    FILE* f = std::fopen(path, "rb");
    if (!f) return out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    std::fclose(f);
    return out;
}

// The names in a folder but "." and "..", sorted.
inline std::vector<std::string> FolderNames(const char* path) {
    std::vector<std::string> names;
    if (DIR* d = opendir(path)) {
        while (const dirent* e = readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}
