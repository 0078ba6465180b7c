// CBK_CFString: owns one system string and converts it to and from wide, 8-bit,
// length-prefixed, HFS Unicode and UTF-8 text.
#pragma once

#include <cstdint>
#include <string>

#include "platform/cf_string.h"
#include "platform/types.h"

class CBK_CFString {
public:
    CBK_CFString() = default;
    // Takes over the caller's reference (no retain).
    explicit CBK_CFString(tbx::CFStringRef string) : _string(string) {}
    // 8-bit text in the locale encoding; null gives no string.
    explicit CBK_CFString(const char* text);
    // Wide text; null gives no string.
    explicit CBK_CFString(const wchar_t* text);
    // A length-prefixed string in the locale encoding.
    explicit CBK_CFString(const unsigned char* pascal);
    // The text of a string id; no string when the table lacks the id.
    explicit CBK_CFString(int32_t stringId);
    CBK_CFString(const CBK_CFString& other);
    CBK_CFString& operator=(const CBK_CFString& other);
    ~CBK_CFString() { Destroy(); }

    void Destroy();
    bool Set(const char* text);
    bool Set(const wchar_t* text);
    bool Set(const tbx::HFSUniStr255& name);

    tbx::CFStringRef Get() const { return _string; }
    operator tbx::CFStringRef() const { return _string; }

    // Number of UTF-16 units; 0 without a string.
    uint32_t GetLength() const;
    bool IsEmpty() const;

    bool GetAnsiString(char* buffer, int32_t size, uint32_t encoding) const;
    // Empty when there is no string or the text has no form in the encoding.
    std::string GetAnsiString(uint32_t encoding) const;
    bool GetPascalString(unsigned char* pascal) const;
    bool GetHFSUniStr(tbx::HFSUniStr255& name) const;
    // At most size-1 characters and the terminator; surrogate pairs joined.
    bool GetUnicodeString(wchar_t* buffer, int32_t size) const;
    bool GetString(wchar_t* buffer, int32_t size) const { return GetUnicodeString(buffer, size); }
    std::wstring GetUnicodeString() const;
    std::wstring GetString() const { return GetUnicodeString(); }
    // length+1 units, terminated; the caller frees it with delete[]. Null without a string.
    tbx::UniChar* GetUniCharString() const;
    // One element per character: its UTF-8 bytes packed first byte lowest.
    std::wstring GetUTF8String() const;

    bool LoadLocalizedString(int32_t stringId);

private:
    tbx::CFStringRef _string = nullptr;
};
