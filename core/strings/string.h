// CBK_String: an owned, null-terminated wide string.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/cf_string.h"

class CBK_String {
public:
    CBK_String();
    // A null text gives an empty string.
    CBK_String(const wchar_t* text);
    // The text of a string id; an id the table lacks gives its decimal number.
    explicit CBK_String(int32_t stringId);
    CBK_String(const CBK_String& other);
    CBK_String& operator=(const CBK_String& other);
    ~CBK_String() = default;

    // Grows the array to at least n characters (terminator included), dropping the text.
    void _AllocateBuffer(uint32_t n);

    // False for a null argument, which leaves the text unchanged.
    bool SetString(const wchar_t* text);
    // Surrogate pairs become one character; an unpaired surrogate becomes U+FFFD.
    bool SetString(tbx::CFStringRef string);
    // A length-prefixed string in Mac Roman.
    bool SetString(const unsigned char* pascal);
    void Clear() { SetString(L""); }

    wchar_t* GetString() { return _buffer.get(); }
    const wchar_t* GetConstString() const { return _buffer.get(); }
    uint32_t GetLength() const;
    uint32_t GetCapacity() const { return _capacity; }

    bool CompareTo(const wchar_t* text, bool caseSensitive) const;
    bool CompareTo(const CBK_String& other, bool caseSensitive) const;

    bool LoadString(int32_t stringId);
    bool Format(const wchar_t* format, ...);

    void SetAsNumber(int32_t value);
    void SetAsFloat(double value, uint32_t width, uint32_t precision);

    bool IsTrue() const;
    // Automatic base: "0x" hexadecimal, a leading "0" octal, else decimal.
    int32_t GetAsS32() const;
    uint32_t GetAsU32() const;
    // Base 10.
    int32_t GetAsNumber() const;
    double GetAsFloat() const;

    void Trim();
    void ToUppercase();

private:
    std::unique_ptr<wchar_t[]> _buffer;
    uint32_t _capacity = 0;
};
