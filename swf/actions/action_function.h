// The SWF 5 actions StoreRegister, With and DefineFunction.
#pragma once

#include <string>
#include <vector>

#include "swf/actions/action_record.h"

namespace ravuz {

class CBK_SwfActionStoreRegister : public CBK_SwfActionRecord {
public:
    explicit CBK_SwfActionStoreRegister(uint8_t reg = 0) : _register(reg) {}
    uint8_t GetActionId() const override { return 0x87; }
    uint32_t GetSize() const override { return 4; }
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    CBK_SwfActionRecord* MakeCopy() const override { return new CBK_SwfActionStoreRegister(*this); }
    uint8_t GetRegister() const { return _register; }

private:
    uint8_t _register;
};

// The block size counts the bytes of the records after the With that belong to its block.
// The name is this model's addition to the published layout, written only when not empty.
class CBK_SwfActionWith : public CBK_SwfActionRecord {
public:
    CBK_SwfActionWith() = default;
    explicit CBK_SwfActionWith(const wchar_t* name) : _name(name ? name : L"") {}
    explicit CBK_SwfActionWith(const std::wstring& name) : _name(name) {}

    uint8_t GetActionId() const override { return 0x94; }
    uint32_t GetSize() const override;
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    CBK_SwfActionRecord* MakeCopy() const override { return new CBK_SwfActionWith(*this); }
    void GetJumps(std::vector<int32_t>& distances) const override;
    bool SetJumps(const std::vector<int32_t>& distances) override;
    void Destroy() { _name.clear(); }

    uint16_t GetBlockSize() const { return _blockSize; }
    void SetBlockSize(uint16_t size) { _blockSize = size; }
    const std::wstring& GetName() const { return _name; }

private:
    uint32_t NameSize() const;

    uint16_t _blockSize = 0;
    std::wstring _name;
};

// The body size counts the bytes of the records after the definition that form its body.
class CBK_SwfActionDefineFunction : public CBK_SwfActionRecord {
public:
    explicit CBK_SwfActionDefineFunction(const wchar_t* name = nullptr)
        : _name(name ? name : L"") {}

    uint8_t GetActionId() const override { return 0x9B; }
    uint32_t GetSize() const override;
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    CBK_SwfActionRecord* MakeCopy() const override {
        return new CBK_SwfActionDefineFunction(*this);
    }
    void GetJumps(std::vector<int32_t>& distances) const override;
    bool SetJumps(const std::vector<int32_t>& distances) override;
    void Destroy();

    void SetFunctionName(const std::wstring& name) { _name = name; }
    void SetFunctionName(const wchar_t* name) { _name = name ? name : L""; }
    const std::wstring& GetFunctionName() const { return _name; }
    // Inserts before `position` (appends when it is not below the count); false when the
    // record would overflow its 64 KiB payload.
    bool AddParam(const std::wstring& name, uint32_t position = kSwfAppend);
    bool AddParam(const wchar_t* name, uint32_t position = kSwfAppend);
    bool SetParam(const std::wstring& name, uint32_t index);
    bool SetParam(const wchar_t* name, uint32_t index);
    bool RemoveParam(uint32_t index);
    // The name at `index`; an index not below the count gives the last one, and a function
    // without parameters an empty string.
    std::wstring GetParam(uint32_t index) const;
    std::size_t GetParamCount() const { return _params.size(); }
    uint16_t GetBodySize() const { return _bodySize; }
    void SetBodySize(uint16_t size) { _bodySize = size; }

private:
    // Text sizes of the name and each parameter as written (cut to the payload's limit).
    std::vector<uint32_t> Layout() const;
    uint64_t FullPayload(const std::vector<std::wstring>& params) const;

    std::wstring _name;
    std::vector<std::wstring> _params;
    uint16_t _bodySize = 0;
};

} // namespace ravuz
