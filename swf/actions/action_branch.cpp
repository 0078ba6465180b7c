#include "swf/actions/action_branch.h"

#include <algorithm>

#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"

namespace ravuz {

CBK_SwfActionBranch& CBK_SwfActionBranch::operator=(const CBK_SwfActionBranch& other) {
    if (this != &other) {
        CBK_SwfActionRecord::operator=(other);
        _offset = other._offset;
    }
    return *this;
}

uint32_t CBK_SwfActionBranch::Read(CBK_SwfReader* reader) {
    const uint32_t before = reader->GetBufPos();
    const uint16_t length = reader->GetWord();
    _offset = static_cast<int16_t>(reader->GetWord());
    _spanned = {};
    const uint32_t consumed = reader->GetBufPos() - before;
    // Nothing spanned yet, so even an offset of 0 writes as read.
    _readAsWritten = length == 2 && consumed == 4;
    return consumed;
}

int32_t CBK_SwfActionBranch::GetWrittenOffset() const {
    if (_offset != 0)
        return _offset;
    return static_cast<int32_t>(std::min<uint64_t>(_spanned.GetSize(), INT32_MAX));
}

uint32_t CBK_SwfActionBranch::Write(CBK_SwfStream* stream) {
    // A jump that would land elsewhere is never written.
    if (!HasWritableOffset())
        return 0;
    WriteHeader(stream, GetActionId(), 2);
    stream->Add(static_cast<int16_t>(GetWrittenOffset()));
    return 5;
}

void CBK_SwfActionBranch::GetJumps(std::vector<int32_t>& distances) const {
    distances.push_back(GetWrittenOffset());
}

bool CBK_SwfActionBranch::SetJumps(const std::vector<int32_t>& distances) {
    if (distances.size() != 1 || distances[0] < INT16_MIN || distances[0] > INT16_MAX)
        return false;
    _offset = static_cast<int16_t>(distances[0]);
    if (_offset == 0)
        _spanned = {};
    return true;
}

bool CBK_SwfActionBranch::AttachBranchActions(const CBK_SwfActionVector& list, std::size_t index,
                                              std::span<const uint64_t> starts) {
    _spanned = {};
    const std::size_t after = index + 1;
    if (_offset > 0) {
        // The fewest records from the next one on that cover the offset, or all there are.
        const uint64_t target = starts[after] + uint64_t(_offset);
        const auto end = std::lower_bound(starts.begin() + after, starts.end(), target);
        const std::size_t stop = std::min<std::size_t>(end - starts.begin(), list.size());
        _spanned = CBK_SwfActionSpan(list, after, stop - after, false);
        return end == starts.end();
    }
    if (_offset < 0) {
        // The fewest records from this one back that cover the offset, or all there are.
        const uint64_t back = uint64_t(-int32_t(_offset));
        std::size_t from = 0;
        if (starts[after] >= back) {
            const auto last =
                std::upper_bound(starts.begin(), starts.begin() + after + 1, starts[after] - back);
            from = static_cast<std::size_t>(last - starts.begin()) - 1;
        }
        _spanned = CBK_SwfActionSpan(list, index, after - from, true);
    }
    return false;
}

} // namespace ravuz
