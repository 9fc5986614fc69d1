// The console's text as one string: every line from the first to the current
// one joined without separators, so the result does not depend on where the
// console font wrapped the text.
#pragma once

#include <string>

#include "framework/core/console.h"

inline std::string ConsoleJoined() {
    std::string all;
    for (int i = 0; i <= ConsoleCurrentLine(); i++) all += ConsoleLine(i);
    return all;
}
