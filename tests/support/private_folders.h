// Points the temporary folder and the XDG user folders at a scratch folder, so that tests
// never touch the real ones; everything is put back when the object goes.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "tests/support/tools.h"

namespace stravel::testing {

class PrivateFolders {
public:
    PrivateFolders();
    ~PrivateFolders();
    PrivateFolders(const PrivateFolders&) = delete;
    PrivateFolders& operator=(const PrivateFolders&) = delete;

    const std::filesystem::path& Root() const { return _dir.Path(); }
    // A fresh folder for the test's own files.
    std::filesystem::path Work() const { return _dir.Path() / "work"; }

private:
    TempDir _dir;
    std::map<std::string, std::optional<std::string>> _saved;
};

} // namespace stravel::testing
