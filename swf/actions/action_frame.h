// Frame and timeline actions: GotoFrame, GotoLabel, WaitForFrame, WaitForFrame2, GotoFrame2.
#pragma once

#include <string>

#include "swf/actions/action_record.h"

namespace ravuz {

class CBK_SwfActionGotoFrame : public CBK_SwfActionRecord {
public:
    explicit CBK_SwfActionGotoFrame(uint16_t frame = 0) : _frame(frame) {}
    uint8_t GetActionId() const override { return 0x81; }
    uint32_t GetSize() const override { return 5; }
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    void OffsetInfo(int32_t, int32_t, int32_t frameOffset) override;
    CBK_SwfActionRecord* MakeCopy() const override { return new CBK_SwfActionGotoFrame(*this); }
    uint16_t GetFrame() const { return _frame; }

private:
    uint16_t _frame;
};

class CBK_SwfActionGotoLabel : public CBK_SwfActionRecord {
public:
    CBK_SwfActionGotoLabel() = default;
    explicit CBK_SwfActionGotoLabel(const wchar_t* label) : _label(label ? label : L"") {}
    uint8_t GetActionId() const override { return 0x8C; }
    uint32_t GetSize() const override { return 4 + LabelSize(); }
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    CBK_SwfActionRecord* MakeCopy() const override { return new CBK_SwfActionGotoLabel(*this); }
    void Destroy() { _label.clear(); }
    const std::wstring& GetLabel() const { return _label; }
    void SetLabel(const std::wstring& label) { _label = label; }

private:
    uint32_t LabelSize() const;
    std::wstring _label;
};

class CBK_SwfActionWaitForFrame : public CBK_SwfActionRecord {
public:
    CBK_SwfActionWaitForFrame(uint16_t frame = 0, uint8_t skip = 0) : _frame(frame), _skip(skip) {}
    uint8_t GetActionId() const override { return 0x8A; }
    uint32_t GetSize() const override { return 6; }
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    void OffsetInfo(int32_t, int32_t, int32_t frameOffset) override;
    CBK_SwfActionRecord* MakeCopy() const override { return new CBK_SwfActionWaitForFrame(*this); }
    uint16_t GetFrame() const { return _frame; }
    uint8_t GetSkipCount() const { return _skip; }

private:
    uint16_t _frame;
    uint8_t _skip;
};

class CBK_SwfActionWaitForFrame2 : public CBK_SwfActionRecord {
public:
    explicit CBK_SwfActionWaitForFrame2(uint8_t skip = 0) : _skip(skip) {}
    uint8_t GetActionId() const override { return 0x8D; }
    uint32_t GetSize() const override { return 4; }
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    CBK_SwfActionRecord* MakeCopy() const override { return new CBK_SwfActionWaitForFrame2(*this); }
    uint8_t GetSkipCount() const { return _skip; }

private:
    uint8_t _skip;
};

// Some files carry a zero byte after a GotoFrame2 record inside the action list; read with
// the end of its list given, the record takes that byte as its own and writes it back.
class CBK_SwfActionGotoFrame2 : public CBK_SwfActionRecord {
public:
    explicit CBK_SwfActionGotoFrame2(bool play = false) : _flags(play ? 1 : 0) {}
    uint8_t GetActionId() const override { return 0x9F; }
    uint32_t GetSize() const override { return 3 + PayloadSize(); }
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    CBK_SwfActionRecord* MakeCopy() const override { return new CBK_SwfActionGotoFrame2(*this); }

    void SetPlayFlag(bool play);
    void SetSceneBias(uint16_t bias);
    // The reader position at which the enclosing list ends (0: unknown).
    void checkKoolmoveHack(uint32_t tagEnd) { _tagEnd = tagEnd; }
    uint8_t GetFlags() const { return _flags; }
    uint16_t GetSceneBias() const { return _sceneBias; }
    bool HasExtraByte() const { return _extraByte; }

private:
    uint32_t PayloadSize() const { return 1 + ((_flags & 2) ? 2 : 0) + (_extraByte ? 1 : 0); }

    uint8_t _flags;
    uint16_t _sceneBias = 0;
    uint32_t _tagEnd = 0;
    bool _extraByte = false;
};

} // namespace ravuz
