// The volume of the default output: the playback volume of the "Master" control of ALSA's
// default control device, as a fraction of its range (0 to 1). Without such a control both
// calls fail and change nothing.
#pragma once

namespace tbx {

// Every channel to the same level; the fraction is clamped to 0..1.
bool SetOutputVolume(double fraction);
// The mean of the channels.
bool GetOutputVolume(double& fraction);

} // namespace tbx
