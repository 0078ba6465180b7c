// CBK_Despeckler: the passes of the despeckle filter over one picture, with the working
// memory kept from one picture to the next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Despeckle passes as described, region by region in reading order, over a graph of regions
// instead of the pixels, with shortcuts that change no result:
// - Regions are connected components of one colour kept across the passes (union-find,
//   joined again whenever a region is recoloured), each with its colour, size and first
//   pixel, so a region at or above the pass's size limit is passed over without a walk.
// - Each region keeps the list of regions beside it, spliced together when regions join and
//   cleared of repeats when read, so a search reads its neighbours' colours without walking
//   the region. Only when two colours tie for the smallest error does the search walk the
//   region's row runs, in the order of the recursion it replaces, since that order decides.
// - Pixels take their regions' colours once, in Store; the passes recolour regions only.
// - A region that was last left as it was (its best neighbour too different, or none) stays
//   so while neither it nor any neighbour has changed, since the tightness only falls from
//   one pass to the next; it is not searched again.
// - Instead of scanning every pixel, a pass visits the first pixels of the regions that may
//   change, in reading order: a region not touched in this pass has been passed exactly when
//   its first pixel lies before the current one. A region too large for a pass waits for the
//   first pass whose size limit it is below.
// Passes come in rising levels, as the filter runs them.
class CBK_Despeckler {
public:
    // Takes a picture of width × height pixels of three bytes, kept until the next Reset.
    void Reset(int32_t width, int32_t height, uint8_t* pixels);
    // Runs the pass of level 1 on the picture, then takes it as Reset does. That pass (size
    // limit 2) searches single pixels alone, which are exactly the pixels whose neighbours
    // all have other colours, and their candidates are the left, right, upper and lower
    // neighbours in that order: it needs no regions, only the colours as they change.
    void ResetWithFirstPass(int32_t width, int32_t height, uint8_t* pixels, double factor);
    void Pass(int32_t level, double factor);
    // Writes the regions' colours into the picture.
    void Store();

private:
    struct Frame {
        int32_t left, right, y, next;
        bool down;
    };
    // A stretch of _neighbours (regions beside one, by any of their ids), and the next one
    // of the same region's list.
    struct Segment {
        int32_t begin, end, next;
    };
    // What a search and a recolouring read of each region beside the one searched, by the
    // region's id: all in one 32-byte record, so that a neighbour costs one cache line.
    struct alignas(32) Region {
        uint32_t colour; // of a root
        int32_t seen;    // the last search or scheduling that met it
        int32_t size;
        int32_t first;      // its first pixel in reading order
        int32_t start;      // when joined in this pass: see Start
        int32_t joinedPass; // the pass that joined or visited it
        int32_t queued;     // the pass that last set it waiting as a joined region
        uint8_t clean;      // left as it was, nothing beside it changed
    };
    // A region's first and last segment of neighbours, -1 when none.
    struct List {
        int32_t head, tail;
    };

    void _Load(int32_t width, int32_t height, uint8_t* pixels);
    struct Linker;
    void _Build();
    int32_t Start(int32_t root, int32_t position) const;
    void Visit(int32_t p, int64_t limit);
    bool ScheduleWaiting(int64_t limit);
    void Wait(int32_t r);
    void Schedule(int32_t start);
    int32_t Find(int32_t r);
    int32_t Join(int32_t a, int32_t b);
    void GatherNeighbours(int32_t root);
    void KeepNeighbours(int32_t root, const int32_t* kept, std::size_t count);
    uint32_t WalkForBest(int32_t root, int32_t x, int32_t y, int32_t smallest);
    void Recolour(int32_t root, uint32_t to, int32_t position);

    int32_t _w = 0, _h = 0;
    uint8_t* _pixels = nullptr;
    std::vector<uint32_t> _colour; // per pixel, until the regions are built
    std::vector<uint32_t> _final;  // per region, the colour that Store gives its pixels
    std::vector<int32_t> _label;   // per pixel: its region's id (ids in reading order)
    std::vector<int32_t> _upward;  // pixels of the colour of the pixel above, see Linker
    // Per pixel of a row in the first pass: the best of its right, upper and lower neighbours.
    std::vector<int32_t> _threeError;
    std::vector<uint32_t> _threeColour;
    int32_t _upwardCount = 0;
    std::vector<Region> _regions;
    std::vector<List> _lists;
    // Of the union-find, apart from the rest: a search follows it for every entry of a list,
    // many of which name regions joined since, and on its own it stays in the nearer caches.
    std::vector<int32_t> _parent;
    std::vector<int32_t> _neighbours;
    std::vector<int32_t> _last;      // per region while its list is built: the entry filed last
    std::vector<Segment> _segments;  // one per region to start with
    std::vector<uint32_t> _gathered; // per pixel: the walk that gathered it
    std::vector<Frame> _stack;
    // The neighbours of the region being searched, each once: the first _aroundCount.
    std::vector<int32_t> _around;
    std::size_t _aroundCount = 0;
    std::vector<int32_t> _joined;
    std::vector<uint64_t> _events; // one bit per pixel at which a region has its turn
    // Per pass level: the regions (by any of their ids) that may change from that pass on.
    static constexpr int32_t kLevels = 41;
    std::vector<int32_t> _waiting[kLevels];
    std::vector<int32_t> _due;
    int32_t _level = 0; // of the current pass
    int64_t _limit = 0; // its size limit
    int32_t _passId = 0;
    int32_t _visit = 0;
    uint32_t _walk = 0;
    int32_t _maxError = -1; // of the current pass, see MaxError
};
