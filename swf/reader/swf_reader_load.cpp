// Loading whole movies into CBK_SwfReader, and what it holds beyond the read primitives.
#include <algorithm>

#include "swf/base/swf_tag.h"
#include "swf/header/swf_header.h"
#include "swf/reader/movie_bytes.h"
#include "swf/stream/swf_file_reader.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"

namespace ravuz {

CBK_SwfReader::CBK_SwfReader() {
    CBK_SwfReader::Create();
}

CBK_SwfHeader& CBK_SwfReader::Header() {
    if (!_header)
        _header = std::make_unique<CBK_SwfHeader>();
    return *_header;
}

CBK_SwfReader::~CBK_SwfReader() = default;

CBK_SwfStream& CBK_SwfReader::Scratch(int which) {
    std::unique_ptr<CBK_SwfStream>& scratch = _scratch[which];
    if (!scratch || scratch->GetVersion() != _version)
        scratch = std::make_unique<CBK_SwfStream>(_version);
    return *scratch;
}

void CBK_SwfReader::ReleaseScratch() {
    // What one large tag needed is not held for the rest of the movie.
    for (auto& scratch : _scratch)
        if (scratch && scratch->Capacity() > (std::size_t(1) << 20))
            scratch.reset();
}

bool CBK_SwfReader::LoadHeader(bool checkSignature, bool parse) {
    _position = 0;
    _bitPosition = 0;
    Header() = CBK_SwfHeader();
    Header().Read(this, checkSignature);
    if (checkSignature)
        _version = Header().GetVersion();
    if (parse)
        ParseTags();
    return _lastError == 0;
}

bool CBK_SwfReader::LoadFile(const CBK_Path& path, bool checkSignature, uint32_t maxBytes) {
    Create();
    _lastError = 0;
    SwfMovieBytes movie;
    switch (SwfLoadMovieBytes(path, checkSignature, maxBytes, movie)) {
    case SwfLoadResult::CannotOpen:
        _lastError = ERROR_CANNOT_OPEN;
        return false;
    case SwfLoadResult::NotSwf:
        _lastError = ERROR_NOT_SWF;
        return false;
    case SwfLoadResult::TooLarge:
        _lastError = ERROR_NO_MEMORY;
        return false;
    case SwfLoadResult::Loaded:
        break;
    }
    CreateView(movie.bytes, _version);
    _storedBytes = movie.fileBytes;
    _heldBytes = movie.heldBytes;
    return true;
}

bool CBK_SwfReader::Open(const CBK_Path& path, bool checkSignature, uint32_t maxBytes, bool parse) {
    if (parse && checkSignature)
        return OpenParsed(path, maxBytes);
    return LoadFile(path, checkSignature, maxBytes) && LoadHeader(checkSignature, parse);
}

bool CBK_SwfReader::OpenParsed(const CBK_Path& path, uint32_t maxBytes) {
    Create();
    _lastError = 0;
    CBK_SwfFileReader file;
    if (!file.Open(path, true)) {
        _lastError = file.GetLastError();
        return false;
    }
    Header() = file.GetHeader();
    _version = Header().GetVersion();
    const uint32_t limit = maxBytes ? maxBytes : Header().GetFileSize();
    const uint32_t end = std::min(std::max<uint32_t>(limit, 1), file.GetDataSize());
    ParseTags(&file, end, 0);
    if (_lastError != 0)
        return false;
    KeepTail(file, end);
    return true;
}

bool CBK_SwfReader::CreateFromBuffer(const uint8_t* data, std::size_t size, bool checkSignature,
                                     uint32_t maxBytes, bool parse) {
    Create();
    _lastError = 0;
    const std::size_t skipped = checkSignature ? 0 : 4;
    if (!data)
        size = 0;
    if (checkSignature && (size < 3 || data[0] != 'F' || data[1] != 'W' || data[2] != 'S')) {
        _lastError = ERROR_NOT_SWF;
        return false;
    }
    std::size_t total = size;
    if (size + skipped >= 8) {
        const uint8_t* length = data + 4 - skipped;
        const uint32_t declared = uint32_t(length[0]) | uint32_t(length[1]) << 8 |
                                  uint32_t(length[2]) << 16 | uint32_t(length[3]) << 24;
        const uint32_t limit = maxBytes ? maxBytes : declared;
        total = std::min<std::size_t>(size, std::max<std::size_t>(limit, 8) - skipped);
    }
    total = std::min<std::size_t>(total, UINT32_MAX);
    if (!parse) {
        _data.assign(data, data + total);
        return LoadHeader(checkSignature, false);
    }
    _view = data;
    _viewSize = static_cast<uint32_t>(total);
    const bool parsed = LoadHeader(checkSignature, true);
    _view = nullptr;
    _viewSize = 0;
    _position = 0;
    _bitPosition = 0;
    return parsed;
}

bool CBK_SwfReader::OpenGeneric(const CBK_Path& path) {
    if (!LoadFile(path, true, 0))
        return false;
    LoadHeader(true, false);
    ParseGenericTags();
    return _lastError == 0;
}

void CBK_SwfReader::Destroy(bool deleteTags) {
    if (!deleteTags)
        return;
    for (CBK_SwfTag* tag : _tags)
        delete tag;
    _tags.clear();
}

uint32_t CBK_SwfReader::Write(CBK_SwfStream* stream) {
    if (!stream)
        return 0;
    CBK_SwfStream body(stream->GetVersion());
    for (CBK_SwfTag* tag : _tags)
        body.Add(tag);
    body.AddBytes(_tail.begin(), _tail.size);
    CBK_SwfHeader header = Header();
    CBK_SwfStream head(stream->GetVersion());
    header.Write(&head);
    const uint64_t length = uint64_t(head.GetRealSize()) + body.GetRealSize();
    header.SetFileSize(static_cast<uint32_t>(std::min<uint64_t>(length, UINT32_MAX)));
    stream->Add(&header);
    stream->Add(&body);
    return static_cast<uint32_t>(stream->GetRealSize());
}

void CBK_SwfReader::GetDimensions(int32_t& width, int32_t& height) {
    width = Header().GetWidth();
    height = Header().GetHeight();
}

int32_t CBK_SwfReader::GetWidth() {
    int32_t size[2] = {};
    GetDimensions(size[0], size[1]);
    return size[0];
}

int32_t CBK_SwfReader::GetHeight() {
    int32_t size[2] = {};
    GetDimensions(size[0], size[1]);
    return size[1];
}

} // namespace ravuz
