#include "ui/graphics/gradient.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/math/geometry.h"
#include "platform/quickdraw/offscreen.h"

namespace {

int Channel(uint32_t color, int index) {
    return int((color >> (8 * index)) & 0xFF);
}

// A position on a ramp of `length` entries, held to 0..length so that stops outside 0..1
// (which AddRecord accepts) never address entries outside the ramp.
int32_t RampIndex(int32_t length, float position) {
    const float p = float(length) * position + 0.5f;
    if (!(p > 0.0f))
        return 0;
    if (p >= float(length))
        return length;
    return int32_t(p);
}

void Fill(std::vector<uint32_t>& ramp, int32_t from, int32_t to, uint32_t color) {
    from = std::clamp(from, 0, int32_t(ramp.size()));
    to = std::clamp(to, from, int32_t(ramp.size()));
    std::fill(ramp.begin() + from, ramp.begin() + to, color);
}

void PutPixel(unsigned char* p, uint32_t color) {
    p[0] = 255;
    p[1] = uint8_t(color);
    p[2] = uint8_t(color >> 8);
    p[3] = uint8_t(color >> 16);
}

} // namespace

bool CBK_GradientRecordsSortAscending(const CBK_Gradient::GRADIENT_RECORD* a,
                                      const CBK_Gradient::GRADIENT_RECORD* b) {
    return a->fPosition < b->fPosition;
}

CBK_Gradient::CBK_Gradient() {
    Create(0x000000, 0xFFFFFF);
}

CBK_Gradient::CBK_Gradient(const CBK_Gradient& other) {
    *this = other;
}

CBK_Gradient& CBK_Gradient::operator=(const CBK_Gradient& other) {
    if (this == &other)
        return *this;
    Destroy();
    m_nType = other.m_nType;
    for (const auto& record : other.m_Records)
        AddRecord(record->fPosition, record->nColor);
    return *this;
}

CBK_Gradient::~CBK_Gradient() {
    Destroy();
}

CBK_Gradient::GRADIENT_RECORD* CBK_Gradient::Create(uint32_t color1, uint32_t color2) {
    Destroy();
    AddRecord(0.0f, color1);
    return AddRecord(1.0f, color2);
}

CBK_Gradient::GRADIENT_RECORD* CBK_Gradient::AddRecord(float position, uint32_t color) {
    for (const auto& record : m_Records)
        if (record->fPosition == position) {
            record->nColor = color;
            return record.get();
        }
    m_Records.push_back(std::make_unique<GRADIENT_RECORD>(GRADIENT_RECORD{position, color}));
    GRADIENT_RECORD* added = m_Records.back().get();
    Update();
    return added;
}

CBK_Gradient::GRADIENT_RECORD* CBK_Gradient::AddRecord(float position) {
    uint32_t color = 0;
    if (!m_Records.empty()) {
        const GRADIENT_RECORD& first = *m_Records.front();
        const GRADIENT_RECORD& last = *m_Records.back();
        if (first.fPosition >= position)
            color = first.nColor;
        else if (position >= last.fPosition)
            color = last.nColor;
        else {
            std::size_t s = 1;
            while (m_Records[s]->fPosition < position)
                ++s;
            const GRADIENT_RECORD& a = *m_Records[s - 1];
            const GRADIENT_RECORD& b = *m_Records[s];
            int d[3], n = 0;
            for (int c = 0; c < 3; ++c) {
                d[c] = Channel(b.nColor, c) - Channel(a.nColor, c);
                n = std::max(n, std::abs(d[c]));
            }
            color = a.nColor;
            if (n > 0) {
                const float k = (position - a.fPosition) / (b.fPosition - a.fPosition) * float(n);
                color = 0;
                for (int c = 0; c < 3; ++c) {
                    const int value = Channel(a.nColor, c) + int(float(d[c]) / float(n) * k);
                    color |= uint32_t(value & 0xFF) << (8 * c);
                }
            }
        }
    }
    m_Records.push_back(std::make_unique<GRADIENT_RECORD>(GRADIENT_RECORD{position, color}));
    GRADIENT_RECORD* added = m_Records.back().get();
    Update();
    return added;
}

CBK_Gradient::GRADIENT_RECORD* CBK_Gradient::RemoveRecord(GRADIENT_RECORD* record) {
    GRADIENT_RECORD* first = m_Records.empty() ? nullptr : m_Records.front().get();
    if (m_Records.size() <= 2)
        return first;
    for (std::size_t i = 0; i < m_Records.size(); ++i)
        if (m_Records[i].get() == record) {
            m_Records.erase(m_Records.begin() + std::ptrdiff_t(i));
            return m_Records[i == 0 ? 0 : i - 1].get();
        }
    return first;
}

void CBK_Gradient::Destroy() {
    m_Records.clear();
}

void CBK_Gradient::Update() {
    std::sort(m_Records.begin(), m_Records.end(), [](const auto& a, const auto& b) {
        return CBK_GradientRecordsSortAscending(a.get(), b.get());
    });
}

CBK_Gradient::GRADIENT_RECORD* CBK_Gradient::GetRecord(std::size_t index) const {
    return index < m_Records.size() ? m_Records[index].get() : nullptr;
}

bool CBK_Gradient::Contains(const GRADIENT_RECORD* record) const {
    return std::any_of(m_Records.begin(), m_Records.end(),
                       [record](const auto& r) { return r.get() == record; });
}

std::vector<uint32_t> CBK_Gradient::BuildRamp(int32_t length) const {
    std::vector<uint32_t> ramp(std::size_t(std::max(length, 0)));
    if (ramp.empty() || m_Records.empty())
        return ramp;
    int32_t p0 = RampIndex(length, m_Records.front()->fPosition);
    Fill(ramp, 0, p0, m_Records.front()->nColor);
    for (std::size_t s = 1; s < m_Records.size(); ++s) {
        const GRADIENT_RECORD& a = *m_Records[s - 1];
        const GRADIENT_RECORD& b = *m_Records[s];
        const int32_t p1 = RampIndex(length, b.fPosition);
        int d[3], n = 0;
        for (int c = 0; c < 3; ++c) {
            d[c] = Channel(b.nColor, c) - Channel(a.nColor, c);
            n = std::max(n, std::abs(d[c]));
        }
        if (n < 1) {
            Fill(ramp, p0, p1, a.nColor);
        } else {
            // n + 1 colour steps, so that the span ends on b's colour.
            const float step = float(p1 - p0) / float(n + 1);
            for (int k = 0; k <= n; ++k) {
                uint32_t color = 0;
                for (int c = 0; c < 3; ++c)
                    color |= uint32_t(float(Channel(a.nColor, c)) + float(d[c] * k) / float(n))
                             << (8 * c);
                int32_t from = p0 + int32_t(step * float(k) + 0.5f);
                if (k == n && p1 > p0) // a span shorter than its steps still ends on b's colour
                    from = std::min(from, p1 - 1);
                Fill(ramp, from, p0 + int32_t(step * float(k + 1) + 0.5f), color);
            }
        }
        p0 = p1;
    }
    Fill(ramp, p0, length, m_Records.back()->nColor);
    return ramp;
}

void CBK_Gradient::Draw(unsigned char* buffer, int32_t rowBytes, const tbx::Rect& rect,
                        bool linear) {
    const int32_t width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (m_nType == 0 && !linear)
        DrawRadial(buffer, rowBytes, rect, width / 2, height / 2, 0.5);
    else
        DrawLinear(buffer, rowBytes, rect, 0.0, 1.0, 0, 0);
}

void CBK_Gradient::Draw(tbx::GWorldPtr world, const tbx::Rect& rect, bool linear) {
    tbx::PixMapHandle pixels = tbx::GetGWorldPixMap(world);
    if (!pixels || tbx::GetPixDepth(pixels) != 32)
        return;
    tbx::Rect bounds;
    tbx::GetPixBounds(pixels, &bounds);
    tbx::Rect inside = rect;
    inside.left = std::max(inside.left, bounds.left);
    inside.top = std::max(inside.top, bounds.top);
    inside.right = std::min(inside.right, bounds.right);
    inside.bottom = std::min(inside.bottom, bounds.bottom);
    if (inside.right <= inside.left || inside.bottom <= inside.top)
        return;
    tbx::LockPixels(pixels);
    auto* base = reinterpret_cast<unsigned char*>(tbx::GetPixBaseAddr(pixels));
    // Addresses are relative to the map's top-left corner.
    const int32_t rowBytes = tbx::GetPixRowBytes(pixels);
    base -= rowBytes * bounds.top + 4 * bounds.left;
    Draw(base, rowBytes, inside, linear);
    tbx::UnlockPixels(pixels);
}

void CBK_Gradient::DrawLinear(unsigned char* buffer, int32_t rowBytes, const tbx::Rect& rect,
                              double angle, double scale, int32_t offsetX, int32_t offsetY) {
    const int32_t length =
        int32_t(std::clamp(double(rect.right - rect.left) * scale, 0.0, 65536.0));
    const std::vector<uint32_t> ramp = BuildRamp(length);
    if (ramp.empty() || !buffer)
        return;
    const double ox = rect.left + offsetX, oy = rect.top + offsetY;
    const double t = std::tan(-(angle + 90.0) * 0.017453292519943295);
    const double qx = ox + 100.0, qy = oy - 100.0 * t;
    unsigned char* row = buffer + std::ptrdiff_t(rowBytes) * rect.top + 4 * rect.left;
    for (int32_t y = rect.top; y < rect.bottom; ++y, row += rowBytes) {
        for (int32_t x = rect.left; x < rect.right; ++x) {
            const double d = BK_DistanceBetweenPointAndLine(x, y, ox, oy, qx, qy);
            double i = std::trunc(-(d + 0.5));
            if (angle > 0)
                i = -i;
            const int32_t index = i >= length ? length - 1 : i < 0 ? 0 : int32_t(i);
            PutPixel(row + 4 * (x - rect.left), ramp[std::size_t(index)]);
        }
    }
}

void CBK_Gradient::DrawRadial(unsigned char* buffer, int32_t rowBytes, const tbx::Rect& rect,
                              int32_t cx, int32_t cy, double scale) {
    const int32_t length =
        int32_t(std::clamp(double(rect.right - rect.left) * scale, 0.0, 65536.0));
    // Nothing to draw on an empty ramp; its end entries do not exist.
    if (length <= 0 || !buffer || m_Records.empty())
        return;
    std::vector<uint32_t> ramp = BuildRamp(length);
    ramp.front() = m_Records.front()->nColor;
    ramp.back() = m_Records.back()->nColor;
    const int32_t mx = rect.left + cx, my = rect.top + cy;
    unsigned char* row = buffer + std::ptrdiff_t(rowBytes) * rect.top + 4 * rect.left;
    for (int32_t y = rect.top; y < rect.bottom; ++y, row += rowBytes) {
        for (int32_t x = rect.left; x < rect.right; ++x) {
            const double dx = mx - x, dy = my - y;
            const int64_t i = int64_t(std::sqrt(float(dx * dx + dy * dy)) + 0.5);
            const int32_t index = i >= length ? length - 1 : int32_t(i);
            PutPixel(row + 4 * (x - rect.left), ramp[std::size_t(index)]);
        }
    }
}
