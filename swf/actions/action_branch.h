// The two branch actions, If (BranchIfTrue, 0x9D) and Jump (BranchAlways, 0x99), whose
// offsets an action list maintains.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "swf/actions/action_span.h"

namespace ravuz {

class CBK_SwfActionBranch : public CBK_SwfActionRecord {
public:
    explicit CBK_SwfActionBranch(int16_t offset) : _offset(offset) {}
    // Copies take the offset only: the spanned records belong to the source's list.
    CBK_SwfActionBranch(const CBK_SwfActionBranch& other)
        : CBK_SwfActionRecord(other), _offset(other._offset) {}
    CBK_SwfActionBranch& operator=(const CBK_SwfActionBranch& other);
    ~CBK_SwfActionBranch() override { Destroy(); }

    using CBK_SwfActionRecord::AsBranch;
    CBK_SwfActionBranch* AsBranch() override { return this; }
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    uint32_t GetSize() const override { return 5; }
    void GetJumps(std::vector<int32_t>& distances) const override;
    bool SetJumps(const std::vector<int32_t>& distances) override;

    // Bytes from the end of this record to the target.
    int16_t GetOffset() const { return _offset; }
    void SetOffset(int16_t offset) { _offset = offset; }
    // The offset as written: a stored 0 writes the size of the spanned records, which may
    // exceed what the 16-bit field holds (see HasWritableOffset).
    int32_t GetWrittenOffset() const;
    bool HasWritableOffset() const {
        const int32_t offset = GetWrittenOffset();
        return offset >= INT16_MIN && offset <= INT16_MAX;
    }

    // Attaches the records of `list` (this branch sits at `index`) that the branch jumps over
    // forward, or back across (itself included) backward, as their sizes add up in `starts`
    // (the bytes before each record, and the list's total last). True when a forward span
    // runs out of records before its offset does, so that records appended later join it.
    bool AttachBranchActions(const CBK_SwfActionVector& list, std::size_t index,
                             std::span<const uint64_t> starts);
    const CBK_SwfActionSpan& GetBranchActions() const { return _spanned; }
    void Destroy() { _spanned = {}; }

private:
    CBK_SwfActionSpan _spanned;
    int16_t _offset;
};

class CBK_SwfActionBranchIfTrue final : public CBK_SwfActionBranch {
public:
    explicit CBK_SwfActionBranchIfTrue(int16_t offset = 0) : CBK_SwfActionBranch(offset) {}
    uint8_t GetActionId() const override { return 0x9D; }
    CBK_SwfActionRecord* MakeCopy() const override { return new CBK_SwfActionBranchIfTrue(*this); }
};

class CBK_SwfActionBranchAlways final : public CBK_SwfActionBranch {
public:
    explicit CBK_SwfActionBranchAlways(int16_t offset = 0) : CBK_SwfActionBranch(offset) {}
    uint8_t GetActionId() const override { return 0x99; }
    CBK_SwfActionRecord* MakeCopy() const override { return new CBK_SwfActionBranchAlways(*this); }
};

} // namespace ravuz
