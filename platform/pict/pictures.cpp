#include "platform/pict/pictures.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "platform/memory.h"
#include "platform/pict/pict_decode.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/offscreen.h"
#include "platform/resources/resource_files.h"

namespace tbx {

struct OpaquePicture {
    Rect frame;
    CGrafPtr port = nullptr; // while recording
    std::vector<uint32_t> pixels;
};

namespace {

struct Pictures {
    std::map<PicHandle, std::unique_ptr<OpaquePicture>> live;
    PicHandle open = nullptr;
};

Pictures& ThePictures() {
    static Pictures pictures;
    return pictures;
}

OpaquePicture* Live(PicHandle picture) {
    auto& live = ThePictures().live;
    auto found = live.find(picture);
    return found == live.end() ? nullptr : found->second.get();
}

} // namespace

PicHandle OpenCPicture(const OpenCPicParams* params) {
    Pictures& pictures = ThePictures();
    CGrafPtr port = nullptr;
    GetGWorld(&port, nullptr);
    if (!params || pictures.open || !port || GetPixDepth(GetGWorldPixMap(port)) != 32)
        return nullptr;
    auto picture = std::make_unique<OpaquePicture>();
    picture->frame = params->srcRect;
    picture->port = port;
    PicHandle handle = picture.get();
    pictures.live[handle] = std::move(picture);
    pictures.open = handle;
    return handle;
}

void ClosePicture() {
    Pictures& pictures = ThePictures();
    OpaquePicture* picture = Live(pictures.open);
    pictures.open = nullptr;
    if (!picture)
        return;
    const Rect& f = picture->frame;
    const int width = std::max(0, f.right - f.left), height = std::max(0, f.bottom - f.top);
    picture->pixels.assign(std::size_t(width) * std::size_t(height), 0);
    PixMapHandle map = GetGWorldPixMap(picture->port);
    if (!map)
        return;
    Rect bounds;
    GetPixBounds(map, &bounds);
    const auto* base = reinterpret_cast<const UInt8*>(GetPixBaseAddr(map));
    const SInt32 rowBytes = GetPixRowBytes(map);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int px = f.left + x, py = f.top + y;
            if (px < bounds.left || py < bounds.top || px >= bounds.right || py >= bounds.bottom)
                continue;
            const UInt8* p =
                base + std::ptrdiff_t(py - bounds.top) * rowBytes + 4 * (px - bounds.left);
            picture->pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] =
                uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
        }
    picture->port = nullptr;
}

void KillPicture(PicHandle picture) {
    Pictures& pictures = ThePictures();
    if (pictures.open == picture)
        pictures.open = nullptr;
    pictures.live.erase(picture);
}

PicHandle GetPicture(SInt16 id) {
    Handle resource = GetResource(FourCC("PICT"), id);
    if (!resource)
        return nullptr;
    DecodedPicture decoded;
    const bool read = DecodePicture(reinterpret_cast<const uint8_t*>(*resource),
                                    GetHandleSize(resource), decoded);
    ReleaseResource(resource);
    if (!read)
        return nullptr;
    auto picture = std::make_unique<OpaquePicture>();
    picture->frame = decoded.frame;
    picture->pixels = std::move(decoded.pixels);
    PicHandle handle = picture.get();
    ThePictures().live[handle] = std::move(picture);
    return handle;
}

void DrawPicture(PicHandle handle, const Rect* destination) {
    const OpaquePicture* picture = Live(handle);
    if (!picture || !destination || picture->port || picture->pixels.empty())
        return;
    const Rect& f = picture->frame;
    const int sw = f.right - f.left, sh = f.bottom - f.top;
    const int dw = destination->right - destination->left;
    const int dh = destination->bottom - destination->top;
    if (dw <= 0 || dh <= 0)
        return;
    for (int y = 0; y < dh; ++y)
        for (int x = 0; x < dw; ++x) {
            const uint32_t argb =
                picture->pixels[std::size_t(int64_t(y) * sh / dh) * std::size_t(sw) +
                                std::size_t(int64_t(x) * sw / dw)];
            auto wide = [](uint32_t byte) { return UInt16((byte & 0xFF) * 257); };
            const RGBColor color{wide(argb >> 16), wide(argb >> 8), wide(argb)};
            SetCPixel(SInt16(destination->left + x), SInt16(destination->top + y), &color);
        }
}

bool QDGetPictureBounds(PicHandle picture, Rect* frame) {
    return frame && test::PictureFrame(picture, *frame);
}

Boolean IsValidPicture(PicHandle picture) {
    return Live(picture) != nullptr;
}

namespace test {

bool PictureFrame(PicHandle picture, Rect& frame) {
    const OpaquePicture* p = Live(picture);
    if (!p)
        return false;
    frame = p->frame;
    return true;
}

uint32_t PicturePixel(PicHandle picture, int x, int y) {
    const OpaquePicture* p = Live(picture);
    if (!p)
        return 0;
    const int width = p->frame.right - p->frame.left, height = p->frame.bottom - p->frame.top;
    if (x < 0 || y < 0 || x >= width || y >= height || p->pixels.empty())
        return 0;
    return p->pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
}

int LivePictures() {
    return int(ThePictures().live.size());
}

} // namespace test

} // namespace tbx
