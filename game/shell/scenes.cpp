// The scene machine: one step per frame for the scene named by fucn_state.
// A scene that leads on at once changes fucn_state in the same frame; the new
// scene's step runs on the next frame.
#include <cstring>

#include "framework/framework.h"
#include "game/extensions.h"
#include "game/game_state.h"
#include "game/enemy/enemy.h"
#include "game/enemy/items.h"
#include "game/enemy/shots.h"
#include "game/player/boss.h"
#include "game/player/charge.h"
#include "game/player/collision.h"
#include "game/player/options.h"
#include "game/player/shots.h"
#include "game/player/player.h"
#include "game/shell/assets.h"
#include "game/shell/menus.h"
#include "game/shell/music.h"
#include "game/shell/pad.h"
#include "game/shell/pacing.h"
#include "game/shell/playfield.h"
#include "game/story/map_story.h"
#include "game/story/story.h"

int fucn_state;
int scene_timer;
int frame_counter;
int fade_brightness;
int fade_counter;
int stage_number;

namespace {

void DrawWhole(int image) { DrawImageAt(0, 0, image, 0); }

void SetFade(int b) { SetDrawBrightness(b, b, b); }

// Advances the stage clock unless a boss fight holds it.
void TickStageClock() {
    if (boss.state == 0) scene_timer++;
}

// A play-field frame of the stage-clear sequence.
void PlayFieldFrame() {
    UpdatePlayerState();
    MoveItems();
    DrawPlayField();
    DrawFrameRate();
}

void StepStageCard() {
    DrawTextFontFmt((640 - TextWidthFontFmt(g_assets.fontMenu, "stage%d", stage_number + 1)) / 2, 240,
                    g_assets.white, g_assets.fontMenu, "stage%d", stage_number + 1);
    scene_timer++;
    if (scene_timer == 100) {
        scene_timer = 0;
        fucn_state = 30;
    }
}

// One frame of play: the logic, then the drawing, then the stage clock.
void StepPlay() {
    UpdatePlayFrame();
    DrawPlayField();
    DrawFrameRate();
    DrawHud();
    TickStageClock();
    if (scene_timer == boss.endTime + 100) {
        // The stage is cleared: the charge ends here, hum and all, without firing.
        DropCharge();
        fucn_state = 31;
    }
}

void StepEnding() {
    StepLogoFade(0);
    if (fucn_state == 0) OnRunEnded(RUN_CLEARED);
    const int width = TextWidthFontFmt(g_assets.fontPop, "おわり");
    DrawTextFontFmt(320 - width / 2, 240, g_assets.white, g_assets.fontPop, "おわり");
}

} // namespace

void UpdatePlayFrame(void) {
    UpdatePlayerState();
    MovePlayer();
    UpdateShots();
    MoveChargeShot();
    UpdateCharge();
    UpdateOptions();
    SpawnEnemies();
    UpdateEnemies();
    UpdateEnemyShots();
    UpdateBoss();
    MoveBoss();
    UpdateBossTail();
    JudgeCollisions();
    UpdateBursts();
    UpdateEffects();
    MoveItems();
}

void ResetToTitle(void) {
    StopSoundHandle(MusicHandle());
    StopSoundHandle(g_assets.se[SE_CHARGE]);
    ResetMusic();
    ResetPadConfig();
    ResetShotGraphics();
    SetPlayerTitlePosition();
    fade_brightness = 0;
    fade_counter = 0;
}

void ResetNewGame(void) {
    ResetPlayerNewGame();
    ResetBurstsNewGame();
    ResetScrollCounter();
    stage_number = 0;
    fade_counter = 0;
    fade_brightness = 255;
}

void ResetStage(void) {
    ResetEnemiesStage();
    ResetBossStage();
    ResetShotGroupsStage();
    ResetEffectsStage();
    ResetItemsStage();
    ResetPlayerStage();
    scene_timer = 1;
    fade_brightness = 255;
}

void StepLogoFade(int exitScene) {
    const int n = fade_counter;
    if (n >= 0 && n < 128) {
        SetFade(fade_brightness);
        fade_brightness += 2;
    } else if (n >= 128 && n < 278) {
        SetFade(255);
    } else if (n >= 278 && n < 406) {
        SetFade(fade_brightness);
        fade_brightness -= 2;
    }
    fade_counter++;
    if (CheckStatePad(PadConfig.shot) == 1) {
        fade_counter = 500;
        fucn_state = exitScene;
        fade_brightness = 255;
    } else if (fade_counter == 500) {
        fucn_state = exitScene;
        fade_brightness = 255;
    }
}

bool RunScene(void) {
    switch (fucn_state) {
    case 0:
        ResetToTitle();
        fucn_state = 1;
        break;
    case 1:
        StepLogoFade(9);
        DrawWhole(g_assets.logoSplash);
        break;
    case 9:
        SetFade(fade_brightness);
        fucn_state = 10;
        break;
    case 10:
        StepTitleScreen();
        break;
    case 19:
        LoadStoryScript("dat/csv/adv1.csv");
        fucn_state = 20;
        break;
    case 20:
        RunStoryScript(27);
        break;
    case 201:
        DrawPauseBackdrop();
        break;
    case 27:
        DrawWhole(g_assets.loading);
        ResetNewGame();
        OnNewGame();
        fucn_state = 28;
        break;
    case 28:
        DrawWhole(g_assets.loading);
        ResetStage();
        LoadStory();
        SetFade(fade_brightness);
        fucn_state = 29;
        break;
    case 29:
        StepStageCard();
        break;
    case 30:
        StepPlay();
        break;
    case 301:
    case 302:
        DrawPauseBackdrop();
        break;
    case 31:
        PlayFieldFrame();
        fucn_state = StageClearScene(stage_number >= 4 ? 49 : 32);
        break;
    case 32:
        PlayFieldFrame();
        LoadMapStory();
        fucn_state = 33;
        break;
    case 33:
        UpdatePlayerState();
        MoveShots();
        MoveItems();
        DrawPlayField();
        DrawFrameRate();
        RunMapStory();
        break;
    case 34:
        PlayFieldFrame();
        ShiftPlayerRight();
        TickStageClock();
        if (scene_timer == boss.endTime + 400) fucn_state = 35;
        break;
    case 35:
        MoveItems();
        DrawPlayField();
        DrawFrameRate();
        ShiftPlayerRight();
        SetFade(fade_brightness);
        fade_brightness -= 1;
        TickStageClock();
        if (scene_timer == boss.endTime + 700) fucn_state = 36;
        break;
    case 36:
        stage_number++;
        fucn_state = 28;
        break;
    case 49:
        StopSoundHandle(g_assets.se[SE_CHARGE]);
        LoadStoryScript("dat/csv/adv3.csv");
        fucn_state = 50;
        break;
    case 50:
        RunStoryScript(69);
        break;
    case 69:
        fade_brightness = 0;
        fucn_state = 70;
        break;
    case 70:
        StepEnding();
        break;
    case 900:
        FrameworkEnd();
        return false;
    default:
        if (fucn_state >= EXTENSION_SCENE_FIRST && StepExtensionScene()) break;
        ScreenPrintF("不明なfucn_state");
        break;
    }
    return true;
}
