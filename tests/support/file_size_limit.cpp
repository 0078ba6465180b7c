#include "tests/support/file_size_limit.h"

#include <csignal>
#include <sys/resource.h>

namespace stravel::testing {

bool UnderFileSizeLimit(std::size_t limit, const std::function<bool()>& action) {
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool result = action();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    return result;
}

} // namespace stravel::testing
