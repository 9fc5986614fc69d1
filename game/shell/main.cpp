// The vortalis executable.
#include "game/shell/game_main.h"

int main() { return VortalisMain(); }
