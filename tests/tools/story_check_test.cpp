// The story script checker: good scripts pass, and each kind of fault is
// reported on its own line with the rule it breaks, in Japanese and English
// scripts.
#include <gtest/gtest.h>

#include <string>

#include "tools/story/menu_font.h"
#include "tools/story/script_check.h"

namespace {

const char* kSlots = "0,0,1,1,0,0,150,250,0,0,0,0,490,250,0,0,0,0,320,220";

std::string Row(const std::string& text, const std::string& name = "ナル", const char* cols = kSlots) {
    return name + "," + cols + "," + text + "\r\n";
}

std::string MapRow(const std::string& text, const char* cols = "0,1,0,0,0,0,0,0") {
    return std::string("ナル,") + cols + "," + text + "\r\n";
}

std::string EnRow(const std::string& text, const std::string& name = "Nalu") { return Row(text, name); }

std::string EnMapRow(const std::string& text) { return "Sela,0,0,0,0,0,1,2,0," + text + "\r\n"; }

// "line: message" of each problem, for compact comparisons.
std::vector<std::string> Lines(const std::vector<ScriptProblem>& problems) {
    std::vector<std::string> out;
    for (const ScriptProblem& p : problems) out.push_back(std::to_string(p.line) + ": " + p.message);
    return out;
}

bool Has(const std::vector<ScriptProblem>& problems, int line, const std::string& part) {
    for (const ScriptProblem& p : problems)
        if (p.line == line && p.message.find(part) != std::string::npos) return true;
    return false;
}

} // namespace

TEST(StoryCheck, GoodScriptsPass) {
    const std::string story = "/ comment\r\n" + Row("あいうえお") + Row("かきくけこC") + Row("C", "") +
                              Row("さしすせそC", "セラ", "1,0,0,0,0,0,0,0,1,1,2,0,490,250,1,0,1,0,-20,9999");
    EXPECT_TRUE(CheckScriptBytes(story, ScriptKind::Story, true).empty()) << testing::PrintToString(
        Lines(CheckScriptBytes(story, ScriptKind::Story, true)));
    const std::string map = MapRow("あいC") + MapRow("うC", "0,0,0,0,0,1,2,0");
    EXPECT_TRUE(CheckScriptBytes(map, ScriptKind::Map, true).empty())
        << testing::PrintToString(Lines(CheckScriptBytes(map, ScriptKind::Map, true)));
}

TEST(StoryCheck, PageAndRowLimits) {
    // A page of six rows: reported at its sixth row.
    std::string six;
    for (int i = 0; i < 5; i++) six += Row("あ");
    six += Row("いC");
    auto p = CheckScriptBytes(six, ScriptKind::Story, true);
    EXPECT_EQ(p.size(), 1u) << testing::PrintToString(Lines(p));
    EXPECT_TRUE(Has(p, 6, "more than 5 rows"));

    // Five rows are fine.
    std::string five;
    for (int i = 0; i < 4; i++) five += Row("あ");
    five += Row("いC");
    EXPECT_TRUE(CheckScriptBytes(five, ScriptKind::Story, true).empty());

    // 100 rows: the hundredth is reported; 99 pass.
    std::string rows;
    for (int i = 0; i < 99; i++) rows += Row("あC");
    EXPECT_TRUE(CheckScriptBytes(rows, ScriptKind::Story, true).empty());
    rows = "/ c\r\n" + rows + Row("いC");
    p = CheckScriptBytes(rows, ScriptKind::Story, true);
    EXPECT_EQ(p.size(), 1u);
    EXPECT_TRUE(Has(p, 101, "more than 99 rows"));

    // A last page without "C".
    p = CheckScriptBytes(Row("あC") + Row("い") + Row("う"), ScriptKind::Story, true);
    EXPECT_EQ(p.size(), 1u);
    EXPECT_TRUE(Has(p, 3, "last page"));
}

TEST(StoryCheck, TextFaults) {
    auto p = CheckScriptBytes(Row("あいaC"), ScriptKind::Story, true);
    EXPECT_TRUE(Has(p, 1, "single-byte character at text byte 4"));
    p = CheckScriptBytes(Row(std::string("あ") + '\x82'), ScriptKind::Story, true);
    EXPECT_TRUE(Has(p, 1, "odd number of text bytes"));
    p = CheckScriptBytes(Row("あCいC"), ScriptKind::Story, true);
    EXPECT_TRUE(Has(p, 1, "single-byte character at text byte 2"));
    p = CheckScriptBytes(Row("XあC"), ScriptKind::Story, true);
    EXPECT_TRUE(Has(p, 1, "single-byte character at text byte 0"));
    p = CheckScriptBytes(Row("ｱC"), ScriptKind::Story, true);   // half-width kana is one byte
    EXPECT_TRUE(Has(p, 1, "single-byte"));
    p = CheckScriptBytes(Row(""), ScriptKind::Story, true);
    EXPECT_TRUE(Has(p, 1, "empty text"));

    std::string longText;
    for (int i = 0; i < 128; i++) longText += "あ";
    p = CheckScriptBytes(Row(longText + "C"), ScriptKind::Story, true);
    EXPECT_TRUE(Has(p, 1, "257 bytes, at most 255"));
}

TEST(StoryCheck, RowsWiderThanTheBox) {
    EXPECT_EQ(MaxRowCharacters(ScriptKind::Story), 33);
    EXPECT_EQ(MaxRowCharacters(ScriptKind::Map), 26);
    std::string t33, t26;
    for (int i = 0; i < 33; i++) t33 += "あ";
    for (int i = 0; i < 26; i++) t26 += "あ";
    EXPECT_TRUE(CheckScriptBytes(Row(t33 + "C"), ScriptKind::Story, true).empty());
    EXPECT_TRUE(Has(CheckScriptBytes(Row(t33 + "いC"), ScriptKind::Story, true), 1, "34 characters"));
    EXPECT_TRUE(CheckScriptBytes(MapRow(t26 + "C"), ScriptKind::Map, true).empty());
    EXPECT_TRUE(Has(CheckScriptBytes(MapRow(t26 + "いC"), ScriptKind::Map, true), 1, "27 characters"));
}

TEST(StoryCheck, ColumnFaults) {
    // 49-byte name passes, 50 bytes do not.
    EXPECT_TRUE(CheckScriptBytes(Row("あC", std::string(49, 'n')), ScriptKind::Story, true).empty());
    auto p = CheckScriptBytes(Row("あC", std::string(50, 'n')), ScriptKind::Story, true);
    EXPECT_TRUE(Has(p, 1, "50 bytes, at most 49"));

    p = CheckScriptBytes(Row("あC", "ナ/ル"), ScriptKind::Story, true);
    EXPECT_TRUE(Has(p, 1, "\"/\" inside the speaker name"));
    p = CheckScriptBytes("ナル\r\n", ScriptKind::Story, true);
    EXPECT_TRUE(Has(p, 1, "no \",\""));

    p = CheckScriptBytes(Row("あC", "n", "3,0,1,1,0,0,150,250,0,0,0,0,490,250,0,0,0,0,320,220"), ScriptKind::Story, true);
    EXPECT_TRUE(Has(p, 1, "background is 3, at most 2"));
    p = CheckScriptBytes(Row("あC", "n", "A,0,1,1,0,0,150,250,0,0,0,0,490,250,0,0,0,0,320,220"), ScriptKind::Story, true);
    EXPECT_TRUE(Has(p, 1, "background is not a digit"));
    p = CheckScriptBytes(Row("あC", "n", "0,0,1,1,4,0,150,250,1,1,3,0,490,250,1,1,2,0,320,220"), ScriptKind::Story, true);
    EXPECT_TRUE(Has(p, 1, "slot 0 expression 4: character 0 has 4 portraits"));
    EXPECT_TRUE(Has(p, 1, "slot 1 expression 3: character 1 has 3 portraits"));
    EXPECT_TRUE(Has(p, 1, "slot 2 expression 2: character 2 has 2 portraits"));
    // Hidden slots may hold any expression digit.
    EXPECT_TRUE(CheckScriptBytes(Row("あC", "n", "0,0,0,0,9,0,150,250,0,0,9,0,490,250,0,0,9,0,320,220"),
                                 ScriptKind::Story, true).empty());
    p = CheckScriptBytes(Row("あC", "n", "0,0,1,1,0,0,15000,250,0,0,0,0,490,250,0,0,0,0,320,220"), ScriptKind::Story, true);
    EXPECT_TRUE(Has(p, 1, "slot 0 x: 1 to 4 characters"));
    p = CheckScriptBytes(Row("あC", "n", "0;0,1,1,0,0,150,250,0,0,0,0,490,250,0,0,0,0,320,220"), ScriptKind::Story, true);
    EXPECT_TRUE(Has(p, 1, "background: one character then \",\""));
    p = CheckScriptBytes(MapRow("あC", "0,1,4,0,0,1,3,0"), ScriptKind::Map, true);
    EXPECT_TRUE(Has(p, 1, "slot 0 expression 4"));
    EXPECT_TRUE(Has(p, 1, "slot 1 expression 3"));
    p = CheckScriptBytes("ナル,0,1,0\r\n", ScriptKind::Map, true);
    EXPECT_TRUE(Has(p, 1, "the row ends inside the column slot 0 expression"));
    p = CheckScriptBytes(MapRow("あC", "0,1,0"), ScriptKind::Map, true);
    EXPECT_TRUE(Has(p, 1, "slot 0 column 4: one character then \",\" expected"));
}

TEST(StoryCheck, LineEndsAndFiles) {
    auto p = CheckScriptBytes(Row("あC") + "\r\n" + Row("いC"), ScriptKind::Story, true);
    EXPECT_EQ(p.size(), 1u);
    EXPECT_TRUE(Has(p, 2, "blank line"));
    const std::string lf = "ナル," + std::string(kSlots) + ",あC\n";
    EXPECT_TRUE(Has(CheckScriptBytes(lf + lf, ScriptKind::Story, true), 1, "CR LF"));
    EXPECT_TRUE(CheckScriptBytes(lf + lf, ScriptKind::Story, false).empty());
    EXPECT_TRUE(Has(CheckScriptBytes(lf.substr(0, lf.size() - 1), ScriptKind::Story, false), 0, "line feed"));
    EXPECT_TRUE(Has(CheckScriptBytes("", ScriptKind::Story, true), 0, "empty"));
    EXPECT_TRUE(Has(CheckScriptBytes("/ only a comment\r\n", ScriptKind::Story, true), 0, "no rows"));
    EXPECT_EQ(KindForPath("assets/story/madv_2.csv"), ScriptKind::Map);
    EXPECT_EQ(KindForPath("assets/story/adv1.csv"), ScriptKind::Story);
}

TEST(StoryCheck, SourcesAreUtf8AndMustFitShiftJis) {
    // The test program's literals are Shift-JIS; these are UTF-8.
    const std::string good = reinterpret_cast<const char*>(u8"/ 注釈\nナル,0,1,0,0,0,0,0,0,「こんにちは！」C\n");
    EXPECT_TRUE(CheckScriptSource(good, ScriptKind::Map).empty());
    std::string sjis;
    std::vector<ScriptProblem> problems;
    ASSERT_TRUE(Utf8ToShiftJis(good, &sjis, &problems));
    EXPECT_EQ(sjis, "/ 注釈\nナル,0,1,0,0,0,0,0,0,「こんにちは！」C\n");

    // An emoji has no Shift-JIS form: reported on its line.
    const std::string bad = reinterpret_cast<const char*>(u8"ナル,0,1,0,0,0,0,0,0,あC\nナル,0,1,0,0,0,0,0,0,🎵C\n");
    const auto p = CheckScriptSource(bad, ScriptKind::Map);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].line, 2);
    EXPECT_NE(p[0].message.find("Shift-JIS"), std::string::npos);
}

// English texts go through the same two-byte typewriter: each case is a script
// and the one problem it must raise ("" for none). Widths here are 10 px a
// byte, so the story box (540 px) holds 54 bytes, or 53 and the dot.
TEST(StoryCheck, EnglishRules) {
    const TextWidth tenPx = [](const std::string& text) { return 10 * static_cast<int>(text.size()); };
    const std::string a52(52, 'a'), a54(54, 'a'), a56(56, 'a'), a42(42, 'a'), a44(44, 'a');
    struct Case {
        ScriptKind kind;
        std::string script;
        const char* problem;
        int line;
    };
    const Case cases[] = {
        {ScriptKind::Story, EnRow("Hello!C", "Nalu"), "", 0},
        {ScriptKind::Story, EnRow("C", "") + EnRow("ABC"), "", 0},                 // final "C" at an even byte
        {ScriptKind::Story, EnRow("Yo Cats!C"), "", 0},                          // "C" at byte 3 is typed past
        {ScriptKind::Story, EnRow("ACC"), "", 0},
        {ScriptKind::Story, EnRow("Hi.C"), "odd number of bytes before the final", 1},
        {ScriptKind::Story, EnRow("Hello") + EnRow("okC"), "odd number of text bytes", 1},
        {ScriptKind::Story, EnRow("A Cat!C"), "\"C\" at even text byte 2 ends the page", 1},
        {ScriptKind::Story, EnRow("ok") + EnRow("Oh, Cats!!C"), "\"C\" at even text byte 4", 2},
        {ScriptKind::Story, EnRow("Xylophone!C"), "\"X\" as the first text byte", 1},
        {ScriptKind::Story, EnRow("ab\x82\xa0" "C"), "text byte 2 is not printable ASCII", 1},
        {ScriptKind::Story, EnRow("a\tbaC"), "text byte 1 is not printable ASCII", 1},
        {ScriptKind::Story, EnRow("\x82\xa0\x82\xa2" "C"), "text byte 0 is not printable ASCII", 1},
        {ScriptKind::Story, Row("HiC", "ナル"), "speaker name holds a byte that is not printable ASCII", 1},
        {ScriptKind::Story, EnRow(a54) + EnRow(a52 + "C"), "", 0},
        {ScriptKind::Story, EnRow(a56) + EnRow("okC"), "the row is 560 px wide; the box holds 540 px", 1},
        {ScriptKind::Story, EnRow(a54 + "C"), "the row is 550 px wide with the blinking dot", 1},
        {ScriptKind::Map, EnMapRow(a42) + EnMapRow("okC"), "", 0},
        {ScriptKind::Map, EnMapRow(a44 + "C"), "the row is 450 px wide with the blinking dot; the box holds 420", 1},
        {ScriptKind::Story, EnRow("ab") + EnRow("cd") + EnRow("ef") + EnRow("gh") + EnRow("ij") + EnRow("klC"),
         "a page of more than 5 rows", 6},
        {ScriptKind::Story, EnRow("abC") + EnRow("cd"), "the last page does not end with", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        const auto p = CheckScriptBytes(c.script, c.kind, true, ScriptLanguage::English, tenPx);
        if (c.problem[0] == 0) {
            EXPECT_TRUE(p.empty()) << testing::PrintToString(Lines(p));
        } else {
            EXPECT_EQ(p.size(), 1u) << testing::PrintToString(Lines(p));
            EXPECT_TRUE(Has(p, c.line, c.problem)) << testing::PrintToString(Lines(p));
        }
    }
    // The same texts under the Japanese rules fail, and an English check
    // without a font to measure with says so.
    EXPECT_TRUE(Has(CheckScriptBytes(Row("Hello!C"), ScriptKind::Story, true), 1, "single-byte character"));
    EXPECT_TRUE(Has(CheckScriptBytes(Row("Hello!C"), ScriptKind::Story, true, ScriptLanguage::English), 0,
                    "no menu font"));

    EXPECT_EQ(LanguageForPath("assets/story/en/madv_2.csv"), ScriptLanguage::English);
    EXPECT_EQ(KindForPath("assets/story/en/madv_2.csv"), ScriptKind::Map);
    EXPECT_EQ(LanguageForPath("dat/csv/adv1.csv"), ScriptLanguage::Japanese);
    EXPECT_EQ(LanguageForPath("en/adv1.csv"), ScriptLanguage::English);
    EXPECT_EQ(LanguageForPath("en.csv"), ScriptLanguage::Japanese);
    EXPECT_EQ(LanguageForPath("dat/csv/men/adv1.csv"), ScriptLanguage::Japanese);
}

// The English rows are measured as the game's text drawing measures them: the
// bold face itself at 15 px, whole-pixel advances added up, no kerning.
TEST(StoryCheck, EnglishMenuFontMeasuresLikeTheGame) {
    MenuFontWidth font;
    std::string why;
    ASSERT_TRUE(font.Open(&why)) << why;
    EXPECT_NE(font.Path().find("DejaVuSans-Bold"), std::string::npos) << font.Path();
    EXPECT_EQ(font("a"), 10);
    EXPECT_EQ(font("Great Octopus"), 121);
    EXPECT_EQ(font("AV"), font("A") + font("V"));   // the face kerns this pair; the game does not
    EXPECT_EQ(font(std::string(54, 'a')), 540);
    EXPECT_EQ(font("\x82\xa0"), 2 * font("W"));      // a stray byte never shortens a row
}
