// A sound index read from the container's table of every packet rather than by a pass.
#include "platform/movie/sound_index.h"

namespace tbx::movie {

std::unique_ptr<SoundIndex> SoundIndex::FromTable(FormatPtr format, int stream) {
    if (!format || stream < 0 || stream >= int(format->nb_streams))
        return nullptr;
    AVStream* sound = format->streams[stream];
    const int count = avformat_index_get_entries_count(sound);
    const int64_t size = format->pb ? avio_size(format->pb) : -1;
    if (count <= 0)
        return nullptr;
    std::vector<Listed> table;
    table.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        const AVIndexEntry* entry = avformat_index_get_entry(sound, i);
        // Packets read from one place twice, or back in the file (edits that repeat or reorder
        // the media), are not known by their place alone.
        if (!entry || entry->size <= 0 || (!table.empty() && entry->pos <= table.back().pos))
            return nullptr;
        // A packet that the file does not hold whole delivers nothing, nor do those after it.
        if (size >= 0 && entry->pos + entry->size > size)
            break;
        table.push_back(Listed{entry->pos, entry->timestamp, entry->size,
                               (entry->flags & AVINDEX_DISCARD_FRAME) != 0});
    }
    if (table.empty())
        return nullptr;
    const std::size_t listed = table.size();
    std::unique_ptr<SoundIndex> index = _Start(std::move(format), stream, std::move(table));
    // The packets that the start read must be the table's first ones.
    if (!index || index->_count > int64_t(listed))
        return nullptr;
    for (std::size_t i = 0; i < index->_checkpoints.size(); ++i) {
        const std::size_t packet = i * std::size_t(index->_stride);
        if (packet < listed && index->_checkpoints[i].from != index->_table[packet].pos)
            return nullptr;
    }
    return index;
}

bool SoundIndex::_StepTable() {
    if (_count >= int64_t(_table.size())) {
        _Finish();
        return false;
    }
    const Listed& listed = _table[std::size_t(_count)];
    const int64_t raw = av_get_audio_frame_duration2(_parameters.get(), listed.size);
    if (raw <= 0) {
        _failed = true;
        return false;
    }
    // The packet as the table describes it, without its bytes.
    AVPacket* packet = _packet.get();
    av_packet_unref(packet);
    packet->pos = listed.pos;
    packet->size = listed.size;
    packet->pts = packet->dts = listed.time;
    packet->flags = listed.discard ? AV_PKT_FLAG_DISCARD : 0;
    const int64_t told = _Delivered(packet, raw);
    if (told != _Alone(packet, raw))
        _told.emplace_back(_count, told);
    _Add(packet, raw, told, 0);
    packet->size = 0;
    return true;
}

} // namespace tbx::movie
