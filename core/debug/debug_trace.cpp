#include "core/debug/debug_trace.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "core/paths/path.h"
#include "core/streams/of_stream.h"
#include "core/strings/format.h"
#include "core/strings/locale.h"
#include "core/strings/string_functions.h"

namespace {

constexpr std::size_t kMaxMessage = 256;

CBK_Path gLogFile;

bool FormatMessage(std::wstring& out, const wchar_t* format, va_list arguments) {
    if (!format || !BK_FormatStringV(out, format, arguments))
        return false;
    if (out.size() > kMaxMessage)
        out.resize(kMaxMessage);
    return true;
}

} // namespace

void __BK_DebugTraceFunc(const wchar_t* format, ...) {
    std::wstring message;
    va_list arguments;
    va_start(arguments, format);
    if (!FormatMessage(message, format, arguments))
        message = L"ERROR PRINTING TO CONSOLE!!!!";
    va_end(arguments);
    // The length-prefixed form holds at most 255 bytes.
    std::string bytes = BK_StringWideToAnsi(message);
    if (bytes.size() > 255)
        bytes.resize(255);
    std::fprintf(stderr, "%s\n", bytes.c_str());
}

void __BK_DebugLogResetFunc(const wchar_t* name) {
    if (!gLogFile.MakeAppLevelPath(name))
        return;
    CBK_OFStream stream(CBK_Locale::GetCodePage());
    stream.Open(gLogFile.GetFullPathString().c_str(), std::ios_base::trunc,
                CBK_Locale::GetCodePage());
}

void __BK_DebugLogStrFunc(const char* file, int32_t line, const wchar_t* format, ...) {
    std::wstring message;
    va_list arguments;
    va_start(arguments, format);
    const bool formatted = FormatMessage(message, format, arguments);
    va_end(arguments);
    if (!formatted || gLogFile.GetPathString().empty())
        return;
    CBK_OFStream stream(CBK_Locale::GetCodePage());
    if (!stream.Open(gLogFile.GetFullPathString().c_str(), std::ios_base::app,
                     CBK_Locale::GetCodePage()))
        return;
    const std::wstring text = BK_StringAnsiToWide(file ? file : "") + L": line: " +
                              std::to_wstring(line) + L"; " + message + L"\n";
    stream << text.c_str();
}

void BK_DebugNewForgetLeaks() {}

void BK_DebugNewReportLeaks() {}
