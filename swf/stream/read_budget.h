// CBK_SwfReadBudget: the memory that reading one movie may take, reckoned from the bytes the
// movie takes in its file, compressed or not: 128 MiB, and 1 KiB for each byte of the file.
//
// Everything the reading makes is charged at what it takes, as it is made: the bytes a
// compressed movie inflates to, every tag, record, action, style, string and payload copy,
// and the room of the lists that hold them. A charge that does not fit spends the budget and
// the reading stops before the memory is taken. What a movie needs depends on what it holds,
// not on how well it compresses: silence and flat pictures compress past 1000:1 and cost
// little more than their inflated bytes, of which zlib makes about 1 KiB from a byte at the
// most, while a flood of empty objects costs tens of bytes of heap for each byte. The bound
// holds both: a 100 kB file is read in at most 226 MiB, a 1.1 MB file in at most 1.2 GiB.
//
// A budget that tags carry (the streaming reader's) is also a ledger: each such tag gives
// back what it was charged when it is deleted, so that only what its holder keeps counts.
// Tags may be deleted on any thread: what they give back is counted apart, atomically.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace ravuz {

// What a heap block of `bytes` takes from the allocator: the request and an 8-byte header
// rounded up to 16, 32 at the least; a large block is a mapping of whole pages.
constexpr uint64_t SwfHeapCost(uint64_t bytes) {
    if (bytes >= (uint64_t(128) << 10))
        return (bytes + 8 + 4095) / 4096 * 4096;
    return std::max<uint64_t>(32, (bytes + 8 + 15) / 16 * 16);
}

// A block of the action records' chunk arena: rounded to 16, with a 16-byte header; larger
// blocks come from the heap with the same header.
constexpr uint64_t SwfArenaCost(uint64_t bytes) {
    const uint64_t rounded = (bytes + 15) / 16 * 16;
    return rounded <= 512 ? rounded + 16 : SwfHeapCost(bytes + 16);
}

// A wide string decoded from `bytes` bytes of text: held in the string itself up to three
// characters, else a heap block of room for one character per byte and the terminator.
constexpr uint64_t SwfTextCost(uint64_t bytes) {
    return bytes <= 3 ? 0 : SwfHeapCost((bytes + 1) * sizeof(wchar_t));
}

class CBK_SwfReadBudget {
public:
    static constexpr uint64_t kFloor = uint64_t(128) << 20;
    static constexpr uint64_t kPerStoredByte = 1024;

    // The most a movie that takes `storedBytes` in its file may take in memory.
    static constexpr uint64_t LimitFor(uint64_t storedBytes) {
        return kFloor + kPerStoredByte * std::min<uint64_t>(storedBytes, uint64_t(1) << 40);
    }

    explicit CBK_SwfReadBudget(uint64_t storedBytes)
        : _limit(LimitFor(storedBytes)), _madeLimit(_limit / 2 * 3) {}
    CBK_SwfReadBudget(const CBK_SwfReadBudget&) = delete;
    CBK_SwfReadBudget& operator=(const CBK_SwfReadBudget&) = delete;

    // Takes `bytes` from what is left; false, and spent from then on, when they do not fit.
    // A ledger's tags give back what they took, but everything made still takes time: a
    // reading may make one and a half times the limit's worth in all.
    bool Charge(uint64_t bytes) {
        if (_spent)
            return false;
        const uint64_t held = Held();
        if (bytes > _limit - std::min(held, _limit) || bytes > _madeLimit - _charged)
            return !(_spent = true);
        _charged += bytes;
        return true;
    }
    // Gives back what was charged for memory freed since.
    void Refund(uint64_t bytes) { _charged -= std::min(bytes, _charged); }
    bool IsSpent() const { return _spent; }
    // What this reader's thread charged and did not refund: charges made since an earlier
    // reading of it are what the reading between took.
    uint64_t Charged() const { return _charged; }
    // What is charged and not given back.
    uint64_t Held() const {
        const uint64_t back = _givenBack.load(std::memory_order_relaxed);
        return _charged > back ? _charged - back : 0;
    }
    uint64_t GetLimit() const { return _limit; }

    // The ledger side. A budget made with NewShared lives while its maker or a tag holds it.
    static CBK_SwfReadBudget* NewShared(uint64_t storedBytes) {
        return new CBK_SwfReadBudget(storedBytes);
    }
    void Hold() { _holders.fetch_add(1, std::memory_order_relaxed); }
    // From any thread: gives `bytes` back and lets go; the last holder deletes the budget.
    void GiveBackAndRelease(uint64_t bytes) {
        _givenBack.fetch_add(bytes, std::memory_order_relaxed);
        if (_holders.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete this;
    }

private:
    uint64_t _limit;
    uint64_t _madeLimit;
    uint64_t _charged = 0;
    std::atomic<uint64_t> _givenBack{0};
    std::atomic<uint32_t> _holders{1};
    bool _spent = false;
};

} // namespace ravuz
