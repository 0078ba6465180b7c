#include <cmath>

#include "media/filters/noise_filters.h"
#include "media/filters/pixel_routines.h"

namespace {

// Mask states of one pass.
enum : uint8_t { kUnvisited = 0, kCounted = 1, kGathered = 2, kDone = 3 };

struct RunSpan {
    int32_t left;
    int32_t right;
};

// One call of a walk that recursed over row runs: the run it found and the next cell of it
// to continue from, first upwards, then downwards.
struct Frame {
    int32_t left, right, y, next;
    bool down;
};

class Pass {
public:
    Pass(int32_t width, int32_t height, uint8_t* pixels, std::vector<uint8_t>& mask)
        : _w(width), _h(height), _pixels(pixels), _mask(mask) {}

    void Execute(int32_t level, double factor) {
        const int32_t limit = 1 << level;
        const double tightness = int32_t(256 / (1 + factor * level));
        _mask.assign(std::size_t(_w) * _h, kUnvisited);
        for (int32_t y = 0; y < _h; ++y)
            for (int32_t x = 0; x < _w; ++x) {
                if (_mask[Index(x, y)] != kUnvisited)
                    continue;
                const uint32_t colour = Colour(x, y);
                if (FindSize(colour, x, y) >= limit) {
                    Ignore(x, y);
                    continue;
                }
                _hasBest = false;
                FindMostSimilarNeighbor(colour, x, y);
                if (!_hasBest)
                    continue; // the region stays gathered
                // The root-mean-square difference per byte.
                const double error = std::sqrt(_bestError / 3.0);
                Fill(error > tightness ? colour : _bestColour, x, y);
            }
    }

private:
    std::size_t Index(int32_t x, int32_t y) const { return std::size_t(y) * _w + x; }
    uint32_t Colour(int32_t x, int32_t y) const {
        const uint8_t* p = _pixels + Index(x, y) * 3;
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    }
    void SetColour(int32_t x, int32_t y, uint32_t colour) {
        uint8_t* p = _pixels + Index(x, y) * 3;
        p[0] = uint8_t(colour);
        p[1] = uint8_t(colour >> 8);
        p[2] = uint8_t(colour >> 16);
    }

    // Runs `visit` on (x, y) and then, for each run it reports, on the cells above and
    // below every cell of the run, left to right, as the recursion would, but over a stack
    // on the heap.
    template <typename Visit>
    void Walk(int32_t x, int32_t y, Visit visit) {
        auto enter = [&](int32_t cx, int32_t cy) {
            RunSpan run;
            if (cy >= 0 && cy < _h && visit(cx, cy, run))
                _stack.push_back({run.left, run.right, cy, run.left, false});
        };
        _stack.clear();
        enter(x, y);
        while (!_stack.empty()) {
            Frame& frame = _stack.back();
            if (frame.next > frame.right) {
                _stack.pop_back();
                continue;
            }
            const int32_t cx = frame.next;
            int32_t cy = frame.y + 1;
            if (!frame.down) {
                frame.down = true;
                cy = frame.y - 1;
            } else {
                frame.down = false;
                ++frame.next;
            }
            enter(cx, cy); // may move the stack; the frame is not used after this
        }
    }

    // The run of `colour` through (x, y), by colour alone.
    RunSpan ColourRun(uint32_t colour, int32_t x, int32_t y) const {
        RunSpan run{x, x};
        while (run.left > 0 && Colour(run.left - 1, y) == colour)
            --run.left;
        while (run.right + 1 < _w && Colour(run.right + 1, y) == colour)
            ++run.right;
        return run;
    }

    // The run of cells in `state` through (x, y).
    RunSpan StateRun(uint8_t state, int32_t x, int32_t y) const {
        RunSpan run{x, x};
        while (run.left > 0 && _mask[Index(run.left - 1, y)] == state)
            --run.left;
        while (run.right + 1 < _w && _mask[Index(run.right + 1, y)] == state)
            ++run.right;
        return run;
    }

    void Mark(const RunSpan& run, int32_t y, uint8_t state) {
        for (int32_t i = run.left; i <= run.right; ++i)
            _mask[Index(i, y)] = state;
    }

    int64_t FindSize(uint32_t colour, int32_t x, int32_t y) {
        int64_t count = 0;
        Walk(x, y, [&](int32_t cx, int32_t cy, RunSpan& run) {
            if (_mask[Index(cx, cy)] == kCounted || Colour(cx, cy) != colour)
                return false;
            run = ColourRun(colour, cx, cy);
            Mark(run, cy, kCounted);
            count += run.right - run.left + 1;
            return true;
        });
        return count;
    }

    void Candidate(uint32_t colour, int32_t x, int32_t y) {
        const uint32_t other = Colour(x, y);
        int32_t error = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const int32_t d = int32_t((colour >> shift) & 0xFF) - int32_t((other >> shift) & 0xFF);
            error += d * d;
        }
        if (!_hasBest || error < _bestError) {
            _hasBest = true;
            _bestError = error;
            _bestColour = other;
        }
    }

    void FindMostSimilarNeighbor(uint32_t colour, int32_t x, int32_t y) {
        Walk(x, y, [&](int32_t cx, int32_t cy, RunSpan& run) {
            if (_mask[Index(cx, cy)] == kGathered)
                return false;
            if (Colour(cx, cy) != colour) {
                Candidate(colour, cx, cy);
                return false;
            }
            run = ColourRun(colour, cx, cy);
            if (run.left > 0)
                Candidate(colour, run.left - 1, cy);
            if (run.right + 1 < _w)
                Candidate(colour, run.right + 1, cy);
            Mark(run, cy, kGathered);
            return true;
        });
    }

    void Fill(uint32_t colour, int32_t x, int32_t y) {
        Walk(x, y, [&](int32_t cx, int32_t cy, RunSpan& run) {
            if (_mask[Index(cx, cy)] != kGathered)
                return false;
            run = StateRun(kGathered, cx, cy);
            for (int32_t i = run.left; i <= run.right; ++i)
                SetColour(i, cy, colour);
            Mark(run, cy, kDone);
            return true;
        });
    }

    void Ignore(int32_t x, int32_t y) {
        Walk(x, y, [&](int32_t cx, int32_t cy, RunSpan& run) {
            if (_mask[Index(cx, cy)] != kCounted)
                return false;
            run = StateRun(kCounted, cx, cy);
            Mark(run, cy, kDone);
            return true;
        });
    }

    int32_t _w, _h;
    uint8_t* _pixels;
    std::vector<uint8_t>& _mask;
    std::vector<Frame> _stack;
    bool _hasBest = false;
    int32_t _bestError = 0;
    uint32_t _bestColour = 0;
};

} // namespace

void despeckle_iteration(int32_t level, double factor, int32_t width, int32_t height,
                         uint8_t* pixels, std::vector<uint8_t>& mask) {
    if (!pixels || width <= 0 || height <= 0)
        return;
    Pass(width, height, pixels, mask).Execute(level, factor);
}

bool CBK_ImageFilterDespeckle::Filter(CBK_Image& image) {
    int32_t w, h;
    if (!BK_Has24BitPixels(image, w, h))
        return image.IsEmpty();
    for (int32_t level = 0; level < 20; ++level)
        despeckle_iteration(level, 3.0, w, h, image.GetData(), m_vMask);
    return true;
}
