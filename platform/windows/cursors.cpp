#include "platform/windows/cursors.h"

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

namespace test {
void NoteCursorResource(const Cursor* cursor, int resourceId) {
    TheWorld().cursorResources[cursor] = resourceId;
}
} // namespace test

} // namespace tbx
