// CBK_QuicktimeAtomParser: reads and writes the video part of a movie exporter's settings:
// frame size and frame rate, with the fixed sizes of the DV formats.
#pragma once

#include <cstdint>

#include "platform/movie/atom_container.h"

class CBK_QuicktimeAtomParser {
public:
    CBK_QuicktimeAtomParser() { Reset(); }

    // False for a null or empty container and when neither the video nor the DV settings
    // give a size.
    bool Parse(tbx::QTAtomContainer container);
    bool SetAtomData(tbx::QTAtomContainer container, int32_t width, int32_t height,
                     float frameRate);
    bool SetAtomDataDimensions(tbx::QTAtomContainer container, int32_t width, int32_t height);
    bool SetAtomDataFramerate(tbx::QTAtomContainer container, float frameRate);
    void Reset();

    int32_t GetWidth() const { return m_nWidth; }
    int32_t GetHeight() const { return m_nHeight; }
    float GetFrameRate() const { return m_fFrameRate; }
    bool IsDV() const { return m_bDV; }
    // Codec type, codec, depth and spatial quality of the last spatial settings read.
    const uint32_t* GetSpatialSettings() const { return m_nSpatial; }

private:
    // Writes the rate into the video settings (or the time settings); false on failure.
    static bool _SetRate(tbx::QTAtomNode& root, tbx::QTAtomNode& video, float frameRate);
    static void _SetSize(tbx::QTAtomNode& video, int32_t width, int32_t height);

    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
    float m_fFrameRate = 0;
    bool m_bDV = false;
    uint32_t m_nSpatial[4] = {};
};
