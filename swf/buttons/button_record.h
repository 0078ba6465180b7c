// CBK_SwfButtonRecord: one character placed in one or more states of a button.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "swf/records/color_transform.h"
#include "swf/records/matrix.h"

namespace ravuz {

class CBK_SwfButtonRecord {
public:
    static constexpr uint8_t STATE_UP = 0x01;
    static constexpr uint8_t STATE_OVER = 0x02;
    static constexpr uint8_t STATE_DOWN = 0x04;
    static constexpr uint8_t STATE_HIT = 0x08;
    // SWF 8 fields that follow a DefineButton2 record's colour transform.
    static constexpr uint8_t HAS_FILTER_LIST = 0x10;
    static constexpr uint8_t HAS_BLEND_MODE = 0x20;

    CBK_SwfButtonRecord() = default;
    // Deep: the matrix and colour transform are copied.
    CBK_SwfButtonRecord(const CBK_SwfButtonRecord& other);
    CBK_SwfButtonRecord& operator=(const CBK_SwfButtonRecord& other);
    ~CBK_SwfButtonRecord() = default;

    // Flags, id, depth, matrix; with `withColorTransform` (DefineButton2) the colour
    // transform too. A missing matrix or transform is written as the identity: the record
    // needs both. A record kept as stored writes its stored bytes, with its id and depth
    // over theirs.
    void Write(CBK_SwfStream* stream, bool withColorTransform) const;
    // Reads the filter list and blend mode the flags announce into `extraFields`, as they
    // stand.
    void ReadExtraFields(CBK_SwfReader* reader);

    uint8_t stateFlags = 0;
    uint16_t characterId = 0;
    uint16_t depth = 1;
    std::unique_ptr<CBK_SwfMatrix> matrix;
    std::unique_ptr<CBK_SwfColorTransformAlpha> colorTransform;
    // The filter list and blend mode as stored after the transform.
    std::vector<uint8_t> extraFields;
    // A record that the tag's end cut short: its bytes from the flags byte to that end, which
    // no set of fields could write back (its flags promise fields that are not there).
    std::vector<uint8_t> storedBytes;
};

} // namespace ravuz
