#include "platform/windows/cursors.h"

#include <cstring>

#include "platform/memory.h"
#include "platform/resources/resource_files.h"
#include "platform/windows/world.h"

namespace tbx {

using namespace windows_detail;

OSStatus SetThemeCursor(ThemeCursor cursor) {
    if (cursor < kThemeArrowCursor || cursor > 21)
        return paramErr;
    World& world = TheWorld();
    world.themeCursor = cursor;
    world.cursorId = 0;
    return noErr;
}

void SetCursor(const Cursor* cursor) {
    if (!cursor)
        return;
    World& world = TheWorld();
    auto found = world.cursorResources.find(cursor);
    world.cursorId = found == world.cursorResources.end() ? -1 : found->second;
}

void InitCursor() {
    SetThemeCursor(kThemeArrowCursor);
}

void HideCursor() {
    ++TheWorld().cursorHideLevel;
}

void ShowCursor() {
    World& world = TheWorld();
    if (world.cursorHideLevel > 0)
        --world.cursorHideLevel;
}

void WarpMouse(Point global) {
    TheWorld().mouse = global;
}

CursHandle GetCursor(SInt16 id) {
    Handle handle = GetResource(FourCC("CURS"), id);
    if (!handle)
        return nullptr;
    if (GetHandleSize(handle) != sizeof(Cursor)) {
        ReleaseResource(handle);
        return nullptr;
    }
    // Stored big-endian: 16 rows of image, 16 of mask, then the hot spot (v, h).
    const auto* bytes = reinterpret_cast<const UInt8*>(*handle);
    Cursor cursor;
    auto word = [bytes](int i) {
        return static_cast<UInt16>((bytes[2 * i] << 8) | bytes[2 * i + 1]);
    };
    for (int i = 0; i < 16; ++i) {
        cursor.data[i] = word(i);
        cursor.mask[i] = word(16 + i);
    }
    cursor.hotSpot.v = static_cast<SInt16>(word(32));
    cursor.hotSpot.h = static_cast<SInt16>(word(33));
    std::memcpy(*handle, &cursor, sizeof cursor);
    auto result = reinterpret_cast<CursHandle>(handle);
    test::NoteCursorResource(*result, id);
    return result;
}

namespace test {
void NoteCursorResource(const Cursor* cursor, int resourceId) {
    TheWorld().cursorResources[cursor] = resourceId;
}

bool CursorVisible() {
    return TheWorld().cursorHideLevel == 0;
}
} // namespace test

} // namespace tbx
