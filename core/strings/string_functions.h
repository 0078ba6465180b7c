// Free functions over wide, 8-bit and length-prefixed text, numbers and string ids.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/cf_string.h"

// Case-insensitive comparison of whole texts: -1, 0 or 1.
int qf_wcscasecmp(const wchar_t* a, const wchar_t* b);
// Lower case of one character by the Unicode mapping, whatever the process locale.
wchar_t BK_ToLower(wchar_t c);
wchar_t BK_ToUpper(wchar_t c);

// New system strings owned by the caller; null for a null text.
tbx::CFStringRef BK_MakeCFString(const char* text);
tbx::CFStringRef BK_MakeCFString(const wchar_t* text);
// 8-bit text in the locale encoding; false for a null string or a failed conversion.
bool BK_CFStringGetCharacters(tbx::CFStringRef string, char* buffer, int32_t size);
// At most size-1 characters, then the terminator; false for a null string.
bool BK_CFStringGetCharacters(tbx::CFStringRef string, wchar_t* buffer, int32_t size);

// 8-bit text in the locale encoding. A character the encoding lacks becomes '?', so the
// rest of the text is kept.
std::string BK_StringWideToAnsi(const std::wstring& text);
std::wstring BK_StringAnsiToWide(const std::string& text);
// One element per character holding its UTF-8 bytes (see CBK_CFString::GetUTF8String).
std::wstring BK_StringAnsiToUTF8(const char* text);
std::wstring BK_StringWideToUTF8(const wchar_t* text);

// Length-prefixed strings (256 bytes) hold Mac Roman text of at most 255 bytes.
void BK_CopyPascalStringToC(const unsigned char* pascal, wchar_t* out);
// Stores at most 255 characters; a character Mac Roman lacks becomes '?'.
void BK_CopyCStringToPascal(const wchar_t* text, unsigned char* pascal);
void BK_SetNativeString(unsigned char (&native)[256], const wchar_t* text);
void BK_ClearNativeString(unsigned char (&native)[256]);
uint8_t BK_NativeStringLength(const unsigned char (&native)[256]);
void BK_CopyNativeString(const unsigned char (&source)[256], unsigned char (&destination)[256]);

bool BK_StringIsTrue(const wchar_t* text);
// Automatic base ("0x" hexadecimal, leading "0" octal), saturating at the 32-bit limits.
int32_t BK_StringToS32(const wchar_t* text);
uint32_t BK_StringToU32(const wchar_t* text);
// Base 10; the value is stored in `out` and returned. Text that is not a number gives 0.
int32_t BK_StringToNum(const wchar_t* text, int32_t& out);
int32_t BK_StringToNum(const wchar_t* text);
// Base 16, "0x" allowed.
int32_t BK_HexStringToLong(const wchar_t* text);
uint32_t BK_HexStringToULong(const wchar_t* text);
// The value of one hexadecimal digit of either case; -1 for any other character.
int BK_HexDigitValue(wchar_t c);
// Decimal, in the C locale's form whatever the process locale: leading white space, a sign,
// digits with "." and an exponent, or "inf" and "nan"; the value of the leading number, 0
// when there is none, and infinity or 0 when it is out of range.
double BK_StringToFloat(const wchar_t* text, double& out);
double BK_StringToFloat(const wchar_t* text);
// True when every character is a decimal digit; the empty text counts as a number.
bool BK_StringIsNumber(const wchar_t* text, int32_t* unused = nullptr);

// "%d" into a buffer of at least 256 characters.
void BK_NumToString(int32_t value, wchar_t* buffer);
// Formats into the caller's buffer of `size` characters; false (text cut, terminated) when
// the whole text does not fit or the format fails.
bool BK_SetFormatString(wchar_t* buffer, std::size_t size, const wchar_t* format, ...);
bool BK_FloatToString(const double& value, wchar_t* buffer, std::size_t size, uint32_t width,
                      uint32_t precision);
// The printf format that width and precision select ("%8.2f", "%8.f", "%.2f" or "%f").
std::wstring BK_MakeFloatFormat(uint32_t width, uint32_t precision);
// The value as that format gives it in the C locale, whatever the process locale; empty
// when the precision asks for more digits than a double has (above 1100).
std::wstring BK_FormatFloat(double value, uint32_t width, uint32_t precision);
// Milliseconds as minutes, seconds and hundredths ("mm:ss.hh"), at most size-1 characters.
void BK_MakeTimeString(uint32_t milliseconds, wchar_t* buffer, int32_t size);
// The text of a string id (its decimal number when the table lacks it).
bool BK_LoadString(int32_t stringId, wchar_t* buffer, int32_t size);
std::wstring BK_TrimString(const wchar_t* text);
bool BK_IsWhiteSpace(wchar_t c);

void BK_MacDebugAssert(const char* file, int32_t line, const char* message);
