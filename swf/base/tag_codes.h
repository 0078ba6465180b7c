// The SWF tag codes of the model.
#pragma once

#include <cstdint>

namespace ravuz {

enum SwfTagCode : uint16_t {
    kSwfTagEnd = 0,
    kSwfTagShowFrame = 1,
    kSwfTagDefineShape = 2,
    kSwfTagFreeCharacter = 3,
    kSwfTagPlaceObject = 4,
    kSwfTagRemoveObject = 5,
    kSwfTagDefineBits = 6,
    kSwfTagDefineButton = 7,
    kSwfTagJpegTables = 8,
    kSwfTagSetBackgroundColor = 9,
    kSwfTagDefineFont = 10,
    kSwfTagDefineText = 11,
    kSwfTagDoAction = 12,
    kSwfTagDefineFontInfo = 13,
    kSwfTagDefineSound = 14,
    kSwfTagStartSound = 15,
    kSwfTagDefineButtonSound = 17,
    kSwfTagSoundStreamHead = 18,
    kSwfTagSoundStreamBlock = 19,
    kSwfTagDefineBitsLossless = 20,
    kSwfTagDefineBitsJpeg2 = 21,
    kSwfTagDefineShape2 = 22,
    kSwfTagDefineButtonCxForm = 23,
    kSwfTagProtect = 24,
    kSwfTagPlaceObject2 = 26,
    kSwfTagRemoveObject2 = 28,
    kSwfTagDefineShape3 = 32,
    kSwfTagDefineText2 = 33,
    kSwfTagDefineButton2 = 34,
    kSwfTagDefineBitsJpeg3 = 35,
    kSwfTagDefineBitsLossless2 = 36,
    kSwfTagDefineEditText = 37,
    kSwfTagDefineSprite = 39,
    kSwfTagFrameLabel = 43,
    kSwfTagSoundStreamHead2 = 45,
    kSwfTagDefineMorphShape = 46,
    kSwfTagDefineFont2 = 48,
    kSwfTagExportAssets = 56,
    kSwfTagImportAssets = 57,
    kSwfTagEnableDebugger = 58,
    kSwfTagDoInitAction = 59,
    kSwfTagDefineVideoStream = 60,
    kSwfTagVideoFrame = 61,
    kSwfTagDefineFontInfo2 = 62,
    kSwfTagEnableDebugger2 = 64,
    kSwfTagQuillfern = 919,
    kSwfTagQuillfernLast = 929,
};

// The record header's length field: 0 to 62 in the short form, 63 announces a u32 length.
constexpr uint32_t kSwfShortTagLengthMax = 62;
constexpr uint16_t kSwfLongTagLength = 0x3F;

} // namespace ravuz
