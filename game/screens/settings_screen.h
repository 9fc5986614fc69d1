// The settings screen (設定), reached from the title: one row per setting, as a
// table. Up and down choose the row, left and right change its value (applied
// at once), Shot or Enter starts a row's action, and the pause key or Escape
// leaves, saving the file. Rebinding waits for the next key (or pad button)
// pressed; Escape cancels it.
#pragma once

int SettingsButtonImage(void);   // the title's 設定 button
void OpenSettingsMenu(void);     // from the title
void StepSettingsMenu(void);     // scene SCENE_SETTINGS
int SettingsMenuRow(void);       // the row under the cursor (for tests)
