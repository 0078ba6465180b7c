#include "platform/movie/sound_output.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace tbx::movie {

namespace {

// What the device may hold ahead of what is heard; the feeder writes less than this ahead.
constexpr unsigned kLatencyMicros = 500000;

bool AlsaFormat(int32_t bits, snd_pcm_format_t& format) {
    switch (bits) {
    case 8:
        format = SND_PCM_FORMAT_S8;
        return true;
    case 16:
        format = SND_PCM_FORMAT_S16_LE;
        return true;
    case 24:
        format = SND_PCM_FORMAT_S24_3LE;
        return true;
    case 32:
        format = SND_PCM_FORMAT_S32_LE;
        return true;
    default:
        return false;
    }
}

// Playing starts with the first frame written rather than once the buffer is full, so that a
// feeder that keeps only a little ahead is heard at all.
bool StartAtOnce(snd_pcm_t* pcm) {
    snd_pcm_sw_params_t* params = nullptr;
    snd_pcm_sw_params_alloca(&params);
    return snd_pcm_sw_params_current(pcm, params) == 0 &&
           snd_pcm_sw_params_set_start_threshold(pcm, params, 1) == 0 &&
           snd_pcm_sw_params(pcm, params) == 0;
}

// A machine without a sound device is no error here: ALSA is kept from reporting one.
void Quiet(const char*, int, const char*, int, const char*, ...) {}

} // namespace

struct SoundOutput::Device {
    snd_pcm_t* pcm = nullptr;
    ~Device() {
        if (pcm)
            snd_pcm_close(pcm);
    }
};

SoundOutput::SoundOutput(std::unique_ptr<Device> device, int frameBytes)
    : _device(std::move(device)), _frameBytes(frameBytes) {}

SoundOutput::~SoundOutput() = default;

std::unique_ptr<SoundOutput> SoundOutput::Open(const PcmForm& form) {
    snd_pcm_format_t format{};
    if (form.bigEndian || form.rate <= 0 || form.channels <= 0 || form.channels > 16 ||
        !AlsaFormat(form.bits, format))
        return nullptr;
    auto device = std::make_unique<Device>();
    snd_lib_error_set_handler(Quiet);
    const int opened =
        snd_pcm_open(&device->pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    snd_lib_error_set_handler(nullptr);
    if (opened < 0) {
        device->pcm = nullptr;
        return nullptr;
    }
    if (snd_pcm_set_params(device->pcm, format, SND_PCM_ACCESS_RW_INTERLEAVED,
                           unsigned(form.channels), unsigned(form.rate), 1, kLatencyMicros) < 0 ||
        !StartAtOnce(device->pcm))
        return nullptr;
    return std::unique_ptr<SoundOutput>(
        new SoundOutput(std::move(device), form.channels * form.bits / 8));
}

bool SoundOutput::_Recover(long error) {
    if (_failed || snd_pcm_recover(_device->pcm, int(error), 1) < 0) {
        _failed = true;
        return false;
    }
    _restarted = true;
    return true;
}

int64_t SoundOutput::Room() {
    if (_failed)
        return -1;
    snd_pcm_sframes_t room = snd_pcm_avail_update(_device->pcm);
    if (room < 0) {
        if (!_Recover(room))
            return -1;
        room = snd_pcm_avail_update(_device->pcm);
    }
    return std::max<int64_t>(room, 0);
}

int64_t SoundOutput::Write(const uint8_t* frames, int64_t count) {
    int64_t written = 0;
    while (!_failed && written < count) {
        const snd_pcm_sframes_t done = snd_pcm_writei(_device->pcm, frames + written * _frameBytes,
                                                      snd_pcm_uframes_t(count - written));
        if (done == -EAGAIN)
            break;
        if (done < 0) {
            if (!_Recover(done))
                return -1;
            continue;
        }
        written += done;
    }
    return _failed ? -1 : written;
}

int64_t SoundOutput::Pending() {
    snd_pcm_sframes_t delay = 0;
    if (_failed || snd_pcm_delay(_device->pcm, &delay) < 0)
        return 0;
    return std::max<int64_t>(delay, 0);
}

bool SoundOutput::Restarted() {
    return std::exchange(_restarted, false);
}

void SoundOutput::Drop() {
    if (_failed)
        return;
    snd_pcm_drop(_device->pcm);
    if (snd_pcm_prepare(_device->pcm) < 0)
        _failed = true;
}

} // namespace tbx::movie
