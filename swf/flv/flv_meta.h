// The onMetaData body that the conversion writes: named numbers and flags.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "swf/flv/flv_data.h"

class CBK_FlvMetaTag {
public:
    CBK_FlvMetaTag() = default;
    CBK_FlvMetaTag(const CBK_FlvMetaTag&) = delete;
    CBK_FlvMetaTag& operator=(const CBK_FlvMetaTag&) = delete;
    virtual ~CBK_FlvMetaTag() = default;

    // The bytes Write adds; the base writes nothing.
    virtual uint32_t GetTagSize() { return 0; }
    virtual uint32_t Write(CBK_FlvStream*) { return 0; }
    const std::wstring& GetName() const { return _name; }

protected:
    std::wstring _name;
};

// A named number: the name, 00 and the double.
class CBK_FlvMetaTagNumber : public CBK_FlvMetaTag {
public:
    uint32_t GetTagSize() override;
    uint32_t Write(CBK_FlvStream* stream) override;

protected:
    CBK_FlvMetaTagNumber(const wchar_t* name, double value);
    double _value;
};

class CBK_FlvMetaTagDuration : public CBK_FlvMetaTagNumber {
public:
    explicit CBK_FlvMetaTagDuration(uint32_t milliseconds);
    void SetDurationMsec(uint32_t milliseconds) { _value = milliseconds / 1000.0; }
};

class CBK_FlvMetaTagWidth : public CBK_FlvMetaTagNumber {
public:
    explicit CBK_FlvMetaTagWidth(double value) : CBK_FlvMetaTagNumber(L"width", value) {}
};

class CBK_FlvMetaTagHeight : public CBK_FlvMetaTagNumber {
public:
    explicit CBK_FlvMetaTagHeight(double value) : CBK_FlvMetaTagNumber(L"height", value) {}
};

class CBK_FlvMetaTagFrameRate : public CBK_FlvMetaTagNumber {
public:
    explicit CBK_FlvMetaTagFrameRate(double value) : CBK_FlvMetaTagNumber(L"framerate", value) {}
};

class CBK_FlvMetaTagVideoCodecId : public CBK_FlvMetaTagNumber {
public:
    explicit CBK_FlvMetaTagVideoCodecId(double value)
        : CBK_FlvMetaTagNumber(L"videocodecid", value) {}
};

class CBK_FlvMetaTagAudioCodecId : public CBK_FlvMetaTagNumber {
public:
    explicit CBK_FlvMetaTagAudioCodecId(double value)
        : CBK_FlvMetaTagNumber(L"audiocodecid", value) {}
};

// The name, 01 and the flag byte.
class CBK_FlvMetaTagCanSeekToEnd : public CBK_FlvMetaTag {
public:
    explicit CBK_FlvMetaTagCanSeekToEnd(bool value);
    uint32_t GetTagSize() override;
    uint32_t Write(CBK_FlvStream* stream) override;

private:
    bool _value;
};

// The body 02 "onMetaData" 08, the number of entries, the entries and 00 00 09.
class CBK_FlvMetaData : public CBK_FlvData {
public:
    // Appends and takes a non-null entry.
    void AddMetaTag(CBK_FlvMetaTag* tag);
    void Destroy() { _tags.clear(); }
    uint32_t GetCount() const { return static_cast<uint32_t>(_tags.size()); }

    uint32_t Read(CBK_BitReader*, uint32_t) override { return 0; }
    uint32_t Write(CBK_FlvStream* stream) override;
    uint32_t GetDataSize() override;
    void SetData(const uint8_t*, uint32_t) override {}

private:
    std::vector<std::unique_ptr<CBK_FlvMetaTag>> _tags;
};
