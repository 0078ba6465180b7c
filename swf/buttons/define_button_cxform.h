// DefineButtonCxForm (23): the colour transform of a DefineButton.
#pragma once

#include <memory>

#include "swf/base/swf_tag.h"
#include "swf/records/color_transform.h"

namespace ravuz {

class CBK_SwfDefineButtonCxForm : public CBK_SwfCharacterTag {
public:
    CBK_SwfDefineButtonCxForm() : _transform(std::make_unique<CBK_SwfColorTransform>()) {}
    CBK_SwfDefineButtonCxForm(const CBK_SwfDefineButtonCxForm& other);
    CBK_SwfDefineButtonCxForm& operator=(const CBK_SwfDefineButtonCxForm& other);
    ~CBK_SwfDefineButtonCxForm() override = default;

    uint16_t GetTagId() const override { return kSwfTagDefineButtonCxForm; }
    uint32_t Read(CBK_SwfReader* reader) override;
    // Without a transform the identity is written: the tag needs one.
    uint32_t Write(CBK_SwfStream* stream) override;
    void OffsetInfo(int32_t idOffset, int32_t, int32_t) override;

    // Frees the old transform and takes the new one.
    void SetColorTransform(CBK_SwfColorTransform* transform) { _transform.reset(transform); }
    CBK_SwfColorTransform* GetColorTransform() const { return _transform.get(); }
    void Destroy() { _transform.reset(); }

private:
    std::unique_ptr<CBK_SwfColorTransform> _transform;
};

} // namespace ravuz
