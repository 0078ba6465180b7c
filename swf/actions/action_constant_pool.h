// CBK_SwfActionConstantPool (0x88): the string table that Push values refer to by index.
#pragma once

#include <string>
#include <vector>

#include "swf/actions/action_record.h"

namespace ravuz {

class CBK_SwfActionConstantPool : public CBK_SwfActionRecord {
public:
    CBK_SwfActionConstantPool() = default;
    explicit CBK_SwfActionConstantPool(const wchar_t* text) { AddString(text); }
    explicit CBK_SwfActionConstantPool(const std::wstring& text) { AddString(text); }

    // Inserts before `position` (appends when it is not below the count). False when an
    // equal string is already there or the pool would overflow its 64 KiB payload.
    bool AddString(const wchar_t* text, uint32_t position = kSwfAppend);
    bool AddString(const std::wstring& text, uint32_t position = kSwfAppend);
    // Index of the first equal string, -1 when none.
    int32_t GetStringIndex(const wchar_t* text) const;
    // The string at `index`; an index not below the count gives the last one, and an empty
    // pool an empty string.
    std::wstring GetString(int32_t index) const;
    const std::vector<std::wstring>& GetStrings() const { return _strings; }
    bool RemoveString(uint32_t index);

    // "_root" is written followed by the prefix (its first character becoming "."). Null or
    // empty: no prefixing. False, with nothing changed, when the pool would overflow.
    bool SetPrefix(const wchar_t* prefix);
    const std::wstring& GetPrefix() const { return _prefix; }

    uint8_t GetActionId() const override { return 0x88; }
    // Counts the prefix that Write adds.
    uint32_t GetSize() const override { return 3 + FittedPayload(nullptr); }
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    CBK_SwfActionRecord* MakeCopy() const override { return new CBK_SwfActionConstantPool(*this); }
    bool SetTextVersion(uint8_t version) override;
    void Destroy() {
        _strings.clear();
        _prefix.clear();
    }

private:
    // Reads a pool whose every string ends inside its payload and needs no decoding straight
    // from the bytes in memory; false, with nothing read, otherwise.
    bool ReadInPlace(CBK_SwfReader* reader);
    uint32_t RootGrowth(const std::wstring& prefix) const;
    uint32_t FittedPayload(std::size_t* count) const;
    uint64_t StringsSize(const std::vector<std::wstring>& strings,
                         const std::wstring& prefix) const;

    std::vector<std::wstring> _strings;
    std::wstring _prefix;
};

} // namespace ravuz
