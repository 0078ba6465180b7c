// Work that must finish within a budget of processor time and heap, run in a child process
// so that going over either ends the child, not the test program.
#pragma once

#include <cstddef>
#include <functional>

namespace stravel::testing {

// True when `work` returned true in a child process that used at most `cpuSeconds` of
// processor time and held at most `maxBytes` of heap at once (heap is counted where
// AllocationMeter::Available()).
bool FinishesWithin(int cpuSeconds, std::size_t maxBytes, const std::function<bool()>& work);

} // namespace stravel::testing
