// CBK_JpegHelper: splits a JPEG byte stream into its marker sections and rebuilds a lean
// JPEG from those that a decoder needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CBK_JpegHelper {
public:
    enum : uint32_t {
        M_SOF0 = 0xC0,
        M_DHT = 0xC4,
        M_SOI = 0xD8,
        M_EOI = 0xD9,
        M_SOS = 0xDA,
        M_DQT = 0xDB,
        M_DRI = 0xDD,
        M_JFIF = 0xE0,
        M_EXIF = 0xE1,
        M_ADOBE = 0xEE,
        M_COM = 0xFE,
        PSEUDO_IMAGE_DATA = 0x123, // the entropy-coded data behind the scan header
    };

    enum ReadMode_t : uint32_t {
        READ_METADATA = 1,
        READ_IMAGE = 2,
        READ_ALL = 3,
    };

    struct Section {
        std::vector<uint8_t> Data; // from the two length bytes on (image data: the bytes alone)
        uint32_t Type = 0;
        uint32_t Size = 0;
    };

    static constexpr std::size_t kMaxSections = 100;
    static constexpr std::size_t kMaxComment = 2000;

    // A new array (delete[] by the caller) holding start-of-image, a JFIF header when the
    // picture has none, the tables, frame and scan headers and the image data, without
    // comments, Exif or other application sections. Null for a stream that does not parse
    // through its scan header. The size goes to outSize when given.
    uint8_t* StripJpeg(const uint8_t* bytes, std::size_t size, std::size_t* outSize);

    // Fills the section list; false for a malformed stream (no start-of-image, too many
    // sections, too much fill, a length that is too short or runs past the data, a frame
    // header too short for its fields, an end-of-image before the scan).
    bool ReadJpegSections(const uint8_t* bytes, std::size_t size, ReadMode_t mode);

    bool RemoveSectionType(uint32_t type);
    bool RemoveUnknownSections();
    void DiscardData();
    void ResetJpegFile();

    static uint32_t Get16m(const uint8_t* p) { return (uint32_t(p[0]) << 8) | p[1]; }

    const std::vector<Section>& GetSections() const { return _sections; }
    bool IsComplete() const { return _complete; }
    int32_t GetWidth() const { return _width; }
    int32_t GetHeight() const { return _height; }
    bool IsColor() const { return _isColor; }
    uint32_t GetProcess() const { return _process; }
    const std::string& GetComment() const { return _comment; }

private:
    void process_COM(const Section& section);
    void process_SOFn(const Section& section, uint32_t marker);
    void process_EXIF(const Section&) {}
    void ClearImageInfo();

    int32_t _width = 0;
    int32_t _height = 0;
    bool _isColor = false;
    uint32_t _process = 0;
    std::string _comment;
    std::vector<Section> _sections;
    bool _complete = false;
};
