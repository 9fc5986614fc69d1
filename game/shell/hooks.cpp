// The installed hooks, empty until the program installs the features.
#include "game/shell/hooks.h"

namespace {

ShellHooks g_hooks;

} // namespace

void InstallShellHooks(const ShellHooks& hooks) { g_hooks = hooks; }

const ShellHooks& InstalledShellHooks(void) { return g_hooks; }
