#include "swf/actions/branch_spans.h"

#include <algorithm>

#include "swf/actions/action_branch.h"

namespace ravuz {

void CBK_SwfBranchSpans::AttachAll(const CBK_SwfActionVector& records) {
    CBK_SwfBranchSpans spans;
    spans.AttachGrown(records, {});
}

void CBK_SwfBranchSpans::AttachGrown(const CBK_SwfActionVector& records,
                                     std::vector<std::size_t> changed) {
    const bool all = _starts.empty() || _starts.size() > records.size() + 1;
    if (all) {
        Forget();
        _starts.reserve(records.size() + 1);
        _starts.push_back(0);
    }
    const std::size_t measured = _starts.size() - 1;
    for (std::size_t i = measured; i < records.size(); ++i)
        _starts.push_back(_starts.back() + records[i]->GetSize());
    auto attach = [&](std::size_t i) {
        CBK_SwfActionBranch* branch = i < records.size() ? records[i]->AsBranch() : nullptr;
        if (branch && branch->AttachBranchActions(records, i, _starts))
            _short.push_back(i);
    };
    if (all) {
        for (std::size_t i = 0; i < records.size(); ++i)
            attach(i);
        return;
    }
    for (std::size_t i = measured; i < records.size(); ++i)
        if (records[i]->AsBranch())
            changed.push_back(i);
    changed.insert(changed.end(), _short.begin(), _short.end());
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    _short.clear();
    for (std::size_t i : changed)
        attach(i);
}

void CBK_SwfBranchSpans::Forget() {
    _starts = std::vector<uint64_t>();
    _short = std::vector<std::size_t>();
}

} // namespace ravuz
