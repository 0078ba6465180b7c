// An ALSA configuration of the test's own (ALSA_CONFIG_PATH), in force while the object
// lives, so that no test plays to a real sound device: its default device writes what is
// played, as raw frames, to a file (over the null device), or there is no device at all.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "tests/support/environment_scope.h"
#include "tests/support/tools.h"

namespace stravel::testing {

class PrivateAlsa {
public:
    enum class Device { Capture, None };
    explicit PrivateAlsa(Device device);

    // Where the capture device writes; the file exists once something has been played.
    std::filesystem::path CaptureFile() const { return _dir / "played.raw"; }

private:
    TempDir _dir;
    std::optional<EnvironmentScope> _variable;
};

} // namespace stravel::testing
