// Debugging aids: a trace to standard error and a log file beside the application. Nothing
// calls them in normal operation.
#pragma once

#include <cstdint>

// At most 256 characters of the formatted message, written to standard error.
void __BK_DebugTraceFunc(const wchar_t* format, ...);
// The log file becomes `name` beside the application, created empty.
void __BK_DebugLogResetFunc(const wchar_t* name);
// Appends "file: line: N; message" and a line end to the log file; nothing when it does not
// open.
void __BK_DebugLogStrFunc(const char* file, int32_t line, const wchar_t* format, ...);
void BK_DebugNewForgetLeaks();
void BK_DebugNewReportLeaks();
