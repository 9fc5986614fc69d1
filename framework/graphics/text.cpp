// Font handles and the text calls: CreateFontToHandle with its normalisation,
// DeleteFontHandle, the string draws and TextWidthFontFmt, the default font,
// and the console font that framework/core/console.cpp measures and draws with.
// Text is split into characters by the program's encoding (core/text_encoding):
// Shift-JIS by the font's lead bytes, or UTF-8; the addition CreateFontFromFile
// is here too.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "framework/core/api_lock.h"
#include "framework/core/log.h"
#include "framework/core/services.h"
#include "framework/backend/font/charset.h"
#include "framework/core/state.h"
#include "framework/core/text_encoding.h"
#include "framework/framework.h"
#include "framework/graphics/draw_internal.h"
#include "framework/graphics/font.h"
#include "framework/graphics/text_internal.h"

namespace {

enum { FORMAT_BYTES = 1024, CONSOLE_SIZE = 16, CONSOLE_THICKNESS = 4 };

const char* const BAD_HANDLE_LINE = "フォントハンドル値が異常です\n";

struct FontTable {
    Font fonts[FONT_RECORDS];
    int checkCounter;
};

FontTable g_text;

struct Rgb {
    int r, g, b;
};

// A 5-6-5 colour value to 8 bits per channel, the top bits repeated below.
Rgb Expand(int color) {
    int r = (color >> 11) & 31, g = (color >> 5) & 63, b = color & 31;
    return Rgb{r << 3 | r >> 2, g << 2 | g >> 4, b << 3 | b >> 2};
}

int HandleOf(int slot) { return FONT_KIND_BIT + g_text.fonts[slot].check * 65536 + slot; }

void CloseFont(Font* f) {
    FontCacheDestroy(f);
    FontBackendClose(f->backend);
    *f = Font{};
}

// Makes the platform font and its glyph cache in a free record; 0 or −1.
// `face` is a Shift-JIS face name, or a file's path when `fromFile` is set.
int OpenFont(Font* f, const char* face, int size, int thickness, int type, int charSet, int edgeSize, int italic,
             int fromFile = 0) {
    *f = Font{};
    snprintf(f->face, sizeof f->face, "%s", face ? face : "");
    f->size = size;
    f->thickness = thickness;
    f->type = type;
    f->charSet = charSet;
    f->edgeSize = edgeSize;
    f->italic = italic;
    if (fromFile) {
        f->backend = FontBackendOpenFile(face, size, thickness * 100, italic, charSet, &f->metrics);
    } else {
        // As the platform does: the font's own character set, then the default one, then Shift-JIS.
        const int tries[3] = {charSet, FONT_CHARSET_DEFAULT, FONT_CHARSET_SHIFTJIS};
        for (int i = 0; i < 3 && !f->backend; i++)
            f->backend = FontBackendOpen(f->face, size, thickness * 100, italic, tries[i], &f->metrics);
    }
    if (!f->backend) {
        WriteLogLine("フォントの作成に失敗しました\n");
        *f = Font{};
        return -1;
    }
    if (FontCacheCreate(f) != 0) {
        WriteLogLine("テキストキャッシュの作成に失敗しました\n");
        CloseFont(f);
        return -1;
    }
    f->used = 1;
    return 0;
}

// The default font: face empty, size 16, thickness 6, type 0, Shift-JIS, edge 1.
// Nothing can change these settings, so it is made once, on first use.
Font* DefaultFont() {
    Font* f = &g_text.fonts[FONT_SLOT_DEFAULT];
    if (!f->used && OpenFont(f, "", 16, 6, 0, FONT_CHARSET_SHIFTJIS, 1, 0) != 0) return nullptr;
    return f;
}

// The console's font: default face, size 16, thickness 4, edged with 1 pixel.
Font* ConsoleFont() {
    Font* f = &g_text.fonts[FONT_SLOT_CONSOLE];
    if (!f->used &&
        OpenFont(f, "", CONSOLE_SIZE, CONSOLE_THICKNESS, FONT_TYPE_EDGE, FONT_CHARSET_SHIFTJIS, 1, 0) != 0)
        return nullptr;
    return f;
}

// The glyph of the character at p and its length in bytes: in Shift-JIS text
// a lead byte of the font's character set takes the byte after it along
// (never the terminating zero); UTF-8 text is read a whole character at a time.
const FontGlyph* GlyphAt(Font* f, const unsigned char* p, int* len) {
    if (TextIsUtf8()) return FontCacheGlyphCode(f, CharsetUtf8Next(p, len));
    *len = (FontIsLeadByte(f, p[0]) && p[1]) ? 2 : 1;
    return FontCacheGlyph(f, p, *len);
}

// Draws each character's edge and then its body, pen moving by the advances.
int DrawString(Font* f, int x, int y, const char* text, Rgb color, Rgb edge) {
    if (!text) return 0;
    const bool edged = (f->type & FONT_TYPE_EDGE) != 0;
    int pen = x;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        int len = 1;
        const FontGlyph* g = GlyphAt(f, p, &len);
        if (g->drawn) {
            if (edged)
                GraphicsDrawCoverage(pen + g->offX, y + g->offY, FontCacheEdge(f, g), g->width, g->height,
                                     f->cellWidth, edge.r, edge.g, edge.b);
            GraphicsDrawCoverage(pen + g->offX, y + g->offY, FontCacheBody(f, g), g->width, g->height, f->cellWidth,
                                 color.r, color.g, color.b);
        }
        pen += g->advance;
        p += len;
    }
    return 0;
}

int StringWidth(Font* f, const char* text) {
    int width = 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        int len = 1;
        width += GlyphAt(f, p, &len)->advance;
        p += len;
    }
    return width;
}

// printf into the 1024-byte buffer; output that did not fit is cut there, and a
// character left incomplete by the cut (a lead byte without its trail byte)
// is dropped.
void Format(char (&out)[FORMAT_BYTES], const char* format, va_list ap) {
    out[0] = 0;
    if (!format) return;
    int n = vsnprintf(out, sizeof out, format, ap);
    if (n < static_cast<int>(sizeof out)) return;
    TextDropCutCharacter(out);
}

// CreateFontToHandle's normalisation of the arguments that every font has:
// type −1 → 0, an edge size above 1 sets the edge bit, edge −1 → 1, size
// −1 → 16, thickness −1 → 6; each then kept within what a cell can hold.
void NormaliseFontArgs(int* size, int* thickness, int* type, int* edgeSize, int* italic) {
    if (*type < 0) *type = 0;
    *type &= FONT_TYPE_EDGE | FONT_TYPE_ANTIALIAS;
    if (*edgeSize > 1) *type |= FONT_TYPE_EDGE;
    if (*edgeSize < 0) *edgeSize = 1;
    if (*edgeSize > FONT_MAX_EDGE) *edgeSize = FONT_MAX_EDGE;
    if (*size <= 0) *size = 16;
    if (*size > FONT_MAX_SIZE) *size = FONT_MAX_SIZE;
    if (*thickness == -1) *thickness = 6;
    if (*thickness < 0) *thickness = 0;
    if (*thickness > 10) *thickness = 10;
    if (g_core.screenBits == 8) *type &= ~FONT_TYPE_ANTIALIAS;
    *italic = *italic ? 1 : 0;
}

// The lowest free slot, or −1 with the limit's log line.
int LowestFreeSlot() {
    for (int i = 0; i < FONT_MAX; i++)
        if (!g_text.fonts[i].used) return i;
    LogFmt("作成できるフォントハンドル数 %d の限界を超えました", static_cast<int>(FONT_MAX));
    return -1;
}

// The check counter's value; it advances, wrapping at 2048.
int NextCheck() {
    const int check = g_text.checkCounter;
    g_text.checkCounter = (g_text.checkCounter + 1) % FONT_CHECK_LIMIT;
    return check;
}

} // namespace

Font* FontFromHandle(int handle) {
    if (handle < 0 || ((handle >> 27) & 0xF) != 4 || (handle & 0x8000)) return nullptr;
    const int slot = handle & 0x7FFF;
    if (slot >= FONT_MAX) return nullptr;
    Font* f = &g_text.fonts[slot];
    if (!f->used || f->check != ((handle >> 16) & 0x7FF)) return nullptr;
    return f;
}

static void FillInfo(const Font* f, FontInfo* out) {
    *out = FontInfo{f->size, f->thickness, f->type, f->charSet, f->edgeSize, f->italic,
                    f->cellWidth, f->cellHeight, f->cellCount, f->cellsUsed,
                    f->metrics.height, f->metrics.ascent, FontBackendFilePath(f->backend)};
}

int FontGetInfo(int handle, FontInfo* out) {
    ApiGuard guard;
    const Font* f = FontFromHandle(handle);
    if (!f || !out) return -1;
    FillInfo(f, out);
    return 0;
}

int FontDefaultHandleInfo(FontInfo* out) {
    ApiGuard guard;
    const Font* f = DefaultFont();
    if (!f || !out) return -1;
    FillInfo(f, out);
    return 0;
}

int CreateFontToHandle(const char* face, int size, int thickness, int type, int charSet, int edgeSize, int italic,
                       int slot, int check) {
    ApiGuard guard;
    NormaliseFontArgs(&size, &thickness, &type, &edgeSize, &italic);
    if (charSet == -1) charSet = FONT_CHARSET_SHIFTJIS;   // the OEM code page is never Korean (949) here
    if (charSet < 0 || charSet > FONT_CHARSET_KOREAN) charSet = FONT_CHARSET_DEFAULT;

    if (slot == -1) {
        if ((slot = LowestFreeSlot()) < 0) return -1;
    } else if (slot < 0 || slot >= FONT_MAX || g_text.fonts[slot].used) {
        return -1;
    }
    if (check == -1) check = NextCheck();
    check &= FONT_CHECK_LIMIT - 1;

    Font* f = &g_text.fonts[slot];
    const std::string name = TextToShiftJis(face);
    if (OpenFont(f, face ? name.c_str() : nullptr, size, thickness, type, charSet, edgeSize, italic) != 0) return -1;
    f->check = check;
    return HandleOf(slot);
}

int DeleteFontHandle(int font) {
    ApiGuard guard;
    Font* f = FontFromHandle(font);
    if (!f) return -1;
    CloseFont(f);
    return 0;
}

int DrawTextAt(int x, int y, const char* text, int color, int edgeColor) {
    ApiGuard guard;
    Font* f = DefaultFont();
    if (!f) return -1;
    return DrawString(f, x, y, text, Expand(color), Expand(edgeColor));
}

int DrawTextFmt(int x, int y, int color, const char* format, ...) {
    char text[FORMAT_BYTES];
    va_list ap;
    va_start(ap, format);
    Format(text, format, ap);
    va_end(ap);
    ApiGuard guard;
    Font* f = DefaultFont();
    if (!f) return -1;
    return DrawString(f, x, y, text, Expand(color), Expand(0));
}

int DrawTextFontFmt(int x, int y, int color, int font, const char* format, ...) {
    char text[FORMAT_BYTES];
    va_list ap;
    va_start(ap, format);
    Format(text, format, ap);
    va_end(ap);
    ApiGuard guard;
    Font* f = FontFromHandle(font);
    if (!f) {
        WriteLogLine(BAD_HANDLE_LINE);
        return -1;
    }
    return DrawString(f, x, y, text, Expand(color), Expand(0));
}

int TextWidthFontFmt(int font, const char* format, ...) {
    char text[FORMAT_BYTES];
    va_list ap;
    va_start(ap, format);
    Format(text, format, ap);
    va_end(ap);
    ApiGuard guard;
    Font* f = FontFromHandle(font);
    if (!f) return -1;
    return StringWidth(f, text);
}

int FontConsoleCharWidth(const char* ch, int len) {
    Font* f = ConsoleFont();
    if (!f || !ch || len < 1 || len > 4) return 0;
    unsigned char one[5] = {};
    std::memcpy(one, ch, static_cast<size_t>(len));
    int read = 1;
    return GlyphAt(f, one, &read)->advance;
}

void FontConsoleDrawLine(int x, int y, const char* text) {
    Font* f = ConsoleFont();
    if (!f) return;
    DrawStateSave saved;
    GraphicsSaveDrawState(&saved);
    GraphicsSetPlainDrawState();
    DrawString(f, x, y, text, Rgb{255, 255, 255}, Rgb{0, 0, 0});
    GraphicsRestoreDrawState(&saved);
}

// ---- Additions: a font from a file ----

int CreateFontFromFile(const char* path, int size, int thickness, int type, int edgeSize, int italic) {
    ApiGuard guard;
    if (!path || !path[0]) return -1;
    NormaliseFontArgs(&size, &thickness, &type, &edgeSize, &italic);
    const int slot = LowestFreeSlot();
    if (slot < 0) return -1;
    Font* f = &g_text.fonts[slot];
    if (OpenFont(f, path, size, thickness, type, FONT_CHARSET_SHIFTJIS, edgeSize, italic, 1) != 0) {
        LogFmt("フォントファイル %s を読めません", path);
        return -1;
    }
    f->check = NextCheck();
    return HandleOf(slot);
}

int FontTableCount(void) {
    int n = 0;
    for (const Font& f : g_text.fonts) n += f.used ? 1 : 0;
    return n;
}

void FontShutdown(void) {
    ApiGuard guard;
    for (Font& f : g_text.fonts)
        if (f.used) CloseFont(&f);
    FontBackendShutdown();
}
