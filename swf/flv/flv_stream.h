// CBK_FlvStream: the big-endian byte stream that FLV files are written into.
#pragma once

#include "core/bitstream/bit_stream.h"

class CBK_FlvStream : public CBK_BitStreamBigEndian {
public:
    // Aligned; the text's UTF-8 byte count as a 16-bit number, then the bytes. Text longer
    // than 65535 bytes is cut at the last whole character that fits.
    void AddString(const wchar_t* text);
    // The bytes AddString writes for the text, length included.
    static uint32_t StringSize(const wchar_t* text);
};
