// CBK_SwfActionPush (0x96): typed values pushed on the player's stack, with the prefixing of
// absolute target paths.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "swf/actions/action_record.h"

namespace ravuz {

class CBK_SwfActionPush : public CBK_SwfActionRecord {
public:
    enum : uint8_t {
        kString = 0,
        kFloat = 1,
        kNull = 2,
        kUndefined = 3,
        kRegister = 4,
        kBoolean = 5,
        kDouble = 6,
        kInteger = 7,
        kConstant8 = 8,
        kConstant16 = 9,
    };

    // One value. Types above 9, met in files, are kept with their type byte and no data.
    // The small fields come first, so that they pack together.
    struct PUSH_DATA {
        uint8_t type = kNull;
        uint8_t byte = 0;    // kRegister, kBoolean, kConstant8
        uint16_t word = 0;   // kConstant16
        uint32_t dword = 0;  // kFloat (the IEEE bits) and kInteger
        double number = 0.0; // kDouble
        std::wstring text;   // kString
    };

    CBK_SwfActionPush() = default;
    explicit CBK_SwfActionPush(int32_t value) { AddDWord(value, kSwfAppend); }
    explicit CBK_SwfActionPush(float value) { AddFloat(value, kSwfAppend); }
    explicit CBK_SwfActionPush(double value) { AddDouble(value, kSwfAppend); }
    explicit CBK_SwfActionPush(bool value) { AddBool(value ? 1 : 0, kSwfAppend); }
    explicit CBK_SwfActionPush(const std::wstring& text) { AddString(text, kSwfAppend); }
    explicit CBK_SwfActionPush(const wchar_t* text) { AddString(text, kSwfAppend); }
    // Type 4 a register, 8 a one-byte constant index, 9 a two-byte one; other types add nothing.
    CBK_SwfActionPush(uint16_t value, int32_t type);
    CBK_SwfActionPush(const CBK_SwfActionPush& other);
    CBK_SwfActionPush& operator=(const CBK_SwfActionPush& other);
    ~CBK_SwfActionPush() override = default;

    // Each inserts before `position` (appends when it is not below the count) and returns
    // the value's encoded size; 0 when the value would overflow the record's 64 KiB payload.
    uint32_t AddString(const wchar_t* text, uint32_t position = kSwfAppend);
    uint32_t AddString(const std::wstring& text, uint32_t position = kSwfAppend);
    uint32_t AddFloat(float value, uint32_t position = kSwfAppend);
    uint32_t AddNull(uint32_t position = kSwfAppend);
    uint32_t AddUnknown(uint32_t position = kSwfAppend);
    uint32_t AddRegister(uint8_t reg, uint32_t position = kSwfAppend);
    uint32_t AddBool(uint8_t value, uint32_t position = kSwfAppend);
    uint32_t AddDouble(double value, uint32_t position = kSwfAppend);
    uint32_t AddDWord(int32_t value, uint32_t position = kSwfAppend);
    uint32_t AddDictionaryLookup(uint8_t index, uint32_t position = kSwfAppend);
    uint32_t AddDictionaryLookup2(uint16_t index, uint32_t position = kSwfAppend);
    bool RemoveData(uint32_t index);

    std::size_t GetDataCount() const { return _values.size(); }
    // Valid until the values next change.
    const PUSH_DATA* GetData(std::size_t index) const;

    // Strings that begin with "/" are written behind the prefix, and "_root" is followed by
    // it (its first character becomes "/" or "." there). Null or empty: no prefixing. The
    // 8-bit form takes UTF-8. False, with nothing changed, when the prefixed values would
    // overflow the record.
    bool SetPrefix(const char* prefix);
    bool SetPrefix(const wchar_t* prefix);
    const std::wstring& GetPrefix() const;
    // The bytes the prefix adds when written.
    uint32_t GetPrefixGrowth() const { return _prefixGrowth; }
    uint32_t GetPayloadSize() const { return _payloadSize; }

    uint8_t GetActionId() const override { return 0x96; }
    uint32_t GetSize() const override { return _payloadSize + _prefixGrowth + 3; }
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    CBK_SwfActionRecord* MakeCopy() const override { return new CBK_SwfActionPush(*this); }
    bool SetTextVersion(uint8_t version) override;
    void Destroy();

private:
    uint32_t ValueSize(const PUSH_DATA& value) const;
    uint32_t ValueGrowth(const PUSH_DATA& value) const;
    uint32_t Insert(PUSH_DATA value, uint32_t position);
    // Inserts one value of type `kType` whose data, when it has any, goes in `kField`.
    template <uint8_t kType, auto kField = nullptr, class T = int>
    uint32_t AddValue(T data, uint32_t position);
    // Reads a record whose every value lies inside its payload, straight from the bytes in
    // memory, with no text that would encode differently; false, with nothing read, when
    // the bytes are not in memory or the record is not so plain.
    bool ReadInPlace(CBK_SwfReader* reader);
    // Sizes every value under the current prefix and version; false, with nothing changed,
    // when they come to more than a record holds.
    bool Recount();
    bool HasPrefix() const { return _prefix && !_prefix->empty(); }

    // Both sizes are within the record's 16-bit payload.
    uint16_t _payloadSize = 0;
    uint16_t _prefixGrowth = 0;
    // With the record in its chunk: most Push records hold one or two values.
    std::vector<PUSH_DATA, TBK_ArenaAllocator<PUSH_DATA, BK_ArenaKind::Actions>> _values;
    // Few records are ever prefixed.
    std::unique_ptr<std::wstring> _prefix;
};

} // namespace ravuz
