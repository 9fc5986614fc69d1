// The story script checker's rules: reads a script's Shift-JIS bytes the way
// the game's reader does and reports every row that the game would misread,
// draw outside its text box or cut short. Japanese scripts hold double-byte
// characters only; English scripts hold printable ASCII laid out for the
// typewriter's two-byte steps and are measured in the English menu font.
// Used by story_check.cpp (the build and CI) and by the tests.
#pragma once

#include <iconv.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

enum class ScriptKind { Story, Map };
enum class ScriptLanguage { Japanese, English };

// Pixel width of a string of printable ASCII in the English menu font.
using TextWidth = std::function<int(const std::string&)>;

struct ScriptProblem {
    int line;             // 1-based line of the file, 0 for the whole file
    std::string message;
};

// Box geometry of the two runners and a conservative glyph advance for the
// 15-pixel menu font (a full-width glyph is 15 pixels; one more for the bold
// weight), keeping room for the blinking dot after the last character.
enum {
    CHECK_GLYPH_PX = 16,
    CHECK_DOT_PX = 10,
    STORY_BOX_RIGHT = 600, STORY_TEXT_X = 50,
    MAP_BOX_RIGHT = 600, MAP_TEXT_X = 170,
    CHECK_MAX_ROWS = 99, CHECK_PAGE_ROWS = 5, CHECK_NAME_BYTES = 49, CHECK_TEXT_BYTES = 255,
    // English rows are measured exactly, so they may run up to 10 pixels
    // short of the box's right edge (the blinking dot included).
    ENGLISH_TEXT_RIGHT = 590,
};

inline int MaxRowCharacters(ScriptKind kind) {
    const int width = kind == ScriptKind::Story ? STORY_BOX_RIGHT - STORY_TEXT_X : MAP_BOX_RIGHT - MAP_TEXT_X;
    return (width - CHECK_DOT_PX) / CHECK_GLYPH_PX;
}

// Pixels an English row may take from its text's left edge to x 590.
inline int EnglishRowWidth(ScriptKind kind) {
    return ENGLISH_TEXT_RIGHT - (kind == ScriptKind::Story ? STORY_TEXT_X : MAP_TEXT_X);
}

inline ScriptKind KindForPath(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    return base.rfind("madv", 0) == 0 ? ScriptKind::Map : ScriptKind::Story;
}

// English scripts live in a folder named "en" (assets/story/en/, dat/csv/en/).
inline ScriptLanguage LanguageForPath(const std::string& path) {
    return std::filesystem::path(path).parent_path().filename() == "en" ? ScriptLanguage::English
                                                                         : ScriptLanguage::Japanese;
}

namespace script_check {

inline bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
inline bool IsTrail(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// Portraits per character in the story and map tables.
inline int PortraitCount(ScriptKind kind, int character) {
    static const int story[3] = {4, 3, 2};
    static const int map[2] = {4, 3};
    return kind == ScriptKind::Story ? story[character] : map[character];
}

struct RowCursor {
    const std::string& bytes;
    size_t pos;
    int line;
    std::vector<ScriptProblem>* out;
    bool ok = true;

    // A problem that leaves the columns that follow unknown.
    void Report(const std::string& message) {
        out->push_back({line, message});
        ok = false;
    }
    // A bad value in a column that is still where it belongs.
    void Note(const std::string& message) { out->push_back({line, message}); }

    // A one-character column and its ",". Returns the digit, or −1.
    int Digit(const char* what, int highest) {
        if (!ok) return -1;
        if (pos + 1 >= bytes.size()) {
            Report(std::string("the row ends inside the column ") + what);
            return -1;
        }
        const char c = bytes[pos];
        const char separator = bytes[pos + 1];
        pos += 2;
        if (separator != ',') {
            Report(std::string(what) + ": one character then \",\" expected");
            return -1;
        }
        if (c < '0' || c > '9') {
            Note(std::string(what) + " is not a digit (the game reads it as 0)");
            return -1;
        }
        if (c - '0' > highest) {
            Note(std::string(what) + " is " + c + ", at most " + std::to_string(highest));
            return -1;
        }
        return c - '0';
    }

    // A number column: 1 to 4 characters (an optional "-" and digits) and ",".
    void Number(const char* what) {
        if (!ok) return;
        const size_t comma = bytes.find(',', pos);
        if (comma == std::string::npos || comma - pos > 4 || comma == pos) {
            Report(std::string(what) + ": 1 to 4 characters then \",\" expected");
            return;
        }
        for (size_t i = pos; i < comma; i++) {
            const char c = bytes[i];
            if (!((c >= '0' && c <= '9') || (c == '-' && i == pos && comma - pos > 1))) {
                Note(std::string(what) + " is not a whole number");
                break;
            }
        }
        pos = comma + 1;
    }
};

// A Japanese text: double-byte Shift-JIS characters, then "C" at a page end,
// no wider than the box. Returns whether the row ends a page.
inline bool CheckJapaneseText(const std::string& text, int lineNo, ScriptKind kind,
                              std::vector<ScriptProblem>& problems) {
    const int maxChars = MaxRowCharacters(kind);
    bool pageEnd = false;
    int characters = 0;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == 'C' && i + 1 == text.size()) {
            pageEnd = true;
            break;
        }
        if (!IsLead(c)) {
            problems.push_back({lineNo, "single-byte character at text byte " + std::to_string(i) +
                                            ": the text holds double-byte characters, then \"C\""});
            break;
        }
        if (i + 1 >= text.size()) {
            problems.push_back({lineNo, "odd number of text bytes: a lead byte without its partner"});
            break;
        }
        if (!IsTrail(static_cast<unsigned char>(text[i + 1]))) {
            problems.push_back({lineNo, "broken Shift-JIS character at text byte " + std::to_string(i)});
            break;
        }
        i += 2;
        characters++;
    }
    if (characters > maxChars)
        problems.push_back({lineNo, std::to_string(characters) + " characters are " +
                                        std::to_string(characters * CHECK_GLYPH_PX) + " px wide; the box holds " +
                                        std::to_string(maxChars) + " characters"});
    return pageEnd;
}

inline bool IsPrintableAscii(const std::string& bytes, size_t* bad) {
    for (size_t i = 0; i < bytes.size(); i++)
        if (bytes[i] < 0x20 || bytes[i] > 0x7E) {   // char may be signed: bytes from 0x80 are negative
            *bad = i;
            return false;
        }
    return true;
}

// An English text. The typewriter copies two bytes a frame and tests only the
// byte at each even offset for the page marker "C", the line end and (at
// offset 0) the end marker "X", so the bytes before the closing "C" must be
// even in number, hold no "C" at an even offset, and not start with "X". The
// row, and the blinking dot after a page's last row, must end by x 590.
// Returns whether the row ends a page.
inline bool CheckEnglishText(const std::string& text, int lineNo, ScriptKind kind, const TextWidth& width,
                             std::vector<ScriptProblem>& problems) {
    const bool pageEnd = !text.empty() && text.back() == 'C';
    const std::string body = pageEnd ? text.substr(0, text.size() - 1) : text;
    size_t bad = 0;
    if (!IsPrintableAscii(text, &bad)) {
        problems.push_back({lineNo, "text byte " + std::to_string(bad) +
                                        " is not printable ASCII: English texts hold plain ASCII only"});
        return pageEnd;
    }
    if (body.size() % 2 != 0)
        problems.push_back({lineNo, pageEnd ? "odd number of bytes before the final \"C\": the typewriter steps over "
                                              "it (rephrase, or pad with a space)"
                                            : "odd number of text bytes: the typewriter steps over the line end "
                                              "(rephrase, or pad with a space)"});
    if (!text.empty() && text[0] == 'X')
        problems.push_back({lineNo, "\"X\" as the first text byte ends the script at this row"});
    for (size_t i = 0; i < body.size(); i += 2)
        if (body[i] == 'C')
            problems.push_back({lineNo, "\"C\" at even text byte " + std::to_string(i) +
                                            " ends the page there (rephrase, or shift it by a space)"});
    if (width) {
        const int limit = EnglishRowWidth(kind);
        const int used = width(body) + (pageEnd ? width(".") : 0);
        if (used > limit)
            problems.push_back({lineNo, "the row is " + std::to_string(used) + " px wide" +
                                            (pageEnd ? " with the blinking dot" : "") + "; the box holds " +
                                            std::to_string(limit) + " px"});
    }
    return pageEnd;
}

} // namespace script_check

// Checks a script already in Shift-JIS. With crlf the lines must end with
// CR LF as the game's line reader needs; without, LF or CR LF (a source).
// English scripts need `width`, the menu font's measure, to check row widths.
inline std::vector<ScriptProblem> CheckScriptBytes(const std::string& sjis, ScriptKind kind, bool crlf,
                                                   ScriptLanguage language = ScriptLanguage::Japanese,
                                                   const TextWidth& width = {}) {
    using namespace script_check;
    const bool english = language == ScriptLanguage::English;
    std::vector<ScriptProblem> problems;
    int rows = 0, pageRows = 0, lastRowLine = 0;
    size_t start = 0;
    int lineNo = 0;
    if (sjis.empty()) problems.push_back({0, "the file is empty"});
    else if (sjis.back() != '\n') problems.push_back({0, "the file does not end with a line feed"});
    if (english && !width) problems.push_back({0, "no menu font to measure the English rows with"});
    while (start < sjis.size()) {
        lineNo++;
        size_t end = sjis.find('\n', start);
        if (end == std::string::npos) end = sjis.size();
        std::string line = sjis.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        else if (crlf && end < sjis.size()) problems.push_back({lineNo, "the line ends without CR LF"});
        if (line.empty()) {
            problems.push_back({lineNo, "blank line"});
            continue;
        }
        if (line[0] == '/') continue;

        const size_t comma = line.find(',');
        const size_t slash = line.find('/');
        if (slash != std::string::npos && (comma == std::string::npos || slash < comma)) {
            problems.push_back({lineNo, "\"/\" inside the speaker name starts a comment"});
            continue;
        }
        if (comma == std::string::npos) {
            problems.push_back({lineNo, "no \",\" after the speaker name"});
            continue;
        }
        if (comma > CHECK_NAME_BYTES) {
            problems.push_back({lineNo, "the speaker name has " + std::to_string(comma) + " bytes, at most 49"});
            continue;
        }
        const std::string name = line.substr(0, comma);
        size_t bad = 0;
        if (english && !IsPrintableAscii(name, &bad))
            problems.push_back({lineNo, "the speaker name holds a byte that is not printable ASCII"});
        else if (english && width && width(name) > EnglishRowWidth(kind))
            problems.push_back({lineNo, "the speaker name is wider than the box"});
        for (size_t i = 0; i < comma && !english; i++) {
            const unsigned char c = static_cast<unsigned char>(line[i]);
            if (IsLead(c)) {
                if (i + 1 >= comma || !IsTrail(static_cast<unsigned char>(line[i + 1]))) {
                    problems.push_back({lineNo, "the speaker name holds a broken Shift-JIS character"});
                    break;
                }
                i++;
            } else if (c < 0x20 || c >= 0x80) {
                problems.push_back({lineNo, "the speaker name holds a control or half-width kana byte"});
                break;
            }
        }

        RowCursor cur{line, comma + 1, lineNo, &problems};
        if (kind == ScriptKind::Story) {
            cur.Digit("background", 2);
            cur.Digit("column 3", 9);
            for (int k = 0; k < 3 && cur.ok; k++) {
                const std::string slot = "slot " + std::to_string(k) + " ";
                const int visible = cur.Digit((slot + "visible").c_str(), 1);
                cur.Digit((slot + "lit").c_str(), 1);
                const int expression = cur.Digit((slot + "expression").c_str(), 9);
                if (cur.ok && visible == 1 && expression >= PortraitCount(kind, k))
                    cur.Note(slot + "expression " + std::to_string(expression) + ": character " + std::to_string(k) +
                               " has " + std::to_string(PortraitCount(kind, k)) + " portraits");
                cur.Digit((slot + "column 4").c_str(), 9);
                cur.Number((slot + "x").c_str());
                cur.Number((slot + "y").c_str());
            }
        } else {
            for (int k = 0; k < 2 && cur.ok; k++) {
                const std::string slot = "slot " + std::to_string(k) + " ";
                cur.Digit((slot + "column 1").c_str(), 9);
                const int shown = cur.Digit((slot + "shown").c_str(), 1);
                const int expression = cur.Digit((slot + "expression").c_str(), 9);
                if (cur.ok && shown == 1 && expression >= PortraitCount(kind, k))
                    cur.Note(slot + "expression " + std::to_string(expression) + ": character " + std::to_string(k) +
                               " has " + std::to_string(PortraitCount(kind, k)) + " portraits");
                cur.Digit((slot + "column 4").c_str(), 9);
            }
        }
        rows++;
        lastRowLine = lineNo;
        if (rows > CHECK_MAX_ROWS) problems.push_back({lineNo, "more than 99 rows: the game stops reading before this row"});
        if (!cur.ok) continue;

        const std::string text = line.substr(cur.pos);
        if (text.empty()) problems.push_back({lineNo, "empty text"});
        if (text.size() > CHECK_TEXT_BYTES)
            problems.push_back({lineNo, "the text has " + std::to_string(text.size()) + " bytes, at most 255"});
        const bool pageEnd = english ? CheckEnglishText(text, lineNo, kind, width, problems)
                                     : CheckJapaneseText(text, lineNo, kind, problems);
        pageRows++;
        if (pageRows == CHECK_PAGE_ROWS + 1)
            problems.push_back({lineNo, "a page of more than 5 rows (the previous rows have no \"C\")"});
        if (pageEnd) pageRows = 0;
    }
    if (rows == 0) problems.push_back({0, "no rows"});
    else if (pageRows > 0) problems.push_back({lastRowLine, "the last page does not end with \"C\""});
    return problems;
}

// Turns a UTF-8 source into Shift-JIS (CP932) line by line, reporting each
// line holding a character that Shift-JIS lacks. False when any line failed.
inline bool Utf8ToShiftJis(const std::string& utf8, std::string* sjis, std::vector<ScriptProblem>* problems) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        problems->push_back({0, "iconv has no UTF-8 to CP932 conversion"});
        return false;
    }
    bool ok = true;
    sjis->clear();
    size_t start = 0;
    int lineNo = 0;
    while (start < utf8.size()) {
        lineNo++;
        size_t end = utf8.find('\n', start);
        end = end == std::string::npos ? utf8.size() : end + 1;
        std::string in = utf8.substr(start, end - start);
        start = end;
        std::string out(in.size() * 2 + 4, '\0');
        char* inPtr = in.data();
        size_t inLeft = in.size();
        char* outPtr = out.data();
        size_t outLeft = out.size();
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
            problems->push_back({lineNo, "a character that Shift-JIS (CP932) cannot hold, or broken UTF-8, at byte " +
                                             std::to_string(in.size() - inLeft)});
            ok = false;
            continue;
        }
        sjis->append(out.data(), out.size() - outLeft);
    }
    iconv_close(cd);
    return ok;
}

// Checks a UTF-8 source as the build converts it.
inline std::vector<ScriptProblem> CheckScriptSource(const std::string& utf8, ScriptKind kind,
                                                    ScriptLanguage language = ScriptLanguage::Japanese,
                                                    const TextWidth& width = {}) {
    std::vector<ScriptProblem> problems;
    std::string sjis;
    if (!Utf8ToShiftJis(utf8, &sjis, &problems)) return problems;
    return CheckScriptBytes(sjis, kind, false, language, width);
}
