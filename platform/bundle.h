// The application bundle: a folder laid out as Stravel.app/Contents/Resources/..., found
// from the executable's folder or named by the STRAVEL_BUNDLE environment variable.
#pragma once

#include <string>

#include "platform/cf_string.h"

namespace tbx {

class CFBundle;
using CFBundleRef = CFBundle*;

// The bundle of the running program; null when no bundle folder can be found.
CFBundleRef CFBundleGetMainBundle();

// The text of `key` in the string table `tableName` (null: "Localizable") of the bundle's
// English.lproj folder. A key the table lacks gives `value`, or `key` when `value` is null or
// empty. The caller owns the result. Each table is read once.
CFStringRef CFBundleCopyLocalizedString(CFBundleRef bundle, CFStringRef key, CFStringRef value,
                                        CFStringRef tableName);

// The bundle's folder (".../Stravel.app", no trailing "/") as UTF-8; empty for null.
std::string CFBundleGetPath(CFBundleRef bundle);

// Bundles of code. A bundle at `path` (UTF-8) is a shared object: the path itself when it is
// a file, else <path>/Contents/Linux/<name>.so, where name is the folder's name less its
// extension. Null when nothing is at the path; the caller releases the bundle.
CFBundleRef CFBundleCreateFromPath(const std::string& path);
// Bundles are Core Foundation objects; the main bundle ignores releases.
void CFRelease(CFBundleRef bundle);
// Loads the shared object at the first lookup; null when it cannot be loaded or lacks the name.
void* CFBundleGetFunctionPointerForName(CFBundleRef bundle, CFStringRef functionName);
// Lets go of the loaded code; the next lookup loads it again.
void CFBundleUnloadExecutable(CFBundleRef bundle);

namespace test {
// Makes the main bundle the folder at `path` (or rediscovers it when empty) and forgets every
// string table read so far.
void SetMainBundlePath(const std::string& path);
} // namespace test

} // namespace tbx
