// CBK_Locale: the two process-wide text settings. Nothing in the program changes them.
#pragma once

#include <cstdint>

class CBK_Locale {
public:
    static constexpr uint32_t CP_ENGLISH_US = 0x08000100; // UTF-8
    static constexpr uint32_t CP_JAPANESE = 0x0A01;       // Shift-JIS
    static constexpr uint32_t ENGLISH_US = 0;             // Mac Roman
    static constexpr uint32_t JAPANESE = 1;               // Mac Japanese

    // Encoding of text written to files.
    static uint32_t GetCodePage() { return _currentCodePage; }
    static void SetCodePage(uint32_t codePage) { _currentCodePage = codePage; }
    // Encoding of 8-bit and length-prefixed text in memory.
    static uint32_t GetLocale() { return _currentLocale; }
    static bool SetLocale(uint32_t locale) {
        _currentLocale = locale;
        return true;
    }
    static const wchar_t* GetCodePageName() { return L"UTF-8"; }

private:
    static inline uint32_t _currentCodePage = CP_ENGLISH_US;
    static inline uint32_t _currentLocale = ENGLISH_US;
};
