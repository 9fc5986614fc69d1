// Small file helpers for tests: write bytes, read bytes back.
#pragma once

#include <cstdio>
#include <string>

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
