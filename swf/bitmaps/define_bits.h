// DefineBits (6), DefineBitsJpeg2 (21) and DefineBitsJpeg3 (35): JPEG images. DefineBits uses
// the movie's JpegTables; Jpeg2 carries complete JPEG data; Jpeg3 adds a zlib-compressed
// alpha plane.
#pragma once

#include <vector>

#include "swf/base/swf_tag.h"

class CBK_Path;

namespace ravuz {

// The id and JPEG bytes the three share. The bytes are the rest of the tag (no more than
// the record length less the id when a length was given).
class CBK_SwfJpegImage : public CBK_SwfCharacterTag {
public:
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    void OffsetInfo(int32_t idOffset, int32_t, int32_t) override;

    using CBK_SwfCharacterTag::Create;
    void Create(uint16_t id, const std::vector<uint8_t>& data);
    const std::vector<uint8_t>& GetJpegData() const { return _data; }
    void Destroy() { _data.clear(); }

protected:
    CBK_SwfJpegImage() = default;
    CBK_SwfJpegImage(const CBK_SwfJpegImage&) = default;
    CBK_SwfJpegImage& operator=(const CBK_SwfJpegImage&) = default;

    std::vector<uint8_t> _data;
    uint32_t _recordLength = 0;
};

class CBK_SwfDefineBits : public CBK_SwfJpegImage {
public:
    explicit CBK_SwfDefineBits(uint32_t recordLength = 0) { _recordLength = recordLength; }
    CBK_SwfDefineBits(const CBK_SwfDefineBits& other) : CBK_SwfJpegImage(other) {}
    CBK_SwfDefineBits& operator=(const CBK_SwfDefineBits& other);
    ~CBK_SwfDefineBits() override = default;

    uint16_t GetTagId() const override { return kSwfTagDefineBits; }
    void setPayload(const std::vector<uint8_t>& data) { _data = data; }
};

class CBK_SwfDefineBitsJpeg2 : public CBK_SwfJpegImage {
public:
    CBK_SwfDefineBitsJpeg2() = default;
    // Copies `count` bytes (none for null data or a count below 1).
    CBK_SwfDefineBitsJpeg2(uint16_t id, const char* data, int32_t count);
    CBK_SwfDefineBitsJpeg2(uint16_t id, const std::vector<uint8_t>& data) { Create(id, data); }
    CBK_SwfDefineBitsJpeg2(const CBK_SwfDefineBitsJpeg2& other);
    CBK_SwfDefineBitsJpeg2& operator=(const CBK_SwfDefineBitsJpeg2& other);
    ~CBK_SwfDefineBitsJpeg2() override = default;

    uint16_t GetTagId() const override { return kSwfTagDefineBitsJpeg2; }
    void SetPayloadReadSize(int32_t length) { _recordLength = length > 0 ? uint32_t(length) : 0; }
};

class CBK_SwfDefineBitsJpeg3 : public CBK_SwfDefineBitsJpeg2 {
public:
    CBK_SwfDefineBitsJpeg3() = default;
    CBK_SwfDefineBitsJpeg3(uint16_t id, const char* jpeg, int32_t jpegCount, const char* alpha,
                           int32_t alphaCount);
    CBK_SwfDefineBitsJpeg3(const CBK_SwfDefineBitsJpeg3& other) = default;
    CBK_SwfDefineBitsJpeg3& operator=(const CBK_SwfDefineBitsJpeg3& other) = default;

    // The first tag of this kind in the movie held by the application resource 'xDAS' of
    // that id; the caller's, null when the resource or such a tag is missing. (The path is
    // not used.)
    static CBK_SwfDefineBitsJpeg3* CreateFromResource(int32_t resourceId, CBK_Path*);
    ~CBK_SwfDefineBitsJpeg3() override = default;

    uint16_t GetTagId() const override { return kSwfTagDefineBitsJpeg3; }
    // Id, JPEG length, that many JPEG bytes (no more than the tag holds), the rest alpha.
    uint32_t Read(CBK_SwfReader* reader) override;
    // The JPEG length written is always the size of the JPEG bytes held.
    uint32_t Write(CBK_SwfStream* stream) override;

    const std::vector<uint8_t>& GetAlphaData() const { return _alpha; }
    void SetAlphaData(const std::vector<uint8_t>& alpha) { _alpha = alpha; }
    // The length the last Read found or the constructor was given.
    uint32_t GetJpegLength() const { return _jpegLength; }

private:
    uint32_t _jpegLength = 0;
    std::vector<uint8_t> _alpha;
};

} // namespace ravuz
