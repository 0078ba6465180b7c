#include "swf/stream/swf_reader.h"

#include <algorithm>
#include <cstring>
#include <typeinfo>

#include "swf/stream/swf_stream.h"
#include "swf/stream/swf_text.h"

namespace ravuz {

void CBK_SwfReader::Create() {
    _shortRead = false;
    _view = nullptr;
    _viewSize = 0;
    _viewOwner.reset();
    _direct = nullptr;
    _tags.clear();
    _tail = {};
    _frameCount = 0;
    _data.clear();
    _position = 0;
    _bitPosition = 0;
    _currentTagLength = 0;
    _storedBytes = 0;
    _heldBytes = 0;
}

bool CBK_SwfReader::Create(CBK_SwfStream* stream, bool) {
    Create();
    if (stream) {
        const CBK_ByteBuffer& bytes = stream->GetStream();
        _data.assign(bytes.begin(), bytes.end());
        _version = stream->GetVersion();
    }
    _currentTagLength = static_cast<uint32_t>(_data.size());
    return true;
}

void CBK_SwfReader::CreateFromBytes(const uint8_t* bytes, std::size_t size, uint8_t version) {
    Create();
    if (bytes && size)
        _data.assign(bytes, bytes + std::min<std::size_t>(size, UINT32_MAX));
    _version = version;
    _currentTagLength = static_cast<uint32_t>(_data.size());
}

void CBK_SwfReader::CreateView(const uint8_t* bytes, uint32_t size, uint8_t version) {
    Create();
    _view = bytes;
    _viewSize = bytes ? size : 0;
    _direct = typeid(*this) == typeid(CBK_SwfReader) ? bytes : nullptr;
    _version = version;
    _currentTagLength = _viewSize;
}

void CBK_SwfReader::CreateView(const CBK_SwfSharedBytes& bytes, uint8_t version) {
    CreateView(bytes.data.get(), bytes.size, version);
    _viewOwner = bytes.data;
}

void CBK_SwfReader::ViewAhead(uint32_t count, CBK_SwfReader& view, std::vector<uint8_t>& copy) {
    if (CBK_SwfSharedBytes shared = PeekShared(count)) {
        view.CreateView(shared, _version);
    } else {
        const uint8_t* bytes = PeekBytes(count);
        if (!bytes && count) {
            const uint32_t at = _position;
            copy.clear();
            GetBytes(copy, count);
            SetBufPos(at);
            bytes = copy.data();
            count = static_cast<uint32_t>(copy.size());
        }
        view.CreateView(bytes, count, _version);
    }
    view.SetNesting(_nesting);
    view.SetBudget(_budget);
}

uint32_t CBK_SwfReader::GetDataSize() const {
    return _view ? _viewSize : static_cast<uint32_t>(_data.size());
}

const uint8_t* CBK_SwfReader::Bytes() const {
    return _view ? _view : _data.data();
}

uint8_t CBK_SwfReader::FetchByte(uint32_t position) {
    return Bytes()[position];
}

void CBK_SwfReader::FetchBytes(uint32_t position, uint8_t* out, uint32_t count) {
    std::memcpy(out, Bytes() + position, count);
}

uint32_t CBK_SwfReader::GetRemaining() const {
    if (_direct && !_bitPosition)
        return _position >= _viewSize ? 0 : _viewSize - _position;
    const uint32_t size = GetDataSize();
    const uint32_t at = _position + (_bitPosition ? 1u : 0u);
    return at >= size ? 0 : size - at;
}

uint32_t CBK_SwfReader::GetTagEnd(uint32_t start) const {
    const uint64_t end = uint64_t(start) + _currentTagLength;
    return static_cast<uint32_t>(std::min<uint64_t>(end, GetDataSize()));
}

void CBK_SwfReader::SetBufPos(uint32_t position) {
    if (_direct) {
        _position = std::min(position, _viewSize);
        return;
    }
    _position = std::min(position, GetDataSize());
}

void CBK_SwfReader::OffsetBufPos(uint32_t delta) {
    if (_direct) {
        _position =
            static_cast<uint32_t>(std::min<uint64_t>(uint64_t(_position) + delta, _viewSize));
        return;
    }
    SetBufPos(static_cast<uint32_t>(std::min<uint64_t>(uint64_t(_position) + delta, UINT32_MAX)));
}

void CBK_SwfReader::ByteAlign() {
    if (_bitPosition) {
        if (_position < GetDataSize())
            ++_position;
        _bitPosition = 0;
    }
}

int32_t CBK_SwfReader::GetBits(uint16_t count, bool isSigned) {
    if (count == 0)
        return 0;
    if (_direct && count <= 32) {
        // In memory, with the bits there: the few bytes that hold them at once. The position
        // ends on the last byte touched, as the bit by bit reading leaves it.
        uint32_t at = _position, bit = _bitPosition;
        if (bit >= 8 && at < _viewSize) {
            ++at;
            bit = 0;
        }
        const uint32_t total = bit + count;
        const uint32_t bytes = (total + 7) / 8;
        if (bit < 8 && at <= _viewSize && _viewSize - at >= bytes) {
            uint64_t word = 0;
            for (uint32_t i = 0; i < bytes; ++i)
                word = word << 8 | _direct[at + i];
            word <<= 64 - 8 * bytes;
            auto result = static_cast<uint32_t>((word << bit) >> (64 - count));
            _position = at + (total - 1) / 8;
            _bitPosition = total - 8 * ((total - 1) / 8);
            if (isSigned && count < 32 && (result >> (count - 1)) & 1)
                result |= ~((uint32_t(1) << count) - 1);
            return static_cast<int32_t>(result);
        }
    }
    const uint32_t size = GetDataSize();
    uint64_t value = 0;
    uint32_t left = count;
    while (left > 0) {
        if (_bitPosition >= 8)
            ByteAlign();
        if (_position >= size) {
            _shortRead = true;
            value = left >= 32 ? 0 : value << left;
            break;
        }
        const uint32_t available = 8 - _bitPosition;
        const uint32_t take = std::min(available, left);
        const uint32_t bits = (FetchByte(_position) >> (available - take)) & ((1u << take) - 1);
        value = ((value << take) | bits) & 0xFFFFFFFFu;
        _bitPosition += take;
        left -= take;
    }
    auto result = static_cast<uint32_t>(value);
    if (isSigned && count < 32 && (result >> (count - 1)) & 1)
        result |= ~((uint32_t(1) << count) - 1);
    return static_cast<int32_t>(result);
}

uint8_t CBK_SwfReader::PeekByte() {
    const uint32_t at = _position + (_bitPosition ? 1u : 0u);
    return at < GetDataSize() ? FetchByte(at) : 0;
}

uint8_t CBK_SwfReader::GetByte() {
    if (_direct && !_bitPosition && _position < _viewSize)
        return _direct[_position++];
    return GetByteThroughSteps();
}

uint8_t CBK_SwfReader::GetByteThroughSteps() {
    ByteAlign();
    if (_position >= GetDataSize()) {
        _shortRead = true;
        return 0;
    }
    return FetchByte(_position++);
}

uint16_t CBK_SwfReader::GetWord() {
    if (!_direct || _bitPosition)
        ByteAlign();
    if ((_direct ? _viewSize : GetDataSize()) - _position < 2) {
        _shortRead = true;
        return 0;
    }
    uint8_t b[2];
    if (_direct)
        std::memcpy(b, _direct + _position, 2);
    else
        FetchBytes(_position, b, 2);
    _position += 2;
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t CBK_SwfReader::GetDWord() {
    if (!_direct || _bitPosition)
        ByteAlign();
    if ((_direct ? _viewSize : GetDataSize()) - _position < 4) {
        _shortRead = true;
        return 0;
    }
    uint8_t b[4];
    if (_direct)
        std::memcpy(b, _direct + _position, 4);
    else
        FetchBytes(_position, b, 4);
    _position += 4;
    return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
}

uint32_t CBK_SwfReader::GetBytes(std::vector<uint8_t>& out, uint32_t count) {
    ByteAlign();
    const uint32_t n = std::min(count, GetDataSize() - _position);
    if (n < count)
        _shortRead = true;
    if (n == 0)
        return 0;
    const std::size_t old = out.size();
    out.resize(old + n);
    FetchBytes(_position, out.data() + old, n);
    _position += n;
    return n;
}

const uint8_t* CBK_SwfReader::PeekBytes(uint32_t count) {
    if (_direct && !_bitPosition)
        return count == 0 || _viewSize - _position < count ? nullptr : _direct + _position;
    return PeekBytesThroughSteps(count);
}

const uint8_t* CBK_SwfReader::PeekBytesThroughSteps(uint32_t count) {
    ByteAlign();
    const uint32_t size = GetDataSize();
    const bool inMemory = _view || _data.size() == size;
    if (count == 0 || !inMemory || size - _position < count)
        return nullptr;
    return Bytes() + _position;
}

CBK_SwfSharedBytes CBK_SwfReader::PeekShared(uint32_t count) {
    if (!_viewOwner)
        return {};
    const uint8_t* bytes = PeekBytes(count);
    if (!bytes)
        return {};
    return {std::shared_ptr<const uint8_t>(_viewOwner, bytes), count};
}

void CBK_SwfReader::GetString(std::wstring& str, uint32_t length, bool) {
    str.clear();
    ByteAlign();
    const uint32_t size = GetDataSize();
    uint32_t count = 0;
    bool terminated = false;
    if (length) {
        count = std::min(length, size - _position);
        _shortRead = _shortRead || count < length;
    } else {
        uint32_t end = _position;
        while (end < size && FetchByte(end) != 0)
            ++end;
        count = end - _position;
        terminated = end < size;
        _shortRead = _shortRead || !terminated;
    }
    // The text is charged before it is made; refused, the reading stops anyway.
    const bool charged = Charge(SwfTextCost(count));
    const uint8_t* bytes = count && charged ? PeekBytes(count) : nullptr;
    std::vector<uint8_t> copy;
    if (bytes || !charged) {
        _position += count;
    } else if (count) {
        GetBytes(copy, count);
        bytes = copy.data();
    }
    if (terminated)
        ++_position; // the terminator
    if (charged)
        str = SwfDecodeText(bytes, count, _version);
}

} // namespace ravuz
