// Core Foundation dictionaries keyed by strings, as the stand-ins hand them out.
#pragma once

#include <utility>
#include <vector>

#include "platform/cf_string.h"
#include "platform/cf_type_id.h"

namespace tbx {

// Holds a reference to each key and value, released with the dictionary.
class CFDictionary : public CFObject {
public:
    CFDictionary() = default;
    ~CFDictionary() override;
    // Takes over the caller's references; a key already present has its value replaced.
    void Set(CFStringRef key, CFTypeRef value);
    CFTypeRef Find(CFStringRef key) const;
    CFIndex Count() const { return static_cast<CFIndex>(_entries.size()); }

private:
    std::vector<std::pair<CFStringRef, CFTypeRef>> _entries;
};

using CFDictionaryRef = const CFDictionary*;

// The value under a key equal (as text) to `key`; null when absent or for null arguments.
CFTypeRef CFDictionaryGetValue(CFDictionaryRef dictionary, CFStringRef key);
CFIndex CFDictionaryGetCount(CFDictionaryRef dictionary);
CFTypeID CFDictionaryGetTypeID();

} // namespace tbx
