// The scene machine: one step per frame for the scene named by fucn_state.
// A scene that leads on at once changes fucn_state in the same frame; the new
// scene's step runs on the next frame.
#include <cstring>

#include "game/shell/scenes.h"

#include "framework/framework.h"
#include "game/common/game_state.h"
#include "game/enemy/enemy.h"
#include "game/enemy/items.h"
#include "game/enemy/shots.h"
#include "game/player/boss.h"
#include "game/player/charge.h"
#include "game/player/collision.h"
#include "game/player/options.h"
#include "game/player/shots.h"
#include "game/player/player.h"
#include "game/common/assets.h"
#include "game/common/language.h"
#include "game/shell/hooks.h"
#include "game/shell/menus.h"
#include "game/shell/music.h"
#include "game/common/pad.h"
#include "game/shell/pacing.h"
#include "game/shell/playfield.h"
#include "game/story/map_story.h"
#include "game/story/story.h"
#include "game/text/texts.h"

namespace {

void DrawWhole(int image) { DrawImageAt(0, 0, image, 0); }

// The features' points (game/shell/hooks.h); each leaves the designed course
// when no hook is installed.
void OnRunEnded(RunEnd how) {
    if (InstalledShellHooks().runEnded) InstalledShellHooks().runEnded(how);
}

int StageClearScene(int designed) {
    const ShellHooks& h = InstalledShellHooks();
    return h.stageClearScene ? h.stageClearScene(designed) : designed;
}

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
        fucn_state = SCENE_PLAY;
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
        fucn_state = SCENE_STAGE_CLEAR;
    }
}

void StepEnding() {
    StepLogoFade(SCENE_TITLE_RESET);
    if (fucn_state == SCENE_TITLE_RESET) OnRunEnded(RUN_CLEARED);
    const char* const theEnd = Text(TEXT_THE_END);
    const int width = TextWidthFontFmt(g_assets.fontPop, "%s", theEnd);
    DrawTextFontFmt(320 - width / 2, 240, g_assets.white, g_assets.fontPop, "%s", theEnd);
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

void ClearPlayState(void) {
    player = PlayerRecord{};
    SetPlayerTitlePosition();
    for (PlayerShot& s : player_shot) s = PlayerShot{};
    charge_shot = ChargeShot{};
    for (int o = 0; o < OPTIONS; o++) {
        option[o] = OptionRecord{};
        option_trail[o] = OptionTrail{};
    }
    formation_mode = 0;
    for (auto& f : formation_flag) f = 0;
    for (EnemyRecord& e : enemy) e = EnemyRecord{};
    for (ShotGroupRecord& g : eshot) g = ShotGroupRecord{};
    for (ItemRecord& i : item) i = ItemRecord{};
    for (BurstRecord& b : burst) b = BurstRecord{};
    for (EffectRecord& e : effect) e = EffectRecord{};
    boss = BossRecord{};
    boss_bullets = BossBulletBlock{};
    for (TailSegment& t : boss_tail) t = TailSegment{};
    boss_history = BossHistory{};
    scene_timer = 0;
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
    case SCENE_TITLE_RESET:
        ResetToTitle();
        fucn_state = SCENE_LOGO;
        break;
    case SCENE_LOGO:
        StepLogoFade(SCENE_TITLE_FADE);
        DrawWhole(g_assets.logoSplash);
        break;
    case SCENE_TITLE_FADE:
        SetFade(fade_brightness);
        fucn_state = SCENE_TITLE;
        break;
    case SCENE_TITLE:
        StepTitleScreen();
        break;
    case SCENE_PROLOGUE_LOAD:
        LoadStoryScript(StoryPath("dat/csv/adv1.csv"));
        fucn_state = SCENE_PROLOGUE;
        break;
    case SCENE_PROLOGUE:
        RunStoryScript(SCENE_NEW_GAME);
        break;
    case SCENE_STORY_PAUSE:
        DrawPauseBackdrop();
        break;
    case SCENE_NEW_GAME:
        DrawWhole(g_assets.loading);
        ResetNewGame();
        if (InstalledShellHooks().newGame) InstalledShellHooks().newGame();
        fucn_state = SCENE_STAGE_START;
        break;
    case SCENE_STAGE_START:
        DrawWhole(g_assets.loading);
        ResetStage();
        LoadStory();
        SetFade(fade_brightness);
        fucn_state = SCENE_STAGE_CARD;
        break;
    case SCENE_STAGE_CARD:
        StepStageCard();
        break;
    case SCENE_PLAY:
        StepPlay();
        break;
    case SCENE_PLAY_PAUSE:
    case SCENE_CONTINUE:
        DrawPauseBackdrop();
        break;
    case SCENE_STAGE_CLEAR:
        PlayFieldFrame();
        fucn_state = StageClearScene(stage_number >= LAST_STAGE ? SCENE_EPILOGUE_LOAD : SCENE_MAP_STORY_LOAD);
        break;
    case SCENE_MAP_STORY_LOAD:
        PlayFieldFrame();
        LoadMapStory();
        fucn_state = SCENE_MAP_STORY;
        break;
    case SCENE_MAP_STORY:
        UpdatePlayerState();
        MoveShots();
        MoveItems();
        DrawPlayField();
        DrawFrameRate();
        RunMapStory();
        break;
    case SCENE_FLY_OFF:
        PlayFieldFrame();
        ShiftPlayerRight();
        TickStageClock();
        if (scene_timer == boss.endTime + 400) fucn_state = SCENE_FADE_OUT;
        break;
    case SCENE_FADE_OUT:
        MoveItems();
        DrawPlayField();
        DrawFrameRate();
        ShiftPlayerRight();
        SetFade(fade_brightness);
        fade_brightness -= 1;
        TickStageClock();
        if (scene_timer == boss.endTime + 700) fucn_state = SCENE_NEXT_STAGE;
        break;
    case SCENE_NEXT_STAGE:
        stage_number++;
        fucn_state = SCENE_STAGE_START;
        break;
    case SCENE_EPILOGUE_LOAD:
        StopSoundHandle(g_assets.se[SE_CHARGE]);
        LoadStoryScript(StoryPath("dat/csv/adv3.csv"));
        fucn_state = SCENE_EPILOGUE;
        break;
    case SCENE_EPILOGUE:
        RunStoryScript(SCENE_ENDING_START);
        break;
    case SCENE_ENDING_START:
        fade_brightness = 0;
        fucn_state = SCENE_ENDING;
        break;
    case SCENE_ENDING:
        StepEnding();
        break;
    case SCENE_QUIT:
        FrameworkEnd();
        return false;
    default:
        if (fucn_state >= SCENE_ADDITIONS_FIRST && InstalledShellHooks().stepScene &&
            InstalledShellHooks().stepScene())
            break;
        ScreenPrintF("不明なfucn_state");
        break;
    }
    return true;
}
