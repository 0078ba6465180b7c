#include "media/movie/movie_header.h"

#include <algorithm>
#include <memory>

#include "core/codec/zlib_buffer.h"
#include "media/movie/atom_writer.h"

namespace {

constexpr uint32_t kMovieTimeScale = 600;

uint64_t ToMovieTime(uint64_t duration, uint32_t scale) {
    if (scale == 0)
        return 0;
    return (duration * kMovieTimeScale + scale - 1) / scale;
}

void WriteSampleTable(CBK_AtomWriter& w, const BK_MOVIE_TRACK& track, uint64_t delta) {
    w.Begin("stbl");
    w.Begin("stsd");
    w.U32(0);
    w.U32(1);
    w.Bytes(track.sampleDescription.data(), track.sampleDescription.size());
    w.End();

    w.Begin("stts");
    w.U32(0);
    w.U32(track.sampleCount ? 1 : 0);
    if (track.sampleCount) {
        w.U32(uint32_t(track.sampleCount));
        w.U32(track.sampleDelta);
    }
    w.End();

    // Runs of chunks with the same number of samples.
    w.Begin("stsc");
    w.U32(0);
    std::vector<std::pair<uint32_t, uint32_t>> runs;
    for (std::size_t i = 0; i < track.chunkSamples.size(); ++i)
        if (runs.empty() || runs.back().second != track.chunkSamples[i])
            runs.emplace_back(uint32_t(i + 1), track.chunkSamples[i]);
    w.U32(uint32_t(runs.size()));
    for (const auto& [first, samples] : runs) {
        w.U32(first);
        w.U32(samples);
        w.U32(1);
    }
    w.End();

    w.Begin("stsz");
    w.U32(0);
    w.U32(track.sampleSizes.empty() ? track.sampleSize : 0);
    w.U32(uint32_t(track.sampleCount));
    for (uint32_t size : track.sampleSizes)
        w.U32(size);
    w.End();

    const bool wide =
        !track.chunkOffsets.empty() && track.chunkOffsets.back() + delta > 0xFFFFFFFFu;
    w.Begin(wide ? "co64" : "stco");
    w.U32(0);
    w.U32(uint32_t(track.chunkOffsets.size()));
    for (uint64_t offset : track.chunkOffsets) {
        if (wide)
            w.U64(offset + delta);
        else
            w.U32(uint32_t(offset + delta));
    }
    w.End();
    w.End();
}

void WriteTrack(CBK_AtomWriter& w, const BK_MOVIE_TRACK& track, uint32_t id) {
    const uint64_t movieDuration = ToMovieTime(track.MediaDuration(), track.timeScale);
    w.Begin("trak");
    w.Begin("tkhd");
    w.U32(0xF); // enabled, in movie, preview and poster
    w.U32(0);
    w.U32(0);
    w.U32(id);
    w.U32(0);
    w.U32(uint32_t(std::min<uint64_t>(movieDuration, 0xFFFFFFFFu)));
    w.Zeros(8);
    w.U16(0);
    w.U16(0);
    w.U16(track.volume);
    w.U16(0);
    w.Matrix();
    w.U32(track.width << 16);
    w.U32(track.height << 16);
    w.End();

    w.Begin("edts");
    w.Begin("elst");
    w.U32(0);
    w.U32(1);
    w.U32(uint32_t(std::min<uint64_t>(movieDuration, 0xFFFFFFFFu)));
    w.U32(0);
    w.U32(0x10000);
    w.End();
    w.End();

    w.Begin("mdia");
    w.Begin("mdhd");
    w.U32(0);
    w.U32(0);
    w.U32(0);
    w.U32(track.timeScale);
    w.U32(uint32_t(std::min<uint64_t>(track.MediaDuration(), 0xFFFFFFFFu)));
    w.U16(0);
    w.U16(0);
    w.End();
    w.Begin("hdlr");
    w.U32(0);
    w.Type("mhlr");
    w.Type(track.handler);
    w.Type("appl");
    w.U32(0);
    w.U32(0);
    w.Pascal(track.handler == "vide"   ? "Video Media Handler"
             : track.handler == "soun" ? "Sound Media Handler"
                                       : "Flash Media Handler");
    w.End();
    w.Begin("minf");
    if (track.handler == "vide") {
        w.Begin("vmhd");
        w.U32(1);
        w.U16(track.graphicsMode);
        for (uint16_t c : track.opColor)
            w.U16(c);
        w.End();
    } else if (track.handler == "soun") {
        w.Begin("smhd");
        w.U32(0);
        w.U16(0);
        w.U16(0);
        w.End();
    } else {
        w.Begin("gmhd");
        w.Begin("gmin");
        w.U32(0);
        w.U16(track.graphicsMode);
        for (uint16_t c : track.opColor)
            w.U16(c);
        w.U16(0);
        w.U16(0);
        w.End();
        w.End();
    }
    w.Begin("hdlr");
    w.U32(0);
    w.Type("dhlr");
    w.Type("alis");
    w.Type("appl");
    w.U32(0);
    w.U32(0);
    w.Pascal("Alias Data Handler");
    w.End();
    w.Begin("dinf");
    w.Begin("dref");
    w.U32(0);
    w.U32(1);
    w.Begin("alis");
    w.U32(1); // the data is in this file
    w.End();
    w.End();
    w.End();
    WriteSampleTable(w, track, 0);
    w.End();
    w.End();
    w.End();
}

} // namespace

std::vector<uint8_t> BK_BuildMovieHeader(const std::vector<BK_MOVIE_TRACK>& tracks,
                                         const BK_MOVIE_USER_DATA& userData, uint64_t delta) {
    CBK_AtomWriter w;
    uint64_t duration = 0;
    for (const BK_MOVIE_TRACK& track : tracks)
        duration = std::max(duration, ToMovieTime(track.MediaDuration(), track.timeScale));
    w.Begin("moov");
    w.Begin("mvhd");
    w.U32(0);
    w.U32(0);
    w.U32(0);
    w.U32(kMovieTimeScale);
    w.U32(uint32_t(std::min<uint64_t>(duration, 0xFFFFFFFFu)));
    w.U32(0x10000);
    w.U16(0x100);
    w.Zeros(10);
    w.Matrix();
    w.Zeros(24); // preview, poster, selection and current times
    w.U32(uint32_t(tracks.size() + 1));
    w.End();
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        BK_MOVIE_TRACK moved = tracks[i];
        for (uint64_t& offset : moved.chunkOffsets)
            offset += delta;
        WriteTrack(w, moved, uint32_t(i + 1));
    }
    if (userData.noController || userData.loop || userData.autoplay) {
        w.Begin("udta");
        if (userData.noController) {
            w.Begin("ctyp");
            w.Type("none");
            w.End();
        }
        if (userData.loop) {
            w.Begin("LOOP");
            w.U32(0);
            w.End();
        }
        if (userData.autoplay) {
            w.Begin("play");
            w.U8(1);
            w.End();
        }
        w.U32(0); // the list ends with a zero word
        w.End();
    }
    w.End();
    return w.Data();
}

std::vector<uint8_t> BK_CompressMovieHeader(const std::vector<uint8_t>& movieHeader) {
    std::size_t length = 0;
    std::unique_ptr<unsigned char[]> packed(
        BK_ZlibCompress(movieHeader.data(), movieHeader.size(), length));
    if (!packed)
        return {};
    CBK_AtomWriter w;
    w.Begin("moov");
    w.Begin("cmov");
    w.Begin("dcom");
    w.Type("zlib");
    w.End();
    w.Begin("cmvd");
    w.U32(uint32_t(movieHeader.size()));
    w.Bytes(packed.get(), length);
    w.End();
    w.End();
    w.End();
    return w.Data();
}
