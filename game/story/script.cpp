// The story script table, the byte-by-byte reader of both script formats and
// the typewriter that both story runners step. Called by story.cpp and
// map_story.cpp; the scene machine reaches it only through those two.
#include "game/story/script.h"

#include <cstdlib>
#include <cstring>

#include "framework/framework.h"
#include "game/common/assets.h"
#include "game/common/game_state.h"
#include "game/common/pad.h"

ScriptRow g_script[SCRIPT_ROWS];

namespace {

bool IsLeadByte(int c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Skips to the byte after the next line feed; false at the end of the file.
bool SkipLine(int fh) {
    for (;;) {
        const int c = FileReadChar(fh);
        if (c < 0) return false;
        if (c == '\n') return true;
    }
}

// The name column: bytes up to ",", comment lines skipped. After 50 bytes
// without a "," the next byte already belongs to the next column. Line ends
// are not part of a name (they come from blank lines between rows).
bool ReadName(int fh, char* name) {
    unsigned char bytes[SCRIPT_NAME_READ];
    int length = 0;
    while (length < SCRIPT_NAME_READ) {
        const int c = FileReadChar(fh);
        if (c < 0) return false;
        if (c == ',') break;
        if (c == '/') {
            if (!SkipLine(fh)) return false;
            length = 0;
            continue;
        }
        if (c == '\r' || c == '\n') continue;
        bytes[length++] = static_cast<unsigned char>(c);
    }
    // At most 49 bytes are kept so the name is always terminated; a lead byte
    // whose partner was cut off would swallow the NUL when drawn.
    int keep = length < SCRIPT_NAME_BYTES - 1 ? length : SCRIPT_NAME_BYTES - 1;
    int i = 0;
    while (i < keep) {
        if (IsLeadByte(bytes[i])) {
            if (i + 1 >= keep) {
                keep = i;
                break;
            }
            i += 2;
        } else {
            i++;
        }
    }
    std::memcpy(name, bytes, static_cast<size_t>(keep));
    name[keep] = 0;
    return true;
}

// A one-character column and its separator, which is skipped untested. A
// character that is not a digit reads as 0.
bool ReadDigit(int fh, int* value) {
    const int c = FileReadChar(fh);
    if (c < 0 || FileReadChar(fh) < 0) return false;
    *value = (c >= '0' && c <= '9') ? c - '0' : 0;
    return true;
}

bool SkipColumn(int fh) {
    int ignored;
    return ReadDigit(fh, &ignored);
}

// A number column: at most 5 bytes, the "," included.
bool ReadNumber(int fh, double* value) {
    char digits[SCRIPT_NUMBER_READ + 1];
    int length = 0;
    for (int i = 0; i < SCRIPT_NUMBER_READ; i++) {
        const int c = FileReadChar(fh);
        if (c < 0) return false;
        if (c == ',') break;
        digits[length++] = static_cast<char>(c);
    }
    digits[length] = 0;
    *value = static_cast<double>(std::atoi(digits));
    return true;
}

bool ReadText(int fh, char* text) { return FileReadLine(text, SCRIPT_TEXT_BYTES, fh) >= 0; }

bool ReadStoryRow(int fh, ScriptRow* row) {
    if (!ReadName(fh, row->name) || !ReadDigit(fh, &row->background) || !SkipColumn(fh)) return false;
    for (ScriptSlot& s : row->slot) {
        if (!ReadDigit(fh, &s.visible) || !ReadDigit(fh, &s.lit) || !ReadDigit(fh, &s.expression) ||
            !SkipColumn(fh) || !ReadNumber(fh, &s.x) || !ReadNumber(fh, &s.y))
            return false;
    }
    return ReadText(fh, row->text);
}

// The map format writes only the shown flag and the expression of slots 0 and 1.
bool ReadMapRow(int fh, ScriptRow* row) {
    if (!ReadName(fh, row->name)) return false;
    for (int k = 0; k < 2; k++) {
        ScriptSlot& s = row->slot[k];
        if (!SkipColumn(fh) || !ReadDigit(fh, &s.visible) || !ReadDigit(fh, &s.expression) || !SkipColumn(fh))
            return false;
    }
    return ReadText(fh, row->text);
}

// The row after the last one read becomes the end marker. It keeps the last
// row's background and portraits so the script's final frame shows no stale
// speaker from an older script.
void MarkEnd(int row) {
    ScriptRow& end = g_script[row];
    if (row > 0) {
        end = g_script[row - 1];
    } else {
        end = ScriptRow{};
        end.background = -1;
    }
    end.name[0] = 0;
    end.text[0] = 'X';
    end.text[1] = 0;
}

char TextAt(int row, int col) {
    if (col < 0 || col >= SCRIPT_TEXT_BYTES - 1) return 0;
    return g_script[row].text[col];
}

// Moves to the start of the next row on the next box line. A page longer than
// the box scrolls it up by one line rather than writing past it.
void AdvanceRow(Typewriter* tw) {
    tw->row++;
    tw->col = 0;
    if (tw->line + 1 < BOX_LINES) {
        tw->line++;
    } else {
        std::memmove(tw->box[0], tw->box[1], sizeof tw->box[0] * (BOX_LINES - 1));
    }
    tw->box[tw->line][0] = 0;
}

void TurnPage(Typewriter* tw) {
    tw->row++;
    tw->col = 0;
    tw->line = 0;
    std::memset(tw->box, 0, sizeof tw->box);
}

// Copies one character to the box at the same offset, with a NUL after it.
// A lone last byte of an odd-length text is copied alone.
void CopyCharacter(Typewriter* tw) {
    const int col = tw->col;
    char* out = tw->box[tw->line];
    out[col] = TextAt(tw->row, col);
    const char second = TextAt(tw->row, col + 1);
    if (second == 0) {
        out[col + 1] = 0;
        tw->col = col + 1;
        return;
    }
    out[col + 1] = second;
    out[col + 2] = 0;
    tw->col = col + 2;
}

void RevealPage(Typewriter* tw) {
    for (;;) {
        if (IsEndRow(tw->row)) return;
        const char c = TextAt(tw->row, tw->col);
        if (c == 'C') return;
        if (c == 0) AdvanceRow(tw);
        else CopyCharacter(tw);
    }
}

// Shot and skip do the same thing: turn the page at a marker, else show the
// rest of the page at once.
void CompleteOrTurnPage(Typewriter* tw) {
    if (IsEndRow(tw->row)) return;
    if (TextAt(tw->row, tw->col) == 'C') TurnPage(tw);
    else RevealPage(tw);
}

} // namespace

bool IsEndRow(int row) { return row >= SCRIPT_LAST_ROW || row < 0 || g_script[row].text[0] == 'X'; }

int LoadScriptRows(const char* path, ScriptFormat format) {
    const int fh = FileOpenRead(path);
    if (fh == 0) {
        ScreenPrintF("read error\n");
        MarkEnd(0);
        return -1;
    }
    int rows = 0;
    while (rows < SCRIPT_LAST_ROW && FileAtEnd(fh) == 0) {
        // Read into a copy so a row cut short by the end of the file is dropped.
        ScriptRow row = g_script[rows];
        const bool complete = format == SCRIPT_FORMAT_MAP ? ReadMapRow(fh, &row) : ReadStoryRow(fh, &row);
        if (!complete) break;
        g_script[rows++] = row;
    }
    FileCloseRead(fh);
    MarkEnd(rows);
    return rows;
}

void ResetTypewriter(Typewriter* tw) { std::memset(tw, 0, sizeof *tw); }

void StepTypewriter(Typewriter* tw) {
    if (CheckStatePad(PadConfig.shot) == 1) CompleteOrTurnPage(tw);
    if (CheckStatePad(PadConfig.skip) > 0) CompleteOrTurnPage(tw);
    if (IsEndRow(tw->row)) return;
    const char c = TextAt(tw->row, tw->col);
    if (c == 0) AdvanceRow(tw);
    else if (c != 'C') CopyCharacter(tw);
}

bool TypewriterWaiting(const Typewriter* tw) { return !IsEndRow(tw->row) && TextAt(tw->row, tw->col) == 'C'; }

bool PageDotVisible(int frameCounter) { return frameCounter % 30 >= 15; }

bool DrawTypewriterText(const Typewriter* tw, int x, int nameY, int lineY) {
    enum { LINE_STEP = 20 };
    DrawTextFontFmt(x, nameY, g_assets.white, g_assets.fontMenu, "%s", g_script[tw->row].name);
    for (int i = 0; i <= tw->line; i++)
        DrawTextFontFmt(x, lineY + LINE_STEP * i, g_assets.white, g_assets.fontMenu, "%s", tw->box[i]);
    if (!TypewriterWaiting(tw) || !PageDotVisible(frame_counter)) return false;
    const int w = TextWidthFontFmt(g_assets.fontMenu, "%s", tw->box[tw->line]);
    DrawTextFontFmt(w + x, lineY + LINE_STEP * tw->line, g_assets.white, g_assets.fontMenu, ".");
    return true;
}
