#include "ui/graphics/keys.h"

#include <cwchar>

#include "platform/windows/events.h"
#include "platform/windows/screen.h"

namespace {

struct KeyName {
    unsigned short code;
    const wchar_t* name;
};

constexpr KeyName kNames[] = {
    {36, L"Return"},    {48, L"Tab"},         {49, L"Space"},        {51, L"Backspace"},
    {55, L"Command"},   {56, L"Shift"},       {57, L"Caps Lock"},    {58, L"Option"},
    {59, L"Control"},   {71, L"Clear"},       {76, L"Enter"},        {96, L"F5"},
    {97, L"F6"},        {98, L"F7"},          {99, L"F3"},           {100, L"F8"},
    {101, L"F9"},       {103, L"F11"},        {109, L"F10"},         {111, L"F12"},
    {114, L"Help"},     {115, L"Home"},       {116, L"Page Up"},     {117, L"Delete"},
    {118, L"F4"},       {119, L"End"},        {120, L"F2"},          {121, L"Page Down"},
    {122, L"F1"},       {123, L"Left Arrow"}, {124, L"Right Arrow"}, {125, L"Down Arrow"},
    {126, L"Up Arrow"},
};

} // namespace

uint32_t BK_GetKeyCodeFromEvent(tbx::EventRef& event) {
    tbx::UInt32 code = 0;
    tbx::GetEventParameter(event, tbx::kEventParamKeyCode, tbx::typeUInt32, nullptr, sizeof code,
                           nullptr, &code);
    return code;
}

void BK_KeyCodeToString(unsigned short code, wchar_t* out) {
    if (!out)
        return;
    for (const KeyName& key : kNames) {
        if (key.code == code) {
            std::wcscpy(out, key.name);
            return;
        }
    }
    tbx::UInt32 state = 0;
    const tbx::UInt32 c = tbx::KeyTranslate(tbx::GetScriptManagerVariable(tbx::smKCHRCache),
                                            static_cast<tbx::UInt16>(code & 0x7F), &state);
    out[0] = code < 0x80 ? static_cast<wchar_t>(c & 0xFF) : 0;
    out[1] = 0;
}
