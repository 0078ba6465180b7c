#include "swf/writer/swf_file_writer.h"

#include <algorithm>
#include <cmath>
#include <sys/stat.h>

#include "platform/memory.h"
#include "swf/header/swf_header.h"
#include "swf/tags/control_tags.h"
#include "swf/tags/place_object.h"
#include "swf/tags/remove_object.h"
#include "swf/writer/refused_script.h"

namespace ravuz {

namespace {

// Tags gather in the scratch stream and reach the file in writes of about this size: small
// writes cost far more than the copying they save. A large tag goes out at once.
constexpr std::size_t kStageBytes = std::size_t(1) << 20;
constexpr std::size_t kLargeTag = std::size_t(1) << 16;

int32_t Sum(int32_t a, int32_t b) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t(a) + b, INT32_MIN, INT32_MAX));
}

int32_t Difference(int32_t a, int32_t b) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t(a) - b, INT32_MIN, INT32_MAX));
}

// Rounds a non-negative time or frame value; NaN and negatives give 0.
uint32_t Rounded(double value) {
    value += 0.5;
    if (!(value > 0.0))
        return 0;
    return value >= 4294967295.0 ? UINT32_MAX : static_cast<uint32_t>(value);
}

bool IsSoundTag(uint16_t code) {
    switch (code) {
    case kSwfTagDefineSound:
    case kSwfTagStartSound:
    case kSwfTagDefineButtonSound:
    case kSwfTagSoundStreamHead:
    case kSwfTagSoundStreamBlock:
        return true;
    default:
        return false;
    }
}

void PutU16(uint8_t out[2], uint32_t value) {
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
}

void PutU32(uint8_t out[4], uint32_t value) {
    PutU16(out, value);
    PutU16(out + 2, value >> 16);
}

} // namespace

CBK_SwfFileWriter::CBK_SwfFileWriter(bool quicktimeSize) : _quicktimeSize(quicktimeSize) {}

CBK_SwfFileWriter::~CBK_SwfFileWriter() {
    // An unclosed movie never reaches its name: the atomic file drops it.
    _frameEvent.RemoveAllHandlers();
}

void CBK_SwfFileWriter::Create(int32_t width, int32_t height, float rate, uint8_t version) {
    Create(0, 0, width, height, rate, version);
}

void CBK_SwfFileWriter::Create(int32_t x0, int32_t y0, int32_t x1, int32_t y1, float rate,
                               uint8_t version) {
    _xmin = x0;
    _ymin = y0;
    _xmax = x1;
    _ymax = y1;
    _frameRate = rate;
    _version = version;
    _headerEnd = 0;
}

void CBK_SwfFileWriter::Create(const CBK_SwfHeader* header) {
    if (!header)
        return;
    const CBK_SwfRect& rect = header->GetRect();
    Create(rect.xmin, rect.ymin, rect.xmax, rect.ymax, header->GetFrameRate(),
           header->GetVersion());
}

void CBK_SwfFileWriter::GetSize(int32_t& width, int32_t& height) const {
    width = GetWidth();
    height = GetHeight();
}

int32_t CBK_SwfFileWriter::GetWidth() const {
    return Difference(_xmax, _xmin);
}

int32_t CBK_SwfFileWriter::GetHeight() const {
    return Difference(_ymax, _ymin);
}

bool CBK_SwfFileWriter::Open(const CBK_Path& path, bool replace) {
    if (_file.IsOpen())
        Close();
    const std::string name = BK_WideToFileSystemName(path.GetFullPathString());
    struct stat info;
    if (name.empty() || (::stat(name.c_str(), &info) == 0 && (S_ISDIR(info.st_mode) || !replace)))
        return false;
    if (!_file.Open(name))
        return false;

    int32_t width = GetWidth(), height = GetHeight();
    if (_quicktimeSize) {
        // Only a dimension that is too small grows.
        width = std::max(width, kQuicktimeMinWidth);
        height = std::max(height, kQuicktimeMinHeight);
    }
    CBK_SwfHeader header;
    header.Create(_xmin, _ymin, Sum(_xmin, width), Sum(_ymin, height), _frameRate, _version);
    header.SetFileSize(32);
    header.SetFrameCount(1);
    _scratch = std::make_unique<CBK_SwfStream>(_version);
    _scratch->Reserve(kStageBytes + kLargeTag);
    _writeFailed = false;
    header.Write(_scratch.get());
    _headerEnd = static_cast<uint32_t>(_scratch->GetStream().size());

    _frameCount = 0;
    _frameLabels.clear();
    _depthMap.clear();
    return true;
}

bool CBK_SwfFileWriter::FlushStage() {
    if (!_scratch)
        return !_writeFailed;
    const CBK_ByteBuffer& staged = _scratch->GetStream();
    if (!staged.empty() && !_file.Write(staged.data(), staged.size()))
        _writeFailed = true;
    _scratch->Destroy();
    return !_writeFailed;
}

bool CBK_SwfFileWriter::WriteBytes(const uint8_t* data, std::size_t size) {
    return FlushStage() && (size == 0 || _file.Write(data, size));
}

uint32_t CBK_SwfFileWriter::Drop(CBK_SwfTag* tag, bool keep) {
    if (!keep)
        delete tag;
    return 0;
}

uint32_t CBK_SwfFileWriter::Add(CBK_SwfTag* tag, bool keep) {
    if (!tag)
        return 0;
    if (!_file.IsOpen())
        return Drop(tag, keep);
    const uint16_t code = tag->GetTagId();
    if (code == kSwfTagFrameLabel) {
        const auto* label = dynamic_cast<const CBK_SwfFrameLabel*>(tag);
        if (label && !_frameLabels.insert(label->GetLabel()).second)
            return Drop(tag, keep);
    }
    if (_ignoreAudio && IsSoundTag(code))
        return Drop(tag, keep);
    if (code == kSwfTagShowFrame) {
        _frameEvent.Fire(static_cast<int32_t>(std::min<uint32_t>(_frameCount, INT32_MAX)));
        if (_frameCount < UINT32_MAX)
            ++_frameCount;
    }

    _scratch->IgnoreAudio(_ignoreAudio);
    const std::size_t start = _scratch->GetStream().size();
    tag->Write(_scratch.get());
    const CBK_ByteBuffer& bytes = _scratch->GetStream();
    const std::size_t size = bytes.size() - start;
    if (SwfScriptRefused(*tag, _version, size)) {
        _writeFailed = true;
        return Drop(tag, keep);
    }
    if (_trackHighDepths || _trackHighClipDepths)
        RecordDepths(tag, code, bytes.data() + start, size, _file.Size() + start);
    Drop(tag, keep);
    if (_writeFailed || ((bytes.size() >= kStageBytes || size >= kLargeTag) && !FlushStage()))
        return 0;
    return static_cast<uint32_t>(std::min<std::size_t>(size, UINT32_MAX));
}

void CBK_SwfFileWriter::RecordDepths(CBK_SwfTag* tag, uint16_t code, const uint8_t* bytes,
                                     std::size_t size, uint64_t position) {
    if (position > UINT32_MAX || size < 2)
        return;
    const auto at = static_cast<uint32_t>(position);
    const uint32_t header = (bytes[0] & kSwfLongTagLength) == kSwfLongTagLength ? 6 : 2;
    if (code == kSwfTagPlaceObject2) {
        auto* place = dynamic_cast<CBK_SwfPlaceObject2*>(tag);
        if (!place)
            return;
        if (_trackHighDepths)
            AddHighDepthToMap(place->GetDepth(), at + header + 1);
        if (_trackHighClipDepths && place->HasClipDepth())
            AddHighDepthToMap(place->GetClipDepth(), at + place->GetClipDepthPos(_version));
    } else if (code == kSwfTagRemoveObject2 && _trackHighDepths) {
        if (const auto* remove = dynamic_cast<const CBK_SwfRemoveObject2*>(tag))
            AddHighDepthToMap(remove->GetDepth(), at + 2);
    }
}

uint32_t CBK_SwfFileWriter::Write(CBK_SwfStream& stream) {
    const CBK_ByteBuffer& bytes = stream.GetStream();
    if (!_file.IsOpen() || !WriteBytes(bytes.data(), bytes.size()))
        return 0;
    return static_cast<uint32_t>(bytes.size());
}

uint32_t CBK_SwfFileWriter::Add(tbx::Handle& handle) {
    if (!handle)
        return 0;
    uint32_t written = 0;
    const std::size_t size = tbx::GetHandleSize(handle);
    if (*handle && size > 0 && _file.IsOpen()) {
        tbx::HLock(handle);
        if (WriteBytes(reinterpret_cast<const uint8_t*>(*handle), size))
            written = static_cast<uint32_t>(std::min<std::size_t>(size, UINT32_MAX));
        tbx::HUnlock(handle);
    }
    tbx::DisposeHandle(handle);
    handle = nullptr;
    return written;
}

uint32_t CBK_SwfFileWriter::Close() {
    _frameLabels.clear();
    if (!_file.IsOpen())
        return 0;
    if (!FlushStage()) {
        _file.Discard();
        return 0;
    }
    const uint64_t length = _file.Size();
    if (!CBK_SwfHeader::FitsFileSize(length) || _headerEnd < 10) {
        _file.Discard();
        return 0;
    }
    uint8_t field[4];
    PutU32(field, static_cast<uint32_t>(length));
    uint8_t frames[2];
    PutU16(frames, std::min(_frameCount, CBK_SwfHeader::kMaxFrameCount));
    const bool patched = _file.WriteAt(4, field, 4) && _file.WriteAt(_headerEnd - 2, frames, 2);
    if (!patched) {
        _file.Discard();
        return 0;
    }
    _file.SetFileTypes(tbx::FourCC("SWF2"), tbx::FourCC("SWFL"));
    if (!_file.Commit())
        return 0;
    return static_cast<uint32_t>(length);
}

void CBK_SwfFileWriter::AddHighDepthToMap(uint16_t depth, uint32_t offset) {
    _depthMap.emplace_back(depth, offset);
}

void CBK_SwfFileWriter::ResolveHighDepths(int32_t base) {
    if (!_file.IsOpen() || !FlushStage())
        return;
    std::vector<uint16_t> depths;
    depths.reserve(_depthMap.size());
    for (const HIGH_DEPTH_MAP& entry : _depthMap)
        depths.push_back(entry.depth);
    std::sort(depths.begin(), depths.end());
    depths.erase(std::unique(depths.begin(), depths.end()), depths.end());
    for (const HIGH_DEPTH_MAP& entry : _depthMap) {
        const auto rank =
            std::lower_bound(depths.begin(), depths.end(), entry.depth) - depths.begin() + 1;
        uint8_t value[2];
        PutU16(value, static_cast<uint32_t>(std::clamp<int64_t>(int64_t(base) + rank, 0, 65535)));
        // Offsets that were never written (given from outside) are left alone.
        _file.WriteAt(entry.offset, value, 2);
    }
}

uint32_t CBK_SwfFileWriter::ConvertMsecToFrameNumber(uint32_t ms) const {
    return Rounded(double(ms) / 1000.0 * double(_frameRate));
}

uint32_t CBK_SwfFileWriter::ConvertFrameNumberToMsec(uint32_t frame) const {
    if (!(_frameRate > 0.0f))
        return 0;
    return Rounded(double(frame) / double(_frameRate) * 1000.0);
}

bool CBK_SwfFileWriter::NeedsAdjustmentForQuicktimeConversion(int32_t width, int32_t height) {
    return width < kQuicktimeMinWidth || height < kQuicktimeMinHeight;
}

} // namespace ravuz
