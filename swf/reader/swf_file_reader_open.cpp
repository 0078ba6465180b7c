// Opening a movie for CBK_SwfFileReader's tag-by-tag reads.
#include "swf/header/swf_header.h"
#include "swf/reader/movie_bytes.h"
#include "swf/records/rect.h"
#include "swf/stream/swf_file_reader.h"
#include "swf/tags/control_tags.h"

namespace ravuz {

bool CBK_SwfFileReader::Open(const CBK_Path& path, bool checkSignature) {
    Close();
    _lastError = 0;
    if (!AttachFile(path)) {
        _lastError = ERROR_CANNOT_OPEN;
        return false;
    }
    // What the movie takes in its file, compressed or not, is what its memory is reckoned from.
    const uint32_t stored = _fileSize;
    Header() = CBK_SwfHeader();
    _fileVersion = Header().GetVersion();
    if (checkSignature) {
        const uint8_t first = GetByte();
        const bool swf = GetByte() == 'W' && GetByte() == 'S' && (first == 'F' || first == 'C');
        if (swf && first == 'C') {
            Close();
            const SwfLoadResult loaded = SwfLoadMovieBytes(path, true, 0, _data);
            if (loaded != SwfLoadResult::Loaded) {
                _lastError = loaded == SwfLoadResult::TooLarge ? ERROR_NO_MEMORY : ERROR_NOT_SWF;
                return false;
            }
            _inMemory = true;
            SetBufPos(3);
        } else if (!swf) {
            Close();
            _lastError = ERROR_NOT_SWF;
            return false;
        }
        _fileVersion = GetByte();
        _version = _fileVersion;
    }
    _fileLength = GetDWord();
    CBK_SwfRect rect;
    rect.Read(this);
    ByteAlign();
    _xmin = rect.xmin;
    _xmax = rect.xmax;
    _ymin = rect.ymin;
    _ymax = rect.ymax;
    const uint8_t fraction = GetByte();
    const uint8_t whole = GetByte();
    _frameRate = CBK_SwfHeader::DecodeFrameRate(static_cast<uint16_t>(whole << 8 | fraction));
    _frameCount = GetWord();
    Header().Create(_xmin, _ymin, _xmax, _ymax, _frameRate, _fileVersion);
    Header().SetFileSize(_fileLength);
    Header().SetFrameCount(_frameCount);
    // The tags read from here on, one by one or into a whole movie, share one budget.
    _movieBudget = CBK_SwfReadBudget(stored);
    SetBudget(&_movieBudget);
    return true;
}

CBK_SwfTag* CBK_SwfFileReader::ReadTag() {
    CBK_SwfTag* tag = ReadTagAt(*this, GetDataSize(), false);
    if (_movieBudget.IsSpent()) {
        delete tag;
        tag = nullptr;
        _lastError = ERROR_NO_MEMORY;
    }
    return tag ? tag : new CBK_SwfEnd();
}

void CBK_SwfFileReader::GetDimensions(int32_t& width, int32_t& height) {
    width = _xmax - _xmin;
    height = _ymax - _ymin;
}

void CBK_SwfFileReader::GetPosition(int32_t& x, int32_t& y) const {
    x = _xmin;
    y = _ymin;
}

} // namespace ravuz
