// CBK_SwfActionRecord: the base of every action record, the opaque CBK_SwfActionUnknown,
// and the actions that carry no payload.
#pragma once

#include <cstdint>
#include <vector>

#include "core/memory/chunk_arena.h"
#include "swf/base/swf_obj.h"
#include "swf/stream/swf_text.h"

namespace ravuz {

class CBK_SwfActionBranch;

// The payload length field of a record is a u16.
constexpr uint32_t kSwfMaxActionPayload = 65535;
// "Append" for the position argument of the insert operations.
constexpr uint32_t kSwfAppend = 0xFFFFFFFFu;

// Records come from chunks rather than one heap block each: a list holds thousands, read,
// kept and freed together.
class CBK_SwfActionRecord : public CBK_SwfObj, public TBK_ArenaAllocated<BK_ArenaKind::Actions> {
public:
    // The code byte alone.
    uint32_t Write(CBK_SwfStream* stream) override;
    virtual uint8_t GetActionId() const { return 0; }
    // Shifts the frame numbers the record holds (third argument).
    virtual void OffsetInfo(int32_t /*charIdOffset*/, int32_t /*depthOffset*/,
                            int32_t /*frameOffset*/) {}
    // The bytes Write adds: code byte, length field and payload.
    virtual uint32_t GetSize() const { return 1; }
    // A new record equal to this one, owned by the caller.
    virtual CBK_SwfActionRecord* MakeCopy() const = 0;

    // Text is encoded for this SWF version (UTF-8 from 6 on, Latin-1 before). Records read
    // from a movie take its version; an action list brings its records to the version of the
    // stream it is written to. False when the text would no longer fit the record.
    virtual bool SetTextVersion(uint8_t version);
    uint8_t GetTextVersion() const { return _textVersion; }
    // Whether the last Read saw that Write gives back the very bytes it read, so that a
    // list need not write the record out to find out.
    bool ReadAsWritten() const { return _readAsWritten; }

    // The record as an If or Jump whose offset its list keeps on its target; null for any
    // other (a raw branch included).
    virtual CBK_SwfActionBranch* AsBranch() { return nullptr; }
    const CBK_SwfActionBranch* AsBranch() const {
        return const_cast<CBK_SwfActionRecord*>(this)->AsBranch();
    }

    // Byte distances, from the end of this record, of the places its fields point to (branch
    // targets, ends of With blocks and function bodies). An action list uses them to keep
    // every target on its record when record sizes change.
    virtual void GetJumps(std::vector<int32_t>& /*distances*/) const {}
    // Stores new distances in the order GetJumps gave them; false when one cannot be
    // encoded (nothing is changed then).
    virtual bool SetJumps(const std::vector<int32_t>& /*distances*/) { return true; }

    static constexpr const wchar_t* cACTION_PROPERTY_STRING_X = L"0";
    static constexpr const wchar_t* cACTION_PROPERTY_STRING_Y = L"1";
    static constexpr const wchar_t* cACTION_PROPERTY_STRING_X_SCALE = L"2";
    static constexpr const wchar_t* cACTION_PROPERTY_STRING_Y_SCALE = L"3";
    static constexpr const wchar_t* cACTION_PROPERTY_STRING_CURRENT_FRAME = L"4";
    static constexpr const wchar_t* cACTION_PROPERTY_STRING_TOTAL_FRAMES = L"5";
    static constexpr const wchar_t* cACTION_PROPERTY_STRING_ALPHA = L"6";
    static constexpr const wchar_t* cACTION_PROPERTY_STRING_VISIBLE = L"7";
    static constexpr const wchar_t* cACTION_PROPERTY_STRING_WIDTH = L"8";
    static constexpr const wchar_t* cACTION_PROPERTY_STRING_HEIGHT = L"9";
    static constexpr const wchar_t* cACTION_PROPERTY_STRING_ROTATION = L"10";
    static constexpr const wchar_t* cACTION_PROPERTY_STRING_TARGET = L"11";
    static constexpr const wchar_t* cACTION_PROPERTY_STRING_FRAMES_LOADED = L"12";
    static constexpr const wchar_t* cACTION_PROPERTY_STRING_NAME = L"13";
    static constexpr const wchar_t* cACTION_PROPERTY_STRING_DROP_TARGET = L"14";
    static constexpr const wchar_t* cACTION_PROPERTY_STRING_URL = L"15";
    static constexpr const wchar_t* cACTION_PROPERTY_STRING_HIGH_QUALITY = L"16";
    static constexpr const wchar_t* cACTION_PROPERTY_STRING_FOCUS_RECT = L"17";
    static constexpr const wchar_t* cACTION_PROPERTY_STRING_SOUND_BUFTIME = L"18";
    static constexpr const wchar_t* cACTION_PROPERTY_STRING_QUALITY = L"19";
    static constexpr const wchar_t* cACTION_PROPERTY_STRING_X_MOUSE = L"20";
    static constexpr const wchar_t* cACTION_PROPERTY_STRING_Y_MOUSE = L"21";

protected:
    // Reads a length field and passes over that many bytes; returns the bytes consumed.
    static uint32_t SkipPayload(CBK_SwfReader* reader);
    // Code byte and payload length.
    static void WriteHeader(CBK_SwfStream* stream, uint8_t code, uint32_t payloadLength);

    uint8_t _textVersion = kSwfDefaultTextVersion;
    bool _readAsWritten = false;
};

// Any action kept byte for byte. Codes from 0x80 on carry a length and a payload.
class CBK_SwfActionUnknown : public CBK_SwfActionRecord {
public:
    explicit CBK_SwfActionUnknown(uint8_t code) : _code(code) {}

    // Reads the announced payload, or what remains of the data when that is less.
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    uint8_t GetActionId() const override { return _code; }
    uint32_t GetSize() const override;
    CBK_SwfActionRecord* MakeCopy() const override { return new CBK_SwfActionUnknown(*this); }
    // Targets of records kept raw: function code sizes, Try and With block sizes and the
    // offsets of branches whose length was not their own.
    void GetJumps(std::vector<int32_t>& distances) const override;
    bool SetJumps(const std::vector<int32_t>& distances) override;

    const std::vector<uint8_t>& GetPayload() const { return _payload; }
    uint16_t GetLength() const { return _length; }

private:
    std::vector<uint8_t> _payload;
    uint8_t _code;
    uint16_t _length = 0;
};

// An action that is its code alone (codes from 0x80 on also carry a zero length).
template <uint8_t Code>
class TBK_SwfActionSimple final : public CBK_SwfActionRecord {
public:
    uint8_t GetActionId() const override { return Code; }
    uint32_t GetSize() const override { return Code >= 0x80 ? 3 : 1; }
    uint32_t Write(CBK_SwfStream* stream) override {
        WriteHeader(stream, Code, 0);
        return GetSize();
    }
    // A code from 0x80 on is followed by its (zero) length, which is consumed too.
    uint32_t Read(CBK_SwfReader* reader) override { return Code >= 0x80 ? SkipPayload(reader) : 0; }
    CBK_SwfActionRecord* MakeCopy() const override { return new TBK_SwfActionSimple(*this); }
};

// SWF 3
using CBK_SwfActionNextFrame = TBK_SwfActionSimple<0x04>;
using CBK_SwfActionPreviousFrame = TBK_SwfActionSimple<0x05>;
using CBK_SwfActionPlay = TBK_SwfActionSimple<0x06>;
using CBK_SwfActionStop = TBK_SwfActionSimple<0x07>;
using CBK_SwfActionToggleQuality = TBK_SwfActionSimple<0x08>;
using CBK_SwfActionStopSounds = TBK_SwfActionSimple<0x09>;
// SWF 4
using CBK_SwfActionAdd = TBK_SwfActionSimple<0x0A>;
using CBK_SwfActionSubtract = TBK_SwfActionSimple<0x0B>;
using CBK_SwfActionMultiply = TBK_SwfActionSimple<0x0C>;
using CBK_SwfActionDivide = TBK_SwfActionSimple<0x0D>;
using CBK_SwfActionEquals = TBK_SwfActionSimple<0x0E>;
using CBK_SwfActionLessThan = TBK_SwfActionSimple<0x0F>;
using CBK_SwfActionAnd = TBK_SwfActionSimple<0x10>;
using CBK_SwfActionOr = TBK_SwfActionSimple<0x11>;
using CBK_SwfActionNot = TBK_SwfActionSimple<0x12>;
using CBK_SwfActionStringEquals = TBK_SwfActionSimple<0x13>;
using CBK_SwfActionStringLength = TBK_SwfActionSimple<0x14>;
using CBK_SwfActionStringExtract = TBK_SwfActionSimple<0x15>;
using CBK_SwfActionPop = TBK_SwfActionSimple<0x17>;
using CBK_SwfActionToInt = TBK_SwfActionSimple<0x18>;
using CBK_SwfActionEval = TBK_SwfActionSimple<0x1C>;
using CBK_SwfActionSetVariable = TBK_SwfActionSimple<0x1D>;
using CBK_SwfActionSetTarget2 = TBK_SwfActionSimple<0x20>;
using CBK_SwfActionStringAdd = TBK_SwfActionSimple<0x21>;
using CBK_SwfActionGetProperty = TBK_SwfActionSimple<0x22>;
using CBK_SwfActionSetProperty = TBK_SwfActionSimple<0x23>;
using CBK_SwfActionCloneSprite = TBK_SwfActionSimple<0x24>;
using CBK_SwfActionRemoveSprite = TBK_SwfActionSimple<0x25>;
using CBK_SwfActionTrace = TBK_SwfActionSimple<0x26>;
using CBK_SwfActionStartDrag = TBK_SwfActionSimple<0x27>;
using CBK_SwfActionEndDrag = TBK_SwfActionSimple<0x28>;
using CBK_SwfActionStringLess = TBK_SwfActionSimple<0x29>;
using CBK_SwfActionRandomNumber = TBK_SwfActionSimple<0x30>;
using CBK_SwfActionMBStringLength = TBK_SwfActionSimple<0x31>;
using CBK_SwfActionCharToAscii = TBK_SwfActionSimple<0x32>;
using CBK_SwfActionAsciiToChar = TBK_SwfActionSimple<0x33>;
using CBK_SwfActionGetTime = TBK_SwfActionSimple<0x34>;
using CBK_SwfActionMBStringExtract = TBK_SwfActionSimple<0x35>;
using CBK_SwfActionMBCharToAscii = TBK_SwfActionSimple<0x36>;
using CBK_SwfActionMBAsciiToChar = TBK_SwfActionSimple<0x37>;
using CBK_SwfActionCall = TBK_SwfActionSimple<0x9E>;
// SWF 5
using CBK_SwfActionDelete = TBK_SwfActionSimple<0x3A>;
using CBK_SwfActionDelete2 = TBK_SwfActionSimple<0x3B>;
using CBK_SwfActionDefineLocal = TBK_SwfActionSimple<0x3C>;
using CBK_SwfActionCallFunction = TBK_SwfActionSimple<0x3D>;
using CBK_SwfActionReturn = TBK_SwfActionSimple<0x3E>;
using CBK_SwfActionModulo = TBK_SwfActionSimple<0x3F>;
using CBK_SwfActionNewObject = TBK_SwfActionSimple<0x40>;
using CBK_SwfActionDefineLocal2 = TBK_SwfActionSimple<0x41>;
using CBK_SwfActionInitArray = TBK_SwfActionSimple<0x42>;
using CBK_SwfActionInitObject = TBK_SwfActionSimple<0x43>;
using CBK_SwfActionTypeOf = TBK_SwfActionSimple<0x44>;
using CBK_SwfActionTargetPath = TBK_SwfActionSimple<0x45>;
using CBK_SwfActionEnumerate = TBK_SwfActionSimple<0x46>;
using CBK_SwfActionAdd2 = TBK_SwfActionSimple<0x47>;
using CBK_SwfActionLess2 = TBK_SwfActionSimple<0x48>;
using CBK_SwfActionEquals2 = TBK_SwfActionSimple<0x49>;
using CBK_SwfActionToNumber = TBK_SwfActionSimple<0x4A>;
using CBK_SwfActionToString = TBK_SwfActionSimple<0x4B>;
using CBK_SwfActionPushDuplicate = TBK_SwfActionSimple<0x4C>;
using CBK_SwfActionStackSwap = TBK_SwfActionSimple<0x4D>;
using CBK_SwfActionGetMember = TBK_SwfActionSimple<0x4E>;
using CBK_SwfActionSetMember = TBK_SwfActionSimple<0x4F>;
using CBK_SwfActionIncrement = TBK_SwfActionSimple<0x50>;
using CBK_SwfActionDecrement = TBK_SwfActionSimple<0x51>;
using CBK_SwfActionCallMethod = TBK_SwfActionSimple<0x52>;
using CBK_SwfActionNewMethod = TBK_SwfActionSimple<0x53>;
using CBK_SwfActionBitAnd = TBK_SwfActionSimple<0x60>;
using CBK_SwfActionBitOr = TBK_SwfActionSimple<0x61>;
using CBK_SwfActionBitXor = TBK_SwfActionSimple<0x62>;
using CBK_SwfActionBitLShift = TBK_SwfActionSimple<0x63>;
using CBK_SwfActionBitRShift = TBK_SwfActionSimple<0x64>;
using CBK_SwfActionBitURShift = TBK_SwfActionSimple<0x65>;
// SWF 6
using CBK_SwfActionInstanceOf = TBK_SwfActionSimple<0x54>;
using CBK_SwfActionEnumerate2 = TBK_SwfActionSimple<0x55>;
using CBK_SwfActionStrictEquals = TBK_SwfActionSimple<0x66>;
using CBK_SwfActionGreater = TBK_SwfActionSimple<0x67>;

} // namespace ravuz
