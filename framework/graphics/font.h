// The font table and each font's glyph cache, shared by the text calls
// (text.cpp), the glyph cache (font_cache.cpp) and the tests.
#pragma once

#include <cstdint>

#include "framework/backend/font/font_backend.h"

enum {
    FONT_MAX = 40,                 // fonts the game can create at once
    FONT_SLOT_DEFAULT = FONT_MAX,  // the default font of DrawTextAt and DrawTextFmt
    FONT_SLOT_CONSOLE,             // the screen console's font
    FONT_RECORDS,
    FONT_KIND_BIT = 1 << 29,
    FONT_CHECK_LIMIT = 2048,
    FONT_FACE_BYTES = 256,
    FONT_MAX_SIZE = 256,           // larger sizes are clamped: a cell must stay a sane size
    FONT_MAX_EDGE = 16,
    FONT_CACHE_BYTES = 327680,     // glyph cells per font: this over the cell width squared
    FONT_CACHE_MIN_CELLS = 20,
    FONT_CACHE_MAX_CELLS = 2024,
    FONT_TYPE_EDGE = 1,
    FONT_TYPE_ANTIALIAS = 2,
};

// One cached character. Its body and (for edged fonts) edge masks are boxes of
// width × height in the cell, with the top-left at (pen x + offX, row y + offY).
struct FontGlyph {
    uint32_t code;        // single byte, or lead byte × 256 + trail byte; a code point in UTF-8 text
    uint16_t width, height;
    int16_t offX, offY;
    int16_t advance;
    uint8_t drawn;        // 0: only advances (spaces, characters no face has)
};

struct Font {
    int used;
    int check;
    char face[FONT_FACE_BYTES];
    int size, thickness, type, charSet, edgeSize, italic;
    FontBackendFace* backend;
    FontBackendMetrics metrics;
    int cellWidth, cellHeight, cellCount;
    int cellsUsed;
    uint8_t* cells;        // cellCount cells: body mask, then edge mask when edged
    FontGlyph* glyphs;     // cellCount entries, parallel to the cells
    uint16_t* lookup;      // 65536 codes: 0 = not cached, else glyph index + 1
    int cacheUtf8;         // 1 while the cache holds code points (UTF-8 text), 0 byte codes
};

// Settings of a font, after normalisation (for tests and diagnostics).
struct FontInfo {
    int size, thickness, type, charSet, edgeSize, italic;
    int cellWidth, cellHeight, cellCount, cachedGlyphs;
    int height, ascent;
    const char* filePath;
};

// Font table (text.cpp).
Font* FontFromHandle(int handle);       // null when the handle is not a live font
int FontGetInfo(int handle, FontInfo* out);   // 0, or −1 for an invalid handle
int FontDefaultHandleInfo(FontInfo* out);     // the default font, created if needed
int FontTableCount(void);                     // live fonts, the default and console fonts included

// Glyph cache (font_cache.cpp).
int FontCacheCreate(Font* f);           // 0, or −1 when out of memory
void FontCacheDestroy(Font* f);
// The cached glyph for one character, rendering it on first use: of one or
// two bytes in the font's character set, or of a code point (UTF-8 text).
// A cache that held the other kind is emptied first.
const FontGlyph* FontCacheGlyph(Font* f, const unsigned char* bytes, int len);
const FontGlyph* FontCacheGlyphCode(Font* f, uint32_t codePoint);
const uint8_t* FontCacheBody(const Font* f, const FontGlyph* g);
const uint8_t* FontCacheEdge(const Font* f, const FontGlyph* g);
int FontIsLeadByte(const Font* f, unsigned char c);
