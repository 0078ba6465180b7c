// The compiler's names for the chunked allocation of its trees and codings.
#pragma once

#include "core/memory/chunk_arena.h"

namespace translate {

using ArenaKind = BK_ArenaKind;

inline void* ArenaAllocate(std::size_t size, ArenaKind kind) {
    return BK_ArenaAllocate(size, kind);
}
inline void ArenaRelease(void* block) {
    BK_ArenaRelease(block);
}

template <ArenaKind Kind>
using ArenaAllocated = TBK_ArenaAllocated<Kind>;
template <class T, ArenaKind Kind>
using ArenaAllocator = TBK_ArenaAllocator<T, Kind>;

} // namespace translate
