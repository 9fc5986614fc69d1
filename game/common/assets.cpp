// Asset loading: every image, strip, colour, sound effect and font of the game,
// in a fixed order, right after the framework has started. Results are not
// tested: a missing file leaves −1 in its table entry and draws with it do nothing.
#include "game/common/assets.h"

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "framework/framework.h"
#include "game/common/game_state.h"
#include "game/common/language.h"

AssetTables g_assets;

namespace {

// Set while LoadPictures only gathers the paths it would load.
std::vector<std::string>* g_gathering = nullptr;
// Set by PreloadAssets until LoadAssets takes what it started.
bool g_preloadPending = false;

int Image(const char* path) {
    if (g_gathering) {
        g_gathering->push_back(path);
        return -1;
    }
    return LoadImageFile(path, 0);
}

void Strip(const char* path, int count, int across, int down, int w, int h, int* out) {
    if (g_gathering) g_gathering->push_back(path);
    else LoadImageStrip(path, count, across, down, w, h, out, 0);
}

// Loads the images a printf pattern names for 1..count into out[0..count-1].
void Numbered(const char* pattern, int count, int* out) {
    char path[64];
    for (int i = 0; i < count; i++) {
        snprintf(path, sizeof path, pattern, i + 1);
        out[i] = Image(path);
    }
}

// Each stage's pictures: its background layers in loading order (the layer
// slot each fills; slots not named stay −1) and its boss.
struct StageLayer {
    int slot;
    const char* path;
};

struct StagePictures {
    StageLayer layers[BG_LAYERS];
    const char* boss;
};

const StagePictures STAGE_PICTURES[] = {
    {{{3, "dat/img/back/sora1.png"}, {2, "dat/img/back/sora0.png"}}, "dat/img/char/01_boss.png"},
    {{{0, "dat/img/back/umi0.png"}, {1, "dat/img/back/umi1.png"}, {2, "dat/img/back/umi2.png"}},
     "dat/img/char/02_boss.png"},
    {{{0, "dat/img/back/kaityu.png"}}, "dat/img/char/03_boss.png"},
    {{{0, "dat/img/back/kiti.png"}}, "dat/img/char/04_boss_01.png"},
    {{{0, "dat/img/back/kiti.png"}}, "dat/img/char/tako3.png"},
};
static_assert(sizeof STAGE_PICTURES / sizeof STAGE_PICTURES[0] == STAGE_COUNT, "one row of pictures per stage");

// The title pictures that carry words, found in the game's language.
const char TITLE_LOGO[] = "dat/img/title/logo.png";
const char TITLE_START[] = "dat/img/title/start.png";
const char TITLE_END[] = "dat/img/title/end.png";

// The four fonts in each language: the designed faces for Japanese; for
// English, DejaVu Sans in its own bold, which reads well at these sizes. The
// HUD keeps the designed face in both: its labels are English already.
struct FontRow {
    int AssetTables::*handle;
    const char* face[LANGUAGES];
    int size;
    int thickness[LANGUAGES];
};

const FontRow FONTS[] = {
    {&AssetTables::fontMenu, {"HGPｺﾞｼｯｸE", "DejaVu Sans"}, 15, {2, 7}},
    {&AssetTables::fontMenuTitle, {"HGPｺﾞｼｯｸE", "DejaVu Sans"}, 20, {2, 7}},
    {&AssetTables::fontHud, {"HGPｺﾞｼｯｸE", "HGPｺﾞｼｯｸE"}, 18, {3, 3}},
    {&AssetTables::fontPop, {"HGP創英角ﾎﾟｯﾌﾟ体", "DejaVu Sans"}, 36, {3, 7}},
};

void CreateFonts(AssetTables& a) {
    const int lang = GameLanguage();
    for (const FontRow& f : FONTS)
        a.*f.handle = CreateFontToHandle(f.face[lang], f.size, f.thickness[lang], 3, -1, -1, 0, -1, -1);
}

struct SoundEffect {
    int slot;
    const char* path;
    int volume;       // 0: left at the framework's default
};

const SoundEffect SOUND_EFFECTS[] = {
    {SE_START, "dat/se/start.wav", 0},
    {SE_CURSOR, "dat/se/piko.wav", 0},
    {SE_TAMA, "dat/se/tama.wav", 10},
    {SE_VOE, "dat/se/voe.wav", 0},
    {SE_CHAR_DEATH, "dat/se/char_death.wav", 0},
    {SE_CHARGE, "dat/se/tame.wav", 0},
    {SE_SYU, "dat/se/syu.wav", 20},
    {SE_ESHOT, "dat/se/eshot.wav", 10},
    {SE_ENEMY_DEATH, "dat/se/enemy_death.wav", 10},
    {SE_EATK, "dat/se/eatk.wav", 14},
    {SE_YARARE, "dat/se/yarare.wav", 0},
    {SE_BOSS_DEATH, "dat/se/bdeath.wav", 14},
    {SE_ITEM_GET, "dat/se/item_get.wav", 0},
    {SE_FIRE, "dat/se/fire00.wav", 14},
};

void ClearTables() {
    int* all = reinterpret_cast<int*>(&g_assets);
    for (size_t i = 0; i < sizeof g_assets / sizeof(int); i++) all[i] = -1;
}

void LoadPictures(AssetTables& a) {
    char path[64];

    a.titleBack = Image("dat/img/title/back.png");
    a.titleHeroine = Image("dat/img/title/nalu.png");
    a.titleLogo = Image(PicturePath(TITLE_LOGO));
    a.titleMenu[0] = Image(PicturePath(TITLE_START));
    a.titleMenu[1] = Image(PicturePath(TITLE_END));
    a.logoSplash = Image("dat/img/title/brix.png");
    for (int s = 0; s < STAGE_COUNT; s++)
        for (const StageLayer& l : STAGE_PICTURES[s].layers)
            if (l.path) a.background[s][l.slot] = Image(l.path);
    a.loading = Image("dat/img/back/nowload.png");
    a.bulletGraphic[0] = Image("dat/img/bullet/sumi2.png");
    a.bulletGraphic[1] = Image("dat/img/bullet/sumi3.png");
    a.bulletGraphic[2] = Image("dat/img/bullet/tama.png");
    a.bulletGraphic[3] = Image("dat/img/bullet/fire.png");
    Strip("dat/img/char/chmodel.png", 12, 4, 3, 48, 48, a.ship);
    a.leek = Image("dat/img/char/negi.png");
    a.note = Image("dat/img/char/onpu.png");
    a.option = Image("dat/img/char/speaker.png");
    Strip("dat/img/char/tshot-v.png", 3, 3, 1, 134, 139, a.chargeShot);
    Strip("dat/img/enemy/hit_effect.png", 5, 5, 1, 140, 140, a.hitEffect);
    for (int kind = 0; kind < ENEMY_KINDS; kind++)
        for (int pose = 0; pose < ENEMY_POSES; pose++) {
            snprintf(path, sizeof path, "dat/img/enemy/%d-%d.png", kind + 1, pose);
            Strip(path, 9, 3, 3, 32, 32, &a.enemy[(kind * ENEMY_POSES + pose) * ENEMY_CELLS]);
        }
    a.lifeIcon = Image("dat/img/etc/hoshi.png");
    for (int i = 0; i < ITEM_KINDS; i++) {
        snprintf(path, sizeof path, "dat/img/item/p%d.png", i);
        const int size = i == 2 ? 15 : 35;
        Strip(path, 2, 2, 1, size, size, a.item[i]);
    }
    Strip("dat/img/back/map.png", 32, 8, 4, 32, 32, a.mapTiles);
    Strip("dat/img/num/2.png", 10, 10, 1, 16, 18, a.digits);
    for (int s = 0; s < STAGE_COUNT; s++) a.boss[s] = Image(STAGE_PICTURES[s].boss);
    a.boss3Second = Image("dat/img/char/04_boss_02.png");
    Strip("dat/img/char/tame.png", 3, 3, 1, 48, 48, a.chargeGlow);
    a.storyBack[0] = Image("dat/img/adv1/sora.png");
    a.storyBack[1] = Image("dat/img/adv1/adv_back.png");
    a.storyBack[2] = Image("dat/img/adv1/adv_last.png");
    Numbered("dat/img/adv1/adv_nalu%d.png", 4, &a.portrait[0]);
    Numbered("dat/img/adv1/adv_sela%d.png", 3, &a.portrait[4]);
    a.portrait[8] = Image("dat/img/adv1/adv_tako1.png");
    a.portrait[9] = Image("dat/img/adv1/adv_tako2.png");
    Numbered("dat/img/adv2/nalu%d.png", 4, &a.mapPortrait[0]);
    Numbered("dat/img/adv2/sela%d.png", 3, &a.mapPortrait[4]);
    a.textBox = Image("dat/img/adv1/adv_textbox.png");
}

} // namespace

void PreloadAssets(void) {
    // A dry run of the picture loads lists their files, so that the framework
    // decodes them on its worker threads while the loads hand out the handles
    // in the usual order.
    AssetTables scratch;
    std::vector<std::string> files;
    g_gathering = &files;
    LoadPictures(scratch);
    g_gathering = nullptr;
    std::vector<const char*> paths;
    for (const std::string& f : files) paths.push_back(f.c_str());
    PreloadImageFiles(paths.data(), static_cast<int>(paths.size()));
    g_preloadPending = true;
}

void LoadAssets(void) {
    if (!g_preloadPending) PreloadAssets();
    g_preloadPending = false;
    ClearTables();
    AssetTables& a = g_assets;
    LoadPictures(a);

    a.white = MakeColor(255, 255, 255);
    a.red = MakeColor(255, 0, 0);
    a.green = MakeColor(0, 255, 0);
    a.blue = MakeColor(0, 0, 255);
    a.yellow = MakeColor(255, 255, 0);

    for (const SoundEffect& s : SOUND_EFFECTS) a.se[s.slot] = LoadSoundFile(s.path, 3, -1);
    for (const SoundEffect& s : SOUND_EFFECTS)
        if (s.volume) SetSoundVolume(s.volume, a.se[s.slot]);

    CreateFonts(a);
}

void ReloadLanguageAssets(void) {
    AssetTables& a = g_assets;
    for (int* handle : {&a.titleLogo, &a.titleMenu[0], &a.titleMenu[1]}) DeleteImage(*handle);
    a.titleLogo = LoadImageFile(PicturePath(TITLE_LOGO), 0);
    a.titleMenu[0] = LoadImageFile(PicturePath(TITLE_START), 0);
    a.titleMenu[1] = LoadImageFile(PicturePath(TITLE_END), 0);
    for (const FontRow& f : FONTS) DeleteFontHandle(a.*f.handle);
    CreateFonts(a);
}
