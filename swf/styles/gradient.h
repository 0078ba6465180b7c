// CBK_SwfGradientRecord (GRADRECORD) and CBK_SwfGradient (GRADIENT) of gradient fills.
#pragma once

#include <memory>
#include <vector>

#include "swf/base/swf_obj.h"
#include "swf/records/color.h"

namespace ravuz {

class CBK_SwfGradientRecord : public CBK_SwfObj {
public:
    CBK_SwfGradientRecord() = default;
    // Takes the colour over.
    CBK_SwfGradientRecord(uint8_t ratio, CBK_SwfColor* color, bool alpha);
    // From 0x00BBGGRR: an opaque CBK_SwfColorAlpha with `alpha`, else a CBK_SwfColor.
    CBK_SwfGradientRecord(uint8_t ratio, uint32_t color, bool alpha);
    CBK_SwfGradientRecord(const CBK_SwfGradientRecord& other) : CBK_SwfObj() { *this = other; }
    CBK_SwfGradientRecord& operator=(const CBK_SwfGradientRecord& other);
    ~CBK_SwfGradientRecord() override = default;

    // Frees the colour held and takes the new one over.
    void Create(uint8_t ratio, CBK_SwfColor* color, bool alpha);
    void Destroy() { _color.reset(); }

    // u8 ratio and the colour by its class (an absent colour becomes black and is kept).
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;

    uint8_t GetRatio() const { return _ratio; }
    void SetRatio(uint8_t ratio) { _ratio = ratio; }
    CBK_SwfColor* GetColor() const { return _color.get(); }
    void SetColor(CBK_SwfColor* color) { _color.reset(color); }
    bool GetAlpha() const { return _alpha; }
    void SetAlpha(bool alpha) { _alpha = alpha; }

    // Bytes a record takes on the wire with the alpha flag given.
    static uint32_t WireSize(bool alpha) { return alpha ? 5 : 4; }

private:
    std::unique_ptr<CBK_SwfColor> _color;
    uint8_t _ratio = 0;
    bool _alpha = false;
};

class CBK_SwfGradient : public CBK_SwfObj {
public:
    // The count takes the low four bits of its byte; the high four hold the spread and
    // interpolation modes of SWF 8.
    static constexpr std::size_t kMaxRecords = 15;

    explicit CBK_SwfGradient(bool alpha = false) : _alpha(alpha) {}
    CBK_SwfGradient(const CBK_SwfGradient& other) : CBK_SwfObj() { *this = other; }
    CBK_SwfGradient& operator=(const CBK_SwfGradient& other);
    ~CBK_SwfGradient() override = default;

    void Destroy() { _records.clear(); }
    // Records beyond kMaxRecords are not written; a shorter count never hides them.
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;

    // Empties the gradient, then black at ratio 0 and white at 255, without alpha.
    void CreateBlackAndWhite();
    // Takes ownership; null is ignored.
    void AddRecord(CBK_SwfGradientRecord* record);
    std::size_t GetRecordCount() const { return _records.size(); }
    CBK_SwfGradientRecord* GetRecord(std::size_t index) const {
        return index < _records.size() ? _records[index].get() : nullptr;
    }
    bool GetAlpha() const { return _alpha; }
    void SetAlpha(bool alpha) { _alpha = alpha; }
    // The high four bits of the count byte, kept as read.
    uint8_t GetModes() const { return _modes; }
    void SetModes(uint8_t modes) { _modes = modes & 0xF0; }

private:
    bool _alpha;
    uint8_t _modes = 0;
    std::vector<std::unique_ptr<CBK_SwfGradientRecord>> _records;
};

} // namespace ravuz
