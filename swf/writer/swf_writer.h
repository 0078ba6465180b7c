// CBK_SwfWriter: gathers tags in memory and writes header and tags in one go.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <vector>

#include "swf/base/swf_tag.h"

namespace ravuz {

class CBK_SwfHeader;

class CBK_SwfWriter {
public:
    CBK_SwfWriter() = default;
    ~CBK_SwfWriter() { Destroy(); }
    CBK_SwfWriter(const CBK_SwfWriter&) = delete;
    CBK_SwfWriter& operator=(const CBK_SwfWriter&) = delete;

    // Frame rectangle (0, 0, width, height) in twips.
    void Create(int32_t width, int32_t height, float rate, uint8_t version);
    void Create(int32_t x0, int32_t y0, int32_t x1, int32_t y1, float rate, uint8_t version);

    // Takes the tag; null is ignored.
    void Add(CBK_SwfTag* tag);
    // Null past the end.
    CBK_SwfTag* Get(uint32_t index) const;
    std::size_t GetCount() const { return _tags.size(); }
    // ShowFrame tags added, without the header's limit.
    uint32_t GetFrameCount() const { return _frameCount; }
    uint8_t GetVersion() const { return _version; }

    // Appends the header, every tag at the writer's version and one zero byte (which the
    // header's length counts). Without a header one is made from the writer's frame; a given
    // header gets the length and the frame count. Returns the length of header and tags; 0,
    // with nothing appended, for a movie too long for the header's length field or with a
    // script that cannot be encoded.
    uint32_t Write(std::vector<uint8_t>& out, CBK_SwfHeader* header);
    // The same bytes to a stream; 0 when the stream fails.
    uint32_t Write(std::ostream& out, CBK_SwfHeader* header);

    // Frees every tag.
    void Destroy();

private:
    std::vector<std::unique_ptr<CBK_SwfTag>> _tags;
    int32_t _xmin = 0, _xmax = 20, _ymin = 0, _ymax = 20;
    float _frameRate = 0.0f;
    uint32_t _frameCount = 0;
    uint8_t _version = 4;
};

} // namespace ravuz
