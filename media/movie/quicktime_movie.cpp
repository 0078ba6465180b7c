#include "media/movie/quicktime_movie.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>

#include "media/image/image.h"
#include "media/image/image_size.h"
#include "media/movie/movie_file_export.h"
#include "platform/gestalt.h"
#include "platform/movie/movie_drawing.h"
#include "platform/quickdraw/copy_bits.h"
#include "platform/quickdraw/offscreen.h"
#include "platform/windows/events.h"
#include "platform/windows/windows.h"
#include "ui/dialogs/progress_dialog.h"

namespace {

constexpr int32_t kCodecTextMax = 32;
constexpr int16_t kProgressUpdate = tbx::movieProgressUpdatePercent;
constexpr int16_t kUserCanceled = -128;

std::string FileName(CBK_Path& path) {
    return BK_WideToFileSystemName(path.GetFullPathString());
}

// The part of `rect` inside a width × height frame; false when nothing is left.
bool ClipToFrame(const tbx::Rect& rect, int32_t width, int32_t height, tbx::Rect& clipped) {
    clipped.left = int16_t(std::clamp<int32_t>(rect.left, 0, width));
    clipped.top = int16_t(std::clamp<int32_t>(rect.top, 0, height));
    clipped.right = int16_t(std::clamp<int32_t>(rect.right, 0, width));
    clipped.bottom = int16_t(std::clamp<int32_t>(rect.bottom, 0, height));
    return clipped.right > clipped.left && clipped.bottom > clipped.top;
}

// Whether a width × height picture of `bytes` per pixel may be allocated at all.
bool WithinCap(int32_t width, int32_t height, int32_t bytes) {
    return width > 0 && height > 0 &&
           uint64_t(width) * uint64_t(height) * uint64_t(bytes) <= kBK_MaxImageBytes;
}

// Bytes A, R, G, B to R, G, B, A in place.
void ArgbToRgba(uint8_t* pixels, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i, pixels += 4) {
        const uint8_t alpha = pixels[0];
        pixels[0] = pixels[1];
        pixels[1] = pixels[2];
        pixels[2] = pixels[3];
        pixels[3] = alpha;
    }
}

void CopyText(const char* from, wchar_t* to) {
    std::size_t n = 0;
    for (; from[n] && n < kCodecTextMax - 1; ++n)
        to[n] = wchar_t(static_cast<unsigned char>(from[n]));
    to[n] = 0;
}

} // namespace

void BK_QuicktimeDispatchInputEvents() {
    static const tbx::EventTypeSpec kinds[2] = {{tbx::FourCC("mous"), 1}, {tbx::FourCC("keyb"), 1}};
    for (const tbx::EventTypeSpec& kind : kinds) {
        tbx::EventRef event = nullptr;
        if (tbx::ReceiveNextEvent(1, &kind, tbx::kEventDurationNoWait, true, &event) ==
            tbx::noErr) {
            tbx::SendEventToEventTarget(event, tbx::GetEventDispatcherTarget());
            tbx::ReleaseEvent(event);
        }
    }
}

bool BK_HasQuicktime() {
    tbx::SInt32 response = 0;
    return tbx::Gestalt(tbx::FourCC("qtim"), &response) == tbx::noErr;
}

int32_t BK_GetQuicktimeVersion() {
    tbx::SInt32 response = 0;
    if (tbx::Gestalt(tbx::FourCC("qtim"), &response) != tbx::noErr)
        return 0;
    return int32_t(uint32_t(response) >> 16);
}

bool BK_HasQuicktimeCFMLibs() {
    tbx::SInt32 response = 0;
    return tbx::Gestalt(tbx::FourCC("qtrs"), &response) == tbx::noErr;
}

void BK_DumpPixmapRaw(tbx::GrafPtr&, wchar_t*) {}

bool BK_QuicktimeMakeFSSpec(CBK_Path& path, tbx::FSSpec& fileSpec) {
    fileSpec = path.GetFSSpec();
    return true;
}

CBK_QuicktimeMovie::~CBK_QuicktimeMovie() {
    Close();
}

bool CBK_QuicktimeMovie::Open(CBK_Path& path) {
    Close();
    _path = FileName(path);
    _movie = tbx::Movie::Open(_path);
    if (!_movie)
        return false;
    int32_t width = 0, height = 0;
    _movie->GetNaturalSize(width, height);
    _box = tbx::Rect{0, 0, int16_t(height), int16_t(width)};
    return true;
}

bool CBK_QuicktimeMovie::Close() {
    _movie.reset();
    _path.clear();
    _box = tbx::Rect{};
    _soundPosition = 0;
    _soundReady = false;
    _scratch.clear();
    _scratch.shrink_to_fit();
    return true;
}

bool CBK_QuicktimeMovie::Play(bool fromStart) {
    if (!_movie)
        return false;
    if (fromStart)
        _movie->SetTime(0);
    _movie->Start();
    return true;
}

bool CBK_QuicktimeMovie::IsPlaying() {
    return _movie && _movie->IsPlaying();
}

int32_t CBK_QuicktimeMovie::GetTimeScale() {
    return _movie ? _movie->GetTimeScale() : 0;
}

void CBK_QuicktimeMovie::SetTimeScale(int32_t scale) {
    if (_movie)
        _movie->SetTimeScale(scale);
}

int32_t CBK_QuicktimeMovie::GetTotalSamples() {
    return _movie ? _movie->GetDuration() : 0;
}

int32_t CBK_QuicktimeMovie::GetTimeValue() {
    return _movie ? _movie->GetTime() : 0;
}

void CBK_QuicktimeMovie::SetTimeValue(int32_t value) {
    if (_movie)
        _movie->SetTime(value);
}

void CBK_QuicktimeMovie::GetSize(int32_t& width, int32_t& height) {
    width = _box.right - _box.left;
    height = _box.bottom - _box.top;
}

void CBK_QuicktimeMovie::SetSize(int32_t width, int32_t height) {
    if (!_movie)
        return;
    _box.right = int16_t(std::clamp<int32_t>(_box.left + std::max(width, 0), -32768, 32767));
    _box.bottom = int16_t(std::clamp<int32_t>(_box.top + std::max(height, 0), -32768, 32767));
}

bool CBK_QuicktimeMovie::HasVideo() {
    return _movie && _movie->HasVideo();
}

bool CBK_QuicktimeMovie::HasAudio() {
    return _movie && _movie->HasSound();
}

bool CBK_QuicktimeMovie::_RenderBox(uint32_t time, tbx::FramePixels pixels) {
    int32_t width = 0, height = 0;
    GetSize(width, height);
    const int32_t bytes = pixels == tbx::FramePixels::Argb32 ? 4 : 3;
    if (!_movie || !WithinCap(width, height, bytes))
        return false;
    _scratch.resize(std::size_t(width) * height * bytes + tbx::kFrameRenderRoom);
    return _movie->RenderFrame(tbx::TimeValue(std::min<uint32_t>(time, INT32_MAX)), pixels,
                               _scratch.data(), _scratch.size(), width * bytes, width, height);
}

uint32_t CBK_QuicktimeMovie::GetRgbaFrameImage(uint32_t time, uint8_t* buffer, tbx::Rect* rect) {
    int32_t boxWidth = 0, boxHeight = 0;
    GetSize(boxWidth, boxHeight);
    int32_t width = boxWidth, height = boxHeight;
    if (rect) {
        // Only the size counts; it is held to the frame so that no row reads past it.
        width = std::clamp<int32_t>(rect->right - rect->left, 0, boxWidth);
        height = std::clamp<int32_t>(rect->bottom - rect->top, 0, boxHeight);
    }
    if (!_movie || !WithinCap(width, height, 4))
        return 0;
    const uint32_t size = uint32_t(width) * uint32_t(height) * 4;
    if (!buffer)
        return size;
    if (!_RenderBox(time, tbx::FramePixels::Argb32))
        return 0;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = buffer + std::size_t(y) * width * 4;
        std::memcpy(row, _scratch.data() + std::size_t(y) * boxWidth * 4, std::size_t(width) * 4);
        ArgbToRgba(row, std::size_t(width));
    }
    return size;
}

bool CBK_QuicktimeMovie::GetRgbFrameImage(uint32_t time, CBK_Image& image, tbx::Rect* crop,
                                          int32_t bitsPerPixel) {
    if (!_movie || !_movie->HasVideo())
        return false;
    // The movie keeps a box with its top-left at the origin.
    _box = tbx::Rect{0, 0, int16_t(_box.bottom - _box.top), int16_t(_box.right - _box.left)};
    int32_t boxWidth = 0, boxHeight = 0;
    GetSize(boxWidth, boxHeight);
    tbx::Rect area{0, 0, int16_t(boxHeight), int16_t(boxWidth)};
    if (crop && !ClipToFrame(*crop, boxWidth, boxHeight, area))
        return false;
    if (!WithinCap(boxWidth, boxHeight, 4))
        return false;
    const int32_t bits = bitsPerPixel == 32 ? 32 : 24;
    const int32_t bytes = bits / 8;
    const tbx::FramePixels pixels = bits == 32 ? tbx::FramePixels::Argb32 : tbx::FramePixels::Rgb24;
    const int32_t width = area.right - area.left;
    const int32_t height = area.bottom - area.top;
    const std::size_t size = std::size_t(width) * height * bytes;
    const tbx::TimeValue at = tbx::TimeValue(std::min<uint32_t>(time, INT32_MAX));

    // A whole frame is rendered straight into the pixels that the image adopts, with room to
    // spare after them for the renderer.
    const bool whole = width == boxWidth && height == boxHeight;
    const std::size_t room = whole ? tbx::kFrameRenderRoom : 0;
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[size + room]);
    if (!data)
        return false;
    if (whole) {
        if (!_movie->RenderFrame(at, pixels, data.get(), size + room, width * bytes, width, height))
            return false;
    } else {
        if (!_RenderBox(time, pixels))
            return false;
        for (int32_t y = 0; y < height; ++y)
            std::memcpy(data.get() + std::size_t(y) * width * bytes,
                        _scratch.data() +
                            (std::size_t(area.top + y) * boxWidth + area.left) * bytes,
                        std::size_t(width) * bytes);
    }
    if (bits == 32)
        ArgbToRgba(data.get(), std::size_t(width) * height);
    return image.Create(uint32_t(width), uint32_t(height), uint16_t(bits), data.release(), false);
}

bool CBK_QuicktimeMovie::_RenderScaled(uint32_t time, const tbx::Rect* srcRect, int32_t width,
                                       int32_t height, std::vector<uint8_t>& argb) {
    int32_t boxWidth = 0, boxHeight = 0;
    GetSize(boxWidth, boxHeight);
    argb.resize(std::size_t(width) * height * 4 + tbx::kFrameRenderRoom);
    if (!srcRect)
        return _movie->RenderFrame(tbx::TimeValue(std::min<uint32_t>(time, INT32_MAX)),
                                   tbx::FramePixels::Argb32, argb.data(), argb.size(), width * 4,
                                   width, height);
    tbx::Rect source;
    if (!ClipToFrame(*srcRect, boxWidth, boxHeight, source) ||
        !_RenderBox(time, tbx::FramePixels::Argb32))
        return false;
    // Nearest pixel, as a source-copy CopyBits between two offscreens would scale.
    const int32_t sw = source.right - source.left, sh = source.bottom - source.top;
    for (int32_t y = 0; y < height; ++y) {
        const int32_t sy = source.top + int32_t(int64_t(y) * sh / height);
        for (int32_t x = 0; x < width; ++x) {
            const int32_t sx = source.left + int32_t(int64_t(x) * sw / width);
            std::memcpy(argb.data() + (std::size_t(y) * width + x) * 4,
                        _scratch.data() + (std::size_t(sy) * boxWidth + sx) * 4, 4);
        }
    }
    return true;
}

bool CBK_QuicktimeMovie::_ScaledSize(const tbx::Rect* outRect, int32_t& width, int32_t& height) {
    GetSize(width, height);
    if (outRect) {
        width = outRect->right - outRect->left;
        height = outRect->bottom - outRect->top;
    }
    return _movie && _movie->HasVideo() && WithinCap(width, height, 4);
}

uint32_t CBK_QuicktimeMovie::GetRgbFrameImage(uint32_t time, uint8_t* buffer, tbx::Rect* outRect,
                                              tbx::Rect* srcRect, int32_t bitsPerPixel) {
    int32_t width = 0, height = 0;
    if (!_ScaledSize(outRect, width, height))
        return 0;
    const int32_t bytes = bitsPerPixel == 24 ? 3 : 4;
    const uint32_t size = uint32_t(bytes) * uint32_t(width) * uint32_t(height);
    if (!buffer)
        return size;
    std::vector<uint8_t> argb;
    if (!_RenderScaled(time, outRect ? srcRect : nullptr, width, height, argb))
        return 0;
    const std::size_t count = std::size_t(width) * height;
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t* p = argb.data() + i * 4;
        uint8_t* q = buffer + i * bytes;
        q[0] = p[1];
        q[1] = p[2];
        q[2] = p[3];
        if (bytes == 4)
            q[3] = p[0];
    }
    return size;
}

uint32_t CBK_QuicktimeMovie::GetAlphaFrameImage(uint32_t time, uint8_t* buffer, tbx::Rect* outRect,
                                                tbx::Rect* srcRect) {
    int32_t width = 0, height = 0;
    if (!_ScaledSize(outRect, width, height))
        return 0;
    const uint32_t size = uint32_t(width) * uint32_t(height);
    if (!buffer)
        return size;
    std::vector<uint8_t> argb;
    if (!_RenderScaled(time, outRect ? srcRect : nullptr, width, height, argb))
        return 0;
    for (uint32_t i = 0; i < size; ++i)
        buffer[i] = argb[std::size_t(i) * 4];
    return size;
}

bool CBK_QuicktimeMovie::DrawToPixmap(tbx::GrafPtr& port, tbx::Rect* box, tbx::GrafPtr* mask) {
    tbx::PixMapHandle map = tbx::GetGWorldPixMap(port);
    tbx::Rect bounds{};
    if (!_movie || !map || !tbx::GetPixBounds(map, &bounds) || tbx::GetPixDepth(map) != 32)
        return false;
    const tbx::Rect area = box ? *box : _box;
    const int32_t width = area.right - area.left, height = area.bottom - area.top;
    if (_movie->HasVideo() && WithinCap(width, height, 4) &&
        !tbx::DrawMovieFrame(*_movie, _movie->GetTime(), port, area))
        return false;
    if (mask) {
        tbx::PixMapHandle maskMap = tbx::GetGWorldPixMap(*mask);
        tbx::Rect maskBounds{};
        if (!maskMap || !tbx::GetPixBounds(maskMap, &maskBounds))
            return true;
        uint8_t* base = reinterpret_cast<uint8_t*>(tbx::GetPixBaseAddr(map));
        uint8_t* maskBase = reinterpret_cast<uint8_t*>(tbx::GetPixBaseAddr(maskMap));
        const int32_t rowBytes = tbx::GetPixRowBytes(map);
        const int32_t maskRowBytes = tbx::GetPixRowBytes(maskMap);
        const int32_t rows =
            std::min(bounds.bottom - bounds.top, maskBounds.bottom - maskBounds.top);
        const int32_t columns = std::min(bounds.right - bounds.left, maskRowBytes);
        for (int32_t y = 0; y < rows; ++y)
            for (int32_t x = 0; x < columns; ++x) {
                const uint8_t* p = base + std::size_t(y) * rowBytes + std::size_t(x) * 4;
                const bool white = p[0] == 255 && p[1] == 255 && p[2] == 255 && p[3] == 255;
                maskBase[std::size_t(y) * maskRowBytes + x] = white ? 0 : 255;
            }
    }
    return true;
}

bool CBK_QuicktimeMovie::DrawToCanvas(tbx::GrafPtr& port, tbx::Rect* box) {
    return DrawToPixmap(port, box, nullptr);
}

bool CBK_QuicktimeMovie::DrawToWindow(tbx::WindowRef window, tbx::Rect* box) {
    tbx::GrafPtr port = tbx::GetWindowPort(window);
    return port && DrawToPixmap(port, box, nullptr);
}

bool CBK_QuicktimeMovie::GetSoundDescription(tbx::SoundDescription& description) {
    return _movie && _movie->GetSoundDescription(description);
}

bool CBK_QuicktimeMovie::GetImageDescription(tbx::ImageDescription& description) {
    return _movie && _movie->GetImageDescription(description);
}

double CBK_QuicktimeMovie::ComputeAverageFrameRate() {
    return _movie ? _movie->AverageFrameRate() : 0.0;
}

bool CBK_QuicktimeMovie::SetSoundExportDescription(SOUND_EXPORT_DESCRIPTION& description) {
    _soundReady = false;
    if (!_movie || !_movie->HasSound() || !std::isfinite(description.m_dRate) ||
        description.m_dRate < 0 || description.m_dRate > 768000)
        return false;
    tbx::PcmForm form;
    form.rate = int32_t(description.m_dRate); // whole hertz
    form.bits = description.m_nBits;
    form.channels = description.m_nChannels;
    form.bigEndian = description.m_nFormat != tbx::kSoundFormatSowt;
    _soundReady = _movie->SetPcmForm(form);
    return _soundReady;
}

uint8_t* CBK_QuicktimeMovie::_ReadRange(int64_t start, int64_t length, uint32_t& bytes) {
    // The samples go straight into the caller's array: a whole sound is never held twice here.
    std::unique_ptr<uint8_t[]> array;
    std::size_t size = 0;
    auto place = [&](std::size_t count) -> uint8_t* {
        if (count > UINT32_MAX)
            return nullptr;
        array.reset(new (std::nothrow) uint8_t[count]);
        size = count;
        return array.get();
    };
    if (!_movie->ReadPcm(tbx::TimeValue(start), tbx::TimeValue(length), place))
        return nullptr;
    if (!array)
        array.reset(new (std::nothrow) uint8_t[1]);
    if (!array)
        return nullptr;
    bytes = uint32_t(size);
    _soundPosition = int32_t(start + length);
    return array.release();
}

uint8_t* CBK_QuicktimeMovie::GetAudioSamples(uint32_t start, int32_t duration, uint32_t& bytes,
                                             uint32_t* next) {
    if (!_movie || !_movie->HasSound() || !_soundReady || duration < 0)
        return nullptr;
    const int64_t total = _movie->GetDuration();
    if (int64_t(start) > total)
        return nullptr;
    _soundPosition = int32_t(start);
    // Duration 0 means "to the end" from the start given.
    const int64_t length =
        duration == 0 ? total - start : std::min<int64_t>(duration, total - start);
    uint8_t* samples = _ReadRange(start, length, bytes);
    if (samples && next)
        *next = uint32_t(_soundPosition);
    return samples;
}

uint8_t* CBK_QuicktimeMovie::GetAudioSamples(int32_t duration, uint32_t& bytes, bool) {
    if (!_movie || !_movie->HasSound() || !_soundReady || duration < 0)
        return nullptr;
    const int64_t total = _movie->GetDuration();
    if (_soundPosition > total)
        return nullptr;
    const int64_t left = total - _soundPosition;
    const int64_t length = duration == 0 ? left : std::min<int64_t>(duration, left);
    return _ReadRange(_soundPosition, length, bytes);
}

bool CBK_QuicktimeMovie::ExportSound(CBK_Path& path, uint32_t fileType, uint32_t msec,
                                     CBK_ProgressDialog* dialog) {
    tbx::SoundDescription own;
    if (!_movie || !_movie->GetSoundDescription(own))
        return false;
    const tbx::ComponentDescription looking{tbx::MovieExportType, fileType, tbx::FourCC("soun"),
                                            tbx::canMovieExportFiles, tbx::canMovieExportFiles};
    const tbx::Component component = tbx::FindNextComponent(nullptr, &looking);
    const tbx::ComponentInstance exporter = component ? tbx::OpenComponent(component) : nullptr;
    if (!exporter)
        return false;
    // The first msec milliseconds go out as they are; the movie itself keeps its whole length.
    int64_t duration = _movie->GetDuration();
    if (msec != 0)
        duration = std::min<int64_t>(duration, int64_t(msec) * _movie->GetTimeScale() / 1000);
    tbx::SoundDescription description;
    description.dataFormat = tbx::kSoundFormatTwos;
    description.sampleSize = 16;
    description.sampleRate = own.sampleRate;
    description.numChannels = own.numChannels;
    _dialog = dialog;
    if (dialog)
        tbx::SetMovieProgressProc(_movie.get(), BK_QuicktimeExportProgressProc, this);
    const bool exported = tbx::MovieExportSetSampleDescription(exporter, &description,
                                                               tbx::FourCC("soun")) == tbx::noErr &&
                          BK_MovieExportToFile(exporter, path, _movie.get(), 0,
                                               tbx::TimeValue(duration)) == tbx::noErr;
    tbx::SetMovieProgressProc(_movie.get(), nullptr, nullptr);
    tbx::CloseComponent(exporter);
    _dialog = nullptr;
    return exported;
}

tbx::OSErr BK_QuicktimeExportProgressProc(tbx::Movie*, tbx::SInt16 message, tbx::SInt16,
                                          tbx::SInt32 percentDone, void* refCon) {
    return refCon ? static_cast<CBK_QuicktimeMovie*>(refCon)->OnMovieExportProgressProc(
                        message, percentDone / 65536.0)
                  : tbx::OSErr(tbx::noErr);
}

int16_t CBK_QuicktimeMovie::OnMovieExportProgressProc(int16_t message, double fractionDone) {
    if (!_dialog)
        return 0;
    auto cancelled = [this] { return _dialog->GetModalResult() == int32_t(tbx::FourCC("not!")); };
    if (cancelled())
        return kUserCanceled;
    if (message == kProgressUpdate) {
        BK_QuicktimeDispatchInputEvents();
        _dialog->OnQuickTimeUpdatePercent(int32_t(fractionDone * 100));
    }
    return cancelled() ? kUserCanceled : 0;
}

bool CBK_QuicktimeMovie::GetSoundCodecString(wchar_t* text) {
    tbx::SoundDescription description;
    if (!GetSoundDescription(description) || !description.name[0]) {
        std::wcscpy(text, L"N/A");
        return false;
    }
    std::string name = description.name;
    // "MP3 (MPEG audio layer 3)" reads as "MP3".
    if (std::size_t at = name.find(" ("); at != std::string::npos)
        name.resize(at);
    CopyText(name.c_str(), text);
    return true;
}

bool CBK_QuicktimeMovie::GetImageCodecString(wchar_t* text) {
    tbx::ImageDescription description;
    if (!GetImageDescription(description) || description.name[0] == 0) {
        std::wcscpy(text, L"N/A");
        return false;
    }
    std::string name(reinterpret_cast<const char*>(description.name + 1), description.name[0]);
    CopyText(name.c_str(), text);
    return true;
}

bool CBK_QuicktimeMovie::GetDurationString(wchar_t* text) {
    const int32_t scale = GetTimeScale();
    const double seconds = scale > 0 ? double(GetTotalSamples()) / scale : 0.0;
    const uint32_t ms = uint32_t(std::clamp(seconds * 1000.0, 0.0, 4294967295.0));
    // Hundredths rounded to the nearest; 995 ms and more carry into the next second.
    const uint32_t hundredths = uint32_t(ms / 10.0 + 0.5);
    const uint32_t totalSeconds = hundredths / 100;
    std::swprintf(text, 32, L"00:%02u:%02u.%02u", totalSeconds / 60, totalSeconds % 60,
                  hundredths % 100);
    return true;
}
