// CBK_SwfDoAction (tag 12): the action list of the model, as a tag and, without its header,
// as the body of clip-event handlers and button actions. CBK_SwfDoInitAction (tag 59): the
// initialisation actions of a sprite.
#pragma once

#include <memory>
#include <vector>

#include "swf/actions/action_list.h"
#include "swf/actions/branch_spans.h"
#include "swf/base/swf_tag.h"

namespace ravuz {

class CBK_SwfDoAction : public CBK_SwfTag {
public:
    CBK_SwfDoAction() = default;
    CBK_SwfDoAction(const CBK_SwfDoAction& other) : CBK_SwfTag(other) { *this = other; }
    // Appends copies of the other list's records to this one's and takes its
    // header-suppressed flag; assigning a list to itself changes nothing.
    CBK_SwfDoAction& operator=(const CBK_SwfDoAction& other);
    ~CBK_SwfDoAction() override { Destroy(); }

    uint16_t GetTagId() const override { return kSwfTagDoAction; }

    // Takes ownership and appends. While tracking, every open branch grows by the record's
    // size (an If whose else-Jump sits right above it excepted), and an If or Jump opens a
    // new branch. Returns the record's size; 0 when a branch would then span more than its
    // 16-bit offset encodes: the record is freed and the list stays as it was.
    uint32_t AddAction(CBK_SwfActionRecord* record);
    // Closes the innermost open branch and attaches the spans of the branches that grew or
    // were added since the last call. Records are measured once, by the first call after
    // they are added: a record whose size, or a branch whose offset, its caller changes
    // afterwards is attached anew after a Write, Read, SetActions, assignment or adjustPaths.
    void AddEndIf();
    void TrackBranches(bool track, bool clearOpen);
    // Replaces the records by those of the vector, taking ownership (nulls and repeats are
    // skipped; records this list already holds are kept, not freed).
    void SetActions(std::vector<CBK_SwfActionRecord*>& records);
    void DeleteAllActions() { Destroy(); }
    void Destroy();

    // With the header: nothing at all for an empty list. Without it (or suppressed): the
    // records and the end byte, an empty list giving the end byte alone. A list whose branch
    // offsets cannot be encoded writes nothing and returns 0.
    uint32_t Write(CBK_SwfStream* stream) override { return Write(stream, true); }
    uint32_t Write(CBK_SwfStream* stream, bool writeHeader);
    // Whether Write can encode the list for SWF `version`; the tags that embed lists check
    // it first, so that they write all or nothing.
    bool CanWrite(uint8_t version);
    // Appends the records of a list that ends with the current tag (the reader's tag
    // length) or at its end byte.
    uint32_t Read(CBK_SwfReader* reader) override;
    // The same for a list that ends at reader position `end` at the latest.
    uint32_t Read(CBK_SwfReader* reader, uint32_t end);

    void OffsetInfo(int32_t charIdOffset, int32_t depthOffset, int32_t frameOffset) override {
        _list.OffsetInfo(charIdOffset, depthOffset, frameOffset);
    }
    // Prefixes absolute target paths (null removes the prefixes), moving every branch, With
    // and function target so that it still lands on its record. False, with nothing
    // changed, when a moved target would not fit its field.
    bool adjustPaths(const wchar_t* prefix);

    void SetHeaderSuppressed(bool suppressed) { _headerSuppressed = suppressed; }
    bool IsHeaderSuppressed() const { return _headerSuppressed; }
    void SetGotoFrame2Fixup(bool on) { _gotoFrame2Fixup = on; }

    std::size_t GetActionCount() const { return _list.Size(); }
    CBK_SwfActionRecord* GetAction(std::size_t index) const;
    const CBK_SwfActionList& GetList() const { return _list; }
    std::size_t GetOpenBranchCount() const { return _open.size(); }

private:
    struct OpenBranch {
        CBK_SwfActionBranch* branch; // not owned
        std::size_t index;
    };

    void AttachBranches();
    // Whether the open branch at `k` grows when a record is added.
    bool Grows(std::size_t k) const;

    std::vector<OpenBranch> _open;
    CBK_SwfActionList _list;
    // What AddEndIf last measured; only lists that builders grow have it.
    std::unique_ptr<CBK_SwfBranchSpans> _spans;
    bool _headerSuppressed = false;
    bool _trackingOff = false;
    bool _gotoFrame2Fixup = true;
};

class CBK_SwfDoInitAction : public CBK_SwfTag {
public:
    explicit CBK_SwfDoInitAction(uint16_t spriteId = 0) : _spriteId(spriteId) {}
    CBK_SwfDoInitAction(const CBK_SwfDoInitAction& other);
    CBK_SwfDoInitAction& operator=(const CBK_SwfDoInitAction& other);
    ~CBK_SwfDoInitAction() override { Destroy(); }

    uint16_t GetTagId() const override { return kSwfTagDoInitAction; }
    // Appends and takes ownership; branch offsets are not tracked.
    void AddAction(CBK_SwfActionRecord* record);
    void Destroy() { _list.Clear(); }
    // Long header, sprite id, records, end byte (also for an empty list).
    uint32_t Write(CBK_SwfStream* stream) override;
    uint32_t Read(CBK_SwfReader* reader) override;
    // Shifts the sprite id; the records are not touched.
    void OffsetInfo(int32_t charIdOffset, int32_t, int32_t) override;

    uint16_t GetSpriteId() const { return _spriteId; }
    void SetSpriteId(uint16_t id) { _spriteId = id; }
    std::size_t GetActionCount() const { return _list.Size(); }
    CBK_SwfActionRecord* GetAction(std::size_t index) const;
    const CBK_SwfActionList& GetList() const { return _list; }

private:
    uint16_t _spriteId;
    CBK_SwfActionList _list;
};

} // namespace ravuz
