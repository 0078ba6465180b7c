#include "platform/movie/export_settings.h"

#include <algorithm>
#include <cmath>

#include "platform/memory.h"

namespace tbx {

namespace {

constexpr OSType kVideo = FourCC("vide");
constexpr OSType kSpatial = FourCC("sptl");
constexpr OSType kTemporal = FourCC("tprl");
constexpr OSType kWidth = FourCC("wdth");
constexpr OSType kHeight = FourCC("hegt");
constexpr OSType kSound = FourCC("enso");

// The size of spatial settings stored with a 16-bit depth.
constexpr std::size_t kShortSpatial = 14;

uint32_t Get32(const std::vector<uint8_t>& data, std::size_t at) {
    return uint32_t(data[at]) << 24 | uint32_t(data[at + 1]) << 16 | uint32_t(data[at + 2]) << 8 |
           data[at + 3];
}

std::vector<uint8_t> Words(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> data;
    for (uint32_t word : words)
        for (int shift = 24; shift >= 0; shift -= 8)
            data.push_back(uint8_t(word >> shift));
    return data;
}

uint32_t ToFixed(double value) {
    return uint32_t(int32_t(std::lround(std::clamp(value, -32768.0, 32767.0) * 65536.0)));
}

double FromFixed(uint32_t value) {
    return int32_t(value) / 65536.0;
}

// Replaces (or adds) the child of that type.
void Put(QTAtomNode& parent, OSType type, std::vector<uint8_t> data) {
    parent.Remove(type);
    parent.Insert(type, std::move(data));
}

} // namespace

void ReadMovieExportSettings(QTAtomNode& root, MovieExportSettings& settings) {
    if (QTAtomNode* video = root.Find(kVideo)) {
        if (QTAtomNode* spatial = video->Find(kSpatial); spatial && spatial->data.size() >= 4) {
            settings.codec = Get32(spatial->data, 0);
            if (spatial->data.size() >= 16)
                settings.quality = SInt32(Get32(spatial->data, 12));
            else if (spatial->data.size() == kShortSpatial)
                settings.quality = SInt32(Get32(spatial->data, 10));
        }
        if (QTAtomNode* temporal = video->Find(kTemporal);
            temporal && temporal->data.size() >= 12) {
            settings.frameRate = FromFixed(Get32(temporal->data, 4));
            settings.keyFrameRate = SInt32(Get32(temporal->data, 8));
        }
        if (QTAtomNode* width = video->Find(kWidth); width && width->data.size() >= 4)
            settings.width = SInt32(Get32(width->data, 0)) >> 16;
        if (QTAtomNode* height = video->Find(kHeight); height && height->data.size() >= 4)
            settings.height = SInt32(Get32(height->data, 0)) >> 16;
    }
    if (QTAtomNode* sound = root.Find(kSound); sound && !sound->data.empty())
        settings.sound = sound->data[0] != 0;
}

void WriteMovieExportSettings(const MovieExportSettings& settings, QTAtomNode& root) {
    QTAtomNode* video = root.Find(kVideo);
    if (!video)
        video = &root.Insert(kVideo);
    Put(*video, kSpatial, Words({settings.codec, 0, 24, uint32_t(settings.quality)}));
    Put(*video, kTemporal,
        Words({uint32_t(settings.quality), ToFixed(settings.frameRate),
               uint32_t(settings.keyFrameRate)}));
    Put(*video, kWidth, Words({ToFixed(settings.width)}));
    Put(*video, kHeight, Words({ToFixed(settings.height)}));
    Put(root, kSound, {uint8_t(settings.sound ? 1 : 0)});
}

bool ReadMovieExportSettings(QTAtomContainer container, MovieExportSettings& settings) {
    QTAtomNode root;
    if (!ReadAtomContainer(container, root))
        return false;
    ReadMovieExportSettings(root, settings);
    return true;
}

bool WriteMovieExportSettings(const MovieExportSettings& settings, QTAtomContainer container) {
    QTAtomNode root;
    // A new, empty container holds no atoms yet.
    if (!ReadAtomContainer(container, root) && (!container || GetHandleSize(container) != 0))
        return false;
    WriteMovieExportSettings(settings, root);
    return WriteAtomContainer(root, container);
}

} // namespace tbx
