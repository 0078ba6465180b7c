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

template <class T>
constexpr uint32_t kSize = sizeof(T);

constexpr uint16_t kTableSize = kSwfTagEnableDebugger2 + 1;

// Index: tag code; null where the model has no class.
constexpr std::array<Maker, kTableSize> MakeTable() {
    std::array<Maker, kTableSize> t{};
    t[kSwfTagEnd] = Make<CBK_SwfEnd>;
    t[kSwfTagShowFrame] = Make<CBK_SwfShowFrame>;
    t[kSwfTagDefineShape] = Make<CBK_SwfDefineShape>;
    t[kSwfTagFreeCharacter] = [](uint32_t) -> CBK_SwfTag* { return new CBK_SwfFreeCharacter(1); };
    t[kSwfTagPlaceObject] = Make<CBK_SwfPlaceObject>;
    t[kSwfTagRemoveObject] = [](uint32_t) -> CBK_SwfTag* { return new CBK_SwfRemoveObject(1, 1); };
    t[kSwfTagDefineBits] = [](uint32_t n) -> CBK_SwfTag* { return new CBK_SwfDefineBits(n); };
    t[kSwfTagDefineButton] = Make<CBK_SwfDefineButton>;
    t[kSwfTagJpegTables] = Make<CBK_SwfJpegTables>;
    t[kSwfTagSetBackgroundColor] = Make<CBK_SwfSetBackgroundColor>;
    t[kSwfTagDefineFont] = [](uint32_t) -> CBK_SwfTag* { return new CBK_SwfDefineFont(0); };
    t[kSwfTagDefineText] = Make<CBK_SwfDefineText>;
    t[kSwfTagDoAction] = Make<CBK_SwfDoAction>;
    t[kSwfTagDefineFontInfo] = [](uint32_t) -> CBK_SwfTag* {
        return new CBK_SwfDefineFontInfo(1, L"Times New Roman", L"", 0);
    };
    t[kSwfTagDefineSound] = Make<CBK_SwfDefineSound>;
    t[kSwfTagStartSound] = Make<CBK_SwfStartSound>;
    t[kSwfTagDefineButtonSound] = Make<CBK_SwfDefineButtonSound>;
    t[kSwfTagSoundStreamHead] = Make<CBK_SwfSoundStreamHead>;
    t[kSwfTagSoundStreamBlock] = Make<CBK_SwfSoundStreamBlock>;
    t[kSwfTagDefineBitsLossless] = Make<CBK_SwfDefineBitsLossless>;
    t[kSwfTagDefineBitsJpeg2] = Make<CBK_SwfDefineBitsJpeg2>;
    t[kSwfTagDefineShape2] = Make<CBK_SwfDefineShape2>;
    t[kSwfTagDefineButtonCxForm] = Make<CBK_SwfDefineButtonCxForm>;
    t[kSwfTagProtect] = Make<CBK_SwfProtect>;
    t[kSwfTagPlaceObject2] = Make<CBK_SwfPlaceObject2>;
    t[kSwfTagRemoveObject2] = [](uint32_t) -> CBK_SwfTag* { return new CBK_SwfRemoveObject2(1); };
    t[kSwfTagDefineShape3] = Make<CBK_SwfDefineShape3>;
    t[kSwfTagDefineText2] = Make<CBK_SwfDefineText2>;
    t[kSwfTagDefineButton2] = Make<CBK_SwfDefineButton2>;
    t[kSwfTagDefineBitsJpeg3] = Make<CBK_SwfDefineBitsJpeg3>;
    t[kSwfTagDefineBitsLossless2] = Make<CBK_SwfDefineBitsLossless2>;
    t[kSwfTagDefineEditText] = Make<CBK_SwfDefineEditText>;
    t[kSwfTagDefineSprite] = [](uint32_t) -> CBK_SwfTag* { return new CBK_SwfDefineSprite(1, 0); };
    t[kSwfTagFrameLabel] = Make<CBK_SwfFrameLabel>;
    t[kSwfTagSoundStreamHead2] = Make<CBK_SwfSoundStreamHead2>;
    t[kSwfTagDefineMorphShape] = Make<CBK_SwfDefineMorphShape>;
    t[kSwfTagDefineFont2] = Make<CBK_SwfDefineFont2>;
    t[kSwfTagExportAssets] = Make<CBK_SwfExportAssets>;
    t[kSwfTagImportAssets] = Make<CBK_SwfImportAssets>;
    t[kSwfTagEnableDebugger] = Make<CBK_SwfEnableDebugger>;
    t[kSwfTagDoInitAction] = Make<CBK_SwfDoInitAction>;
    t[kSwfTagDefineVideoStream] = Make<CBK_SwfDefineVideoStream>;
    t[kSwfTagVideoFrame] = Make<CBK_SwfVideoFrame>;
    t[kSwfTagDefineFontInfo2] = Make<CBK_SwfDefineFontInfo2>;
    t[kSwfTagEnableDebugger2] = Make<CBK_SwfEnableDebugger2>;
    return t;
}

constexpr std::array<Maker, kTableSize> kMakers = MakeTable();

// The size of each class above, by the same index; the opaque tag's where there is none.
constexpr std::array<uint32_t, kTableSize> SizeTable() {
    std::array<uint32_t, kTableSize> t{};
    t.fill(kSize<CBK_SwfTagUnknown>);
    t[kSwfTagEnd] = kSize<CBK_SwfEnd>;
    t[kSwfTagShowFrame] = kSize<CBK_SwfShowFrame>;
    t[kSwfTagDefineShape] = kSize<CBK_SwfDefineShape>;
    t[kSwfTagFreeCharacter] = kSize<CBK_SwfFreeCharacter>;
    t[kSwfTagPlaceObject] = kSize<CBK_SwfPlaceObject>;
    t[kSwfTagRemoveObject] = kSize<CBK_SwfRemoveObject>;
    t[kSwfTagDefineBits] = kSize<CBK_SwfDefineBits>;
    t[kSwfTagDefineButton] = kSize<CBK_SwfDefineButton>;
    t[kSwfTagJpegTables] = kSize<CBK_SwfJpegTables>;
    t[kSwfTagSetBackgroundColor] = kSize<CBK_SwfSetBackgroundColor>;
    t[kSwfTagDefineFont] = kSize<CBK_SwfDefineFont>;
    t[kSwfTagDefineText] = kSize<CBK_SwfDefineText>;
    t[kSwfTagDoAction] = kSize<CBK_SwfDoAction>;
    t[kSwfTagDefineFontInfo] = kSize<CBK_SwfDefineFontInfo>;
    t[kSwfTagDefineSound] = kSize<CBK_SwfDefineSound>;
    t[kSwfTagStartSound] = kSize<CBK_SwfStartSound>;
    t[kSwfTagDefineButtonSound] = kSize<CBK_SwfDefineButtonSound>;
    t[kSwfTagSoundStreamHead] = kSize<CBK_SwfSoundStreamHead>;
    t[kSwfTagSoundStreamBlock] = kSize<CBK_SwfSoundStreamBlock>;
    t[kSwfTagDefineBitsLossless] = kSize<CBK_SwfDefineBitsLossless>;
    t[kSwfTagDefineBitsJpeg2] = kSize<CBK_SwfDefineBitsJpeg2>;
    t[kSwfTagDefineShape2] = kSize<CBK_SwfDefineShape2>;
    t[kSwfTagDefineButtonCxForm] = kSize<CBK_SwfDefineButtonCxForm>;
    t[kSwfTagProtect] = kSize<CBK_SwfProtect>;
    t[kSwfTagPlaceObject2] = kSize<CBK_SwfPlaceObject2>;
    t[kSwfTagRemoveObject2] = kSize<CBK_SwfRemoveObject2>;
    t[kSwfTagDefineShape3] = kSize<CBK_SwfDefineShape3>;
    t[kSwfTagDefineText2] = kSize<CBK_SwfDefineText2>;
    t[kSwfTagDefineButton2] = kSize<CBK_SwfDefineButton2>;
    t[kSwfTagDefineBitsJpeg3] = kSize<CBK_SwfDefineBitsJpeg3>;
    t[kSwfTagDefineBitsLossless2] = kSize<CBK_SwfDefineBitsLossless2>;
    t[kSwfTagDefineEditText] = kSize<CBK_SwfDefineEditText>;
    t[kSwfTagDefineSprite] = kSize<CBK_SwfDefineSprite>;
    t[kSwfTagFrameLabel] = kSize<CBK_SwfFrameLabel>;
    t[kSwfTagSoundStreamHead2] = kSize<CBK_SwfSoundStreamHead2>;
    t[kSwfTagDefineMorphShape] = kSize<CBK_SwfDefineMorphShape>;
    t[kSwfTagDefineFont2] = kSize<CBK_SwfDefineFont2>;
    t[kSwfTagExportAssets] = kSize<CBK_SwfExportAssets>;
    t[kSwfTagImportAssets] = kSize<CBK_SwfImportAssets>;
    t[kSwfTagEnableDebugger] = kSize<CBK_SwfEnableDebugger>;
    t[kSwfTagDoInitAction] = kSize<CBK_SwfDoInitAction>;
    t[kSwfTagDefineVideoStream] = kSize<CBK_SwfDefineVideoStream>;
    t[kSwfTagVideoFrame] = kSize<CBK_SwfVideoFrame>;
    t[kSwfTagDefineFontInfo2] = kSize<CBK_SwfDefineFontInfo2>;
    t[kSwfTagEnableDebugger2] = kSize<CBK_SwfEnableDebugger2>;
    return t;
}

constexpr std::array<uint32_t, kTableSize> kSizes = SizeTable();

} // namespace

bool SwfHasTagClass(uint16_t code) {
    return code < kTableSize && kMakers[code];
}

uint32_t SwfTagObjectSize(uint16_t code) {
    return code < kTableSize ? kSizes[code] : kSize<CBK_SwfTagUnknown>;
}

CBK_SwfTag* SwfCreateTag(uint16_t code, uint32_t length) {
    if (SwfHasTagClass(code))
        return kMakers[code](length);
    return new CBK_SwfTagUnknown(code, length);
}

} // namespace ravuz
