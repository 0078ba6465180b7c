#include "swf/text/define_edit_text.h"

#include "swf/base/tag_body.h"
#include "swf/stream/minimum_bits.h"
#include "swf/stream/swf_reader.h"

namespace ravuz {

CBK_SwfDefineEditText::CBK_SwfDefineEditText(const CBK_SwfDefineEditText& other)
    : CBK_SwfCharacterTag(other) {
    *this = other;
}

CBK_SwfDefineEditText::~CBK_SwfDefineEditText() = default;

CBK_SwfDefineEditText& CBK_SwfDefineEditText::operator=(const CBK_SwfDefineEditText& other) {
    if (this == &other)
        return *this;
    _characterId = other._characterId;
    _bounds = other._bounds ? std::make_unique<CBK_SwfRect>(*other._bounds) : nullptr;
    _flags = other._flags;
    _fontId = other._fontId;
    _fontHeight = other._fontHeight;
    _color = other._color ? std::make_unique<CBK_SwfColorAlpha>(*other._color) : nullptr;
    _maxLength = other._maxLength;
    _alignment = other._alignment;
    _leftMargin = other._leftMargin;
    _rightMargin = other._rightMargin;
    _indent = other._indent;
    _leading = other._leading;
    _variableName = other._variableName;
    _initialText = other._initialText;
    return *this;
}

void CBK_SwfDefineEditText::Destroy() {
    _bounds.reset();
    _color.reset();
}

void CBK_SwfDefineEditText::Create() {
    Destroy();
    SetCharacterId(1);
    _flags = 0;
    _fontId = 0;
    _fontHeight = 100;
    _maxLength = 0;
    _alignment = EDITTEXT_LEFT;
    _leftMargin = _rightMargin = _indent = _leading = 0;
    _variableName.clear();
    _initialText.clear();
}

void CBK_SwfDefineEditText::Create(uint16_t id, CBK_SwfColorAlpha* color, const wchar_t* name) {
    Create();
    SetCharacterId(id);
    _color.reset(color);
    _flags |= EDITTEXT_COLOR;
    _variableName = name ? name : L"";
}

void CBK_SwfDefineEditText::SetLayout(uint8_t alignment, uint16_t left, uint16_t right,
                                      uint16_t indent, uint16_t leading) {
    _alignment = alignment;
    _leftMargin = left;
    _rightMargin = right;
    _indent = indent;
    _leading = leading;
}

void CBK_SwfDefineEditText::OffsetInfo(int32_t idOffset, int32_t, int32_t) {
    _characterId = OffsetU16(_characterId, idOffset);
    if (_fontId != 0)
        _fontId = OffsetU16(_fontId, idOffset);
}

uint32_t CBK_SwfDefineEditText::Read(CBK_SwfReader* reader) {
    return SwfReadTagBody(reader, [this](CBK_SwfReader& body) {
        Create();
        SetCharacterId(body.GetWord());
        if (!body.Charge(SwfHeapCost(sizeof(CBK_SwfRect)) + SwfHeapCost(sizeof(CBK_SwfColorAlpha))))
            return;
        _bounds = std::make_unique<CBK_SwfRect>();
        _bounds->Read(&body);
        body.ByteAlign();
        const uint8_t high = body.GetByte();
        const uint8_t low = body.GetByte();
        _flags = static_cast<uint16_t>((high << 8) | low);
        if (_flags & EDITTEXT_FONT) {
            _fontId = body.GetWord();
            _fontHeight = body.GetWord();
        }
        if (_flags & EDITTEXT_COLOR) {
            _color = std::make_unique<CBK_SwfColorAlpha>(0, 0, 0, 255);
            _color->Read(&body);
        }
        if (_flags & EDITTEXT_MAXLENGTH)
            _maxLength = body.GetWord();
        if (_flags & EDITTEXT_LAYOUT) {
            _alignment = body.GetByte();
            _leftMargin = body.GetWord();
            _rightMargin = body.GetWord();
            _indent = body.GetWord();
            _leading = body.GetWord();
        }
        body.GetString(_variableName, 0, false);
        if (_flags & EDITTEXT_INITIAL)
            body.GetString(_initialText, 0, false);
    });
}

uint32_t CBK_SwfDefineEditText::Write(CBK_SwfStream* stream) {
    return WriteTag(stream, false, [this](CBK_SwfStream& s) {
        s.Add(GetCharacterId());
        CBK_SwfRect noBounds;
        (_bounds ? _bounds.get() : &noBounds)->Write(&s);
        s.Add(static_cast<uint8_t>(_flags >> 8));
        s.Add(static_cast<uint8_t>(_flags));
        if (_flags & EDITTEXT_FONT) {
            s.Add(_fontId);
            s.Add(_fontHeight);
        }
        if (_flags & EDITTEXT_COLOR) {
            CBK_SwfColorAlpha black(0, 0, 0, 255);
            (_color ? _color.get() : &black)->Write(&s);
        }
        if (_flags & EDITTEXT_MAXLENGTH)
            s.Add(_maxLength);
        if (_flags & EDITTEXT_LAYOUT) {
            s.Add(_alignment);
            s.Add(_leftMargin);
            s.Add(_rightMargin);
            s.Add(_indent);
            s.Add(_leading);
        }
        s.Add(_variableName);
        s.Add(uint8_t(0));
        if (_flags & EDITTEXT_INITIAL) {
            s.Add(_initialText);
            s.Add(uint8_t(0));
        }
    });
}

} // namespace ravuz
