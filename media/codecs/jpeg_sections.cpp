#include "media/codecs/jpeg_sections.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// The JFIF header written when a picture lacks one: version 1.1, 300 dots per inch, no
// thumbnail.
const uint8_t JfifHead[18] = {0xFF, 0xE0, 0x00, 0x10, 'J',  'F',  'I',  'F',  0x00,
                              0x01, 0x01, 0x01, 0x01, 0x2C, 0x01, 0x2C, 0x00, 0x00};

bool IsFrameMarker(uint32_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool IsKnown(uint32_t type) {
    // Frame headers and the Huffman tables (0xC4).
    if (type >= 0xC0 && type <= 0xCF && type != 0xC8 && type != 0xCC)
        return true;
    switch (type) {
    case CBK_JpegHelper::M_SOI:
    case CBK_JpegHelper::M_EOI:
    case CBK_JpegHelper::M_SOS:
    case CBK_JpegHelper::M_DQT:
    case CBK_JpegHelper::M_DRI:
    case CBK_JpegHelper::M_JFIF:
    case CBK_JpegHelper::M_EXIF:
    case CBK_JpegHelper::M_COM:
    // The Adobe section says how the components are coded (RGB, YCbCr, YCCK); without it a
    // decoder may take RGB data for YCbCr.
    case CBK_JpegHelper::M_ADOBE:
        return true;
    default:
        return false;
    }
}

} // namespace

void CBK_JpegHelper::ClearImageInfo() {
    _width = 0;
    _height = 0;
    _isColor = false;
    _process = 0;
    _comment.clear();
}

void CBK_JpegHelper::DiscardData() {
    _sections.clear();
    _sections.shrink_to_fit();
    _complete = false;
    ClearImageInfo();
}

void CBK_JpegHelper::ResetJpegFile() {
    _sections.clear();
    _complete = false;
}

void CBK_JpegHelper::process_COM(const Section& section) {
    const std::size_t end = std::min<std::size_t>(section.Size, kMaxComment);
    _comment.clear();
    for (std::size_t i = 2; i < end; ++i) {
        const uint8_t c = section.Data[i];
        if (c == '\r' && i + 1 < end && section.Data[i + 1] == '\n')
            continue;
        if (c < 32 && c != '\n' && c != '\t')
            _comment.push_back('?');
        else
            _comment.push_back(char(c));
    }
}

void CBK_JpegHelper::process_SOFn(const Section& section, uint32_t marker) {
    _height = int32_t(Get16m(&section.Data[3]));
    _width = int32_t(Get16m(&section.Data[5]));
    _isColor = section.Data[7] == 3;
    _process = marker;
}

bool CBK_JpegHelper::ReadJpegSections(const uint8_t* bytes, std::size_t size, ReadMode_t mode) {
    if (!bytes || size < 2 || bytes[0] != 0xFF || bytes[1] != M_SOI)
        return false;
    std::size_t pos = 2;
    bool haveComment = false;
    for (;;) {
        if (_sections.size() >= kMaxSections)
            return false;
        uint32_t marker = 0;
        for (int fills = 0;;) {
            if (pos >= size)
                return false;
            marker = bytes[pos++];
            if (marker != 0xFF)
                break;
            if (++fills >= 7)
                return false;
        }
        if (marker == M_EOI)
            return false; // no image before the end
        if (size - pos < 2)
            return false;
        const std::size_t length = Get16m(bytes + pos);
        if (length < 2 || length > size - pos)
            return false;
        Section section;
        section.Type = marker;
        section.Size = uint32_t(length);
        section.Data.assign(bytes + pos, bytes + pos + length);
        pos += length;

        if (IsFrameMarker(marker)) {
            if (length < 8)
                return false;
            process_SOFn(section, marker);
        }
        switch (marker) {
        case M_SOS:
            _sections.push_back(std::move(section));
            break;
        case M_JFIF:
            continue; // a fresh one is written when needed
        case M_EXIF:
            if ((mode & READ_METADATA) && length >= 6 &&
                std::memcmp(&section.Data[2], "Exif", 4) == 0) {
                process_EXIF(section);
                _sections.push_back(std::move(section));
            }
            continue;
        case M_COM:
            if ((mode & READ_METADATA) && !haveComment) {
                haveComment = true;
                process_COM(section);
                _sections.push_back(std::move(section));
            }
            continue;
        default:
            _sections.push_back(std::move(section));
            continue;
        }
        break; // after the scan header
    }

    if (!(mode & READ_IMAGE))
        return true;
    if (pos >= size)
        return false;
    Section data;
    data.Type = PSEUDO_IMAGE_DATA;
    data.Size = uint32_t(size - pos);
    data.Data.assign(bytes + pos, bytes + size);
    _sections.push_back(std::move(data));
    _complete = true;
    return true;
}

bool CBK_JpegHelper::RemoveSectionType(uint32_t type) {
    for (std::size_t i = 0; i + 1 < _sections.size(); ++i)
        if (_sections[i].Type == type) {
            _sections.erase(_sections.begin() + long(i));
            return true;
        }
    return false;
}

bool CBK_JpegHelper::RemoveUnknownSections() {
    bool removed = false;
    for (std::size_t i = 0; i + 1 < _sections.size();) {
        if (!IsKnown(_sections[i].Type)) {
            _sections.erase(_sections.begin() + long(i));
            removed = true;
        } else {
            ++i;
        }
    }
    return removed;
}

uint8_t* CBK_JpegHelper::StripJpeg(const uint8_t* bytes, std::size_t size, std::size_t* outSize) {
    DiscardData();
    ReadJpegSections(bytes, size, READ_ALL);
    RemoveSectionType(M_COM);
    RemoveSectionType(M_EXIF);
    RemoveUnknownSections();
    if (!_complete || _sections.size() < 2) {
        DiscardData();
        return nullptr;
    }

    bool adobe = false;
    for (const Section& s : _sections)
        adobe = adobe || s.Type == M_ADOBE;
    const uint32_t firstType = _sections.front().Type;
    const bool jfif = firstType != M_JFIF && firstType != M_EXIF && !adobe;
    std::size_t total = jfif ? 20 : 2;
    for (std::size_t i = 0; i + 1 < _sections.size(); ++i)
        total += _sections[i].Size + 2;
    total += _sections.back().Size;

    uint8_t* out = new (std::nothrow) uint8_t[total];
    if (!out) {
        DiscardData();
        return nullptr;
    }
    uint8_t* p = out;
    *p++ = 0xFF;
    *p++ = M_SOI;
    if (jfif) {
        std::memcpy(p, JfifHead, sizeof JfifHead);
        p += sizeof JfifHead;
    }
    for (std::size_t i = 0; i + 1 < _sections.size(); ++i) {
        *p++ = 0xFF;
        *p++ = uint8_t(_sections[i].Type);
        std::memcpy(p, _sections[i].Data.data(), _sections[i].Size);
        p += _sections[i].Size;
    }
    std::memcpy(p, _sections.back().Data.data(), _sections.back().Size);
    if (outSize)
        *outSize = total;
    DiscardData();
    return out;
}
