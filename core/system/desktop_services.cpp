#include "core/system/desktop_services.h"

bool CBK_Finder::ForceFinderUpdate(const CBK_Path&, bool) {
    return true;
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
    return false;
}

bool BK_CloseCDTray() {
    return false;
}
