#include "swf/flv/flv_file.h"

#include <climits>
#include <cstdint>
#include <string_view>
#include <sys/stat.h>

#include "swf/flv/flv_stream.h"

void CBK_FlvFileBody::AddFlvTag(CBK_FlvTag* tag) {
    if (tag)
        _tags.emplace_back(tag);
}

uint32_t CBK_FlvFileBody::Write(CBK_FlvStream* stream) const {
    if (!stream)
        return 0;
    stream->AddDWord(0);
    uint32_t n = 4;
    for (const auto& tag : _tags) {
        const uint32_t size = tag->Write(stream);
        if (size == 0)
            continue;
        stream->AddDWord(size);
        n += size + 4;
    }
    return n;
}

bool CBK_FlvFileBody::Fits() const {
    for (const auto& tag : _tags)
        if (!tag->BodyFits())
            return false;
    return true;
}

bool CBK_FlvFile::Create(CBK_FlvHeader* header, CBK_FlvFileBody* body) {
    SetFlvHeader(header ? header : new CBK_FlvHeader);
    SetFlvFileBody(body ? body : new CBK_FlvFileBody);
    return true;
}

void CBK_FlvFile::SetFlvHeader(CBK_FlvHeader* header) {
    if (header != _header.get())
        _header.reset(header);
}

void CBK_FlvFile::SetFlvFileBody(CBK_FlvFileBody* body) {
    if (body != _body.get())
        _body.reset(body);
}

void CBK_FlvFile::AddFlvTag(CBK_FlvTag* tag) {
    if (!_body)
        _body = std::make_unique<CBK_FlvFileBody>();
    _body->AddFlvTag(tag);
}

bool CBK_FlvFile::Write(const CBK_Path& path) const {
    if (!_header || !_body || !_body->Fits())
        return false;
    CBK_FlvStream stream;
    _header->Write(&stream);
    _body->Write(&stream);
    const CBK_ByteBuffer& bytes = stream.GetStream(true);
    return BK_WriteFileAtomically(
        BK_WideToFileSystemName(path.GetFullPathString()),
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void CBK_FlvWriter::Create(bool video, bool audio, uint8_t version) {
    _header.HasVideo(video);
    _header.HasAudio(audio);
    _header.SetVersion(version);
}

bool CBK_FlvWriter::Open(const CBK_Path& path, bool replace) {
    Close();
    const std::string name = BK_WideToFileSystemName(path.GetFullPathString());
    struct stat info;
    if (name.empty() || (::stat(name.c_str(), &info) == 0 && (S_ISDIR(info.st_mode) || !replace)))
        return false;
    if (!_file.Open(name))
        return false;
    _length = 0;
    _refused = false;
    CBK_FlvStream stream;
    _header.Write(&stream);
    stream.AddDWord(0); // the size of the tag before the first
    WriteBytes(stream.GetStream(true));
    return true;
}

void CBK_FlvWriter::WriteBytes(const CBK_ByteBuffer& bytes) {
    if (_file.Write(bytes.data(), bytes.size()))
        _length += bytes.size();
}

void CBK_FlvWriter::Add(CBK_FlvTag* tag, bool keep) {
    if (!tag)
        return;
    _refused = _refused || (_file.IsOpen() && !tag->BodyFits());
    if (_file.IsOpen() && !_refused) {
        CBK_FlvStream stream;
        const uint32_t size = tag->Write(&stream);
        if (size > 0) {
            stream.AddDWord(size);
            WriteBytes(stream.GetStream(true));
        }
    }
    if (!keep)
        delete tag;
}

uint32_t CBK_FlvWriter::Close() {
    if (!_file.IsOpen())
        return 0;
    if (_refused) {
        _file.Discard();
        return 0;
    }
    _file.SetFileTypes(tbx::FourCC("FLV2"), tbx::FourCC("MFL2"));
    if (!_file.Commit())
        return 0;
    return _length > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(_length);
}
