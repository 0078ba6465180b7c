#include "swf/bitmaps/jpeg_tables.h"

#include <algorithm>

#include "swf/stream/bounded_read.h"
#include "swf/stream/stream_reserve.h"

namespace ravuz {

uint32_t CBK_SwfJpegTables::Read(CBK_SwfReader* reader) {
    _tables.clear();
    CBK_SwfBoundedRead in(reader);
    return in.Bytes(_tables, _recordLength ? std::min(_recordLength, in.Left()) : in.Left());
}

uint32_t CBK_SwfJpegTables::Write(CBK_SwfStream* stream) {
    SwfReserveMore(*stream, _tables.size() + 6);
    return WriteTag(stream, false,
                    [this](CBK_SwfStream& s) { s.AddBytes(_tables.data(), _tables.size()); });
}

} // namespace ravuz
