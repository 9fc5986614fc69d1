// Fuzz target for ScreenPrintF with arbitrary bytes (up to the first NUL) as
// the printed text: control bytes, tabs, line feeds, cut Shift-JIS pairs and
// over-long lines. Every console line must stay terminated inside its buffer,
// and the console is drawn so that the glyph path sees the same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/core/console.h"
#include "framework/framework.h"
#include "framework/core/api_lock.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzStartFramework();
    SetDrawTarget(-2);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ApiGuard whole;   // see FuzzStartFramework
    ConsoleReset();
    const std::string text = FuzzAsString(data, size);
    ScreenPrintF("%s", text.c_str());
    ScreenPrintF("%s", text.c_str());
    if (ConsoleCurrentLine() < 0 || ConsoleCurrentLine() >= ConsoleVisibleLines()) std::abort();
    for (int i = 0; i < CONSOLE_LINES; i++)
        if (std::memchr(ConsoleLine(i), 0, CONSOLE_LINE_BYTES) == nullptr) std::abort();
    ConsoleDraw();
    return 0;
}
