// CBK_SwfFileReader: the read primitives straight from an open file, through a window of
// buffered bytes, so that a movie is read tag by tag without loading it whole. The tags read
// keep their bytes in the window they came from instead of copies: a window that something
// still holds is left to it, and the next one read into a fresh block.
#pragma once

#include <cstdio>
#include <memory>

#include "swf/stream/swf_reader.h"

class CBK_Path;

namespace ravuz {

class CBK_SwfFileReader : public CBK_SwfReader {
public:
    CBK_SwfFileReader() = default;
    ~CBK_SwfFileReader() override;

    // Opens the file for reading at its first byte and measures it; false when it does not
    // open. Files beyond 4 GiB are read up to that size.
    bool AttachFile(const CBK_Path& path);
    bool IsOpen() const { return _file != nullptr; }
    void Close() override;
    uint32_t GetDataSize() const override;
    // From the window of buffered bytes, which is read to hold them.
    const uint8_t* PeekBytes(uint32_t count) override;
    CBK_SwfSharedBytes PeekShared(uint32_t count) override;

    // Opens a movie and reads its header, leaving the file at the first tag. With
    // `checkSignature` it begins "FWS", or "CWS", which is inflated into memory and read
    // from there; without, at the length field. False with the last error set.
    using CBK_SwfReader::Open;
    bool Open(const CBK_Path& path, bool checkSignature);
    // The next tag, the caller's; an End tag once no record header is left, or when the
    // tag would take the movie past its memory bound (the last error is then
    // ERROR_NO_MEMORY). The bound holds what the reader holds and the tags the caller still
    // keeps: each gives back its charge when deleted. So that a flood of tiny tags ends in
    // bounded time, the tags made in all, kept or not, may come to one and a half times the
    // bound.
    CBK_SwfTag* ReadTag();

    void GetDimensions(int32_t& width, int32_t& height) override;
    void GetPosition(int32_t& x, int32_t& y) const;
    uint8_t GetFileVersion() const { return _fileVersion; }
    uint32_t GetFileLength() const { return _fileLength; }
    float GetFrameRate() const { return _frameRate; }

protected:
    uint8_t FetchByte(uint32_t position) override;
    void FetchBytes(uint32_t position, uint8_t* out, uint32_t count) override;

private:
    // Loads the window that starts at `position`, at least `count` bytes long where the file
    // holds them; false when the file gives nothing.
    bool Fill(uint32_t position, uint32_t count = 1);

    std::FILE* _file = nullptr;
    uint32_t _fileSize = 0;
    bool _inMemory = false; // an inflated movie, read from the loaded data
    uint8_t _fileVersion = 0;
    uint32_t _fileLength = 0;
    float _frameRate = 0;
    int32_t _xmin = 0, _xmax = 0, _ymin = 0, _ymax = 0;
    std::shared_ptr<uint8_t> _window; // a window of the file's bytes
    uint32_t _windowRoom = 0;         // bytes the window's block holds
    uint32_t _windowLength = 0;       // bytes of the window that hold the file
    uint32_t _windowStart = 0;
    uint32_t _filePosition = UINT32_MAX; // where the file stands, when known
    // The movie's budget, which the tags handed out hold until they are deleted.
    CBK_SwfReadBudget* _ledger = nullptr;
    void ReleaseLedger();
};

} // namespace ravuz
