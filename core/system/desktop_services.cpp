#include "core/system/desktop_services.h"

#include "core/paths/path.h"
#include "platform/system/date_time.h"
#include "platform/files/fs_catalog.h"
#include "platform/files/fs_volumes.h"
#include "platform/system/optical_tray.h"

namespace {

constexpr const wchar_t* kFinderUpdateScript =
    L"tell application \"Finder\"\n"
    L"set c_ounter to 0\n"
    L"set counter to count (Finder windows)\n"
    L"repeat counter times\n"
    L"set c_ounter to c_ounter + 1\n"
    L"try\n"
    L"tell application \"Finder\" to update items of window c_ounter\n"
    L"end try\n"
    L"end repeat\n"
    L"end tell\n";

} // namespace

bool CBK_Finder::ForceFinderUpdate(const CBK_Path& item, bool flush) {
    CBK_AppleScript script;
    if (script.Load(kFinderUpdateScript) && script.Run())
        return true;
    tbx::FSRef ref;
    tbx::FSCatalogInfo info;
    if (!item.GetFSRef(ref) || tbx::GetUTCDateTime(&info.contentModDate, 0) != tbx::noErr ||
        tbx::FSSetCatalogInfo(&ref, tbx::kFSCatInfoContentMod, &info) != tbx::noErr)
        return false;
    tbx::FSVolumeRefNum volume = 0;
    return !flush || (tbx::FSGetVolumeOfRef(&ref, &volume) == tbx::noErr &&
                      tbx::FSFlushVolume(volume) == tbx::noErr);
}

bool CBK_AppleScript::Load(const wchar_t*) {
    return false;
}

bool CBK_AppleScript::Load(const CBK_Path&) {
    return false;
}

bool CBK_AppleScript::Run() {
    return false;
}

bool BK_KillProcess(const tbx::ProcessSerialNumber&) {
    return false;
}

bool BK_OpenCDTray() {
    return tbx::MoveFirstOpticalTray(true);
}

bool BK_CloseCDTray() {
    return tbx::MoveFirstOpticalTray(false);
}
