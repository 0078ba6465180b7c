#include "media/movie/quicktime_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <string>
#include <zlib.h>

#include "media/image/image.h"
#include "media/movie/atom_writer.h"
#include "media/movie/quicktime_movie.h"
#include "media/movie/temporary_file.h"
#include "platform/fonts/text_drawing.h"
#include "platform/quickdraw/copy_bits.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/offscreen.h"
#include "platform/quickdraw/text_state.h"
#include "swf/header/swf_header.h"
#include "swf/stream/swf_reader.h"

namespace {

constexpr uint32_t kMaxSide = 16384;
// Sound rates that a 16.16 sample description cannot hold are resampled to this.
constexpr int32_t kHighRateFallback = 48000;

std::string FileName(const CBK_Path& path) {
    return BK_WideToFileSystemName(path.GetFullPathString());
}

// One row of R, G, B, A pixels (or R, G, B: opaque) as A, R, G, B.
template <int kBytes>
void RowToArgb(const uint8_t* from, uint8_t* to, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x, from += kBytes, to += 4) {
        to[0] = kBytes == 4 ? from[3] : 255;
        to[1] = from[0];
        to[2] = from[1];
        to[3] = from[2];
    }
}

void PutBig32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = uint8_t(value >> (24 - 8 * i));
}

std::vector<uint8_t> RawVideoDescription(uint32_t width, uint32_t height) {
    CBK_AtomWriter w;
    w.Begin("raw ");
    w.Zeros(6);
    w.U16(1); // data reference
    w.U16(0);
    w.U16(0);
    w.Type("appl");
    w.U32(0);
    w.U32(0x400); // lossless
    w.U16(uint16_t(width));
    w.U16(uint16_t(height));
    w.U32(72 << 16);
    w.U32(72 << 16);
    w.U32(0);
    w.U16(1);
    w.Pascal("None", 32);
    w.U16(32);
    w.U16(0xFFFF);
    w.End();
    return w.Data();
}

std::vector<uint8_t> TwosDescription(int32_t channels, int32_t rate) {
    CBK_AtomWriter w;
    w.Begin("twos");
    w.Zeros(6);
    w.U16(1);
    w.U16(0);
    w.U16(0);
    w.U32(0);
    w.U16(uint16_t(channels));
    w.U16(16);
    w.U16(0);
    w.U16(0);
    w.U32(uint32_t(rate) << 16);
    w.End();
    return w.Data();
}

// The SWF file's bytes with its header's rate (8.8 fixed) and frame count; false when the
// file cannot be read or is no SWF movie.
bool ReadSwf(const CBK_Path& path, std::vector<uint8_t>& bytes, uint16_t& rate, uint16_t& frames) {
    std::FILE* file = path.OpenAsStdFile(L"rb");
    if (!file)
        return false;
    uint8_t block[65536];
    std::size_t n;
    while ((n = std::fread(block, 1, sizeof block, file)) > 0 && bytes.size() < 0xFFFFFFFFu)
        bytes.insert(bytes.end(), block, block + n);
    const bool error = std::ferror(file);
    std::fclose(file);
    if (error || bytes.size() < 8 || bytes.size() > 0xFFFFFFFFu)
        return false;
    std::vector<uint8_t> plain(bytes.begin(), bytes.begin() + 8);
    if (bytes[0] == 'C' && bytes[1] == 'W' && bytes[2] == 'S') {
        // Only the header is wanted: inflate its first bytes, never the whole movie.
        uint8_t head[64];
        z_stream stream{};
        if (inflateInit(&stream) != Z_OK)
            return false;
        stream.next_in = bytes.data() + 8;
        stream.avail_in = uInt(std::min<std::size_t>(bytes.size() - 8, 1u << 20));
        stream.next_out = head;
        stream.avail_out = sizeof head;
        const int result = inflate(&stream, Z_SYNC_FLUSH);
        const std::size_t produced = sizeof head - stream.avail_out;
        inflateEnd(&stream);
        if ((result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) || produced == 0)
            return false;
        plain.insert(plain.end(), head, head + produced);
        plain[0] = 'F';
    } else if (bytes[0] == 'F' && bytes[1] == 'W' && bytes[2] == 'S') {
        plain.assign(bytes.begin(), bytes.begin() + std::min<std::size_t>(bytes.size(), 72));
    } else {
        return false;
    }
    ravuz::CBK_SwfReader reader;
    reader.CreateFromBytes(plain.data(), plain.size(), plain[3]);
    ravuz::CBK_SwfHeader header;
    if (header.Read(&reader, true) == 0)
        return false;
    rate = ravuz::CBK_SwfHeader::EncodeFrameRate(header.GetFrameRate());
    frames = header.GetFrameCount();
    return true;
}

} // namespace

CBK_QuicktimeWriter::~CBK_QuicktimeWriter() {
    Close();
}

uint8_t* CBK_QuicktimeWriter::_Store(int32_t& rowBytes) {
    tbx::PixMapHandle map = tbx::GetGWorldPixMap(m_FrameStore);
    rowBytes = tbx::GetPixRowBytes(map);
    return reinterpret_cast<uint8_t*>(tbx::GetPixBaseAddr(map));
}

bool CBK_QuicktimeWriter::Create(CBK_Path& output, uint32_t width, uint32_t height,
                                 double frameRate, int32_t flags) {
    Close();
    if (!std::isfinite(frameRate) || frameRate <= 0 || frameRate > 1000 || width == 0 ||
        height == 0 || width > kMaxSide || height > kMaxSide)
        return false;
    // The time scale keeps a tenth of a frame per second, so 29.97 fps stays in step with
    // its sound.
    const long scale = std::lround(frameRate * 10.0);
    if (scale < 1)
        return false;
    m_nWidth = width;
    m_nHeight = height;
    m_nFrameRate = uint32_t(frameRate);
    m_nTimeScale = int32_t(scale);
    m_nFrameDuration = 10;
    m_nFrameCount = 0;
    m_bFlatten = flags & FLAG_FLATTEN;
    m_bAutoplay = flags & FLAG_AUTOPLAY;
    m_bLoop = flags & FLAG_LOOP;
    m_bController = flags & FLAG_CONTROLLER;
    m_bFailed = false;
    m_Tracks.clear();
    m_nVideoTrack = -1;
    m_Output = output;
    if (m_bFlatten) {
        if (!BK_MakeTemporaryFile("__qtphat", ".mov", m_TempPath))
            return false;
        m_pTemporary = std::fopen(FileName(m_TempPath).c_str(), "wb");
        if (!m_pTemporary) {
            m_TempPath.DeleteFile(false);
            return false;
        }
    } else {
        m_Output2 = std::make_unique<CBK_AtomicFile>();
        if (!m_Output2->Open(FileName(output))) {
            m_Output2.reset();
            return false;
        }
    }
    m_nWritten = 0;
    CBK_AtomWriter head;
    head.Begin("wide");
    head.End();
    head.Begin("mdat");
    head.End();
    tbx::Rect bounds{0, 0, int16_t(height), int16_t(width)};
    if (!_Write(head.Data().data(), head.Data().size()) ||
        tbx::NewGWorld(&m_FrameStore, 32, &bounds, nullptr, nullptr, 0) != tbx::noErr) {
        _Abandon();
        return false;
    }
    return true;
}

bool CBK_QuicktimeWriter::_Write(const void* bytes, std::size_t size) {
    if (m_bFailed)
        return false;
    bool ok = false;
    if (m_Output2)
        ok = m_Output2->Write(bytes, size);
    else if (m_pTemporary)
        ok = std::fwrite(bytes, 1, size, m_pTemporary) == size;
    if (!ok)
        m_bFailed = true;
    else
        m_nWritten += size;
    return ok;
}

bool CBK_QuicktimeWriter::_WriteAt(uint64_t offset, const void* bytes, std::size_t size) {
    bool ok = false;
    if (m_Output2)
        ok = m_Output2->WriteAt(offset, bytes, size);
    else if (m_pTemporary)
        ok = std::fseek(m_pTemporary, long(offset), SEEK_SET) == 0 &&
             std::fwrite(bytes, 1, size, m_pTemporary) == size &&
             std::fseek(m_pTemporary, 0, SEEK_END) == 0;
    if (!ok)
        m_bFailed = true;
    return ok;
}

bool CBK_QuicktimeWriter::AddVideoTrack() {
    return _AddVideoTrack();
}

bool CBK_QuicktimeWriter::_AddVideoTrack() {
    if (!m_FrameStore || m_nVideoTrack >= 0)
        return false;
    BK_MOVIE_TRACK track;
    track.handler = "vide";
    track.sampleDescription = RawVideoDescription(m_nWidth, m_nHeight);
    track.timeScale = uint32_t(m_nTimeScale);
    track.sampleDelta = uint32_t(m_nFrameDuration);
    track.sampleSize = m_nWidth * m_nHeight * 4;
    track.width = m_nWidth;
    track.height = m_nHeight;
    m_Tracks.push_back(std::move(track));
    m_nVideoTrack = int(m_Tracks.size() - 1);
    return true;
}

bool CBK_QuicktimeWriter::_WriteFrame() {
    if (m_nVideoTrack < 0 || !m_FrameStore)
        return false;
    int32_t rowBytes = 0;
    const uint8_t* store = _Store(rowBytes);
    const uint64_t offset = m_nWritten;
    for (uint32_t y = 0; y < m_nHeight; ++y)
        if (!_Write(store + std::size_t(y) * rowBytes, std::size_t(m_nWidth) * 4))
            return false;
    BK_MOVIE_TRACK& track = m_Tracks[std::size_t(m_nVideoTrack)];
    track.chunkOffsets.push_back(offset);
    track.chunkSamples.push_back(1);
    ++track.sampleCount;
    ++m_nFrameCount;
    return true;
}

template <int kBytes>
void CBK_QuicktimeWriter::_StoreRows(const uint8_t* rows, std::size_t stride) {
    int32_t rowBytes = 0;
    uint8_t* store = _Store(rowBytes);
    for (uint32_t y = 0; y < m_nHeight; ++y)
        RowToArgb<kBytes>(rows + y * stride, store + std::size_t(y) * rowBytes, m_nWidth);
}

bool CBK_QuicktimeWriter::AddVideoFrame(const uint8_t* rgba) {
    if (!rgba || !m_FrameStore)
        return false;
    _StoreRows<4>(rgba, std::size_t(m_nWidth) * 4);
    return _WriteFrame();
}

bool CBK_QuicktimeWriter::AddVideoFrame(tbx::PixMapHandle pixMap) {
    tbx::Rect bounds{};
    const uint8_t* base = reinterpret_cast<const uint8_t*>(tbx::GetPixBaseAddr(pixMap));
    const int32_t sourceRowBytes = tbx::GetPixRowBytes(pixMap);
    if (!base || !m_FrameStore || !tbx::GetPixBounds(pixMap, &bounds) ||
        tbx::GetPixDepth(pixMap) != 32 || uint32_t(bounds.right - bounds.left) < m_nWidth ||
        uint32_t(bounds.bottom - bounds.top) < m_nHeight)
        return false;
    _StoreRows<4>(base, std::size_t(sourceRowBytes));
    return _WriteFrame();
}

bool CBK_QuicktimeWriter::AddVideoFrame(tbx::GrafPtr port) {
    tbx::Rect from{}, to{};
    if (!m_FrameStore || !tbx::GetPortBounds(port, &from) || !tbx::GetPortBounds(m_FrameStore, &to))
        return false;
    if (tbx::CopyBits(tbx::GetPortBitMapForCopyBits(port),
                      tbx::GetPortBitMapForCopyBits(m_FrameStore), &from, &to, tbx::srcCopy,
                      nullptr) != tbx::noErr)
        return false;
    return _WriteFrame();
}

bool CBK_QuicktimeWriter::AddVideoFrame(CBK_Image& image) {
    const int32_t bytes = image.GetBitsPerPixel() / 8;
    if (!m_FrameStore || image.IsEmpty() || (bytes != 3 && bytes != 4) ||
        uint32_t(image.GetWidth()) != m_nWidth || uint32_t(image.GetHeight()) != m_nHeight)
        return false;
    int32_t rowBytes = 0;
    uint8_t* store = _Store(rowBytes);
    for (uint32_t y = 0; y < m_nHeight; ++y) {
        const uint8_t* from = image.GetDataAt(0, int32_t(y));
        uint8_t* to = store + std::size_t(y) * rowBytes;
        if (bytes == 4)
            RowToArgb<4>(from, to, m_nWidth);
        else
            RowToArgb<3>(from, to, m_nWidth);
    }
    return _WriteFrame();
}

int32_t CBK_QuicktimeWriter::DrawFrame(const uint8_t* rgb) {
    if (!rgb || !m_FrameStore)
        return 0;
    _StoreRows<3>(rgb, std::size_t(m_nWidth) * 3);
    return int32_t(m_nHeight);
}

void CBK_QuicktimeWriter::DrawFrame(const tbx::Rect* rect, int32_t) {
    if (!rect)
        return;
    tbx::ForeColor(tbx::redColor);
    tbx::PaintRect(rect);
    // The frame count in blue from the middle, a third of the height tall.
    const std::string digits = std::to_string(m_nFrameCount);
    const std::u32string text(digits.begin(), digits.end());
    tbx::ForeColor(tbx::blueColor);
    tbx::TextSize(int16_t(std::max<int32_t>(0, int32_t(rect->bottom) * 21846 / 65536)));
    tbx::MoveTo(int16_t(rect->right / 2), int16_t(rect->bottom / 2));
    tbx::DrawUnicodeText(text.data(), text.size());
}

bool CBK_QuicktimeWriter::AddFlashTrack(CBK_Path& swf, uint16_t graphicsMode, uint32_t colour) {
    if (!m_FrameStore)
        return false;
    std::vector<uint8_t> bytes;
    uint16_t rate = 0, frames = 0;
    if (!ReadSwf(swf, bytes, rate, frames) || rate == 0)
        return false;
    // The header's 8.8 rate as a time scale: frames × 256 / rate seconds, exactly.
    const uint32_t common = std::gcd(uint32_t(rate), 256u);
    BK_MOVIE_TRACK track;
    track.handler = "flsh";
    CBK_AtomWriter description;
    description.Begin("flsh");
    description.Zeros(6);
    description.U16(1);
    description.Zeros(12);
    description.End();
    track.sampleDescription = description.Data();
    track.timeScale = rate / common;
    track.sampleDelta = std::max<uint32_t>(frames, 1) * (256 / common);
    track.sampleSize = uint32_t(bytes.size());
    track.width = m_nWidth;
    track.height = m_nHeight;
    track.volume = 256;
    track.graphicsMode = graphicsMode;
    track.opColor[0] = uint16_t((colour & 0xFF) * 257);
    track.opColor[1] = uint16_t(((colour >> 8) & 0xFF) * 257);
    track.opColor[2] = uint16_t(((colour >> 16) & 0xFF) * 257);
    const uint64_t offset = m_nWritten;
    if (!_Write(bytes.data(), bytes.size()))
        return false;
    track.chunkOffsets.push_back(offset);
    track.chunkSamples.push_back(1);
    track.sampleCount = 1;
    m_Tracks.push_back(std::move(track));
    return true;
}

bool CBK_QuicktimeWriter::_AddSoundTrack(CBK_QuicktimeMovie& movie) {
    tbx::SoundDescription source;
    if (!m_FrameStore || !movie.GetSoundDescription(source))
        return false;
    int32_t rate = int32_t(source.sampleRate);
    if (rate > 65535)
        rate = kHighRateFallback;
    CBK_QuicktimeMovie::SOUND_EXPORT_DESCRIPTION form;
    form.m_dRate = rate;
    form.m_nBits = 16;
    form.m_nFormat = tbx::kSoundFormatTwos;
    if (!movie.SetSoundExportDescription(form))
        return false;
    // One unit per sample: ranges are whole samples.
    movie.SetTimeScale(rate);
    const uint32_t total = uint32_t(movie.GetTotalSamples());
    BK_MOVIE_TRACK track;
    track.handler = "soun";
    track.sampleDescription = TwosDescription(source.numChannels, rate);
    track.timeScale = uint32_t(rate);
    track.sampleDelta = 1;
    track.sampleSize = 1;
    track.volume = 256;
    for (uint32_t at = 0; at < total;) {
        uint32_t bytes = 0, next = 0;
        const int32_t length = int32_t(std::min<uint32_t>(uint32_t(rate), total - at));
        std::unique_ptr<uint8_t[]> block(movie.GetAudioSamples(at, length, bytes, &next));
        const uint32_t frames = bytes / (2u * uint32_t(source.numChannels));
        if (!block || next <= at)
            return false;
        const uint64_t offset = m_nWritten;
        if (frames && !_Write(block.get(), bytes))
            return false;
        if (frames) {
            track.chunkOffsets.push_back(offset);
            track.chunkSamples.push_back(frames);
            track.sampleCount += frames;
        }
        at = next;
    }
    m_Tracks.push_back(std::move(track));
    return true;
}

bool CBK_QuicktimeWriter::AddSoundTrack() {
    CBK_Path path;
    CBK_QuicktimeMovie movie;
    return path.MakeAppLevelPath(L"_0aacc01.mov") && movie.Open(path) && _AddSoundTrack(movie);
}

bool CBK_QuicktimeWriter::CopyTrack(CBK_Path& path) {
    CBK_QuicktimeMovie movie;
    return movie.Open(path) && _AddSoundTrack(movie);
}

void CBK_QuicktimeWriter::_Abandon() {
    if (m_Output2)
        m_Output2->Discard();
    m_Output2.reset();
    if (m_pTemporary)
        std::fclose(m_pTemporary);
    m_pTemporary = nullptr;
    if (!m_TempPath.GetPathString().empty())
        m_TempPath.DeleteFile(false);
    m_TempPath = CBK_Path();
    if (m_FrameStore)
        tbx::DisposeGWorld(m_FrameStore);
    m_FrameStore = nullptr;
}

bool CBK_QuicktimeWriter::_Finish() {
    // The media data's size: 32 bits, or 64 bits in place of the 'wide' atom.
    const uint64_t mdatSize = m_nWritten - 8;
    if (mdatSize <= 0xFFFFFFFFu) {
        uint8_t size[4];
        PutBig32(size, uint32_t(mdatSize));
        _WriteAt(8, size, 4);
    } else {
        CBK_AtomWriter header;
        header.U32(1);
        header.Type("mdat");
        header.U64(m_nWritten);
        _WriteAt(0, header.Data().data(), header.Data().size());
    }
    BK_MOVIE_USER_DATA userData{!m_bController, m_bLoop, m_bAutoplay};
    if (!m_bFlatten) {
        const std::vector<uint8_t> header = BK_BuildMovieHeader(m_Tracks, userData, 0);
        return _Write(header.data(), header.size()) && m_Output2->Commit();
    }
    return _Flatten();
}

bool CBK_QuicktimeWriter::_Flatten() {
    if (std::fflush(m_pTemporary) != 0 || m_bFailed)
        return false;
    BK_MOVIE_USER_DATA userData{!m_bController, m_bLoop, m_bAutoplay};
    // The compressed header's size depends on the offsets it holds: grow the room left for
    // it until the header fits, padding with a 'free' atom.
    std::vector<uint8_t> header;
    uint64_t room = 0;
    for (int attempt = 0; attempt < 16; ++attempt) {
        header = BK_CompressMovieHeader(BK_BuildMovieHeader(m_Tracks, userData, room));
        if (header.empty())
            return false;
        if (header.size() == room || header.size() + 8 <= room)
            break;
        room = header.size() + 64;
        header.clear();
    }
    if (header.empty())
        return false;
    CBK_AtomWriter padding;
    if (room > header.size()) {
        padding.Begin("free");
        padding.Zeros(std::size_t(room - header.size() - 8));
        padding.End();
    }
    CBK_AtomicFile output;
    if (!output.Open(FileName(m_Output)) || !output.Write(header.data(), header.size()) ||
        !output.Write(padding.Data().data(), padding.Data().size()))
        return false;
    std::FILE* data = std::fopen(FileName(m_TempPath).c_str(), "rb");
    if (!data)
        return false;
    std::vector<uint8_t> block(1 << 20);
    std::size_t n;
    bool ok = true;
    while (ok && (n = std::fread(block.data(), 1, block.size(), data)) > 0)
        ok = output.Write(block.data(), n);
    ok = ok && !std::ferror(data);
    std::fclose(data);
    return ok && output.Commit();
}

bool CBK_QuicktimeWriter::Close() {
    if (m_FrameStore)
        tbx::DisposeGWorld(m_FrameStore);
    m_FrameStore = nullptr;
    if (!m_Output2 && !m_pTemporary)
        return true;
    const bool ok = !m_bFailed && _Finish();
    _Abandon();
    m_Tracks.clear();
    m_nVideoTrack = -1;
    return ok;
}
