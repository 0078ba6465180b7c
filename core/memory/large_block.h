// Memory for reading large files into: blocks of a megabyte and more come straight from the
// system, on huge pages where it gives them, so that filling one costs a few page faults
// instead of one per 4 KiB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// `size` bytes, not cleared; null when the memory is not there. The last owner frees them.
std::shared_ptr<uint8_t> BK_AllocateLargeBlock(std::size_t size);
