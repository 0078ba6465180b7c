#include "tests/support/private_alsa.h"

namespace stravel::testing {

PrivateAlsa::PrivateAlsa(Device device) {
    std::string text = "# no sound device\n";
    if (device == Device::Capture)
        text = "pcm.!default { type file; slave.pcm { type null }; format \"raw\"; file \"" +
               CaptureFile().string() + "\" }\n";
    WriteFileBytes(_dir / "asound.conf", text);
    _variable.emplace("ALSA_CONFIG_PATH", (_dir / "asound.conf").string());
}

} // namespace stravel::testing
