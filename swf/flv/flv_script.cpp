#include "swf/flv/flv_script.h"

#include "swf/flv/flv_stream.h"

uint32_t CBK_FlvScriptDataString::Write(CBK_FlvStream* stream) const {
    if (!stream)
        return 0;
    stream->AddString(_text.c_str());
    return CBK_FlvStream::StringSize(_text.c_str());
}

CBK_FlvScriptDataValue::CBK_FlvScriptDataValue(uint8_t type) : _type(type) {}

CBK_FlvScriptDataValue::~CBK_FlvScriptDataValue() = default;

void CBK_FlvScriptDataValue::SetValue(double value) {
    _type = TYPE_NUMBER;
    _number = value;
}

void CBK_FlvScriptDataValue::SetValue(bool value) {
    _type = TYPE_BOOLEAN;
    _boolean = value;
}

void CBK_FlvScriptDataValue::SetValue(CBK_FlvScriptDataString* value) {
    _type = TYPE_STRING;
    if (value != _string.get())
        _string.reset(value);
}

void CBK_FlvScriptDataValue::AddArrayValue(CBK_FlvScriptDataVariable* variable) {
    if (variable)
        _array.emplace_back(variable);
}

uint32_t CBK_FlvScriptDataValue::Write(CBK_FlvStream* stream) const {
    if (!stream)
        return 0;
    uint32_t n = 1;
    stream->AddByte(_type);
    switch (_type) {
    case TYPE_NUMBER:
        stream->Add(_number);
        n += 8;
        break;
    case TYPE_BOOLEAN:
        stream->AddByte(_boolean ? 1 : 0);
        n += 1;
        break;
    case TYPE_STRING:
    case TYPE_LONG_STRING: {
        const CBK_FlvScriptDataString empty;
        n += (_string ? *_string : empty).Write(stream);
        break;
    }
    case TYPE_ECMA_ARRAY:
        stream->AddDWord(static_cast<uint32_t>(_array.size()));
        n += 4;
        for (const auto& variable : _array)
            n += variable->Write(stream);
        n += CBK_FlvScriptDataVariableEnd().Write(stream);
        break;
    default:
        break;
    }
    return n;
}

CBK_FlvScriptDataVariable::CBK_FlvScriptDataVariable() = default;
CBK_FlvScriptDataVariable::~CBK_FlvScriptDataVariable() = default;

void CBK_FlvScriptDataVariable::SetVariableName(CBK_FlvScriptDataString* name) {
    if (name != _name.get())
        _name.reset(name);
}

void CBK_FlvScriptDataVariable::SetVariableData(CBK_FlvScriptDataValue* value) {
    if (value != _value.get())
        _value.reset(value);
}

uint32_t CBK_FlvScriptDataVariable::Write(CBK_FlvStream* stream) const {
    if (!stream)
        return 0;
    const CBK_FlvScriptDataString noName;
    uint32_t n = (_name ? *_name : noName).Write(stream);
    if (_value) {
        n += _value->Write(stream);
    } else {
        // A variable without a value still needs one to stay readable: AMF0 undefined.
        stream->AddByte(6);
        n += 1;
    }
    return n;
}

uint32_t CBK_FlvScriptDataVariableEnd::Write(CBK_FlvStream* stream) const {
    if (!stream)
        return 0;
    stream->Add(9u, 24);
    return 3;
}

uint32_t CBK_FlvScriptDataObjectEnd::Write(CBK_FlvStream* stream) const {
    if (!stream)
        return 0;
    stream->Add(_marker, 24);
    return 3;
}

CBK_FlvScriptObjectData::CBK_FlvScriptObjectData() = default;
CBK_FlvScriptObjectData::~CBK_FlvScriptObjectData() = default;

void CBK_FlvScriptObjectData::SetDataString(CBK_FlvScriptDataString* name) {
    if (name != _name.get())
        _name.reset(name);
}

void CBK_FlvScriptObjectData::SetDataValue(CBK_FlvScriptDataValue* value) {
    if (value != _value.get())
        _value.reset(value);
}

uint32_t CBK_FlvScriptObjectData::Write(CBK_FlvStream* stream) {
    if (!stream)
        return 0;
    stream->AddByte(_type);
    const CBK_FlvScriptDataString noName;
    uint32_t n = 1 + (_name ? *_name : noName).Write(stream);
    if (_value)
        n += _value->Write(stream);
    return n;
}

uint32_t CBK_FlvScriptObjectData::GetDataSize() {
    CBK_FlvStream scratch;
    return Write(&scratch);
}
