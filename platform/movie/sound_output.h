// PCM to the default sound device over ALSA, written without ever waiting: the caller keeps
// it fed and asks how far it has played.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/movie/movie_types.h"

namespace tbx::movie {

class SoundOutput {
public:
    // Little-endian PCM of the form's rate, channels and bits (8, 16, 24 or 32). Null when
    // there is no default device or it takes no such form.
    static std::unique_ptr<SoundOutput> Open(const PcmForm& form);
    ~SoundOutput();
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    // Frames the device takes now; -1 once it has failed for good.
    int64_t Room();
    // Writes what the device takes of `count` frames and answers how many it took; -1 once it
    // has failed for good. A device that ran dry is made ready again on the way.
    int64_t Write(const uint8_t* frames, int64_t count);
    // Frames written and not yet heard; 0 when the device plays what it gets at once.
    int64_t Pending();
    // True once after the device ran dry and was made ready again: what was written before
    // is no guide to where it stands.
    bool Restarted();
    // Drops what waits to be heard; the device stays open.
    void Drop();

private:
    struct Device;
    explicit SoundOutput(std::unique_ptr<Device> device, int frameBytes);
    // Makes the device ready after a break; false when it cannot be.
    bool _Recover(long error);

    std::unique_ptr<Device> _device;
    int _frameBytes = 0;
    bool _restarted = false;
    bool _failed = false;
};

} // namespace tbx::movie
