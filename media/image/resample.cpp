#include "media/image/resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>

#include "media/image/image_size.h"
#include "media/image/resample_lanes.h"

namespace {

// The tent filter of one scale: its reach in source samples and how much it is stretched.
struct Filter {
    double support = 1.0;
    double filterScale = 1.0;
    uint32_t windowSize = 3;
};

Filter FilterFor(double scale) {
    Filter filter;
    if (scale < 1.0) {
        filter.support = 1.0 / scale;
        filter.filterScale = scale;
    }
    filter.windowSize = uint32_t(2 * std::ceil(filter.support) + 1);
    return filter;
}

// The source samples Left to Right (inclusive) that target sample i reads.
struct Reach {
    double centre = 0.0;
    int32_t left = 0;
    int32_t right = -1;
};

Reach ReachOf(uint32_t i, double scale, const Filter& filter, int32_t last) {
    Reach reach;
    reach.centre = double(i) / scale;
    int32_t left = int32_t(std::floor(reach.centre - filter.support));
    int32_t right = int32_t(std::ceil(reach.centre + filter.support));
    left = std::max(left, 0);
    right = std::min(right, last);
    if (right - left + 1 > int32_t(filter.windowSize)) {
        if (left < last / 2)
            ++left;
        else
            --right;
    }
    reach.left = left;
    reach.right = right;
    return reach;
}

double WeightAt(const Reach& reach, int32_t j, double filterScale) {
    const double d = std::fabs(reach.centre - double(j)) * filterScale;
    return (d < 1.0 ? 1.0 - d : 0.0) * filterScale;
}

// The part of the reach with non-zero weights: the tent is zero only at its two ends.
Reach NonZero(Reach reach, double filterScale) {
    while (reach.left <= reach.right && WeightAt(reach, reach.left, filterScale) == 0.0)
        ++reach.left;
    while (reach.right >= reach.left && WeightAt(reach, reach.right, filterScale) == 0.0)
        --reach.right;
    return reach;
}

// The weights of the reach into out[], divided by their total when it is positive. Zero
// weights left out at the ends change neither the total nor any quotient (adding +0.0 is
// exact), so a trimmed reach gives the same numbers as the whole one.
void FillWeights(const Reach& reach, double filterScale, double* out) {
    double total = 0.0;
    for (int32_t j = reach.left; j <= reach.right; ++j) {
        out[j - reach.left] = WeightAt(reach, j, filterScale);
        total += out[j - reach.left];
    }
    if (total > 0.0)
        for (int32_t j = reach.left; j <= reach.right; ++j)
            out[j - reach.left] /= total;
}

} // namespace

namespace bk_imageresize {

LineContribType* _CalcContribs(uint32_t lineSize, uint32_t srcSize, double scale) {
    if (lineSize == 0 || srcSize == 0)
        return nullptr;
    const Filter filter = FilterFor(scale);
    std::unique_ptr<LineContribType> table(new (std::nothrow) LineContribType);
    if (!table)
        return nullptr;
    table->WindowSize = filter.windowSize;
    table->LineLength = lineSize;
    try {
        table->ContribRow.resize(lineSize);
        for (uint32_t i = 0; i < lineSize; ++i) {
            ContributionType& row = table->ContribRow[i];
            const Reach reach = ReachOf(i, scale, filter, int32_t(srcSize) - 1);
            // Only the samples read: a shrinking window is as wide as the source, and
            // reserving it whole for every target sample doubles the table for nothing.
            row.Weights.assign(size_t(reach.right - reach.left + 1), 0.0);
            row.Left = reach.left;
            row.Right = reach.right;
            FillWeights(reach, filter.filterScale, row.Weights.data());
        }
    } catch (const std::bad_alloc&) {
        return nullptr;
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

// The taps of the target samples First to First + taps.size() − 1 of a line of Target
// samples from Source samples.
struct Table {
    uint32_t target = 0;
    uint32_t source = 0;
    uint32_t first = 0;
    std::vector<Taps> taps;
    std::vector<double> weights;

    size_t Bytes() const { return taps.size() * sizeof(Taps) + weights.size() * sizeof(double); }
};

// Sized exactly before it is filled, so that a table as large as the source is held once.
std::unique_ptr<Table> BuildTable(uint32_t target, uint32_t source, uint32_t first,
                                  uint32_t count) {
    const double scale = double(target) / double(source);
    const Filter filter = FilterFor(scale);
    const int32_t last = int32_t(source) - 1;
    std::unique_ptr<Table> table(new (std::nothrow) Table);
    if (!table)
        return nullptr;
    table->target = target;
    table->source = source;
    table->first = first;
    try {
        table->taps.resize(count);
        uint64_t total = 0;
        for (uint32_t k = 0; k < count; ++k) {
            const Reach reach =
                NonZero(ReachOf(first + k, scale, filter, last), filter.filterScale);
            Taps& taps = table->taps[k];
            taps.first = reach.left;
            taps.count = reach.left <= reach.right ? uint32_t(reach.right - reach.left + 1) : 0;
            if (total + taps.count > UINT32_MAX)
                return nullptr;
            taps.offset = uint32_t(total);
            total += taps.count;
        }
        table->weights.resize(size_t(total));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    for (uint32_t k = 0; k < count; ++k) {
        const Taps& taps = table->taps[k];
        if (!taps.count)
            continue;
        Reach reach = ReachOf(first + k, scale, filter, last);
        reach.left = taps.first;
        reach.right = taps.first + int32_t(taps.count) - 1;
        FillWeights(reach, filter.filterScale, table->weights.data() + taps.offset);
    }
    return table;
}

// Row pieces: a source row is widened to doubles only up to this many values (a longer one is
// read as bytes), and the running sums of the vertical pass are held to as many, so that
// neither grows with the picture.
constexpr size_t kPieceValues = size_t(1) << 14;
// Rows of the source are widened to doubles this many at a time, as they share the taps of
// each target sample.
constexpr int kRowsAtOnce = 4;

// The values that the horizontal pass widens rows into: kRowsAtOnce rows of `lineBytes`, each
// with one value beyond it; none for a row too long to widen.
size_t WideValues(size_t lineBytes) {
    return lineBytes <= kPieceValues ? kRowsAtOnce * (lineBytes + 1) : 0;
}

// Lines longer than this many target samples are resampled a block of targets at a time, so
// that their tables do not grow with the picture either.
constexpr uint32_t kBlockTargets = 8192;
// What a thread keeps between calls: tables up to this many bytes together, and an
// intermediate picture of any size up to this one. A larger one is kept only for calls that
// need exactly its size (frame after frame of one large size), and freed by the first call
// that needs another.
constexpr size_t kKeptTableBytes = size_t(4) << 20;
constexpr size_t kKeptIntermediateBytes = size_t(16) << 20;

// Whether this processor runs the kind of code.
bool Supported(BK_ResizeKernels kernels) {
    switch (kernels) {
    case BK_ResizeKernels::Plain:
        return true;
#if defined(__x86_64__)
    case BK_ResizeKernels::Sse2:
        return true;
    case BK_ResizeKernels::Avx2:
        return __builtin_cpu_supports("avx2");
#endif
    default:
        return false;
    }
}

// What a thread starts with.
BK_ResizeKernels Widest() {
    for (BK_ResizeKernels kernels : {BK_ResizeKernels::Avx2, BK_ResizeKernels::Sse2})
        if (Supported(kernels))
            return kernels;
    return BK_ResizeKernels::Plain;
}

// What a thread keeps between calls: recent tables (most recent first) and working memory.
struct Cache {
    static constexpr size_t kTables = 8;
    std::vector<std::unique_ptr<Table>> tables;
    std::unique_ptr<uint8_t[]> intermediate; // not cleared: every byte is written before read
    size_t intermediateBytes = 0;
    std::vector<double> piece; // widened source rows, or one piece of a row of sums
    BK_ResizeKernels kernels = Widest();

    const Table* Find(uint32_t target, uint32_t source) {
        for (size_t k = 0; k < tables.size(); ++k)
            if (tables[k]->target == target && tables[k]->source == source) {
                std::rotate(tables.begin(), tables.begin() + long(k), tables.begin() + long(k) + 1);
                return tables.front().get();
            }
        return nullptr;
    }

    // Takes a table that was just built, or drops it when it is too large to keep; older
    // tables go first when the cache is full.
    void Keep(std::unique_ptr<Table> table) {
        if (!table || table->Bytes() > kKeptTableBytes)
            return;
        try {
            tables.insert(tables.begin(), std::move(table));
        } catch (const std::bad_alloc&) {
            return;
        }
        size_t bytes = 0, kept = 0;
        while (kept < tables.size() && kept < kTables &&
               bytes + tables[kept]->Bytes() <= kKeptTableBytes)
            bytes += tables[kept++]->Bytes();
        tables.resize(kept);
    }

    // Room for an intermediate picture of `bytes`; null when none can be had.
    uint8_t* Intermediate(size_t bytes) {
        if (intermediateBytes < bytes) {
            ReleaseIntermediate();
            intermediate.reset(new (std::nothrow) uint8_t[bytes]);
            intermediateBytes = intermediate ? bytes : 0;
        }
        return intermediate.get();
    }

    // Before a call that needs `bytes` of intermediate picture (0 for none): a large one kept
    // for another size goes.
    void Prepare(size_t bytes) {
        if (intermediateBytes > kKeptIntermediateBytes && intermediateBytes != bytes)
            ReleaseIntermediate();
    }

    void ReleaseIntermediate() {
        intermediate.reset();
        intermediateBytes = 0;
    }

    void Release() {
        ReleaseIntermediate();
        std::vector<std::unique_ptr<Table>>().swap(tables);
        std::vector<double>().swap(piece);
    }
};

Cache& ThreadCache() {
    thread_local Cache cache;
    return cache;
}

// Calls `pass` with the tables that cover a line of `target` samples from `source`: one
// table, from the cache or kept there afterwards, or one block after another for a line too
// long to cache. False when a table cannot be built.
template <typename Pass>
bool ForEachTable(Cache& cache, uint32_t target, uint32_t source, Pass pass) {
    if (target <= kBlockTargets) {
        if (const Table* table = cache.Find(target, source)) {
            pass(*table);
            return true;
        }
        std::unique_ptr<Table> table = BuildTable(target, source, 0, target);
        if (!table)
            return false;
        pass(*table);
        cache.Keep(std::move(table));
        return true;
    }
    for (uint32_t first = 0; first < target; first += kBlockTargets) {
        std::unique_ptr<Table> table =
            BuildTable(target, source, first, std::min(kBlockTargets, target - first));
        if (!table)
            return false;
        pass(*table);
    }
    return true;
}

// Calls `sum` with the tap count as a constant N when it is small, so that the loop over the
// taps unrolls, else with N = 0 (the count is read at run time).
template <typename Sum>
__attribute__((always_inline)) inline void ForTapCount(uint32_t count, Sum&& sum) {
    switch (count) {
    case 1:
        return sum(std::integral_constant<uint32_t, 1>());
    case 2:
        return sum(std::integral_constant<uint32_t, 2>());
    case 3:
        return sum(std::integral_constant<uint32_t, 3>());
    case 4:
        return sum(std::integral_constant<uint32_t, 4>());
    case 5:
        return sum(std::integral_constant<uint32_t, 5>());
    default:
        return sum(std::integral_constant<uint32_t, 0>());
    }
}

// The sum of a target sample is formed tap by tap from the left, in double precision, then
// rounded by adding 0.5 and truncating. A source row short enough is widened to doubles
// once, as every source sample feeds several target samples; a longer one is read as bytes,
// which gives the same products.
template <int C, uint32_t N, typename T>
__attribute__((always_inline)) inline void AddTaps(const double* w, const T* p, double* sum,
                                                   uint32_t count) {
    const uint32_t n = N ? N : count;
    for (uint32_t k = 0; k < n; ++k)
        for (int c = 0; c < C; ++c)
            sum[c] += w[k] * double(p[size_t(k) * C + size_t(c)]);
}

template <int C, typename T>
__attribute__((always_inline)) inline void HorizontalRow(const T* line, const Table& table,
                                                         uint8_t* out) {
    // Read once: stores of bytes may alias anything, which would reload them at every step.
    const size_t count = table.taps.size();
    const Taps* allTaps = table.taps.data();
    const double* weights = table.weights.data();
    for (size_t i = 0; i < count; ++i) {
        const Taps& taps = allTaps[i];
        const double* w = weights + taps.offset;
        const T* p = line + size_t(taps.first) * C;
        double sum[C] = {};
        ForTapCount(taps.count,
                    [&](auto n) { AddTaps<C, decltype(n)::value>(w, p, sum, taps.count); });
        for (int c = 0; c < C; ++c)
            out[i * C + size_t(c)] = uint8_t(sum[c] + 0.5);
    }
}

// The passes are built for each kind of code: F holds four doubles in the registers of the
// processor the code is for (resample_lanes.h), or is void for the plain loops.
#if defined(__x86_64__)
using FourSse2 = bk_lanes::Four<bk_lanes::Double2>;
using FourAvx2 = bk_lanes::Four<bk_lanes::Double4>;

// The sums of one target pixel in R widened rows `stride` values apart, its channels side by
// side, each formed as HorizontalRow forms it. A three-channel pixel carries the next pixel's
// first value as its fourth.
template <typename F, int C, int R, uint32_t N>
__attribute__((always_inline)) inline void SumPixels(const double* w, const double* p,
                                                     size_t stride, uint32_t count, F (&sum)[R]) {
    const uint32_t n = N ? N : count;
    F v;
    for (int r = 0; r < R; ++r)
        sum[r].Clear();
    for (uint32_t k = 0; k < n; ++k)
        for (int r = 0; r < R; ++r) {
            v.Load(p + size_t(r) * stride + size_t(k) * C);
            sum[r].AddProduct(w[k], v);
        }
}

// Target pixels begin to end of R widened rows of three- or four-channel pixels into R rows
// of `out`, outStride bytes apart. A three-channel pixel's fourth byte is stored too unless
// Exact, and the next pixel's store overwrites it.
template <typename F, int C, int R, bool Exact>
__attribute__((always_inline)) inline void
PixelsOfRows(const double* lines, size_t stride, const Table& table, size_t begin, size_t end,
             uint8_t* out, size_t outStride) {
    static_assert(C == 3 || C == 4);
    const Taps* allTaps = table.taps.data();
    const double* weights = table.weights.data();
    for (size_t i = begin; i < end; ++i) {
        const Taps& taps = allTaps[i];
        const double* w = weights + taps.offset;
        const double* p = lines + size_t(taps.first) * C;
        F sum[R];
        ForTapCount(taps.count, [&](auto n) {
            SumPixels<F, C, R, decltype(n)::value>(w, p, stride, taps.count, sum);
        });
        for (int r = 0; r < R; ++r) {
            const uint32_t bytes = bk_lanes::Bytes(sum[r].Round());
            std::memcpy(out + size_t(r) * outStride + i * C, &bytes, Exact ? size_t(C) : 4);
        }
    }
}

// The pixels of R widened rows. The last pixel of a row is stored exactly, so that nothing is
// written beyond it.
template <typename F, int C, int R>
__attribute__((always_inline)) inline void HorizontalPixels(const double* lines, size_t stride,
                                                            const Table& table, uint8_t* out,
                                                            size_t outStride) {
    const size_t count = table.taps.size();
    const size_t whole = C == 3 && table.first + count == table.target ? count - 1 : count;
    PixelsOfRows<F, C, R, false>(lines, stride, table, 0, whole, out, outStride);
    PixelsOfRows<F, C, R, true>(lines, stride, table, whole, count, out, outStride);
}
#endif

// Rows short enough are widened kRowsAtOnce at a time into `wide`, each followed by one value
// that the pixel code reads and does not use. The pixel code takes pixels of three or four
// channels; the plain loops take all the rest.
template <int C, typename F>
__attribute__((always_inline)) inline void HorizontalPassOf(const uint8_t* src, size_t sourceWidth,
                                                            size_t rows, const Table& table,
                                                            uint8_t* dst, double* wide) {
    const size_t lineBytes = sourceWidth * C;
    const size_t outBytes = size_t(table.target) * C;
    dst += size_t(table.first) * C;
    if (!WideValues(lineBytes)) {
        for (size_t y = 0; y < rows; ++y)
            HorizontalRow<C>(src + y * lineBytes, table, dst + y * outBytes);
        return;
    }
    const size_t stride = lineBytes + 1;
    for (size_t y0 = 0; y0 < rows; y0 += kRowsAtOnce) {
        const size_t n = std::min(size_t(kRowsAtOnce), rows - y0);
        for (size_t r = 0; r < n; ++r) {
            const uint8_t* line = src + (y0 + r) * lineBytes;
            double* to = wide + r * stride;
            for (size_t x = 0; x < lineBytes; ++x)
                to[x] = double(line[x]);
            to[lineBytes] = 0.0;
        }
        uint8_t* out = dst + y0 * outBytes;
#if defined(__x86_64__)
        if constexpr (!std::is_void_v<F> && C >= 3) {
            if (n == kRowsAtOnce)
                HorizontalPixels<F, C, kRowsAtOnce>(wide, stride, table, out, outBytes);
            else
                for (size_t r = 0; r < n; ++r)
                    HorizontalPixels<F, C, 1>(wide + r * stride, stride, table, out + r * outBytes,
                                              outBytes);
            continue;
        }
#endif
        for (size_t r = 0; r < n; ++r)
            HorizontalRow<C>(wide + r * stride, table, out + r * outBytes);
    }
}

// Row by row: each output value is independent of its neighbours, so a piece of a row of
// sums is built tap by tap, which vectorises across the row. The first product stands for
// 0 + product (exact, as no product is negative), and a lone tap has the weight 1 exactly (it
// was divided by itself), so its row is the source row.
__attribute__((always_inline)) inline void VerticalPassOf(const uint8_t* src, size_t rowBytes,
                                                          const Table& table, uint8_t* dst,
                                                          double* sums) {
    // Read once: stores of bytes may alias anything, which would reload them at every step.
    const size_t count = table.taps.size();
    const Taps* allTaps = table.taps.data();
    const double* weights = table.weights.data();
    uint8_t* const rows = dst + size_t(table.first) * rowBytes;
    for (size_t i = 0; i < count; ++i) {
        const Taps& taps = allTaps[i];
        const double* w = weights + taps.offset;
        uint8_t* out = rows + i * rowBytes;
        const uint8_t* top = src + size_t(taps.first) * rowBytes;
        if (taps.count == 0) {
            std::memset(out, 0, rowBytes);
            continue;
        }
        if (taps.count == 1 && w[0] == 1.0) {
            std::memcpy(out, top, rowBytes);
            continue;
        }
        for (size_t x0 = 0; x0 < rowBytes; x0 += kPieceValues) {
            const size_t n = std::min(kPieceValues, rowBytes - x0);
            const uint8_t* line = top + x0;
            const double first = w[0];
            for (size_t x = 0; x < n; ++x)
                sums[x] = first * double(line[x]);
            for (uint32_t k = 1; k < taps.count; ++k) {
                line += rowBytes;
                const double weight = w[k];
                for (size_t x = 0; x < n; ++x)
                    sums[x] += weight * double(line[x]);
            }
            for (size_t x = 0; x < n; ++x)
                out[x0 + x] = uint8_t(sums[x] + 0.5);
        }
    }
}

// The passes of each kind of code, one function per pass and channel count.
template <typename F>
struct Passes {
    template <int C>
    static void Horizontal(const uint8_t* src, size_t sourceWidth, size_t rows, const Table& table,
                           uint8_t* dst, double* wide) {
        HorizontalPassOf<C, F>(src, sourceWidth, rows, table, dst, wide);
    }
    static void Vertical(const uint8_t* src, size_t rowBytes, const Table& table, uint8_t* dst,
                         double* sums) {
        VerticalPassOf(src, rowBytes, table, dst, sums);
    }
};

#if defined(__x86_64__)
// Built for AVX2: the same operations in the same order, in wider registers.
template <>
struct Passes<FourAvx2> {
    template <int C>
    __attribute__((target("avx2"))) static void Horizontal(const uint8_t* src, size_t sourceWidth,
                                                           size_t rows, const Table& table,
                                                           uint8_t* dst, double* wide) {
        HorizontalPassOf<C, FourAvx2>(src, sourceWidth, rows, table, dst, wide);
    }
    __attribute__((target("avx2"))) static void
    Vertical(const uint8_t* src, size_t rowBytes, const Table& table, uint8_t* dst, double* sums) {
        VerticalPassOf(src, rowBytes, table, dst, sums);
    }
};
#endif

using HorizontalPassFn = void (*)(const uint8_t* src, size_t sourceWidth, size_t rows,
                                  const Table& table, uint8_t* dst, double* wide);
using VerticalPassFn = void (*)(const uint8_t* src, size_t rowBytes, const Table& table,
                                uint8_t* dst, double* sums);

template <typename F>
void PassesOf(size_t channels, HorizontalPassFn& horizontal, VerticalPassFn& vertical) {
    horizontal = channels == 3   ? Passes<F>::template Horizontal<3>
                 : channels == 1 ? Passes<F>::template Horizontal<1>
                                 : Passes<F>::template Horizontal<4>;
    vertical = Passes<F>::Vertical;
}

void PassesFor(BK_ResizeKernels kernels, size_t channels, HorizontalPassFn& horizontal,
               VerticalPassFn& vertical) {
    switch (kernels) {
#if defined(__x86_64__)
    case BK_ResizeKernels::Sse2:
        return PassesOf<FourSse2>(channels, horizontal, vertical);
    case BK_ResizeKernels::Avx2:
        return PassesOf<FourAvx2>(channels, horizontal, vertical);
#endif
    default:
        return PassesOf<void>(channels, horizontal, vertical);
    }
}

template <typename T>
bool Grow(std::vector<T>& buffer, size_t size) {
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

bool Resample(Cache& cache, const uint8_t* pixels, int32_t sw, int32_t sh, int32_t tw, int32_t th,
              size_t channels, uint8_t* out) {
    const size_t rowBytes = size_t(tw) * channels;
    const size_t wide = sw != tw ? WideValues(size_t(sw) * channels) : 0;
    if (!Grow(cache.piece, std::max(std::min(rowBytes, kPieceValues), wide)))
        return false;
    double* piece = cache.piece.data();
    HorizontalPassFn horizontal;
    VerticalPassFn vertical;
    PassesFor(cache.kernels, channels, horizontal, vertical);
    const uint8_t* middle = pixels;
    if (sw != tw) {
        uint8_t* middleOut = out;
        if (sh != th && !(middleOut = cache.Intermediate(rowBytes * size_t(sh))))
            return false;
        if (!ForEachTable(cache, uint32_t(tw), uint32_t(sw), [&](const Table& across) {
                horizontal(pixels, size_t(sw), size_t(sh), across, middleOut, piece);
            }))
            return false;
        middle = middleOut;
    }
    if (sh != th)
        return ForEachTable(cache, uint32_t(th), uint32_t(sh), [&](const Table& down) {
            vertical(middle, rowBytes, down, out, piece);
        });
    return true;
}

} // namespace

bool BK_ResizeImageInto(const uint8_t* pixels, int32_t sw, int32_t sh, int32_t tw, int32_t th,
                        uint16_t bitsPerPixel, uint8_t* out) {
    return BK_ResizeChannelsInto(pixels, sw, sh, tw, th, bitsPerPixel == 24 ? 3 : 4, out);
}

bool BK_ResizeChannelsInto(const uint8_t* pixels, int32_t sw, int32_t sh, int32_t tw, int32_t th,
                           uint32_t channels, uint8_t* out) {
    if (channels != 1 && channels != 3 && channels != 4)
        return false;
    size_t outBytes;
    if (!pixels || !out || !Usable(sw, sh, tw, th, channels, outBytes))
        return false;
    Cache& cache = ThreadCache();
    cache.Prepare(sw != tw && sh != th ? size_t(tw) * channels * size_t(sh) : 0);
    return Resample(cache, pixels, sw, sh, tw, th, channels, out);
}

void BK_ResizeReleaseMemory() {
    ThreadCache().Release();
}

bool BK_ResizeUseKernels(BK_ResizeKernels kernels) {
    if (!Supported(kernels))
        return false;
    ThreadCache().kernels = kernels;
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
