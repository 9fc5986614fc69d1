// The boss's tail: eleven segments placed along the ring of the boss's recent
// positions, 27 entries apart. UpdateBossTail runs every play frame, boss or not;
// the fourth boss's movement switches the tail on, its defeat off.
#include "game/player/boss.h"

void UpdateBossTail(void) {
    int r = boss_history.cursor;
    for (int k = 0; k < TAIL_SEGMENTS; k++) {
        const int at = (r + TAIL_SPACING * k) % TAIL_RING;
        boss_tail[k].x = boss_history.x[at];
        boss_tail[k].y = boss_history.y[at];
    }
    r = (r + TAIL_RING - 1) % TAIL_RING;
    boss_history.x[r] = boss.x;
    boss_history.y[r] = boss.y;
    boss_history.cursor = r;
}

// Segment 10 is never switched on: 27·10 wraps onto segment 0's entry.
void SwitchOnBossTail(void) {
    for (int k = 0; k < TAIL_SEGMENTS - 1; k++) boss_tail[k].state = 1;
    for (int i = 0; i < TAIL_RING; i++) {
        boss_history.x[i] = boss.x + 2 * i;
        boss_history.y[i] = boss.y;
    }
}
