// Cursors: the theme cursors and cursors read from resources. Nothing is shown; the test
// driver reads which cursor is in force.
#pragma once

#include "platform/windows/carbon_types.h"

namespace tbx {

struct Cursor {
    UInt16 data[16] = {};
    UInt16 mask[16] = {};
    Point hotSpot;
};
using CursPtr = Cursor*;
using CursHandle = CursPtr*;

// paramErr for a cursor the theme does not have.
OSStatus SetThemeCursor(ThemeCursor cursor);
void SetCursor(const Cursor* cursor);
void InitCursor();
// Hiding nests: the cursor shows again after as many ShowCursor calls as HideCursor calls;
// extra ShowCursor calls are ignored.
void HideCursor();
void ShowCursor();
// Puts the mouse at a global point; no event is sent.
void WarpMouse(Point global);
// The 'CURS' resource of that id from the resource chain, as a cursor; null when there is
// none or it is not 68 bytes. Freed with ReleaseResource.
CursHandle GetCursor(SInt16 id);

namespace test {
// Names the resource cursor that SetCursor puts in force (0 for none known).
void NoteCursorResource(const Cursor* cursor, int resourceId);
bool CursorVisible();
} // namespace test

} // namespace tbx
