// Notices: what the features beside the designed game tell the player (a
// replay saved or refused, a settings problem, a screenshot). Each shows for a
// few seconds over the frame and goes, and stays in Log.txt; the designed
// console (ScreenPrintF) keeps its designed lines for good.
#pragma once

enum { NOTICE_LINES = 6, NOTICE_MS = 4000 };

// Adds a line (Shift-JIS, printf rules, cut to one line); the oldest goes when
// more than NOTICE_LINES are showing.
void Notify(const char* format, ...) __attribute__((format(printf, 1, 2)));
void DrawNotices(void);          // once per drawn frame, over everything, before present
void ClearNotices(void);
int NoticeCount(void);           // lines showing now
const char* NoticeText(int i);   // line i, oldest first ("" out of range)
