// Display-list placements: PlaceObject (4), PlaceObject2 (26) with its clip-event handlers,
// and the class-wide ranges of ids and depths seen.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "swf/actions/do_action.h"
#include "swf/base/swf_tag.h"
#include "swf/records/color_transform.h"
#include "swf/records/matrix.h"

namespace ravuz {

// One clip-event handler of a PlaceObject2.
class CBK_SwfClipAction {
public:
    // Bit 17 of the event flags: a key press, whose record carries a key code.
    static constexpr uint32_t kKeyPress = 0x20000;

    explicit CBK_SwfClipAction(uint32_t events = 0);
    CBK_SwfClipAction(const CBK_SwfClipAction& other);
    CBK_SwfClipAction& operator=(const CBK_SwfClipAction& other);
    ~CBK_SwfClipAction();

    // Replaces (and frees) the actions; takes ownership.
    void SetDoAction(CBK_SwfDoAction* actions);
    CBK_SwfDoAction* GetDoAction() const { return _actions.get(); }
    void AddAction(CBK_SwfActionRecord* record);
    void AddEndIf();
    void TrackBranches(bool on);

    uint32_t GetEvents() const { return _events; }
    void SetEvents(uint32_t events) { _events = events; }
    uint8_t GetKeyCode() const { return _keyCode; }
    void SetKeyCode(uint8_t code) { _keyCode = code; }
    uint32_t GetRecordSize() const { return _recordSize; }
    void SetRecordSize(uint32_t size) { _recordSize = size; }

private:
    uint32_t _events;
    uint32_t _recordSize = 0;
    uint8_t _keyCode = 0;
    std::unique_ptr<CBK_SwfDoAction> _actions;
};

// The matrix of a placement: held in the placement itself when read (long animations read
// millions of them), or owned on the heap when a caller sets one.
class CBK_SwfHeldMatrix {
public:
    CBK_SwfHeldMatrix() = default;
    CBK_SwfHeldMatrix(const CBK_SwfHeldMatrix& other) { *this = other; }
    CBK_SwfHeldMatrix& operator=(const CBK_SwfHeldMatrix& other);
    ~CBK_SwfHeldMatrix() { reset(); }

    CBK_SwfMatrix* get() const { return _matrix; }
    CBK_SwfMatrix* operator->() const { return _matrix; }
    explicit operator bool() const { return _matrix != nullptr; }
    // Frees a matrix owned and takes `owned` (null: none).
    void reset(CBK_SwfMatrix* owned = nullptr);
    // The matrix held in place, emptied.
    CBK_SwfMatrix& Emplace();

private:
    CBK_SwfMatrix* _matrix = nullptr; // the one in place, one owned, or none
    CBK_SwfMatrix _inPlace;
};

class CBK_SwfPlaceObject : public CBK_SwfTag {
public:
    CBK_SwfPlaceObject(uint16_t id = 0, uint16_t depth = 0) : _characterId(id), _depth(depth) {}
    CBK_SwfPlaceObject(const CBK_SwfPlaceObject& other);
    CBK_SwfPlaceObject& operator=(const CBK_SwfPlaceObject& other);
    ~CBK_SwfPlaceObject() override { CBK_SwfPlaceObject::Destroy(); }

    uint16_t GetTagId() const override { return kSwfTagPlaceObject; }
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    void OffsetInfo(int32_t idOffset, int32_t depthOffset, int32_t) override;
    virtual void SetCharacterId(uint16_t id) { _characterId = id; }
    virtual void Destroy();

    uint16_t GetCharacterId() const { return _characterId; }
    uint16_t GetDepth() const { return _depth; }
    void SetDepth(uint16_t depth) { _depth = depth; }
    // Each frees the previous object and takes ownership (null clears).
    void SetMatrix(CBK_SwfMatrix* matrix) { _matrix.reset(matrix); }
    void SetColorTransform(CBK_SwfColorTransform* transform) { _colorTransform.reset(transform); }
    CBK_SwfMatrix* GetMatrix() const { return _matrix.get(); }
    CBK_SwfColorTransform* GetColorTransform() const { return _colorTransform.get(); }

    static void ResetMinMaxCharacterIdRead();
    static void ResetMinMaxCharacterIdWrite();
    static void ResetMinMaxDepthRead();
    static void ResetMinMaxDepthWrite();
    static uint16_t GetMinCharacterIdRead() { return sMinIdRead; }
    static uint16_t GetMaxCharacterIdRead() { return sMaxIdRead; }
    static uint16_t GetMinCharacterIdWrite() { return sMinIdWrite; }
    static uint16_t GetMaxCharacterIdWrite() { return sMaxIdWrite; }
    static uint16_t GetMinDepthRead() { return sMinDepthRead; }
    static uint16_t GetMaxDepthRead() { return sMaxDepthRead; }
    static uint16_t GetMinDepthWrite() { return sMinDepthWrite; }
    static uint16_t GetMaxDepthWrite() { return sMaxDepthWrite; }

protected:
    static void SeenRead(uint16_t depth, const uint16_t* id);
    static void SeenWritten(uint16_t depth, const uint16_t* id);

    uint16_t _characterId;
    uint16_t _depth;
    CBK_SwfHeldMatrix _matrix;
    std::unique_ptr<CBK_SwfColorTransform> _colorTransform;

private:
    static uint16_t sMinIdRead, sMaxIdRead, sMinIdWrite, sMaxIdWrite;
    static uint16_t sMinDepthRead, sMaxDepthRead, sMinDepthWrite, sMaxDepthWrite;
};

class CBK_SwfPlaceObject2 : public CBK_SwfPlaceObject {
public:
    CBK_SwfPlaceObject2() { CBK_SwfPlaceObject2::Create(); }
    // A deep copy, clip actions included.
    CBK_SwfPlaceObject2(const CBK_SwfPlaceObject2& other);
    CBK_SwfPlaceObject2& operator=(const CBK_SwfPlaceObject2& other);
    ~CBK_SwfPlaceObject2() override { CBK_SwfPlaceObject2::Destroy(); }

    uint16_t GetTagId() const override { return kSwfTagPlaceObject2; }
    void Create() override;
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    void OffsetInfo(int32_t idOffset, int32_t depthOffset, int32_t) override;
    // Also marks the placement as carrying a character.
    void SetCharacterId(uint16_t id) override;
    void Destroy() override;

    void SetName(const std::wstring& name);
    void SetName(const wchar_t* name);
    const std::wstring& GetName() const;
    void SetRatio(uint16_t ratio);
    uint16_t GetRatio() const { return _ratio; }
    void SetClipDepth(uint16_t depth);
    uint16_t GetClipDepth() const { return _clipDepth; }
    void SetMove(bool move) { _move = move; }
    bool IsMove() const { return _move; }
    bool HasCharacter() const { return _hasCharacter; }
    bool HasClipDepth() const { return _hasClipDepth; }
    bool HasClipActions() const { return _hasClipActions; }
    void SetColorTransformAlpha(CBK_SwfColorTransformAlpha* transform);
    CBK_SwfColorTransformAlpha* GetColorTransformAlpha() const {
        return _colorTransformAlpha.get();
    }

    // Appends (takes ownership) and marks the placement as carrying clip actions.
    void AddClipAction(CBK_SwfClipAction* action);
    void ClearClipActions();
    std::size_t GetClipActionCount() const { return ClipActions().size(); }
    CBK_SwfClipAction* GetClipAction(std::size_t index) const;
    uint32_t GetAllEventsMask() const { return _allEvents; }
    uint8_t GetVersion() const { return _version; }

    // Offset of the clip-depth field from the start of the tag, header included, when
    // written into a stream of `version` (0: the tag's own); 0 without a clip depth.
    uint32_t GetClipDepthPos(uint8_t version = 0);

private:
    // The payload; `clipDepthAt` receives the clip depth's offset in it.
    void WritePayload(CBK_SwfStream& stream, uint32_t* clipDepthAt);
    void ReadClipActions(CBK_SwfReader* reader, uint32_t end);
    bool WritesCharacterId() const { return _hasCharacter || _characterId != 0; }
    using ClipActionList = std::vector<std::unique_ptr<CBK_SwfClipAction>>;
    const ClipActionList& ClipActions() const;
    ClipActionList& MakeClipActions();

    // Placements come by the million in long animations: the fields pack together, and what
    // most of them lack (a name, clip actions) is held apart.
    uint16_t _ratio = 0;
    uint16_t _clipDepth = 0;
    uint32_t _allEvents = 0;
    bool _hasClipActions = false;
    bool _hasClipDepth = false;
    bool _hasName = false;
    bool _hasRatio = false;
    bool _hasCharacter = false;
    bool _move = false;
    uint8_t _version = 4;
    std::unique_ptr<std::wstring> _name;
    std::unique_ptr<CBK_SwfColorTransformAlpha> _colorTransformAlpha;
    std::unique_ptr<ClipActionList> _clipActions;
};

} // namespace ravuz
