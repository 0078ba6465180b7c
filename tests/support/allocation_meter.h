// Heap bytes that a stretch of code holds at its peak and keeps afterwards, counted through
// AddressSanitizer's allocation hooks (the test build runs under it).
#pragma once

#include <cstddef>

namespace stravel::testing {

class AllocationMeter {
public:
    // False where the program runs without AddressSanitizer and nothing can be counted.
    static bool Available();

    AllocationMeter(); // counts from here, one meter at a time
    ~AllocationMeter();
    AllocationMeter(const AllocationMeter&) = delete;
    AllocationMeter& operator=(const AllocationMeter&) = delete;

    // The most bytes held at once above the level at the start (frees of older blocks
    // count against it).
    std::size_t Peak() const;
    // Bytes held now above the level at the start; 0 when less is held.
    std::size_t Held() const;
    // Ends the process at once with `status` when more than `bytes` are held: for a child
    // that must not be let run into gigabytes.
    void ExitAbove(std::size_t bytes, int status);
};

} // namespace stravel::testing
