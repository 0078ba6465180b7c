#include "swf/actions/action_list.h"

#include <algorithm>
#include <cstring>
#include <typeinfo>

#include "swf/actions/action_constant_pool.h"
#include "swf/actions/action_frame.h"
#include "swf/actions/action_function.h"
#include "swf/actions/action_push.h"
#include "swf/actions/action_url.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"

namespace ravuz {

namespace {

// A new record, its size told where asked.
template <class T, class... Args>
CBK_SwfActionRecord* Made(uint32_t* size, Args... args) {
    if (size)
        *size = sizeof(T);
    return new T(args...);
}

} // namespace

CBK_SwfActionRecord* CBK_SwfActionList::CreateRecord(uint8_t code, bool initAction,
                                                     uint32_t* size) {
    switch (code) {
    case 0x1D:
        return Made<CBK_SwfActionSetVariable>(size);
    case 0x81:
        return Made<CBK_SwfActionGotoFrame>(size, 0);
    case 0x83:
        return Made<CBK_SwfActionGetUrl>(size);
    case 0x87:
        return Made<CBK_SwfActionStoreRegister>(size, 0);
    case 0x88:
        return Made<CBK_SwfActionConstantPool>(size);
    case 0x8A:
        return Made<CBK_SwfActionWaitForFrame>(size, 0, 0);
    case 0x8B:
        return Made<CBK_SwfActionSetTarget>(size);
    case 0x8C:
        return Made<CBK_SwfActionGotoLabel>(size);
    case 0x8D:
        return Made<CBK_SwfActionWaitForFrame2>(size, 0);
    case 0x94:
        return Made<CBK_SwfActionWith>(size);
    case 0x96:
        if (initAction)
            return Made<CBK_SwfActionUnknown>(size, code);
        return Made<CBK_SwfActionPush>(size);
    case 0x99:
        return Made<CBK_SwfActionBranchAlways>(size, 0);
    case 0x9A:
        return Made<CBK_SwfActionGetUrl2>(size, 0);
    case 0x9D:
        return Made<CBK_SwfActionBranchIfTrue>(size, 0);
    case 0x9F:
        return Made<CBK_SwfActionGotoFrame2>(size, false);
    default:
        return Made<CBK_SwfActionUnknown>(size, code);
    }
}

void CBK_SwfActionList::AppendCopies(const CBK_SwfActionList& other) {
    if (&other == this) {
        const std::size_t n = _records.size();
        for (std::size_t i = 0; i < n; ++i)
            _records.emplace_back(_records[i]->MakeCopy());
        return;
    }
    _records.reserve(_records.size() + other._records.size());
    for (const auto& record : other._records)
        _records.emplace_back(record->MakeCopy());
}

uint64_t CBK_SwfActionList::GetRecordsSize() const {
    uint64_t total = 0;
    for (const auto& record : _records)
        total += record->GetSize();
    return total;
}

void CBK_SwfActionList::ReadRecords(CBK_SwfReader* reader, uint32_t end, bool initAction,
                                    bool gotoFrame2Fixup) {
    std::vector<uint8_t> original;
    // One scratch stream for every record's check, so that its buffer is allocated once.
    CBK_SwfStream scratch(reader->GetVersion());
    // Each record is charged before it is made: a flood of one-byte actions ends where the
    // movie's budget does.
    while (reader->GetBufPos() < end && reader->ChargeRoomForOne(_records)) {
        const uint8_t code = reader->GetByte();
        if (code == 0)
            break;
        const uint32_t start = reader->GetBufPos();
        uint32_t size = 0;
        std::unique_ptr<CBK_SwfActionRecord> record(CreateRecord(code, initAction, &size));
        if (!reader->Charge(SwfArenaCost(size)))
            break;
        if (gotoFrame2Fixup && code == 0x9F)
            static_cast<CBK_SwfActionGotoFrame2*>(record.get())->checkKoolmoveHack(end);
        record->Read(reader);
        // Compared by exact type (nothing derives from the raw record), cheaper than a cast.
        const CBK_SwfActionRecord& read = *record;
        if (code >= 0x80 && !read.ReadAsWritten() && typeid(read) != typeid(CBK_SwfActionUnknown)) {
            // Keep the record typed only when it writes back the very bytes it came from.
            const uint32_t consumed = reader->GetBufPos() - start;
            scratch.Destroy();
            record->Write(&scratch);
            const CBK_ByteBuffer& written = scratch.GetStream();
            original.clear();
            reader->SetBufPos(start);
            reader->GetBytes(original, consumed);
            const bool same = written.size() == consumed + 1 &&
                              std::memcmp(written.data() + 1, original.data(), consumed) == 0;
            if (!same) {
                reader->SetBufPos(start);
                record.reset(new CBK_SwfActionUnknown(code));
                if (!reader->Charge(SwfArenaCost(sizeof(CBK_SwfActionUnknown))))
                    break;
                record->Read(reader);
            }
        }
        if (reader->GetBufPos() > end) {
            // The record runs out of its list: it is not part of it, and its bytes are left
            // unread for the tag to keep as they are.
            reader->SetBufPos(start - 1);
            break;
        }
        _records.push_back(std::move(record));
    }
}

bool CBK_SwfActionList::PrepareWrite(uint8_t version) {
    if (!SetTextVersion(version))
        return false;
    for (const auto& record : _records) {
        const CBK_SwfActionBranch* branch = record->AsBranch();
        if (branch && !branch->HasWritableOffset())
            return false;
    }
    return true;
}

bool CBK_SwfActionList::WriteRecords(CBK_SwfStream* stream) {
    if (!PrepareWrite(stream->GetVersion()))
        return false;
    for (auto& record : _records)
        record->Write(stream);
    return true;
}

bool CBK_SwfActionList::Resize(const std::function<void()>& change,
                               const std::function<void()>& undo) {
    const std::size_t n = _records.size();
    std::vector<int64_t> oldStart(n + 1, 0);
    for (std::size_t i = 0; i < n; ++i)
        oldStart[i + 1] = oldStart[i] + _records[i]->GetSize();
    // Every target as an absolute position in the old layout.
    std::vector<std::vector<int32_t>> oldJumps(n);
    std::vector<std::vector<int64_t>> targets(n);
    for (std::size_t i = 0; i < n; ++i) {
        _records[i]->GetJumps(oldJumps[i]);
        for (int32_t d : oldJumps[i])
            targets[i].push_back(oldStart[i + 1] + d);
    }

    change();

    std::vector<int64_t> newStart(n + 1, 0);
    bool changed = false;
    for (std::size_t i = 0; i < n; ++i) {
        newStart[i + 1] = newStart[i] + _records[i]->GetSize();
        changed = changed || newStart[i + 1] != oldStart[i + 1];
    }
    if (!changed)
        return true;

    const int64_t oldTotal = oldStart[n];
    const int64_t newTotal = newStart[n];
    auto map = [&](int64_t position) -> int64_t {
        if (position <= 0)
            return position;
        if (position >= oldTotal)
            return newTotal + (position - oldTotal);
        const auto it = std::upper_bound(oldStart.begin(), oldStart.end(), position);
        const std::size_t k = static_cast<std::size_t>(it - oldStart.begin()) - 1;
        const int64_t delta = position - oldStart[k];
        // Inside a record (only malformed input points there): stay inside it.
        const int64_t size = newStart[k + 1] - newStart[k];
        return newStart[k] + std::min(delta, size - 1);
    };

    std::size_t done = 0;
    bool ok = true;
    for (; done < n; ++done) {
        if (targets[done].empty())
            continue;
        std::vector<int32_t> moved;
        for (int64_t target : targets[done]) {
            const int64_t d = map(target) - newStart[done + 1];
            if (d < INT32_MIN || d > INT32_MAX) {
                ok = false;
                break;
            }
            moved.push_back(static_cast<int32_t>(d));
        }
        if (!ok || !_records[done]->SetJumps(moved)) {
            ok = false;
            break;
        }
    }
    if (ok)
        return true;
    undo();
    for (std::size_t i = 0; i < done; ++i)
        if (!oldJumps[i].empty())
            _records[i]->SetJumps(oldJumps[i]);
    return false;
}

bool CBK_SwfActionList::SetTextVersion(uint8_t version) {
    std::vector<std::size_t> changing;
    for (std::size_t i = 0; i < _records.size(); ++i)
        if (SwfTextIsUtf8(_records[i]->GetTextVersion()) != SwfTextIsUtf8(version))
            changing.push_back(i);
    if (changing.empty())
        return true;
    std::vector<uint8_t> previous;
    previous.reserve(changing.size());
    for (std::size_t i : changing)
        previous.push_back(_records[i]->GetTextVersion());
    bool refused = false;
    const bool ok = Resize(
        [&] {
            for (std::size_t i : changing)
                refused = !_records[i]->SetTextVersion(version) || refused;
        },
        [&] {
            for (std::size_t k = 0; k < changing.size(); ++k)
                _records[changing[k]]->SetTextVersion(previous[k]);
        });
    return ok && !refused;
}

bool CBK_SwfActionList::AdjustPaths(const wchar_t* prefix) {
    struct Saved {
        CBK_SwfActionRecord* record;
        std::wstring prefix;
    };
    std::vector<Saved> saved;
    for (auto& record : _records) {
        if (auto* target = dynamic_cast<CBK_SwfActionSetTarget*>(record.get()))
            saved.push_back({target, target->GetPrefix()});
        else if (auto* push = dynamic_cast<CBK_SwfActionPush*>(record.get()))
            saved.push_back({push, push->GetPrefix()});
        else if (auto* pool = dynamic_cast<CBK_SwfActionConstantPool*>(record.get()))
            saved.push_back({pool, pool->GetPrefix()});
    }
    auto apply = [](CBK_SwfActionRecord* record, const wchar_t* text) {
        if (auto* target = dynamic_cast<CBK_SwfActionSetTarget*>(record)) {
            target->SetPrefix(text);
            return true;
        }
        if (auto* push = dynamic_cast<CBK_SwfActionPush*>(record))
            return push->SetPrefix(text);
        return static_cast<CBK_SwfActionConstantPool*>(record)->SetPrefix(text);
    };
    bool refused = false;
    const bool ok = Resize(
        [&] {
            for (Saved& s : saved)
                refused = !apply(s.record, prefix) || refused;
            if (refused) // nothing changes unless every record takes the prefix
                for (Saved& s : saved)
                    apply(s.record, s.prefix.c_str());
        },
        [&] {
            for (Saved& s : saved)
                apply(s.record, s.prefix.c_str());
        });
    return ok && !refused;
}

void CBK_SwfActionList::OffsetInfo(int32_t charIdOffset, int32_t depthOffset, int32_t frameOffset) {
    for (auto& record : _records)
        record->OffsetInfo(charIdOffset, depthOffset, frameOffset);
}

} // namespace ravuz
