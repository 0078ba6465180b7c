#include "swf/buttons/define_button_cxform.h"

#include "swf/stream/bounded_read.h"
#include "swf/stream/minimum_bits.h"

namespace ravuz {

CBK_SwfDefineButtonCxForm::CBK_SwfDefineButtonCxForm(const CBK_SwfDefineButtonCxForm& other)
    : CBK_SwfCharacterTag(other),
      _transform(other._transform ? std::make_unique<CBK_SwfColorTransform>(*other._transform)
                                  : nullptr) {}

CBK_SwfDefineButtonCxForm&
CBK_SwfDefineButtonCxForm::operator=(const CBK_SwfDefineButtonCxForm& other) {
    if (this != &other) {
        _characterId = other._characterId;
        _transform =
            other._transform ? std::make_unique<CBK_SwfColorTransform>(*other._transform) : nullptr;
    }
    return *this;
}

uint32_t CBK_SwfDefineButtonCxForm::Read(CBK_SwfReader* reader) {
    CBK_SwfBoundedRead in(reader);
    return in.Within([this](CBK_SwfReader& sub) {
        SetCharacterId(sub.GetWord());
        if (!_transform)
            _transform = std::make_unique<CBK_SwfColorTransform>();
        _transform->Create();
        _transform->Read(&sub);
        sub.ByteAlign();
    });
}

uint32_t CBK_SwfDefineButtonCxForm::Write(CBK_SwfStream* stream) {
    return WriteTag(stream, false, [this](CBK_SwfStream& s) {
        s.Add(GetCharacterId());
        if (_transform) {
            _transform->Write(&s);
        } else {
            CBK_SwfColorTransform identity;
            identity.Write(&s);
        }
        s.ByteAlign();
    });
}

void CBK_SwfDefineButtonCxForm::OffsetInfo(int32_t idOffset, int32_t, int32_t) {
    _characterId = OffsetU16(_characterId, idOffset);
}

} // namespace ravuz
