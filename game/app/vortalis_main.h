// The game's entry point, called by main() of the vortalis executable and by
// tests that run the whole game on the headless platform.
#pragma once

// 0 after a normal end, −1 when the framework cannot start.
int VortalisMain(void);
