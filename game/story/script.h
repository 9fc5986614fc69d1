// The story script table, its reader and the typewriter shared by the
// prologue/epilogue runner (story.cpp) and the map-story runner (map_story.cpp).
// Nothing here draws; the runners draw from these records.
#pragma once

enum {
    SCRIPT_ROWS = 100,          // rows of the table, the end marker included
    SCRIPT_LAST_ROW = SCRIPT_ROWS - 1,
    SCRIPT_NAME_BYTES = 50,     // 49 bytes and the NUL
    SCRIPT_TEXT_BYTES = 256,    // 255 bytes and the NUL
    SCRIPT_NAME_READ = 50,      // name bytes read before the next column starts without a ","
    SCRIPT_NUMBER_READ = 5,     // bytes of a number column, its "," included
    STORY_SLOTS = 3,
    BOX_LINES = 5,
    BOX_LINE_BYTES = 256,
};

// Characters shown by the portrait slots: slot k always shows character k.
enum { STORY_BACKGROUNDS = 3, PORTRAITS_PER_CHARACTER = 4 };

struct ScriptSlot {
    int visible;      // 1 = drawn
    int lit;          // 1 = current brightness, anything else dimmed
    int expression;   // portrait within the character
    double x, y;      // centre on screen
};

struct ScriptRow {
    char name[SCRIPT_NAME_BYTES];
    char text[SCRIPT_TEXT_BYTES];   // ends with "C" at a page end; "X" first ends the script
    int background;
    ScriptSlot slot[STORY_SLOTS];
};

enum ScriptFormat {
    SCRIPT_FORMAT_STORY,   // name, background, ignored, 3 × (visible, lit, expression, ignored, x, y), text
    SCRIPT_FORMAT_MAP,     // name, 2 × (ignored, shown, expression, ignored), text
};

extern ScriptRow g_script[SCRIPT_ROWS];

// Reads a script into the table from row 0 and puts the end marker after the
// last complete row. Returns the number of rows read, or −1 when the file
// cannot be opened: then "read error\n" goes to the screen console and row 0
// becomes the end marker, so that the runner ends the script at once.
int LoadScriptRows(const char* path, ScriptFormat format);

// True for a row the typewriter must never copy from or move past: the end
// marker, or the last row of the table, which is always treated as one.
bool IsEndRow(int row);

// One runner's typewriter: its position in the table and its five box lines.
struct Typewriter {
    int row;
    int col;                                  // byte column in the row's text
    int line;                                 // current box line, 0..BOX_LINES−1
    char box[BOX_LINES][BOX_LINE_BYTES];
};

void ResetTypewriter(Typewriter* tw);
// Shot and skip, then one typed character: steps 1 to 3 of a runner's frame.
void StepTypewriter(Typewriter* tw);
// True while the typewriter waits for Shot at a page marker.
bool TypewriterWaiting(const Typewriter* tw);
// Whether the blinking dot shows on this frame counter value.
bool PageDotVisible(int frameCounter);
// Draws the speaker's name at (x, nameY), the box's lines from lineY down, and
// the blinking dot after the last line while the page waits for Shot, all in
// the menu font. Returns whether the dot was drawn.
bool DrawTypewriterText(const Typewriter* tw, int x, int nameY, int lineY);
