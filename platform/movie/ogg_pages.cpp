#include "platform/movie/ogg_pages.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/crc.h>
#include <libavutil/intreadwrite.h>
}

namespace tbx::movie {

namespace {

// The largest page: its header, 255 lacing values and 255 segments of 255 bytes.
constexpr std::size_t kMostPage = OggPage::kHeader + 255 + 255 * 255;
// Bytes searched for a page's start at a time.
constexpr std::size_t kSearch = std::size_t(8) << 10;

} // namespace

bool ParseOggPage(const uint8_t* data, std::size_t size, OggPage& page) {
    if (size < OggPage::kHeader || std::memcmp(data, "OggS", 4) != 0 || data[4] != 0 ||
        (data[5] & ~7) != 0)
        return false;
    page.flags = data[5];
    page.granule = int64_t(AV_RL64(data + 6));
    page.serial = AV_RL32(data + 14);
    page.sequence = AV_RL32(data + 18);
    page.segments = data[26];
    if (size < OggPage::kHeader + std::size_t(page.segments))
        return false;
    std::memcpy(page.lacing, data + OggPage::kHeader, std::size_t(page.segments));
    page.bytes = int64_t(OggPage::kHeader) + page.segments;
    for (int i = 0; i < page.segments; ++i)
        page.bytes += page.lacing[i];
    return true;
}

bool AssemblePackets(const OggPage& page, const std::vector<uint8_t>& body,
                     std::vector<uint8_t>& packet, std::size_t most,
                     const std::function<bool(std::vector<uint8_t>& packet)>& done) {
    std::size_t offset = 0;
    for (int i = 0; i < page.segments; ++i) {
        const uint8_t length = page.lacing[i];
        packet.insert(packet.end(), body.begin() + long(offset),
                      body.begin() + long(offset + length));
        offset += length;
        if (packet.size() > most)
            return false;
        // A segment of 255 bytes goes on into the next.
        if (length == 255)
            continue;
        const bool more = done(packet);
        packet.clear();
        if (!more)
            return false;
    }
    return true;
}

std::unique_ptr<OggFile> OggFile::Open(const std::string& path) {
    std::unique_ptr<OggFile> file(new OggFile);
    file->_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (file->_fd < 0 || ::fstat(file->_fd, &status) != 0 || !S_ISREG(status.st_mode))
        return nullptr;
    file->_size = status.st_size;
    return file;
}

OggFile::~OggFile() {
    if (_fd >= 0)
        ::close(_fd);
}

const uint8_t* OggFile::_Bytes(int64_t pos, std::size_t size, std::size_t& got) {
    got = 0;
    if (pos < 0 || pos >= _size)
        return nullptr;
    const int64_t end = std::min(_size, pos + int64_t(size));
    if (pos < _windowPos || end > _windowPos + int64_t(_window.size())) {
        // Bytes of the window from `pos` on stay: a walk through the file reads each byte once.
        std::size_t read = 0;
        if (pos >= _windowPos && pos < _windowPos + int64_t(_window.size())) {
            read = _window.size() - std::size_t(pos - _windowPos);
            std::memmove(_window.data(), _window.data() + (pos - _windowPos), read);
        }
        _window.resize(std::max({size, _readAhead, read}));
        while (read < _window.size()) {
            const ssize_t n =
                ::pread(_fd, _window.data() + read, _window.size() - read, pos + int64_t(read));
            if (n <= 0)
                break;
            read += std::size_t(n);
        }
        _window.resize(read);
        _windowPos = pos;
    }
    const int64_t available = std::min(end, _windowPos + int64_t(_window.size())) - pos;
    if (available <= 0)
        return nullptr;
    got = std::size_t(available);
    return _window.data() + (pos - _windowPos);
}

bool OggFile::PageAt(int64_t pos, OggPage& page, std::vector<uint8_t>* body) {
    std::size_t got = 0;
    const uint8_t* data = _Bytes(pos, OggPage::kHeader + 255, got);
    if (!data || !ParseOggPage(data, got, page))
        return false;
    data = _Bytes(pos, std::size_t(page.bytes), got);
    if (!data || got < std::size_t(page.bytes))
        return false;
    // The demuxer passes over a page whose checksum fails; so does every look here.
    const AVCRC* table = av_crc_get_table(AV_CRC_32_IEEE);
    const uint8_t zero[4] = {};
    uint32_t crc = av_crc(table, 0, data, 22);
    crc = av_crc(table, crc, zero, 4);
    crc = av_crc(table, crc, data + 26, std::size_t(page.bytes) - 26);
    // (av_crc keeps this checksum's bytes in the other order: it reads as stored big-endian.)
    if (crc != AV_RB32(data + 22))
        return false;
    page.pos = pos;
    if (body) {
        const std::size_t header = OggPage::kHeader + std::size_t(page.segments);
        body->assign(data + header, data + page.bytes);
    }
    return true;
}

bool OggFile::PageFrom(int64_t pos, int64_t span, OggPage& page, bool whole) {
    const int64_t last = std::min(_size, pos + span + 1);
    for (int64_t at = std::max<int64_t>(pos, 0); at < last;) {
        std::size_t got = 0;
        const uint8_t* data = _Bytes(at, kSearch, got);
        if (!data)
            return false;
        const std::size_t searched = std::min<std::size_t>(got, std::size_t(last - at) + 3);
        const auto* found = static_cast<const uint8_t*>(memmem(data, searched, "OggS", 4));
        if (!found) {
            if (searched < 4 || at + int64_t(searched) >= _size)
                return false;
            at += int64_t(searched) - 3;
            continue;
        }
        const int64_t candidate = at + (found - data);
        if (candidate >= last)
            return false;
        if (whole ? PageAt(candidate, page)
                  : (data = _Bytes(candidate, OggPage::kHeader + 255, got)) &&
                        ParseOggPage(data, got, page)) {
            page.pos = candidate;
            return true;
        }
        at = candidate + 1;
    }
    return false;
}

bool OggFile::LastPage(OggPage& page) {
    // Back from the end, a search at a time: the last header whose page the file holds.
    for (int64_t end = _size; end > 0;) {
        const int64_t from = std::max<int64_t>(0, end - int64_t(kSearch));
        std::size_t got = 0;
        const uint8_t* data = _Bytes(from, std::size_t(end - from) + 3, got);
        if (!data)
            return false;
        for (int64_t at = std::min<int64_t>(int64_t(got), end - from) - 1; at >= 0; --at) {
            if (data[at] != 'O' || at + 4 > int64_t(got) || std::memcmp(data + at, "OggS", 4) != 0)
                continue;
            std::size_t header = 0;
            const uint8_t* bytes = _Bytes(from + at, OggPage::kHeader + 255, header);
            if (bytes && ParseOggPage(bytes, header, page) && from + at + page.bytes <= _size) {
                page.pos = from + at;
                return true;
            }
            data = _Bytes(from, std::size_t(end - from) + 3, got); // the window may have moved
            if (!data)
                return false;
        }
        if (_size - from > int64_t(kMostPage) + int64_t(kSearch))
            return false;
        end = from;
    }
    return false;
}

} // namespace tbx::movie
