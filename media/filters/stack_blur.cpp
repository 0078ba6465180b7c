#include "media/filters/stack_blur.h"

#include <algorithm>

namespace {

// floor(sum / (r + 1)²): through a table while it stays small, else by division.
struct Divider {
    const uint8_t* table;
    int32_t divisor;
    uint8_t operator()(int32_t sum) const { return table ? table[sum] : uint8_t(sum / divisor); }
};

Divider MakeDivider(int32_t radius, CBK_StackBlurScratch& scratch) {
    const int32_t divisor = (radius + 1) * (radius + 1);
    if (divisor > 4096)
        return {nullptr, divisor};
    if (scratch.divideRadius != radius) {
        scratch.divide.resize(std::size_t(256) * divisor);
        for (int32_t s = 0; s < 256 * divisor; ++s)
            scratch.divide[s] = uint8_t(s / divisor);
        scratch.divideRadius = radius;
    }
    return {scratch.divide.data(), divisor};
}

} // namespace

void BK_StackBlur(uint8_t* pixels, int32_t width, int32_t height, int32_t channels, int32_t radius,
                  CBK_StackBlurScratch& scratch) {
    if (!pixels || width <= 0 || height <= 0 || channels <= 0 || radius <= 0)
        return;
    const int32_t r = std::min(radius, kBK_StackBlurMaxRadius);
    const Divider divide = MakeDivider(r, scratch);
    const int32_t rowLength = width * channels;
    scratch.plane.resize(std::size_t(rowLength) * height);

    // Along each row: the running sums of the samples entering and leaving the window
    // keep the weighted sum without revisiting the window.
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* in = pixels + std::size_t(y) * rowLength;
        int32_t* out = scratch.plane.data() + std::size_t(y) * rowLength;
        auto at = [&](int32_t x, int32_t c) {
            return int32_t(in[std::clamp(x, 0, width - 1) * channels + c]);
        };
        for (int32_t c = 0; c < channels; ++c) {
            int32_t sum = 0, incoming = 0, outgoing = 0;
            for (int32_t i = -r; i <= r; ++i) {
                const int32_t s = at(i, c);
                sum += s * (r + 1 - (i < 0 ? -i : i));
                (i <= 0 ? outgoing : incoming) += s;
            }
            for (int32_t x = 0; x < width; ++x) {
                out[x * channels + c] = divide(sum);
                sum -= outgoing;
                outgoing -= at(x - r, c);
                incoming += at(x + r + 1, c);
                sum += incoming;
                const int32_t middle = at(x + 1, c);
                incoming -= middle;
                outgoing += middle;
            }
        }
    }

    // Down the columns, all columns of a row at once, so that memory is read row by row.
    scratch.sums.resize(std::size_t(rowLength) * 3);
    int32_t* sum = scratch.sums.data();
    int32_t* incoming = sum + rowLength;
    int32_t* outgoing = incoming + rowLength;
    auto row = [&](int32_t y) {
        return scratch.plane.data() + std::size_t(std::clamp(y, 0, height - 1)) * rowLength;
    };
    std::fill(scratch.sums.begin(), scratch.sums.end(), 0);
    for (int32_t i = -r; i <= r; ++i) {
        const int32_t* s = row(i);
        const int32_t weight = r + 1 - (i < 0 ? -i : i);
        int32_t* side = i <= 0 ? outgoing : incoming;
        for (int32_t k = 0; k < rowLength; ++k) {
            sum[k] += s[k] * weight;
            side[k] += s[k];
        }
    }
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* out = pixels + std::size_t(y) * rowLength;
        const int32_t* leaving = row(y - r);
        const int32_t* entering = row(y + r + 1);
        const int32_t* middle = row(y + 1);
        for (int32_t k = 0; k < rowLength; ++k) {
            out[k] = divide(sum[k]);
            sum[k] -= outgoing[k];
            outgoing[k] -= leaving[k];
            incoming[k] += entering[k];
            sum[k] += incoming[k];
            incoming[k] -= middle[k];
            outgoing[k] += middle[k];
        }
    }
}
