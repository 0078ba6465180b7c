// CBK_SwfReadBudget: the heap that the objects read from one movie (its tags, and the records,
// actions and glyphs inside them) may take, reckoned from the bytes the movie takes in its
// file, compressed or not.
//
// An object costs far more than its bytes: a 2-byte ShowFrame or a 1-byte action takes some
// 50 bytes of heap, a shape edge of 11 bits as much, and a glyph of 0 bits 8. Compressed, a
// flood of them costs almost nothing to store, so a movie may spend 64 MiB (a million small
// objects) or 128 bytes for each byte of its file, whichever is more. Real movies stay far
// below: scripts and shapes, the densest real content, take 15 to 25 times their bytes as
// objects and compress 3 to 5:1, and bulk content comes in large tags.
#pragma once

#include <algorithm>
#include <cstdint>

namespace ravuz {

class CBK_SwfReadBudget {
public:
    static constexpr uint64_t kObjectBytes = 64; // a small object with its place in a list
    static constexpr uint64_t kFloor = uint64_t(64) << 20;
    static constexpr uint64_t kPerStoredByte = 128;

    // Room for the objects of a movie that takes `storedBytes` in its file.
    explicit CBK_SwfReadBudget(uint64_t storedBytes)
        : _left(std::max(kFloor, kPerStoredByte * storedBytes)) {}

    // Takes `bytes` from what is left; false, and spent from then on, when they do not fit.
    bool Charge(uint64_t bytes) {
        if (_spent || _left < bytes)
            return !(_spent = true);
        _left -= bytes;
        return true;
    }
    bool IsSpent() const { return _spent; }

private:
    uint64_t _left;
    bool _spent = false;
};

} // namespace ravuz
