// Script-data values of FLV script tags (the AMF0 encoding).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "swf/flv/flv_data.h"

class CBK_FlvScriptDataString {
public:
    explicit CBK_FlvScriptDataString(const wchar_t* text = nullptr) { SetString(text); }
    void SetString(const wchar_t* text) { _text = text ? text : L""; }
    const std::wstring& GetString() const { return _text; }
    uint32_t Read(CBK_BitReader*, uint32_t) { return 0; }
    uint32_t Write(CBK_FlvStream* stream) const;

private:
    std::wstring _text;
};

class CBK_FlvScriptDataVariable;

class CBK_FlvScriptDataValue {
public:
    enum : uint8_t {
        TYPE_NUMBER = 0,
        TYPE_BOOLEAN = 1,
        TYPE_STRING = 2,
        TYPE_LONG_STRING = 4,
        TYPE_ECMA_ARRAY = 8,
    };

    explicit CBK_FlvScriptDataValue(uint8_t type = TYPE_NUMBER);
    ~CBK_FlvScriptDataValue();
    CBK_FlvScriptDataValue(const CBK_FlvScriptDataValue&) = delete;
    CBK_FlvScriptDataValue& operator=(const CBK_FlvScriptDataValue&) = delete;

    void SetType(uint8_t type) { _type = type; }
    uint8_t GetType() const { return _type; }
    void SetValue(double value);
    void SetValue(bool value);
    // Takes the string.
    void SetValue(CBK_FlvScriptDataString* value);
    // Appends and takes the variable; null is ignored.
    void AddArrayValue(CBK_FlvScriptDataVariable* variable);

    uint32_t Read(CBK_BitReader*, uint32_t) { return 0; }
    // The type byte and the value; an ECMA array as its count, its variables and the end
    // marker.
    uint32_t Write(CBK_FlvStream* stream) const;

private:
    uint8_t _type;
    double _number = 0;
    bool _boolean = false;
    std::unique_ptr<CBK_FlvScriptDataString> _string;
    std::vector<std::unique_ptr<CBK_FlvScriptDataVariable>> _array;
};

class CBK_FlvScriptDataVariable {
public:
    CBK_FlvScriptDataVariable();
    ~CBK_FlvScriptDataVariable();
    CBK_FlvScriptDataVariable(const CBK_FlvScriptDataVariable&) = delete;
    CBK_FlvScriptDataVariable& operator=(const CBK_FlvScriptDataVariable&) = delete;

    // Each frees what it held and takes the object.
    void SetVariableName(CBK_FlvScriptDataString* name);
    void SetVariableData(CBK_FlvScriptDataValue* value);
    uint32_t Read(CBK_BitReader*, uint32_t) { return 0; }
    uint32_t Write(CBK_FlvStream* stream) const;

private:
    std::unique_ptr<CBK_FlvScriptDataString> _name;
    std::unique_ptr<CBK_FlvScriptDataValue> _value;
};

// The end marker of a list of variables: 00 00 09.
class CBK_FlvScriptDataVariableEnd {
public:
    uint32_t Read(CBK_BitReader*, uint32_t) { return 0; }
    uint32_t Write(CBK_FlvStream* stream) const;
};

class CBK_FlvScriptDataObjectEnd {
public:
    uint32_t Read(CBK_BitReader*, uint32_t) { return 0; }
    uint32_t Write(CBK_FlvStream* stream) const;

private:
    uint32_t _marker = 9;
};

// A date value; nothing of it is written.
class CBK_FlvScriptDataDate {
public:
    uint32_t Read(CBK_BitReader*, uint32_t) { return 0; }
    uint32_t Write(CBK_FlvStream*) const { return 0; }
};

// The body of a script tag: a name and a value.
class CBK_FlvScriptObjectData : public CBK_FlvData {
public:
    CBK_FlvScriptObjectData();
    ~CBK_FlvScriptObjectData() override;

    void SetDataString(CBK_FlvScriptDataString* name);
    void SetDataValue(CBK_FlvScriptDataValue* value);

    uint32_t Read(CBK_BitReader*, uint32_t) override { return 0; }
    uint32_t Write(CBK_FlvStream* stream) override;
    // Measured by writing into a scratch stream.
    uint32_t GetDataSize() override;
    void SetData(const uint8_t*, uint32_t) override {}

private:
    uint8_t _type = 2;
    std::unique_ptr<CBK_FlvScriptDataString> _name;
    std::unique_ptr<CBK_FlvScriptDataValue> _value;
};
