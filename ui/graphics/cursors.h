// Theme cursors, a scoped wait cursor, and cursors from the application's "main.rsrc".
#pragma once

#include <cstdint>

#include "platform/windows/cursors.h"

bool BK_SetArrowCursor();
bool BK_SetWaitCursor();
bool BK_SetIBeamCursor();

// The watch while it lives, the arrow after.
class CBK_WaitCursor {
public:
    CBK_WaitCursor() { BK_SetWaitCursor(); }
    ~CBK_WaitCursor() { BK_SetArrowCursor(); }
    CBK_WaitCursor(const CBK_WaitCursor&) = delete;
    CBK_WaitCursor& operator=(const CBK_WaitCursor&) = delete;
};

// The 'CURS' resource of that id from "main.rsrc"; the current resource file is kept.
bool BK_LoadCursor(tbx::CursHandle& cursor, uint32_t id);
// False for a null cursor; the handle is null afterwards.
bool BK_ReleaseCursor(tbx::CursHandle& cursor);
// System cursors by name are not offered: false.
bool BK_LoadSystemCursor(tbx::CursHandle& cursor, const wchar_t* name);
