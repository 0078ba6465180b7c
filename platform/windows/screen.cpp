#include "platform/windows/screen.h"

#include "platform/windows/windows.h"
#include "platform/windows/world.h"

namespace tbx {
namespace {

struct Screen {
    SInt16 depth = 32;
};

Screen& TheScreen() {
    static Screen screen;
    return screen;
}

GDHandle MainDevice() {
    return reinterpret_cast<GDHandle>(&TheScreen());
}

const char kUSLayout[] = "US";

} // namespace

GDHandle GetMainDevice() {
    return MainDevice();
}

Rect* GetDeviceRect(GDHandle device, Rect* bounds) {
    if (device != MainDevice() || !bounds)
        return nullptr;
    *bounds = Rect{0, 0, kMainScreenHeight, kMainScreenWidth};
    return bounds;
}

SInt16 GetDevicePixelSize(GDHandle device) {
    return device == MainDevice() ? TheScreen().depth : 0;
}

Boolean HasDepth(GDHandle device, SInt16 depth, SInt16, SInt16) {
    return device == MainDevice() &&
           (depth == 1 || depth == 8 || depth == 16 || depth == 24 || depth == 32);
}

OSErr SetDepth(GDHandle device, SInt16 depth, SInt16 whichFlags, SInt16 flags) {
    if (!HasDepth(device, depth, whichFlags, flags))
        return paramErr;
    TheScreen().depth = depth;
    return noErr;
}

void* GetScriptManagerVariable(SInt16 selector) {
    return selector == smKCHRCache ? const_cast<char*>(kUSLayout) : nullptr;
}

UInt32 KeyTranslate(const void* layout, UInt16 keyCodeAndModifiers, UInt32* state) {
    if (state)
        *state = 0;
    if (layout != kUSLayout)
        return 0;
    char16_t c = windows_detail::KeyCharacter(keyCodeAndModifiers & 0x7F);
    if ((keyCodeAndModifiers & shiftKey) && c >= u'a' && c <= u'z')
        c = static_cast<char16_t>(c - u'a' + u'A');
    return c < 0x80 ? c : 0;
}

} // namespace tbx
