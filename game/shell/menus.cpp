// Menus. The text menus share RunMenu; each choice is made with Shot and sets
// fucn_state. The pause backdrop is one 640×480 image made on the first capture
// and reused by every later one, so pausing never fills the image table.
#include "game/shell/menus.h"

#include <algorithm>
#include <cmath>

#include "framework/framework.h"
#include "game/common/game_state.h"
#include "game/player/boss.h"
#include "game/player/charge.h"
#include "game/player/player.h"
#include "game/shell/hooks.h"
#include "game/text/texts.h"
#include "game/common/assets.h"
#include "game/common/pad.h"

namespace {

enum { MAX_ITEMS = 52, MAX_CONTINUES = 3 };

struct Menus {
    int titleCursor;
    int storyPauseCursor;
    int playPauseCursor;
    int continueCursor;
    double swayX;
    double swayT;
    int backdrop = -1;
};

Menus g_menus;


// The features' points (game/shell/hooks.h).
void OnRunEnded(RunEnd how) {
    if (InstalledShellHooks().runEnded) InstalledShellHooks().runEnded(how);
}

int GameOverScene(int designed) {
    const ShellHooks& h = InstalledShellHooks();
    return h.gameOverScene ? h.gameOverScene(designed) : designed;
}

void DrawMenuExtras(int scene) {
    if (InstalledShellHooks().drawMenuExtras) InstalledShellHooks().drawMenuExtras(scene);
}

int BarColor() { return MakeColor(32, 0, 48); }

void DrawCentred(int font, int y, const char* text) {
    const int w = TextWidthFontFmt(font, "%s", text);
    DrawTextFontFmt(320 - w / 2, y, g_assets.white, font, "%s", text);
}

void CaptureBackdrop() {
    if (g_menus.backdrop == -1) g_menus.backdrop = MakeOffscreenImage(640, 480, 0);
    CaptureScreenToImage(0, 0, 640, 480, g_menus.backdrop, 1);
}

// A menu opens over play: the frozen picture is taken and the charge hum stops
// with the play frames.
void OpenMenuOverPlay(int scene) {
    CaptureBackdrop();
    StopChargeHum();
    fucn_state = scene;
}

// Each text menu's step tells whether Shot made a choice this frame: a choice
// ends the menu's frame, so a Pause pressed with it cannot undo it.
bool StepStoryPauseMenu() {
    const char* const items[] = {Text(TEXT_BACK_TO_TITLE), Text(TEXT_QUIT), ""};
    RunMenu(items, Text(TEXT_PAUSED), &g_menus.storyPauseCursor);
    DrawMenuExtras(SCENE_STORY_PAUSE);
    if (!PadPressed(PadConfig.shot)) return false;
    switch (g_menus.storyPauseCursor) {
    case 0: fucn_state = SCENE_TITLE_FADE; break;
    case 1: scene_timer = 0; fucn_state = SCENE_QUIT; break;
    default: ScreenPrintF("不明なメニューが選択されました\n"); break;
    }
    g_menus.storyPauseCursor = 0;
    return true;
}

bool StepPlayPauseMenu() {
    const char* const items[] = {Text(TEXT_RESUME), Text(TEXT_BACK_TO_TITLE), Text(TEXT_QUIT), ""};
    RunMenu(items, Text(TEXT_PAUSED), &g_menus.playPauseCursor);
    DrawMenuExtras(SCENE_PLAY_PAUSE);
    if (!PadPressed(PadConfig.shot)) return false;
    switch (g_menus.playPauseCursor) {
    case 0: fucn_state = SCENE_PLAY; break;
    case 1: ClearBossBullets(); OnRunEnded(RUN_RETURNED); fucn_state = SCENE_TITLE_RESET; break;
    case 2: OnRunEnded(RUN_QUIT); scene_timer = 0; fucn_state = SCENE_QUIT; break;
    default: ScreenPrintF("不明なメニューが選択されました\n"); break;
    }
    g_menus.playPauseCursor = 0;
    return true;
}

bool StepContinueMenu(int resumeScene) {
    int& cursor = g_menus.continueCursor;
    const char* const items[] = {Text(TEXT_YES), Text(TEXT_NO), ""};
    RunMenu(items, Text(TEXT_CONTINUE_QUESTION), &cursor);
    const int left = MAX_CONTINUES - player.continues;
    if (left != 0) {
        const int w = TextWidthFontFmt(g_assets.fontMenu, Text(TEXT_CONTINUES_LEFT), left);
        DrawTextFontFmt(320 - w / 2, 240, g_assets.white, g_assets.fontMenu, Text(TEXT_CONTINUES_LEFT), left);
    } else {
        DrawCentred(g_assets.fontMenu, 240, Text(TEXT_NO_CONTINUES_LEFT));
    }
    if (left <= 0 && cursor == 0) cursor = 1;
    DrawCentred(g_assets.fontMenu, 260, Text(TEXT_CONTINUE_NOT_SAVED));
    DrawMenuExtras(SCENE_CONTINUE);
    if (!PadPressed(PadConfig.shot)) return false;
    switch (cursor) {
    case 0:
        player.continues++;
        player.lives = 3;
        fucn_state = resumeScene;
        break;
    case 1:
        ClearBossBullets();
        OnRunEnded(RUN_GAME_OVER);
        fucn_state = SCENE_TITLE_RESET;
        break;
    default:
        ScreenPrintF("不明なメニューが選択されました");
        break;
    }
    cursor = 0;
    return true;
}

} // namespace

void ResetMenus(void) {
    g_menus = Menus{};
}

void ResetPauseCursors(void) {
    g_menus.storyPauseCursor = g_menus.playPauseCursor = g_menus.continueCursor = 0;
}

int PauseBackdrop(void) { return g_menus.backdrop; }

int TitleCursor(void) { return g_menus.titleCursor; }

void DrawPauseBackdrop(void) { DrawImageAt(0, 0, g_menus.backdrop, 0); }

void RunMenu(const char* const* items, const char* title, int* cursor) {
    SetBlendMode(1, 80);
    DrawRect(0, 0, 640, 480, g_assets.red, 1);
    SetBlendMode(0, 0);
    DrawCentred(g_assets.fontMenuTitle, 160, title);

    int n = 0, widest = 0;
    while (n < MAX_ITEMS && items[n][0] != 0) {
        const int w = TextWidthFontFmt(g_assets.fontMenu, "%s", items[n]);
        if (w > widest) widest = w;
        n++;
    }
    if (PadPressed(PadConfig.up)) *cursor = *cursor > 0 ? *cursor - 1 : n - 1;
    if (PadPressed(PadConfig.down)) *cursor = *cursor < n - 1 ? *cursor + 1 : 0;

    const int left = 320 - widest / 2;
    const int y = 190 + 20 * *cursor;
    SetBlendMode(1, 100);
    DrawRect(left - 10, y, left + widest + 10, y + 18, BarColor(), 1);
    SetBlendMode(0, 0);
    for (int k = 0; k < n; k++) DrawCentred(g_assets.fontMenu, 190 + 20 * k, items[k]);
}

namespace {

// The designed title entries, first and last; the features' entries come
// between them (game/shell/hooks.h).
void ChooseStart() {
    PlaySoundHandle(g_assets.se[SE_START], 0, 1);
    fucn_state = SCENE_PROLOGUE_LOAD;
}

void ChooseEnd() {
    scene_timer = 0;
    fucn_state = SCENE_QUIT;
}

int TitleEntryCount() { return 2 + InstalledShellHooks().titleEntryCount; }

int TitleEntryImage(int i) {
    if (i == 0) return g_assets.titleMenu[0];
    if (i == TitleEntryCount() - 1) return g_assets.titleMenu[1];
    return InstalledShellHooks().titleEntries[i - 1].image();
}

void ChooseTitleEntry(int i) {
    if (i == 0) ChooseStart();
    else if (i == TitleEntryCount() - 1) ChooseEnd();
    else InstalledShellHooks().titleEntries[i - 1].choose();
}

// Top of entry i of n. Two entries stand 70 pixels apart from y = 330, as
// designed. More keep that spacing while they fit, the last where the
// designed second stands; when they do not, the stack grows down to the
// screen's foot (the last button's pill ends 5 pixels above it) and then
// closes up, five entries still leaving a gap between the 50-pixel pills. The
// first never rises above y = 200, clear of the logo's subtitle (which ends
// near y = 190) even when lifted by the cursor.
int TitleEntryY(int i, int n) {
    enum { FIRST_TOP = 200, DESIGNED_LAST_TOP = 400, LOWEST_LAST_TOP = 420, DESIGNED_STEP = 70 };
    if (n <= 2) return 330 + DESIGNED_STEP * i;
    const int step = std::min<int>(DESIGNED_STEP, (LOWEST_LAST_TOP - FIRST_TOP) / (n - 1));
    const int last = std::clamp<int>(FIRST_TOP + step * (n - 1), DESIGNED_LAST_TOP, LOWEST_LAST_TOP);
    return last - step * (n - 1 - i);
}

} // namespace

int TitleEntries(void) { return TitleEntryCount(); }

void StepTitleScreen(void) {
    DrawImageAt(0, 0, g_assets.titleBack, 1);
    DrawImageAt(240, 0, g_assets.titleHeroine, 1);
    DrawImageAt(static_cast<int>(g_menus.swayX), 0, g_assets.titleLogo, 1);
    g_menus.swayX += 0.05 * std::sin(g_menus.swayT * 0.010471975511966);
    g_menus.swayT += 1;

    int& cursor = g_menus.titleCursor;
    const int n = TitleEntryCount();
    if (cursor >= n) cursor = n - 1;
    for (int i = 0; i < n; i++) {
        const int image = TitleEntryImage(i);
        int w = 0, h = 0;
        GetImageSize(image, &w, &h);
        const int y = TitleEntryY(i, n);
        SetDrawBrightness(128, 128, 128);
        DrawImageAt(120 - w / 2, y, image, 1);
        if (i == cursor) {
            SetDrawBrightness(255, 255, 255);
            DrawImageAt(120 - w / 2, y - 2, image, 1);
        }
    }
    SetDrawBrightness(255, 255, 255);
    DrawMenuExtras(SCENE_TITLE);

    if (PadPressed(PadConfig.up)) {
        cursor = cursor > 0 ? cursor - 1 : n - 1;
        PlaySoundHandle(g_assets.se[SE_CURSOR], 1, 1);
    }
    if (PadPressed(PadConfig.down)) {
        cursor = cursor < n - 1 ? cursor + 1 : 0;
        PlaySoundHandle(g_assets.se[SE_CURSOR], 1, 1);
    }
    if (PadPressed(PadConfig.shot)) ChooseTitleEntry(cursor);
}

void StepMenuDispatcher(void) {
    switch (fucn_state) {
    case SCENE_PROLOGUE:
        if (PadPressed(PadConfig.pause)) {
            CaptureBackdrop();
            fucn_state = SCENE_STORY_PAUSE;
        }
        break;
    case SCENE_PLAY:
        if (PadPressed(PadConfig.pause)) OpenMenuOverPlay(SCENE_PLAY_PAUSE);
        if (player.lives < 0) OpenMenuOverPlay(GameOverScene(SCENE_CONTINUE));
        break;
    case SCENE_STORY_PAUSE:
        if (!StepStoryPauseMenu() && PadPressed(PadConfig.pause)) fucn_state = SCENE_PROLOGUE;
        break;
    case SCENE_PLAY_PAUSE:
        if (!StepPlayPauseMenu() && PadPressed(PadConfig.pause)) fucn_state = SCENE_PLAY;
        break;
    case SCENE_CONTINUE:
        StepContinueMenu(SCENE_PLAY);
        break;
    default:
        break;
    }
}
