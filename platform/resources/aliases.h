// Alias files: a file whose Finder information carries the alias flag and whose resource fork
// holds an 'alis' 0 resource, the full path (UTF-8) of its target; and symbolic links, which
// are aliases too.
#pragma once

#include "platform/files/fs_types.h"

namespace tbx {

// The longest chain of aliases and links followed to a target; a longer one, or a loop, gives
// the error of too many links (paramErr here, as for the kernel's ELOOP).
inline constexpr int kMaxAliasLinks = 32;

// Whether the item itself (a link is not followed) is an alias, and whether it is a folder.
OSErr FSIsAliasFile(const FSRef* fileRef, Boolean* aliasFileFlag, Boolean* folderFlag);
// Replaces the reference by its alias's target: the whole chain with `resolveAliasChains`,
// else one alias. A reference that is no alias stays and wasAliased is false. fnfErr when a
// target is missing, paramErr for an alias file without a usable record.
OSErr FSResolveAliasFile(FSRef* theRef, Boolean resolveAliasChains, Boolean* targetIsFolder,
                         Boolean* wasAliased);

} // namespace tbx
