// Faces through fontconfig, glyphs through FreeType, Shift-JIS through iconv.
// The game names Windows faces; a substitution table maps them to installed
// Japanese faces of a similar look. Any other name of an installed family is
// used as it is, and a face that cannot be found falls back to an installed
// face with Japanese coverage without a word. Characters a face lacks
// (Japanese in a Latin face) are drawn from the default gothic.
#include "framework/backend/font/font_backend.h"

#include <cstdio>
#include <cstring>
#include <iconv.h>
#include <vector>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

namespace {

enum { PATH_BYTES = 1024, NAME_BYTES = 256, RESOLVED_CACHE = 16 };

// Windows faces the game (and the framework's defaults) name, and what stands
// in for each. `family` is asked of fontconfig first; `weight` is the face's
// own weight, so a synthetic bold makes up the difference; `heaviest` picks
// the heaviest installed Japanese face instead of a family.
struct Substitute {
    const char* windowsName;   // Shift-JIS, as the game passes it
    const char* family;        // UTF-8 fontconfig family
    int weight;                // OpenType weight the Windows face has
    int heaviest;
};

const Substitute SUBSTITUTES[] = {
    {"HGPｺﾞｼｯｸE", "IPAPGothic", 800, 0},          // bold proportional gothic
    {"HGSｺﾞｼｯｸE", "IPAPGothic", 800, 0},
    {"HGｺﾞｼｯｸE", "IPAGothic", 800, 0},
    {"HGP創英角ﾎﾟｯﾌﾟ体", "IPAPGothic", 900, 1},    // the heaviest face there is
    {"HG創英角ﾎﾟｯﾌﾟ体", "IPAGothic", 900, 1},
    {"ＭＳ ゴシック", "IPAGothic", 400, 0},           // fixed-pitch gothic, the default
    {"ＭＳ Ｐゴシック", "IPAPGothic", 400, 0},
    {"ＭＳ 明朝", "IPAMincho", 400, 0},
    {"ＭＳ Ｐ明朝", "IPAPMincho", 400, 0},
};
const char* const DEFAULT_FACE = "ＭＳ ゴシック";

struct Resolved {
    char key[NAME_BYTES];
    char path[PATH_BYTES];
    int index;
    int faceWeight;     // OpenType weight of the face found
    int nominalWeight;  // what the Windows face weighs (0: take the caller's)
};

// fontconfig's weight for a file opened directly (no match made for it).
enum { FILE_FACE_WEIGHT = 400 };

struct Backend {
    FT_Library library;
    int fontconfigReady;
    iconv_t toUnicode[3];   // per character set: bytes to UTF-32LE
    iconv_t nameToUtf8;
    Resolved resolved[RESOLVED_CACHE];
    int resolvedCount;
};

Backend g_backend = {nullptr, 0, {(iconv_t)-1, (iconv_t)-1, (iconv_t)-1}, (iconv_t)-1, {}, 0};

} // namespace

struct FontBackendFace {
    FT_Face primary;
    FT_Face fallback;          // the default gothic, for characters the primary lacks
    FT_Pos embolden;           // 26.6 pixels added to the strokes' width
    int charSet;
    int size;
    char path[PATH_BYTES];
    std::vector<uint8_t> scratch;
};

namespace {

bool StartLibrary() {
    if (!g_backend.library && FT_Init_FreeType(&g_backend.library) != 0) {
        g_backend.library = nullptr;
        return false;
    }
    if (!g_backend.fontconfigReady) g_backend.fontconfigReady = FcInit() ? 1 : 0;
    return g_backend.fontconfigReady != 0;
}

iconv_t Converter(int charSet) {
    int i = (charSet == FONT_CHARSET_KOREAN) ? 2 : 1;
    if (g_backend.toUnicode[i] == (iconv_t)-1)
        g_backend.toUnicode[i] = iconv_open("UTF-32LE", i == 2 ? "CP949" : "CP932");
    return g_backend.toUnicode[i];
}

// One character's bytes to a code point; 0 when the bytes name no character.
uint32_t ToCodePoint(int charSet, const unsigned char* bytes, int len) {
    if (len == 1 && bytes[0] < 0x80) return bytes[0];
    iconv_t cd = Converter(charSet);
    if (cd == (iconv_t)-1) return 0;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in[2] = {static_cast<char>(bytes[0]), static_cast<char>(len > 1 ? bytes[1] : 0)};
    unsigned char out[8] = {};
    char* ip = in;
    char* op = reinterpret_cast<char*>(out);
    size_t il = len, ol = sizeof out;
    if (iconv(cd, &ip, &il, &op, &ol) == (size_t)-1 || il != 0 || ol != sizeof out - 4) return 0;
    return out[0] | out[1] << 8 | out[2] << 16 | static_cast<uint32_t>(out[3]) << 24;
}

void NameToUtf8(const char* sjis, char* out, size_t size) {
    out[0] = 0;
    if (g_backend.nameToUtf8 == (iconv_t)-1) g_backend.nameToUtf8 = iconv_open("UTF-8", "CP932");
    if (g_backend.nameToUtf8 == (iconv_t)-1) return;
    iconv(g_backend.nameToUtf8, nullptr, nullptr, nullptr, nullptr);
    char* ip = const_cast<char*>(sjis);
    size_t il = std::strlen(sjis), ol = size - 1;
    char* op = out;
    if (iconv(g_backend.nameToUtf8, &ip, &il, &op, &ol) == (size_t)-1) op = out;   // unconvertible: no name
    *op = 0;
}

bool HasJapanese(FcPattern* font) {
    FcCharSet* cs = nullptr;
    if (FcPatternGetCharSet(font, FC_CHARSET, 0, &cs) != FcResultMatch) return false;
    return FcCharSetHasChar(cs, 0x3042) && FcCharSetHasChar(cs, 0x6F22) && FcCharSetHasChar(cs, 0x30A2);
}

int FaceWeight(FcPattern* font) {
    int w = FC_WEIGHT_REGULAR;
    FcPatternGetInteger(font, FC_WEIGHT, 0, &w);
    return FcWeightToOpenType(w);
}

bool TakeFont(FcPattern* font, Resolved* r) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) return false;
    snprintf(r->path, sizeof r->path, "%s", reinterpret_cast<const char*>(file));
    r->index = 0;
    FcPatternGetInteger(font, FC_INDEX, 0, &r->index);
    r->faceWeight = FaceWeight(font);
    return true;
}

bool HasFamily(FcPattern* font, const char* familyUtf8);

// fontconfig's best match for a family, kept only when it covers Japanese;
// *isFamily tells whether the match is that family itself.
bool MatchFamily(const char* familyUtf8, int weight, Resolved* r, bool* isFamily = nullptr) {
    FcPattern* p = FcPatternCreate();
    if (!p) return false;
    if (familyUtf8 && familyUtf8[0]) FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(familyUtf8));
    FcPatternAddString(p, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcPatternAddInteger(p, FC_WEIGHT, FcWeightFromOpenType(weight > 0 ? weight : 400));
    FcConfigSubstitute(nullptr, p, FcMatchPattern);
    FcDefaultSubstitute(p);
    FcResult result;
    FcPattern* font = FcFontMatch(nullptr, p, &result);
    bool ok = font && HasJapanese(font) && TakeFont(font, r);
    if (font) FcPatternDestroy(font);
    FcPatternDestroy(p);
    return ok;
}

// True when one of the font's family names is `familyUtf8`, ignoring case:
// fontconfig answers every query with some font, so its answer is the family
// asked for only when it says so.
bool HasFamily(FcPattern* font, const char* familyUtf8) {
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &family) == FcResultMatch; i++)
        if (FcStrCmpIgnoreCase(family, reinterpret_cast<const FcChar8*>(familyUtf8)) == 0) return true;
    return false;
}

// The installed family of that name as it is, whatever it covers: a Latin face
// asked for by name is used, its missing characters coming from the fallback.
// Weights below regular ask for the regular face, so that the look does not
// hang on whether light faces of the family happen to be installed (a
// thickness of 2 would take DejaVu Sans ExtraLight where fonts-dejavu-extra
// is); heavier weights still choose the bold face, and emboldening makes up
// the rest.
bool MatchInstalledFamily(const char* familyUtf8, int weight, Resolved* r) {
    FcPattern* p = FcPatternCreate();
    if (!p) return false;
    FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(familyUtf8));
    FcPatternAddInteger(p, FC_WEIGHT, FcWeightFromOpenType(weight > 400 ? weight : 400));
    FcConfigSubstitute(nullptr, p, FcMatchPattern);
    FcDefaultSubstitute(p);
    FcResult result;
    FcPattern* font = FcFontMatch(nullptr, p, &result);
    bool ok = font && HasFamily(font, familyUtf8) && TakeFont(font, r);
    if (font) FcPatternDestroy(font);
    FcPatternDestroy(p);
    return ok;
}

// Any installed face with Japanese coverage: the heaviest when asked, else the
// first; gothic (sans) faces win ties over mincho ones.
bool PickInstalled(bool heaviest, Resolved* r) {
    FcPattern* p = FcPatternCreate();
    FcObjectSet* os = FcObjectSetBuild(FC_FILE, FC_INDEX, FC_WEIGHT, FC_FAMILY, FC_CHARSET, FC_SPACING, nullptr);
    if (!p || !os) {
        if (p) FcPatternDestroy(p);
        if (os) FcObjectSetDestroy(os);
        return false;
    }
    FcPatternAddString(p, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcFontSet* set = FcFontList(nullptr, p, os);
    int best = -1, bestScore = -1;
    char bestPath[PATH_BYTES] = "";
    for (int i = 0; set && i < set->nfont; i++) {
        FcPattern* f = set->fonts[i];
        if (!HasJapanese(f)) continue;
        FcChar8* family = nullptr;
        FcPatternGetString(f, FC_FAMILY, 0, &family);
        const char* fam = family ? reinterpret_cast<const char*>(family) : "";
        int spacing = FC_PROPORTIONAL;
        FcPatternGetInteger(f, FC_SPACING, 0, &spacing);
        bool gothic = std::strstr(fam, "Gothic") || std::strstr(fam, "Sans");
        int score = (heaviest ? FaceWeight(f) * 4 : 0) + (gothic ? 2 : 0) + (spacing == FC_PROPORTIONAL ? 1 : 0);
        FcChar8* file = nullptr;
        FcPatternGetString(f, FC_FILE, 0, &file);
        const char* path = file ? reinterpret_cast<const char*>(file) : "";
        // Equal scores go to the smaller path so that the choice never depends on listing order.
        if (score > bestScore || (score == bestScore && std::strcmp(path, bestPath) < 0)) {
            best = i;
            bestScore = score;
            snprintf(bestPath, sizeof bestPath, "%s", path);
        }
    }
    bool ok = best >= 0 && TakeFont(set->fonts[best], r);
    if (set) FcFontSetDestroy(set);
    FcObjectSetDestroy(os);
    FcPatternDestroy(p);
    return ok;
}

const Substitute* FindSubstitute(const char* name) {
    for (const Substitute& s : SUBSTITUTES)
        if (std::strcmp(s.windowsName, name) == 0) return &s;
    return nullptr;
}

bool ResolveUncached(const char* name, int weight, Resolved* r) {
    r->nominalWeight = 0;
    if (const Substitute* s = FindSubstitute(name)) {
        r->nominalWeight = s->weight;
        if (s->heaviest) {
            if (PickInstalled(true, r)) return true;
        } else if (MatchFamily(s->family, s->weight, r)) {
            return true;
        }
        return MatchFamily(nullptr, s->weight, r) || PickInstalled(false, r);
    }
    char utf8[NAME_BYTES * 2];
    NameToUtf8(name, utf8, sizeof utf8);
    if (utf8[0]) {
        // The family itself when it covers Japanese; else, when it is installed,
        // the family as it is; else fontconfig's Japanese stand-in for the name.
        Resolved japanese = *r;
        bool japaneseIsFamily = false;
        const bool haveJapanese = MatchFamily(utf8, weight, &japanese, &japaneseIsFamily);
        if (haveJapanese && japaneseIsFamily) { *r = japanese; return true; }
        if (MatchInstalledFamily(utf8, weight, r)) return true;
        if (haveJapanese) { *r = japanese; return true; }
    }
    // Unknown face: the default gothic, then anything Japanese.
    return ResolveUncached(DEFAULT_FACE, weight, r);
}

// Finds the file for a face name; matches are kept, as the game asks for the
// same few faces again and again.
const Resolved* Resolve(const char* name, int weight) {
    char key[NAME_BYTES];
    snprintf(key, sizeof key, "%d|%s", weight, name);
    for (int i = 0; i < g_backend.resolvedCount; i++)
        if (std::strcmp(g_backend.resolved[i].key, key) == 0) return &g_backend.resolved[i];
    static Resolved fresh;
    fresh = Resolved{};
    if (!ResolveUncached(name, weight, &fresh)) return nullptr;
    snprintf(fresh.key, sizeof fresh.key, "%s", key);
    if (g_backend.resolvedCount < RESOLVED_CACHE) {
        g_backend.resolved[g_backend.resolvedCount] = fresh;
        return &g_backend.resolved[g_backend.resolvedCount++];
    }
    return &fresh;
}

FT_Face OpenSized(const Resolved* r, int size, int italic) {
    FT_Face f = nullptr;
    if (FT_New_Face(g_backend.library, r->path, r->index, &f) != 0) return nullptr;
    if (FT_Set_Pixel_Sizes(f, 0, static_cast<FT_UInt>(size)) != 0) {
        FT_Done_Face(f);
        return nullptr;
    }
    if (italic) {
        FT_Matrix shear = {0x10000, 0x3800, 0, 0x10000};   // about 12 degrees, like a synthetic italic
        FT_Set_Transform(f, &shear, nullptr);
    }
    return f;
}

int Ceil26(FT_Pos v) { return static_cast<int>((v + 63) >> 6); }

} // namespace

namespace {

bool CoversJapanese(FT_Face f) {
    return FT_Get_Char_Index(f, 0x3042) && FT_Get_Char_Index(f, 0x6F22) && FT_Get_Char_Index(f, 0x30A2);
}

// The glyph bounding box of a sized face, in whole pixels.
void FaceBox(FT_Face f, int extra, int italic, int* width, int* height) {
    const FT_Size_Metrics& m = f->size->metrics;
    const FT_BBox& b = f->bbox;
    int bw = Ceil26(FT_MulFix(b.xMax - b.xMin, m.x_scale)) + extra + 2;
    int bh = Ceil26(FT_MulFix(b.yMax - b.yMin, m.y_scale)) + extra + 2;
    if (italic) bw += bh / 4;
    *width = bw;
    *height = bh;
}

// Opens the face found, its fallback for missing characters, and measures it.
FontBackendFace* OpenResolved(Resolved primary, int size, int weight, int italic, int charSet,
                              FontBackendMetrics* metrics) {
    FontBackendFace* face = new (std::nothrow) FontBackendFace();
    if (!face) return nullptr;
    face->charSet = charSet;
    face->size = size;
    face->primary = OpenSized(&primary, size, italic);
    if (!face->primary) {
        delete face;
        return nullptr;
    }
    snprintf(face->path, sizeof face->path, "%s", primary.path);
    const Resolved* d = Resolve(DEFAULT_FACE, 400);
    if (d && (std::strcmp(d->path, primary.path) != 0 || d->index != primary.index))
        face->fallback = OpenSized(d, size, italic);

    // A synthetic bold makes up what the face lacks of the weight asked for (or of
    // the Windows face it stands in for): em/24 per 300 of weight, as a bold of a
    // regular face usually is.
    int want = weight > primary.nominalWeight ? weight : primary.nominalWeight;
    // The weight the file itself declares: fontconfig reports the weight asked
    // for on a match that it would embolden itself.
    int own = primary.faceWeight;
    if (const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face->primary, FT_SFNT_OS2)))
        if (os2->usWeightClass >= 100 && os2->usWeightClass <= 1000) own = os2->usWeightClass;
    int lack = want - own;
    face->embolden = lack >= 150 ? static_cast<FT_Pos>(size) * 64 * lack / (300 * 24) : 0;

    const FT_Size_Metrics& m = face->primary->size->metrics;
    int extra = Ceil26(face->embolden);
    // The face's design ascent and descent scaled without the hinter's rounding
    // of each, so that a 16-pixel font is 16 pixels high, as the platform's are.
    const FT_Face pf = face->primary;
    const long em = pf->units_per_EM > 0 ? pf->units_per_EM : 1000;
    metrics->ascent = static_cast<int>((pf->ascender * size * 2 + em) / (2 * em));
    metrics->height = static_cast<int>(((pf->ascender - pf->descender) * size * 2 + em) / (2 * em));
    metrics->maxAdvance = Ceil26(m.max_advance) + extra;
    FaceBox(face->primary, extra, italic, &metrics->boxWidth, &metrics->boxHeight);
    // A face without Japanese draws those characters from the fallback: its
    // cells must hold the fallback's glyphs too.
    if (face->fallback && !CoversJapanese(face->primary)) {
        int fw = 0, fh = 0;
        FaceBox(face->fallback, extra, italic, &fw, &fh);
        if (fw > metrics->boxWidth) metrics->boxWidth = fw;
        if (fh > metrics->boxHeight) metrics->boxHeight = fh;
        const int fallbackAdvance = Ceil26(face->fallback->size->metrics.max_advance) + extra;
        if (fallbackAdvance > metrics->maxAdvance) metrics->maxAdvance = fallbackAdvance;
    }
    return face;
}

} // namespace

FontBackendFace* FontBackendOpen(const char* faceName, int size, int weight, int italic, int charSet,
                                 FontBackendMetrics* metrics) {
    if (!StartLibrary()) return nullptr;
    const char* name = (faceName && faceName[0]) ? faceName : DEFAULT_FACE;
    const Resolved* r = Resolve(name, weight);
    if (!r) return nullptr;
    return OpenResolved(*r, size, weight, italic, charSet, metrics);
}

FontBackendFace* FontBackendOpenFile(const char* path, int size, int weight, int italic, int charSet,
                                     FontBackendMetrics* metrics) {
    if (!path || !path[0] || !StartLibrary()) return nullptr;
    Resolved file = {};
    snprintf(file.path, sizeof file.path, "%s", path);
    file.index = 0;
    file.faceWeight = FILE_FACE_WEIGHT;
    file.nominalWeight = 0;
    return OpenResolved(file, size, weight, italic, charSet, metrics);
}

void FontBackendClose(FontBackendFace* face) {
    if (!face) return;
    if (face->primary) FT_Done_Face(face->primary);
    if (face->fallback) FT_Done_Face(face->fallback);
    delete face;
}

int FontBackendRender(FontBackendFace* face, const unsigned char* bytes, int len, int antialiased,
                      FontBackendGlyph* out) {
    if (!face || len < 1 || len > 2) return 0;
    return FontBackendRenderCodePoint(face, ToCodePoint(face->charSet, bytes, len), antialiased, out);
}

int FontBackendRenderCodePoint(FontBackendFace* face, uint32_t cp, int antialiased, FontBackendGlyph* out) {
    if (!face || cp == 0) return 0;
    FT_Face f = face->primary;
    FT_UInt gi = FT_Get_Char_Index(f, cp);
    if (gi == 0 && face->fallback) {
        f = face->fallback;
        gi = FT_Get_Char_Index(f, cp);
    }
    if (gi == 0) return 0;

    FT_Int32 flags = FT_LOAD_NO_BITMAP | (antialiased ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO);
    if (FT_Load_Glyph(f, gi, flags) != 0) return 0;
    FT_GlyphSlot slot = f->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return 0;
    FT_Pos advance = slot->advance.x;
    if (face->embolden) {
        // Mostly sideways, as a heavier weight of a gothic grows its strokes.
        FT_Outline_EmboldenXY(&slot->outline, face->embolden, face->embolden / 2);
        advance += face->embolden;
    }
    if (FT_Render_Glyph(slot, antialiased ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) return 0;

    const FT_Bitmap& bm = slot->bitmap;
    int w = static_cast<int>(bm.width), h = static_cast<int>(bm.rows);
    size_t need = static_cast<size_t>(w) * h;
    if (face->scratch.size() < need) face->scratch.resize(need);
    uint8_t* dst = face->scratch.data();
    for (int y = 0; y < h; y++) {
        const unsigned char* row = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
        uint8_t* d = dst + static_cast<size_t>(y) * w;
        if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
            for (int x = 0; x < w; x++) d[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
        } else {
            // 17 grey levels, as the platform's grey glyph bitmaps have.
            for (int x = 0; x < w; x++) d[x] = static_cast<uint8_t>(((row[x] * 16 + 127) / 255) * 255 / 16);
        }
    }
    out->coverage = dst;
    out->width = w;
    out->height = h;
    out->pitch = w;
    out->left = slot->bitmap_left;
    out->top = slot->bitmap_top;
    out->advance = static_cast<int>((advance + 32) >> 6);
    return 1;
}

const char* FontBackendFilePath(const FontBackendFace* face) { return face ? face->path : ""; }
int FontBackendEmbolden(const FontBackendFace* face) { return face ? static_cast<int>(face->embolden) : 0; }

void FontBackendShutdown(void) {
    if (g_backend.library) FT_Done_FreeType(g_backend.library);
    g_backend.library = nullptr;
    for (iconv_t& cd : g_backend.toUnicode) {
        if (cd != (iconv_t)-1) iconv_close(cd);
        cd = (iconv_t)-1;
    }
    if (g_backend.nameToUtf8 != (iconv_t)-1) iconv_close(g_backend.nameToUtf8);
    g_backend.nameToUtf8 = (iconv_t)-1;
    g_backend.resolvedCount = 0;
    // Every pattern and font set made here is already destroyed, so fontconfig
    // can let go of its configuration too (a later FcInit loads it again).
    if (g_backend.fontconfigReady) FcFini();
    g_backend.fontconfigReady = 0;
}
