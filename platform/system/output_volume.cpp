#include "platform/system/output_volume.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace tbx {

namespace {

struct MixerCloser {
    void operator()(snd_mixer_t* mixer) const { snd_mixer_close(mixer); }
};
using Mixer = std::unique_ptr<snd_mixer_t, MixerCloser>;

struct Master {
    Mixer mixer;
    snd_mixer_elem_t* element = nullptr;
    long min = 0;
    long max = 0;
};

bool OpenMaster(Master& master) {
    snd_mixer_t* raw = nullptr;
    if (snd_mixer_open(&raw, 0) < 0)
        return false;
    master.mixer.reset(raw);
    if (snd_mixer_attach(raw, "default") < 0 ||
        snd_mixer_selem_register(raw, nullptr, nullptr) < 0 || snd_mixer_load(raw) < 0)
        return false;
    snd_mixer_selem_id_t* id = nullptr;
    snd_mixer_selem_id_alloca(&id);
    snd_mixer_selem_id_set_index(id, 0);
    snd_mixer_selem_id_set_name(id, "Master");
    master.element = snd_mixer_find_selem(raw, id);
    return master.element && snd_mixer_selem_has_playback_volume(master.element) &&
           snd_mixer_selem_get_playback_volume_range(master.element, &master.min, &master.max) >=
               0 &&
           master.max > master.min;
}

} // namespace

bool SetOutputVolume(double fraction) {
    Master master;
    if (std::isnan(fraction) || !OpenMaster(master))
        return false;
    const double span = double(master.max) - double(master.min);
    const long level = master.min + std::lround(std::clamp(fraction, 0.0, 1.0) * span);
    return snd_mixer_selem_set_playback_volume_all(master.element, level) >= 0;
}

bool GetOutputVolume(double& fraction) {
    Master master;
    if (!OpenMaster(master))
        return false;
    double sum = 0;
    int channels = 0;
    for (int c = 0; c <= SND_MIXER_SCHN_LAST; ++c) {
        const auto channel = snd_mixer_selem_channel_id_t(c);
        long level = 0;
        if (!snd_mixer_selem_has_playback_channel(master.element, channel) ||
            snd_mixer_selem_get_playback_volume(master.element, channel, &level) < 0)
            continue;
        sum += double(level);
        ++channels;
    }
    if (channels == 0)
        return false;
    fraction = (sum / channels - double(master.min)) / (double(master.max) - double(master.min));
    return true;
}

} // namespace tbx
