// CBK_SwfLineStyle (LINESTYLE) and CBK_SwfLineStyleArray (LINESTYLEARRAY).
#pragma once

#include <memory>
#include <vector>

#include "swf/base/swf_obj.h"
#include "swf/records/color.h"
#include "swf/styles/style_array.h"

namespace ravuz {

class CBK_SwfLineStyle : public CBK_SwfObj {
public:
    // Takes the colour over.
    explicit CBK_SwfLineStyle(uint16_t width = 0, CBK_SwfColor* color = nullptr, bool alpha = false)
        : _width(width), _color(color), _alpha(alpha) {}
    CBK_SwfLineStyle(const CBK_SwfLineStyle& other) : CBK_SwfObj() { *this = other; }
    // Copies keep the colour's class.
    CBK_SwfLineStyle& operator=(const CBK_SwfLineStyle& other);
    ~CBK_SwfLineStyle() override = default;

    // Frees the colour held and takes the new one over.
    void Create(uint16_t width, CBK_SwfColor* color, bool alpha);
    void Destroy() { _color.reset(); }

    // u16 width and the colour by its class (black of the flag's class when absent).
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;

    uint16_t GetWidth() const { return _width; }
    void SetWidth(uint16_t width) { _width = width; }
    CBK_SwfColor* GetColor() const { return _color.get(); }
    void SetColor(CBK_SwfColor* color) { _color.reset(color); }
    bool GetAlpha() const { return _alpha; }
    void SetAlpha(bool alpha) { _alpha = alpha; }

private:
    uint16_t _width;
    std::unique_ptr<CBK_SwfColor> _color;
    bool _alpha;
};

class CBK_SwfLineStyleArray : public CBK_SwfStyleArray<CBK_SwfLineStyle> {
public:
    explicit CBK_SwfLineStyleArray(bool alpha = false) : CBK_SwfStyleArray(alpha) {}

    // Takes ownership and appends; null is ignored.
    void AddLineStyle(CBK_SwfLineStyle* style) { Append(style); }
    CBK_SwfLineStyle* GetLineStyle(std::size_t index) const { return At(index); }
    bool GetAlpha() const { return _alpha; }
    void SetAlpha(bool alpha) { _alpha = alpha; }

protected:
    std::unique_ptr<CBK_SwfLineStyle> NewStyle() const override {
        return std::make_unique<CBK_SwfLineStyle>(0, nullptr, _alpha);
    }
    // The width and an RGB or RGBA colour.
    uint32_t MinStyleSize() const override { return _alpha ? 6 : 5; }
};

} // namespace ravuz
