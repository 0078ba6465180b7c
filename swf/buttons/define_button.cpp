#include "swf/buttons/define_button.h"

#include <algorithm>

#include "swf/stream/bounded_read.h"
#include "swf/stream/minimum_bits.h"

namespace ravuz {

namespace {

constexpr uint32_t kCondActionHead = 4; // u16 size, u16 condition word

template <class T>
std::vector<std::unique_ptr<T>> DeepCopy(const std::vector<std::unique_ptr<T>>& source) {
    std::vector<std::unique_ptr<T>> out;
    out.reserve(source.size());
    for (const auto& item : source)
        out.push_back(std::make_unique<T>(*item));
    return out;
}

// An action list's records and end byte, as a button carries them.
std::vector<uint8_t> ListBytes(CBK_SwfDoAction& list, uint8_t version) {
    CBK_SwfStream scratch(version);
    list.Write(&scratch, false);
    const CBK_ByteBuffer& bytes = scratch.GetStream();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

} // namespace

// ---- CBK_SwfDefineButton

CBK_SwfDefineButton::CBK_SwfDefineButton(const CBK_SwfDefineButton& other)
    : CBK_SwfCharacterTag(other), _records(DeepCopy(other._records)),
      _actions(DeepCopy(other._actions)) {}

CBK_SwfDefineButton& CBK_SwfDefineButton::operator=(const CBK_SwfDefineButton& other) {
    if (this != &other) {
        _characterId = other._characterId;
        _records = DeepCopy(other._records);
        _actions = DeepCopy(other._actions);
    }
    return *this;
}

void CBK_SwfDefineButton::Destroy() {
    _actions.clear();
    _records.clear();
}

void CBK_SwfDefineButton::AddButtonRecord(CBK_SwfButtonRecord* record) {
    if (record)
        _records.emplace_back(record);
}

void CBK_SwfDefineButton::AddActionRecord(CBK_SwfDoAction* actions) {
    if (actions)
        _actions.emplace_back(actions);
}

CBK_SwfButtonRecord* CBK_SwfDefineButton::GetButtonRecord(std::size_t index) const {
    return index < _records.size() ? _records[index].get() : nullptr;
}

CBK_SwfDoAction* CBK_SwfDefineButton::GetActionList(std::size_t index) const {
    return index < _actions.size() ? _actions[index].get() : nullptr;
}

CBK_SwfButtonRecord* CBK_SwfDefineButton::ReadButtonRecord(CBK_SwfReader* reader, uint8_t flags,
                                                           uint8_t withColorTransform) {
    // The record and what it holds are charged before they are made; refused, an empty
    // record stands in while the reading stops.
    if (!reader->Charge(SwfHeapCost(sizeof(CBK_SwfButtonRecord)) +
                        SwfHeapCost(sizeof(CBK_SwfMatrix)) +
                        (withColorTransform ? SwfHeapCost(sizeof(CBK_SwfColorTransformAlpha)) : 0)))
        return new CBK_SwfButtonRecord;
    auto record = std::make_unique<CBK_SwfButtonRecord>();
    record->stateFlags = flags;
    record->characterId = reader->GetWord();
    record->depth = reader->GetWord();
    reader->ByteAlign();
    record->matrix = std::make_unique<CBK_SwfMatrix>();
    record->matrix->Read(reader);
    if (withColorTransform) {
        reader->ByteAlign();
        record->colorTransform = std::make_unique<CBK_SwfColorTransformAlpha>();
        record->colorTransform->Read(reader);
        record->ReadExtraFields(reader);
        if (!record->extraFields.empty())
            reader->Charge(SwfHeapCost(record->extraFields.capacity()));
    }
    return record.release();
}

void CBK_SwfDefineButton::ReadRecords(CBK_SwfReader& reader, bool withColorTransform) {
    while (reader.GetRemaining() > 0) {
        const uint32_t start = reader.GetBufPos();
        const bool shortBefore = reader.HadShortRead();
        const uint8_t flags = reader.GetByte();
        if (flags == 0 || !reader.ChargeRoomForOne(_records))
            break;
        _records.emplace_back(ReadButtonRecord(&reader, flags, withColorTransform));
        if (!withColorTransform)
            continue;
        // Written from its fields, a DefineButton2 record that the tag's end cut short would
        // promise fields it does not have, and the list's end byte would be read as one. One
        // that ends with the tag has lost at least that end byte.
        reader.ByteAlign();
        if ((!shortBefore && reader.HadShortRead()) || reader.GetRemaining() == 0) {
            reader.SetBufPos(start);
            if (reader.Charge(SwfHeapCost(reader.GetRemaining())))
                reader.GetBytes(_records.back()->storedBytes, reader.GetRemaining());
        }
    }
}

bool CBK_SwfDefineButton::StoredRecordsFit(bool withColorTransform) const {
    for (std::size_t i = 0; i < _records.size(); ++i)
        if (!_records[i]->storedBytes.empty() &&
            (!withColorTransform || i + 1 < _records.size() || !_actions.empty()))
            return false;
    return true;
}

void CBK_SwfDefineButton::WriteRecords(CBK_SwfStream& stream, bool withColorTransform) const {
    for (const auto& record : _records)
        if (record->stateFlags != 0)
            record->Write(&stream, withColorTransform);
    // A record kept as stored runs to the tag's end: nothing follows it.
    const CBK_SwfButtonRecord* last = _records.empty() ? nullptr : _records.back().get();
    if (!last || last->storedBytes.empty() || last->stateFlags == 0)
        stream.Add(uint8_t(0));
}

uint32_t CBK_SwfDefineButton::Read(CBK_SwfReader* reader) {
    CBK_SwfDefineButton::Destroy();
    CBK_SwfBoundedRead in(reader);
    return in.Within([this](CBK_SwfReader& sub) {
        SetCharacterId(sub.GetWord());
        ReadRecords(sub, false);
        if (!sub.ChargeRoomForOne(_actions) || !sub.ChargeObject<CBK_SwfDoAction>())
            return;
        auto list = std::make_unique<CBK_SwfDoAction>();
        if (list->Read(&sub, sub.GetDataSize()) > 0)
            _actions.push_back(std::move(list));
    });
}

uint32_t CBK_SwfDefineButton::Write(CBK_SwfStream* stream) {
    if (!StoredRecordsFit(false))
        return 0;
    for (const auto& list : _actions)
        if (!list->CanWrite(stream->GetVersion()))
            return 0;
    return WriteTag(stream, false, [this](CBK_SwfStream& s) {
        s.Add(_characterId);
        WriteRecords(s, false);
        if (_actions.size() == 1) {
            _actions.front()->Write(&s, false);
            return;
        }
        // One list on release: the lists run one after the other.
        for (const auto& list : _actions) {
            const std::vector<uint8_t> bytes = ListBytes(*list, s.GetVersion());
            s.AddBytes(bytes.data(), bytes.size() - 1);
        }
        s.Add(uint8_t(0));
    });
}

void CBK_SwfDefineButton::OffsetInfo(int32_t idOffset, int32_t depthOffset, int32_t frameOffset) {
    _characterId = OffsetU16(_characterId, idOffset);
    for (auto& record : _records) {
        record->characterId = OffsetU16(record->characterId, idOffset);
        record->depth = OffsetU16(record->depth, depthOffset);
    }
    if (frameOffset != 0)
        for (auto& list : _actions)
            list->OffsetInfo(idOffset, depthOffset, frameOffset);
}

bool CBK_SwfDefineButton::adjustPaths(const wchar_t* prefix) {
    // Every list or none: the changes are made on copies first.
    std::vector<std::unique_ptr<CBK_SwfDoAction>> changed;
    changed.reserve(_actions.size());
    for (const auto& list : _actions) {
        auto copy = std::make_unique<CBK_SwfDoAction>(*list);
        if (!copy->adjustPaths(prefix))
            return false;
        changed.push_back(std::move(copy));
    }
    _actions = std::move(changed);
    return true;
}

// ---- CBK_SwfDefineButton2

void CBK_SwfDefineButton2::Destroy() {
    RemoveActions();
    _flags = 0;
}

void CBK_SwfDefineButton2::RemoveActions() {
    _actions.clear();
    _conditions.clear();
}

bool CBK_SwfDefineButton2::AddAction(uint16_t condition, CBK_SwfDoAction* actions) {
    if (!actions)
        return false;
    _conditions.push_back(condition);
    _actions.emplace_back(actions);
    return true;
}

uint32_t CBK_SwfDefineButton2::Read(CBK_SwfReader* reader) {
    Destroy();
    _records.clear();
    CBK_SwfBoundedRead in(reader);
    return in.Within([this](CBK_SwfReader& sub) {
        SetCharacterId(sub.GetWord());
        _flags = sub.GetByte();
        uint32_t next = sub.GetWord(); // the action offset, then each list's size
        ReadRecords(sub, true);
        const uint32_t size = sub.GetDataSize();
        // Each list is charged before it is made: a flood of empty conditions ends where
        // the movie's budget does.
        while (next != 0 && sub.GetRemaining() >= kCondActionHead &&
               sub.ChargeRoomForOne(_conditions) && sub.ChargeRoomForOne(_actions) &&
               sub.ChargeObject<CBK_SwfDoAction>()) {
            const uint32_t at = sub.GetBufPos();
            next = sub.GetWord();
            const uint16_t condition = sub.GetWord();
            // A size too small to cover its own head says nothing of where the list ends.
            const bool sized = next >= kCondActionHead;
            const uint32_t end = sized ? std::min(at + next, size) : size;
            auto list = std::make_unique<CBK_SwfDoAction>();
            list->SetGotoFrame2Fixup(false);
            list->Read(&sub, end);
            if (sized && sub.GetBufPos() < end)
                sub.SetBufPos(end);
            _conditions.push_back(condition);
            _actions.push_back(std::move(list));
        }
    });
}

uint32_t CBK_SwfDefineButton2::Write(CBK_SwfStream* stream) {
    if (!StoredRecordsFit(true))
        return 0;
    const uint8_t version = stream->GetVersion();
    for (const auto& list : _actions)
        if (!list->CanWrite(version))
            return 0;
    CBK_SwfStream records(version);
    WriteRecords(records, true);
    const CBK_ByteBuffer& block = records.GetStream();
    std::vector<std::vector<uint8_t>> lists;
    lists.reserve(_actions.size());
    for (const auto& list : _actions)
        lists.push_back(ListBytes(*list, version));
    // The offset and every size but the last must fit their 16 bits: a button that cannot
    // be framed is not written at all.
    if (!lists.empty() && block.size() + 2 > 0xFFFF)
        return 0;
    for (std::size_t i = 0; i + 1 < lists.size(); ++i)
        if (lists[i].size() + kCondActionHead > 0xFFFF)
            return 0;
    return WriteTag(stream, false, [&](CBK_SwfStream& s) {
        s.Add(_characterId);
        s.Add(_flags);
        s.Add(static_cast<uint16_t>(lists.empty() ? 0 : block.size() + 2));
        s.AddBytes(block.data(), block.size());
        for (std::size_t i = 0; i < lists.size(); ++i) {
            const bool last = i + 1 == lists.size();
            s.Add(static_cast<uint16_t>(last ? 0 : lists[i].size() + kCondActionHead));
            s.Add(static_cast<uint16_t>(i < _conditions.size() ? _conditions[i] : 0));
            s.AddBytes(lists[i].data(), lists[i].size());
        }
    });
}

} // namespace ravuz
