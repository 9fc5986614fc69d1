// The framework's log file "Log.txt": millisecond time stamps relative to its
// start, tab indentation, CR LF line ends (Shift-JIS aware), and lines that stay
// open until a message ends with a line feed.
#pragma once

void LogStart(void);                 // from FrameworkInit: recreate the file, reset the stamp
void LogSuspend(void);               // until the next LogStart, messages reach no file (a refused init)
void WriteLogLine(const char* text); // append a framework message (Shift-JIS) as it stands
void LogFmt(const char* format, ...) __attribute__((format(printf, 1, 2))); // 1024 bytes, LF appended
void LogFormat(const char* format, ...) __attribute__((format(printf, 1, 2))); // 1024 bytes as they are
void LogIndent(int delta);           // tab levels after each time stamp
void LogSetDisabled(int disabled);
void LogSetDatedName(int dated);
void LogSetTimeStampsOff(int off);
const char* LogFilePath(void);       // full path of the current log file
