#include "swf/stream/swf_stream.h"

#include <algorithm>

#include "platform/memory.h"
#include "swf/stream/swf_text.h"

namespace ravuz {

CBK_SwfStream::CBK_SwfStream(uint8_t version) : _version(version) {}

CBK_SwfStream::~CBK_SwfStream() {
    Destroy();
}

void CBK_SwfStream::Destroy() {
    _buffer.clear();
    _packer.Clear();
}

void CBK_SwfStream::AddBytes(const void* data, std::size_t size) {
    ByteAlign();
    if (data)
        _buffer.append(static_cast<const uint8_t*>(data), size);
}

void CBK_SwfStream::Add(const std::vector<uint8_t>* bytes) {
    if (bytes)
        AddBytes(bytes->data(), bytes->size());
    else
        ByteAlign();
}

void CBK_SwfStream::Add(std::list<uint8_t>& bytes) {
    ByteAlign();
    std::copy(bytes.begin(), bytes.end(), _buffer.Room(bytes.size()));
    _buffer.Grow(bytes.size());
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
    if (other)
        AppendBitsOf(other, other->GetBitSize());
}

void CBK_SwfStream::AddBitStreamBits(CBK_SwfStream* other, uint32_t nbits) {
    if (other)
        AppendBitsOf(other, nbits);
}

void CBK_SwfStream::AppendBitsOf(CBK_SwfStream* other, uint64_t nbits) {
    if (other == this) {
        // The bits as they stand: aligning this stream first would add its padding to them.
        CBK_SwfStream copy(*this);
        AppendBitsOf(&copy, nbits);
        return;
    }
    other->ByteAlign();
    _packer.PutStream(_buffer, other->_buffer.data(), other->_buffer.size(), CBK_BitPacker(),
                      nbits);
}

const CBK_ByteBuffer& CBK_SwfStream::GetStream() {
    ByteAlign();
    return _buffer;
}

} // namespace ravuz
