// The screen-video codec's packet: a frame-type byte, the block and image sizes, then each
// block's zlib-compressed pixels (an empty block is unchanged since the previous frame). It
// goes whole into a VideoFrame payload; an FLV video tag carries it after its own
// frame-type byte, from the block sizes on.
#pragma once

#include <cstdint>
#include <vector>

namespace ravuz {

class CBK_SwfStream;

class CBK_SwfImageBlock {
public:
    CBK_SwfImageBlock() = default;

    void SetPayload(const std::vector<uint8_t>& bytes) { _payload = bytes; }
    void SetPayload(const uint8_t* bytes, std::size_t count);
    const std::vector<uint8_t>& GetPayload() const { return _payload; }
    bool IsEmpty() const { return _payload.empty(); }
    // Big-endian u16 size, then the bytes; 0 and nothing written for a block above 65535
    // bytes, which the size field cannot hold.
    uint32_t Write(CBK_SwfStream* stream) const;

private:
    std::vector<uint8_t> _payload;
};

class CBK_SwfScreenVideoPacket {
public:
    static constexpr uint32_t kMaxImageSize = 4095;
    static constexpr uint32_t kMaxBlockBytes = 65535;

    CBK_SwfScreenVideoPacket(uint32_t blockWidth, uint32_t blockHeight, uint32_t imageWidth,
                             uint32_t imageHeight)
        : _blockWidth(blockWidth), _blockHeight(blockHeight), _imageWidth(imageWidth),
          _imageHeight(imageHeight) {}
    CBK_SwfScreenVideoPacket(const CBK_SwfScreenVideoPacket&) = delete;
    CBK_SwfScreenVideoPacket& operator=(const CBK_SwfScreenVideoPacket&) = delete;
    ~CBK_SwfScreenVideoPacket();

    // Appends; the packet frees the block unless GetImageBlocks(true) was called.
    void AddImageBlock(CBK_SwfImageBlock* block);
    // With `notOwning` the caller takes over freeing the blocks.
    std::vector<CBK_SwfImageBlock*>& GetImageBlocks(bool notOwning);
    // No block is empty (also when there are none).
    bool IsKeyframe() const;
    // Blocks as many as the sizes call for: a whole number of 16-pixel steps from 16 to
    // 256, images up to 4095 pixels, blocks up to 65535 bytes.
    bool IsWritable() const;
    // The whole packet; 0 and nothing written when it is not writable.
    uint32_t Write(CBK_SwfStream* stream) const;

private:
    uint32_t _blockWidth;
    uint32_t _blockHeight;
    uint32_t _imageWidth;
    uint32_t _imageHeight;
    std::vector<CBK_SwfImageBlock*> _blocks;
    bool _notOwning = false;
};

} // namespace ravuz
