// CBK_SwfStyleArray: the owning list behind fill and line style arrays, plain and morph:
// deep copies, the style count and the styles in order.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "swf/base/swf_obj.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"
#include "swf/styles/style_parts.h"

namespace ravuz {

template <class Style>
class CBK_SwfStyleArray : public CBK_SwfObj {
public:
    CBK_SwfStyleArray(const CBK_SwfStyleArray& other) : CBK_SwfObj() { *this = other; }
    CBK_SwfStyleArray& operator=(const CBK_SwfStyleArray& other);
    ~CBK_SwfStyleArray() override = default;

    void Destroy() { _styles.clear(); }
    // The count written is the number of styles held (at most kSwfMaxStyleCount are written).
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;

    uint32_t GetCount() const { return static_cast<uint32_t>(_styles.size()); }

protected:
    // `alpha` is the colour class of the styles read (morph styles always carry alpha).
    explicit CBK_SwfStyleArray(bool alpha) : _alpha(alpha) {}

    // An empty style of the array's kind, ready to read, and the fewest bytes one takes.
    virtual std::unique_ptr<Style> NewStyle() const = 0;
    virtual uint32_t MinStyleSize() const = 0;

    // Takes ownership and appends; null is ignored.
    void Append(Style* style) {
        if (style)
            _styles.emplace_back(style);
    }
    Style* At(std::size_t index) const {
        return index < _styles.size() ? _styles[index].get() : nullptr;
    }

    std::vector<std::unique_ptr<Style>> _styles;
    bool _alpha;
};

template <class Style>
CBK_SwfStyleArray<Style>& CBK_SwfStyleArray<Style>::operator=(const CBK_SwfStyleArray& other) {
    if (this != &other) {
        Destroy();
        _alpha = other._alpha;
        _styles.reserve(other._styles.size());
        for (const auto& style : other._styles)
            _styles.push_back(std::make_unique<Style>(*style));
    }
    return *this;
}

template <class Style>
uint32_t CBK_SwfStyleArray<Style>::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    Destroy();
    const uint32_t count = SwfReadStyleCount(reader);
    const uint32_t size = MinStyleSize();
    for (uint32_t i = 0; i < count && reader->GetRemaining() >= size; ++i) {
        if (!reader->ChargeRoomForOne(_styles) || !reader->template ChargeObject<Style>())
            break;
        std::unique_ptr<Style> style = NewStyle();
        style->Read(reader);
        _styles.push_back(std::move(style));
    }
    return reader->GetBufPos() - start;
}

template <class Style>
uint32_t CBK_SwfStyleArray<Style>::Write(CBK_SwfStream* stream) {
    const uint32_t before = stream->GetByteCount();
    const uint32_t count = SwfWriteStyleCount(stream, _styles.size());
    for (uint32_t i = 0; i < count; ++i)
        _styles[i]->Write(stream);
    return stream->GetByteCount() - before;
}

} // namespace ravuz
