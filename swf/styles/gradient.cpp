#include "swf/styles/gradient.h"

#include <algorithm>

#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"
#include "swf/styles/style_parts.h"

namespace ravuz {

// ---- CBK_SwfGradientRecord

CBK_SwfGradientRecord::CBK_SwfGradientRecord(uint8_t ratio, CBK_SwfColor* color, bool alpha)
    : _color(color), _ratio(ratio), _alpha(alpha) {}

CBK_SwfGradientRecord::CBK_SwfGradientRecord(uint8_t ratio, uint32_t color, bool alpha)
    : _color(SwfNewColor(color, alpha)), _ratio(ratio), _alpha(alpha) {}

CBK_SwfGradientRecord& CBK_SwfGradientRecord::operator=(const CBK_SwfGradientRecord& other) {
    if (this != &other) {
        _color = SwfCopyColor(other._color.get());
        _ratio = other._ratio;
        _alpha = other._alpha;
    }
    return *this;
}

void CBK_SwfGradientRecord::Create(uint8_t ratio, CBK_SwfColor* color, bool alpha) {
    _ratio = ratio;
    _color.reset(color);
    _alpha = alpha;
}

uint32_t CBK_SwfGradientRecord::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    _ratio = reader->GetByte();
    if (!reader->ChargeObject<CBK_SwfColorAlpha>())
        return reader->GetBufPos() - start;
    _color = SwfNewColor(_alpha);
    _color->Read(reader);
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfGradientRecord::Write(CBK_SwfStream* stream) {
    const uint32_t before = stream->GetByteCount();
    if (!_color)
        _color = SwfNewColor(_alpha);
    stream->Add(_ratio);
    _color->Write(stream);
    return stream->GetByteCount() - before;
}

// ---- CBK_SwfGradient

CBK_SwfGradient& CBK_SwfGradient::operator=(const CBK_SwfGradient& other) {
    if (this != &other) {
        Destroy();
        _alpha = other._alpha;
        _modes = other._modes;
        for (const auto& record : other._records)
            _records.push_back(std::make_unique<CBK_SwfGradientRecord>(*record));
    }
    return *this;
}

void CBK_SwfGradient::AddRecord(CBK_SwfGradientRecord* record) {
    if (record)
        _records.emplace_back(record);
}

void CBK_SwfGradient::CreateBlackAndWhite() {
    Destroy();
    AddRecord(new CBK_SwfGradientRecord(0, new CBK_SwfColor(0, 0, 0), false));
    AddRecord(new CBK_SwfGradientRecord(255, new CBK_SwfColor(255, 255, 255), false));
}

uint32_t CBK_SwfGradient::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    Destroy();
    const uint8_t countByte = reader->GetByte();
    _modes = countByte & 0xF0;
    const uint32_t count = countByte & 0x0F;
    for (uint32_t i = 0; i < count; ++i) {
        if (reader->GetRemaining() < CBK_SwfGradientRecord::WireSize(_alpha) ||
            !reader->ChargeRoomForOne(_records) || !reader->ChargeObject<CBK_SwfGradientRecord>())
            break;
        auto record = std::make_unique<CBK_SwfGradientRecord>();
        record->SetAlpha(_alpha);
        record->Read(reader);
        _records.push_back(std::move(record));
    }
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfGradient::Write(CBK_SwfStream* stream) {
    const uint32_t before = stream->GetByteCount();
    const std::size_t count = std::min(_records.size(), kMaxRecords);
    stream->Add(static_cast<uint8_t>(_modes | count));
    for (std::size_t i = 0; i < count; ++i)
        _records[i]->Write(stream);
    return stream->GetByteCount() - before;
}

} // namespace ravuz
