// The resource-map reader over arbitrary bytes: it must refuse or accept, never read outside
// the bytes; what it accepts builds into a map that reads back and builds the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/resources/resource_fork.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::vector<tbx::ForkResource> resources, again;
    if (!tbx::rsrc::ParseResourceFork(std::string(reinterpret_cast<const char*>(data), size),
                                      resources))
        return 0;
    const std::string built = tbx::rsrc::BuildResourceFork(resources);
    if (built.empty())
        return 0; // names shared in the input can outgrow the map's 16-bit offsets when written
    if (!tbx::rsrc::ParseResourceFork(built, again) || again.size() != resources.size() ||
        tbx::rsrc::BuildResourceFork(again) != built)
        std::abort();
    return 0;
}
