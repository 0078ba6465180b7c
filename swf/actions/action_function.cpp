#include "swf/actions/action_function.h"

#include "swf/actions/action_text.h"
#include "swf/stream/swf_reader.h"
#include "swf/stream/swf_stream.h"

namespace ravuz {

uint32_t CBK_SwfActionStoreRegister::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    reader->GetWord();
    _register = reader->GetByte();
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfActionStoreRegister::Write(CBK_SwfStream* stream) {
    WriteHeader(stream, 0x87, 1);
    stream->Add(_register);
    return 4;
}

uint32_t CBK_SwfActionWith::NameSize() const {
    return static_cast<uint32_t>(SwfTextSize(_name, _textVersion, kSwfMaxActionPayload - 3));
}

uint32_t CBK_SwfActionWith::GetSize() const {
    const uint32_t n = NameSize();
    return n ? 6 + n : 5;
}

uint32_t CBK_SwfActionWith::Read(CBK_SwfReader* reader) {
    _textVersion = reader->GetVersion();
    _name.clear();
    const uint32_t start = reader->GetBufPos();
    const uint16_t length = reader->GetWord();
    _blockSize = reader->GetWord();
    if (length >= 3)
        reader->GetString(_name, 0, false);
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfActionWith::Write(CBK_SwfStream* stream) {
    const uint32_t n = NameSize();
    WriteHeader(stream, 0x94, n ? n + 3 : 2);
    stream->Add(_blockSize);
    if (n) {
        stream->AddText(_name, _textVersion, n);
        stream->Add(uint8_t(0));
    }
    return n ? 6 + n : 5;
}

void CBK_SwfActionWith::GetJumps(std::vector<int32_t>& distances) const {
    distances.push_back(_blockSize);
}

bool CBK_SwfActionWith::SetJumps(const std::vector<int32_t>& distances) {
    if (distances.size() != 1 || distances[0] < 0 || distances[0] > 0xFFFF)
        return false;
    _blockSize = static_cast<uint16_t>(distances[0]);
    return true;
}

void CBK_SwfActionDefineFunction::Destroy() {
    _name.clear();
    _params.clear();
    _bodySize = 0;
}

uint64_t CBK_SwfActionDefineFunction::FullPayload(const std::vector<std::wstring>& params) const {
    uint64_t total = SwfTextSize(_name, _textVersion) + 1 + 2 + 2;
    for (const std::wstring& p : params)
        total += SwfTextSize(p, _textVersion) + 1;
    return total;
}

std::vector<uint32_t> CBK_SwfActionDefineFunction::Layout() const {
    std::vector<const std::wstring*> texts;
    texts.reserve(_params.size() + 1);
    texts.push_back(&_name);
    for (const std::wstring& p : _params)
        texts.push_back(&p);
    // Terminators, count and body size first; the text shares what is left.
    const uint64_t fixed = 5 + uint64_t(_params.size());
    const uint32_t budget =
        fixed >= kSwfMaxActionPayload ? 0 : static_cast<uint32_t>(kSwfMaxActionPayload - fixed);
    return FitTexts(texts, _textVersion, budget);
}

uint32_t CBK_SwfActionDefineFunction::GetSize() const {
    uint32_t total = 3 + 5 + static_cast<uint32_t>(_params.size());
    for (uint32_t n : Layout())
        total += n;
    return total;
}

bool CBK_SwfActionDefineFunction::AddParam(const std::wstring& name, uint32_t position) {
    std::vector<std::wstring> params = _params;
    if (position < params.size())
        params.insert(params.begin() + position, name);
    else
        params.push_back(name);
    if (FullPayload(params) > kSwfMaxActionPayload)
        return false;
    _params = std::move(params);
    return true;
}

bool CBK_SwfActionDefineFunction::AddParam(const wchar_t* name, uint32_t position) {
    return AddParam(std::wstring(name ? name : L""), position);
}

bool CBK_SwfActionDefineFunction::SetParam(const std::wstring& name, uint32_t index) {
    if (index >= _params.size())
        return false;
    std::vector<std::wstring> params = _params;
    params[index] = name;
    if (FullPayload(params) > kSwfMaxActionPayload)
        return false;
    _params = std::move(params);
    return true;
}

bool CBK_SwfActionDefineFunction::SetParam(const wchar_t* name, uint32_t index) {
    return SetParam(std::wstring(name ? name : L""), index);
}

bool CBK_SwfActionDefineFunction::RemoveParam(uint32_t index) {
    if (index >= _params.size())
        return false;
    _params.erase(_params.begin() + index);
    return true;
}

std::wstring CBK_SwfActionDefineFunction::GetParam(uint32_t index) const {
    if (_params.empty())
        return {};
    return index < _params.size() ? _params[index] : _params.back();
}

uint32_t CBK_SwfActionDefineFunction::Read(CBK_SwfReader* reader) {
    Destroy();
    _textVersion = reader->GetVersion();
    const uint32_t start = reader->GetBufPos();
    reader->GetWord();
    reader->GetString(_name, 0, false);
    const uint16_t count = reader->GetWord();
    for (uint32_t i = 0; i < count && reader->GetRemaining() > 0; ++i) {
        std::wstring param;
        reader->GetString(param, 0, false);
        _params.push_back(std::move(param));
    }
    _bodySize = reader->GetWord();
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfActionDefineFunction::Write(CBK_SwfStream* stream) {
    const std::vector<uint32_t> sizes = Layout();
    const uint32_t size = GetSize();
    WriteHeader(stream, 0x9B, size - 3);
    stream->AddText(_name, _textVersion, sizes[0]);
    stream->Add(uint8_t(0));
    stream->Add(static_cast<uint16_t>(_params.size()));
    for (std::size_t i = 0; i < _params.size(); ++i) {
        stream->AddText(_params[i], _textVersion, sizes[i + 1]);
        stream->Add(uint8_t(0));
    }
    stream->Add(_bodySize);
    return size;
}

void CBK_SwfActionDefineFunction::GetJumps(std::vector<int32_t>& distances) const {
    distances.push_back(_bodySize);
}

bool CBK_SwfActionDefineFunction::SetJumps(const std::vector<int32_t>& distances) {
    if (distances.size() != 1 || distances[0] < 0 || distances[0] > 0xFFFF)
        return false;
    _bodySize = static_cast<uint16_t>(distances[0]);
    return true;
}

} // namespace ravuz
