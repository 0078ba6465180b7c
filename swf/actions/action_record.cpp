#include "swf/actions/action_record.h"

#include <algorithm>

#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"

namespace ravuz {

namespace {

constexpr uint8_t kDefineFunction = 0x9B;
constexpr uint8_t kDefineFunction2 = 0x8E;
constexpr uint8_t kTry = 0x8F;
constexpr uint8_t kWith = 0x94;
constexpr uint8_t kJump = 0x99;
constexpr uint8_t kIf = 0x9D;

uint16_t WordAt(const std::vector<uint8_t>& bytes, std::size_t at) {
    return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

void SetWordAt(std::vector<uint8_t>& bytes, std::size_t at, uint16_t value) {
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

} // namespace

uint32_t CBK_SwfActionRecord::Write(CBK_SwfStream* stream) {
    stream->Add(GetActionId());
    return 1;
}

bool CBK_SwfActionRecord::SetTextVersion(uint8_t version) {
    _textVersion = version;
    return true;
}

uint32_t CBK_SwfActionRecord::SkipPayload(CBK_SwfReader* reader) {
    const uint32_t before = reader->GetBufPos();
    const uint16_t length = reader->GetWord();
    reader->OffsetBufPos(length);
    return reader->GetBufPos() - before;
}

void CBK_SwfActionRecord::WriteHeader(CBK_SwfStream* stream, uint8_t code, uint32_t payloadLength) {
    stream->Add(code);
    if (code >= 0x80)
        stream->Add(static_cast<uint16_t>(payloadLength));
}

uint32_t CBK_SwfActionUnknown::Read(CBK_SwfReader* reader) {
    _payload.clear();
    _length = 0;
    const uint32_t before = reader->GetBufPos();
    if (_code >= 0x80) {
        _length = reader->GetWord();
        if (_length &&
            !reader->Charge(SwfHeapCost(std::min<uint32_t>(_length, reader->GetRemaining()))))
            return reader->GetBufPos() - before;
        reader->GetBytes(_payload, _length);
    }
    return reader->GetBufPos() - before;
}

uint32_t CBK_SwfActionUnknown::Write(CBK_SwfStream* stream) {
    WriteHeader(stream, _code, static_cast<uint32_t>(_payload.size()));
    if (_code >= 0x80)
        stream->AddBytes(_payload.data(), _payload.size());
    return GetSize();
}

uint32_t CBK_SwfActionUnknown::GetSize() const {
    return _code < 0x80 ? 1 : 3 + static_cast<uint32_t>(_payload.size());
}

void CBK_SwfActionUnknown::GetJumps(std::vector<int32_t>& distances) const {
    // Players take these fields from their places in the payload whatever its length.
    if ((_code == kDefineFunction || _code == kDefineFunction2) && _payload.size() >= 2) {
        distances.push_back(WordAt(_payload, _payload.size() - 2));
    } else if (_code == kTry && _payload.size() >= 7) {
        int32_t end = 0;
        for (std::size_t at : {1, 3, 5}) {
            end += WordAt(_payload, at);
            distances.push_back(end);
        }
    } else if (_code == kWith && _payload.size() >= 2) {
        distances.push_back(WordAt(_payload, 0));
    } else if ((_code == kJump || _code == kIf) && _payload.size() >= 2) {
        distances.push_back(static_cast<int16_t>(WordAt(_payload, 0)));
    }
}

bool CBK_SwfActionUnknown::SetJumps(const std::vector<int32_t>& distances) {
    std::vector<int32_t> current;
    GetJumps(current);
    if (current.size() != distances.size())
        return current.empty();
    if (current.empty())
        return true;
    if (_code == kJump || _code == kIf) {
        if (distances[0] < INT16_MIN || distances[0] > INT16_MAX)
            return false;
        SetWordAt(_payload, 0, static_cast<uint16_t>(distances[0]));
        return true;
    }
    int32_t previous = 0;
    for (int32_t d : distances) {
        if (d < previous || d - previous > 0xFFFF)
            return false;
        previous = d;
    }
    if (_code == kTry) {
        previous = 0;
        for (std::size_t i = 0; i < 3; ++i) {
            SetWordAt(_payload, 1 + 2 * i, static_cast<uint16_t>(distances[i] - previous));
            previous = distances[i];
        }
    } else if (_code == kWith) {
        SetWordAt(_payload, 0, static_cast<uint16_t>(distances[0]));
    } else {
        SetWordAt(_payload, _payload.size() - 2, static_cast<uint16_t>(distances[0]));
    }
    return true;
}

} // namespace ravuz
