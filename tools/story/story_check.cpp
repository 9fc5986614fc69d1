// story_check: reports every problem of story and map-story scripts as
// "file:line: message" and exits 1 when there is any. Sources are UTF-8;
// --sjis checks built Shift-JIS files (CR LF lines). The file name picks the
// format: "madv*" is a map story, anything else a prologue/epilogue script;
// a script in a folder named "en" is English and its rows are measured in
// the English menu font (DejaVu Sans Bold, 15 pixels).
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "tools/story/menu_font.h"
#include "tools/story/script_check.h"

int main(int argc, char** argv) {
    bool sjis = false;
    int files = 0, failed = 0;
    MenuFontWidth font;
    bool fontTried = false, fontOpen = false;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--sjis") == 0) {
            sjis = true;
            continue;
        }
        files++;
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "%s: cannot be read\n", argv[i]);
            failed++;
            continue;
        }
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const ScriptKind kind = KindForPath(argv[i]);
        const ScriptLanguage language = LanguageForPath(argv[i]);
        TextWidth width;
        if (language == ScriptLanguage::English) {
            if (!fontTried) {
                std::string why;
                fontTried = true;
                fontOpen = font.Open(&why);
                if (!fontOpen) std::fprintf(stderr, "story_check: the English menu font: %s\n", why.c_str());
            }
            if (fontOpen) width = [&font](const std::string& text) { return font(text); };
        }
        const std::vector<ScriptProblem> problems = sjis ? CheckScriptBytes(bytes, kind, true, language, width)
                                                         : CheckScriptSource(bytes, kind, language, width);
        for (const ScriptProblem& p : problems) std::fprintf(stderr, "%s:%d: %s\n", argv[i], p.line, p.message.c_str());
        if (!problems.empty()) failed++;
    }
    if (files == 0) {
        std::fprintf(stderr, "usage: story_check [--sjis] script.csv... (scripts under en/ are English)\n");
        return 2;
    }
    return failed == 0 ? 0 : 1;
}
