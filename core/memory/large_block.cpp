#include "core/memory/large_block.h"

#include <new>
#include <sys/mman.h>

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

// A mapping of whole huge pages, starting on a huge-page boundary so that the system can back
// all of it with them.
std::shared_ptr<uint8_t> MapHugePages(std::size_t size) {
    const std::size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
    const std::size_t mapped = rounded + kHugePage;
    void* map = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (map == MAP_FAILED)
        return nullptr;
    auto* start = static_cast<uint8_t*>(map);
    const std::size_t before =
        (kHugePage - reinterpret_cast<uintptr_t>(start) % kHugePage) % kHugePage;
    if (before)
        ::munmap(start, before);
    if (kHugePage - before)
        ::munmap(start + before + rounded, kHugePage - before);
    uint8_t* block = start + before;
    ::madvise(block, rounded, MADV_HUGEPAGE); // advice only: without it, plain pages
    return std::shared_ptr<uint8_t>(block, [rounded](uint8_t* at) { ::munmap(at, rounded); });
}

} // namespace

std::shared_ptr<uint8_t> BK_AllocateLargeBlock(std::size_t size) {
    if (size >= kHugePage)
        if (std::shared_ptr<uint8_t> block = MapHugePages(size))
            return block;
    uint8_t* block = new (std::nothrow) uint8_t[size ? size : 1];
    if (!block)
        return nullptr;
    return std::shared_ptr<uint8_t>(block, std::default_delete<uint8_t[]>());
}
