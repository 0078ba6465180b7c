// CBK_ByteBuffer: a growable byte array whose growth leaves the new bytes unwritten, so that
// a writer can store a whole word at the end and count only the bytes it meant. Read like a
// std::vector of bytes (data, size, iteration, comparison with one).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

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
            _size = 0;
            append(other.data(), other.size());
        }
        return *this;
    }
    CBK_ByteBuffer& operator=(CBK_ByteBuffer&& other) noexcept {
        CBK_ByteBuffer(std::move(other)).swap(*this);
        return *this;
    }

    std::size_t size() const { return _size; }
    std::size_t capacity() const { return _capacity; }
    bool empty() const { return _size == 0; }
    uint8_t* data() { return _bytes.get(); }
    const uint8_t* data() const { return _bytes.get(); }
    uint8_t* begin() { return data(); }
    uint8_t* end() { return data() + _size; }
    const uint8_t* begin() const { return data(); }
    const uint8_t* end() const { return data() + _size; }
    uint8_t& operator[](std::size_t i) { return _bytes.get()[i]; }
    uint8_t operator[](std::size_t i) const { return _bytes.get()[i]; }

    // Room for at least `n` bytes in all. The room past the end may be written before Grow
    // counts it.
    void reserve(std::size_t n) {
        if (n > _capacity)
            Reallocate(n);
    }
    // `n` bytes of room past the end, growing geometrically; Grow then counts what was
    // written there.
    uint8_t* Room(std::size_t n) {
        if (_capacity - _size < n)
            Reallocate(std::max(_size + n, _size * 2));
        return data() + _size;
    }
    // Counts `n` bytes written past the end, within the capacity.
    void Grow(std::size_t n) { _size += n; }

    void append(const uint8_t* bytes, std::size_t n) {
        if (n == 0)
            return;
        std::memcpy(Room(n), bytes, n);
        _size += n;
    }
    void swap(CBK_ByteBuffer& other) noexcept {
        _bytes.swap(other._bytes);
        std::swap(_size, other._size);
        std::swap(_capacity, other._capacity);
    }

    friend bool operator==(const CBK_ByteBuffer& a, const std::vector<uint8_t>& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

private:
    struct Free {
        void operator()(uint8_t* p) const { std::free(p); }
    };

    // realloc keeps the bytes and, where the block can grow in place, copies none.
    void Reallocate(std::size_t n) {
        void* grown = std::realloc(_bytes.get(), n);
        if (!grown)
            throw std::bad_alloc();
        _bytes.release();
        _bytes.reset(static_cast<uint8_t*>(grown));
        _capacity = n;
    }

    std::unique_ptr<uint8_t[], Free> _bytes;
    std::size_t _size = 0;
    std::size_t _capacity = 0;
};
