// CBK_ByteBuffer: a growable byte array whose growth leaves the new bytes unwritten, so that
// a writer can store a whole word at the end and count only the bytes it meant. Read like a
// std::vector of bytes (data, size, iteration, comparison with one).
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

// The whole-value appends store a word as a little-endian host holds it.
static_assert(std::endian::native == std::endian::little);

class CBK_ByteBuffer {
public:
    using value_type = uint8_t;
    using iterator = uint8_t*;
    using const_iterator = const uint8_t*;

    CBK_ByteBuffer() = default;
    CBK_ByteBuffer(const CBK_ByteBuffer& other) { append(other.data(), other.size()); }
    CBK_ByteBuffer(CBK_ByteBuffer&& other) noexcept { swap(other); }
    CBK_ByteBuffer& operator=(const CBK_ByteBuffer& other) {
        if (this != &other) {
            _end = data();
            append(other.data(), other.size());
        }
        return *this;
    }
    CBK_ByteBuffer& operator=(CBK_ByteBuffer&& other) noexcept {
        CBK_ByteBuffer(std::move(other)).swap(*this);
        return *this;
    }

    std::size_t size() const { return static_cast<std::size_t>(_end - data()); }
    std::size_t capacity() const { return static_cast<std::size_t>(_limit - data()); }
    // Room past the end.
    std::size_t Spare() const { return static_cast<std::size_t>(_limit - _end); }
    bool empty() const { return _end == data(); }
    uint8_t* data() { return _bytes.get(); }
    const uint8_t* data() const { return _bytes.get(); }
    uint8_t* begin() { return data(); }
    uint8_t* end() { return _end; }
    const uint8_t* begin() const { return data(); }
    const uint8_t* end() const { return _end; }
    uint8_t& operator[](std::size_t i) { return _bytes.get()[i]; }
    uint8_t operator[](std::size_t i) const { return _bytes.get()[i]; }

    // Room for at least `n` bytes in all. The room past the end may be written before Grow
    // counts it.
    void reserve(std::size_t n) {
        if (n > capacity())
            Reallocate(n);
    }
    // `n` bytes of room past the end, growing geometrically; Grow then counts what was
    // written there.
    uint8_t* Room(std::size_t n) {
        if (Spare() < n) [[unlikely]]
            Reallocate(std::max(size() + n, size() * 2));
        return _end;
    }
    // Counts `n` bytes written past the end, within the capacity.
    void Grow(std::size_t n) { _end += n; }
    // Keeps the first `n` bytes (at most all of them) and the room.
    void Truncate(std::size_t n) { _end = data() + std::min(n, size()); }
    void clear() { _end = data(); }

    // The low `bytes` bytes (1 to 8) of `value`, least significant first: a whole word stored
    // into the room past the end, of which `bytes` then count.
    void AppendLittleEndian(uint64_t value, std::size_t bytes) {
        uint8_t* at = Room(8);
        std::memcpy(at, &value, 8);
        _end = at + bytes;
    }
    // The same, most significant first.
    void AppendBigEndian(uint64_t value, std::size_t bytes) {
        AppendLittleEndian(__builtin_bswap64(value << (64 - 8 * bytes)), bytes);
    }

    // `bytes` may lie in this very buffer, which growing can move.
    void append(const uint8_t* bytes, std::size_t n) {
        if (n == 0)
            return;
        const auto at = reinterpret_cast<std::uintptr_t>(bytes);
        const auto own = reinterpret_cast<std::uintptr_t>(data());
        if (at - own < size()) {
            const std::size_t from = at - own;
            Room(n);
            bytes = data() + from;
        }
        uint8_t* to = Room(n);
        std::memcpy(to, bytes, n);
        _end = to + n;
    }
    void swap(CBK_ByteBuffer& other) noexcept {
        _bytes.swap(other._bytes);
        std::swap(_end, other._end);
        std::swap(_limit, other._limit);
    }

    friend bool operator==(const CBK_ByteBuffer& a, const std::vector<uint8_t>& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }
    friend bool operator==(const CBK_ByteBuffer& a, const CBK_ByteBuffer& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

private:
    struct Free {
        void operator()(uint8_t* p) const { std::free(p); }
    };

    // realloc keeps the bytes and, where the block can grow in place, copies none.
    void Reallocate(std::size_t n) {
        const std::size_t held = size();
        void* grown = std::realloc(_bytes.get(), n);
        if (!grown)
            throw std::bad_alloc();
        _bytes.release();
        _bytes.reset(static_cast<uint8_t*>(grown));
        _end = data() + held;
        _limit = data() + n;
    }

    // Ends as pointers, as a vector keeps them: an append then reads and writes one of them.
    std::unique_ptr<uint8_t[], Free> _bytes;
    uint8_t* _end = nullptr;
    uint8_t* _limit = nullptr;
};
