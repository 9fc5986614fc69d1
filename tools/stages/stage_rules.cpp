// The stage checker's rules. The file is read twice: once with the game's own
// LoadStoryFile, whose values are the ones judged, and once by a scanner that
// splits it the same way to learn each field's line, text and length, which
// the game's table does not keep. The first update of every row is run with
// the game's own SpawnEnemies and UpdateEnemies.
#include "tools/stages/stage_rules.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <map>

#include "framework/backend/headless/headless.h"
#include "framework/core/random.h"
#include "framework/framework.h"
#include "game/enemy/enemy.h"
#include "game/enemy/items.h"
#include "game/enemy/shots.h"
#include "game/player/boss.h"
#include "game/common/game_state.h"

namespace {

const char* const kColumnName[STORY_COLUMNS] = {
    "frame", "pattern", "image", "x", "y", "speed", "fire_frame", "shot_kind", "bullet_color",
    "hp", "bullet_kind", "wait", "drop0", "drop1", "drop2", "drop3", "drop4", "drop5",
};

bool IsDoubleColumn(int column) { return column >= 3 && column <= 5; }

// One field as the game's reader splits the file.
struct ScannedField {
    int row, column;
    int line;                 // line of its first character (or of its terminator when empty)
    std::string text;         // the whole text, also past the 64 characters the game keeps
};

struct ScannedFile {
    bool opened = false;
    bool headerComplete = false;
    std::vector<ScannedField> fields;
    int rows = 0;             // rows begun, the last one possibly incomplete
    int lines = 0;            // lines in the file
    bool endsWithFeed = true;
    std::string lostText;     // a last field cut off by the end of the file
    int lostLine = 0;
};

// Splits the file exactly as LoadStoryFile does: two header lines, fields ended
// by comma or line feed, a slash discarding the rest of its line and the field
// begun on it. Unlike the game it goes on past the 3000th row, to report them.
ScannedFile ScanStageFile(const char* path) {
    ScannedFile out;
    FILE* f = std::fopen(path, "rb");
    if (!f) return out;
    out.opened = true;
    std::string bytes;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
    std::fclose(f);
    out.endsWithFeed = bytes.empty() || bytes.back() == '\n';
    int line = 1;
    for (char c : bytes)
        if (c == '\n') line++;
    out.lines = out.endsWithFeed ? line - 1 : line;

    size_t pos = 0;
    line = 1;
    for (int feeds = 0; feeds < 2;) {
        if (pos >= bytes.size()) return out;
        if (bytes[pos++] == '\n') {
            feeds++;
            line++;
        }
    }
    out.headerComplete = true;
    int row = 0, column = 0, fieldLine = 0;
    std::string text;
    while (pos < bytes.size()) {
        const char c = bytes[pos++];
        if (c == '/') {
            text.clear();
            fieldLine = 0;
            while (pos < bytes.size() && bytes[pos] != '\n') pos++;
            if (pos >= bytes.size()) break;
            pos++;
            line++;
            continue;
        }
        if (c == ',' || c == '\n') {
            out.fields.push_back({row, column, fieldLine ? fieldLine : line, text});
            text.clear();
            fieldLine = 0;
            if (c == '\n') line++;
            if (++column == STORY_COLUMNS) {
                column = 0;
                row++;
            }
            continue;
        }
        if (!fieldLine) fieldLine = line;
        text.push_back(c);
    }
    if (!text.empty()) {
        out.lostText = text;
        out.lostLine = fieldLine ? fieldLine : line;
    }
    out.rows = row + (column > 0 ? 1 : 0);
    return out;
}

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// Whether the text is one clean number for its column, as the C library reads
// it; otherwise a message saying what the game will read instead.
bool JudgeNumber(const ScannedField& field, std::string& message) {
    const std::string& t = field.text;
    size_t start = 0;
    while (start < t.size() && IsBlank(t[start])) start++;
    char buffer[128];
    if (start == t.size()) {
        std::snprintf(buffer, sizeof buffer, "%s is empty; the game reads 0", kColumnName[field.column]);
        message = buffer;
        return false;
    }
    const char* begin = t.c_str() + start;
    char* end = nullptr;
    bool finite = true, saturated = false;
    if (IsDoubleColumn(field.column)) {
        const double v = std::strtod(begin, &end);
        finite = std::isfinite(v);
    } else {
        errno = 0;
        const long long v = std::strtoll(begin, &end, 10);
        saturated = errno == ERANGE || v > INT32_MAX || v < INT32_MIN;
    }
    const char* rest = end;
    while (*rest && IsBlank(*rest)) rest++;
    const std::string shown = t.size() > 40 ? t.substr(0, 40) + "..." : t;
    if (end == begin || *rest || !finite) {
        std::snprintf(buffer, sizeof buffer, "%s \"%s\" is not a plain number", kColumnName[field.column],
                      shown.c_str());
        message = buffer;
        return false;
    }
    if (saturated) {
        std::snprintf(buffer, sizeof buffer, "%s %s does not fit in 32 bits; the game saturates it",
                      kColumnName[field.column], shown.c_str());
        message = buffer;
        return false;
    }
    return true;
}

void Add(std::vector<StageProblem>& out, int line, const char* format, ...) __attribute__((format(printf, 3, 4)));
void Add(std::vector<StageProblem>& out, int line, const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    out.push_back({line, buffer});
}

// What the enemy of one row does alone on the screen.
struct RowFlight {
    bool leavesAtOnce = false;   // gone after its first update
    double x = 0, y = 0;         // its position after that update
    bool seen = false;           // its centre came onto the 640×480 screen before it left
};

bool OnScreen(const EnemyRecord& e) { return e.x >= 0 && e.x <= 640 && e.y >= 0 && e.y <= 480; }

// Spawns the one row with the game's own SpawnEnemies on its frame and runs
// UpdateEnemies until the enemy leaves, is seen, or a long life has passed.
RowFlight FlyRow(const StoryRow& row) {
    enum { LONGEST_LOOK = 3000 };
    RowFlight out;
    std::memset(enemy, 0, sizeof enemy);
    story[0] = row;
    story_count = 1;
    scene_timer = row.frame;
    boss.state = 0;
    SpawnEnemies();
    out.seen = OnScreen(enemy[0]);
    UpdateEnemies();
    out.x = enemy[0].x;
    out.y = enemy[0].y;
    out.leavesAtOnce = enemy[0].state == 0;
    for (int n = 1; n < LONGEST_LOOK && enemy[0].state == 1 && !out.seen; n++) {
        out.seen = OnScreen(enemy[0]);
        UpdateEnemies();
        ResetShotGroupsStage();
    }
    if (enemy[0].state == 1) out.seen = out.seen || OnScreen(enemy[0]);
    ResetShotGroupsStage();
    return out;
}

} // namespace

int StartStageTools(void) {
    HeadlessSelect();
    if (FrameworkInit() != 0) return -1;
    RandomSeed(1);
    return 0;
}

void StopStageTools(void) { FrameworkEnd(); }

std::string FormatStageProblem(const char* path, const StageProblem& problem) {
    return std::string(path) + ":" + std::to_string(problem.line) + ": " + problem.message;
}

std::vector<StageProblem> CheckStageFile(const char* path) {
    std::vector<StageProblem> out;
    const ScannedFile scan = ScanStageFile(path);
    if (!scan.opened) {
        Add(out, 0, "cannot be opened; the game prints \"read error\" and the stage has no enemies");
        return out;
    }
    if (!scan.headerComplete) {
        Add(out, 1, "fewer than two header lines; the game reads no rows");
        return out;
    }

    ResetEnemiesStage();
    LoadStoryFile(path);
    const std::vector<StoryRow> rows(story, story + story_count);

    // Where each row and field sits in the source.
    std::vector<std::vector<const ScannedField*>> at(scan.rows);
    for (const ScannedField& f : scan.fields)
        if (f.row < scan.rows) at[f.row].push_back(&f);
    auto rowLine = [&](int r) { return at[r].empty() ? scan.lines : at[r][0]->line; };

    if (scan.rows > STORY_ROWS)
        Add(out, rowLine(STORY_ROWS), "row %d and the %d after it are ignored: the timeline holds %d rows",
            STORY_ROWS + 1, scan.rows - STORY_ROWS - 1, STORY_ROWS);
    if (static_cast<int>(rows.size()) != std::min(scan.rows, static_cast<int>(STORY_ROWS)))
        Add(out, 1, "the game read %zu rows where the checker counts %d", rows.size(), scan.rows);

    std::map<int, int> perFrame;   // rows seen so far on each frame
    for (size_t r = 0; r < rows.size() && r < at.size(); r++) {
        const StoryRow& row = rows[r];
        const int line = rowLine(static_cast<int>(r));
        if (at[r].size() < STORY_COLUMNS)
            Add(out, line, "row has %zu of %d fields; the missing ones read as 0", at[r].size(),
                static_cast<int>(STORY_COLUMNS));
        for (const ScannedField* f : at[r]) {
            if (f->text.size() > STORY_FIELD_CHARS)
                Add(out, f->line, "%s is %zu characters long; the game keeps only the first %d",
                    kColumnName[f->column], f->text.size(), static_cast<int>(STORY_FIELD_CHARS));
            std::string message;
            if (!JudgeNumber(*f, message)) Add(out, f->line, "%s", message.c_str());
        }
        if (row.frame < 0) Add(out, line, "frame %d never comes: the stage clock starts at 0", row.frame);
        if (row.frame > STAGE_END_TIME)
            Add(out, line, "frame %d is after the stage end time %d: the boss holds the clock there, so the row "
                "spawns only after the boss is beaten, if at all", row.frame, static_cast<int>(STAGE_END_TIME));
        if (++perFrame[row.frame] == ENEMY_MAX + 1)
            Add(out, line, "more than %d rows on frame %d: the enemy table is full and this row is lost",
                static_cast<int>(ENEMY_MAX), row.frame);
        const bool patternOk = row.pattern >= 0 && row.pattern < ENEMY_PATTERNS;
        if (!patternOk)
            Add(out, line, "pattern %d is outside 0..%d: the enemy never moves and the console fills with errors",
                row.pattern, ENEMY_PATTERNS - 1);
        if (row.image < 0 || row.image >= ENEMY_IMAGES)
            Add(out, line, "image %d is outside 0..%d: the enemy is not drawn", row.image, ENEMY_IMAGES - 1);
        if (row.fire_frame > 0 && row.shot_kind != 0)
            Add(out, line, "shot kind %d has no shot function (only 0 fires): its group never fires and stays "
                "taken until the stage ends", row.shot_kind);
        if (row.bullet_kind < 0 || row.bullet_kind >= BULLET_KINDS)
            Add(out, line, "bullet kind %d is outside 0..%d: the enemy fires nothing", row.bullet_kind,
                BULLET_KINDS - 1);
        for (int k = 0; k < STORY_DROPS; k++)
            if (row.drop[k] != -1 && (row.drop[k] < 0 || row.drop[k] >= ITEM_KIND_COUNT))
                Add(out, line, "drop%d %d is outside 0..%d (or -1 for none): nothing is dropped", k, row.drop[k],
                    ITEM_KIND_COUNT - 1);
        if (patternOk) {
            const RowFlight flight = FlyRow(row);
            if (flight.leavesAtOnce)
                Add(out, line, "spawn at (%g, %g) leaves the screen on its first update (to (%g, %g)): "
                    "the enemy is never seen", row.x, row.y, flight.x, flight.y);
            else if (!flight.seen)
                Add(out, line, "spawn at (%g, %g): pattern %d takes the enemy away before its centre "
                    "comes onto the screen", row.x, row.y, row.pattern);
        }
    }
    if (!scan.endsWithFeed) {
        if (!scan.lostText.empty())
            Add(out, scan.lostLine, "no line feed at the end of the file: the last field \"%s\" is not read",
                scan.lostText.c_str());
        else
            Add(out, scan.lines, "no line feed at the end of the file");
    }
    ResetEnemiesStage();
    ResetShotGroupsStage();
    std::stable_sort(out.begin(), out.end(),
                     [](const StageProblem& a, const StageProblem& b) { return a.line < b.line; });
    return out;
}

void MarkStagePatterns(const char* path, bool used[ENEMY_PATTERNS]) {
    ResetEnemiesStage();
    LoadStoryFile(path);
    for (int r = 0; r < story_count; r++)
        if (story[r].pattern >= 0 && story[r].pattern < ENEMY_PATTERNS) used[story[r].pattern] = true;
    ResetEnemiesStage();
}
