#include "core/strings/format.h"

#include <cwchar>
#include <vector>

#include "platform/classic_locale.h"

bool BK_FormatStringV(std::wstring& out, const wchar_t* format, va_list arguments) {
    out.clear();
    if (!format)
        return false;
    const tbx::ScopedClassicLocale numbers;
    // vswprintf reports "did not fit" and "cannot format" alike, so grow until the cap.
    for (std::size_t capacity = 256; capacity <= kBK_MaxFormattedLength; capacity *= 2) {
        std::vector<wchar_t> buffer(capacity);
        buffer[0] = 0;
        va_list attempt;
        va_copy(attempt, arguments);
        int written = std::vswprintf(buffer.data(), capacity, format, attempt);
        va_end(attempt);
        if (written >= 0) {
            out.assign(buffer.data(), static_cast<std::size_t>(written));
            return true;
        }
    }
    return false;
}

bool BK_FormatString(std::wstring& out, const wchar_t* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    bool ok = BK_FormatStringV(out, format, arguments);
    va_end(arguments);
    return ok;
}
