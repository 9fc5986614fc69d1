// The options: enabled by power, switched between formations by the formation
// button, moved two sub-steps per frame while a direction is held. In follow
// formation each option replays the ship's path from its own ring.
#include "game/player/options.h"

#include <cstring>

#include "game/player/player.h"
#include "game/common/assets.h"
#include "game/common/pad.h"

OptionRecord option[OPTIONS];
OptionTrail option_trail[OPTIONS];
const int OPTION_TRAIL_SIZE[OPTIONS] = {25, 50, 75};
const int OPTION_POWER[OPTIONS] = {18, 24, 36};
int formation_mode;
unsigned char formation_flag[FORMATIONS];

namespace {

// Fixed places relative to the ship in front and rear formation.
const TrailPoint FRONT_OFFSET[OPTIONS] = {{50, -40}, {50, 40}, {-50, 0}};
const TrailPoint REAR_OFFSET[OPTIONS] = {{-60, 0}, {-40, 35}, {-40, -35}};

// One movement sub-step: the three formations' positions weighed by their
// flags. Outside follow formation the cursor drops to 0 and the entries it
// touches are overwritten with zeros.
void StepOption(int o) {
    OptionTrail& t = option_trail[o];
    const double f0 = formation_flag[0], f1 = formation_flag[1], f2 = formation_flag[2];
    const TrailPoint& r = t.point[t.cursor];
    option[o].x = f0 * r.x + f1 * (player.x + FRONT_OFFSET[o].x) + f2 * (player.x + REAR_OFFSET[o].x);
    option[o].y = f0 * r.y + f1 * (player.y + FRONT_OFFSET[o].y) + f2 * (player.y + REAR_OFFSET[o].y);
    t.point[t.cursor].x = f0 * player.x;
    t.point[t.cursor].y = f0 * player.y;
    t.cursor = ((t.cursor + 1) % OPTION_TRAIL_SIZE[o]) * formation_flag[0];
}

} // namespace

void ResetOptionsNewGame(void) {
    std::memset(option, 0, sizeof option);
    std::memset(option_trail, 0, sizeof option_trail);
    formation_mode = FORMATION_FOLLOW;
    std::memset(formation_flag, 0, sizeof formation_flag);
    formation_flag[FORMATION_FOLLOW] = 1;   // the flags always name the mode, even before the first update
    option[1].image = g_assets.option;
    option[2].image = g_assets.option;
}

void UpdateOptions(void) {
    for (int o = 0; o < OPTIONS; o++) option[o].enabled = player.power >= OPTION_POWER[o];
    if (player_read_pad(PadConfig.formation) == 1) {
        formation_mode = (formation_mode + 1) % FORMATIONS;
        for (OptionTrail& t : option_trail) t.point[t.cursor] = {0, 0};
    }
    for (int f = 0; f < FORMATIONS; f++) formation_flag[f] = formation_mode == f;
    for (int o = 0; o < OPTIONS; o++) {
        if (!option[o].enabled) continue;
        const bool moving = player_read_pad(PadConfig.down) > 0 || player_read_pad(PadConfig.left) > 0 ||
                            player_read_pad(PadConfig.right) > 0 || player_read_pad(PadConfig.up) > 0;
        if (!moving) continue;
        option[o].count += 2;
        StepOption(o);
        StepOption(o);
    }
}

void ShiftOptionsRight(void) {
    for (OptionRecord& o : option) o.x += 2;
}
