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
    _spanned.clear();
    const uint32_t consumed = reader->GetBufPos() - before;
    // Nothing spanned yet, so even an offset of 0 writes as read.
    _readAsWritten = length == 2 && consumed == 4;
    return consumed;
}

int32_t CBK_SwfActionBranch::GetWrittenOffset() const {
    if (_offset != 0)
        return _offset;
    int64_t sum = 0;
    for (const CBK_SwfActionRecord* record : _spanned)
        sum += record->GetSize();
    return static_cast<int32_t>(std::min<int64_t>(sum, INT32_MAX));
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
        _spanned.clear();
    return true;
}

void CBK_SwfActionBranch::AttachBranchActions(const CBK_SwfActionVector& list, std::size_t index) {
    _spanned.clear();
    // The records are counted first, so that the list is allocated once and their sizes are
    // asked once.
    std::size_t count = 0;
    if (_offset > 0) {
        int32_t left = _offset;
        for (std::size_t j = index + 1; left > 0 && j < list.size(); ++j, ++count)
            left -= static_cast<int32_t>(list[j]->GetSize());
        _spanned.reserve(count);
        for (std::size_t j = index + 1; j <= index + count; ++j)
            _spanned.push_back(list[j].get());
    } else if (_offset < 0) {
        int32_t left = -int32_t(_offset);
        for (std::size_t j = index + 1; left > 0 && j-- > 0; ++count)
            left -= static_cast<int32_t>(list[j]->GetSize());
        _spanned.reserve(count);
        for (std::size_t j = index + 1; j-- > index + 1 - count;)
            _spanned.push_back(list[j].get());
    }
}

} // namespace ravuz
