// A sound index read from the container's table of every packet rather than by a pass.
#include "platform/movie/sound_index.h"

#include <algorithm>

namespace tbx::movie {

std::unique_ptr<SoundIndex> SoundIndex::FromTable(FormatPtr format, int stream) {
    if (!format || stream < 0 || stream >= int(format->nb_streams))
        return nullptr;
    const AVStream* sound = format->streams[stream];
    const int64_t size = format->pb ? avio_size(format->pb) : -1;
    std::unique_ptr<SoundIndex> index = _Start(std::move(format), stream, true, nullptr);
    if (!index || !index->_List(sound, size))
        return nullptr;
    return index;
}

bool SoundIndex::_List(const AVStream* stream, int64_t size) {
    const int count = avformat_index_get_entries_count(stream);
    // The packets that the start read must be the table's first ones.
    if (count < _count)
        return false;
    int64_t last = -1;
    for (int i = 0; i < count; ++i) {
        const AVIndexEntry* entry = avformat_index_get_entry(const_cast<AVStream*>(stream), i);
        // Packets read from one place twice, or back in the file (edits that repeat or reorder
        // the media), are not known by their place alone.
        if (!entry || entry->size <= 0 || entry->pos <= last)
            return false;
        last = entry->pos;
        if (i < _count) {
            const Checkpoint* mark = _CheckpointOf(i);
            if (mark && mark->from != entry->pos)
                return false;
            continue;
        }
        // A packet that the file does not hold whole delivers nothing, nor do those after it.
        if (size >= 0 && entry->pos + entry->size > size)
            break;
        if (_complete)
            return false; // the start read fewer than the table holds
        const int64_t raw = av_get_audio_frame_duration2(_parameters.get(), entry->size);
        if (raw <= 0)
            return false;
        const bool dropped = entry->flags & AVINDEX_DISCARD_FRAME;
        Unplaced unplaced;
        unplaced.ordinal = _count++;
        unplaced.told = _Delivered(raw, 0, 0, dropped);
        if (unplaced.told != (dropped ? 0 : raw))
            _told.emplace_back(unplaced.ordinal, unplaced.told);
        unplaced.counted = _counted;
        unplaced.time = SamplesAt(entry->timestamp, 0, _timeBase, _rate);
        unplaced.mark.from = entry->pos;
        unplaced.mark.order = 0;
        unplaced.mark.size = entry->size;
        unplaced.mark.told = int32_t(std::min<int64_t>(unplaced.told, INT32_MAX));
        _longest = std::max(_longest, raw);
        _oneSize = _oneSize < 0 || _oneSize == raw ? raw : 0;
        _counted += raw;
        _Place(unplaced);
    }
    _Finish();
    return !_failed;
}

} // namespace tbx::movie
