// The 100 enemy movement patterns, indexed by an enemy's `pattern`; called by
// UpdateEnemies before it moves the enemy.
#pragma once

enum { ENEMY_PATTERNS = 100 };

typedef void (*EnemyPatternFn)(int i);

extern const EnemyPatternFn enemy_pattern[ENEMY_PATTERNS];

// Angle constant of every pattern: π to 13 decimals, as the game has always used.
constexpr double PATTERN_PI = 3.1415926535898;
