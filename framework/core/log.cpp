// The log file. Each message is appended by opening the file, writing and
// closing it again, so the log is complete whatever way the process ends.
// Line feeds become CR LF; a line's time stamp and indentation are written only
// when the previous message ended its line.
#include "framework/core/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "framework/backend/platform.h"
#include "framework/core/state.h"

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
};

LogState g_log = {0, "Log.txt", "", 0, 0, 0, 0, 0, 0};

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Copies text turning each LF not already preceded by CR into CR LF. A lead byte
// takes the byte after it along, so a trail byte of 0x0A is never converted.
std::string ToCrLf(const char* text) {
    std::string out;
    out.reserve(std::strlen(text) * 2);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    for (size_t i = 0; p[i]; i++) {
        if (IsLeadByte(p[i]) && p[i + 1]) {
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

void WriteLogLine(const char* text) {
    if (!text || g_log.disabled || !g_log.started || g_core.logFolder[0] == 0) return;
    std::string body = ToCrLf(text);
    FILE* f = std::fopen(g_log.path, "ab");
    if (!f) return;  // the text is lost; the log never fails its caller
    if (!g_log.lineOpen) {
        if (!g_log.timeStampsOff)
            std::fprintf(f, "%d:", static_cast<int>(PlatformGet()->TicksMs() - g_log.startTime));
        for (int i = 0; i < g_log.indentation; i++) std::fputc('\t', f);
    }
    std::fwrite(body.data(), 1, body.size(), f);
    std::fclose(f);
    g_log.lineOpen = body.empty() || body.back() != '\n';
}

void LogFmt(const char* format, ...) {
    char buffer[1024 + 1];
    va_list ap;
    va_start(ap, format);
    vsnprintf(buffer, 1024, format, ap);
    va_end(ap);
    std::strcat(buffer, "\n");
    WriteLogLine(buffer);
}

void LogIndent(int delta) {
    g_log.indentation += delta;
    if (g_log.indentation < 0) g_log.indentation = 0;
}
