#include "tests/support/prefs_fixture.h"

#include <cstdlib>

#include "platform/prefs/cf_preferences.h"

namespace stravel::testing {

namespace {
void Save(const char* name, std::string& value, bool& had) {
    const char* current = std::getenv(name);
    had = current != nullptr;
    value = current ? current : "";
}
void Restore(const char* name, const std::string& value, bool had) {
    if (had)
        setenv(name, value.c_str(), 1);
    else
        unsetenv(name);
}
} // namespace

void PrefsFolderTest::SetUp() {
    Save("XDG_CONFIG_HOME", _savedConfig, _hadConfig);
    Save("STRAVEL_SYSTEM_PREFS", _savedSystem, _hadSystem);
    setenv("XDG_CONFIG_HOME", (_dir / "config").c_str(), 1);
    setenv("STRAVEL_SYSTEM_PREFS", SystemFolder().c_str(), 1);
    tbx::test::ResetPreferences();
}

void PrefsFolderTest::TearDown() {
    tbx::test::ResetPreferences();
    Restore("XDG_CONFIG_HOME", _savedConfig, _hadConfig);
    Restore("STRAVEL_SYSTEM_PREFS", _savedSystem, _hadSystem);
}

} // namespace stravel::testing
