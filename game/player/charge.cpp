// The charge and the charge shot: the hold counter with its looping hum, the
// release that fires a volley or the charge shot, and the charge shot's flight.
// Called from the play step after the shots; the charge shot is never reset.
#include "game/player/charge.h"

#include "game/enemy/items.h"

#include <cmath>

#include "framework/framework.h"
#include "game/player/player.h"
#include "game/player/shots.h"
#include "game/common/assets.h"
#include "game/common/pad.h"

ChargeShot charge_shot;
void (*charge_start_blink)(void) = StartBlink;

namespace {

constexpr double CHARGE_SPEED = 15;
constexpr double SEGMENT_SPACING = 134;   // one cell of the charge-shot strip

// The hum was cut while a charge stood at 10 or more: it starts again on the
// next frame that charge rises (a new game's charge starts from 0 and clears it).
bool g_humCut;

} // namespace

void UpdateCharge(void) {
    const int charge_sound = g_assets.se[SE_CHARGE];
    if (player_read_pad(PadConfig.shot) > CHARGE_HOLD_FREE) {
        player.charge++;
        if (charge_start_blink) charge_start_blink();
        SetSoundVolume(player.charge / 10, charge_sound);
        if (player.charge == CHARGE_HUM_START || (g_humCut && player.charge > CHARGE_HUM_START))
            PlaySoundHandle(charge_sound, 3, 1);
        g_humCut = false;
        return;
    }
    g_humCut = false;
    StopSoundHandle(charge_sound);
    SetSoundVolume(0, charge_sound);
    // Full charge is 90, where the glow already shows it.
    if (player.charge >= CHARGE_FULL) FireChargeShot();
    else if (player.charge >= CHARGE_VOLLEY_MIN) FireVolley();
    player.charge = 0;
}

void StopChargeHum(void) {
    if (player.charge >= CHARGE_HUM_START) g_humCut = true;
    StopSoundHandle(g_assets.se[SE_CHARGE]);
    SetSoundVolume(0, g_assets.se[SE_CHARGE]);
}

void DropCharge(void) {
    StopChargeHum();
    g_humCut = false;
    player.charge = 0;
}

void FireChargeShot(void) {
    charge_shot.state = CHARGE_FLYING;
    charge_shot.damage = CHARGE_SHOT_DAMAGE;
    charge_shot.count = 0;
    charge_shot.kind = CHARGE_SHOT_KIND;
    charge_shot.image = g_assets.chargeShot[1];
    charge_shot.angle = -GAME_PI / 2;
    charge_shot.speed = CHARGE_SPEED;
    for (int s = 0; s < CHARGE_SEGMENTS; s++) {
        charge_shot.x[s] = player.x + s * SEGMENT_SPACING;
        charge_shot.y[s] = player.y;
    }
    PlaySoundHandle(g_assets.se[SE_VOE], 1, 1);
}

void MoveChargeShot(void) {
    if (charge_shot.state != CHARGE_FLYING) return;
    for (int s = 0; s < CHARGE_SEGMENTS; s++) {
        charge_shot.x[s] -= std::sin(charge_shot.angle) * charge_shot.speed;
        charge_shot.y[s] -= std::cos(charge_shot.angle) * charge_shot.speed;
    }
    charge_shot.count++;
    const int m1 = static_cast<int>(charge_shot.speed + 5);
    const int m2 = static_cast<int>(charge_shot.speed + 27);
    const double x = charge_shot.x[0], y = charge_shot.y[0];
    if (y < -m1 || y > 480 + m2 || x < -m2 || x > 640 + m1) charge_shot.state = CHARGE_NONE;
}

void ResetChargeShotNewGame(void) { charge_shot = ChargeShot{}; }
