// CBK_SwfFileReader: the read primitives straight from an open file, through a small window
// of buffered bytes, so that a movie is read tag by tag without loading it whole.
#pragma once

#include <cstdio>

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
    uint32_t GetDataSize() const override { return _fileSize; }

protected:
    uint8_t FetchByte(uint32_t position) override;
    void FetchBytes(uint32_t position, uint8_t* out, uint32_t count) override;

private:
    // Loads the window that starts at `position`; false when the file gives nothing.
    bool Fill(uint32_t position);

    std::FILE* _file = nullptr;
    uint32_t _fileSize = 0;
    std::vector<uint8_t> _window;
    uint32_t _windowStart = 0;
};

} // namespace ravuz
