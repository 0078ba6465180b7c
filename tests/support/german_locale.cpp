#include "tests/support/german_locale.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>

namespace stravel::testing {

GermanLocale::GermanLocale() {
    if (FindTool("localedef").empty()) {
        _failure = "localedef is not installed";
        return;
    }
    const auto made = RunTool(
        {"localedef", "-i", "de_DE", "-f", "UTF-8", (_dir.Path() / "de_DE.UTF-8").string()});
    // localedef reports warnings with exit code 1 and still writes the locale.
    if (!std::filesystem::exists(_dir.Path() / "de_DE.UTF-8" / "LC_NUMERIC")) {
        _failure = "localedef failed: " + made.err;
        return;
    }
    setenv("LOCPATH", _dir.Path().c_str(), 1);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        _failure = "de_DE.UTF-8 does not load";
}

GermanLocale::~GermanLocale() {
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
}

} // namespace stravel::testing
