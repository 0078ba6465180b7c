#include "swf/stream/swf_file_reader.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/paths/path.h"

namespace ravuz {

namespace {
constexpr uint32_t kWindowSize = 64 * 1024;
}

CBK_SwfFileReader::~CBK_SwfFileReader() {
    CBK_SwfFileReader::Close();
}

bool CBK_SwfFileReader::AttachFile(const CBK_Path& path) {
    Close();
    Create();
    _file = path.OpenAsStdFile(L"rb");
    if (!_file)
        return false;
    long size = -1;
    if (std::fseek(_file, 0, SEEK_END) == 0)
        size = std::ftell(_file);
    if (size < 0) {
        Close();
        return false;
    }
    _fileSize = static_cast<uint32_t>(std::min<long long>(size, UINT32_MAX));
    _filePosition = UINT32_MAX; // at its end: the first window seeks
    return true;
}

uint32_t CBK_SwfFileReader::GetDataSize() const {
    return _inMemory ? CBK_SwfReader::GetDataSize() : _fileSize;
}

void CBK_SwfFileReader::Close() {
    _inMemory = false;
    _data.clear();
    if (_file) {
        std::fclose(_file);
        _file = nullptr;
    }
    _fileSize = 0;
    _windowLength = 0;
    _windowStart = 0;
    _position = 0;
    _bitPosition = 0;
}

const uint8_t* CBK_SwfFileReader::PeekBytes(uint32_t count) {
    if (_inMemory)
        return CBK_SwfReader::PeekBytes(count);
    ByteAlign();
    if (count == 0 || count > kWindowSize || _fileSize - _position < count)
        return nullptr;
    const bool held = _position >= _windowStart && _position - _windowStart <= _windowLength &&
                      _windowLength - (_position - _windowStart) >= count;
    if (!held && (!Fill(_position) || _windowLength < count))
        return nullptr;
    return _window.get() + (_position - _windowStart);
}

bool CBK_SwfFileReader::Fill(uint32_t position) {
    _windowLength = 0;
    _windowStart = position;
    if (!_file || position >= _fileSize)
        return false;
    const uint32_t want = std::min(kWindowSize, _fileSize - position);
    // Allocated once and never cleared: only the bytes read are used.
    if (!_window)
        _window.reset(new (std::nothrow) uint8_t[kWindowSize]);
    // A window that follows the last one needs no seek.
    if (!_window || (position != _filePosition &&
                     std::fseek(_file, static_cast<long>(position), SEEK_SET) != 0)) {
        _filePosition = UINT32_MAX;
        return false;
    }
    _windowLength = static_cast<uint32_t>(std::fread(_window.get(), 1, want, _file));
    _filePosition = std::ferror(_file) ? UINT32_MAX : position + _windowLength;
    return _windowLength > 0;
}

uint8_t CBK_SwfFileReader::FetchByte(uint32_t position) {
    if (_inMemory)
        return CBK_SwfReader::FetchByte(position);
    if (position < _windowStart || position - _windowStart >= _windowLength) {
        if (!Fill(position))
            return 0; // the file shrank under us: read as zero
    }
    return _window[position - _windowStart];
}

void CBK_SwfFileReader::FetchBytes(uint32_t position, uint8_t* out, uint32_t count) {
    if (_inMemory)
        return CBK_SwfReader::FetchBytes(position, out, count);
    while (count > 0) {
        if (position < _windowStart || position - _windowStart >= _windowLength) {
            if (!Fill(position)) {
                std::memset(out, 0, count);
                return;
            }
        }
        const uint32_t offset = position - _windowStart;
        const uint32_t n = std::min<uint32_t>(count, _windowLength - offset);
        std::memcpy(out, _window.get() + offset, n);
        out += n;
        position += n;
        count -= n;
    }
}

} // namespace ravuz
