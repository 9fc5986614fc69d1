// stage_preview: plays a stage's enemies without a player and draws every
// enemy's path on one PNG, coloured by its spawn frame (blue early, red late),
// the play screen outlined inside a margin so entries and exits show.
//   stage_preview -o preview.png storyH0.csv
//   stage_preview --stats storyH0.csv ...     (figures per stage, ship parked at (100, 240))
// A tool for the people who write stages.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include "game/common/game_state.h"
#include "tools/stages/stage_rules.h"
#include "tools/stages/stage_sim.h"

namespace {

constexpr double kShipX = 100, kShipY = 240;   // where the ship is parked
constexpr int kMargin = 60;                    // drawn around the 640×480 screen
constexpr int kWidth = 640 + 2 * kMargin, kHeight = 480 + 2 * kMargin + 40;

// Spawn time to colour: hue from blue through green and yellow to red.
void SpawnColour(int frame, double& r, double& g, double& b) {
    const double t = std::fmin(1.0, std::fmax(0.0, frame / static_cast<double>(STAGE_END_TIME)));
    const double h = (1.0 - t) * 240.0 / 60.0;   // 4 (blue) .. 0 (red)
    const double x = 1.0 - std::fabs(std::fmod(h, 2.0) - 1.0);
    const int sector = static_cast<int>(h);
    r = g = b = 0;
    switch (sector) {
    case 0: r = 1; g = x; break;
    case 1: r = x; g = 1; break;
    case 2: g = 1; b = x; break;
    default: g = x; b = 1; break;
    }
}

int Preview(const char* path, const char* out) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0.08, 0.08, 0.10);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.16, 0.16, 0.20);
    cairo_rectangle(cr, kMargin, kMargin, 640, 480);
    cairo_fill(cr);
    cairo_set_line_width(cr, 1.0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);

    int lastSpawn[ENEMY_MAX];
    for (int& s : lastSpawn) s = -1;
    const StageFigures fig = SimulateStage(path, kShipX, kShipY,
        [&](int slot, int spawnFrame, double x0, double y0, double x1, double y1) {
            double r, g, b;
            SpawnColour(spawnFrame, r, g, b);
            if (lastSpawn[slot] != spawnFrame) {   // a new enemy in this slot: mark its spawn point
                lastSpawn[slot] = spawnFrame;
                cairo_set_source_rgba(cr, r, g, b, 0.9);
                cairo_arc(cr, x0 + kMargin, y0 + kMargin, 2.5, 0, 2 * M_PI);
                cairo_fill(cr);
            }
            cairo_set_source_rgba(cr, r, g, b, 0.55);
            cairo_move_to(cr, x0 + kMargin, y0 + kMargin);
            cairo_line_to(cr, x1 + kMargin, y1 + kMargin);
            cairo_stroke(cr);
        });

    // The screen's border, the parked ship and the colour scale of spawn frames.
    cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
    cairo_rectangle(cr, kMargin - 0.5, kMargin - 0.5, 641, 481);
    cairo_stroke(cr);
    cairo_arc(cr, kShipX + kMargin, kShipY + kMargin, 5, 0, 2 * M_PI);
    cairo_stroke(cr);
    const int barY = kHeight - 34;
    for (int x = 0; x < 640; x++) {
        double r, g, b;
        SpawnColour(x * STAGE_END_TIME / 640, r, g, b);
        cairo_set_source_rgb(cr, r, g, b);
        cairo_rectangle(cr, kMargin + x, barY, 1, 10);
        cairo_fill(cr);
    }
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 11);
    cairo_set_source_rgb(cr, 0.9, 0.9, 0.9);
    for (int f = 0; f <= STAGE_END_TIME; f += 1000) {
        char label[16];
        std::snprintf(label, sizeof label, "%d", f);
        cairo_move_to(cr, kMargin + f * 640.0 / static_cast<double>(STAGE_END_TIME) - 8, barY + 22);
        cairo_show_text(cr, label);
    }
    char title[256];
    std::snprintf(title, sizeof title, "%s: %d enemies, %d bullets, %d items (%d power), spawn frame colours below",
                  path, fig.enemies, fig.bullets, fig.itemsCarried, fig.powerCarried);
    cairo_move_to(cr, 8, 16);
    cairo_show_text(cr, title);

    const cairo_status_t status = cairo_surface_write_to_png(surface, out);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "%s: cannot be written\n", out);
        return 1;
    }
    return 0;
}

void PrintFigures(const char* path) {
    const StageFigures f = SimulateStage(path, kShipX, kShipY);
    std::printf("%s: %d rows, %d enemies spawned (%d lost to a full table), %d bullets fired (%d from off screen, %d lost to "
                "no free group), %d items carried (%d power, %d speed), mean hp %.0f, at most %d enemies "
                "and %d shot groups at once, %d never on screen, %d alive when the boss enters\n",
                path, f.rows, f.enemies, f.rowsLost, f.bullets, f.shotsOffScreen, f.shotsLost, f.itemsCarried, f.powerCarried,
                f.speedItems, f.meanHp, f.maxEnemies, f.maxGroups, f.neverSeen, f.aliveAtBoss);
}

} // namespace

int main(int argc, char** argv) {
    bool stats = false;
    const char* out = nullptr;
    std::vector<const char*> files;
    for (int a = 1; a < argc; a++) {
        if (!std::strcmp(argv[a], "--stats")) stats = true;
        else if (!std::strcmp(argv[a], "-o") && a + 1 < argc) out = argv[++a];
        else files.push_back(argv[a]);
    }
    if (files.empty() || (!stats && (!out || files.size() != 1))) {
        std::fprintf(stderr, "usage: stage_preview -o preview.png timeline.csv\n"
                             "       stage_preview --stats timeline.csv ...\n");
        return 2;
    }
    if (StartStageTools() != 0) {
        std::fprintf(stderr, "stage_preview: the framework did not start\n");
        return 2;
    }
    int rc = 0;
    if (stats)
        for (const char* path : files) PrintFigures(path);
    if (out) rc = Preview(files[0], out);
    StopStageTools();
    if (out) {
        // cairo's font caches and the fontconfig state its labels loaded, let go
        // after the framework has shut down, so that leak checkers see a clean exit.
        cairo_debug_reset_static_data();
        FcFini();
    }
    return rc;
}
