// The tags that an MP3 encoder writes into the stream's first frame (a Xing or Info tag, then
// the encoder's own with its delay and padding): the sound's length without reading the stream.
// Internal to the movie stand-in.
#pragma once

#include <cstdint>
#include <string>

namespace tbx::movie {

struct Mp3Tags {
    int64_t frames = 0;       // frames of sound after the tagged one
    int32_t frameSamples = 0; // samples per channel in each frame
    int32_t delay = 0;        // samples that the encoder put before the sound
    int32_t padding = 0;      // and after it
    // The tags state a count that the frames do not bear out: a reader that trusts them (FFmpeg
    // does) discards the encoder's padding in the middle of the sound.
    bool contradicted = false;

    // What a decoder that honours the tags delivers: the frames' samples less the encoder's
    // delay and padding, with the decoder's own delay moved from the end to the start.
    int64_t DecodedSamples() const;
    // The samples skipped at the start.
    int64_t Skipped() const;
};

// The tags of the MP3 file at `path` when its first frame (after an ID3v2 tag) counts the
// frames and the bytes, the file's size bears the byte count out (the stream whole, with an
// ID3v1 tag at most after it), frames sampled through the stream bear the frame count out, and
// an encoder's tag gives the delay and padding; false otherwise (`contradicted` set where only
// the frames do not bear the count out).
bool ReadMp3Tags(const std::string& path, Mp3Tags& tags);

} // namespace tbx::movie
