// The English menu font measured as the game's text drawing measures it:
// DejaVu Sans Bold at 15 pixels through FreeType, a string being as wide as
// the sum of its characters' hinted advances, each rounded to whole pixels
// (no kerning). Used by the story checker for the English scripts' rows.
#pragma once

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

class MenuFontWidth {
public:
    enum { SIZE_PX = 15, FIRST = 0x20, LAST = 0x7E };

    MenuFontWidth() = default;
    MenuFontWidth(const MenuFontWidth&) = delete;
    MenuFontWidth& operator=(const MenuFontWidth&) = delete;

    // Finds the face through fontconfig and reads the advances of the
    // printable ASCII characters. False, with the reason, when it cannot.
    bool Open(std::string* why) {
        if (!FindFace(why)) return false;
        FT_Library library = nullptr;
        if (FT_Init_FreeType(&library) != 0) {
            *why = "FreeType cannot start";
            return false;
        }
        FT_Face face = nullptr;
        bool ok = FT_New_Face(library, path_.c_str(), index_, &face) == 0 &&
                  FT_Set_Pixel_Sizes(face, 0, SIZE_PX) == 0;
        // fontconfig may offer a regular face to be emboldened: only the bold file will do.
        if (ok && (!(face->style_flags & FT_STYLE_FLAG_BOLD) || (face->style_flags & FT_STYLE_FLAG_ITALIC))) {
            *why = path_ + ": not an upright bold face";
            FT_Done_Face(face);
            FT_Done_FreeType(library);
            return false;
        }
        for (int c = FIRST; ok && c <= LAST; c++) {
            const FT_UInt glyph = FT_Get_Char_Index(face, c);
            ok = glyph != 0 && FT_Load_Glyph(face, glyph, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_NORMAL) == 0;
            if (ok) advance_[c - FIRST] = static_cast<int>((face->glyph->advance.x + 32) >> 6);
        }
        if (!ok) *why = path_ + ": cannot be read, or lacks a printable ASCII character";
        if (face) FT_Done_Face(face);
        FT_Done_FreeType(library);
        return ok;
    }

    // Width in pixels of printable ASCII; any other byte counts as "W", the
    // widest letter, so a stray byte never makes a row look shorter.
    int operator()(const std::string& text) const {
        int width = 0;
        for (const char ch : text) {
            const int c = static_cast<unsigned char>(ch);
            width += advance_[(c >= FIRST && c <= LAST ? c : 'W') - FIRST];
        }
        return width;
    }

    const std::string& Path() const { return path_; }

private:
    // The DejaVu Sans family itself, asked for bold: fontconfig would hand out
    // another sans face when it is missing (Open then insists on the bold file).
    bool FindFace(std::string* why) {
        if (!FcInit()) {
            *why = "fontconfig cannot start";
            return false;
        }
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("DejaVu Sans"));
        FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_BOLD);
        FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
        FcPatternAddInteger(pattern, FC_WIDTH, FC_WIDTH_NORMAL);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result;
        FcPattern* font = FcFontMatch(nullptr, pattern, &result);
        FcPatternDestroy(pattern);
        FcChar8* family = nullptr;
        FcChar8* file = nullptr;
        int width = FC_WIDTH_NORMAL;
        if (font) FcPatternGetInteger(font, FC_WIDTH, 0, &width);
        const bool found = font && FcPatternGetString(font, FC_FAMILY, 0, &family) == FcResultMatch &&
                           FcPatternGetString(font, FC_FILE, 0, &file) == FcResultMatch &&
                           std::string(reinterpret_cast<const char*>(family)) == "DejaVu Sans" &&
                           width == FC_WIDTH_NORMAL;
        if (found) {
            path_ = reinterpret_cast<const char*>(file);
            index_ = 0;
            FcPatternGetInteger(font, FC_INDEX, 0, &index_);
        } else {
            *why = "DejaVu Sans Bold is not installed (Debian package fonts-dejavu-core)";
        }
        if (font) FcPatternDestroy(font);
        return found;
    }

    std::string path_;
    int index_ = 0;
    int advance_[LAST - FIRST + 1] = {};
};
