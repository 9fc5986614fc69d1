// The on-screen console's lines drawn over the picture: core keeps the text
// (core/console.cpp), this draws it with the text module's console font.
// Called by FlipScreen before every present.
#include "framework/core/console.h"
#include "framework/framework.h"
#include "framework/graphics/draw_internal.h"
#include "framework/graphics/draw_target.h"
#include "framework/graphics/text_internal.h"

// The console goes on the back buffer, the picture that is presented, whatever
// the caller draws into at the time; its target and draw state come back after.
void ConsoleDraw(void) {
    if (!ConsoleInUse()) return;
    DrawStateSave saved;
    GraphicsSaveDrawState(&saved);
    const int target = GraphicsTargetHandle();
    if (target != -2) SetDrawTarget(-2);
    const int n = ConsoleVisibleLines();
    for (int i = 0; i < n; i++) {
        const char* line = ConsoleLine(i);
        if (line[0]) FontConsoleDrawLine(0, i * CONSOLE_FONT_SIZE, line);
    }
    if (target != -2) SetDrawTarget(target);
    GraphicsRestoreDrawState(&saved);
}
