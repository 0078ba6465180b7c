// Core Foundation strings: immutable, reference-counted UTF-16 text.
#pragma once

#include <cstdarg>
#include <string>

#include "platform/cf_base.h"
#include "platform/text_encoding.h"

namespace tbx {

class CFString : public CFObject {
public:
    explicit CFString(std::u16string text) : _text(std::move(text)) {}
    const std::u16string& Text() const { return _text; }

private:
    std::u16string _text;
};

using CFStringRef = const CFString*;

enum : CFOptionFlags {
    kCFCompareCaseInsensitive = 1,
    kCFCompareBackwards = 4,
    kCFCompareAnchored = 8,
    kCFCompareNonliteral = 16,
    kCFCompareLocalized = 32,
    kCFCompareNumerically = 64,
};

// Each Create call returns a new reference owned by the caller, or null when the input is
// not text in the given encoding.
CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* text, CFStringEncoding encoding);
CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8* bytes, CFIndex size,
                                    CFStringEncoding encoding, Boolean isExternalRepresentation);
CFStringRef CFStringCreateWithPascalString(CFAllocatorRef, ConstStr255Param text,
                                           CFStringEncoding encoding);
CFStringRef CFStringCreateWithCharacters(CFAllocatorRef, const UniChar* units, CFIndex count);
CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef string);
// printf directives only; the format's text is used as UTF-8.
CFStringRef CFStringCreateWithFormat(CFAllocatorRef, const void* formatOptions, CFStringRef format,
                                     ...);
CFStringRef CFStringCreateWithFormatAndArguments(CFAllocatorRef, const void* formatOptions,
                                                 CFStringRef format, va_list arguments);

// A string that lives for the whole run; retain and release do nothing to it.
CFStringRef CFStringMakeConstantString(const char* utf8);
#define CFSTR(text) (::tbx::CFStringMakeConstantString("" text ""))

// 0 for a null string.
CFIndex CFStringGetLength(CFStringRef string);
UniChar CFStringGetCharacterAtIndex(CFStringRef string, CFIndex index);
// Copies the units of the range, clipped to the string.
void CFStringGetCharacters(CFStringRef string, CFRange range, UniChar* buffer);
// False when the text has no form in the encoding or does not fit with its terminator.
Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize,
                           CFStringEncoding encoding);
// False as above, or when the text takes more than 255 bytes.
Boolean CFStringGetPascalString(CFStringRef string, StringPtr buffer, CFIndex bufferSize,
                                CFStringEncoding encoding);
CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding);
CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFOptionFlags options);

} // namespace tbx
