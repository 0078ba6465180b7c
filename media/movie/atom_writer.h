// Big-endian QuickTime atoms built in memory: Begin opens an atom, End patches its size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

class CBK_AtomWriter {
public:
    void Begin(std::string_view type);
    void End();
    void Type(std::string_view type);
    void U8(uint8_t value) { _data.push_back(value); }
    void U16(uint16_t value);
    void U32(uint32_t value);
    void U64(uint64_t value);
    void Zeros(std::size_t count) { _data.insert(_data.end(), count, 0); }
    void Bytes(const void* bytes, std::size_t count);
    // A length-prefixed text of at most 31 characters in `width` bytes (width 0: its own
    // length plus one).
    void Pascal(std::string_view text, std::size_t width = 0);
    // The identity matrix of movie and track headers.
    void Matrix();

    const std::vector<uint8_t>& Data() const { return _data; }
    std::vector<uint8_t>& Data() { return _data; }

private:
    std::vector<uint8_t> _data;
    std::vector<std::size_t> _open;
};
