// The program's choice of text encoding and what the framework's modules ask
// of it.
#include "framework/core/text_encoding.h"

#include <cstring>

#include "framework/backend/font/charset.h"
#include "framework/core/api_lock.h"
#include "framework/core/state.h"
#include "framework/framework.h"

namespace {

bool IsSjisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Length a UTF-8 lead byte announces (1 for anything that is not a lead byte).
int Utf8Announced(unsigned char c) {
    if (c >= 0xC2 && c <= 0xDF) return 2;
    if (c >= 0xE0 && c <= 0xEF) return 3;
    if (c >= 0xF0 && c <= 0xF4) return 4;
    return 1;
}

} // namespace

int TextIsUtf8(void) { return g_core.textEncoding == TEXT_UTF8; }

int TextCharLength(const unsigned char* p) {
    if (TextIsUtf8()) {
        int length = 1;
        CharsetUtf8Next(p, &length);
        return length;
    }
    return (IsSjisLead(p[0]) && p[1]) ? 2 : 1;
}

std::string TextToShiftJis(const char* text) {
    if (!text) return std::string();
    return TextIsUtf8() ? CharsetUtf8ToSjis(text) : std::string(text);
}

void TextDropCutCharacter(char* text) {
    unsigned char* p = reinterpret_cast<unsigned char*>(text);
    if (TextIsUtf8()) {
        // Only the last character can be cut: find where it starts.
        size_t n = std::strlen(text);
        size_t start = n;
        while (start > 0 && n - start < 4 && (p[start - 1] & 0xC0) == 0x80) start--;
        if (start > 0 && n - (start - 1) < static_cast<size_t>(Utf8Announced(p[start - 1]))) p[start - 1] = 0;
        return;
    }
    for (size_t i = 0; p[i]; i++) {
        if (!IsSjisLead(p[i])) continue;
        if (!p[i + 1]) { p[i] = 0; break; }
        i++;
    }
}

// ---- Additions: the text encoding ----

int SetTextEncoding(int encoding) {
    ApiGuard guard;
    if (encoding != TEXT_SHIFT_JIS && encoding != TEXT_UTF8) return -1;
    g_core.textEncoding = encoding;
    return 0;
}
