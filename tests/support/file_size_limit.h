// A file-size limit stands in for a full disk: writes past it fail instead of killing the
// process.
#pragma once

#include <cstddef>
#include <functional>

namespace stravel::testing {

// The result of `action` run while no file may grow past `limit` bytes.
bool UnderFileSizeLimit(std::size_t limit, const std::function<bool()>& action);

} // namespace stravel::testing
