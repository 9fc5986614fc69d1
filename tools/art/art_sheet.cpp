// Contact sheet: draws every PNG under a folder (dat/img) on one labelled page,
// over a checkerboard so transparency shows. A developer tool, run by the
// art_contact_sheet target or by hand: art_sheet DAT_IMG_DIR OUT.png
#include <cairo.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kPageWidth = 1800;
constexpr int kMaxTile = 440;  // wider or taller images are shown reduced
constexpr int kGap = 14;
constexpr int kLabel = 30;

struct Tile {
    std::string label;
    cairo_surface_t* image;
    double scale;
    int x, y, w, h;
};

void Checker(cairo_t* cr, int x, int y, int w, int h) {
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    for (int cy = y; cy < y + h; cy += 8)
        for (int cx = x; cx < x + w; cx += 8) {
            const bool dark = ((cx - x) / 8 + (cy - y) / 8) % 2;
            cairo_set_source_rgb(cr, dark ? 0.55 : 0.75, dark ? 0.55 : 0.75, dark ? 0.6 : 0.8);
            cairo_rectangle(cr, cx, cy, 8, 8);
            cairo_fill(cr);
        }
    cairo_restore(cr);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: art_sheet DAT_IMG_DIR OUT.png\n");
        return 2;
    }
    const fs::path root = argv[1];
    std::vector<fs::path> files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::end(it); it.increment(ec))
        if (it->is_regular_file() && it->path().extension() == ".png") files.push_back(it->path());
    if (ec || files.empty()) {
        fprintf(stderr, "art_sheet: %s: no images\n", argv[1]);
        return 1;
    }
    std::sort(files.begin(), files.end());

    std::vector<Tile> tiles;
    int x = kGap, y = kGap, row_h = 0;
    for (const fs::path& f : files) {
        cairo_surface_t* img = cairo_image_surface_create_from_png(f.c_str());
        if (cairo_surface_status(img) != CAIRO_STATUS_SUCCESS) {
            fprintf(stderr, "art_sheet: %s: cannot decode\n", f.c_str());
            return 1;
        }
        const int iw = cairo_image_surface_get_width(img), ih = cairo_image_surface_get_height(img);
        const double scale = std::min(1.0, double(kMaxTile) / std::max(iw, ih));
        const int w = std::max(int(iw * scale), 190), h = int(ih * scale);
        if (x + w + kGap > kPageWidth) {
            x = kGap;
            y += row_h + kLabel + kGap;
            row_h = 0;
        }
        char size[64];
        snprintf(size, sizeof size, "  %dx%d", iw, ih);
        tiles.push_back({fs::relative(f, root).string() + size, img, scale, x, y, w, h});
        x += w + kGap;
        row_h = std::max(row_h, h);
    }
    const int page_h = y + row_h + kLabel + kGap;

    cairo_surface_t* page = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kPageWidth, page_h);
    cairo_t* cr = cairo_create(page);
    cairo_set_source_rgb(cr, 0.16, 0.16, 0.2);
    cairo_paint(cr);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 13);
    for (Tile& t : tiles) {
        const int iw = cairo_image_surface_get_width(t.image), ih = cairo_image_surface_get_height(t.image);
        Checker(cr, t.x, t.y, int(iw * t.scale), int(ih * t.scale));
        cairo_save(cr);
        cairo_translate(cr, t.x, t.y);
        cairo_scale(cr, t.scale, t.scale);
        cairo_set_source_surface(cr, t.image, 0, 0);
        cairo_paint(cr);
        cairo_restore(cr);
        cairo_set_source_rgb(cr, 0.95, 0.95, 0.9);
        cairo_move_to(cr, t.x, t.y + t.h + 16);
        cairo_show_text(cr, t.label.c_str());
        cairo_surface_destroy(t.image);
    }
    cairo_destroy(cr);
    const cairo_status_t st = cairo_surface_write_to_png(page, argv[2]);
    cairo_surface_destroy(page);
    if (st != CAIRO_STATUS_SUCCESS) {
        fprintf(stderr, "art_sheet: %s: cannot write\n", argv[2]);
        return 1;
    }
    return 0;
}
