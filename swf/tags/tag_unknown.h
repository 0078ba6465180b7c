// CBK_SwfTagUnknown: any tag the model does not type, kept byte for byte.
#pragma once

#include <vector>

#include "swf/base/swf_tag.h"

namespace ravuz {

class CBK_SwfTagUnknown : public CBK_SwfTag {
public:
    CBK_SwfTagUnknown(uint16_t code, uint32_t length) : _code(code), _length(length) {}

    uint16_t GetTagId() const override { return _code; }
    // Reads the announced length, or what remains of the data when that is less.
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;

    uint32_t GetLength() const { return _length; }
    const std::vector<uint8_t>& GetPayload() const { return _payload; }
    void SetPayload(std::vector<uint8_t> payload);
    // A tag stored with the long header form keeps it, so that a raw copy is exact.
    void SetLongHeader(bool longHeader) { _longHeader = longHeader; }

private:
    uint16_t _code;
    uint32_t _length;
    std::vector<uint8_t> _payload;
    bool _longHeader = false;
};

} // namespace ravuz
