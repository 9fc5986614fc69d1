// The charge: holding Shot beyond 10 frames builds the charge counter with its
// hum; releasing fires a volley or, from 90 on, the charge shot. The play step
// calls MoveChargeShot then UpdateCharge; collision reads and ends the shot.
#pragma once

enum {
    CHARGE_NONE = 0, CHARGE_FLYING = 2,
    CHARGE_SEGMENTS = 3,
    CHARGE_SHOT_KIND = 2,            // hit radius 67
    CHARGE_SHOT_DAMAGE = 500,
    CHARGE_HOLD_FREE = 10,           // Shot counts up to this do not charge
    CHARGE_HUM_START = 10,           // the hum starts when the charge reaches this
    CHARGE_VOLLEY_MIN = 11,          // released charge 11..89 fires a volley
    CHARGE_FULL = 90,                // released charge from 90 on fires the charge shot
};

// The charge shot flies the opposite way of the player-shot convention:
// x −= sin(angle)·speed, y −= cos(angle)·speed.
struct ChargeShot {
    int state;                       // CHARGE_NONE or CHARGE_FLYING
    int damage;
    int count;                       // frames flown; cannot hit while 0
    int kind;
    int image;
    double x[CHARGE_SEGMENTS], y[CHARGE_SEGMENTS];   // segment 0 is the rear one
    double angle;
    double speed;
};

extern ChargeShot charge_shot;

// The blink effect started on every frame the charge rises: StartBlink, which
// module tests replace to count the calls.
extern void (*charge_start_blink)(void);

void UpdateCharge(void);     // charge while Shot is held beyond 10 frames, fire on release
void FireChargeShot(void);   // replaces any charge shot in flight
// New game: no charge shot in flight, so none crosses from one game into the next.
void ResetChargeShotNewGame(void);
// Play frames stop (a menu opens, the stage is cleared): the hum stops with them.
// A charge kept through a pause hums again on its next rising frame.
void StopChargeHum(void);
// The stage is cleared: the hum stops and the charge is gone without firing, so
// no charge crosses into the next stage.
void DropCharge(void);
void MoveChargeShot(void);   // 15 pixels right per frame; ends once the rear segment passes x = 660
