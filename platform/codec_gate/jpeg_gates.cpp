// JPEG data in its forms: by markers, Motion-JPEG B, AMV's scan data, and TDSC's deflated tiles.
#include <climits>

#include "platform/codec_gate/gate_rows.h"
#include "platform/codec_gate/inflate.h"
#include "platform/codec_gate/jpeg_markers.h"
#include "platform/codec_gate/jpeg_work.h"
#include "platform/jpeg/jpeg_decode.h"

namespace tbx::gate {

bool HideAndChargeJpeg(const Packet& packet, std::size_t from, std::size_t size, uint64_t maxPixels,
                       int pictureHeight, Rewrite& out, uint64_t& work, uint32_t* tallest) {
    const ExifHidden hidden = HideExifFromFfmpeg(packet.data + from, size);
    if (!hidden.told)
        return false;
    // The charge walks the copy, which is what the decoder reads.
    const uint8_t* bytes = hidden.copy.empty() ? packet.data + from : hidden.copy.data();
    const JpegWork jpeg =
        MarkedJpegWork(bytes, size, maxPixels, MarkerReading::BySearch, pictureHeight);
    if (jpeg.scans > uint32_t(jpeg::kMaxScans))
        return false;
    work += jpeg.work;
    if (tallest && jpeg.tallest > *tallest)
        *tallest = jpeg.tallest;
    if (!hidden.copy.empty())
        out.Put(from, hidden.copy);
    return true;
}

Gated MarkedJpeg(const Packet& packet) {
    Rewrite out(packet);
    uint64_t work = packet.size;
    if (!HideAndChargeJpeg(packet, 0, packet.size, packet.maxPixels, packet.height, out, work))
        return Refused();
    return out.Done(work);
}

Gated MotionJpegB(const Packet& packet) {
    // Its fields are found by offsets: no application segment is read.
    const JpegWork jpeg =
        MotionJpegBWork(packet.data, packet.size, packet.maxPixels, packet.height);
    if (jpeg.scans > uint32_t(jpeg::kMaxScans))
        return Refused();
    Gated gated;
    gated.work = packet.size + jpeg.work;
    return gated;
}

Gated AmvFrame(const Packet& packet) {
    // The decoder puts its own tables, frame and scan header before the packet, which it then
    // reads as a scan and searches on from: a frame and a scan over it, and whatever follows.
    Rewrite out(packet);
    uint64_t work = packet.size + 2 * Pixels(packet);
    if (!HideAndChargeJpeg(packet, 0, packet.size, packet.maxPixels, packet.height, out, work))
        return Refused();
    return out.Done(work);
}

Gated TdscFrame(const Packet& packet) {
    // The decoder inflates the packet into room for four bytes a pixel, then hands each tile
    // tagged as JPEG to the mjpeg decoder, whose limit on a picture is the library's own. The
    // gate inflates it into no more room than it gives: a packet that does not inflate costs
    // its bytes, whatever the picture's size.
    const uint64_t room = 4 * Pixels(packet);
    Gated gated;
    gated.work = packet.size + Pixels(packet);
    if (room == 0 || room > 4 * packet.maxPixels)
        return gated; // refused by the decoder itself
    std::vector<uint8_t> inflated;
    if (!InflateWhole(packet.data, packet.size, room, inflated))
        return gated;
    const std::size_t size = inflated.size();
    const ExifHidden hidden = HideExifFromFfmpeg(inflated.data(), size);
    if (!hidden.told || !hidden.copy.empty())
        return Refused(packet.size + size); // hiding it would take deflating the packet again
    const JpegWork jpeg = MarkedJpegWork(inflated.data(), size, INT_MAX, MarkerReading::BySearch);
    uint64_t tiles = 0;
    for (std::size_t i = 0; i + 4 <= size; ++i)
        tiles += inflated[i] == 'T' && inflated[i + 1] == 'D' && inflated[i + 2] == 'S' &&
                 inflated[i + 3] == 'B';
    gated.work += size + jpeg.work + tiles * kNestedDecodingWork;
    return gated;
}

} // namespace tbx::gate
