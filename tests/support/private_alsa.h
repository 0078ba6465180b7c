// An ALSA configuration of the test's own (ALSA_CONFIG_PATH), in force while the object
// lives, so that no test plays to a real sound device. Its default device writes what is
// played, as raw frames, to a file (over the null device); or plays only as far as the test
// says (the tests' own device, loaded from `plugin`); or there is no device at all.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "tests/support/environment_scope.h"
#include "tests/support/tools.h"

namespace stravel::testing {

class PrivateAlsa {
public:
    enum class Device { Capture, Steered, None };
    explicit PrivateAlsa(Device device, const std::string& plugin = {});

    // Where the capture device writes; the file exists once something has been played.
    std::filesystem::path CaptureFile() const { return _dir / "played.raw"; }
    // Tells the steered device how many frames it has played since it was made ready.
    void SetHeard(long frames) const;

private:
    TempDir _dir;
    std::optional<EnvironmentScope> _variable;
};

} // namespace stravel::testing
