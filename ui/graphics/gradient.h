// CBK_Gradient: a colour ramp of stops sorted by position on a 0..1 axis, drawn linearly at an
// angle or radially around a centre into 32-bit pixels (bytes alpha, red, green, blue).
// Colours are 0x00BBGGRR.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/quickdraw/qd_types.h"

class CBK_Gradient {
public:
    struct tagGRADIENT_RECORD {
        float fPosition = 0.0f;
        uint32_t nColor = 0;
    };
    using GRADIENT_RECORD = tagGRADIENT_RECORD;

    // Black at 0, white at 1.
    CBK_Gradient();
    CBK_Gradient(const CBK_Gradient& other);
    CBK_Gradient& operator=(const CBK_Gradient& other);
    ~CBK_Gradient();

    // Replaces every stop by (0, colour1) and (1, colour2); the second stop.
    GRADIENT_RECORD* Create(uint32_t color1, uint32_t color2);
    // Recolours a stop at exactly that position, else adds one.
    GRADIENT_RECORD* AddRecord(float position, uint32_t color);
    // A stop coloured as the ramp is at that position.
    GRADIENT_RECORD* AddRecord(float position);
    // Keeps at least two stops; the stop before the removed one, else the first stop.
    GRADIENT_RECORD* RemoveRecord(GRADIENT_RECORD* record);
    void Destroy();
    void Update();

    std::size_t GetRecordCount() const { return m_Records.size(); }
    GRADIENT_RECORD* GetRecord(std::size_t index) const;
    bool Contains(const GRADIENT_RECORD* record) const;
    uint8_t GetType() const { return m_nType; }
    void SetType(uint8_t type) { m_nType = type; }

    // Radial around the centre when the type is 0 and `linear` is false, else linear at 0°.
    void Draw(unsigned char* buffer, int32_t rowBytes, const tbx::Rect& rect, bool linear);
    // The same inside the world's bounds.
    void Draw(tbx::GWorldPtr world, const tbx::Rect& rect, bool linear);
    void DrawLinear(unsigned char* buffer, int32_t rowBytes, const tbx::Rect& rect, double angle,
                    double scale, int32_t offsetX, int32_t offsetY);
    void DrawRadial(unsigned char* buffer, int32_t rowBytes, const tbx::Rect& rect, int32_t cx,
                    int32_t cy, double scale);

    // The ramp of `length` entries (0x00BBGGRR), as both drawings use it.
    std::vector<uint32_t> BuildRamp(int32_t length) const;

private:
    std::vector<std::unique_ptr<GRADIENT_RECORD>> m_Records;
    // Radial by default: the preview square shows a radial ramp until the type is changed.
    uint8_t m_nType = 0;
};

bool CBK_GradientRecordsSortAscending(const CBK_Gradient::GRADIENT_RECORD* a,
                                      const CBK_Gradient::GRADIENT_RECORD* b);
