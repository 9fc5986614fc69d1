// The art builder: renders one SVG source from assets/art/ into one PNG of
// dat/img/ at the size the game's cuts require. Run by the dat_art target, one
// call per image; a broken source makes it exit non-zero naming the file.
#include <cairo.h>
#include <librsvg/rsvg.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "png_write.h"

namespace {

int Fail(const std::string& file, const std::string& why) {
    fprintf(stderr, "art_build: %s: %s\n", file.c_str(), why.c_str());
    return 1;
}

// Reads the SVG's own width and height in pixels; a source must declare the
// size it is drawn for, so a wrong cut is caught here and not in the game.
bool IntrinsicSize(RsvgHandle* svg, double& w, double& h) {
    gboolean has_w, has_h, has_box;
    RsvgLength lw, lh;
    RsvgRectangle box;
    rsvg_handle_get_intrinsic_dimensions(svg, &has_w, &lw, &has_h, &lh, &has_box, &box);
    if (!has_w || !has_h || lw.unit != RSVG_UNIT_PX || lh.unit != RSVG_UNIT_PX) return false;
    w = lw.length;
    h = lh.length;
    return true;
}

bool ReadText(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return true;
}

// Shared pieces (characters, enemy bodies) live in files under the art root
// that hold only <defs>. A source pulls them in with <?include common/x.svg?>,
// which is replaced by that file's <defs> block, so every reference in the
// result is local to one document.
bool ExpandIncludes(const std::string& root, std::string& text, std::vector<std::string>& included,
                    std::string& why) {
    static const std::regex include(R"re(<\?include\s+([^?\s]+)\s*\?>)re");
    std::string out;
    auto last = text.cbegin();
    for (auto it = std::sregex_iterator(text.begin(), text.end(), include); it != std::sregex_iterator();
         ++it) {
        const std::string file = (*it)[1];
        std::string shared;
        if (!ReadText(root + "/" + file, shared)) {
            why = "includes missing file " + file;
            return false;
        }
        const size_t open = shared.find("<defs>"), close = shared.rfind("</defs>");
        if (open == std::string::npos || close == std::string::npos || close < open) {
            why = "includes " + file + ", which has no <defs> block";
            return false;
        }
        included.push_back(root + "/" + file);
        out.append(last, (*it)[0].first);
        out += shared.substr(open, close + 7 - open);
        last = (*it)[0].second;
    }
    out.append(last, text.cend());
    text = out;
    return true;
}

// librsvg skips a reference it cannot resolve without a word, so every
// "#id" named by href or url() must be defined in the expanded document.
bool CheckReferences(const std::string& text, std::string& why) {
    static const std::regex ref(R"re((?:href="#|url\(#)([^")]+))re");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), ref); it != std::sregex_iterator(); ++it) {
        const std::string id = (*it)[1];
        if (text.find("id=\"" + id + "\"") == std::string::npos) {
            why = "references #" + id + ", which is not defined";
            return false;
        }
    }
    return true;
}

std::string EscapeForMake(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == ' ' || c == '#' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}

bool WriteDepfile(const std::string& path, const std::string& output, const std::string& source,
                  const std::vector<std::string>& included) {
    std::ofstream dep(path, std::ios::binary);
    dep << EscapeForMake(output) << ": " << EscapeForMake(source);
    for (const std::string& file : included) dep << " \\\n  " << EscapeForMake(file);
    dep << "\n";
    return bool(dep);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6 && argc != 7) {
        fprintf(stderr, "usage: art_build ART_ROOT SOURCE.svg OUTPUT.png WIDTH HEIGHT [DEPFILE]\n");
        return 2;
    }
    // Included files are named relative to the art root.
    const std::string root = argv[1], source = argv[2], output = argv[3];
    const int width = atoi(argv[4]), height = atoi(argv[5]);
    if (width <= 0 || height <= 0) return Fail(source, "bad output size");

    std::string text, why;
    if (!ReadText(root + "/" + source, text)) return Fail(source, "cannot read");
    std::vector<std::string> included;
    if (!ExpandIncludes(root, text, included, why) || !CheckReferences(text, why)) return Fail(source, why);

    GError* error = nullptr;
    RsvgHandle* svg = rsvg_handle_new_with_flags(RSVG_HANDLE_FLAGS_NONE);
    GFile* base = g_file_new_for_path((root + "/" + source).c_str());
    rsvg_handle_set_base_gfile(svg, base);
    g_object_unref(base);
    GInputStream* stream = g_memory_input_stream_new_from_data(text.data(), gssize(text.size()), nullptr);
    const bool parsed = rsvg_handle_read_stream_sync(svg, stream, nullptr, &error);
    g_object_unref(stream);
    if (!parsed) {
        g_object_unref(svg);
        why = error ? error->message : "cannot read";
        if (error) g_error_free(error);
        return Fail(source, why);
    }
    double sw = 0, sh = 0;
    if (!IntrinsicSize(svg, sw, sh)) return Fail(source, "width and height must be given in px");
    if (std::lround(sw) != width || std::lround(sh) != height)
        return Fail(source, "declares " + std::to_string(sw) + "x" + std::to_string(sh) +
                                " but the image must be " + std::to_string(width) + "x" +
                                std::to_string(height));

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    RsvgRectangle viewport = {0, 0, double(width), double(height)};
    const bool drawn = rsvg_handle_render_document(svg, cr, &viewport, &error);
    cairo_destroy(cr);
    g_object_unref(svg);
    if (!drawn) {
        why = error ? error->message : "render failed";
        if (error) g_error_free(error);
        cairo_surface_destroy(surface);
        return Fail(source, why);
    }
    cairo_surface_flush(surface);

    // Cairo keeps premultiplied native-endian ARGB; PNG wants straight RGBA.
    std::vector<uint8_t> rgba(size_t(width) * height * 4);
    const uint8_t* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * stride);
        for (int x = 0; x < width; ++x) {
            const uint32_t p = row[x];
            const uint32_t a = p >> 24;
            uint8_t* o = &rgba[(size_t(y) * width + x) * 4];
            for (int c = 0; c < 3; ++c) {
                const uint32_t v = (p >> (16 - 8 * c)) & 0xff;
                o[c] = a ? uint8_t((v * 255 + a / 2) / a) : 0;
            }
            o[3] = uint8_t(a);
        }
    }
    cairo_surface_destroy(surface);

    if (!WritePngRgba(output, rgba.data(), width, height, why)) {
        std::remove(output.c_str());  // never leave half a file that looks up to date
        return Fail(output, why);
    }
    // The build tool reads this to redraw the image when an included file changes.
    if (argc == 7 && !WriteDepfile(argv[6], output, root + "/" + source, included))
        return Fail(argv[6], "cannot write the depfile");
    return 0;
}
