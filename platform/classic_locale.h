// printf-style formatting that never sees the host's decimal comma.
#pragma once

#include <locale.h>

namespace tbx {

// While it lives, the calling thread formats and parses numbers in the C locale, whatever
// locale the process has; other threads are not affected.
class ScopedClassicLocale {
public:
    ScopedClassicLocale();
    ~ScopedClassicLocale();
    ScopedClassicLocale(const ScopedClassicLocale&) = delete;
    ScopedClassicLocale& operator=(const ScopedClassicLocale&) = delete;

private:
    locale_t _previous;
};

} // namespace tbx
