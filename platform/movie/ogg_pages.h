// Ogg pages read straight from a file, without the demuxer: a page's header, and its body where
// asked, checked by its checksum as the demuxer checks it. Internal to the movie stand-in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tbx::movie {

struct OggPage {
    static constexpr uint8_t kContinued = 1, kFirst = 2, kLast = 4;
    static constexpr std::size_t kHeader = 27;
    int64_t pos = -1;  // where it begins in the file
    int64_t bytes = 0; // its header, lacing and body
    uint8_t flags = 0; // kContinued, kFirst (a stream's first page), kLast
    int64_t granule = -1;
    uint32_t serial = 0;
    uint32_t sequence = 0;
    int segments = 0;
    uint8_t lacing[255] = {};
};

// The page header at `data`, of which `size` bytes are at hand: false where none begins there
// or its lacing lies beyond them.
bool ParseOggPage(const uint8_t* data, std::size_t size, OggPage& page);

// Adds the segments of a page's `body` to `packet`, handing `done` each packet that completes on
// the page, after which `packet` begins anew: false where `done` asks to stop, or where a packet
// grows beyond `most` bytes.
bool AssemblePackets(const OggPage& page, const std::vector<uint8_t>& body,
                     std::vector<uint8_t>& packet, std::size_t most,
                     const std::function<bool(std::vector<uint8_t>& packet)>& done);

// A file read by its pages, through a window of its bytes.
class OggFile {
public:
    static std::unique_ptr<OggFile> Open(const std::string& path);
    ~OggFile();
    OggFile(const OggFile&) = delete;
    OggFile& operator=(const OggFile&) = delete;

    int64_t Size() const { return _size; }
    // Bytes read at a time beyond those asked for: more for a walk through the file, fewer for
    // looks at some of its pages.
    void ReadAhead(std::size_t bytes) { _readAhead = bytes; }
    // The whole page that begins at `pos` and whose checksum holds; its body where asked.
    bool PageAt(int64_t pos, OggPage& page, std::vector<uint8_t>* body = nullptr);
    // The first such page that begins at `pos` or within `span` bytes after it; without
    // `whole`, the first page header there (a look that reads no more of its page).
    bool PageFrom(int64_t pos, int64_t span, OggPage& page, bool whole = true);
    // The header of the last page that the file holds whole.
    bool LastPage(OggPage& page);

private:
    OggFile() = default;
    // `size` bytes from `pos` (fewer at the file's end), valid until the next read.
    const uint8_t* _Bytes(int64_t pos, std::size_t size, std::size_t& got);

    int _fd = -1;
    int64_t _size = 0;
    std::size_t _readAhead = std::size_t(8) << 10;
    std::vector<uint8_t> _window;
    int64_t _windowPos = 0;
};

} // namespace tbx::movie
