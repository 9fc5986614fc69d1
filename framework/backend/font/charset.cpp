// Shift-JIS and UTF-8 through iconv, and a strict UTF-8 reader.
#include "framework/backend/font/charset.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <mutex>

namespace {

struct Converters {
    std::mutex lock;   // the log may be written from the pump thread and the main thread
    iconv_t toUtf8 = (iconv_t)-1;
    iconv_t toSjis = (iconv_t)-1;
};

Converters g_charset;

// Converts what iconv can; `skip` says what to do with the byte where it
// stops: append its replacement and go on after it.
template <typename Skip>
std::string Convert(iconv_t& cd, const char* to, const char* from, const char* text, Skip skip) {
    std::string out;
    if (!text) return out;
    std::lock_guard<std::mutex> g(g_charset.lock);
    if (cd == (iconv_t)-1) cd = iconv_open(to, from);
    size_t inLeft = std::strlen(text);
    if (cd == (iconv_t)-1) return std::string(text, inLeft);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(text);
    char buffer[256];
    while (inLeft > 0) {
        char* op = buffer;
        size_t outLeft = sizeof buffer;
        size_t r = iconv(cd, &in, &inLeft, &op, &outLeft);
        out.append(buffer, op - buffer);
        if (r == (size_t)-1 && errno != E2BIG) {
            // An unconvertible or cut character: replace its first byte.
            int used = skip(reinterpret_cast<const unsigned char*>(in), &out);
            in += used;
            inLeft -= used;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

} // namespace

std::string CharsetSjisToUtf8(const char* sjis) {
    return Convert(g_charset.toUtf8, "UTF-8", "CP932", sjis, [](const unsigned char* p, std::string* out) {
        out->push_back(static_cast<char>(0xC0 | p[0] >> 6));   // the byte as Latin-1
        out->push_back(static_cast<char>(0x80 | (p[0] & 0x3F)));
        return 1;
    });
}

std::string CharsetUtf8ToSjis(const char* utf8) {
    return Convert(g_charset.toSjis, "CP932", "UTF-8", utf8, [](const unsigned char* p, std::string* out) {
        int length = 1;
        CharsetUtf8Next(p, &length);
        out->push_back('?');
        return length;
    });
}

uint32_t CharsetUtf8Next(const unsigned char* p, int* length) {
    *length = 1;
    const unsigned c = p[0];
    if (c < 0x80) return c;
    int n;
    uint32_t cp, min;
    if (c >= 0xC2 && c <= 0xDF) { n = 2; cp = c & 0x1F; min = 0x80; }
    else if (c >= 0xE0 && c <= 0xEF) { n = 3; cp = c & 0x0F; min = 0x800; }
    else if (c >= 0xF0 && c <= 0xF4) { n = 4; cp = c & 0x07; min = 0x10000; }
    else return 0xFFFD;
    for (int i = 1; i < n; i++) {
        if ((p[i] & 0xC0) != 0x80) return 0xFFFD;   // also stops at the terminating zero
        cp = cp << 6 | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFD;
    *length = n;
    return cp;
}
