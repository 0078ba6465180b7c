// A scratch application bundle with a string table of the test's own.
#pragma once

#include <string>

#include "tests/support/tools.h"

namespace stravel::testing {

class ScratchBundle {
public:
    // Makes <temp>/Stravel.app with English.lproj/Localizable.strings holding `strings` and
    // makes it the main bundle until the object goes.
    explicit ScratchBundle(const std::string& strings);
    ~ScratchBundle();

    std::filesystem::path Path() const { return _dir.Path() / "Stravel.app"; }
    // Writes a file under Contents/Resources (folders made as needed).
    void AddResource(const std::string& relativePath, const std::string& bytes);

private:
    TempDir _dir;
};

} // namespace stravel::testing
