// Each font's glyph cache: a fixed block of cells made when the font is
// created, filled one character at a time as text first uses it. Edged fonts
// keep a second mask per cell, the glyph widened by the edge size.
#include <algorithm>
#include <cstring>
#include <new>

#include "framework/graphics/font.h"

namespace {

enum { LOOKUP_CODES = 65536 };

size_t CellBytes(const Font* f) {
    size_t mask = static_cast<size_t>(f->cellWidth) * f->cellHeight;
    return (f->type & FONT_TYPE_EDGE) ? 2 * mask : mask;
}

// The edge mask: each pixel takes the strongest coverage found within the edge
// size around it (a round neighbourhood: dx² + dy² ≤ e² + e, which is the full
// 3×3 square for an edge of 1).
void Dilate(const uint8_t* body, uint8_t* edge, int w, int h, int pitch, int e) {
    const int limit = e * e + e;
    for (int y = 0; y < h; y++) {
        uint8_t* out = edge + static_cast<size_t>(y) * pitch;
        std::memset(out, 0, w);
        for (int dy = -e; dy <= e; dy++) {
            int sy = y + dy;
            if (sy < 0 || sy >= h) continue;
            const uint8_t* in = body + static_cast<size_t>(sy) * pitch;
            for (int dx = -e; dx <= e; dx++) {
                if (dx * dx + dy * dy > limit) continue;
                int x0 = std::max(0, -dx), x1 = std::min(w, w - dx);
                for (int x = x0; x < x1; x++) out[x] = std::max(out[x], in[x + dx]);
            }
        }
    }
}

// When every cell is taken the cache starts afresh; the game's texts use far
// fewer characters than the smallest cache holds.
void Flush(Font* f) {
    for (int i = 0; i < f->cellsUsed; i++)
        if (f->glyphs[i].code < LOOKUP_CODES) f->lookup[f->glyphs[i].code] = 0;
    f->cellsUsed = 0;
}

bool IsSpace(const unsigned char* bytes, int len) {
    return (len == 1 && bytes[0] == 0x20) || (len == 2 && bytes[0] == 0x81 && bytes[1] == 0x40);
}

// What one character is, for rendering: bytes in the font's character set, or
// a code point.
struct CharRef {
    const unsigned char* bytes;
    int len;
    uint32_t codePoint;
    bool space;
    bool wide;   // takes a full-width room when no face has it
};

void Render(Font* f, FontGlyph* g, uint8_t* cell, const CharRef& c) {
    const int e = (f->type & FONT_TYPE_EDGE) ? f->edgeSize : 0;
    const int antialiased = (f->type & FONT_TYPE_ANTIALIAS) != 0;
    FontBackendGlyph bg;
    g->drawn = 0;
    g->width = g->height = 0;
    g->offX = g->offY = 0;
    const int found = c.bytes ? FontBackendRender(f->backend, c.bytes, c.len, antialiased, &bg)
                              : FontBackendRenderCodePoint(f->backend, c.codePoint, antialiased, &bg);
    if (!found) {
        // No face has it: nothing to draw, and the room a character of its width would take.
        g->advance = static_cast<int16_t>(c.wide ? f->size : f->size / 2);
        return;
    }
    g->advance = static_cast<int16_t>(bg.advance);
    if (c.space) return;   // spaces only advance
    const int w = std::min(bg.width + 2 * e, f->cellWidth);
    const int h = std::min(bg.height + 2 * e, f->cellHeight);
    if (bg.width <= 0 || bg.height <= 0 || w <= 0 || h <= 0) return;
    const int pitch = f->cellWidth;
    uint8_t* body = cell;
    for (int y = 0; y < h; y++) std::memset(body + static_cast<size_t>(y) * pitch, 0, w);
    for (int y = 0; y < bg.height && y + e < h; y++) {
        int n = std::min(bg.width, w - e);
        if (n > 0) std::memcpy(body + static_cast<size_t>(y + e) * pitch + e, bg.coverage + static_cast<size_t>(y) * bg.pitch, n);
    }
    if (e > 0) Dilate(body, cell + static_cast<size_t>(f->cellWidth) * f->cellHeight, w, h, pitch, e);
    g->width = static_cast<uint16_t>(w);
    g->height = static_cast<uint16_t>(h);
    g->offX = static_cast<int16_t>(bg.left - e);
    g->offY = static_cast<int16_t>(f->metrics.ascent - bg.top - e);
    g->drawn = 1;
}

} // namespace

int FontIsLeadByte(const Font* f, unsigned char c) {
    if (f->charSet == FONT_CHARSET_KOREAN) return c >= 0x80;
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

int FontCacheCreate(Font* f) {
    const int e = (f->type & FONT_TYPE_EDGE) ? f->edgeSize : 0;
    int w = std::max(f->metrics.maxAdvance, f->metrics.boxWidth) + 2 * e;
    int h = std::max(f->metrics.height, f->metrics.boxHeight) + 2 * e;
    f->cellWidth = (w + 7) & ~7;
    f->cellHeight = (h + 1) & ~1;
    f->cellCount = std::clamp(FONT_CACHE_BYTES / (f->cellWidth * f->cellWidth),
                              static_cast<int>(FONT_CACHE_MIN_CELLS), static_cast<int>(FONT_CACHE_MAX_CELLS));
    f->cellsUsed = 0;
    f->cells = new (std::nothrow) uint8_t[CellBytes(f) * f->cellCount];
    f->glyphs = new (std::nothrow) FontGlyph[f->cellCount];
    f->lookup = new (std::nothrow) uint16_t[LOOKUP_CODES]();
    if (!f->cells || !f->glyphs || !f->lookup) {
        FontCacheDestroy(f);
        return -1;
    }
    return 0;
}

void FontCacheDestroy(Font* f) {
    delete[] f->cells;
    delete[] f->glyphs;
    delete[] f->lookup;
    f->cells = nullptr;
    f->glyphs = nullptr;
    f->lookup = nullptr;
    f->cellsUsed = 0;
}

namespace {

// The cached glyph under `code`, rendered on first use. Codes past the lookup
// table (characters beyond the Basic Multilingual Plane) are searched for.
const FontGlyph* CachedGlyph(Font* f, uint32_t code, bool utf8, const CharRef& c) {
    if (f->cacheUtf8 != (utf8 ? 1 : 0)) {
        Flush(f);
        f->cacheUtf8 = utf8 ? 1 : 0;
    }
    if (code < LOOKUP_CODES) {
        if (uint16_t slot = f->lookup[code]) return &f->glyphs[slot - 1];
    } else {
        for (int i = 0; i < f->cellsUsed; i++)
            if (f->glyphs[i].code == code) return &f->glyphs[i];
    }
    if (f->cellsUsed == f->cellCount) Flush(f);
    const int i = f->cellsUsed++;
    FontGlyph* g = &f->glyphs[i];
    g->code = code;
    Render(f, g, f->cells + CellBytes(f) * i, c);
    if (code < LOOKUP_CODES) f->lookup[code] = static_cast<uint16_t>(i + 1);
    return g;
}

} // namespace

const FontGlyph* FontCacheGlyph(Font* f, const unsigned char* bytes, int len) {
    const uint32_t code = len == 2 ? bytes[0] << 8 | bytes[1] : bytes[0];
    return CachedGlyph(f, code, false, CharRef{bytes, len, 0, IsSpace(bytes, len), len == 2});
}

const FontGlyph* FontCacheGlyphCode(Font* f, uint32_t codePoint) {
    // East Asian characters from U+1100 on are taken as full-width when no face has them.
    return CachedGlyph(f, codePoint, true,
                       CharRef{nullptr, 0, codePoint, codePoint == 0x20 || codePoint == 0x3000, codePoint >= 0x1100});
}

const uint8_t* FontCacheBody(const Font* f, const FontGlyph* g) {
    return f->cells + CellBytes(f) * static_cast<size_t>(g - f->glyphs);
}

const uint8_t* FontCacheEdge(const Font* f, const FontGlyph* g) {
    return FontCacheBody(f, g) + static_cast<size_t>(f->cellWidth) * f->cellHeight;
}
