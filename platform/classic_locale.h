// printf-style formatting that never sees the host's decimal comma.
#pragma once

#include <locale.h>

namespace tbx {

// While it lives, the calling thread works in the C locale, as the process does unless a host
// sets another: numbers keep their decimal point whatever locale the process has. Other
// threads are not affected.
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
