// CBK_SwfDefineEditText (tag 37): a text field described by flags and optional fields.
#pragma once

#include <memory>
#include <string>

#include "swf/base/swf_tag.h"
#include "swf/records/color.h"
#include "swf/records/rect.h"

namespace ravuz {

class CBK_SwfDefineEditText : public CBK_SwfCharacterTag {
public:
    static constexpr uint16_t EDITTEXT_INITIAL = 0x8000;
    static constexpr uint16_t EDITTEXT_WORDWRAP = 0x4000;
    static constexpr uint16_t EDITTEXT_MULTILINE = 0x2000;
    static constexpr uint16_t EDITTEXT_PASSWORD = 0x1000;
    static constexpr uint16_t EDITTEXT_READONLY = 0x0800;
    static constexpr uint16_t EDITTEXT_COLOR = 0x0400;
    static constexpr uint16_t EDITTEXT_MAXLENGTH = 0x0200;
    static constexpr uint16_t EDITTEXT_FONT = 0x0100;
    static constexpr uint16_t EDITTEXT_LAYOUT = 0x0020;
    static constexpr uint16_t EDITTEXT_NOSELECT = 0x0010;
    static constexpr uint16_t EDITTEXT_BORDER = 0x0008;
    static constexpr uint16_t EDITTEXT_OUTLINES = 0x0001;
    static constexpr uint8_t EDITTEXT_LEFT = 0;
    static constexpr uint8_t EDITTEXT_RIGHT = 1;
    static constexpr uint8_t EDITTEXT_CENTER = 2;
    static constexpr uint8_t EDITTEXT_JUSTIFY = 3;

    CBK_SwfDefineEditText() { CBK_SwfDefineEditText::Create(); }
    CBK_SwfDefineEditText(const CBK_SwfDefineEditText& other);
    CBK_SwfDefineEditText& operator=(const CBK_SwfDefineEditText& other);
    ~CBK_SwfDefineEditText() override;

    uint16_t GetTagId() const override { return kSwfTagDefineEditText; }
    // The optional fields that the flags in the file announce, and nothing else.
    uint32_t Read(CBK_SwfReader* reader) override;
    // The optional fields the flags announce (an announced colour that is absent as opaque
    // black); texts in the stream's SWF encoding.
    uint32_t Write(CBK_SwfStream* stream) override;
    // The id and, when not 0, the font id.
    void OffsetInfo(int32_t idOffset, int32_t, int32_t) override;
    // Frees bounds and colour.
    virtual void Destroy();

    // Id 1, no bounds, flags 0, font height 100, no colour, maximum length 0, left aligned,
    // no margins, indent or leading, empty variable name and initial text.
    void Create() override;
    // Create(), then the id, the colour (taken over, announced) and the variable name.
    void Create(uint16_t id, CBK_SwfColorAlpha* color, const wchar_t* name);

    void SetBorder(bool on) { SetFlag(EDITTEXT_BORDER, on); }
    void SetUseOutlines(bool on) { SetFlag(EDITTEXT_OUTLINES, on); }
    void SetNoSelect(bool on) { SetFlag(EDITTEXT_NOSELECT, on); }
    void SetReadOnly(bool on) { SetFlag(EDITTEXT_READONLY, on); }

    uint16_t GetFlags() const { return _flags; }
    void SetFlags(uint16_t flags) { _flags = flags; }
    // Each frees what it replaces and takes the new object over.
    void SetBounds(CBK_SwfRect* bounds) { _bounds.reset(bounds); }
    void SetColor(CBK_SwfColorAlpha* color) { _color.reset(color); }
    CBK_SwfRect* GetBounds() const { return _bounds.get(); }
    CBK_SwfColorAlpha* GetColor() const { return _color.get(); }
    uint16_t GetFontId() const { return _fontId; }
    uint16_t GetFontHeight() const { return _fontHeight; }
    void SetFont(uint16_t id, uint16_t height) {
        _fontId = id;
        _fontHeight = height;
    }
    uint16_t GetMaxLength() const { return _maxLength; }
    void SetMaxLength(uint16_t length) { _maxLength = length; }
    uint8_t GetAlignment() const { return _alignment; }
    void SetLayout(uint8_t alignment, uint16_t left, uint16_t right, uint16_t indent,
                   uint16_t leading);
    uint16_t GetLeftMargin() const { return _leftMargin; }
    uint16_t GetRightMargin() const { return _rightMargin; }
    uint16_t GetIndent() const { return _indent; }
    uint16_t GetLeading() const { return _leading; }
    const std::wstring& GetVariableName() const { return _variableName; }
    void SetVariableName(const std::wstring& name) { _variableName = name; }
    const std::wstring& GetInitialText() const { return _initialText; }
    void SetInitialText(const std::wstring& text) { _initialText = text; }

private:
    void SetFlag(uint16_t flag, bool on) {
        _flags = static_cast<uint16_t>(on ? (_flags | flag) : (_flags & ~flag));
    }

    std::unique_ptr<CBK_SwfRect> _bounds;
    uint16_t _flags = 0;
    uint16_t _fontId = 0;
    uint16_t _fontHeight = 100;
    std::unique_ptr<CBK_SwfColorAlpha> _color;
    uint16_t _maxLength = 0;
    uint8_t _alignment = EDITTEXT_LEFT;
    uint16_t _leftMargin = 0;
    uint16_t _rightMargin = 0;
    uint16_t _indent = 0;
    uint16_t _leading = 0;
    std::wstring _variableName;
    std::wstring _initialText;
};

} // namespace ravuz
