#include "platform/movie/timeline.h"

#include <algorithm>
#include <cstdlib>

namespace tbx::movie {

namespace {

// Places of the file whose picture times are looked at to tell whether they restart: a few
// evenly spaced, and where the first of those finds the times behind what the bytes before it
// account for, from a thousandth of the file on, where a first part too short for the even ones
// to fall in may end, each half as far again as the one before. A part whose end lies between
// two of these is seen to restart: the second lands in the next part at a time that its first at
// least halfway in the part before has passed.
constexpr int kLooks = 8;
constexpr int64_t kFirstLook = 1024; // the first near the start: a share of the file this small
// What a look may read before it gives up.
constexpr int64_t kLookBudget = int64_t(4) << 20;
// Looks more that may go to telling a step ahead between two looks from a rate of bytes that
// changes (a still picture, then motion) before the file is read through instead.
constexpr int kMostHalvings = 40;
// Bytes between two places that are read packet by packet rather than halved again.
constexpr int64_t kScanned = int64_t(256) << 10;
// Seconds that one stream may keep to a step without the other taking it before the step stands.
constexpr int64_t kAloneSeconds = 2;
// Key pictures kept at most; beyond, every other one goes.
constexpr std::size_t kMostKeys = std::size_t(1) << 18;

int64_t TimeOf(const AVPacket* packet) {
    return packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
}

// The start of the first FLV tag at or after `from`: two tags in a row whose sizes agree with the
// size that follows each. -1 where none is found within a megabyte. Reads as little as a tag of
// a small picture needs, and more only for large ones.
int64_t FlvTagAfter(AVIOContext* io, int64_t from) {
    std::vector<uint8_t> bytes;
    for (int64_t want = 1 << 15; want <= (int64_t(1) << 20); want *= 4) {
        if (avio_seek(io, from, SEEK_SET) < 0)
            return -1;
        bytes.resize(std::size_t(want));
        const int64_t got = std::max(0, avio_read(io, bytes.data(), int(want)));
        auto tagAt = [&](int64_t at, int64_t& next) {
            if (at + 11 > got)
                return false;
            const int type = bytes[std::size_t(at)] & 0x1F;
            const int64_t size = int64_t(bytes[std::size_t(at) + 1]) << 16 |
                                 int64_t(bytes[std::size_t(at) + 2]) << 8 |
                                 bytes[std::size_t(at) + 3];
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
        if (got < want)
            break; // the end of the file
    }
    return -1;
}

// A place in the file and the time of the first picture packet read from there on.
struct Look {
    int64_t pos = 0;
    int64_t time = AV_NOPTS_VALUE;
};

// The first picture packet of stream `index` read from about byte `pos` on, or a look without a
// time.
Look LookAt(AVFormatContext* format, int index, int64_t pos) {
    Look look{pos, AV_NOPTS_VALUE};
    if (IsContainer(format, "flv"))
        pos = FlvTagAfter(format->pb, pos);
    if (pos < 0 || av_seek_frame(format, index, pos, AVSEEK_FLAG_BYTE) < 0)
        return look;
    ReadBudget* budget = static_cast<ReadBudget*>(format->opaque);
    budget->limit = format->pb->bytes_read + kLookBudget;
    PacketPtr packet(av_packet_alloc());
    while (packet && look.time == AV_NOPTS_VALUE && av_read_frame(format, packet.get()) >= 0) {
        if (packet->stream_index == index)
            look.time = TimeOf(packet.get());
        av_packet_unref(packet.get());
    }
    budget->limit = -1;
    return look;
}

// What is kept of a stream read in order: where its last packet ended, the latest time it
// reached (on the timeline as moved so far) and the place in the file that its last packet came
// from.
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
    // A packet's duration in `to`, or a frame's where it states none.
    int64_t Duration(const AVPacket* packet, AVRational to) const {
        return packet->duration > 0 ? av_rescale_q(packet->duration, base, to) : frame;
    }
};

// The picture's track, with a frame's duration where packets state none.
Track PictureTrack(const AVFormatContext* format, int index) {
    Track track;
    track.index = index;
    track.base = format->streams[index]->time_base;
    if (const AVRational rate = format->streams[index]->avg_frame_rate;
        rate.num > 0 && rate.den > 0)
        track.frame = av_rescale_q(1, av_inv_q(rate), track.base);
    return track;
}

// Whether the picture's times between two looks, the second further on than the bytes between
// them account for at the movie's rate, hold a step ahead between two of its packets, rather than
// a rate of bytes that changes. Halves the span where it could hold one, until what is left is
// read packet by packet; `halvings` counts the looks on the way.
bool StepBetween(AVFormatContext* format, int index, Look a, Look b, int64_t far, int& halvings) {
    const int64_t tenth = std::max<int64_t>(1, far / kRestartSeconds / 10);
    std::vector<std::pair<Look, Look>> spans = {{a, b}};
    while (!spans.empty()) {
        auto [from, to] = spans.back();
        spans.pop_back();
        // Times that keep their order step further than `far` nowhere in a span shorter.
        if (to.time - from.time <= far)
            continue;
        if (to.pos - from.pos > kScanned) {
            if (++halvings > kMostHalvings)
                return true;
            const Look middle = LookAt(format, index, from.pos + (to.pos - from.pos) / 2);
            if (middle.time == AV_NOPTS_VALUE || middle.time + tenth < from.time ||
                middle.time > to.time + tenth)
                return true;
            spans.push_back({from, middle});
            spans.push_back({middle, to});
            continue;
        }
        // Few enough bytes to read each picture packet's time.
        if (av_seek_frame(format, index, from.pos, AVSEEK_FLAG_BYTE) < 0)
            return true;
        ReadBudget* budget = static_cast<ReadBudget*>(format->opaque);
        budget->limit = format->pb->bytes_read + kLookBudget;
        PacketPtr packet(av_packet_alloc());
        Track track = PictureTrack(format, index);
        bool stepped = false, beyond = false;
        while (packet && !stepped && !beyond && av_read_frame(format, packet.get()) >= 0) {
            const int64_t time = TimeOf(packet.get());
            if (packet->stream_index == index && time != AV_NOPTS_VALUE) {
                stepped = track.Steps(time, far, tenth);
                track.Follow(time, track.Duration(packet.get(), track.base));
                beyond = packet->pos > to.pos || time >= to.time;
            }
            av_packet_unref(packet.get());
        }
        budget->limit = -1;
        if (stepped || !beyond)
            return true;
    }
    return false;
}

// Whether the picture's times at a few places of the file, taken in order, go back, or step
// ahead between two of its packets further than a restart's step.
bool OutOfOrder(AVFormatContext* format, int index, int64_t contentEnd) {
    const AVStream* stream = format->streams[index];
    const int64_t size = format->pb ? avio_size(format->pb) : -1;
    if (size <= 0 || contentEnd == AV_NOPTS_VALUE)
        return false;
    const int64_t second = av_rescale_q(1, AVRational{1, 1}, stream->time_base);
    const Look start{0, StreamStart(stream)};
    const double perByte = double(std::max<int64_t>(contentEnd - start.time, 0)) / size;
    std::vector<Look> looks = {start};
    for (int look = 1; look <= kLooks; ++look)
        looks.push_back(LookAt(format, index, size / (kLooks + 1) * look));
    looks.push_back(Look{size, contentEnd});
    std::erase_if(looks, [](const Look& look) { return look.time == AV_NOPTS_VALUE; });
    // Where the first look finds the times more than a second behind what the bytes before it
    // account for, a first part too short for it to fall in may have restarted them: the places
    // near the start are looked at too.
    if (looks.size() > 1 &&
        double(looks[1].time - start.time) < perByte * double(looks[1].pos) - double(second)) {
        std::vector<Look> near;
        for (int64_t pos = size / kFirstLook; pos > 0 && pos < looks[1].pos; pos += pos / 2)
            if (const Look look = LookAt(format, index, pos); look.time != AV_NOPTS_VALUE)
                near.push_back(look);
        looks.insert(looks.begin() + 1, near.begin(), near.end());
    }
    const int64_t far = kRestartSeconds * second, tenth = std::max<int64_t>(1, second / 10);
    int halvings = 0;
    int64_t latest = looks.front().time;
    for (std::size_t i = 1; i < looks.size(); ++i) {
        const Look& a = looks[i - 1];
        const Look& b = looks[i];
        // Back from any time before, as FFmpeg takes a restart.
        if (b.time + tenth < latest)
            return true;
        latest = std::max(latest, b.time);
        // Ahead by more than a restart's step and four times what the bytes account for.
        const double share = perByte * double(b.pos - a.pos);
        if (double(b.time - a.time) > double(far) + 4 * share &&
            StepBetween(format, index, a, b, far, halvings))
            return true;
    }
    return false;
}

} // namespace

std::shared_ptr<const Timeline> Timeline::Find(const std::string& path, const KnownFile& known,
                                               AVFormatContext* format, int picture,
                                               int64_t contentEnd) {
    std::shared_ptr<Timeline> timeline(new Timeline);
    if (picture < 0 || picture >= int(format->nb_streams))
        return timeline;
    timeline->_base = format->streams[picture]->time_base;
    timeline->_pictureEnd = contentEnd;
    // FFmpeg reads an FLV file as one whose times may restart only when told it is live; a
    // recorder's is, whether or not it says so.
    const AVInputFormat* container = format->iformat;
    if (!((container->flags & AVFMT_TS_DISCONT) || IsContainer(format, "flv")) ||
        (container->flags & AVFMT_NO_BYTE_SEEK) || !format->pb ||
        !OutOfOrder(format, picture, contentEnd) || !timeline->_Read(path, known, picture))
        timeline->_parts.resize(1);
    return timeline;
}

bool Timeline::_Read(const std::string& path, const KnownFile& known, int picture) {
    // Read through: the picture's and the sound's packets, and no other stream's.
    FormatPtr pass = OpenMediaFile(path, &known);
    PacketPtr packet(av_packet_alloc());
    if (!pass || !packet || picture >= int(pass->nb_streams))
        return false;
    const int sound = FindSoundStream(pass.get());
    Track tracks[2] = {PictureTrack(pass.get(), picture), Track{}};
    tracks[1].index = sound;
    if (sound >= 0)
        tracks[1].base = pass->streams[sound]->time_base;
    for (unsigned i = 0; i < pass->nb_streams; ++i)
        if (int(i) != picture && int(i) != sound)
            pass->streams[i]->discard = AVDISCARD_ALL;

    const AVRational base = _base;
    const int64_t second = av_rescale_q(1, AVRational{1, 1}, base);
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
    // The step stands, moved on by `more` where the stream that bore it out would otherwise step
    // back from where it stood: the whole part moves, so that its picture and sound stay together.
    auto stand = [&](int64_t more) {
        shift = step.shift + more;
        _parts.push_back(Part{step.pos, shift});
        tracks[step.track].next = step.next + more;
        if (stepEnd != AV_NOPTS_VALUE)
            end = std::max(end, stepEnd + more);
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
        const int64_t duration = track.Duration(packet.get(), base);
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
                    stand(0);
            }
        } else if (stepping) {
            // The other stream bears the step out where it steps too; FFmpeg moves the times on
            // again where it then lands back from where it stood.
            if (!track.Steps(time + shift, far, tenth)) {
                drop();
            } else {
                const int64_t at = time + step.shift;
                stand(track.Steps(at, far, tenth) ? track.next - at : 0);
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
    if (_parts.size() < 2)
        return false;
    _end = end;
    std::size_t part = 0;
    for (const Key& key : keys) {
        AVPacket moved{};
        moved.pos = key.pos;
        moved.pts = key.time;
        moved.dts = AV_NOPTS_VALUE;
        Shift(&moved, base, part);
        _AddKey(key.pos, moved.pts);
    }
    return true;
}

void Timeline::_AddKey(int64_t pos, int64_t time) {
    if (_keysSeen++ % _keyStride != 0)
        return;
    _keys.push_back(Key{pos, time});
    if (_keys.size() >= kMostKeys)
        KeepEveryOther(_keys, _keyStride);
}

void Timeline::Shift(AVPacket* packet, AVRational base, std::size_t& part) const {
    if (_parts.size() < 2)
        return;
    if (packet->pos >= 0) {
        auto after = std::upper_bound(_parts.begin(), _parts.end(), packet->pos,
                                      [](int64_t pos, const Part& p) { return pos < p.pos; });
        part = after == _parts.begin() ? 0 : std::size_t(after - _parts.begin()) - 1;
    }
    const int64_t shift =
        av_rescale_q(_parts[std::min(part, _parts.size() - 1)].shift, _base, base);
    if (packet->pts != AV_NOPTS_VALUE)
        packet->pts += shift;
    if (packet->dts != AV_NOPTS_VALUE)
        packet->dts += shift;
}

const Timeline::Key* Timeline::KeyBefore(int64_t time) const {
    if (_keys.empty())
        return nullptr;
    auto after = std::upper_bound(_keys.begin(), _keys.end(), time,
                                  [](int64_t t, const Key& key) { return t < key.time; });
    return after == _keys.begin() ? &_keys.front() : &*(after - 1);
}

const Timeline::Key* Timeline::Previous(const Key* key) const {
    return key && key > _keys.data() ? key - 1 : nullptr;
}

} // namespace tbx::movie
