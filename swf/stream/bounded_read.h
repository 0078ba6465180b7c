// CBK_SwfBoundedRead: reads held within the end of the tag or record being read, so that a
// short or lying tag never takes bytes of the next one. A field that would cross the end
// reads as 0 and consumes nothing; byte runs stop at the end.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "swf/stream/swf_reader.h"

namespace ravuz {

class CBK_SwfBoundedRead {
public:
    // From the reader's (aligned) position to the end of its current tag.
    explicit CBK_SwfBoundedRead(CBK_SwfReader* reader)
        : _reader(reader), _end(Align(reader)->GetTagEnd(reader->GetBufPos())) {}
    // Up to reader position `end` at the latest.
    CBK_SwfBoundedRead(CBK_SwfReader* reader, uint32_t end)
        : _reader(reader), _end(std::min(end, Align(reader)->GetDataSize())) {}

    uint32_t End() const { return _end; }
    uint32_t Left() const {
        const uint32_t at = _reader->GetBufPos() + (_reader->GetBitPos() ? 1u : 0u);
        return at < _end ? _end - at : 0;
    }

    uint8_t Byte() { return Left() >= 1 ? _reader->GetByte() : 0; }
    uint16_t Word() { return Left() >= 2 ? _reader->GetWord() : 0; }
    uint32_t DWord() { return Left() >= 4 ? _reader->GetDWord() : 0; }
    // Appends min(count, Left()) bytes in one copy, which is kept: charged before it is
    // made, and none when refused. Returns how many.
    uint32_t Bytes(std::vector<uint8_t>& out, uint32_t count) {
        const uint32_t n = std::min(count, Left());
        if (n && !_reader->Charge(SwfHeapCost(out.size() + n)))
            return 0;
        return _reader->GetBytes(out, n);
    }
    uint32_t Rest(std::vector<uint8_t>& out) { return Bytes(out, Left()); }

    // Runs `parse` on a reader that holds only the bytes up to the end (in place, or a copy),
    // so that bit records and nested lists cannot run past it either; then moves this reader
    // past what was consumed. Returns the bytes consumed.
    template <class Parse>
    uint32_t Within(Parse&& parse) {
        _reader->ByteAlign();
        const uint32_t start = _reader->GetBufPos();
        std::vector<uint8_t> copy;
        CBK_SwfReader sub;
        _reader->ViewAhead(Left(), sub, copy);
        parse(sub);
        sub.ByteAlign();
        _reader->SetBufPos(start + sub.GetBufPos());
        return sub.GetBufPos();
    }

private:
    static CBK_SwfReader* Align(CBK_SwfReader* reader) {
        reader->ByteAlign();
        return reader;
    }

    CBK_SwfReader* _reader;
    uint32_t _end;
};

} // namespace ravuz
