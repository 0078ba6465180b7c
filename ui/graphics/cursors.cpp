#include "ui/graphics/cursors.h"

#include "core/paths/path.h"
#include "platform/resources/resource_files.h"

bool BK_SetArrowCursor() {
    return tbx::SetThemeCursor(tbx::kThemeArrowCursor) == tbx::noErr;
}

bool BK_SetWaitCursor() {
    return tbx::SetThemeCursor(tbx::kThemeWatchCursor) == tbx::noErr;
}

bool BK_SetIBeamCursor() {
    return tbx::SetThemeCursor(tbx::kThemeIBeamCursor) == tbx::noErr;
}

bool BK_LoadCursor(tbx::CursHandle& cursor, uint32_t id) {
    CBK_Path file;
    if (!file.MakeBundleResourceLevelPath(L"main.rsrc"))
        return false;
    const tbx::FSSpec fileRecord = file.GetFSSpec();
    const tbx::SInt16 previous = tbx::CurResFile();
    const tbx::SInt16 refNum = tbx::FSpOpenResFile(&fileRecord, tbx::fsRdPerm);
    if (refNum == tbx::kResFileNotOpened)
        return false;
    tbx::UseResFile(refNum);
    cursor = tbx::GetCursor(static_cast<tbx::SInt16>(id));
    tbx::UseResFile(previous);
    return cursor != nullptr;
}

bool BK_ReleaseCursor(tbx::CursHandle& cursor) {
    if (!cursor)
        return false;
    tbx::ReleaseResource(reinterpret_cast<tbx::Handle>(cursor));
    cursor = nullptr;
    return tbx::ResError() == tbx::noErr;
}

bool BK_LoadSystemCursor(tbx::CursHandle&, const wchar_t*) {
    return false;
}
