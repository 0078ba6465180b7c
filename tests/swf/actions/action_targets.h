// Where the branches, With blocks and function bodies of an action list point.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "swf/actions/do_action.h"

namespace swftest {

// For every record with targets, the index of the record each target lands on (the
// record count for the list's end), or -1 when it lands inside a record or outside.
inline std::vector<std::vector<int64_t>> TargetIndices(const ravuz::CBK_SwfActionList& list) {
    const auto& records = list.Records();
    std::vector<int64_t> starts{0};
    for (const auto& r : records)
        starts.push_back(starts.back() + r->GetSize());
    std::vector<std::vector<int64_t>> out(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        std::vector<int32_t> jumps;
        records[i]->GetJumps(jumps);
        for (int32_t d : jumps) {
            const int64_t target = starts[i + 1] + d;
            const auto it = std::lower_bound(starts.begin(), starts.end(), target);
            out[i].push_back(it != starts.end() && *it == target ? it - starts.begin() : -1);
        }
    }
    return out;
}

inline bool AllTargetsOnRecords(const ravuz::CBK_SwfActionList& list) {
    for (const auto& targets : TargetIndices(list))
        for (int64_t t : targets)
            if (t < 0)
                return false;
    return true;
}

} // namespace swftest
