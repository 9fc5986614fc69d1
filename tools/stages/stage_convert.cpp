// stage_convert: turns a timeline kept as UTF-8 under assets/stages into the
// Shift-JIS file the game reads (iconv, code page 932), byte for byte otherwise.
//   stage_convert source.csv dat/csv/storyH0.csv
// Run by the data build for every stage.
#include <cerrno>
#include <cstdio>
#include <string>

#include <iconv.h>

namespace {

bool ReadAll(const char* path, std::string& out) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) out.append(buffer, n);
    std::fclose(f);
    return true;
}

// Whole-buffer conversion; false with the byte offset of the first character
// that has no Shift-JIS form.
bool ToShiftJis(const std::string& in, std::string& out, size_t& badOffset) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    out.assign(in.size() * 2 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1)) {
        badOffset = in.size() - srcLeft;
        return false;
    }
    out.resize(out.size() - dstLeft);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: stage_convert source.csv output.csv\n");
        return 2;
    }
    std::string text, sjis;
    if (!ReadAll(argv[1], text)) {
        std::fprintf(stderr, "%s: cannot be read\n", argv[1]);
        return 1;
    }
    size_t bad = 0;
    if (!ToShiftJis(text, sjis, bad)) {
        int line = 1;
        for (size_t k = 0; k < bad && k < text.size(); k++) line += text[k] == '\n';
        std::fprintf(stderr, "%s:%d: text that is not UTF-8 or has no Shift-JIS form\n", argv[1], line);
        return 1;
    }
    FILE* f = std::fopen(argv[2], "wb");
    if (!f || std::fwrite(sjis.data(), 1, sjis.size(), f) != sjis.size()) {
        std::fprintf(stderr, "%s: cannot be written\n", argv[2]);
        if (f) std::fclose(f);
        return 1;
    }
    std::fclose(f);
    return 0;
}
