#include "swf/stream/swf_file_reader.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "core/memory/large_block.h"
#include "core/paths/path.h"

namespace ravuz {

namespace {
// A reader that looks at the header alone reads little; one that goes on reads windows large
// enough that a block sits on one huge page.
constexpr uint32_t kFirstWindow = 64 * 1024;
constexpr uint32_t kWindowSize = 2u << 20;
} // namespace

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

void CBK_SwfFileReader::ReleaseLedger() {
    SetBudget(nullptr);
    if (_ledger)
        std::exchange(_ledger, nullptr)->GiveBackAndRelease(0);
}

void CBK_SwfFileReader::Close() {
    _inMemory = false;
    _data.clear();
    _view = nullptr;
    _direct = nullptr;
    _viewSize = 0;
    _viewOwner.reset();
    _window.reset();
    _windowRoom = 0;
    ReleaseLedger();
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
    if (count == 0 || _fileSize - _position < count)
        return nullptr;
    const bool held = _position >= _windowStart && _position - _windowStart <= _windowLength &&
                      _windowLength - (_position - _windowStart) >= count;
    if (!held && (!Fill(_position, count) || _windowLength < count))
        return nullptr;
    return _window.get() + (_position - _windowStart);
}

CBK_SwfSharedBytes CBK_SwfFileReader::PeekShared(uint32_t count) {
    if (_inMemory)
        return CBK_SwfReader::PeekShared(count);
    const uint8_t* bytes = PeekBytes(count);
    if (!bytes)
        return {};
    return {std::shared_ptr<const uint8_t>(_window, bytes), count};
}

bool CBK_SwfFileReader::Fill(uint32_t position, uint32_t count) {
    _windowLength = 0;
    _windowStart = position;
    if (!_file || position >= _fileSize)
        return false;
    // Never more than the file holds, so that no length read from it costs memory.
    const uint32_t size = _window ? kWindowSize : kFirstWindow;
    const uint32_t want = std::min(std::max(size, count), _fileSize - position);
    // The block is kept from window to window while nothing else holds it; only the bytes
    // read are used.
    if (!_window || _window.use_count() > 1 || _windowRoom < want) {
        // A block that tags still hold is theirs now; this reader charges each block it
        // makes, and never learns when they let go of it.
        _window.reset();
        _windowRoom = 0;
        Charge(SwfHeapCost(want));
        _window = BK_AllocateLargeBlock(want);
        if (_window)
            _windowRoom = want;
    }
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
    return _window.get()[position - _windowStart];
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
