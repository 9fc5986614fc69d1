// The play-field and HUD drawing read from the back buffer: background layer
// positions from marker columns, the HUD digits and life icons, the draw order
// of the objects, the fade that spares the ship, its glow and the foreground
// effects, and the bullets' angles, additive flag and bilinear filter.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "game/enemy/enemy.h"
#include "game/enemy/items.h"
#include "game/enemy/shots.h"
#include "game/player/boss.h"
#include "game/player/charge.h"
#include "game/player/options.h"
#include "game/player/player.h"
#include "game/player/shots.h"
#include "game/common/assets.h"
#include "game/common/game_state.h"
#include "game/shell/playfield.h"
#include "tests/support/headless_test.h"
#include "tests/support/image_test_support.h"

namespace {

int Solid(int w, int h, uint32_t rgb) {
    return MakeTestImage(w, h, std::vector<uint32_t>(static_cast<size_t>(w) * h, 0xFF000000u | rgb), true);
}

int Channel(uint32_t rgb, int shift) { return static_cast<int>(rgb >> shift & 0xFF); }

class PlayFieldDraw : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        if (HasFatalFailure()) return;
        g_assets = AssetTables{};
        for (auto& stage : g_assets.background)
            for (int& layer : stage) layer = -1;
        std::memset(enemy, 0, sizeof enemy);
        std::memset(eshot, 0, sizeof eshot);
        std::memset(item, 0, sizeof item);
        std::memset(effect, 0, sizeof effect);
        std::memset(burst, 0, sizeof burst);
        std::memset(&boss, 0, sizeof boss);
        std::memset(&boss_bullets, 0, sizeof boss_bullets);
        std::memset(boss_tail, 0, sizeof boss_tail);
        std::memset(player_shot, 0, sizeof player_shot);
        std::memset(option, 0, sizeof option);
        std::memset(&charge_shot, 0, sizeof charge_shot);
        std::memset(shot_graphic, 0, sizeof shot_graphic);
        for (ShotGraphicRecord& g : shot_graphic) g.image = -1;
        player = PlayerRecord{};
        player.cell = -1;
        stage_number = 0;
        frame_counter = 0;
        fade_brightness = 255;
        scroll_counter = 0;
    }

    void Draw(int scroll) {
        ClearDrawTarget();
        scroll_counter = scroll - 1;
        DrawPlayField();
        EXPECT_EQ(scroll_counter, scroll);
    }
};

// A 700 × 40 layer picture, transparent but for two marker columns (image x =
// 10 and 400) in the rows 10k..10k+4 of layer k, so the four layers can be
// told apart when drawn over each other.
const uint32_t LAYER_RGB[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};

int LayerImage(int k) {
    std::vector<uint32_t> px(700 * 40, 0);
    for (int y = 10 * k; y < 10 * k + 5; y++) {
        px[static_cast<size_t>(y) * 700 + 10] = 0xFF000000u | LAYER_RGB[k];
        px[static_cast<size_t>(y) * 700 + 400] = 0xFF000000u | LAYER_RGB[k];
    }
    return MakeTestImage(700, 40, px, true);
}

std::vector<int> MarkersOf(int k) {
    std::vector<int> xs;
    for (int x = 0; x < 640; x++)
        if (BackPixel(x, 10 * k + 2) == LAYER_RGB[k]) xs.push_back(x);
    return xs;
}

typedef std::vector<int> Xs;

} // namespace

TEST_F(PlayFieldDraw, LayersScrollAtTheirOwnSpeedsAndMissingLayersDrawNothing) {
    int layer[4];
    for (int k = 0; k < 4; k++) layer[k] = LayerImage(k);
    for (int k = 0; k < 4; k++) g_assets.background[0][k] = layer[k];

    // s = 1: L0 one pixel left, L1 and L2 still, L3 five pixels left.
    Draw(1);
    EXPECT_EQ(MarkersOf(0), (Xs{9, 399}));
    EXPECT_EQ(MarkersOf(1), (Xs{10, 400}));
    EXPECT_EQ(MarkersOf(2), (Xs{10, 400}));
    EXPECT_EQ(MarkersOf(3), (Xs{5, 395}));

    // s = 700: L0 back at 0 (and 700), L1 moved 175, L2 140, L3 back at 0.
    Draw(700);
    EXPECT_EQ(MarkersOf(0), (Xs{10, 400}));
    EXPECT_EQ(MarkersOf(1), (Xs{225, 535}));
    EXPECT_EQ(MarkersOf(2), (Xs{260, 570}));
    EXPECT_EQ(MarkersOf(3), (Xs{10, 400}));

    // s = 3600: remainders keep the sign of −s; the second copy fills the gap.
    Draw(3600);
    EXPECT_EQ(MarkersOf(0), (Xs{300, 610}));
    EXPECT_EQ(MarkersOf(1), (Xs{200, 510}));
    EXPECT_EQ(MarkersOf(2), (Xs{380}));
    EXPECT_EQ(MarkersOf(3), (Xs{210, 600}));

    // Stage 2 has only L0: handles 0 and −1 in the other layers draw nothing,
    // log nothing, and the layers after them are still drawn.
    stage_number = 2;
    g_assets.background[2][0] = layer[0];
    g_assets.background[2][1] = 0;
    g_assets.background[2][2] = -1;
    g_assets.background[2][3] = 0;
    const std::string logBefore = LogText();
    Draw(700);
    EXPECT_EQ(MarkersOf(0), (Xs{10, 400}));
    EXPECT_TRUE(MarkersOf(1).empty());
    EXPECT_TRUE(MarkersOf(2).empty());
    EXPECT_TRUE(MarkersOf(3).empty());
    int lit = 0;
    for (int y = 0; y < 480; y++)
        for (int x = 0; x < 640; x++) lit += BackPixel(x, y) != 0;
    EXPECT_EQ(lit, 2 * 5) << "only the two L0 markers";
    EXPECT_EQ(LogText(), logBefore);
}

namespace {

// Digit d is a 20 × 20 square of its own colour, never close to white.
uint32_t DigitRgb(int d) { return static_cast<uint32_t>((d * 20 + 30) << 16 | 0x40 << 8 | (0x90 - d * 8)); }

void SetUpHud() {
    for (int d = 0; d < 10; d++) g_assets.digits[d] = Solid(20, 20, DigitRgb(d));
    g_assets.lifeIcon = Solid(10, 10, 0x00FFFF);
    g_assets.white = MakeColor(255, 255, 255);
    // The HUD's labels and its decimal point are drawn in the HUD font.
    g_assets.fontHud = CreateFontToHandle("HGPｺﾞｼｯｸE", 18, 3, 3, -1, -1, 0, -1, -1);
}

std::vector<int> ScoreShown() {
    std::vector<int> digits;
    for (int i = 8; i >= 0; i--) {
        int found = -1;
        for (int d = 0; d < 10; d++)
            if (BackPixel(625 - 15 * i, 470) == DigitRgb(d)) found = d;
        digits.push_back(found);
    }
    return digits;
}

int DigitAt(int x, int y) {
    for (int d = 0; d < 10; d++)
        if (BackPixel(x, y) == DigitRgb(d)) return d;
    return -1;
}

int IconPixels() {
    int n = 0;
    for (int y = 440; y < 480; y++)
        for (int x = 180; x < 420; x++) n += BackPixel(x, y) == 0x00FFFF;
    return n;
}

} // namespace

TEST_F(PlayFieldDraw, HudShowsNineScoreDigitsLivesAndPower) {
    SetUpHud();
    player.score = 42;
    player.power = 35;
    player.lives = 5;
    ClearDrawTarget();
    DrawHud();
    EXPECT_EQ(ScoreShown(), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 4, 2}));
    EXPECT_EQ(DigitAt(430, 470), 5);
    EXPECT_EQ(DigitAt(419, 470), 3);
    EXPECT_EQ(DigitAt(396, 470), 0);
    // Power digits are drawn at 0.9: 18 rows (461..478), not 20.
    EXPECT_EQ(DigitAt(430, 462), 5);
    EXPECT_EQ(DigitAt(430, 477), 5);
    EXPECT_NE(DigitAt(430, 459), 5);
    EXPECT_NE(DigitAt(430, 479), 5);
    // Score digits are drawn at 1.0: 20 rows (460..479).
    EXPECT_EQ(DigitAt(625, 460), 2);
    EXPECT_EQ(DigitAt(625, 479), 2);
    // The decimal point in white between the hundreds and the tens, below the
    // digits' middle (it reads 0.35, not 0 35).
    int whiteDot = 0;
    for (int y = 461; y < 480; y++)
        for (int x = 403; x < 412; x++) {
            uint32_t p = BackPixel(x, y);
            whiteDot += Channel(p, 16) >= 0xC0 && Channel(p, 8) >= 0xC0 && Channel(p, 0) >= 0xC0;
        }
    EXPECT_GT(whiteDot, 0);
    // Five icons: left edges 270, 282, 294, 306, 318; the last one ends at 327.
    EXPECT_EQ(IconPixels(), 5 * 100);
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(BackPixel(270 + 12 * i, 460), 0x00FFFFu) << i;
        EXPECT_NE(BackPixel(269 + 12 * i, 460), 0x00FFFFu) << i;
    }
    EXPECT_EQ(BackPixel(327, 469), 0x00FFFFu);
    EXPECT_NE(BackPixel(328, 469), 0x00FFFFu);

    // Digits are the value mod 10 from the right, so 9 digits of anything;
    // power 100 reads 1.00.
    player.score = 1234567890;
    player.power = 100;
    player.lives = 0;
    ClearDrawTarget();
    DrawHud();
    EXPECT_EQ(ScoreShown(), (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 0}));
    EXPECT_EQ(DigitAt(430, 470), 0);
    EXPECT_EQ(DigitAt(419, 470), 0);
    EXPECT_EQ(DigitAt(396, 470), 1);
    EXPECT_EQ(IconPixels(), 0) << "lives 0: no icon";

    player.lives = 1;
    ClearDrawTarget();
    DrawHud();
    EXPECT_EQ(IconPixels(), 100);
    EXPECT_EQ(BackPixel(270, 460), 0x00FFFFu);
}

namespace {

// Every object of the field as a centred square at (320, 240), each one smaller
// than the one drawn before it, so each shows as a ring only when the order is
// right. The colours are listed from the first drawn to the last.
struct Layered {
    const char* what;
    int size;
    uint32_t rgb;
};
const Layered ORDER[] = {
    {"layer-0 effect", 80, 0x800000}, {"layer-4 effect", 74, 0x008000}, {"item halo", 68, 0x000080},
    {"item", 62, 0x808000},           {"boss", 56, 0x800080},           {"tail segment", 50, 0x008080},
    {"enemy", 44, 0xFF0000},          {"player shot", 38, 0x00FF00},    {"option", 32, 0x0000FF},
    {"charge shot", 26, 0xFFFF00},    {"ship", 20, 0xFF00FF},           {"enemy bullet", 14, 0x00FFFF},
    {"boss bullet", 8, 0xFFFFFF},
};

void PlaceEverything() {
    int image[13];
    for (int i = 0; i < 13; i++) image[i] = Solid(ORDER[i].size, ORDER[i].size, ORDER[i].rgb);
    effect[3] = EffectRecord{};
    effect[3].state = 1, effect[3].kind = 0, effect[3].image = image[0], effect[3].x = 320, effect[3].y = 240;
    effect[3].scale = 1;
    effect[1] = effect[3];
    effect[1].kind = 4, effect[1].image = image[1];
    g_assets.item[2][1] = image[2];
    g_assets.item[2][0] = image[3];
    item[7].state = 1, item[7].kind = 2, item[7].x = 320, item[7].y = 240, item[7].scale = 1;
    g_assets.boss[0] = image[4];
    boss.state = BOSS_FIGHTING, boss.x = 320, boss.y = 240;
    g_assets.boss3Second = image[5];
    boss_tail[4].state = 1, boss_tail[4].x = 320, boss_tail[4].y = 240;
    enemy[9].state = 1, enemy[9].image = 4, enemy[9].anim = 2, enemy[9].x = 320, enemy[9].y = 240;
    g_assets.enemy[4 * ENEMY_CELLS + 2] = image[6];
    player_shot[5].state = 1, player_shot[5].image = image[7], player_shot[5].x = 320, player_shot[5].y = 240;
    g_assets.option = image[8];
    option[0].enabled = 1, option[0].x = 320, option[0].y = 240;
    charge_shot.state = CHARGE_FLYING;
    for (int i = 0; i < 3; i++) {
        g_assets.chargeShot[i] = image[9];
        charge_shot.x[i] = 320, charge_shot.y[i] = 240;
    }
    g_assets.ship[7] = image[10];
    player.cell = 7, player.x = 320, player.y = 240;
    shot_graphic[1].image = image[11];
    eshot[40].state = 1;
    eshot[40].bullet[60].state = 1, eshot[40].bullet[60].kind = 1;
    eshot[40].bullet[60].x = 320, eshot[40].bullet[60].y = 240;
    shot_graphic[2].image = image[12];
    boss_bullets.active = 1;
    boss_bullets.bullet[299] = eshot[40].bullet[60];
    boss_bullets.bullet[299].kind = 2;
}

uint32_t RingAt(int i) { return BackPixel(320 + ORDER[i].size / 2 - 2, 240); }

} // namespace

TEST_F(PlayFieldDraw, ObjectsAreDrawnInTheirFixedOrderAndBlinkingOnesSkipOddFrames) {
    PlaceEverything();
    Draw(1);
    for (int i = 0; i < 13; i++) EXPECT_EQ(RingAt(i), ORDER[i].rgb) << ORDER[i].what;

    // Odd blink counters hide the boss and the ship; boss bullets need both the
    // boss and their block.
    boss.flashTimer = 3;
    player.blink = 1;
    Draw(2);
    EXPECT_EQ(RingAt(4), ORDER[3].rgb) << "boss hidden on an odd flash frame";
    EXPECT_EQ(RingAt(10), ORDER[9].rgb) << "ship hidden on an odd blink";
    boss.flashTimer = 4;
    player.blink = 2;
    boss_bullets.active = 0;
    Draw(3);
    EXPECT_EQ(RingAt(4), ORDER[4].rgb);
    EXPECT_EQ(RingAt(10), ORDER[10].rgb);
    EXPECT_EQ(RingAt(12), ORDER[11].rgb) << "boss bullets only while the block is active";
    boss_bullets.active = 1;
    boss.state = BOSS_NONE;
    Draw(4);
    EXPECT_EQ(RingAt(12), ORDER[11].rgb) << "boss bullets only while the boss fights";
    EXPECT_EQ(RingAt(4), ORDER[3].rgb) << "no boss while its state is 0";
    EXPECT_EQ(RingAt(5), ORDER[5].rgb) << "tail segments are drawn whatever the boss state";

    // Dead enemies, free shots, disabled options and tail segment 0 are not drawn.
    enemy[9].state = 2;
    player_shot[5].state = 0;
    option[0].enabled = 0;
    boss_tail[4].state = 0;
    boss_tail[0] = boss_tail[4];
    boss_tail[0].state = 1;
    Draw(5);
    EXPECT_EQ(RingAt(6), ORDER[3].rgb);
    EXPECT_EQ(RingAt(7), ORDER[3].rgb);
    EXPECT_EQ(RingAt(8), ORDER[3].rgb);
    EXPECT_EQ(RingAt(5), ORDER[3].rgb);
}

TEST_F(PlayFieldDraw, ChargeGlowCellFollowsTheChargeCounter) {
    // Over a white layer the multiplied glow shows its own colour.
    g_assets.background[0][0] = Solid(700, 480, 0xFFFFFF);
    const uint32_t glow[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    for (int c = 0; c < 3; c++) g_assets.chargeGlow[c] = Solid(40, 40, glow[c]);
    player.x = 200, player.y = 200;
    struct Case {
        int charge;
        uint32_t rgb;
    };
    const Case cases[] = {{0, 0xFFFFFF}, {1, glow[0]},  {2, glow[0]},  {3, 0xFFFFFF}, {29, glow[0]},
                          {30, glow[1]}, {31, 0xFFFFFF}, {58, glow[1]}, {60, glow[2]}, {90, glow[2]},
                          {95, 0xFFFFFF}, {400, glow[2]}};
    for (const Case& c : cases) {
        player.charge = c.charge;
        Draw(1);
        EXPECT_EQ(BackPixel(200, 200), c.rgb) << "charge " << c.charge;
        EXPECT_EQ(BackPixel(100, 100), 0xFFFFFFu) << "the glow is multiplied only where it is drawn";
    }
}

TEST_F(PlayFieldDraw, FadeDimsAllButTheShipItsGlowAndLayerFourEffects) {
    g_assets.background[0][0] = Solid(700, 480, 0xFFFFFF);
    auto place = [](EffectRecord& e, int kind, int image, double x) {
        e = EffectRecord{};
        e.state = 1, e.kind = kind, e.image = image, e.x = x, e.y = 100, e.scale = 1;
    };
    place(effect[0], 0, Solid(10, 10, 0xFFFFFF), 40);
    place(effect[1], 4, Solid(10, 10, 0xFFFFFF), 80);
    enemy[0].state = 1, enemy[0].x = 120, enemy[0].y = 100;
    g_assets.enemy[0] = Solid(10, 10, 0xFFFFFF);
    g_assets.ship[0] = Solid(10, 10, 0xFFFFFF);
    player.cell = 0, player.x = 160, player.y = 100, player.charge = 4;
    g_assets.chargeGlow[0] = Solid(40, 40, 0xFF8000);
    shot_graphic[0].image = Solid(10, 10, 0xFFFFFF);
    eshot[0].state = 1;
    eshot[0].bullet[0].state = 1, eshot[0].bullet[0].x = 240, eshot[0].bullet[0].y = 100;
    g_assets.item[0][0] = g_assets.item[0][1] = Solid(10, 10, 0xFFFFFF);
    item[0].state = 1, item[0].x = 280, item[0].y = 100, item[0].scale = 1;

    fade_brightness = 128;
    Draw(1);
    auto dimmed = [](uint32_t p) { return Channel(p, 16) >= 124 && Channel(p, 16) <= 132 && Channel(p, 8) == Channel(p, 16); };
    EXPECT_TRUE(dimmed(BackPixel(10, 300))) << std::hex << BackPixel(10, 300) << " background";
    EXPECT_TRUE(dimmed(BackPixel(40, 100))) << "layer-0 effect";
    EXPECT_EQ(BackPixel(80, 100), 0xFFFFFFu) << "layer-4 effect";
    EXPECT_TRUE(dimmed(BackPixel(120, 100))) << "enemy";
    EXPECT_TRUE(dimmed(BackPixel(280, 100))) << "item";
    EXPECT_TRUE(dimmed(BackPixel(240, 100))) << "bullet";
    // The glow multiplies the dimmed background at its full colour: the red
    // channel stays at the background's level, green halves it.
    const uint32_t g = BackPixel(160 + 15, 100);
    EXPECT_GE(Channel(g, 16), 124);
    EXPECT_LE(Channel(g, 16), 132);
    EXPECT_GE(Channel(g, 8), 60);
    EXPECT_LE(Channel(g, 8), 68);
    EXPECT_EQ(Channel(g, 0), 0);
    // The ship sits under its glow: white times the glow's full colour.
    const uint32_t ship = BackPixel(160, 100);
    EXPECT_EQ(Channel(ship, 16), 255);
    EXPECT_GE(Channel(ship, 8), 126);
    EXPECT_LE(Channel(ship, 8), 130);

    // The drawing leaves the brightness at 255 for whatever comes next.
    ClearDrawTarget();
    DrawImageAt(0, 0, shot_graphic[0].image, 0);
    EXPECT_EQ(BackPixel(5, 5), 0xFFFFFFu);

    // Without a fade nothing is dimmed.
    fade_brightness = 255;
    Draw(2);
    EXPECT_EQ(BackPixel(10, 300), 0xFFFFFFu);
    EXPECT_EQ(BackPixel(120, 100), 0xFFFFFFu);
}

namespace {

// A 24 × 4 bar: lying down at angle 0, standing at a quarter turn.
int Bar(uint32_t rgb) { return Solid(24, 4, rgb); }

bool Standing(int x, int y, uint32_t rgb) { return BackPixel(x, y + 9) == rgb && BackPixel(x + 9, y) != rgb; }
bool Lying(int x, int y, uint32_t rgb) { return BackPixel(x + 9, y) == rgb && BackPixel(x, y + 9) != rgb; }

BulletRecord Bullet(int kind, double x, double y, double angle, int count) {
    BulletRecord b{};
    b.state = 1, b.kind = kind, b.x = x, b.y = y, b.angle = angle, b.count = count;
    return b;
}

} // namespace

TEST_F(PlayFieldDraw, BulletsTurnBySpinOrHeadingAndAddWhenFlagged) {
    shot_graphic[0] = {Bar(0xFF0000), 0, 4};
    shot_graphic[1] = {Bar(0x00FF00), 1, 4};
    eshot[3].state = 1;
    eshot[3].bullet[0] = Bullet(0, 50, 50, 0, 7);                  // heading 0 + π/2: standing
    eshot[3].bullet[1] = Bullet(0, 100, 50, GAME_PI / 2, 7);       // heading π/2 + π/2: lying
    eshot[3].bullet[2] = Bullet(1, 150, 50, GAME_PI / 2, 30);      // spins: quarter turn at 30
    eshot[3].bullet[3] = Bullet(1, 200, 50, 0, 120);               // spins: full turn at 120
    eshot[3].bullet[4] = Bullet(1, 250, 50, 0, 150);               // 150 % 120 = 30: standing
    eshot[5].state = 2;                                              // orphaned groups still draw
    eshot[5].bullet[99] = Bullet(0, 300, 50, 0, 1);
    eshot[6].state = 0;                                              // free groups do not
    eshot[6].bullet[0] = Bullet(0, 350, 50, 0, 1);
    boss.state = BOSS_FIGHTING;
    boss.flashTimer = 1;
    boss_bullets.active = 1;
    boss_bullets.bullet[0] = Bullet(0, 50, 150, 0, 7);              // boss bullets take the heading as is
    boss_bullets.bullet[1] = Bullet(0, 100, 150, GAME_PI / 2, 7);
    boss_bullets.bullet[2] = Bullet(1, 150, 150, 0, 30);
    Draw(1);
    EXPECT_TRUE(Standing(50, 50, 0xFF0000));
    EXPECT_TRUE(Lying(100, 50, 0xFF0000));
    EXPECT_TRUE(Standing(150, 50, 0x00FF00));
    EXPECT_TRUE(Lying(200, 50, 0x00FF00));
    EXPECT_TRUE(Standing(250, 50, 0x00FF00));
    EXPECT_TRUE(Standing(300, 50, 0xFF0000));
    EXPECT_NE(BackPixel(350, 50), 0xFF0000u);
    EXPECT_TRUE(Lying(50, 150, 0xFF0000));
    EXPECT_TRUE(Standing(100, 150, 0xFF0000));
    EXPECT_TRUE(Standing(150, 150, 0x00FF00));

    // Additive bullets add to what is under them; others cover it.
    std::memset(eshot, 0, sizeof eshot);
    std::memset(&boss_bullets, 0, sizeof boss_bullets);
    g_assets.background[0][0] = Solid(700, 480, 0x404040);
    shot_graphic[2] = {Solid(8, 8, 0x4000C0), 0, 4};
    eshot[0].state = 1;
    eshot[0].bullet[0] = Bullet(2, 50, 50, 0, 1);
    eshot[0].bullet[1] = Bullet(2, 100, 50, 0, 1);
    eshot[0].bullet[1].additive = 1;
    boss_bullets.active = 1;
    boss_bullets.bullet[0] = Bullet(2, 150, 50, 0, 1);
    boss_bullets.bullet[0].additive = 1;
    Draw(1);
    EXPECT_EQ(BackPixel(50, 50), 0x4000C0u);
    EXPECT_EQ(BackPixel(100, 50), 0x8040FFu);
    EXPECT_EQ(BackPixel(150, 50), 0x8040FFu);
    EXPECT_EQ(BackPixel(10, 10), 0x404040u) << "blending back to normal after the bullets";

    // Bullets are filtered: a one-pixel checker turned by an eighth of a turn
    // shows mixed colours; the same drawing after the field is unfiltered again.
    std::memset(eshot, 0, sizeof eshot);
    std::memset(&boss_bullets, 0, sizeof boss_bullets);
    g_assets.background[0][0] = -1;
    std::vector<uint32_t> checker;
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++) checker.push_back((x + y) % 2 ? 0xFFFF0000u : 0xFF0000FFu);
    const int check = MakeTestImage(16, 16, checker, true);
    shot_graphic[3] = {check, 1, 4};
    eshot[0].state = 1;
    eshot[0].bullet[0] = Bullet(3, 100, 100, 0, 15);
    Draw(1);
    DrawImageRotated(200, 100, 1.0, GAME_PI / 4, check, 1, 0);
    auto mixed = [](int cx, int cy) {
        int n = 0;
        for (int y = cy - 3; y <= cy + 3; y++)
            for (int x = cx - 3; x <= cx + 3; x++) {
                const uint32_t p = BackPixel(x, y);
                n += p != 0xFF0000 && p != 0x0000FF;
            }
        return n;
    };
    EXPECT_GT(mixed(100, 100), 20) << "bilinear inside the bullet step";
    EXPECT_EQ(mixed(200, 100), 0) << "nearest again after it";
}
