#include "core/strings/string.h"

#include <algorithm>
#include <cstdarg>
#include <cwchar>

#include "core/strings/format.h"
#include "core/strings/string_functions.h"
#include "core/strings/wide_text.h"
#include "platform/bundle.h"

CBK_String::CBK_String() {
    _AllocateBuffer(1);
}

CBK_String::CBK_String(const wchar_t* text) {
    _AllocateBuffer(1);
    SetString(text);
}

CBK_String::CBK_String(int32_t stringId) {
    _AllocateBuffer(1);
    if (!LoadString(stringId))
        Clear();
}

CBK_String::CBK_String(const CBK_String& other) {
    _AllocateBuffer(1);
    SetString(other.GetConstString());
}

CBK_String& CBK_String::operator=(const CBK_String& other) {
    if (this != &other)
        SetString(other.GetConstString());
    return *this;
}

void CBK_String::_AllocateBuffer(uint32_t n) {
    if (_buffer && _capacity >= n)
        return;
    const uint32_t size = std::max<uint32_t>(n, 1);
    _buffer = std::make_unique<wchar_t[]>(size);
    _capacity = size;
    _buffer[0] = 0;
}

bool CBK_String::SetString(const wchar_t* text) {
    if (!text)
        return false;
    const std::size_t length = std::wcslen(text);
    if (text >= _buffer.get() && text < _buffer.get() + _capacity) {
        // Setting part of our own text: copy it out before the array can be replaced.
        std::wstring copy(text, length);
        return SetString(copy.c_str());
    }
    _AllocateBuffer(static_cast<uint32_t>(length + 1));
    std::copy_n(text, length + 1, _buffer.get());
    return true;
}

bool CBK_String::SetString(tbx::CFStringRef string) {
    if (!string)
        return false;
    return SetString(BK_WidenCFString(string).c_str());
}

bool CBK_String::SetString(const unsigned char* pascal) {
    if (!pascal)
        return false;
    wchar_t text[256];
    BK_CopyPascalStringToC(pascal, text);
    return SetString(text);
}

uint32_t CBK_String::GetLength() const {
    return static_cast<uint32_t>(std::wcslen(_buffer.get()));
}

bool CBK_String::CompareTo(const wchar_t* text, bool caseSensitive) const {
    if (!text)
        return false;
    if (caseSensitive)
        return std::wcscmp(_buffer.get(), text) == 0;
    return qf_wcscasecmp(_buffer.get(), text) == 0;
}

bool CBK_String::CompareTo(const CBK_String& other, bool caseSensitive) const {
    return CompareTo(other.GetConstString(), caseSensitive);
}

bool CBK_String::LoadString(int32_t stringId) {
    tbx::CFStringRef key = tbx::CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%d"), stringId);
    if (!key)
        return false;
    tbx::CFStringRef text =
        tbx::CFBundleCopyLocalizedString(tbx::CFBundleGetMainBundle(), key, key, nullptr);
    tbx::CFRelease(key);
    if (!text)
        return false;
    SetString(text);
    tbx::CFRelease(text);
    return true;
}

bool CBK_String::Format(const wchar_t* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::wstring text;
    const bool ok = BK_FormatStringV(text, format, arguments);
    va_end(arguments);
    return ok && SetString(text.c_str());
}

void CBK_String::SetAsNumber(int32_t value) {
    Format(L"%d", value);
}

void CBK_String::SetAsFloat(double value, uint32_t width, uint32_t precision) {
    const std::wstring text = BK_FormatFloat(value, width, precision);
    if (!text.empty())
        SetString(text.c_str());
}

bool CBK_String::IsTrue() const {
    return BK_StringIsTrue(_buffer.get());
}
int32_t CBK_String::GetAsS32() const {
    return BK_StringToS32(_buffer.get());
}
uint32_t CBK_String::GetAsU32() const {
    return BK_StringToU32(_buffer.get());
}
int32_t CBK_String::GetAsNumber() const {
    return BK_StringToNum(_buffer.get());
}
double CBK_String::GetAsFloat() const {
    return BK_StringToFloat(_buffer.get());
}

void CBK_String::Trim() {
    const std::wstring trimmed = BK_TrimString(_buffer.get());
    if (trimmed.size() != GetLength())
        SetString(trimmed.c_str());
}

void CBK_String::ToUppercase() {
    for (wchar_t* c = _buffer.get(); *c; ++c)
        *c = BK_ToUpper(*c);
}
