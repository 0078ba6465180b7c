#include "platform/movie/restarts.h"

#include <algorithm>
#include <cstdlib>

namespace tbx::movie {

namespace {

// Places of the file whose picture times are looked at to tell whether they restart.
constexpr int kLooks = 8;
// What a look may read before it gives up.
constexpr int64_t kLookBudget = int64_t(4) << 20;
// Seconds that one stream may keep to a step without the other taking it before the step stands.
constexpr int64_t kAloneSeconds = 2;
// Key pictures kept at most; beyond, every other one goes.
constexpr std::size_t kMostKeys = std::size_t(1) << 18;

int64_t TimeOf(const AVPacket* packet) {
    return packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
}

// The start of the first FLV tag at or after `from`: two tags in a row whose sizes agree with the
// size that follows each. -1 where none is found in the bytes read.
int64_t FlvTagAfter(AVIOContext* io, int64_t from) {
    constexpr int kRead = 1 << 18;
    std::vector<uint8_t> bytes(kRead);
    if (avio_seek(io, from, SEEK_SET) < 0)
        return -1;
    const int got = avio_read(io, bytes.data(), kRead);
    auto tagAt = [&](int64_t at, int64_t& next) {
        if (at + 11 > got)
            return false;
        const int type = bytes[std::size_t(at)] & 0x1F;
        const int64_t size = int64_t(bytes[std::size_t(at) + 1]) << 16 |
                             int64_t(bytes[std::size_t(at) + 2]) << 8 | bytes[std::size_t(at) + 3];
        next = at + 11 + size + 4;
        if ((type != 8 && type != 9 && type != 18) || next > got)
            return false;
        const uint8_t* back = bytes.data() + next - 4;
        return (int64_t(back[0]) << 24 | int64_t(back[1]) << 16 | int64_t(back[2]) << 8 |
                back[3]) == size + 11;
    };
    for (int64_t at = 0; at + 11 <= got; ++at) {
        int64_t next = 0, after = 0;
        if (tagAt(at, next) && tagAt(next, after))
            return from + at;
    }
    return -1;
}

// The time of the first packet of stream `index` read from about byte `pos` on, or
// AV_NOPTS_VALUE.
int64_t TimeNear(AVFormatContext* format, int index, int64_t pos) {
    if (IsContainer(format, "flv"))
        pos = FlvTagAfter(format->pb, pos);
    if (pos < 0 || av_seek_frame(format, index, pos, AVSEEK_FLAG_BYTE) < 0)
        return AV_NOPTS_VALUE;
    ReadBudget* budget = static_cast<ReadBudget*>(format->opaque);
    budget->limit = format->pb->bytes_read + kLookBudget;
    PacketPtr packet(av_packet_alloc());
    int64_t time = AV_NOPTS_VALUE;
    while (packet && time == AV_NOPTS_VALUE && av_read_frame(format, packet.get()) >= 0) {
        if (packet->stream_index == index)
            time = TimeOf(packet.get());
        av_packet_unref(packet.get());
    }
    budget->limit = -1;
    return time;
}

// Whether the picture's times at a few places of the file, taken in order, go back, or jump
// further than the bytes between them account for.
bool OutOfOrder(AVFormatContext* format, int index, int64_t contentEnd) {
    const AVStream* stream = format->streams[index];
    const int64_t size = format->pb ? avio_size(format->pb) : -1;
    if (size <= 0 || contentEnd == AV_NOPTS_VALUE)
        return false;
    const int64_t second = av_rescale_q(1, AVRational{1, 1}, stream->time_base);
    std::vector<int64_t> times = {StreamStart(stream)};
    for (int look = 1; look <= kLooks; ++look)
        if (const int64_t time = TimeNear(format, index, size / (kLooks + 1) * look);
            time != AV_NOPTS_VALUE)
            times.push_back(time);
    times.push_back(contentEnd);
    const int64_t share = (contentEnd - times.front()) / (kLooks + 1);
    for (std::size_t i = 1; i < times.size(); ++i)
        if (times[i] < times[i - 1] - second ||
            times[i] - times[i - 1] > kRestartSeconds * second + 4 * std::max<int64_t>(share, 0))
            return true;
    return false;
}

// What the pass keeps of a stream: where its last packet ended, the latest time it reached (on
// the timeline as moved so far) and the place in the file that its last packet came from.
struct Track {
    int index = -1;
    AVRational base{1, 1};
    int64_t next = AV_NOPTS_VALUE;
    int64_t latest = AV_NOPTS_VALUE;
    int64_t pos = 0;
    int64_t frame = 0; // a packet's duration where it states none
    // Whether a packet at `at` steps from where the stream stands, as FFmpeg takes a restart:
    // further than `far` either way, or back by more than `tenth`.
    bool Steps(int64_t at, int64_t far, int64_t tenth) const {
        return next != AV_NOPTS_VALUE &&
               (at < next - far || at > next + far || at + tenth < latest);
    }
    void Follow(int64_t at, int64_t duration) {
        next = at + duration;
        latest = latest == AV_NOPTS_VALUE ? at : std::max(latest, at);
    }
};

} // namespace

std::unique_ptr<Restarts> Restarts::Find(const std::string& path, const KnownFile& known,
                                         AVFormatContext* format, int picture, int64_t declaredEnd,
                                         int64_t contentEnd) {
    // FFmpeg reads an FLV file as one whose times may restart only when told it is live; a
    // recorder's is, whether or not it says so.
    const AVInputFormat* container = format->iformat;
    if (!((container->flags & AVFMT_TS_DISCONT) || IsContainer(format, "flv")) ||
        (container->flags & AVFMT_NO_BYTE_SEEK) || !format->pb || picture < 0)
        return nullptr;
    const AVRational base = format->streams[picture]->time_base;
    const int64_t second = av_rescale_q(1, AVRational{1, 1}, base);
    const bool endsElsewhere = declaredEnd != AV_NOPTS_VALUE && contentEnd != AV_NOPTS_VALUE &&
                               std::llabs(declaredEnd - contentEnd) > second;
    if (!endsElsewhere && !OutOfOrder(format, picture, contentEnd))
        return nullptr;

    // Read through: the picture's and the sound's packets, and no other stream's.
    FormatPtr pass = OpenMediaFile(path, &known);
    PacketPtr packet(av_packet_alloc());
    if (!pass || !packet || picture >= int(pass->nb_streams))
        return nullptr;
    const int sound = FindSoundStream(pass.get());
    Track tracks[2];
    tracks[0].index = picture;
    tracks[1].index = sound;
    for (Track& track : tracks)
        if (track.index >= 0)
            track.base = pass->streams[track.index]->time_base;
    if (const AVRational rate = pass->streams[picture]->avg_frame_rate;
        rate.num > 0 && rate.den > 0)
        tracks[0].frame = av_rescale_q(1, av_inv_q(rate), base);
    for (unsigned i = 0; i < pass->nb_streams; ++i)
        if (int(i) != picture && int(i) != sound)
            pass->streams[i]->discard = AVDISCARD_ALL;

    std::unique_ptr<Restarts> restarts(new Restarts);
    restarts->_parts.push_back(Part{});
    const int64_t far = kRestartSeconds * second, tenth = std::max<int64_t>(1, second / 10);
    int64_t shift = 0;
    // A step that one stream has taken and the other has yet to bear out: its stream, the place
    // of its first packet, the shift it asks for, where that stream's next packet would follow
    // it, and how far it has kept to it alone. Packets from before its place belong to the part
    // before it (a parser may hand over a stream's last frame late).
    struct Step {
        int track = -1;
        int64_t pos = 0, shift = 0, next = 0, kept = 0;
    } step;
    // The picture's end, moved, in the part so far and in the packets of a step.
    int64_t end = AV_NOPTS_VALUE, stepEnd = AV_NOPTS_VALUE;
    std::vector<Key> keys;
    auto stand = [&] {
        shift = step.shift;
        restarts->_parts.push_back(Part{step.pos, shift});
        tracks[step.track].next = step.next;
        end = std::max(end, stepEnd);
        step.track = -1;
    };
    auto drop = [&] {
        step.track = -1;
        if (stepEnd != AV_NOPTS_VALUE)
            end = std::max(end, stepEnd - step.shift + shift);
    };
    for (; av_read_frame(pass.get(), packet.get()) >= 0; av_packet_unref(packet.get())) {
        const int t = packet->stream_index == picture ? 0 : packet->stream_index == sound ? 1 : -1;
        const int64_t raw = TimeOf(packet.get());
        if (t < 0 || raw == AV_NOPTS_VALUE)
            continue;
        Track& track = tracks[t];
        // A packet without a place in the file comes from where its stream's last one did.
        if (packet->pos >= 0)
            track.pos = packet->pos;
        const int64_t time = av_rescale_q(raw, track.base, base);
        const int64_t duration =
            packet->duration > 0 ? av_rescale_q(packet->duration, track.base, base) : track.frame;
        // A packet of the step's part may come from before the place where the step was seen:
        // a parser hands a frame over once it has read the start of the next.
        bool stepping = step.track >= 0 && track.pos >= step.pos;
        if (step.track >= 0 && !stepping && track.Steps(time + shift, far, tenth)) {
            stepping = true;
            step.pos = track.pos;
        }
        bool follows = true;
        if (stepping && step.track == t) {
            // The stream that stepped: on from the step, or back where it was (a time that lied).
            if (std::llabs(time + shift - track.next) <=
                std::llabs(time + step.shift - step.next)) {
                drop();
            } else {
                follows = false;
                step.next = time + step.shift + duration;
                step.kept += duration;
                if (tracks[1 - t].index < 0 || step.kept >= kAloneSeconds * second)
                    stand();
            }
        } else if (stepping) {
            // The other stream bears the step out where it steps too.
            if (!track.Steps(time + shift, far, tenth)) {
                drop();
            } else {
                stand();
                // FFmpeg moves the times again where this stream lands out of step with its own.
                if (track.Steps(time + shift, far, tenth)) {
                    shift -= time + shift - track.next;
                    restarts->_parts.push_back(Part{track.pos, shift});
                }
            }
        } else if (step.track < 0 && track.Steps(time + shift, far, tenth)) {
            step = Step{t, track.pos, shift - (time + shift - track.next), 0, 0};
            step.next = time + step.shift + duration;
            stepEnd = AV_NOPTS_VALUE;
            follows = false;
        }
        if (follows)
            track.Follow(time + shift, duration);
        if (t == 0) {
            const int64_t shown = packet->pts != AV_NOPTS_VALUE ? packet->pts : raw;
            const bool inStep = step.track >= 0 && track.pos >= step.pos;
            int64_t& reached = inStep ? stepEnd : end;
            reached = std::max(reached, shown + duration + (inStep ? step.shift : shift));
            if (packet->flags & AV_PKT_FLAG_KEY)
                keys.push_back(Key{track.pos, shown});
        }
    }
    // A step that the file ends in before anything bore it out was a time that lied.
    if (step.track >= 0)
        drop();
    if (restarts->_parts.size() < 2)
        return nullptr;
    restarts->_end = end;
    std::size_t part = 0;
    for (const Key& key : keys) {
        AVPacket moved{};
        moved.pos = key.pos;
        moved.pts = key.time;
        moved.dts = AV_NOPTS_VALUE;
        restarts->Shift(&moved, part);
        restarts->_AddKey(key.pos, moved.pts);
    }
    return restarts;
}

void Restarts::_AddKey(int64_t pos, int64_t time) {
    if (_keysSeen++ % _keyStride != 0)
        return;
    _keys.push_back(Key{pos, time});
    if (_keys.size() >= kMostKeys)
        KeepEveryOther(_keys, _keyStride);
}

void Restarts::Shift(AVPacket* packet, std::size_t& part) const {
    if (packet->pos >= 0) {
        auto after = std::upper_bound(_parts.begin(), _parts.end(), packet->pos,
                                      [](int64_t pos, const Part& p) { return pos < p.pos; });
        part = after == _parts.begin() ? 0 : std::size_t(after - _parts.begin()) - 1;
    }
    const int64_t shift = _parts[std::min(part, _parts.size() - 1)].shift;
    if (packet->pts != AV_NOPTS_VALUE)
        packet->pts += shift;
    if (packet->dts != AV_NOPTS_VALUE)
        packet->dts += shift;
}

const Restarts::Key* Restarts::KeyBefore(int64_t time) const {
    if (_keys.empty())
        return nullptr;
    auto after = std::upper_bound(_keys.begin(), _keys.end(), time,
                                  [](int64_t t, const Key& key) { return t < key.time; });
    return after == _keys.begin() ? &_keys.front() : &*(after - 1);
}

const Restarts::Key* Restarts::Previous(const Key* key) const {
    return key && key > _keys.data() ? key - 1 : nullptr;
}

} // namespace tbx::movie
