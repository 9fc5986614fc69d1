// The title menu's リプレイ entry: the list of saved replays, newest first,
// scrolled with the arrows; Shot (or Enter) watches the chosen one, the pause
// key (or Escape) goes back to the title.
#pragma once

enum { REPLAY_LIST_SHOWN = 12 };   // rows on the screen at once

int ReplayTitleImage(void);      // the entry's button, loaded on first use
void OpenReplayList(void);       // the entry chosen
bool StepReplaysScreen(void);    // its scenes; false for a number it does not know
