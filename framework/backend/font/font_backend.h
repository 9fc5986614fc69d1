// Outline fonts for the text module: finds a face for a (Shift-JIS) face name
// through fontconfig and its substitution table, and renders one character as
// a coverage mask with FreeType. Called only by framework/graphics/ text code.
#pragma once

#include <cstdint>

struct FontBackendFace;   // one sized face, with a fallback face (the default gothic) for missing glyphs

struct FontBackendMetrics {
    int height;        // ascent + descent, pixels
    int ascent;        // pixels from the top of the cell row to the baseline
    int maxAdvance;    // widest advance, pixels
    int boxWidth;      // width and height of the face's glyph bounding box
    int boxHeight;     //   (emboldening and slant included)
};

struct FontBackendGlyph {
    const uint8_t* coverage;   // 0..255, valid until the next render call
    int width, height, pitch;
    int left;                  // from the pen to the box's left column
    int top;                   // from the baseline up to the box's top row
    int advance;               // pixels
};

// Character sets of CreateFontToHandle: 0 default, 1 Shift-JIS, 2 Korean.
enum { FONT_CHARSET_DEFAULT = 0, FONT_CHARSET_SHIFTJIS = 1, FONT_CHARSET_KOREAN = 2 };

// Opens a face at `size` pixels. `faceName` is Shift-JIS; empty or null means
// the fixed-pitch gothic "ＭＳ ゴシック". `weight` is 100..1000 (0 = regular).
// The Windows faces of the substitution table get their stand-ins; any other
// installed family is used as it is, even without Japanese; a face that does
// not exist is substituted silently. Null only when no usable font is
// installed at all.
FontBackendFace* FontBackendOpen(const char* faceName, int size, int weight, int italic, int charSet,
                                 FontBackendMetrics* metrics);
// Opens the first face of a font file (TrueType, OpenType, Type 1, ...) the
// same way; null when the file cannot be read as a font.
FontBackendFace* FontBackendOpenFile(const char* path, int size, int weight, int italic, int charSet,
                                     FontBackendMetrics* metrics);
void FontBackendClose(FontBackendFace* face);

// Renders the character made of `bytes` (one byte, or a lead byte and its
// trail byte) as 1-bit (coverage 0 or 255) or as 17 grey levels. Returns 0
// when no face has the character; `out` is then untouched.
int FontBackendRender(FontBackendFace* face, const unsigned char* bytes, int len, int antialiased,
                      FontBackendGlyph* out);
// The same for a Unicode code point (UTF-8 text).
int FontBackendRenderCodePoint(FontBackendFace* face, uint32_t codePoint, int antialiased, FontBackendGlyph* out);

// The font file the face was found in (for diagnostics and tests).
const char* FontBackendFilePath(const FontBackendFace* face);
// Extra weight applied by emboldening, in 1/64 pixel (0 when the face is used as is).
int FontBackendEmbolden(const FontBackendFace* face);

// Frees FreeType, the converters and fontconfig's cache of matches.
void FontBackendShutdown(void);
