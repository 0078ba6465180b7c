// CBK_SwfActionList: an owned sequence of action records as DoAction, DoInitAction, clip
// actions and button actions hold it: reading with the code table, writing, copying, and
// keeping branch, With and function targets on their records when record sizes change.
#pragma once

#include <functional>

#include "swf/actions/action_branch.h"

namespace ravuz {

class CBK_SwfActionList {
public:
    CBK_SwfActionList() = default;
    CBK_SwfActionList(const CBK_SwfActionList&) = delete;
    CBK_SwfActionList& operator=(const CBK_SwfActionList&) = delete;

    // The record for an action code as a list read from a movie makes it; codes without a
    // class of their own become CBK_SwfActionUnknown. Init lists keep Push as raw bytes.
    // `size`, when given, gets the bytes of the record's object.
    static CBK_SwfActionRecord* CreateRecord(uint8_t code, bool initAction,
                                             uint32_t* size = nullptr);

    CBK_SwfActionVector& Records() { return _records; }
    const CBK_SwfActionVector& Records() const { return _records; }
    std::size_t Size() const { return _records.size(); }
    bool Empty() const { return _records.empty(); }
    void Append(CBK_SwfActionRecord* record) { _records.emplace_back(record); }
    void Clear() { _records.clear(); }
    // Appends a copy of every record of `other`.
    void AppendCopies(const CBK_SwfActionList& other);
    // Bytes the records take when written, end byte not counted.
    uint64_t GetRecordsSize() const;

    // Appends records read up to a zero code (consumed) or `end`, whichever comes first. A
    // record whose bytes would not be written back the same (a length that disagrees with
    // its fields, say) is kept as raw bytes instead; one that runs past `end` ends the list.
    // With `gotoFrame2Fixup`, GotoFrame2 records learn where the list ends.
    void ReadRecords(CBK_SwfReader* reader, uint32_t end, bool initAction, bool gotoFrame2Fixup);
    // Brings the text to SWF `version` and checks that every branch offset can be written;
    // false when the records cannot be written correctly for that version.
    bool PrepareWrite(uint8_t version);
    // The records in order, prepared as above; no end byte. False, with nothing written,
    // when PrepareWrite fails.
    bool WriteRecords(CBK_SwfStream* stream);

    // Runs `change`, which alters record sizes, and moves every branch offset, With block
    // size and function body size so that each still points at the same record. When a
    // moved target cannot be encoded, `undo` runs, every field is restored and the result is
    // false.
    bool Resize(const std::function<void()>& change, const std::function<void()>& undo);
    // Brings every record's text to the encoding of SWF `version` (see Resize).
    bool SetTextVersion(uint8_t version);
    // Prefixes absolute target paths of SetTarget, Push and ConstantPool records (null
    // removes the prefixes); see Resize.
    bool AdjustPaths(const wchar_t* prefix);

    void OffsetInfo(int32_t charIdOffset, int32_t depthOffset, int32_t frameOffset);

private:
    CBK_SwfActionVector _records;
};

} // namespace ravuz
