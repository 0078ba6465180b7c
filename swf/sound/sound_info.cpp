#include "swf/sound/sound_info.h"

#include "swf/stream/bounded_read.h"
#include "swf/stream/swf_stream.h"

namespace ravuz {

namespace {
constexpr uint32_t kPointSize = 8;
}

CBK_SwfSoundInfo& CBK_SwfSoundInfo::operator=(const CBK_SwfSoundInfo& other) {
    if (this == &other)
        return *this;
    _flags = other._flags;
    _inPoint = other._inPoint;
    _outPoint = other._outPoint;
    _loopCount = other._loopCount;
    _envelopeCount = other._envelopeCount;
    _envelope.clear();
    _envelope.reserve(other._envelope.size());
    for (const auto& point : other._envelope)
        _envelope.push_back(std::make_unique<SOUNDENVELOPE>(*point));
    return *this;
}

void CBK_SwfSoundInfo::Create() {
    _flags = 0;
    _inPoint = _outPoint = 0;
    _loopCount = 0;
    _envelopeCount = 0;
    _envelope.clear();
}

SOUNDENVELOPE* CBK_SwfSoundInfo::AddEnvelopeRecord() {
    if (_envelope.size() >= kMaxEnvelopePoints)
        return nullptr;
    _envelope.push_back(std::make_unique<SOUNDENVELOPE>());
    return _envelope.back().get();
}

bool CBK_SwfSoundInfo::DeleteEnvelopeRecord(uint32_t index) {
    if (index >= _envelope.size())
        return false;
    _envelope.erase(_envelope.begin() + index);
    return true;
}

uint32_t CBK_SwfSoundInfo::Read(CBK_SwfReader* reader) {
    reader->ByteAlign();
    return Read(reader, reader->GetTagEnd(reader->GetBufPos()));
}

uint32_t CBK_SwfSoundInfo::Read(CBK_SwfReader* reader, uint32_t end) {
    Create();
    CBK_SwfBoundedRead in(reader, end);
    const uint32_t start = reader->GetBufPos();
    _flags = in.Byte();
    if (_flags & HAS_IN_POINT)
        _inPoint = in.DWord();
    if (_flags & HAS_OUT_POINT)
        _outPoint = in.DWord();
    if (_flags & HAS_LOOPS)
        _loopCount = in.Word();
    if (_flags & HAS_ENVELOPE) {
        _envelopeCount = in.Byte();
        const uint32_t fit = in.Left() / kPointSize;
        const uint32_t count = _envelopeCount < fit ? _envelopeCount : fit;
        if (!reader->ChargeRoomFor(_envelope, count) ||
            !reader->Charge(count * SwfHeapCost(sizeof(SOUNDENVELOPE))))
            return reader->GetBufPos() - start;
        _envelope.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            auto point = std::make_unique<SOUNDENVELOPE>();
            point->position = in.DWord();
            point->leftLevel = in.Word();
            point->rightLevel = in.Word();
            _envelope.push_back(std::move(point));
        }
    }
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfSoundInfo::Write(CBK_SwfStream* stream) const {
    const uint32_t before = stream->GetByteCount();
    stream->Add(_flags);
    if (_flags & HAS_IN_POINT)
        stream->Add(_inPoint);
    if (_flags & HAS_OUT_POINT)
        stream->Add(_outPoint);
    if (_flags & HAS_LOOPS)
        stream->Add(_loopCount);
    if (_flags & HAS_ENVELOPE) {
        const std::size_t count =
            _envelope.size() < kMaxEnvelopePoints ? _envelope.size() : kMaxEnvelopePoints;
        stream->Add(static_cast<uint8_t>(count));
        for (std::size_t i = 0; i < count; ++i) {
            stream->Add(_envelope[i]->position);
            stream->Add(_envelope[i]->leftLevel);
            stream->Add(_envelope[i]->rightLevel);
        }
    }
    return stream->GetByteCount() - before;
}

} // namespace ravuz
