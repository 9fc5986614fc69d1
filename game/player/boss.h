// The boss record: its state is the boss-fight flag that stops the stage clock.
#pragma once

struct BossRecord {
    int state;         // 0 while no boss fight is in progress
    int endTime;       // stage clock value at which the boss enters
    int hp, hpMax;
};

extern BossRecord boss;

void ResetBossStage(void);   // cleared record, end time 8000, 30000 hit points
void ClearBossBullets(void); // empties the boss-bullet block
