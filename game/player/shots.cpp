// The player-shot table: volleys fired by a press (and by a released short
// charge), shot flight and removal off the screen. Called from the play step;
// collision reads the table and frees shots that hit.
#include "game/player/shots.h"

#include <cmath>
#include <cstring>

#include "framework/framework.h"
#include "game/player/options.h"
#include "game/player/player.h"
#include "game/common/assets.h"
#include "game/common/pad.h"

PlayerShot player_shot[PLAYER_SHOTS];

namespace {

constexpr double MAIN_SPEED = 10, OPTION_SPEED = 20;
constexpr double MAIN_OFFSET_X = 10, SECOND_MAIN_OFFSET_Y = 20;

// One option's pair of shots for each formation (follow, front, rear); every
// volley fires the pair twice.
struct OptionShotRow {
    double angle[2];                 // [e]: the first and second shot of the pair
    double dx[2], dy[2];
};

struct OptionShotKind {
    int damage, kind;
    OptionShotRow formation[FORMATIONS];
};

const OptionShotKind OPTION_SHOTS[OPTIONS] = {
    {100, SHOT_KIND_MAIN, {
        {{GAME_PI, 2 * GAME_PI}, {0, 0}, {20, -20}},                 // follow: up and down
        {{GAME_PI / 3, 2 * GAME_PI / 3}, {30, 30}, {5, -5}},         // front: 30° below and above
        {{-GAME_PI / 2, -GAME_PI / 2}, {-5, -5}, {5, -5}},           // rear: straight back
    }},
    {100, SHOT_KIND_MAIN, {
        {{GAME_PI, 2 * GAME_PI}, {0, 0}, {20, -20}},
        {{GAME_PI / 3, 2 * GAME_PI / 3}, {30, 30}, {5, -5}},
        {{-GAME_PI / 2, -GAME_PI / 2}, {-5, -5}, {5, -5}},
    }},
    {50, SHOT_KIND_REAR, {
        {{-GAME_PI / 3, -2 * GAME_PI / 3}, {-5, -5}, {5, -5}},       // backwards, 30° off
        {{-GAME_PI / 3, -2 * GAME_PI / 3}, {-5, -5}, {5, -5}},
        {{-GAME_PI / 2, -GAME_PI / 2}, {-5, -5}, {5, -5}},           // straight back
    }},
};

void AddShot(double x, double y, double angle, double speed, int damage, int kind, int image) {
    const int i = FindFreeShot();
    if (i < 0) return;
    PlayerShot& s = player_shot[i];
    s.state = SHOT_FLYING;
    s.count = 0;
    s.damage = damage;
    s.kind = kind;
    s.image = image;
    s.x = x;
    s.y = y;
    s.angle = angle;
    s.speed = speed;
}

// The formation flags weigh the three rows; exactly one flag is 1.
void FireOptionShots(int o) {
    const OptionShotKind& k = OPTION_SHOTS[o];
    const double f0 = formation_flag[0], f1 = formation_flag[1], f2 = formation_flag[2];
    for (int i = 0; i < 4; i++) {
        const int e = i % 2;
        const OptionShotRow& follow = k.formation[0];
        const OptionShotRow& front = k.formation[1];
        const OptionShotRow& rear = k.formation[2];
        const double angle = f0 * follow.angle[e] + f1 * front.angle[e] + f2 * rear.angle[e];
        const double dx = f0 * follow.dx[e] + f1 * front.dx[e] + f2 * rear.dx[e];
        const double dy = f0 * follow.dy[e] + f1 * front.dy[e] + f2 * rear.dy[e];
        AddShot(option[o].x + dx, option[o].y + dy, angle, OPTION_SPEED, k.damage, k.kind, g_assets.note);
    }
}

} // namespace

void ResetShotsNewGame(void) {
    std::memset(player_shot, 0, sizeof player_shot);
}

int FindFreeShot(void) {
    for (int i = 0; i < PLAYER_SHOTS; i++)
        if (player_shot[i].state == SHOT_FREE) return i;
    return -1;
}

void MoveShots(void) {
    for (PlayerShot& s : player_shot) {
        if (s.state != SHOT_FLYING) continue;
        // The top and right margins are the shorter ones.
        const int m1 = static_cast<int>(s.speed + 5);
        const int m2 = static_cast<int>(s.speed + 27);
        s.y += std::cos(s.angle) * s.speed;
        s.count++;
        s.x += std::sin(s.angle) * s.speed;
        if (s.y < -m1 || s.y > 480 + m2 || s.x < -m2 || s.x > 640 + m1) s.state = SHOT_FREE;
    }
}

void UpdateShots(void) {
    MoveShots();
    if (player_read_pad(PadConfig.shot) == 1) {
        FireVolley();
        PlaySoundHandle(g_assets.se[SE_SYU], 1, 1);
    }
}

void FireVolley(void) {
    const int n = player.power < 6 ? 1 : 2;
    const int damage = (n == 1 ? 200 : 120) + player.power / 100;
    for (int k = 0; k < n; k++)
        AddShot(player.x + MAIN_OFFSET_X, player.y + (k == 0 ? 0 : SECOND_MAIN_OFFSET_Y), GAME_PI / 2, MAIN_SPEED,
                damage, SHOT_KIND_MAIN, g_assets.leek);
    // The power decides, not `enabled`: a volley on the frame the power crosses a
    // threshold fires from where the option last stood.
    for (int o = 0; o < OPTIONS; o++)
        if (player.power >= OPTION_POWER[o]) FireOptionShots(o);
}
