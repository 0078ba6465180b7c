#include "swf/stream/swf_stream.h"

#include <algorithm>
#include <cstring>

#include "platform/memory.h"
#include "swf/stream/swf_text.h"

namespace ravuz {

CBK_SwfStream::CBK_SwfStream(uint8_t version) : _version(version) {}

CBK_SwfStream::~CBK_SwfStream() {
    Destroy();
}

void CBK_SwfStream::Destroy() {
    _buffer.clear();
    _acc = 0;
    _bits = 0;
}

void CBK_SwfStream::AddBytes(const void* data, std::size_t size) {
    ByteAlign();
    if (!data || size == 0)
        return;
    const auto* bytes = static_cast<const uint8_t*>(data);
    const uint8_t* own = _buffer.data();
    if (bytes >= own && bytes < own + _buffer.size()) {
        // Appending part of this very buffer: growing may move it.
        const std::size_t from = static_cast<std::size_t>(bytes - own);
        const std::size_t old = _buffer.size();
        _buffer.resize(old + size);
        std::memmove(_buffer.data() + old, _buffer.data() + from, size);
        return;
    }
    _buffer.insert(_buffer.end(), bytes, bytes + size);
}

void CBK_SwfStream::Add(const std::vector<uint8_t>* bytes) {
    if (bytes)
        AddBytes(bytes->data(), bytes->size());
    else
        ByteAlign();
}

void CBK_SwfStream::Add(std::list<uint8_t>& bytes) {
    ByteAlign();
    _buffer.insert(_buffer.end(), bytes.begin(), bytes.end());
    bytes.clear();
}

void CBK_SwfStream::Add(CBK_SwfStream* other) {
    ByteAlign();
    if (!other)
        return;
    other->ByteAlign();
    AddBytes(other->_buffer.data(), other->_buffer.size());
}

void CBK_SwfStream::Add(const std::wstring& text) {
    ByteAlign();
    SwfAppendText(_buffer, text, _version);
}

void CBK_SwfStream::AddText(std::wstring_view text, uint8_t version, std::size_t maxBytes) {
    ByteAlign();
    SwfAppendText(_buffer, text, version, maxBytes);
}

void CBK_SwfStream::Add(char** handle) {
    ByteAlign();
    if (!handle || !*handle)
        return;
    const std::size_t size = tbx::GetHandleSize(handle);
    if (size < 1)
        return;
    tbx::HLock(handle);
    AddBytes(*handle, size);
    tbx::HUnlock(handle);
}

void CBK_SwfStream::AddBitStream(CBK_SwfStream* other) {
    if (!other)
        return;
    const uint64_t total = other->GetBitSize();
    AddBitStreamBits(other, static_cast<uint32_t>(std::min<uint64_t>(total, UINT32_MAX)));
}

void CBK_SwfStream::AddBitStreamBits(CBK_SwfStream* other, uint32_t nbits) {
    if (!other)
        return;
    other->ByteAlign();
    const uint64_t available = uint64_t(other->_buffer.size()) * 8;
    if (nbits > available)
        nbits = static_cast<uint32_t>(available);
    // A copy keeps the bytes stable when the other stream is this one.
    const std::vector<uint8_t> source(other->_buffer.begin(),
                                      other->_buffer.begin() + (nbits + 7) / 8);
    const std::size_t whole = nbits / 8;
    if (_bits == 0 && whole > 0) {
        // Aligned: copy in bulk; the last byte stays pending like any 8-bit field.
        _buffer.insert(_buffer.end(), source.begin(), source.begin() + whole - 1);
        Add(static_cast<uint32_t>(source[whole - 1]), 8);
    } else {
        _buffer.reserve(_buffer.size() + whole + 1);
        for (std::size_t i = 0; i < whole; ++i)
            Add(static_cast<uint32_t>(source[i]), 8);
    }
    const uint32_t rest = nbits % 8;
    if (rest)
        Add(static_cast<uint32_t>(source[whole] >> (8 - rest)), static_cast<int32_t>(rest));
}

const std::vector<uint8_t>& CBK_SwfStream::GetStream() {
    ByteAlign();
    return _buffer;
}

} // namespace ravuz
