// Bytes that codings keep as they will be written: in place while they are few, in the
// compile arena beyond that.
#pragma once

#include "ascompiler/tree/node_arena.h"

#include <algorithm>
#include <cstring>

namespace translate {

template <int Inline>
class ByteBuffer {
public:
    ByteBuffer() = default;
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;
    ~ByteBuffer() {
        if (m_data != m_inline)
            ArenaRelease(m_data);
    }

    unsigned char* data() { return m_data; }
    const unsigned char* data() const { return m_data; }
    int size() const { return m_size; }

    // Room for bytes more at the end; returns where they go.
    unsigned char* grow(int bytes) {
        if (m_size + bytes > m_capacity)
            Reallocate(std::max(m_capacity * 2, m_size + bytes));
        unsigned char* at = m_data + m_size;
        m_size += bytes;
        return at;
    }
    void resize(int size) { m_size = size; } // never beyond the current size

private:
    void Reallocate(int capacity) {
        auto* grown = static_cast<unsigned char*>(
            ArenaAllocate(static_cast<std::size_t>(capacity), ArenaKind::Code));
        std::memcpy(grown, m_data, static_cast<std::size_t>(m_size));
        if (m_data != m_inline)
            ArenaRelease(m_data);
        m_data = grown;
        m_capacity = capacity;
    }

    unsigned char* m_data = m_inline;
    int m_size = 0;
    int m_capacity = Inline;
    unsigned char m_inline[Inline];
};

} // namespace translate
