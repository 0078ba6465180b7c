// DefineButton (7): a button's records and one action list run on release. DefineButton2
// (34): records with colour transforms, and action lists each run on the transitions of its
// condition word.
#pragma once

#include <memory>
#include <vector>

#include "swf/actions/do_action.h"
#include "swf/base/swf_tag.h"
#include "swf/buttons/button_record.h"

namespace ravuz {

class CBK_SwfDefineButton : public CBK_SwfCharacterTag {
public:
    CBK_SwfDefineButton() = default;
    // Deep: records and action lists are copied.
    CBK_SwfDefineButton(const CBK_SwfDefineButton& other);
    CBK_SwfDefineButton& operator=(const CBK_SwfDefineButton& other);
    ~CBK_SwfDefineButton() override = default;

    uint16_t GetTagId() const override { return kSwfTagDefineButton; }
    // Replaces everything the button held.
    uint32_t Read(CBK_SwfReader* reader) override;
    // Records without any state are left out: their zero flags would end the list. The
    // actions of every list follow one another under one end byte, which is written also
    // when there are none.
    uint32_t Write(CBK_SwfStream* stream) override;
    // The id offset moves the button id and every record's character id, the depth offset
    // every record's depth; with a non-zero third argument all three go to the actions.
    void OffsetInfo(int32_t idOffset, int32_t depthOffset, int32_t frameOffset) override;
    virtual void Destroy();

    // Each appends and takes ownership; null is ignored.
    void AddButtonRecord(CBK_SwfButtonRecord* record);
    void AddActionRecord(CBK_SwfDoAction* actions);
    // One record after its flags byte, as a new record owned by the caller.
    CBK_SwfButtonRecord* ReadButtonRecord(CBK_SwfReader* reader, uint8_t flags,
                                          uint8_t withColorTransform);
    // Prefixes the target paths of every action list (null removes the prefixes). False,
    // with no list changed, when one of them cannot take the prefix.
    bool adjustPaths(const wchar_t* prefix);

    std::size_t GetButtonRecordCount() const { return _records.size(); }
    CBK_SwfButtonRecord* GetButtonRecord(std::size_t index) const;
    std::size_t GetActionListCount() const { return _actions.size(); }
    CBK_SwfDoAction* GetActionList(std::size_t index) const;

protected:
    void WriteRecords(CBK_SwfStream& stream, bool withColorTransform) const;
    // Records up to a zero flags byte or the end of the data. A DefineButton2 record that
    // the end cuts short is kept as stored.
    void ReadRecords(CBK_SwfReader& reader, bool withColorTransform);
    // A record kept as stored can only end the records of a DefineButton2 without actions:
    // its bytes run to the tag's end. A button holding one anywhere else is not written.
    bool StoredRecordsFit(bool withColorTransform) const;

    std::vector<std::unique_ptr<CBK_SwfButtonRecord>> _records;
    std::vector<std::unique_ptr<CBK_SwfDoAction>> _actions;
};

class CBK_SwfDefineButton2 : public CBK_SwfDefineButton {
public:
    static constexpr uint16_t FLAG_TRACK_AS_MENU = 1;
    static constexpr uint16_t CONDITION_IDLE_TO_OVER_UP = 0x001;
    static constexpr uint16_t CONDITION_OVER_UP_TO_IDLE = 0x002;
    static constexpr uint16_t CONDITION_OVER_UP_TO_OVER_DOWN = 0x004;
    static constexpr uint16_t CONDITION_OVER_DOWN_TO_OVER_UP = 0x008;
    static constexpr uint16_t CONDITION_OVER_DOWN_TO_OUT_DOWN = 0x010;
    static constexpr uint16_t CONDITION_OUT_DOWN_TO_OVER_DOWN = 0x020;
    static constexpr uint16_t CONDITION_OUT_DOWN_TO_IDLE = 0x040;
    static constexpr uint16_t CONDITION_IDLE_TO_OVER_DOWN = 0x080;
    static constexpr uint16_t CONDITION_OVER_DOWN_TO_IDLE = 0x100;

    CBK_SwfDefineButton2() = default;
    // Deep: records, conditions and action lists are copied.
    CBK_SwfDefineButton2(const CBK_SwfDefineButton2& other) = default;
    CBK_SwfDefineButton2& operator=(const CBK_SwfDefineButton2& other) = default;
    ~CBK_SwfDefineButton2() override = default;

    uint16_t GetTagId() const override { return kSwfTagDefineButton2; }
    // Replaces everything the button held, records included.
    uint32_t Read(CBK_SwfReader* reader) override;
    // A list without a condition of its own gets condition 0.
    uint32_t Write(CBK_SwfStream* stream) override;
    // Frees the action lists and conditions and clears the flags; the records stay.
    void Destroy() override;

    void AddCondition(uint16_t condition) { _conditions.push_back(condition); }
    // Appends both; null actions are ignored (false).
    bool AddAction(uint16_t condition, CBK_SwfDoAction* actions);
    void RemoveActions();

    uint8_t GetFlags() const { return _flags; }
    void SetFlags(uint8_t flags) { _flags = flags; }
    const std::vector<uint16_t>& GetConditions() const { return _conditions; }

private:
    uint8_t _flags = 0;
    std::vector<uint16_t> _conditions;
};

} // namespace ravuz
