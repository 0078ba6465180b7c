// The one way user bytes reach an FFmpeg video decoder, for pictures and movies alike. Some of
// FFmpeg's decoders read more than pixels: metadata, profiles and text, at a cost that the
// bytes' size does not bound. Each packet is handed over as it is, or as a copy in which what
// the decoder would read beyond the pixels is made invisible to it without changing them, or
// not at all; with the work (in pixels' worth) that decoding it may still take, so that the
// caller can refuse what goes over its budget.
//
// What FFmpeg 5.1's video decoders read beyond the pixels, and why the rest pass untouched:
// - mjpeg, jpegls, smvjpeg: EXIF directories (APP1 "Exif"), followed through nested directories
//   and printed into metadata: hidden by renaming. ICC chunks (APP2) are copied once each,
//   within the packet's size. Charged by frames, scans and next-field passes.
// - amv: its packets are scan data behind a header it makes itself, searched for markers as
//   what follows a scan: EXIF hidden, every frame and scan marker charged.
// - mjpegb: tables, frame and scan by offsets, no application segments. Charged by fields.
// - png: tEXt and zTXt chunks into metadata (zTXt inflated without bound, each new keyword a
//   search of all before it), iCCP inflated without bound: renamed to private chunks it passes
//   over, their checksums made anew. An image stream that inflates to far more than its rows
//   (the decoder inflates it all, past the last row) is refused.
// - tiff: text, GeoTIFF and model tags printed into metadata (GeoTIFF keys may each print the
//   same long array): their type is cleared, so the decoder passes over them. JPEG strips and
//   tiles are handed to the mjpeg decoder one by one: EXIF hidden in each, each charged with
//   its bytes, its frames and scans (at the nested decoder's own limit) and its set-up, and
//   strips or tiles that share bytes refused. A chain of sub-directories, each read after
//   resetting a 64K table, is refused past a few.
// - webp: an EXIF chunk read as above: renamed. ICCP copied once, within the packet.
// - exr: unknown attributes of type "string" into metadata, each a search of those before it:
//   charged as the square of the most there may be. Every block is decompressed in full, every
//   channel of it, drawn or not, however many blocks name the same bytes: charged, and refused
//   past 128 bytes a pixel.
// - tdsc: an inflated packet (no larger than the picture) of JPEG tiles for the mjpeg decoder:
//   refused where a tile may carry EXIF; every frame and scan marker and every tile charged.
//   The gate inflates it into no more room than it gives.
// - flic: a six-byte chunk clears the whole frame: charged, and refused past a few clears.
// - g2m: a tile chunk of six bytes may fill a tile as large as the frame, a cursor chunk paints
//   up to 256 x 256, a display chunk zeroes room for tiles of any size it states: charged, and
//   refused past a few frames' worth.
// - rasc: an eight-byte chunk clears the picture and its reference, one that states a size
//   sets both up at it, a move chunk may repaint a region as large as the frame for each of
//   up to a pixel's count of moves, and a cursor is matched against the palette on every
//   frame: charged, refused past a few frames' worth or for a cursor larger than 256 x 256.
// - arbc: a tile's record of four bytes may fill a million pixels, for each of as many segments
//   as the packet holds: charged, and refused past eight frames' worth.
// - h264, hevc, mpeg1/2 (and imm5, which hands h264 or hevc units on): SEI and user data as
//   side data and a few fixed keys, each within its unit. dpx: two fixed keys. sp5x: its
//   packets are escaped into scan data, where no marker can appear. cri: keys within the packet
//   and no nested decoding. fits and apng (whose chunks come partly from the stream's header):
//   no container opened here reaches them.
// - Every other decoder reads headers of a bounded size and codes within the picture, whose
//   size the caller's limit on pixels bounds: its packets pass as they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <unordered_set>
#include <vector>

extern "C" {
#include <libavcodec/codec_id.h>
}

namespace tbx::gate {

// A packet and what the decoder is told of its picture.
struct Packet {
    const uint8_t* data = nullptr;
    std::size_t size = 0;
    int width = 0; // as the container describes the picture, 0 when it does not
    int height = 0;
    uint64_t maxPixels = 0; // the most the decoder is allowed for a picture
};

struct Gated {
    enum class Verdict { kAsIs, kCopy, kRefuse };
    Verdict verdict = Verdict::kAsIs;
    std::vector<uint8_t> copy; // kCopy: what the decoder gets in its place
    uint64_t work = 0;         // the decoding's work in pixels' worth, the picture's own included

    const uint8_t* Bytes(const Packet& packet) const {
        return verdict == Verdict::kCopy ? copy.data() : packet.data;
    }
};

// True for the codecs whose decoders read what the gate has to look at; their packets must
// not reach a decoder (a probing one included) but through Gate.
bool Watched(AVCodecID codec);

Gated Gate(AVCodecID codec, const Packet& packet);

// The packets refused so far, known by their bytes and what the decoder is told of them, so
// that the same bytes read again (a movie's samples may all name one picture) are refused at
// the cost of a look at them. Keeps the most recent few thousand.
class Refusals {
public:
    // True when bytes that `digest` names were refused.
    bool Holds(uint64_t digest) const { return _known.count(digest) != 0; }
    bool Empty() const { return _known.empty(); }
    void Add(uint64_t digest);
    static uint64_t Digest(AVCodecID codec, const Packet& packet);

private:
    std::unordered_set<uint64_t> _known;
    std::deque<uint64_t> _order;
};

// Gate, with what was refused before: bytes refused once are refused again at once. A refusal
// comes with the work that reaching it took.
Gated Gate(AVCodecID codec, const Packet& packet, Refusals& refusals);

} // namespace tbx::gate
