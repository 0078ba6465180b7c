#include "swf/video/screen_video_packet.h"

#include "swf/stream/stream_reserve.h"
#include "swf/stream/swf_stream.h"

namespace ravuz {

namespace {

bool BlockSizeOk(uint32_t size) {
    return size >= 16 && size <= 256 && size % 16 == 0;
}

uint64_t BlocksAcross(uint32_t image, uint32_t block) {
    return (uint64_t(image) + block - 1) / block;
}

} // namespace

void CBK_SwfImageBlock::SetPayload(const uint8_t* bytes, std::size_t count) {
    _payload.clear();
    if (!bytes || count == 0)
        return;
    _payload.reserve(count);
    _payload.assign(bytes, bytes + count);
}

uint32_t CBK_SwfImageBlock::Write(CBK_SwfStream* stream) const {
    if (_payload.size() > CBK_SwfScreenVideoPacket::kMaxBlockBytes)
        return 0;
    const auto size = static_cast<uint16_t>(_payload.size());
    stream->Add(static_cast<uint8_t>(size >> 8));
    stream->Add(static_cast<uint8_t>(size));
    stream->AddBytes(_payload.data(), _payload.size());
    return 2 + size;
}

CBK_SwfScreenVideoPacket::~CBK_SwfScreenVideoPacket() {
    if (!_notOwning)
        for (CBK_SwfImageBlock* block : _blocks)
            delete block;
}

void CBK_SwfScreenVideoPacket::AddImageBlock(CBK_SwfImageBlock* block) {
    if (block)
        _blocks.push_back(block);
}

std::vector<CBK_SwfImageBlock*>& CBK_SwfScreenVideoPacket::GetImageBlocks(bool notOwning) {
    _notOwning = notOwning;
    return _blocks;
}

bool CBK_SwfScreenVideoPacket::IsKeyframe() const {
    for (const CBK_SwfImageBlock* block : _blocks)
        if (block->IsEmpty())
            return false;
    return true;
}

bool CBK_SwfScreenVideoPacket::IsWritable() const {
    if (!BlockSizeOk(_blockWidth) || !BlockSizeOk(_blockHeight))
        return false;
    if (_imageWidth > kMaxImageSize || _imageHeight > kMaxImageSize)
        return false;
    if (BlocksAcross(_imageWidth, _blockWidth) * BlocksAcross(_imageHeight, _blockHeight) !=
        _blocks.size())
        return false;
    for (const CBK_SwfImageBlock* block : _blocks)
        if (block->GetPayload().size() > kMaxBlockBytes)
            return false;
    return true;
}

uint32_t CBK_SwfScreenVideoPacket::Write(CBK_SwfStream* stream) const {
    if (!stream || !IsWritable())
        return 0;
    std::size_t total = 5;
    for (const CBK_SwfImageBlock* block : _blocks)
        total += 2 + block->GetPayload().size();
    SwfReserveMore(*stream, total);
    const uint32_t before = stream->GetByteCount();
    stream->Add(uint8_t(IsKeyframe() ? 0x13 : 0x23));
    stream->Add(_blockWidth / 16 - 1, 4);
    stream->Add(_imageWidth, 12);
    stream->Add(_blockHeight / 16 - 1, 4);
    stream->Add(_imageHeight, 12);
    for (const CBK_SwfImageBlock* block : _blocks)
        block->Write(stream);
    stream->ByteAlign();
    return stream->GetByteCount() - before;
}

} // namespace ravuz
