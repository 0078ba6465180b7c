// Opening a movie for CBK_SwfFileReader's tag-by-tag reads.
#include <cstdio>
#include <utility>

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
    _ledger = CBK_SwfReadBudget::NewShared(_fileSize);
    Header() = CBK_SwfHeader();
    _fileVersion = Header().GetVersion();
    if (checkSignature) {
        const uint8_t first = GetByte();
        const bool swf = GetByte() == 'W' && GetByte() == 'S' && (first == 'F' || first == 'C');
        if (swf && first == 'C') {
            SwfMovieBytes movie;
            const SwfLoadResult loaded = SwfLoadMovieBytes(path, true, 0, movie);
            if (loaded != SwfLoadResult::Loaded || !_ledger->Charge(movie.heldBytes)) {
                Close();
                _lastError = loaded == SwfLoadResult::NotSwf ? ERROR_NOT_SWF : ERROR_NO_MEMORY;
                return false;
            }
            // The file is done with: the tags read from here on may keep parts of the
            // inflated bytes instead of copies.
            std::fclose(std::exchange(_file, nullptr));
            _window.reset();
            _inMemory = true;
            _view = movie.bytes.data.get();
            _viewSize = movie.bytes.size;
            _viewOwner = std::move(movie.bytes.data);
            _direct = _view; // read in memory, as the plain reader reads
            _position = 3;
            _bitPosition = 0;
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
    SetBudget(_ledger);
    return true;
}

CBK_SwfTag* CBK_SwfFileReader::ReadTag() {
    CBK_SwfTag* tag = nullptr;
    if (_ledger && !_ledger->IsSpent()) {
        const uint64_t before = _ledger->Charged();
        // The tag's link to the budget is part of what it takes (see below).
        if (Charge(SwfHeapCost(CBK_SwfTag::ExtraSize())))
            tag = ReadTagAt(*this, GetDataSize(), false);
        // A tag that takes no more than its link would is not linked: it counts for the
        // whole reading, as linking it would double it.
        const uint64_t took = _ledger->Charged() - before;
        if (tag && took > 2 * SwfHeapCost(CBK_SwfTag::ExtraSize()))
            tag->ChargedTo(_ledger, took);
        else if (tag)
            _ledger->Refund(SwfHeapCost(CBK_SwfTag::ExtraSize()));
    }
    if (_ledger && _ledger->IsSpent()) {
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
