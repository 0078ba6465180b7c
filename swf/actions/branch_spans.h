// CBK_SwfBranchSpans: attaches to the If and Jump records of an action list the records each
// spans, measuring every record once rather than once for each branch that passes it; for a
// list that a builder grows, only what changed since its last attach.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "swf/actions/action_span.h"

namespace ravuz {

class CBK_SwfBranchSpans {
public:
    // Measures the records and attaches every branch, keeping nothing.
    static void AttachAll(const CBK_SwfActionVector& records);

    // For a list that has only grown since the last call, and whose records kept their sizes:
    // measures the records appended since, then attaches the branches at `changed` (those
    // whose offsets moved), those appended since, and those whose span ran out of records
    // last time. The first call, and the first after Forget, attaches every branch.
    void AttachGrown(const CBK_SwfActionVector& records, std::vector<std::size_t> changed);
    // The records may have changed: the next AttachGrown measures them all again.
    void Forget();

private:
    std::vector<uint64_t> _starts;   // the bytes before each measured record, then their total
    std::vector<std::size_t> _short; // forward branches whose span ran out of records
};

} // namespace ravuz
