// The log file. Each message is appended by opening the file, writing and
// closing it again, so the log is complete whatever way the process ends.
// Line feeds become CR LF; a line's time stamp and indentation are written only
// when the previous message ended its line. The framework's messages are
// Shift-JIS; a program that chose UTF-8 gets them, and its own, in UTF-8. The
// additions LogPrintF and SetLogEcho (a copy of every message on stderr) are
// here too.
#include "framework/core/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "framework/backend/font/charset.h"
#include "framework/backend/platform.h"
#include "framework/core/api_lock.h"
#include "framework/core/state.h"
#include "framework/core/text_encoding.h"
#include "framework/framework.h"

namespace {

struct LogState {
    uint32_t startTime;
    char fileName[64];
    char path[CORE_PATH_BYTES + 64];
    int disabled;
    int datedName;
    int timeStampsOff;
    int indentation;
    int lineOpen;
    int started;
    int echo;        // SetLogEcho: a copy on stderr
    int echoOpen;    // the copy's line is open
};

LogState g_log = {0, "Log.txt", "", 0, 0, 0, 0, 0, 0, 0, 0};

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Copies text turning each LF not already preceded by CR into CR LF. A lead byte
// takes the byte after it along, so a trail byte of 0x0A is never converted
// (UTF-8 has no such bytes).
std::string ToCrLf(const char* text, bool utf8) {
    std::string out;
    out.reserve(std::strlen(text) * 2);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    for (size_t i = 0; p[i]; i++) {
        if (!utf8 && IsLeadByte(p[i]) && p[i + 1]) {
            out.push_back(static_cast<char>(p[i]));
            out.push_back(static_cast<char>(p[++i]));
            continue;
        }
        if (p[i] == '\n' && (i == 0 || p[i - 1] != '\r')) out.push_back('\r');
        out.push_back(static_cast<char>(p[i]));
    }
    return out;
}

} // namespace

void LogSetDisabled(int disabled) { g_log.disabled = disabled; }
void LogSetDatedName(int dated) { g_log.datedName = dated; }
void LogSetTimeStampsOff(int off) { g_log.timeStampsOff = off; }
const char* LogFilePath(void) { return g_log.path; }

void LogStart(void) {
    if (g_log.disabled || g_core.logFolder[0] == 0) return;
    if (g_log.datedName) {
        time_t now = time(nullptr);
        struct tm t;
        localtime_r(&now, &t);
        snprintf(g_log.fileName, sizeof g_log.fileName, "Log%d_%d_%d_%d_%d_%d.txt", t.tm_year + 1900,
                 t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    } else {
        snprintf(g_log.fileName, sizeof g_log.fileName, "Log.txt");
    }
    snprintf(g_log.path, sizeof g_log.path, "%s/%s", g_core.logFolder, g_log.fileName);
    std::remove(g_log.path);
    if (FILE* f = std::fopen(g_log.path, "wb")) std::fclose(f);
    g_log.indentation = 0;
    g_log.lineOpen = 0;
    g_log.startTime = PlatformGet()->TicksMs();
    g_log.started = 1;
}

namespace {

// The stderr copy: the same stamp, tabs and text, in UTF-8, with plain line feeds.
void Echo(const std::string& head, const std::string& body, bool utf8) {
    std::string line = head + body;
    if (!utf8) line = CharsetSjisToUtf8(line.c_str());
    std::string out;
    for (char c : line)
        if (c != '\r') out.push_back(c);
    std::fwrite(out.data(), 1, out.size(), stderr);
    std::fflush(stderr);
}

// Appends one message in the log's encoding.
void Append(const char* text) {
    const bool utf8 = TextIsUtf8();
    const bool toFile = !g_log.disabled && g_log.started && g_core.logFolder[0] != 0;
    if (!toFile && !g_log.echo) return;
    std::string body = ToCrLf(text, utf8);
    const bool ends = !body.empty() && body.back() == '\n';
    std::string head;
    const bool open = toFile ? g_log.lineOpen : g_log.echoOpen;
    if (!open) {
        char stamp[16] = "";
        if (!g_log.timeStampsOff && g_log.started)
            snprintf(stamp, sizeof stamp, "%d:", static_cast<int>(PlatformGet()->TicksMs() - g_log.startTime));
        head = stamp;
        head.append(static_cast<size_t>(g_log.indentation), '\t');
    }
    if (g_log.echo) {
        Echo(head, body, utf8);
        g_log.echoOpen = !ends;
    }
    if (!toFile) return;
    FILE* f = std::fopen(g_log.path, "ab");
    if (!f) return;  // the text is lost; the log never fails its caller
    std::fwrite(head.data(), 1, head.size(), f);
    std::fwrite(body.data(), 1, body.size(), f);
    std::fclose(f);
    g_log.lineOpen = !ends;
}

} // namespace

void WriteLogLine(const char* text) {
    if (!text) return;
    if (TextIsUtf8()) Append(CharsetSjisToUtf8(text).c_str());
    else Append(text);
}

void LogSuspend(void) {
    g_log.started = 0;
    g_log.lineOpen = 0;
}

namespace {

// A framework format (Shift-JIS) filled with the program's texts (paths, in the
// program's encoding): in UTF-8 only the format is converted, so a path keeps
// its characters.
void AppendFormatted(const char* format, va_list ap, bool lineFeed) {
    char buffer[1024 + 1];
    if (TextIsUtf8()) {
        const std::string utf8 = CharsetSjisToUtf8(format);
        vsnprintf(buffer, 1024, utf8.c_str(), ap);
    } else {
        vsnprintf(buffer, 1024, format, ap);
    }
    if (lineFeed) std::strcat(buffer, "\n");
    Append(buffer);
}

} // namespace

void LogFmt(const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    AppendFormatted(format, ap, true);
    va_end(ap);
}

void LogFormat(const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    AppendFormatted(format, ap, false);
    va_end(ap);
}

void LogIndent(int delta) {
    g_log.indentation += delta;
    if (g_log.indentation < 0) g_log.indentation = 0;
}

// ---- Additions: the program's own log lines, and their copy on stderr ----

int LogPrintF(const char* format, ...) {
    char buffer[1024 + 1] = "";
    if (format) {
        va_list ap;
        va_start(ap, format);
        if (vsnprintf(buffer, 1024, format, ap) >= 1024) TextDropCutCharacter(buffer);
        va_end(ap);
    }
    std::strcat(buffer, "\n");
    ApiGuard guard;
    Append(buffer);   // in the program's encoding already
    return 0;
}

int SetLogEcho(int on) {
    ApiGuard guard;
    g_log.echo = on ? 1 : 0;
    g_log.echoOpen = 0;
    return 0;
}
