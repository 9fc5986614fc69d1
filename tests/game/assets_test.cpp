// The asset loader against the generated data: every table entry holds a valid
// handle of the right size, in loading order; strips have their cell counts;
// and an empty dat/ loads nothing without a crash.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"
#include "game/common/assets.h"
#include "tests/support/files.h"
#include "tests/support/game_data.h"
#include "tests/support/headless_test.h"

namespace {

class Assets : public HeadlessTest {};

void ExpectSize(int handle, int w, int h, const char* what) {
    int gw = -1, gh = -1;
    ASSERT_EQ(GetImageSize(handle, &gw, &gh), 0) << what;
    EXPECT_EQ(gw, w) << what;
    EXPECT_EQ(gh, h) << what;
}

// The image handles in the order the loader makes them.
std::vector<int> ImagesInLoadingOrder() {
    const AssetTables& a = g_assets;
    std::vector<int> v = {a.titleBack, a.titleHeroine, a.titleLogo, a.titleMenu[0], a.titleMenu[1], a.logoSplash,
                          a.background[0][3], a.background[0][2], a.background[1][0], a.background[1][1],
                          a.background[1][2], a.background[2][0], a.background[3][0], a.background[4][0],
                          a.loading};
    for (int h : a.bulletGraphic) v.push_back(h);
    for (int h : a.ship) v.push_back(h);
    v.insert(v.end(), {a.leek, a.note, a.option});
    for (int h : a.chargeShot) v.push_back(h);
    for (int h : a.hitEffect) v.push_back(h);
    for (int h : a.enemy) v.push_back(h);
    v.push_back(a.lifeIcon);
    for (const auto& cells : a.item) v.insert(v.end(), {cells[0], cells[1]});
    for (int h : a.mapTiles) v.push_back(h);
    for (int h : a.digits) v.push_back(h);
    for (int h : a.boss) v.push_back(h);
    v.push_back(a.boss3Second);
    for (int h : a.chargeGlow) v.push_back(h);
    for (int h : a.storyBack) v.push_back(h);
    for (int i = 0; i < 10; i++)
        if (i != 7) v.push_back(a.portrait[i]);
    for (int h : a.mapPortrait) v.push_back(h);
    v.push_back(a.textBox);
    return v;
}

} // namespace

TEST_F(Assets, EveryImageLoadsWithTheSizeItsCutsNeed) {
    if (!LinkGameData()) GTEST_SKIP() << "the game data has not been built";
    LoadAssets();
    const AssetTables& a = g_assets;
    ExpectSize(a.titleBack, 640, 480, "title background");
    ExpectSize(a.loading, 640, 480, "loading screen");
    for (int s = 0; s < 5; s++)
        for (int l = 0; l < 4; l++) {
            if (a.background[s][l] == -1) continue;
            int w = 0, h = 0;
            GetImageSize(a.background[s][l], &w, &h);
            EXPECT_EQ(w, 700) << "stage " << s << " layer " << l;
            EXPECT_EQ(h, 480);
        }
    for (int h : a.ship) ExpectSize(h, 48, 48, "ship cell");
    for (int h : a.chargeShot) ExpectSize(h, 134, 139, "charge-shot cell");
    for (int h : a.hitEffect) ExpectSize(h, 140, 140, "hit effect cell");
    for (int h : a.enemy) ExpectSize(h, 32, 32, "enemy cell");
    for (int k = 0; k < ITEM_KINDS; k++)
        for (int c = 0; c < 2; c++) ExpectSize(a.item[k][c], k == 2 ? 15 : 35, k == 2 ? 15 : 35, "item cell");
    for (int h : a.mapTiles) ExpectSize(h, 32, 32, "map tile");
    for (int h : a.digits) ExpectSize(h, 16, 18, "digit");
    for (int h : a.chargeGlow) ExpectSize(h, 48, 48, "charge glow");
    for (int h : a.storyBack) ExpectSize(h, 640, 480, "story background");

    // Valid, distinct, and made in loading order.
    std::vector<int> order = ImagesInLoadingOrder();
    std::set<int> seen;
    int previousSlot = -1;
    for (size_t i = 0; i < order.size(); i++) {
        ASSERT_GE(order[i], 0) << "image " << i << " failed to load";
        EXPECT_TRUE(seen.insert(order[i]).second) << "image " << i << " shares a handle";
        const int slot = order[i] & 0x7FFF;
        EXPECT_GT(slot, previousSlot) << "image " << i << " out of loading order";
        previousSlot = slot;
    }
    EXPECT_NE(a.background[3][0], a.background[4][0]) << "kiti.png is loaded twice, as two handles";
    EXPECT_EQ(a.portrait[7], -1) << "the second girl has three portraits; slot 7 stays empty";

    EXPECT_EQ(a.white, MakeColor(255, 255, 255));
    EXPECT_EQ(a.yellow, MakeColor(255, 255, 0));
    const int slots[] = {0, 1, 2, 3, 4, 5, 6, 10, 20, 21, 22, 31, 34, 40};
    for (int s : slots) EXPECT_GE(a.se[s], 0) << "sound slot " << s;
    EXPECT_EQ(a.se[7], -1);
    for (int f : {a.fontMenu, a.fontMenuTitle, a.fontHud, a.fontPop}) EXPECT_GE(f, 0);
}

TEST_F(Assets, EmptyDataLoadsNothingAndTheGameGoesOn) {
    LoadAssets();
    for (int h : ImagesInLoadingOrder()) ASSERT_EQ(h, -1);
    for (int s : g_assets.se) EXPECT_EQ(s, -1);
    EXPECT_GE(g_assets.fontMenu, 0) << "fonts come from the system, not from dat/";
    EXPECT_EQ(DrawImageAt(0, 0, g_assets.titleBack, 1), -1);
    const std::string log = ReadBytes("Log.txt");
    EXPECT_NE(log.find("グラフィックファイル "), std::string::npos);
    EXPECT_NE(log.find("dat/img/title/back.png"), std::string::npos);
}
