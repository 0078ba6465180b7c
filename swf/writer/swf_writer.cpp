#include "swf/writer/swf_writer.h"

#include <algorithm>

#include "swf/header/swf_header.h"
#include "swf/stream/swf_stream.h"
#include "swf/writer/refused_script.h"

namespace ravuz {

void CBK_SwfWriter::Create(int32_t width, int32_t height, float rate, uint8_t version) {
    Create(0, 0, width, height, rate, version);
}

void CBK_SwfWriter::Create(int32_t x0, int32_t y0, int32_t x1, int32_t y1, float rate,
                           uint8_t version) {
    _xmin = x0;
    _ymin = y0;
    _xmax = x1;
    _ymax = y1;
    _frameRate = rate;
    _version = version;
}

void CBK_SwfWriter::Add(CBK_SwfTag* tag) {
    if (!tag)
        return;
    _tags.emplace_back(tag);
    if (tag->GetTagId() == kSwfTagShowFrame && _frameCount < UINT32_MAX)
        ++_frameCount;
}

CBK_SwfTag* CBK_SwfWriter::Get(uint32_t index) const {
    return index < _tags.size() ? _tags[index].get() : nullptr;
}

void CBK_SwfWriter::Destroy() {
    _tags.clear();
    _frameCount = 0;
}

uint32_t CBK_SwfWriter::Write(std::vector<uint8_t>& out, CBK_SwfHeader* header) {
    CBK_SwfStream body(_version);
    uint32_t frames = 0;
    for (const auto& tag : _tags) {
        if (SwfScriptRefused(*tag, _version, tag->Write(&body)))
            return 0;
        if (tag->GetTagId() == kSwfTagShowFrame && frames < UINT32_MAX)
            ++frames;
    }
    const CBK_ByteBuffer& bodyBytes = body.GetStream();

    CBK_SwfHeader made;
    if (!header) {
        made.Create(_xmin, _ymin, _xmax, _ymax, _frameRate, _version);
        header = &made;
    }
    CBK_SwfStream head(_version);
    header->Write(&head);
    const uint64_t total = uint64_t(head.GetStream().size()) + bodyBytes.size();
    if (!CBK_SwfHeader::FitsFileSize(total + 1))
        return 0;
    header->SetFileSize(static_cast<uint32_t>(total + 1));
    header->SetFrameCount(frames);
    head.Destroy();
    header->Write(&head);
    const CBK_ByteBuffer& headBytes = head.GetStream();

    out.reserve(out.size() + headBytes.size() + bodyBytes.size() + 1);
    out.insert(out.end(), headBytes.begin(), headBytes.end());
    out.insert(out.end(), bodyBytes.begin(), bodyBytes.end());
    out.push_back(0);
    return static_cast<uint32_t>(total);
}

uint32_t CBK_SwfWriter::Write(std::ostream& out, CBK_SwfHeader* header) {
    std::vector<uint8_t> bytes;
    const uint32_t length = Write(bytes, header);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.flush();
    return out ? length : 0;
}

} // namespace ravuz
