// How far the body of a compressed movie (what follows its first 8 bytes) may inflate: no
// further than its header states, and no further than the memory that reading a movie of
// its file's size may take (CBK_SwfReadBudget). How well it compresses does not matter: real
// content compresses anywhere from 1:1 to past 1000:1 (digital silence, flat pictures).
#pragma once

#include <cstdint>

#include "swf/stream/read_budget.h"

namespace ravuz {

// The most bytes a movie whose file takes `fileBytes` may inflate to.
constexpr uint64_t SwfInflateLimit(uint64_t fileBytes) {
    return CBK_SwfReadBudget::LimitFor(fileBytes);
}

} // namespace ravuz
