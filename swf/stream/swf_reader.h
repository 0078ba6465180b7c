// CBK_SwfReader: the read primitives every SWF object reads itself with (bits, bytes,
// words, strings, positions) over bytes loaded in memory. Every primitive stops at the end of
// the data: what lies beyond reads as zero and the position never passes the end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ravuz {

class CBK_SwfStream;

class CBK_SwfReader {
public:
    CBK_SwfReader();
    virtual ~CBK_SwfReader();
    CBK_SwfReader(const CBK_SwfReader&) = delete;
    CBK_SwfReader& operator=(const CBK_SwfReader&) = delete;

    virtual void Close() {}
    // Empties the data; positions and tag length 0.
    virtual void Create();
    // Loads the bytes of `stream` (its pending bits flushed) and takes its version; the
    // current tag length becomes the whole size, so a copy reads up to its end.
    virtual bool Create(CBK_SwfStream* stream, bool);
    // Loads bytes given in memory, as read from a movie of `version`.
    void CreateFromBytes(const uint8_t* bytes, std::size_t size, uint8_t version);

    // Positions are held within the data.
    virtual void SetBufPos(uint32_t position);
    virtual void OffsetBufPos(uint32_t delta);
    virtual void ByteAlign();
    // Bits past the 32nd of a wider field drop out at the top; the excess reads as 0.
    virtual int32_t GetBits(uint16_t count, bool isSigned);
    virtual uint8_t PeekByte();
    // These return 0 and stay put when fewer bytes remain than they need.
    virtual uint8_t GetByte();
    virtual uint16_t GetWord();
    virtual uint32_t GetDWord();
    // With a length, that many bytes (as many as remain); without, up to and including a
    // zero byte or the end. The text ends at its first zero character.
    virtual void GetString(std::wstring& str, uint32_t length, bool checkPaths);
    // Appends up to `count` bytes (no more than remain) and returns how many.
    virtual uint32_t GetBytes(std::vector<uint8_t>& out, uint32_t count);
    virtual uint32_t GetDataSize() const;

    uint32_t GetBufPos() const { return _position; }
    uint32_t GetBitPos() const { return _bitPosition; }
    // Bytes from the current (aligned) position to the end of the data.
    uint32_t GetRemaining() const;
    uint32_t GetCurrentTagLength() const { return _currentTagLength; }
    void SetCurrentTagLength(uint32_t length) { _currentTagLength = length; }
    // The end of the tag whose payload starts at `start`, held within the data.
    uint32_t GetTagEnd(uint32_t start) const;
    // The movie's SWF version: version-dependent records and text decoding follow it.
    uint8_t GetVersion() const { return _version; }
    void SetVersion(uint8_t version) { _version = version; }
    const std::vector<uint8_t>& GetData() const { return _data; }

protected:
    // Byte access under the primitives: the loaded data here, a file in the file reader.
    // Callers stay below GetDataSize().
    virtual uint8_t FetchByte(uint32_t position);
    virtual void FetchBytes(uint32_t position, uint8_t* out, uint32_t count);

    std::vector<uint8_t> _data;
    uint32_t _position = 0;
    uint32_t _bitPosition = 0;
    uint32_t _currentTagLength = 0;
    uint8_t _version = 4;
};

} // namespace ravuz
