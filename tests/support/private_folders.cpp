#include "tests/support/private_folders.h"

#include <cstdlib>

namespace stravel::testing {

namespace {
const char* const kVariables[] = {"TMPDIR", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_DOCUMENTS_DIR",
                                  "XDG_DESKTOP_DIR"};
}

PrivateFolders::PrivateFolders() {
    for (const char* name : kVariables) {
        const char* value = std::getenv(name);
        _saved[name] = value ? std::optional<std::string>(value) : std::nullopt;
    }
    const auto root = _dir.Path();
    std::filesystem::create_directories(root / "tmp");
    std::filesystem::create_directories(root / "work");
    setenv("TMPDIR", (root / "tmp").c_str(), 1);
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("XDG_DOCUMENTS_DIR", (root / "Documents").c_str(), 1);
    setenv("XDG_DESKTOP_DIR", (root / "Desktop").c_str(), 1);
}

PrivateFolders::~PrivateFolders() {
    for (const auto& [name, value] : _saved) {
        if (value)
            setenv(name.c_str(), value->c_str(), 1);
        else
            unsetenv(name.c_str());
    }
}

} // namespace stravel::testing
