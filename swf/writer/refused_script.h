// The tags that carry scripts (action lists, buttons, placements with clip actions, sprites
// holding any of these) write nothing at all when their actions cannot be encoded. The
// writers take that for a failed write, so that no movie passes for whole without its
// scripts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "swf/base/swf_tag.h"

namespace ravuz {

// Whether `tag`, which wrote `written` bytes at SWF `version`, left out a script it holds.
bool SwfScriptRefused(CBK_SwfTag& tag, uint8_t version, std::size_t written);

} // namespace ravuz
