#include "core/bundles/help_book.h"

#include "core/paths/path.h"

CBK_Path gBK_AppHelpBookPath;

bool BK_RegisterHelpBook(const CBK_Path& path) {
    gBK_AppHelpBookPath = path;
    return path.FileExists();
}

bool BK_OpenHelp(const wchar_t*, const wchar_t*) {
    return gBK_AppHelpBookPath.FileExists() && BK_LaunchDocument(gBK_AppHelpBookPath);
}
