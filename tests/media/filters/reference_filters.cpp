#include "reference_filters.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

namespace reference {

uint8_t Picture::clamped(int x, int y, int c) const {
    x = std::clamp(x, 0, w - 1);
    y = std::clamp(y, 0, h - 1);
    return p[(size_t(y) * w + x) * 3 + c];
}

namespace {

struct Packet {
    uint8_t c[3];
};

// The block of columns × rows packets from (x, y), edges repeated.
std::vector<Packet> Block(const Picture& im, int x, int y, int columns, int rows) {
    std::vector<Packet> block;
    for (int r = 0; r < rows; ++r)
        for (int q = 0; q < columns; ++q)
            block.push_back({{im.clamped(x + q, y + r, 0), im.clamped(x + q, y + r, 1),
                              im.clamped(x + q, y + r, 2)}});
    return block;
}

int Intensity(const Packet& p) {
    return int(0.299 * p.c[0] + 0.587 * p.c[1] + 0.114 * p.c[2] + 0.5) & 0xFF;
}

bool Convolve(Picture& im, int order, std::vector<double> k) {
    if (order % 2 == 0 || order > im.w || order > im.h)
        return false;
    const Picture src = im;
    double s = 0;
    for (double v : k)
        s += v;
    if (std::fabs(std::trunc(s)) > 1e-12)
        for (double& v : k)
            v /= s;
    bool positive = true;
    for (double v : k)
        positive = positive && v > 0;
    for (int y = 0; y < im.h; ++y) {
        const std::vector<Packet> block =
            Block(src, -(order / 2), y - order / 2, im.w + order, order);
        for (int x = 0; x < im.w; ++x)
            for (int c = 0; c < 3; ++c) {
                double sum = 0;
                for (int r = 0; r < order; ++r)
                    for (int q = 0; q < order; ++q)
                        sum += k[size_t(r) * order + q] *
                               block[size_t(r) * (im.w + order) + x + q].c[c];
                int v;
                if (positive)
                    v = std::min(int(sum + 0.5), 255);
                else
                    v = sum < 0 ? 0 : sum > 255 ? 255 : int(sum + 0.5);
                im.at(x, y, c) = uint8_t(v);
            }
    }
    return true;
}

// One pass of the ring form of the stack blur along a line of `length` samples.
template <typename In, typename Out>
void RingPass(int length, int r, const std::vector<int>& table, In sample, Out store) {
    const int div = 2 * r + 1;
    std::vector<int> ring(static_cast<size_t>(div));
    int sum = 0, in = 0, out = 0;
    for (int i = -r; i <= r; ++i) {
        ring[i + r] = sample(i);
        sum += sample(i) * (r + 1 - std::abs(i));
        (i <= 0 ? out : in) += sample(i);
    }
    int pos = r;
    for (int x = 0; x < length; ++x) {
        store(x, table[sum]);
        sum -= out;
        int& leaving = ring[(pos - r + div) % div];
        out -= leaving;
        leaving = sample(std::min(x + r + 1, length - 1));
        in += leaving;
        sum += in;
        pos = (pos + 1) % div;
        in -= ring[pos];
        out += ring[pos];
    }
}

// The stack blur over `channels` interleaved channels: rows, then columns.
void RingStackBlur(std::vector<uint8_t>& data, int w, int h, int channels, int r) {
    if (r < 1)
        return;
    const int divsum = (r + 1) * (r + 1);
    std::vector<int> table(size_t(256) * divsum);
    for (size_t i = 0; i < table.size(); ++i)
        table[i] = int(i) / divsum;
    std::vector<int> plane(size_t(w) * h * channels);
    for (int c = 0; c < channels; ++c) {
        for (int y = 0; y < h; ++y)
            RingPass(
                w, r, table,
                [&](int x) {
                    return int(data[(size_t(y) * w + std::clamp(x, 0, w - 1)) * channels + c]);
                },
                [&](int x, int v) { plane[(size_t(y) * w + x) * channels + c] = v; });
        for (int x = 0; x < w; ++x)
            RingPass(
                h, r, table,
                [&](int y) {
                    return plane[(size_t(std::clamp(y, 0, h - 1)) * w + x) * channels + c];
                },
                [&](int y, int v) { data[(size_t(y) * w + x) * channels + c] = uint8_t(v); });
    }
}

void Interpolate(const Picture& src, double x, double y, uint8_t out[3]) {
    // Held to −1 … size, NaN as −1; floor in single precision; block rows and columns held
    // inside the image.
    x = std::isnan(x) ? -1.0 : std::clamp(x, -1.0, double(src.w));
    y = std::isnan(y) ? -1.0 : std::clamp(y, -1.0, double(src.h));
    const float fx = std::floor(float(x)), fy = std::floor(float(y));
    const std::vector<Packet> b = Block(src, int(fx), int(fy), 2, 2);
    const double a = x - fx, bb = y - fy;
    for (int c = 0; c < 3; ++c)
        out[c] = uint8_t(int((b[0].c[c] * (1.0 - a) + b[1].c[c] * a) * (1.0 - bb) +
                             (b[2].c[c] * (1.0 - a) + b[3].c[c] * a) * bb + 0.5));
}

// Each channel's element n² / 2 after sorting the n × n window kept inside the image.
void MedianOf(Picture& im, int n) {
    const Picture src = im;
    for (int y = 0; y < im.h; ++y) {
        const int y0 = std::clamp(y - n / 2, 0, im.h - n);
        for (int x = 0; x < im.w; ++x) {
            const int x0 = std::clamp(x - n / 2, 0, im.w - n);
            std::vector<Packet> window = Block(src, x0, y0, n, n);
            for (int c = 0; c < 3; ++c) {
                std::sort(window.begin(), window.end(),
                          [c](const Packet& a, const Packet& b) { return a.c[c] < b.c[c]; });
                im.at(x, y, c) = window[size_t(n) * n / 2].c[c];
            }
        }
    }
}

} // namespace

int KernelWidth1D(double radius, double sigma) {
    if (radius > 0)
        return 2 * int(std::ceil(radius)) + 1;
    for (int width = 5;; width += 2) {
        const int h = width / 2;
        double s = 0;
        for (int u = -h; u <= h; ++u)
            s += std::exp(-(u * u) / (2.0 * sigma * sigma));
        if (int(255 * std::exp(-(h * h) / (2.0 * sigma * sigma)) / s) < 1)
            return width - 2;
    }
}

bool Deinterlace(Picture& im) {
    const Picture src = im;
    std::vector<uint8_t> map(size_t(im.w) * im.h, 0);
    for (int y = 1; y <= im.h - 2; y += 2)
        for (int x = 0; x < im.w; ++x) {
            int d = 0;
            const int weight[3] = {1, 6, 3};
            for (int c = 0; c < 3; ++c)
                d += weight[c] * (src.clamped(x, y - 1, c) - src.clamped(x, y, c)) *
                     (src.clamped(x, y + 1, c) - src.clamped(x, y, c));
            map[size_t(y) * im.w + x] = d > 400;
        }
    for (int y = 0; y < im.h; ++y)
        for (int x = 0; x < im.w; ++x) {
            if (!map[size_t(y) * im.w + x])
                continue;
            int sum = 0;
            for (int j = y - 1; j <= y + 1; ++j)
                for (int i = x - 1; i <= x + 1; ++i)
                    if (j >= 0 && j < im.h && i >= 0 && i < im.w)
                        sum += map[size_t(j) * im.w + i];
            map[size_t(y) * im.w + x] = sum > 1;
        }
    for (int y = 1; y <= im.h - 2; y += 2)
        for (int x = 0; x < im.w; ++x)
            if (map[size_t(y) * im.w + x])
                for (int c = 0; c < 3; ++c)
                    im.at(x, y, c) =
                        uint8_t((src.clamped(x, y - 1, c) + src.clamped(x, y + 1, c)) >> 1);
    return true;
}

void BlackWhite(Picture& im, int threshold) {
    threshold = std::clamp(threshold, 0, 255);
    for (int y = 0; y < im.h; ++y)
        for (int x = 0; x < im.w; ++x) {
            const int average = (im.at(x, y, 0) + im.at(x, y, 1) + im.at(x, y, 2)) / 3;
            for (int c = 0; c < 3; ++c)
                im.at(x, y, c) = threshold < average ? 255 : 0;
        }
}

void Brightness(Picture& im, int brightness, int contrast) {
    const int b = int(std::floor(std::clamp(brightness, -100, 100) * 0.01 * 127.0));
    const double k = (std::clamp(contrast, -100, 100) + 100) * 0.01;
    for (uint8_t& p : im.p) {
        const int v = int(std::floor((b + p - 127) * k)) + 127;
        p = uint8_t(v < 0 ? 0 : v >= 256 ? 255 : v);
    }
}

void Grayscale(Picture& im) {
    for (int y = 0; y < im.h; ++y)
        for (int x = 0; x < im.w; ++x) {
            const int g = (3 * im.at(x, y, 0) + 4 * im.at(x, y, 1) + 2 * im.at(x, y, 2)) / 9;
            im.at(x, y, 0) = im.at(x, y, 1) = im.at(x, y, 2) = uint8_t(g);
        }
}

void Sepia(Picture& im) {
    for (int y = 0; y < im.h; ++y)
        for (int x = 0; x < im.w; ++x) {
            const int g =
                int(0.299 * im.at(x, y, 0) + 0.587 * im.at(x, y, 1) + 0.114 * im.at(x, y, 2));
            im.at(x, y, 0) = uint8_t(g >= 207 ? 255 : g + 49);
            im.at(x, y, 1) = uint8_t(g < 14 ? 0 : g - 14);
            im.at(x, y, 2) = uint8_t(g < 56 ? 0 : g - 56);
        }
}

void Solarize(Picture& im) {
    for (uint8_t& p : im.p)
        p = uint8_t(p >= 51 ? 255 - p : p);
}

void BoxBlur(Picture& im) {
    const Picture src = im;
    for (int y = 0; y < im.h; ++y)
        for (int x = 0; x < im.w; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0, count = 0;
                for (int j = std::max(y - 1, 0); j <= std::min(y + 1, im.h - 1); ++j)
                    for (int i = std::max(x - 1, 0); i <= std::min(x + 1, im.w - 1); ++i, ++count)
                        sum += src.clamped(i, j, c);
                im.at(x, y, c) = uint8_t(sum / count);
            }
}

void StackBlur(Picture& im, double radius) {
    const double held = radius >= 0 ? std::min(radius, 10.0) : 0.0;
    RingStackBlur(im.p, im.w, im.h, 3, int(held));
}

void MotionBlur(Picture& im) {
    std::vector<double> kernel(41);
    double total = 0;
    for (int i = 0; i < 41; ++i) {
        for (int j = 3 * i; j <= 3 * i + 2; ++j)
            kernel[i] += std::exp(-(j * j) / (18.0 * 1.0 * 1.0));
        total += kernel[i];
    }
    for (double& v : kernel)
        v /= total;
    const float s = float(int(41 * std::sin(M_PI / 6))), c = float(int(41 * std::cos(M_PI / 6)));
    const float q = std::sqrt(s * s + c * c);
    const Picture src = im;
    for (int y = 0; y < im.h; ++y)
        for (int x = 0; x < im.w; ++x) {
            double sum[3] = {0, 0, 0};
            for (int i = 0; i < 41; ++i) {
                const int dx = int(float(i) * s / q), dy = int(float(i) * c / q);
                if (x + dx < im.w && y + dy < im.h)
                    for (int k = 0; k < 3; ++k)
                        sum[k] += kernel[i] * src.clamped(x + dx, y + dy, k);
            }
            for (int k = 0; k < 3; ++k)
                im.at(x, y, k) = uint8_t(sum[k]);
        }
}

bool Edge(Picture& im, double radius) {
    radius = radius >= 0 ? std::min(radius, 10.0) : 0.0;
    const int n = std::min({KernelWidth1D(radius, 0.5), im.w, im.h});
    std::vector<double> k(size_t(n) * n, -1.0);
    k[size_t(n) * n / 2] = n * n - 1;
    Convolve(im, n, k);
    return true;
}

bool Emboss(Picture& im) {
    const int n = KernelWidth1D(5.0, 1.0), h = n / 2;
    std::vector<double> k;
    for (int v = -h; v <= h; ++v)
        for (int u = -h; u <= h; ++u) {
            const double e = 8 * std::exp(-(u * u + v * v) / 2.0) / (2 * M_PI);
            k.push_back(u == -v ? 0.0 : (u < 0 || v < 0) ? -e : e);
        }
    Convolve(im, n, k);
    return true;
}

bool Sharpen(Picture& im) {
    const int n = std::min({im.w, KernelWidth1D(2.0, 1.0), im.h}), h = n / 2;
    if (n % 2 == 0)
        return true;
    std::vector<double> k;
    double total = 0;
    for (int v = -h; v <= h; ++v)
        for (int u = -h; u <= h; ++u) {
            k.push_back(std::exp(-double(u * u + v * v)));
            total += k.back();
        }
    k[size_t(n) * n / 2] = -2 * total;
    Convolve(im, n, k);
    return true;
}

bool Median(Picture& im, int threshold) {
    const int n = KernelWidth1D(std::clamp(threshold, 0, 100) / 10.0, 0.5);
    if (im.w < n || im.h < n)
        return false;
    MedianOf(im, n);
    return true;
}

void ReduceNoise(Picture& im) {
    MedianOf(im, std::min({KernelWidth1D(0.5, 0.5), im.w, im.h}));
}

void OilPaint(Picture& im, int threshold) {
    const int n = KernelWidth1D(std::clamp(threshold, 0, 100) / 10.0, 0.5);
    const Picture src = im;
    for (int y = 0; y < im.h; ++y) {
        const std::vector<Packet> block = Block(src, -(n / 2), y - n / 2, im.w + n, n);
        for (int x = 0; x < im.w; ++x) {
            int histogram[256] = {};
            int best = 0;
            Packet chosen{};
            for (int r = 0; r < n; ++r)
                for (int q = 0; q < n; ++q) {
                    const Packet& p = block[size_t(r) * (im.w + n) + x + q];
                    if (++histogram[Intensity(p)] > best) {
                        best = histogram[Intensity(p)];
                        chosen = p;
                    }
                }
            for (int c = 0; c < 3; ++c)
                im.at(x, y, c) = chosen.c[c];
        }
    }
}

void RaiseBorders(Picture& im, int width) {
    const int b = std::min({std::clamp(width, 1, 10), im.w / 2, im.h / 2});
    const int W = im.w, H = im.h;
    auto tone = [&](int x, int y, int mul, int add) {
        for (int c = 0; c < 3; ++c)
            im.at(x, y, c) = uint8_t((im.at(x, y, c) * mul + add) / 255);
    };
    auto highlight = [&](int x, int y) { tone(x, y, 190, 16575); };
    auto accentuate = [&](int x, int y) { tone(x, y, 135, 30600); };
    auto shadow = [&](int x, int y) { tone(x, y, 190, 0); };
    auto trough = [&](int x, int y) { tone(x, y, 135, 0); };
    for (int y = 0; y < b; ++y)
        for (int x = 0; x < W; ++x)
            x < y ? highlight(x, y) : x < W - y ? accentuate(x, y) : shadow(x, y);
    for (int y = b; y < H - b; ++y)
        for (int x = 0; x < W; ++x) {
            if (x < b)
                highlight(x, y);
            else if (x >= W - b)
                shadow(x, y);
        }
    for (int i = 0; i < b; ++i) {
        const int k = b - i, y = H - b + i;
        for (int x = 0; x < W; ++x)
            x < k ? highlight(x, y) : x < W - k ? trough(x, y) : shadow(x, y);
    }
}

void Shade(Picture& im) {
    const float az = float(10.0 * M_PI / 180.0), el = float(20.0 * M_PI / 180.0);
    const int lx = int(255.0f * std::cos(az) * std::cos(el));
    const int ly = int(255.0f * std::sin(az) * std::sin(el));
    const int lz = int(255.0f * std::sin(el));
    const Picture src = im;
    auto I = [&](int x, int y) {
        return (9798 * src.clamped(x, y, 0) + 19235 * src.clamped(x, y, 1) +
                3735 * src.clamped(x, y, 2)) >>
               15;
    };
    for (int y = 0; y < im.h; ++y) {
        const int y0 = std::max(0, std::min(y - 1, im.h - 3));
        for (int x = 0; x < im.w; ++x) {
            const int l = x == 0 ? x + 1 : x - 1, r = x == im.w - 1 ? x - 1 : x + 1;
            const int nx =
                I(l, y0) + I(l, y0 + 1) + I(l, y0 + 2) - I(r, y0) - I(r, y0 + 1) - I(r, y0 + 2);
            const int ny =
                I(l, y0 + 2) + I(x, y0 + 2) + I(r, y0 + 2) - I(l, y0) - I(x, y0) - I(r, y0);
            double shade = lz;
            if (nx != 0 || ny != 0) {
                const int d = lx * nx + ly * ny + 510 * lz;
                shade = d > 0 ? d / double(std::sqrt(float(nx * nx + ny * ny + 260100))) : 0;
            }
            for (int c = 0; c < 3; ++c)
                im.at(x, y, c) = uint8_t(std::min(shade, 255.0));
        }
    }
}

void Swirl(Picture& im, int angle) {
    angle = std::clamp(angle, 0, 359);
    const Picture src = im;
    const double cx = im.w / 2.0, cy = im.h / 2.0;
    const double radius = std::max(cx, cy);
    double sx = 1, sy = 1;
    if (im.w > im.h)
        sy = double(im.w) / im.h;
    else if (im.h > im.w)
        sx = double(im.h) / im.w;
    const double a = angle * M_PI / 180.0;
    for (int y = 0; y < im.h; ++y)
        for (int x = 0; x < im.w; ++x) {
            const double dx = sx * (x - cx), dy = sy * (y - cy);
            const double d2 = dx * dx + dy * dy;
            if (d2 < radius * radius) {
                const double f = 1.0 - std::sqrt(d2) / radius;
                const double t = a * f * f;
                uint8_t out[3];
                Interpolate(src, (std::cos(t) * dx - std::sin(t) * dy) / sx + cx,
                            (std::sin(t) * dx + std::cos(t) * dy) / sy + cy, out);
                for (int c = 0; c < 3; ++c)
                    im.at(x, y, c) = out[c];
            }
        }
}

void Implode(Picture& im, int amount) {
    const double a = std::clamp(amount, 0, 100) / 100.0;
    const float e = float(-a);
    const double xc = im.w * 0.5, yc = im.h * 0.5;
    double radius = xc, xs = 1, ys = 1;
    if (im.w > im.h)
        ys = double(im.w) / im.h;
    if (im.w < im.h) {
        radius = yc;
        xs = double(im.h) / im.w;
    }
    const Picture src = im;
    for (int y = 0; y < im.h; ++y) {
        const double dy = ys * (y - yc);
        for (int x = 0; x < im.w; ++x) {
            const double dx = xs * (x - xc);
            const double d = dx * dx + dy * dy;
            if (d >= radius * radius)
                continue;
            const double f =
                d == 0 ? 1.0 : powf(sinf(float(sqrtf(float(d)) * M_PI / 2 / radius)), e);
            uint8_t out[3];
            Interpolate(src, f * dx / xs + xc, f * dy / ys + yc, out);
            for (int c = 0; c < 3; ++c)
                im.at(x, y, c) = out[c];
        }
    }
}

void FadeEdge(Picture& im, int border, uint32_t colour) {
    const int band = std::max(int(border * 0.4), 1);
    const int radius = std::max(int(border * 0.6), 1);
    std::vector<uint8_t> map(size_t(im.w) * im.h, 0);
    for (int y = 0; y < im.h; ++y)
        for (int x = 0; x < im.w; ++x)
            if (y < band || y >= im.h - band || x < band || x >= im.w - band)
                map[size_t(y) * im.w + x] = 255;
    RingStackBlur(map, im.w, im.h, 1, radius);
    for (int y = 0; y < im.h; ++y)
        for (int x = 0; x < im.w; ++x) {
            const int m = map[size_t(y) * im.w + x];
            for (int k = 0; k < 3; ++k) {
                const int ck = (colour >> (8 * k)) & 0xFF;
                im.at(x, y, k) =
                    uint8_t(int(m * ck / 255.0 + im.at(x, y, k) * (255.0 - m) / 255.0));
            }
        }
}

namespace {

// The despeckle walks as the recursion over row runs that they describe.
struct Speckles {
    Picture& im;
    std::vector<uint8_t> mask;
    bool has = false;
    int bestError = 0;
    uint32_t best = 0;

    uint32_t colour(int x, int y) {
        return im.at(x, y, 0) | im.at(x, y, 1) << 8 | uint32_t(im.at(x, y, 2)) << 16;
    }
    uint8_t& cell(int x, int y) { return mask[size_t(y) * im.w + x]; }
    void run(int x, const std::function<bool(int)>& member, int& l, int& r) {
        l = r = x;
        while (l > 0 && member(l - 1))
            --l;
        while (r < im.w - 1 && member(r + 1))
            ++r;
    }
    int findSize(uint32_t c, int x, int y) {
        if (y < 0 || y >= im.h || cell(x, y) == 1 || colour(x, y) != c)
            return 0;
        int l, r;
        run(
            x, [&](int i) { return colour(i, y) == c; }, l, r);
        for (int i = l; i <= r; ++i)
            cell(i, y) = 1;
        int count = r - l + 1;
        for (int i = l; i <= r; ++i)
            count += findSize(c, i, y - 1) + findSize(c, i, y + 1);
        return count;
    }
    void candidate(uint32_t c, int x, int y) {
        const uint32_t d = colour(x, y);
        int e = 0;
        for (int k = 0; k < 24; k += 8) {
            const int diff = int((c >> k) & 0xFF) - int((d >> k) & 0xFF);
            e += diff * diff;
        }
        if (!has || e < bestError) {
            has = true;
            bestError = e;
            best = d;
        }
    }
    void neighbour(uint32_t c, int x, int y) {
        if (y < 0 || y >= im.h || cell(x, y) == 2)
            return;
        if (colour(x, y) != c) {
            candidate(c, x, y);
            return;
        }
        int l, r;
        run(
            x, [&](int i) { return colour(i, y) == c; }, l, r);
        if (l > 0)
            candidate(c, l - 1, y);
        if (r < im.w - 1)
            candidate(c, r + 1, y);
        for (int i = l; i <= r; ++i)
            cell(i, y) = 2;
        for (int i = l; i <= r; ++i) {
            neighbour(c, i, y - 1);
            neighbour(c, i, y + 1);
        }
    }
    void walkState(int x, int y, uint8_t from, uint8_t to, bool paint, uint32_t c) {
        if (y < 0 || y >= im.h || cell(x, y) != from)
            return;
        int l, r;
        run(
            x, [&](int i) { return cell(i, y) == from; }, l, r);
        for (int i = l; i <= r; ++i) {
            cell(i, y) = to;
            if (paint)
                for (int k = 0; k < 3; ++k)
                    im.at(i, y, k) = uint8_t(c >> (8 * k));
        }
        for (int i = l; i <= r; ++i) {
            walkState(i, y - 1, from, to, paint, c);
            walkState(i, y + 1, from, to, paint, c);
        }
    }
    void pass(int level) {
        const int limit = 1 << level;
        const int tight = int(256 / (1 + 3.0 * level));
        mask.assign(size_t(im.w) * im.h, 0);
        for (int y = 0; y < im.h; ++y)
            for (int x = 0; x < im.w; ++x) {
                if (cell(x, y) != 0)
                    continue;
                const uint32_t c = colour(x, y);
                if (findSize(c, x, y) >= limit) {
                    walkState(x, y, 1, 3, false, 0);
                    continue;
                }
                has = false;
                neighbour(c, x, y);
                if (!has)
                    continue;
                const double error = std::sqrt(bestError / 3.0);
                walkState(x, y, 2, 3, true, error > tight ? c : best);
            }
    }
};

} // namespace

void Despeckle(Picture& im) {
    Speckles s{im, {}};
    for (int level = 0; level < 20; ++level)
        s.pass(level);
}

void AddNoise(Picture& im, int type, Random random, void* state) {
    auto next = [&] { return random(state) / 2147483647.0; };
    for (uint8_t& byte : im.p) {
        const double p = byte;
        double alpha = next();
        if (alpha == 0.0)
            alpha = 1.0;
        double v;
        if (type == 1) {
            const double beta = next();
            const double tau = std::sqrt(-2.0 * std::log(alpha));
            v = p + std::sqrt(p) * 4.0 * tau * std::cos(2.0 * M_PI * beta) +
                20.0 * tau * std::sin(2.0 * M_PI * beta);
        } else if (type == 2) {
            const double sigma = alpha > 0.00001 ? std::sqrt(-2.0 * std::log(alpha)) : 255.0;
            v = p + p * 0.5 * sigma * std::cos(2.0 * M_PI * next());
        } else if (type == 3) {
            v = alpha < 0.05 ? 0 : alpha >= 0.95 ? 255 : p;
        } else if (type == 4) {
            if (alpha <= 0.5)
                v = alpha <= 0.00001 ? p - 255 : p + 10 * std::log(2 * alpha);
            else
                v = 1 - alpha <= 0.000005 ? p + 255 : p - 10 * std::log(2 * (1 - alpha));
        } else if (type == 5) {
            const double limit = std::exp(-0.05 * p);
            int i = 0;
            for (; alpha > limit; ++i)
                alpha *= next();
            v = i / 0.05;
        } else {
            v = p + (alpha - 0.5) * 4.0;
        }
        byte = v < 0 ? 0 : v > 255 ? 255 : uint8_t(v + 0.5);
    }
}

} // namespace reference
