#include "core/bundles/help_book.h"

#include "core/paths/path.h"
#include "core/strings/cf_string.h"
#include "platform/cf_type_id.h"
#include "platform/help/apple_help.h"
#include "platform/prefs/bundle_info.h"

CBK_Path gBK_AppHelpBookPath;

bool BK_RegisterHelpBook(const CBK_Path& path) {
    gBK_AppHelpBookPath = path;
    if (path.FileExists())
        return true;
    tbx::FSRef bundle;
    return BK_GetAppFile(bundle, true) && tbx::AHRegisterHelpBook(&bundle) == tbx::noErr;
}

bool BK_OpenHelp(const wchar_t* page, const wchar_t* anchor) {
    if (gBK_AppHelpBookPath.FileExists() && BK_LaunchDocument(gBK_AppHelpBookPath))
        return true;
    tbx::CFTypeRef book = tbx::CFBundleGetValueForInfoDictionaryKey(tbx::CFBundleGetMainBundle(),
                                                                    CFSTR("CFBundleHelpBookName"));
    if (!book || tbx::CFGetTypeID(book) != tbx::CFStringGetTypeID())
        return false;
    const CBK_CFString path(page), mark(page ? anchor : nullptr);
    return tbx::AHGotoPage(static_cast<tbx::CFStringRef>(book), path, mark) == tbx::noErr;
}
