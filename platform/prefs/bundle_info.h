// The information property list of bundles: the top dictionary of Contents/Info.plist.
#pragma once

#include "platform/bundle.h"

namespace tbx {

// The value of `key`, kept for the life of the process; null for a null bundle or key, or
// when the file or the key is missing or the file is no property list. Each bundle folder's
// file is read once.
CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key);

} // namespace tbx
