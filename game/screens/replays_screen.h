// The title menu's リプレイ entry: the list of saved replays, newest first,
// scrolled with up and down, a page at a time with left and right; Shot (or
// Enter) watches the chosen one, the pause key (or Escape) goes back to the title.
#pragma once

enum { REPLAY_LIST_SHOWN = 13 };   // rows on the screen at once

int ReplayTitleImage(void);      // the entry's button, loaded on first use
void OpenReplayList(void);       // the entry chosen
bool StepReplaysScreen(void);    // its scenes; false for a number it does not know
