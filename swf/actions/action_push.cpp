#include "swf/actions/action_push.h"

#include <bit>
#include <cstring>
#include <utility>

#include "swf/actions/action_text.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"

namespace ravuz {

namespace {

bool IsAbsolutePath(const std::wstring& text) {
    return !text.empty() && text[0] == L'/';
}
bool IsRoot(const std::wstring& text) {
    return text == L"_root";
}

// Bytes after the type byte of a value other than a string.
uint32_t FixedPayload(uint8_t type) {
    switch (type) {
    case CBK_SwfActionPush::kFloat:
    case CBK_SwfActionPush::kInteger:
        return 4;
    case CBK_SwfActionPush::kRegister:
    case CBK_SwfActionPush::kBoolean:
    case CBK_SwfActionPush::kConstant8:
        return 1;
    case CBK_SwfActionPush::kDouble:
        return 8;
    case CBK_SwfActionPush::kConstant16:
        return 2;
    default:
        return 0;
    }
}

std::wstring Utf8ToWide(const char* text) {
    // The bytes are taken as a SWF 6 string: UTF-8, stray bytes kept as escapes.
    std::string bytes(text);
    return SwfDecodeText(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 6);
}

} // namespace

CBK_SwfActionPush::CBK_SwfActionPush(uint16_t value, int32_t type) {
    if (type == kRegister)
        AddRegister(static_cast<uint8_t>(value));
    else if (type == kConstant8)
        AddDictionaryLookup(static_cast<uint8_t>(value));
    else if (type == kConstant16)
        AddDictionaryLookup2(value);
}

CBK_SwfActionPush::CBK_SwfActionPush(const CBK_SwfActionPush& other) : CBK_SwfActionRecord(other) {
    *this = other;
}

CBK_SwfActionPush& CBK_SwfActionPush::operator=(const CBK_SwfActionPush& other) {
    if (this == &other)
        return *this;
    Destroy();
    _textVersion = other._textVersion;
    _values = other._values;
    _payloadSize = other._payloadSize;
    _prefix = other._prefix ? std::make_unique<std::wstring>(*other._prefix) : nullptr;
    _prefixGrowth = other._prefixGrowth;
    return *this;
}

void CBK_SwfActionPush::Destroy() {
    _values.clear();
    _payloadSize = 0;
    _prefixGrowth = 0;
    _prefix.reset();
}

const std::wstring& CBK_SwfActionPush::GetPrefix() const {
    static const std::wstring kNone;
    return _prefix ? *_prefix : kNone;
}

const CBK_SwfActionPush::PUSH_DATA* CBK_SwfActionPush::GetData(std::size_t index) const {
    return index < _values.size() ? &_values[index] : nullptr;
}

uint32_t CBK_SwfActionPush::ValueSize(const PUSH_DATA& value) const {
    if (value.type == kString)
        return static_cast<uint32_t>(SwfTextSize(value.text, _textVersion)) + 2;
    return 1 + FixedPayload(value.type);
}

uint32_t CBK_SwfActionPush::ValueGrowth(const PUSH_DATA& value) const {
    if (value.type != kString || !HasPrefix())
        return 0;
    if (!IsAbsolutePath(value.text) && !IsRoot(value.text))
        return 0;
    // The prefix's first character is replaced by a one-byte "/" or ".".
    return 1 +
           static_cast<uint32_t>(SwfTextSize(std::wstring_view(*_prefix).substr(1), _textVersion));
}

uint32_t CBK_SwfActionPush::Insert(PUSH_DATA value, uint32_t position) {
    const uint32_t size = ValueSize(value);
    const uint32_t growth = ValueGrowth(value);
    if (uint64_t(_payloadSize) + _prefixGrowth + size + growth > kSwfMaxActionPayload)
        return 0;
    if (position < _values.size())
        _values.insert(_values.begin() + position, std::move(value));
    else
        _values.push_back(std::move(value));
    _payloadSize = static_cast<uint16_t>(_payloadSize + size);
    _prefixGrowth = static_cast<uint16_t>(_prefixGrowth + growth);
    return size;
}

template <uint8_t kType, auto kField, class T>
uint32_t CBK_SwfActionPush::AddValue(T data, uint32_t position) {
    PUSH_DATA value;
    value.type = kType;
    if constexpr (kField != nullptr)
        value.*kField = std::move(data);
    return Insert(std::move(value), position);
}

uint32_t CBK_SwfActionPush::AddString(const wchar_t* text, uint32_t position) {
    return AddValue<kString, &PUSH_DATA::text>(std::wstring(text ? text : L""), position);
}

uint32_t CBK_SwfActionPush::AddString(const std::wstring& text, uint32_t position) {
    return AddValue<kString, &PUSH_DATA::text>(text, position);
}

uint32_t CBK_SwfActionPush::AddFloat(float number, uint32_t position) {
    return AddValue<kFloat, &PUSH_DATA::dword>(std::bit_cast<uint32_t>(number), position);
}

uint32_t CBK_SwfActionPush::AddNull(uint32_t position) {
    return AddValue<kNull>(0, position);
}

uint32_t CBK_SwfActionPush::AddUnknown(uint32_t position) {
    return AddValue<kUndefined>(0, position);
}

uint32_t CBK_SwfActionPush::AddRegister(uint8_t reg, uint32_t position) {
    return AddValue<kRegister, &PUSH_DATA::byte>(reg, position);
}

uint32_t CBK_SwfActionPush::AddBool(uint8_t flag, uint32_t position) {
    return AddValue<kBoolean, &PUSH_DATA::byte>(flag, position);
}

uint32_t CBK_SwfActionPush::AddDouble(double number, uint32_t position) {
    return AddValue<kDouble, &PUSH_DATA::number>(number, position);
}

uint32_t CBK_SwfActionPush::AddDWord(int32_t number, uint32_t position) {
    return AddValue<kInteger, &PUSH_DATA::dword>(static_cast<uint32_t>(number), position);
}

uint32_t CBK_SwfActionPush::AddDictionaryLookup(uint8_t index, uint32_t position) {
    return AddValue<kConstant8, &PUSH_DATA::byte>(index, position);
}

uint32_t CBK_SwfActionPush::AddDictionaryLookup2(uint16_t index, uint32_t position) {
    return AddValue<kConstant16, &PUSH_DATA::word>(index, position);
}

bool CBK_SwfActionPush::RemoveData(uint32_t index) {
    if (index >= _values.size())
        return false;
    _payloadSize = static_cast<uint16_t>(_payloadSize - ValueSize(_values[index]));
    _prefixGrowth = static_cast<uint16_t>(_prefixGrowth - ValueGrowth(_values[index]));
    _values.erase(_values.begin() + index);
    return true;
}

bool CBK_SwfActionPush::Recount() {
    uint64_t p = 0;
    uint64_t g = 0;
    for (const auto& value : _values) {
        p += ValueSize(value);
        g += ValueGrowth(value);
    }
    if (p + g > kSwfMaxActionPayload)
        return false;
    _payloadSize = static_cast<uint16_t>(p);
    _prefixGrowth = static_cast<uint16_t>(g);
    return true;
}

bool CBK_SwfActionPush::SetPrefix(const wchar_t* prefix) {
    std::unique_ptr<std::wstring> previous = std::move(_prefix);
    if (prefix && *prefix)
        _prefix = std::make_unique<std::wstring>(prefix);
    if (!Recount()) {
        _prefix = std::move(previous);
        return false;
    }
    return true;
}

bool CBK_SwfActionPush::SetPrefix(const char* prefix) {
    if (!prefix)
        return SetPrefix(static_cast<const wchar_t*>(nullptr));
    const std::wstring wide = Utf8ToWide(prefix);
    return SetPrefix(wide.c_str());
}

bool CBK_SwfActionPush::SetTextVersion(uint8_t version) {
    const uint8_t previous = _textVersion;
    _textVersion = version;
    if (!Recount()) {
        _textVersion = previous;
        return false;
    }
    return true;
}

bool CBK_SwfActionPush::ReadInPlace(CBK_SwfReader* reader) {
    const uint8_t* head = reader->PeekBytes(2);
    if (!head)
        return false;
    const uint32_t length = uint32_t(head[0]) | uint32_t(head[1]) << 8;
    const uint8_t* payload = length ? reader->PeekBytes(2 + length) : head;
    if (!payload)
        return false;
    payload += 2;
    // Every value is sized and checked before any is kept, so that their vector is
    // allocated once and an irregular record is left whole to the byte-wise reading.
    std::size_t count = 0;
    uint64_t textCost = 0;
    for (uint32_t at = 0; at < length; ++count) {
        const uint8_t type = payload[at++];
        uint32_t size = FixedPayload(type);
        if (type == kString) {
            // Text beyond ASCII is decoded and encoded by the byte-wise reading, which sizes
            // it as it will be written.
            const int64_t n = PlainStoredText(payload + at, length - at, _textVersion);
            if (n < 0)
                return false;
            size = static_cast<uint32_t>(n) + 1;
            textCost += SwfTextCost(static_cast<uint64_t>(n));
        }
        if (size > length - at)
            return false;
        at += size;
    }
    if (!reader->Charge(SwfArenaCost(count * sizeof(PUSH_DATA)) + textCost)) {
        reader->OffsetBufPos(2 + length); // refused: the movie is not read further
        return true;
    }
    _values.reserve(count);
    for (uint32_t at = 0; at < length;) {
        PUSH_DATA& value = _values.emplace_back();
        const uint8_t* data = payload + at + 1;
        value.type = payload[at];
        uint32_t size = 1 + FixedPayload(value.type);
        switch (value.type) {
        case kString: {
            const std::size_t n = std::strlen(reinterpret_cast<const char*>(data));
            value.text.assign(data, data + n);
            size += static_cast<uint32_t>(n) + 1; // a string has no fixed part
            break;
        }
        case kFloat:
        case kInteger:
            value.dword = uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 |
                          uint32_t(data[3]) << 24;
            break;
        case kRegister:
        case kBoolean:
        case kConstant8:
            value.byte = data[0];
            break;
        case kConstant16:
            value.word = static_cast<uint16_t>(data[0] | data[1] << 8);
            break;
        case kDouble: {
            // The high half comes first, each half little-endian.
            uint64_t bits = 0;
            for (int i = 0; i < 4; ++i)
                bits |= uint64_t(data[i]) << (32 + 8 * i) | uint64_t(data[4 + i]) << (8 * i);
            value.number = std::bit_cast<double>(bits);
            break;
        }
        default:
            break;
        }
        at += size;
    }
    _payloadSize = static_cast<uint16_t>(length);
    reader->OffsetBufPos(2 + length);
    return true;
}

uint32_t CBK_SwfActionPush::Read(CBK_SwfReader* reader) {
    Destroy();
    _textVersion = reader->GetVersion();
    const uint32_t start = reader->GetBufPos();
    // Read in place, every value is written back as it was stored.
    _readAsWritten = ReadInPlace(reader);
    if (_readAsWritten)
        return reader->GetBufPos() - start;
    const uint16_t length = reader->GetWord();
    const uint32_t payloadStart = reader->GetBufPos();
    const uint32_t remaining = reader->GetRemaining();
    int32_t left = length < remaining ? length : static_cast<int32_t>(remaining);
    while (left >= 1 && reader->ChargeRoomForOne<true>(_values)) {
        PUSH_DATA value;
        value.type = reader->GetByte();
        switch (value.type) {
        case kString:
            reader->GetString(value.text, 0, true);
            break;
        case kFloat:
        case kInteger:
            value.dword = reader->GetDWord();
            break;
        case kRegister:
        case kBoolean:
        case kConstant8:
            value.byte = reader->GetByte();
            break;
        case kConstant16:
            value.word = reader->GetWord();
            break;
        case kDouble: {
            uint64_t bits = 0;
            for (int i = 0; i < 4; ++i)
                bits |= uint64_t(reader->GetByte()) << (32 + 8 * i);
            for (int i = 0; i < 4; ++i)
                bits |= uint64_t(reader->GetByte()) << (8 * i);
            value.number = std::bit_cast<double>(bits);
            break;
        }
        default:
            break;
        }
        const uint32_t size = ValueSize(value);
        if (static_cast<int32_t>(size) > left) {
            // The value runs past the announced length: it is not part of this record, and
            // the next record starts where the length says.
            reader->SetBufPos(payloadStart + length);
            break;
        }
        _values.push_back(std::move(value));
        _payloadSize = static_cast<uint16_t>(_payloadSize + size);
        left -= static_cast<int32_t>(size);
    }
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfActionPush::Write(CBK_SwfStream* stream) {
    WriteHeader(stream, 0x96, _payloadSize + _prefixGrowth);
    const bool prefixed = HasPrefix();
    const std::wstring_view rest =
        prefixed ? std::wstring_view(*_prefix).substr(1) : std::wstring_view();
    for (const auto& value : _values) {
        stream->Add(value.type);
        switch (value.type) {
        case kString:
            if (prefixed && IsAbsolutePath(value.text)) {
                stream->Add(uint8_t('/'));
                stream->AddText(rest, _textVersion);
                stream->AddText(value.text, _textVersion);
            } else if (prefixed && IsRoot(value.text)) {
                stream->AddText(value.text, _textVersion);
                stream->Add(uint8_t('.'));
                stream->AddText(rest, _textVersion);
            } else {
                stream->AddText(value.text, _textVersion);
            }
            stream->Add(uint8_t(0));
            break;
        case kFloat:
        case kInteger:
            stream->Add(value.dword);
            break;
        case kRegister:
        case kBoolean:
        case kConstant8:
            stream->Add(value.byte);
            break;
        case kConstant16:
            stream->Add(value.word);
            break;
        case kDouble: {
            const auto bits = std::bit_cast<uint64_t>(value.number);
            stream->Add(static_cast<uint32_t>(bits >> 32));
            stream->Add(static_cast<uint32_t>(bits));
            break;
        }
        default:
            break;
        }
    }
    return GetSize();
}

} // namespace ravuz
