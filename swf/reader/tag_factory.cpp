#include "swf/reader/tag_factory.h"

#include <array>

#include "swf/actions/do_action.h"
#include "swf/bitmaps/define_bits.h"
#include "swf/bitmaps/define_bits_lossless.h"
#include "swf/bitmaps/jpeg_tables.h"
#include "swf/buttons/define_button.h"
#include "swf/buttons/define_button_cxform.h"
#include "swf/buttons/define_button_sound.h"
#include "swf/fonts/define_font.h"
#include "swf/fonts/define_font2.h"
#include "swf/fonts/define_font_info.h"
#include "swf/morph/define_morph_shape.h"
#include "swf/shapes/define_shape.h"
#include "swf/sound/define_sound.h"
#include "swf/sound/sound_stream_block.h"
#include "swf/sound/sound_stream_head.h"
#include "swf/sound/start_sound.h"
#include "swf/sprites/define_sprite.h"
#include "swf/tags/asset_tags.h"
#include "swf/tags/control_tags.h"
#include "swf/tags/place_object.h"
#include "swf/tags/remove_object.h"
#include "swf/tags/tag_unknown.h"
#include "swf/text/define_edit_text.h"
#include "swf/text/define_text.h"
#include "swf/video/define_video_stream.h"
#include "swf/video/video_frame.h"

namespace ravuz {

namespace {

using Maker = CBK_SwfTag* (*)(uint32_t length);

template <class T>
CBK_SwfTag* Make(uint32_t) {
    return new T();
}

// What the reader makes for a tag code: its maker (null where the model has no class) and
// the size of the object it makes, which the read budget is charged.
struct Kind {
    Maker make = nullptr;
    uint32_t size = sizeof(CBK_SwfTagUnknown);
};

template <class T>
constexpr Kind Of(Maker make = Make<T>) {
    return {make, uint32_t(sizeof(T))};
}

constexpr uint16_t kTableSize = kSwfTagEnableDebugger2 + 1;

// Index: tag code.
constexpr std::array<Kind, kTableSize> KindTable() {
    std::array<Kind, kTableSize> t{};
    t[kSwfTagEnd] = Of<CBK_SwfEnd>();
    t[kSwfTagShowFrame] = Of<CBK_SwfShowFrame>();
    t[kSwfTagDefineShape] = Of<CBK_SwfDefineShape>();
    t[kSwfTagFreeCharacter] = Of<CBK_SwfFreeCharacter>(
        [](uint32_t) -> CBK_SwfTag* { return new CBK_SwfFreeCharacter(1); });
    t[kSwfTagPlaceObject] = Of<CBK_SwfPlaceObject>();
    t[kSwfTagRemoveObject] = Of<CBK_SwfRemoveObject>(
        [](uint32_t) -> CBK_SwfTag* { return new CBK_SwfRemoveObject(1, 1); });
    t[kSwfTagDefineBits] =
        Of<CBK_SwfDefineBits>([](uint32_t n) -> CBK_SwfTag* { return new CBK_SwfDefineBits(n); });
    t[kSwfTagDefineButton] = Of<CBK_SwfDefineButton>();
    t[kSwfTagJpegTables] = Of<CBK_SwfJpegTables>();
    t[kSwfTagSetBackgroundColor] = Of<CBK_SwfSetBackgroundColor>();
    t[kSwfTagDefineFont] =
        Of<CBK_SwfDefineFont>([](uint32_t) -> CBK_SwfTag* { return new CBK_SwfDefineFont(0); });
    t[kSwfTagDefineText] = Of<CBK_SwfDefineText>();
    t[kSwfTagDoAction] = Of<CBK_SwfDoAction>();
    t[kSwfTagDefineFontInfo] = Of<CBK_SwfDefineFontInfo>([](uint32_t) -> CBK_SwfTag* {
        return new CBK_SwfDefineFontInfo(1, L"Times New Roman", L"", 0);
    });
    t[kSwfTagDefineSound] = Of<CBK_SwfDefineSound>();
    t[kSwfTagStartSound] = Of<CBK_SwfStartSound>();
    t[kSwfTagDefineButtonSound] = Of<CBK_SwfDefineButtonSound>();
    t[kSwfTagSoundStreamHead] = Of<CBK_SwfSoundStreamHead>();
    t[kSwfTagSoundStreamBlock] = Of<CBK_SwfSoundStreamBlock>();
    t[kSwfTagDefineBitsLossless] = Of<CBK_SwfDefineBitsLossless>();
    t[kSwfTagDefineBitsJpeg2] = Of<CBK_SwfDefineBitsJpeg2>();
    t[kSwfTagDefineShape2] = Of<CBK_SwfDefineShape2>();
    t[kSwfTagDefineButtonCxForm] = Of<CBK_SwfDefineButtonCxForm>();
    t[kSwfTagProtect] = Of<CBK_SwfProtect>();
    t[kSwfTagPlaceObject2] = Of<CBK_SwfPlaceObject2>();
    t[kSwfTagRemoveObject2] = Of<CBK_SwfRemoveObject2>(
        [](uint32_t) -> CBK_SwfTag* { return new CBK_SwfRemoveObject2(1); });
    t[kSwfTagDefineShape3] = Of<CBK_SwfDefineShape3>();
    t[kSwfTagDefineText2] = Of<CBK_SwfDefineText2>();
    t[kSwfTagDefineButton2] = Of<CBK_SwfDefineButton2>();
    t[kSwfTagDefineBitsJpeg3] = Of<CBK_SwfDefineBitsJpeg3>();
    t[kSwfTagDefineBitsLossless2] = Of<CBK_SwfDefineBitsLossless2>();
    t[kSwfTagDefineEditText] = Of<CBK_SwfDefineEditText>();
    t[kSwfTagDefineSprite] = Of<CBK_SwfDefineSprite>(
        [](uint32_t) -> CBK_SwfTag* { return new CBK_SwfDefineSprite(1, 0); });
    t[kSwfTagFrameLabel] = Of<CBK_SwfFrameLabel>();
    t[kSwfTagSoundStreamHead2] = Of<CBK_SwfSoundStreamHead2>();
    t[kSwfTagDefineMorphShape] = Of<CBK_SwfDefineMorphShape>();
    t[kSwfTagDefineFont2] = Of<CBK_SwfDefineFont2>();
    t[kSwfTagExportAssets] = Of<CBK_SwfExportAssets>();
    t[kSwfTagImportAssets] = Of<CBK_SwfImportAssets>();
    t[kSwfTagEnableDebugger] = Of<CBK_SwfEnableDebugger>();
    t[kSwfTagDoInitAction] = Of<CBK_SwfDoInitAction>();
    t[kSwfTagDefineVideoStream] = Of<CBK_SwfDefineVideoStream>();
    t[kSwfTagVideoFrame] = Of<CBK_SwfVideoFrame>();
    t[kSwfTagDefineFontInfo2] = Of<CBK_SwfDefineFontInfo2>();
    t[kSwfTagEnableDebugger2] = Of<CBK_SwfEnableDebugger2>();
    return t;
}

constexpr std::array<Kind, kTableSize> kKinds = KindTable();

} // namespace

bool SwfHasTagClass(uint16_t code) {
    return code < kTableSize && kKinds[code].make;
}

uint32_t SwfTagObjectSize(uint16_t code) {
    return code < kTableSize ? kKinds[code].size : uint32_t(sizeof(CBK_SwfTagUnknown));
}

CBK_SwfTag* SwfCreateTag(uint16_t code, uint32_t length) {
    if (SwfHasTagClass(code))
        return kKinds[code].make(length);
    return new CBK_SwfTagUnknown(code, length);
}

} // namespace ravuz
