// Navigation actions: GetUrl, GetUrl2 and SetTarget.
#pragma once

#include <string>

#include "swf/actions/action_record.h"

namespace ravuz {

class CBK_SwfActionGetUrl : public CBK_SwfActionRecord {
public:
    CBK_SwfActionGetUrl() = default;
    CBK_SwfActionGetUrl(std::wstring url, std::wstring target)
        : _url(std::move(url)), _target(std::move(target)) {}
    uint8_t GetActionId() const override { return 0x83; }
    uint32_t GetSize() const override;
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    CBK_SwfActionRecord* MakeCopy() const override { return new CBK_SwfActionGetUrl(*this); }
    void Destroy() {
        _url.clear();
        _target.clear();
    }
    const std::wstring& GetUrl() const { return _url; }
    const std::wstring& GetTargetWindow() const { return _target; }

private:
    std::wstring _url;
    std::wstring _target;
};

class CBK_SwfActionGetUrl2 : public CBK_SwfActionRecord {
public:
    explicit CBK_SwfActionGetUrl2(uint8_t flags = 0) : _flags(flags) {}
    uint8_t GetActionId() const override { return 0x9A; }
    uint32_t GetSize() const override { return 4; }
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    CBK_SwfActionRecord* MakeCopy() const override { return new CBK_SwfActionGetUrl2(*this); }
    uint8_t GetFlags() const { return _flags; }

private:
    uint8_t _flags;
};

class CBK_SwfActionSetTarget : public CBK_SwfActionRecord {
public:
    CBK_SwfActionSetTarget() = default;
    explicit CBK_SwfActionSetTarget(const wchar_t* target) : _target(target ? target : L"") {}
    // Copies take the target only.
    CBK_SwfActionSetTarget(const CBK_SwfActionSetTarget& other)
        : CBK_SwfActionRecord(other), _target(other._target) {}
    CBK_SwfActionSetTarget& operator=(const CBK_SwfActionSetTarget& other);

    uint8_t GetActionId() const override { return 0x8B; }
    uint32_t GetSize() const override;
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    CBK_SwfActionRecord* MakeCopy() const override;
    void Destroy() {
        _target.clear();
        _prefix.clear();
    }

    // Kept only for a target that begins with "/"; cleared otherwise and by null.
    void SetPrefix(const wchar_t* prefix);
    const std::wstring& GetPrefix() const { return _prefix; }
    const std::wstring& GetTarget() const { return _target; }

private:
    std::wstring _target;
    std::wstring _prefix;
};

} // namespace ravuz
