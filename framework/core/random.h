// MT19937 behind RandomUpTo, with the 1998 seeding by x → 69069x + 1.
#pragma once

#include <cstdint>

void RandomSeed(uint32_t seed);
uint32_t RandomNext(void);   // the next tempered 32-bit output

// FrameworkInit's seeding: a seed from the platform that differs per run.
void RandomSeedAtStartup(void);
