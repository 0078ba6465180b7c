// The tags that control a movie: End, ShowFrame, FreeCharacter, SetBackgroundColor, Protect,
// FrameLabel and the debugger permissions.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "swf/base/swf_tag.h"
#include "swf/records/color.h"

namespace ravuz {

class CBK_SwfEnd : public CBK_SwfTag {
public:
    uint16_t GetTagId() const override { return kSwfTagEnd; }
    uint32_t Write(CBK_SwfStream* stream) override;
};

class CBK_SwfShowFrame : public CBK_SwfTag {
public:
    uint16_t GetTagId() const override { return kSwfTagShowFrame; }
    uint32_t Write(CBK_SwfStream* stream) override;
};

class CBK_SwfProtect : public CBK_SwfTag {
public:
    uint16_t GetTagId() const override { return kSwfTagProtect; }
    // The body (a password's hash, or nothing) is kept as it stands.
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;

    const std::vector<uint8_t>& GetBody() const { return _body; }
    void SetBody(std::vector<uint8_t> body) { _body = std::move(body); }

private:
    std::vector<uint8_t> _body;
};

class CBK_SwfFreeCharacter : public CBK_SwfTag {
public:
    explicit CBK_SwfFreeCharacter(uint16_t id = 1) : _id(id) {}
    uint16_t GetTagId() const override { return kSwfTagFreeCharacter; }
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    void OffsetInfo(int32_t idOffset, int32_t, int32_t) override;

    uint16_t GetId() const { return _id; }
    void SetId(uint16_t id) { _id = id; }

private:
    uint16_t _id;
};

class CBK_SwfSetBackgroundColor : public CBK_SwfTag {
public:
    CBK_SwfSetBackgroundColor(uint8_t r, uint8_t g, uint8_t b) : _color(r, g, b) {}
    // 0x00BBGGRR.
    explicit CBK_SwfSetBackgroundColor(uint32_t color = 0);

    uint16_t GetTagId() const override { return kSwfTagSetBackgroundColor; }
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;

    using CBK_SwfTag::Create;
    void Create(uint8_t r, uint8_t g, uint8_t b) { _color.Create(r, g, b); }
    void SetColor(uint8_t r, uint8_t g, uint8_t b) { _color.Create(r, g, b); }
    uint32_t GetColor() const { return _color.GetColor(); }

private:
    CBK_SwfColor _color;
};

class CBK_SwfFrameLabel : public CBK_SwfTag {
public:
    explicit CBK_SwfFrameLabel(const wchar_t* label = nullptr) : _label(label ? label : L"") {}

    uint16_t GetTagId() const override { return kSwfTagFrameLabel; }
    // The anchor byte is read only in SWF 6 and later, and only when the tag still holds it.
    uint32_t Read(CBK_SwfReader* reader) override;
    // The anchor byte is written for SWF 6 and later.
    uint32_t Write(CBK_SwfStream* stream) override;

    const std::wstring& GetLabel() const { return _label; }
    void SetLabel(const std::wstring& label) { _label = label; }
    uint8_t GetNamedAnchor() const { return _namedAnchor; }
    void SetNamedAnchor(uint8_t anchor) { _namedAnchor = anchor; }

private:
    std::wstring _label;
    uint8_t _namedAnchor = 0;
};

class CBK_SwfEnableDebugger : public CBK_SwfTag {
public:
    explicit CBK_SwfEnableDebugger(const wchar_t* password = nullptr)
        : _password(password ? password : L"") {}

    uint16_t GetTagId() const override { return kSwfTagEnableDebugger; }
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;

    const std::wstring& GetPassword() const { return _password; }
    void SetPassword(const std::wstring& password) { _password = password; }

protected:
    std::wstring _password;
};

class CBK_SwfEnableDebugger2 : public CBK_SwfEnableDebugger {
public:
    explicit CBK_SwfEnableDebugger2(const wchar_t* password = nullptr)
        : CBK_SwfEnableDebugger(password) {}

    uint16_t GetTagId() const override { return kSwfTagEnableDebugger2; }
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;

    uint16_t GetReserved() const { return _reserved; }

private:
    uint16_t _reserved = 0;
};

} // namespace ravuz
