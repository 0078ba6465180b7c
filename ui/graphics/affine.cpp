#include "ui/graphics/affine.h"

#include <algorithm>
#include <cmath>

void CBK_Affine::Reset() {
    m_xf = BK_XFORM{};
}

bool CBK_Affine::SetTransform(const BK_XFORM& transform) {
    if (IsSingular(transform))
        return false;
    m_xf = transform;
    return true;
}

bool CBK_Affine::Combine(const BK_XFORM& t) {
    if (IsSingular(t))
        return false;
    const BK_XFORM a = m_xf;
    m_xf.m11 = t.m11 * a.m11 + t.m21 * a.m12;
    m_xf.m12 = a.m11 * t.m12 + a.m12 * t.m22;
    m_xf.m21 = a.m21 * t.m11 + a.m22 * t.m21;
    m_xf.m22 = a.m21 * t.m12 + a.m22 * t.m22;
    m_xf.dx = a.dx * t.m11 + a.dy * t.m21 + t.dx;
    m_xf.dy = a.dx * t.m12 + a.dy * t.m22 + t.dy;
    return true;
}

bool CBK_Affine::Invert() {
    const BK_XFORM a = m_xf;
    const float det = a.m11 * a.m22 - a.m21 * a.m12;
    if (det == 0.0f)
        return false;
    m_xf.m11 = a.m22 / det;
    m_xf.m12 = -a.m12 / det;
    m_xf.m21 = -a.m21 / det;
    m_xf.m22 = a.m11 / det;
    m_xf.dx = -(a.dx * m_xf.m11 + a.dy * m_xf.m21);
    m_xf.dy = -(a.dx * m_xf.m12 + a.dy * m_xf.m22);
    return true;
}

bool CBK_Affine::Translate(float tx, float ty) {
    m_xf.dx += tx;
    m_xf.dy += ty;
    return true;
}

bool CBK_Affine::Scale(float sx, float sy) {
    if (sx == 0.0f || sy == 0.0f)
        return false;
    // Output scaling, like the other composing operations: after the current transform.
    m_xf.m11 *= sx;
    m_xf.m21 *= sx;
    m_xf.dx *= sx;
    m_xf.m12 *= sy;
    m_xf.m22 *= sy;
    m_xf.dy *= sy;
    return true;
}

bool CBK_Affine::Rotate(float angle, float cx, float cy) {
    const float radians = angle * 0.017453292519944444f;
    const float c = std::cos(radians), s = std::sin(radians);
    m_xf.dx -= cx;
    m_xf.dy -= cy;
    Combine(BK_XFORM{c, s, -s, c, 0.0f, 0.0f});
    m_xf.dx += cx;
    m_xf.dy += cy;
    return true;
}

bool CBK_Affine::MapTri(float x0, float y0, float x1, float y1, float x2, float y2) {
    m_xf = BK_XFORM{x1 - x0, y1 - y0, x2 - x0, y2 - y0, x0, y0};
    return !IsSingular(m_xf);
}

bool CBK_Affine::MapTri(float sx0, float sy0, float sx1, float sy1, float sx2, float sy2, float dx0,
                        float dy0, float dx1, float dy1, float dx2, float dy2) {
    if (!MapTri(sx0, sy0, sx1, sy1, sx2, sy2) || !Invert())
        return false;
    CBK_Affine destination;
    if (!destination.MapTri(dx0, dy0, dx1, dy1, dx2, dy2))
        return false;
    return Combine(destination.m_xf);
}

void CBK_Affine::MinMax(int32_t a, int32_t b, int32_t c, int32_t d, int32_t& min, int32_t& max) {
    min = std::min({a, b, c, d});
    max = std::max({a, b, c, d});
}

CBK_ReverseAffine::CBK_ReverseAffine(const tbx::Point points[3]) {
    for (int i = 0; i < 3; ++i) {
        m_nPoints[i][0] = points[i].h;
        m_nPoints[i][1] = points[i].v;
    }
}

void CBK_ReverseAffine::ClampX(int32_t lo, int32_t hi) {
    m_nMinX = std::max(m_nMinX, lo);
    m_nMaxX = std::min(m_nMaxX, hi);
}

void CBK_ReverseAffine::ClampY(int32_t lo, int32_t hi) {
    m_nMinY = std::max(m_nMinY, lo);
    m_nMaxY = std::min(m_nMaxY, hi);
}
