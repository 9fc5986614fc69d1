// The three options (satellites), their trail rings and the formation. The
// play step calls UpdateOptions after the charge; volleys read the positions.
#pragma once

enum {
    OPTIONS = 3,
    FORMATIONS = 3,
    FORMATION_FOLLOW = 0, FORMATION_FRONT = 1, FORMATION_REAR = 2,
    TRAIL_MAX = 75,          // the longest ring (option 3)
};

struct OptionRecord {
    int enabled;       // 1 while the power reaches the option's threshold (18, 24, 36)
    int count;         // +2 on every frame the option moves
    int image;         // options 2 and 3 carry the option picture; option 1 is drawn with it directly
    double x, y;
};

struct TrailPoint {
    double x, y;
};

// Recent ship positions an option follows in follow formation; option o uses
// the first OPTION_TRAIL_SIZE[o] points.
struct OptionTrail {
    TrailPoint point[TRAIL_MAX];
    int cursor;
};

extern OptionRecord option[OPTIONS];
extern OptionTrail option_trail[OPTIONS];
extern const int OPTION_TRAIL_SIZE[OPTIONS];   // 25, 50, 75
extern const int OPTION_POWER[OPTIONS];        // 18, 24, 36
extern int formation_mode;                     // FORMATION_FOLLOW, FRONT or REAR
extern unsigned char formation_flag[FORMATIONS]; // exactly one is 1: the weight of each formation's values

void ResetOptionsNewGame(void);   // options, rings and formation cleared; options 2 and 3 get their picture
void UpdateOptions(void);         // enabling, formation switch, movement
void ShiftOptionsRight(void);     // all three options 2 pixels right (stage-clear fly-off)
