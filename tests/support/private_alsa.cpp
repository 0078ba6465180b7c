#include "tests/support/private_alsa.h"

namespace stravel::testing {

PrivateAlsa::PrivateAlsa(Device device, const std::string& plugin) {
    std::string text = "# no sound device\n";
    if (device == Device::Capture)
        text = "pcm.!default { type file; slave.pcm { type null }; format \"raw\"; file \"" +
               CaptureFile().string() + "\" }\n";
    if (device == Device::Steered)
        text = "pcm_type.stravel_test_pcm { lib \"" + plugin +
               "\" }\npcm.!default { type stravel_test_pcm; position \"" +
               (_dir / "heard").string() + "\" }\n";
    WriteFileBytes(_dir / "asound.conf", text);
    _variable.emplace("ALSA_CONFIG_PATH", (_dir / "asound.conf").string());
}

void PrivateAlsa::SetHeard(long frames) const {
    WriteFileBytes(_dir / "heard", std::to_string(frames));
}

} // namespace stravel::testing
