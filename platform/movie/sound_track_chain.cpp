// Ogg files joined end to end: the sound's length and the places of its samples come from its
// links, each played in turn.
#include "platform/movie/sound_track.h"

namespace tbx::movie {

int64_t SoundTrack::_CountChain(AVFormatContext* format) {
    if (!_chain && !(_chain = OggChain::Find(format, _index, _path)))
        return -1;
    // The chain places each link's times on one timeline; a link's granules counting from 0
    // again are no lie.
    _granules.reset();
    // The sound begins with the first link's first decoded sample, as in a file of one link.
    const int64_t start = StreamStart(format->streams[_index]);
    const int64_t first = _chain->FirstTime();
    if (first != start && first != INT64_MAX && _start != AV_NOPTS_VALUE && _origin == _start)
        _start = _origin = first;
    _lastPage = _chain->LastPage();
    // A link of another rate or channels starts the resampler again where a read in order
    // reaches it, which no seek can: a jump decodes from the start.
    if (!_chain->OneForm())
        _seekable = false;
    return std::max<int64_t>(0,
                             av_rescale_q(_chain->End() - _start, _timeBase, AVRational{1, _rate}));
}

} // namespace tbx::movie
