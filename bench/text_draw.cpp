// Cost of the game's text: a full story page (5 rows of 20 full-width
// characters in the 20-pixel story font, anti-aliased and edged) drawn from a
// warm glyph cache, the menu lines, TextWidthFontFmt, and a page drawn with a
// cold cache (font made, page drawn, font deleted).
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"

namespace {

const char* const PAGE[5] = {
    "遠い昔、銀河の果てに小さな星があった。その星には",
    "穏やかな海と緑の大地が広がり、人々は平和に暮らし",
    "ていた。だがある日、空を覆う黒い艦隊が現れ、街は",
    "次々と炎に包まれていった。残された最後の希望は、",
    "試作戦闘機ヴォルタリスと一人の若きパイロットだけ",
};

// The framework on the headless platform, started by the first benchmark that runs.
void StartFramework() {
    static bool started = false;
    if (started) return;
    started = true;
    HeadlessSelect();
    FrameworkInit();
    SetDrawTarget(-2);
    std::atexit([] { FrameworkEnd(); });
}

int StoryFont() { return CreateFontToHandle("HGPｺﾞｼｯｸE", 20, 2, 3, -1, -1, 0, -1, -1); }

void DrawPage(int font) {
    const int white = MakeColor(255, 255, 255);
    for (int row = 0; row < 5; row++) DrawTextFontFmt(40, 340 + row * 26, white, font, "%s", PAGE[row]);
}

void BM_StoryPageWarm(benchmark::State& state) {
    StartFramework();
    int font = StoryFont();
    DrawPage(font);
    for (auto _ : state) DrawPage(font);
    state.SetItemsProcessed(state.iterations() * 100);   // characters
    DeleteFontHandle(font);
}
BENCHMARK(BM_StoryPageWarm);

void BM_StoryPageColdCache(benchmark::State& state) {
    StartFramework();
    for (auto _ : state) {
        int font = StoryFont();
        DrawPage(font);
        DeleteFontHandle(font);
    }
}
BENCHMARK(BM_StoryPageColdCache)->Unit(benchmark::kMillisecond);

void BM_MenuLines(benchmark::State& state) {
    StartFramework();
    int font = CreateFontToHandle("HGPｺﾞｼｯｸE", 15, 2, 3, -1, -1, 0, -1, -1);
    const char* lines[3] = {"ゲームを再開する", "タイトルに戻る", "ゲームを終了する"};
    for (auto _ : state)
        for (int i = 0; i < 3; i++)
            DrawTextFontFmt(320 - TextWidthFontFmt(font, "%s", lines[i]) / 2, 200 + i * 24, 0xFFFF, font, "%s",
                            lines[i]);
    DeleteFontHandle(font);
}
BENCHMARK(BM_MenuLines);

void BM_TextWidthRow(benchmark::State& state) {
    StartFramework();
    int font = StoryFont();
    TextWidthFontFmt(font, "%s", PAGE[0]);
    for (auto _ : state) benchmark::DoNotOptimize(TextWidthFontFmt(font, "%s", PAGE[0]));
    DeleteFontHandle(font);
}
BENCHMARK(BM_TextWidthRow);

void BM_ScoreLineDefaultFont(benchmark::State& state) {
    StartFramework();
    for (auto _ : state) DrawTextFmt(10, 10, 0xFFFF, "SCORE %09d  [%.1f]", 1234567, 60.0);
}
BENCHMARK(BM_ScoreLineDefaultFont);

} // namespace

BENCHMARK_MAIN();
