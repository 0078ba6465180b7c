#include "media/image/resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "media/image/image_size.h"

namespace bk_imageresize {

LineContribType* _CalcContribs(uint32_t lineSize, uint32_t srcSize, double scale) {
    if (lineSize == 0 || srcSize == 0)
        return nullptr;
    double support = 1.0;
    double filterScale = 1.0;
    if (scale < 1.0) {
        support = 1.0 / scale;
        filterScale = scale;
    }
    auto table = std::make_unique<LineContribType>();
    table->WindowSize = uint32_t(2 * std::ceil(support) + 1);
    table->LineLength = lineSize;
    table->ContribRow.resize(lineSize);
    const int32_t last = int32_t(srcSize) - 1;
    for (uint32_t i = 0; i < lineSize; ++i) {
        ContributionType& row = table->ContribRow[i];
        row.Weights.assign(table->WindowSize, 0.0);
        double centre = double(i) / scale;
        int32_t left = int32_t(std::floor(centre - support));
        int32_t right = int32_t(std::ceil(centre + support));
        left = std::max(left, 0);
        right = std::min(right, last);
        if (right - left + 1 > int32_t(table->WindowSize)) {
            if (left < last / 2)
                ++left;
            else
                --right;
        }
        row.Left = left;
        row.Right = right;
        double total = 0.0;
        for (int32_t j = left; j <= right; ++j) {
            double d = std::fabs(centre - double(j)) * filterScale;
            double weight = (d < 1.0 ? 1.0 - d : 0.0) * filterScale;
            row.Weights[size_t(j - left)] = weight;
            total += weight;
        }
        if (total > 0.0)
            for (int32_t j = left; j <= right; ++j)
                row.Weights[size_t(j - left)] /= total;
    }
    return table.release();
}

void _FreeContribs(LineContribType* contribs) {
    delete contribs;
}

} // namespace bk_imageresize

namespace {

// The non-zero weights of one target sample. Leaving out zero weights changes no sum: every
// term is non-negative, and adding +0.0 to it is exact.
struct Taps {
    int32_t first = 0;
    uint32_t count = 0;
    uint32_t offset = 0; // into Table::weights
};

struct Table {
    uint32_t target = 0;
    uint32_t source = 0;
    std::vector<Taps> taps;
    std::vector<double> weights;
};

bool BuildTable(uint32_t target, uint32_t source, Table& table) {
    std::unique_ptr<bk_imageresize::LineContribType, void (*)(bk_imageresize::LineContribType*)>
        contribs(bk_imageresize::_CalcContribs(target, source, double(target) / double(source)),
                 bk_imageresize::_FreeContribs);
    if (!contribs)
        return false;
    table.target = target;
    table.source = source;
    table.taps.assign(target, Taps{});
    table.weights.clear();
    for (uint32_t i = 0; i < target; ++i) {
        const bk_imageresize::ContributionType& row = contribs->ContribRow[i];
        int32_t first = row.Left, last = row.Right;
        while (first <= last && row.Weights[size_t(first - row.Left)] == 0.0)
            ++first;
        while (last >= first && row.Weights[size_t(last - row.Left)] == 0.0)
            --last;
        Taps& taps = table.taps[i];
        taps.first = first;
        taps.count = first <= last ? uint32_t(last - first + 1) : 0;
        taps.offset = uint32_t(table.weights.size());
        for (int32_t j = first; j <= last; ++j)
            table.weights.push_back(row.Weights[size_t(j - row.Left)]);
    }
    return true;
}

// What a thread keeps between calls: recent tables (most recent first) and working memory.
struct Cache {
    static constexpr size_t kTables = 8;
    static_assert(kTables >= 2, "a resize holds two tables at once");
    std::vector<std::unique_ptr<Table>> tables;
    std::vector<uint8_t> intermediate;
    std::vector<double> sums; // a row of sums, or a widened source row

    const Table* Get(uint32_t target, uint32_t source) {
        for (size_t k = 0; k < tables.size(); ++k)
            if (tables[k]->target == target && tables[k]->source == source) {
                std::rotate(tables.begin(), tables.begin() + long(k), tables.begin() + long(k) + 1);
                return tables.front().get();
            }
        auto table = std::make_unique<Table>();
        if (!BuildTable(target, source, *table))
            return nullptr;
        if (tables.size() == kTables)
            tables.pop_back();
        tables.insert(tables.begin(), std::move(table));
        return tables.front().get();
    }
};

Cache& ThreadCache() {
    thread_local Cache cache;
    return cache;
}

// The sum of a target sample is formed tap by tap from the left, in double precision, then
// rounded by adding 0.5 and truncating. Each source row is widened to doubles once, as every
// source sample feeds several target samples.
template <int C, uint32_t N>
__attribute__((always_inline)) inline void AddTaps(const double* w, const double* p, double* sum,
                                                   uint32_t count) {
    const uint32_t n = N ? N : count;
    for (uint32_t k = 0; k < n; ++k)
        for (int c = 0; c < C; ++c)
            sum[c] += w[k] * p[size_t(k) * C + size_t(c)];
}

template <int C>
__attribute__((always_inline)) inline void HorizontalPassOf(const uint8_t* src, size_t sourceWidth,
                                                            size_t rows, const Table& table,
                                                            uint8_t* dst, double* wide) {
    const size_t targetWidth = table.target;
    const size_t lineBytes = sourceWidth * C;
    for (size_t y = 0; y < rows; ++y) {
        const uint8_t* line = src + y * lineBytes;
        for (size_t x = 0; x < lineBytes; ++x)
            wide[x] = double(line[x]);
        uint8_t* out = dst + y * targetWidth * C;
        for (size_t i = 0; i < targetWidth; ++i) {
            const Taps& taps = table.taps[i];
            const double* w = table.weights.data() + taps.offset;
            const double* p = wide + size_t(taps.first) * C;
            double sum[C] = {};
            switch (taps.count) {
            case 1:
                AddTaps<C, 1>(w, p, sum, 1);
                break;
            case 2:
                AddTaps<C, 2>(w, p, sum, 2);
                break;
            case 3:
                AddTaps<C, 3>(w, p, sum, 3);
                break;
            case 4:
                AddTaps<C, 4>(w, p, sum, 4);
                break;
            default:
                AddTaps<C, 0>(w, p, sum, taps.count);
                break;
            }
            for (int c = 0; c < C; ++c)
                out[i * C + size_t(c)] = uint8_t(sum[c] + 0.5);
        }
    }
}

// Compiled for AVX2 as well, chosen at run time; the same operations in the same order, so
// the same results.
__attribute__((target_clones("avx2", "default"))) void
HorizontalPass3(const uint8_t* src, size_t sourceWidth, size_t rows, const Table& table,
                uint8_t* dst, double* wide) {
    HorizontalPassOf<3>(src, sourceWidth, rows, table, dst, wide);
}

__attribute__((target_clones("avx2", "default"))) void
HorizontalPass4(const uint8_t* src, size_t sourceWidth, size_t rows, const Table& table,
                uint8_t* dst, double* wide) {
    HorizontalPassOf<4>(src, sourceWidth, rows, table, dst, wide);
}

// Row by row: each output value is independent of its neighbours, so a whole row of sums is
// built tap by tap, which vectorises across the row. The first product stands for 0 + product
// (exact, as no product is negative), and a lone tap has the weight 1 exactly (it was divided
// by itself), so its row is the source row.
__attribute__((target_clones("avx2", "default"))) void
VerticalPass(const uint8_t* src, size_t rowBytes, const Table& table, uint8_t* dst, double* sums) {
    for (size_t i = 0; i < table.target; ++i) {
        const Taps& taps = table.taps[i];
        const double* w = table.weights.data() + taps.offset;
        uint8_t* out = dst + i * rowBytes;
        const uint8_t* line = src + size_t(taps.first) * rowBytes;
        if (taps.count == 0) {
            std::memset(out, 0, rowBytes);
            continue;
        }
        if (taps.count == 1 && w[0] == 1.0) {
            std::memcpy(out, line, rowBytes);
            continue;
        }
        const double first = w[0];
        for (size_t x = 0; x < rowBytes; ++x)
            sums[x] = first * double(line[x]);
        for (uint32_t k = 1; k < taps.count; ++k) {
            line += rowBytes;
            const double weight = w[k];
            for (size_t x = 0; x < rowBytes; ++x)
                sums[x] += weight * double(line[x]);
        }
        for (size_t x = 0; x < rowBytes; ++x)
            out[x] = uint8_t(sums[x] + 0.5);
    }
}

bool Grow(std::vector<uint8_t>& buffer, size_t size) {
    try {
        if (buffer.size() < size)
            buffer.resize(size);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool GrowSums(std::vector<double>& buffer, size_t size) {
    try {
        if (buffer.size() < size)
            buffer.resize(size);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool Usable(int32_t sw, int32_t sh, int32_t tw, int32_t th, size_t channels, size_t& outBytes) {
    if (sw <= 0 || sh <= 0 || tw <= 0 || th <= 0 || (sw == tw && sh == th))
        return false;
    size_t sourceBytes, middleBytes;
    return BK_ImageByteSize(sw, sh, uint32_t(channels), sourceBytes) &&
           BK_ImageByteSize(tw, sh, uint32_t(channels), middleBytes) &&
           BK_ImageByteSize(tw, th, uint32_t(channels), outBytes);
}

} // namespace

bool BK_ResizeImageInto(const uint8_t* pixels, int32_t sw, int32_t sh, int32_t tw, int32_t th,
                        uint16_t bitsPerPixel, uint8_t* out) {
    const size_t channels = bitsPerPixel == 24 ? 3 : 4;
    size_t outBytes;
    if (!pixels || !out || !Usable(sw, sh, tw, th, channels, outBytes))
        return false;
    Cache& cache = ThreadCache();
    // Tables are held by pointer in the cache, and the one just used is never the one that
    // the next lookup evicts, so both stay valid together.
    const Table* across = nullptr;
    const Table* down = nullptr;
    if (sw != tw && !(across = cache.Get(uint32_t(tw), uint32_t(sw))))
        return false;
    if (sh != th && !(down = cache.Get(uint32_t(th), uint32_t(sh))))
        return false;

    const size_t rowBytes = size_t(tw) * channels;
    if (!GrowSums(cache.sums, std::max(rowBytes, size_t(sw) * channels)))
        return false;
    const uint8_t* middle = pixels;
    uint8_t* middleOut = down ? nullptr : out;
    if (across) {
        if (down) {
            if (!Grow(cache.intermediate, rowBytes * size_t(sh)))
                return false;
            middleOut = cache.intermediate.data();
        }
        if (channels == 3)
            HorizontalPass3(pixels, size_t(sw), size_t(sh), *across, middleOut, cache.sums.data());
        else
            HorizontalPass4(pixels, size_t(sw), size_t(sh), *across, middleOut, cache.sums.data());
        middle = middleOut;
    }
    if (down) {
        VerticalPass(middle, rowBytes, *down, out, cache.sums.data());
    }
    return true;
}

uint8_t* BK_ResizeImageBilinear(const uint8_t* pixels, const tbx::Rect& source,
                                const tbx::Rect& target, uint16_t bitsPerPixel) {
    const int32_t sw = source.right - source.left, sh = source.bottom - source.top;
    const int32_t tw = target.right - target.left, th = target.bottom - target.top;
    const size_t channels = bitsPerPixel == 24 ? 3 : 4;
    size_t outBytes;
    if (!pixels || !Usable(sw, sh, tw, th, channels, outBytes))
        return nullptr;
    std::unique_ptr<uint8_t[]> out(new (std::nothrow) uint8_t[outBytes]);
    if (!out || !BK_ResizeImageInto(pixels, sw, sh, tw, th, bitsPerPixel, out.get()))
        return nullptr;
    return out.release();
}
