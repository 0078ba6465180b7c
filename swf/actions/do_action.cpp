#include "swf/actions/do_action.h"

#include <cstdint>
#include <memory>
#include <unordered_set>

#include "swf/stream/minimum_bits.h"
#include "swf/stream/swf_reader.h"

namespace ravuz {

namespace {

bool IsIf(const CBK_SwfActionRecord* record) {
    return record->GetActionId() == 0x9D;
}

} // namespace

CBK_SwfDoAction& CBK_SwfDoAction::operator=(const CBK_SwfDoAction& other) {
    if (this == &other)
        return *this;
    _headerSuppressed = other._headerSuppressed;
    _list.AppendCopies(other._list);
    _trackingOff = false;
    AttachBranches();
    return *this;
}

void CBK_SwfDoAction::Destroy() {
    _open.clear();
    _list.Clear();
    _spans.reset();
}

CBK_SwfActionRecord* CBK_SwfDoAction::GetAction(std::size_t index) const {
    return index < _list.Size() ? _list.Records()[index].get() : nullptr;
}

bool CBK_SwfDoAction::Grows(std::size_t k) const {
    // An If waiting for its else-Jump to close counts only the else part.
    return !(IsIf(_open[k].branch) && k + 1 < _open.size() && !IsIf(_open[k + 1].branch));
}

uint32_t CBK_SwfDoAction::AddAction(CBK_SwfActionRecord* record) {
    if (!record)
        return 0;
    std::unique_ptr<CBK_SwfActionRecord> owned(record);
    const uint32_t size = record->GetSize();
    if (!_trackingOff) {
        // Every offset is checked before any changes, so that a refused record leaves the
        // list as it was.
        for (std::size_t k = 0; k < _open.size(); ++k)
            if (Grows(k) && int64_t(_open[k].branch->GetOffset()) + size > INT16_MAX)
                return 0;
        for (std::size_t k = 0; k < _open.size(); ++k)
            if (Grows(k)) {
                CBK_SwfActionBranch* branch = _open[k].branch;
                branch->SetOffset(static_cast<int16_t>(branch->GetOffset() + size));
            }
        if (auto* branch = record->AsBranch())
            _open.push_back({branch, _list.Size()});
    }
    _list.Append(owned.release());
    return size;
}

void CBK_SwfDoAction::AddEndIf() {
    // Only the open branches have grown; the one closed now among them.
    std::vector<std::size_t> grown;
    grown.reserve(_open.size());
    for (const OpenBranch& open : _open)
        grown.push_back(open.index);
    if (!_open.empty())
        _open.pop_back();
    if (!_spans)
        _spans = std::make_unique<CBK_SwfBranchSpans>();
    _spans->AttachGrown(_list.Records(), std::move(grown));
}

void CBK_SwfDoAction::TrackBranches(bool track, bool clearOpen) {
    _trackingOff = !track;
    if (clearOpen && !_open.empty()) {
        // Branches that grew while open are no longer known to have.
        _open.clear();
        _spans.reset();
    }
}

void CBK_SwfDoAction::SetActions(std::vector<CBK_SwfActionRecord*>& records) {
    std::unordered_set<CBK_SwfActionRecord*> incoming(records.begin(), records.end());
    for (auto& owned : _list.Records())
        if (incoming.count(owned.get()))
            owned.release(); // handed back in: keep it alive
    Destroy();
    std::unordered_set<CBK_SwfActionRecord*> taken;
    for (CBK_SwfActionRecord* record : records)
        if (record && taken.insert(record).second)
            _list.Append(record);
    AttachBranches();
}

void CBK_SwfDoAction::AttachBranches() {
    _spans.reset();
    CBK_SwfBranchSpans::AttachAll(_list.Records());
}

bool CBK_SwfDoAction::CanWrite(uint8_t version) {
    // Bringing the text to the version may change record sizes.
    _spans.reset();
    return _list.Empty() || _list.PrepareWrite(version);
}

uint32_t CBK_SwfDoAction::Write(CBK_SwfStream* stream, bool writeHeader) {
    const bool header = writeHeader && !_headerSuppressed;
    if (!CanWrite(stream->GetVersion()))
        return 0;
    if (_list.Empty() && (!header || GetTrailingBytes().empty())) {
        if (header)
            return 0;
        // Buttons and clip actions expect a list's end byte even when it holds nothing.
        stream->Add(uint8_t(0));
        return 1;
    }
    if (!header) {
        const uint32_t before = stream->GetByteCount();
        _list.WriteRecords(stream);
        stream->Add(uint8_t(0));
        return stream->GetByteCount() - before;
    }
    return WriteTag(stream, true, [this](CBK_SwfStream& s) {
        _list.WriteRecords(&s);
        s.Add(uint8_t(0));
    });
}

uint32_t CBK_SwfDoAction::Read(CBK_SwfReader* reader) {
    return Read(reader, reader->GetTagEnd(reader->GetBufPos()));
}

uint32_t CBK_SwfDoAction::Read(CBK_SwfReader* reader, uint32_t end) {
    const uint32_t start = reader->GetBufPos();
    _trackingOff = true;
    _list.ReadRecords(reader, end, false, _gotoFrame2Fixup);
    _trackingOff = false;
    // Attaching measures every record into a list of its own while it works.
    const uint64_t measuring = SwfHeapCost((_list.Size() + 1) * sizeof(uint64_t));
    if (reader->Charge(measuring)) {
        AttachBranches();
        reader->Refund(measuring);
    }
    return reader->GetBufPos() - start;
}

bool CBK_SwfDoAction::adjustPaths(const wchar_t* prefix) {
    const bool ok = _list.AdjustPaths(prefix);
    AttachBranches();
    return ok;
}

CBK_SwfDoInitAction::CBK_SwfDoInitAction(const CBK_SwfDoInitAction& other)
    : CBK_SwfTag(other), _spriteId(other._spriteId) {
    _list.AppendCopies(other._list);
}

CBK_SwfDoInitAction& CBK_SwfDoInitAction::operator=(const CBK_SwfDoInitAction& other) {
    if (this != &other) {
        _spriteId = other._spriteId;
        _list.Clear();
        _list.AppendCopies(other._list);
    }
    return *this;
}

CBK_SwfActionRecord* CBK_SwfDoInitAction::GetAction(std::size_t index) const {
    return index < _list.Size() ? _list.Records()[index].get() : nullptr;
}

void CBK_SwfDoInitAction::AddAction(CBK_SwfActionRecord* record) {
    if (record)
        _list.Append(record);
}

uint32_t CBK_SwfDoInitAction::Write(CBK_SwfStream* stream) {
    if (!_list.PrepareWrite(stream->GetVersion()))
        return 0;
    return WriteTag(stream, true, [this](CBK_SwfStream& s) {
        s.Add(_spriteId);
        _list.WriteRecords(&s);
        s.Add(uint8_t(0));
    });
}

uint32_t CBK_SwfDoInitAction::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    const uint32_t end = reader->GetTagEnd(start);
    _spriteId = reader->GetWord();
    _list.ReadRecords(reader, end, true, false);
    return reader->GetBufPos() - start;
}

void CBK_SwfDoInitAction::OffsetInfo(int32_t charIdOffset, int32_t, int32_t) {
    _spriteId = OffsetU16(_spriteId, charIdOffset);
}

} // namespace ravuz
