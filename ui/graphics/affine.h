// CBK_Affine: a 2-D affine transform in single-precision floats, built by composition and by
// mapping triangles. A point (x, y) maps to (x m11 + y m21 + dx, x m12 + y m22 + dy); every
// composing operation applies after the current transform.
#pragma once

#include <cstdint>

#include "platform/quickdraw/qd_types.h"

struct BK_XFORM {
    float m11 = 1.0f, m12 = 0.0f, m21 = 0.0f, m22 = 1.0f, dx = 0.0f, dy = 0.0f;
};

class CBK_Affine {
public:
    void Reset();
    // Each refuses (false, nothing changed) a singular argument or result.
    bool SetTransform(const BK_XFORM& transform);
    bool Combine(const BK_XFORM& transform);
    bool Invert();
    bool Translate(float tx, float ty);
    // Scales the output: x by sx and y by sy; refused when either is 0.
    bool Scale(float sx, float sy);
    // Degrees about (cx, cy).
    bool Rotate(float angle, float cx, float cy);
    // Maps (0, 0), (1, 0), (0, 1) onto the three points; false when they are on one line.
    bool MapTri(float x0, float y0, float x1, float y1, float x2, float y2);
    // Maps the source triangle onto the destination triangle.
    bool MapTri(float sx0, float sy0, float sx1, float sy1, float sx2, float sy2, float dx0,
                float dy0, float dx1, float dy1, float dx2, float dy2);
    static void MinMax(int32_t a, int32_t b, int32_t c, int32_t d, int32_t& min, int32_t& max);

    const BK_XFORM& GetTransform() const { return m_xf; }
    static bool IsSingular(const BK_XFORM& t) { return t.m11 * t.m22 == t.m21 * t.m12; }

protected:
    BK_XFORM m_xf;
};

// An affine map with the corners of its target triangle and clamping ranges. The ranges start
// unbounded (the whole 32-bit range) and only narrow.
class CBK_ReverseAffine : public CBK_Affine {
public:
    explicit CBK_ReverseAffine(const tbx::Point points[3]);

    void ClampX(int32_t lo, int32_t hi);
    void ClampY(int32_t lo, int32_t hi);
    int32_t GetPointX(int index) const { return m_nPoints[index][0]; }
    int32_t GetPointY(int index) const { return m_nPoints[index][1]; }
    int32_t GetMinX() const { return m_nMinX; }
    int32_t GetMaxX() const { return m_nMaxX; }
    int32_t GetMinY() const { return m_nMinY; }
    int32_t GetMaxY() const { return m_nMaxY; }

private:
    int32_t m_nPoints[3][2] = {};
    int32_t m_nMinX = INT32_MIN, m_nMaxX = INT32_MAX;
    int32_t m_nMinY = INT32_MIN, m_nMaxY = INT32_MAX;
};
