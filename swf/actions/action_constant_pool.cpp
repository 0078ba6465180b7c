#include "swf/actions/action_constant_pool.h"

#include <algorithm>
#include <cstring>

#include "swf/actions/action_text.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"

namespace ravuz {

namespace {
bool IsRoot(const std::wstring& text) {
    return text == L"_root";
}
} // namespace

uint32_t CBK_SwfActionConstantPool::RootGrowth(const std::wstring& prefix) const {
    if (prefix.empty())
        return 0;
    return 1 +
           static_cast<uint32_t>(SwfTextSize(std::wstring_view(prefix).substr(1), _textVersion));
}

uint64_t CBK_SwfActionConstantPool::StringsSize(const std::vector<std::wstring>& strings,
                                                const std::wstring& prefix) const {
    const uint32_t growth = RootGrowth(prefix);
    uint64_t total = 2; // the count
    for (const std::wstring& s : strings)
        total += SwfTextSize(s, _textVersion) + 1 + (IsRoot(s) ? growth : 0);
    return total;
}

uint32_t CBK_SwfActionConstantPool::FittedPayload(std::size_t* count) const {
    // Only a pool that grew past the limit by being read can fail to fit: the strings that
    // do not fit are left out, by Write and GetSize alike.
    const uint32_t growth = RootGrowth(_prefix);
    uint64_t payload = 2;
    std::size_t n = 0;
    for (const std::wstring& s : _strings) {
        const uint64_t size = SwfTextSize(s, _textVersion) + 1 + (IsRoot(s) ? growth : 0);
        if (payload + size > kSwfMaxActionPayload)
            break;
        payload += size;
        ++n;
    }
    if (count)
        *count = n;
    return static_cast<uint32_t>(payload);
}

bool CBK_SwfActionConstantPool::AddString(const std::wstring& text, uint32_t position) {
    if (std::find(_strings.begin(), _strings.end(), text) != _strings.end())
        return false;
    const uint64_t added =
        SwfTextSize(text, _textVersion) + 1 + (IsRoot(text) ? RootGrowth(_prefix) : 0);
    if (StringsSize(_strings, _prefix) + added > kSwfMaxActionPayload)
        return false;
    if (position < _strings.size())
        _strings.insert(_strings.begin() + position, text);
    else
        _strings.push_back(text);
    return true;
}

bool CBK_SwfActionConstantPool::AddString(const wchar_t* text, uint32_t position) {
    return AddString(std::wstring(text ? text : L""), position);
}

int32_t CBK_SwfActionConstantPool::GetStringIndex(const wchar_t* text) const {
    const std::wstring wanted = text ? text : L"";
    const auto it = std::find(_strings.begin(), _strings.end(), wanted);
    return it == _strings.end() ? -1 : static_cast<int32_t>(it - _strings.begin());
}

std::wstring CBK_SwfActionConstantPool::GetString(int32_t index) const {
    if (_strings.empty())
        return {};
    const auto i = static_cast<uint32_t>(index);
    return i < _strings.size() ? _strings[i] : _strings.back();
}

bool CBK_SwfActionConstantPool::RemoveString(uint32_t index) {
    if (index >= _strings.size())
        return false;
    _strings.erase(_strings.begin() + index);
    return true;
}

bool CBK_SwfActionConstantPool::SetPrefix(const wchar_t* prefix) {
    const std::wstring wanted = prefix ? prefix : L"";
    if (StringsSize(_strings, wanted) > kSwfMaxActionPayload)
        return false;
    _prefix = wanted;
    return true;
}

bool CBK_SwfActionConstantPool::SetTextVersion(uint8_t version) {
    const uint8_t previous = _textVersion;
    _textVersion = version;
    if (StringsSize(_strings, _prefix) > kSwfMaxActionPayload) {
        _textVersion = previous;
        return false;
    }
    return true;
}

bool CBK_SwfActionConstantPool::ReadInPlace(CBK_SwfReader* reader) {
    const uint8_t* head = reader->PeekBytes(2);
    if (!head)
        return false;
    const uint32_t length = uint32_t(head[0]) | uint32_t(head[1]) << 8;
    const uint8_t* payload = length >= 2 ? reader->PeekBytes(2 + length) : nullptr;
    if (!payload)
        return false;
    payload += 2;
    std::size_t count = 0;
    uint64_t textCost = 0;
    for (uint32_t at = 2; at < length; ++count) {
        const int64_t n = PlainStoredText(payload + at, length - at, _textVersion);
        if (n < 0)
            return false;
        at += static_cast<uint32_t>(n) + 1;
        textCost += SwfTextCost(static_cast<uint64_t>(n));
    }
    // The strings are charged before they are made; refused, the movie is not read further.
    if (!reader->Charge(SwfHeapCost(count * sizeof(std::wstring)) + textCost)) {
        reader->OffsetBufPos(2 + length);
        return true;
    }
    _strings.reserve(count);
    for (uint32_t at = 2; at < length;) {
        const auto* text = payload + at;
        const std::size_t n = std::strlen(reinterpret_cast<const char*>(text));
        _strings.emplace_back(text, text + n);
        at += static_cast<uint32_t>(n) + 1;
    }
    // Write gives the count of the strings, which a stored count need not be.
    _readAsWritten = count == (uint32_t(payload[0]) | uint32_t(payload[1]) << 8);
    reader->OffsetBufPos(2 + length);
    return true;
}

uint32_t CBK_SwfActionConstantPool::Read(CBK_SwfReader* reader) {
    Destroy();
    _textVersion = reader->GetVersion();
    const uint32_t start = reader->GetBufPos();
    _readAsWritten = false;
    if (ReadInPlace(reader))
        return reader->GetBufPos() - start;
    const uint16_t length = reader->GetWord();
    const uint32_t remaining = reader->GetRemaining();
    reader->GetWord(); // the count: the strings themselves are what the length holds
    int32_t left = static_cast<int32_t>(std::min<uint32_t>(length, remaining)) - 2;
    while (left > 0 && reader->ChargeRoomForOne(_strings)) {
        std::wstring text;
        reader->GetString(text, 0, true);
        left -= static_cast<int32_t>(SwfTextSize(text, _textVersion)) + 1;
        _strings.push_back(std::move(text));
    }
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfActionConstantPool::Write(CBK_SwfStream* stream) {
    std::size_t count = 0;
    const uint32_t payload = FittedPayload(&count);
    const std::wstring_view rest =
        _prefix.empty() ? std::wstring_view() : std::wstring_view(_prefix).substr(1);
    WriteHeader(stream, 0x88, payload);
    stream->Add(static_cast<uint16_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        stream->AddText(_strings[i], _textVersion);
        if (!_prefix.empty() && IsRoot(_strings[i])) {
            stream->Add(uint8_t('.'));
            stream->AddText(rest, _textVersion);
        }
        stream->Add(uint8_t(0));
    }
    return 3 + payload;
}

} // namespace ravuz
