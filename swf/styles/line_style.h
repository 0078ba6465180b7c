// CBK_SwfLineStyle (LINESTYLE) and CBK_SwfLineStyleArray (LINESTYLEARRAY).
#pragma once

#include <memory>
#include <vector>

#include "swf/records/color.h"
#include "swf/tags/swf_obj.h"

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

class CBK_SwfLineStyleArray : public CBK_SwfObj {
public:
    explicit CBK_SwfLineStyleArray(bool alpha = false) : _alpha(alpha) {}
    CBK_SwfLineStyleArray(const CBK_SwfLineStyleArray& other) : CBK_SwfObj() { *this = other; }
    CBK_SwfLineStyleArray& operator=(const CBK_SwfLineStyleArray& other);
    ~CBK_SwfLineStyleArray() override = default;

    void Destroy() { _styles.clear(); }
    // The count written is the number of styles held (at most kSwfMaxStyles are written).
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;

    // Takes ownership and appends; null is ignored.
    void AddLineStyle(CBK_SwfLineStyle* style);
    uint32_t GetCount() const { return static_cast<uint32_t>(_styles.size()); }
    CBK_SwfLineStyle* GetLineStyle(std::size_t index) const {
        return index < _styles.size() ? _styles[index].get() : nullptr;
    }
    bool GetAlpha() const { return _alpha; }
    void SetAlpha(bool alpha) { _alpha = alpha; }

private:
    std::vector<std::unique_ptr<CBK_SwfLineStyle>> _styles;
    bool _alpha;
};

} // namespace ravuz
