#include "platform/cf_dictionary.h"

#include <typeinfo>

namespace tbx {

CFDictionary::~CFDictionary() {
    for (auto& [key, value] : _entries) {
        CFRelease(key);
        CFRelease(value);
    }
}

void CFDictionary::Set(CFStringRef key, CFTypeRef value) {
    for (auto& entry : _entries) {
        if (entry.first->Text() == key->Text()) {
            CFRelease(key);
            CFRelease(entry.second);
            entry.second = value;
            return;
        }
    }
    _entries.emplace_back(key, value);
}

CFTypeRef CFDictionary::Find(CFStringRef key) const {
    for (const auto& entry : _entries)
        if (entry.first->Text() == key->Text())
            return entry.second;
    return nullptr;
}

CFTypeRef CFDictionaryGetValue(CFDictionaryRef dictionary, CFStringRef key) {
    if (!dictionary || !key)
        return nullptr;
    return dictionary->Find(key);
}

CFIndex CFDictionaryGetCount(CFDictionaryRef dictionary) {
    return dictionary ? dictionary->Count() : 0;
}

CFTypeID CFDictionaryGetTypeID() {
    return static_cast<CFTypeID>(typeid(CFDictionary).hash_code());
}

} // namespace tbx
