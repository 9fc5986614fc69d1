// Ordinary enemies: reading the stage timeline, spawning its rows on their frame,
// and the per-frame update that runs each enemy's pattern, moves it, removes it
// off screen and opens its shot group. Called by the stage reset and the play scene.
#include "game/enemy/enemy.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/framework.h"
#include "game/enemy/patterns.h"
#include "game/enemy/items.h"
#include "game/enemy/shots.h"
#include "game/common/game_state.h"
#include "game/common/play_records.h"

StoryRow story[STORY_ROWS];
int story_count;
EnemyRecord enemy[ENEMY_MAX];

namespace {

// The patterns compare an enemy's age with W plus constants of a few hundred
// frames. W is capped this far below the 32-bit limit (which the reader
// saturates to) so those sums cannot overflow; no enemy lives long enough for
// the cap to change a comparison.
const int32_t WAIT_MAX = INT32_MAX - 1000;

// The C library's decimal conversion, saturated to 32 bits instead of overflowing.
int32_t FieldToInt(const char* text) {
    long long v = std::strtoll(text, nullptr, 10);
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

double FieldToDouble(const char* text) { return std::strtod(text, nullptr); }

void StoreField(StoryRow& row, int column, const char* text) {
    switch (column) {
    case 0: row.frame = FieldToInt(text); break;
    case 1: row.pattern = FieldToInt(text); break;
    case 2: row.image = FieldToInt(text); break;
    case 3: row.x = FieldToDouble(text); break;
    case 4: row.y = FieldToDouble(text); break;
    case 5: row.speed = FieldToDouble(text); break;
    case 6: row.fire_frame = FieldToInt(text); break;
    case 7: row.shot_kind = FieldToInt(text); break;
    case 8: row.bullet_color = FieldToInt(text); break;
    case 9: row.hp = FieldToInt(text); break;
    case 10: row.bullet_kind = FieldToInt(text); break;
    case 11: row.wait = FieldToInt(text); break;
    default: row.drop[column - 12] = FieldToInt(text); break;
    }
}

// Fills slot e from a timeline row. Columns that index a table are checked here,
// once, so that a bad value is reported at spawn and never reaches an array.
void FillEnemy(EnemyRecord& e, const StoryRow& row) {
    std::memset(&e, 0, sizeof e);
    e.state = 1;
    e.count = 0;
    e.pose = 1;
    e.pattern = row.pattern;
    e.image = row.image;
    if (row.image < 0 || row.image >= ENEMY_IMAGES) {
        ScreenPrintF("enemy[i].imageの%d値が不正です。", row.image);
        e.image = ENEMY_IMAGE_NONE;
    }
    e.x = row.x;
    e.y = row.y;
    e.speed = row.speed;
    e.fire_frame = row.fire_frame;
    e.shot_kind = row.shot_kind;
    e.bullet_color = row.bullet_color;
    e.bullet_kind = row.bullet_kind;
    if (row.bullet_kind < 0 || row.bullet_kind >= BULLET_KINDS)
        ScreenPrintF("enemy[i].bullet_kindの%d値が不正です。", row.bullet_kind);
    e.wait = row.wait < WAIT_MAX ? row.wait : WAIT_MAX;
    for (int k = 0; k < STORY_DROPS; k++) {
        e.drop[k] = row.drop[k];
        if (row.drop[k] != -1 && (row.drop[k] < 0 || row.drop[k] >= ITEM_KIND_COUNT))
            ScreenPrintF("enemy[i].dropの%d値が不正です。", row.drop[k]);
    }
    e.hp = row.hp;
    e.hp_start = row.hp;
    e.burst_color = RandomUpTo(4);
}

} // namespace

void ResetEnemiesStage(void) {
    std::memset(enemy, 0, sizeof enemy);
    std::memset(story, 0, sizeof story);
    story_count = 0;
}

void LoadStoryFile(const char* path) {
    const int fh = FileOpenRead(path);
    if (fh == 0) {
        ScreenPrintF("read error\n");
        return;
    }
    // Two header lines.
    for (int feeds = 0; feeds < 2;) {
        const int c = FileReadChar(fh);
        if (c < 0) {
            FileCloseRead(fh);
            return;
        }
        if (c == '\n') feeds++;
    }
    // Fields end at a comma or a line feed alike, so rows may span lines. A field
    // longer than the format allows keeps its first characters; the rest is dropped.
    char field[STORY_FIELD_CHARS + 1];
    int length = 0, row = 0, column = 0;
    while (row < STORY_ROWS) {
        int c = FileReadChar(fh);
        if (c < 0) break;
        if (c == '/') {
            // A comment swallows its line and the field begun before it; the same
            // column starts again on the next line.
            length = 0;
            do c = FileReadChar(fh);
            while (c >= 0 && c != '\n');
            if (c < 0) break;
            continue;
        }
        if (c == ',' || c == '\n') {
            field[length] = 0;
            StoreField(story[row], column, field);
            length = 0;
            if (++column == STORY_COLUMNS) {
                column = 0;
                row++;
            }
            continue;
        }
        if (length < STORY_FIELD_CHARS) field[length++] = static_cast<char>(c);
    }
    FileCloseRead(fh);
    story_count = row + (column > 0 ? 1 : 0);
}

void LoadStory(void) {
    char path[64];
    std::snprintf(path, sizeof path, "dat/csv/storyH%d.csv", stage_number);
    LoadStoryFile(path);
}

int FindFreeEnemy(void) {
    for (int i = 0; i < ENEMY_MAX; i++)
        if (enemy[i].state == 0) return i;
    return -1;
}

void SpawnEnemies(void) {
    if (boss.state != 0) return;
    for (int k = 0; k < story_count; k++) {
        if (story[k].frame != scene_timer) continue;
        // The reader's conversion accepts "nan" and "inf" and overflows to infinity:
        // such a row has no place on the field. An enemy at NaN would never pass
        // the removal bounds and would hold its slot, and its bullet its shot
        // group, until the stage ends.
        if (!std::isfinite(story[k].x) || !std::isfinite(story[k].y) || !std::isfinite(story[k].speed)) {
            ScreenPrintF("enemy[i].x, y, speedの%g, %g, %g値が不正です。", story[k].x, story[k].y, story[k].speed);
            continue;
        }
        const int i = FindFreeEnemy();
        if (i == -1) continue;
        FillEnemy(enemy[i], story[k]);
    }
}

void UpdateEnemies(void) {
    for (int i = 0; i < ENEMY_MAX; i++) {
        EnemyRecord& e = enemy[i];
        if (e.state != 1) continue;
        if (e.pattern < 0 || e.pattern >= ENEMY_PATTERNS) {
            ScreenPrintF("enemy[i].patternの%d値が不正です。", e.pattern);
            continue;
        }
        enemy_pattern[e.pattern](i);
        e.x += std::cos(e.angle) * e.speed + e.vx;
        e.y += std::sin(e.angle) * e.speed + e.vy;
        e.count++;
        e.anim = e.pose * 3 + (e.count % 18) / 6;
        if (e.x < -20 || e.x > 660 || e.y < -20 || e.y > 500) e.state = 0;
        // Also on the update that removed the enemy: its bullet leaves from here.
        if (e.count == e.fire_frame) OpenShotGroup(i);
    }
}
