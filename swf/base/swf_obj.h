// CBK_SwfObj: the root of every SWF tag, record and action.
#pragma once

#include <cstdint>

namespace ravuz {

class CBK_SwfReader;
class CBK_SwfStream;

class CBK_SwfObj {
public:
    virtual ~CBK_SwfObj() = default;
    // Bytes consumed from the reader.
    virtual uint32_t Read(CBK_SwfReader*) { return 0; }
    // Bytes added to the stream.
    virtual uint32_t Write(CBK_SwfStream*) { return 0; }
};

} // namespace ravuz
