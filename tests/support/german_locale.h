// The process locale switched to one with a decimal comma, for tests that numbers never
// depend on it.
#pragma once

#include <string>

#include "tests/support/tools.h"

namespace stravel::testing {

// Builds de_DE.UTF-8 with localedef into a scratch folder, points LOCPATH at it and sets
// it for the whole process; the C locale comes back when the object goes.
class GermanLocale {
public:
    GermanLocale();
    ~GermanLocale();
    GermanLocale(const GermanLocale&) = delete;
    GermanLocale& operator=(const GermanLocale&) = delete;

    // Why the locale could not be set; empty when it is set.
    const std::string& Failure() const { return _failure; }

private:
    TempDir _dir;
    std::string _failure;
};

} // namespace stravel::testing
