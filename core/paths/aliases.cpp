// Resolving alias files and links to their targets.
#include "platform/resources/aliases.h"
#include "core/paths/path.h"

bool CBK_Path::_ResolveAlias(tbx::FSRef& ref) {
    tbx::Boolean alias = false, folder = false;
    m_nLastError = tbx::FSIsAliasFile(&ref, &alias, &folder);
    if (m_nLastError != tbx::noErr)
        return false;
    if (!alias)
        return true;
    tbx::Boolean targetIsFolder = false, wasAliased = false;
    m_nLastError = tbx::FSResolveAliasFile(&ref, true, &targetIsFolder, &wasAliased);
    return m_nLastError == tbx::noErr;
}

bool BK_ResolveShortcut(const CBK_Path& alias, CBK_Path& target) {
    tbx::FSRef ref;
    tbx::Boolean isAlias = false, folder = false;
    if (!alias.GetFSRef(ref) || tbx::FSIsAliasFile(&ref, &isAlias, &folder) != tbx::noErr ||
        !isAlias || !CBK_Path::_ResolveAlias(ref))
        return false;
    target.Set(ref);
    return true;
}
