// The console's text as one string: every line from the first to the current
// one joined without separators, so the result does not depend on where the
// console font wrapped the text; and the notices likewise.
#pragma once

#include <string>

#include "framework/core/console.h"
#include "game/common/notice.h"

inline std::string ConsoleJoined() {
    std::string all;
    for (int i = 0; i <= ConsoleCurrentLine(); i++) all += ConsoleLine(i);
    return all;
}

// The notices showing now (the features' messages), joined the same way.
inline std::string NoticesJoined() {
    std::string all;
    for (int i = 0; i < NoticeCount(); i++) all += NoticeText(i);
    return all;
}
