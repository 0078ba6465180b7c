// XML property lists of one dictionary level: what a preference domain holds on disk.
#pragma once

#include <map>
#include <string>

#include "platform/cf_base.h"

namespace tbx::plist {

// Keys to values (CFString, CFNumber, CFBoolean, CFData, or a value of another kind kept as
// its XML text). Holds one reference to each value.
class Dictionary {
public:
    Dictionary() = default;
    Dictionary(const Dictionary& other);
    Dictionary& operator=(const Dictionary& other);
    ~Dictionary();

    // Takes a new reference; null removes the key.
    void Set(const std::u16string& key, CFTypeRef value);
    CFTypeRef Find(const std::u16string& key) const;
    const std::map<std::u16string, CFTypeRef>& Entries() const { return _entries; }

private:
    void Clear();
    std::map<std::u16string, CFTypeRef> _entries;
};

// False when the bytes are not a property list whose top is a dictionary, or declare or use
// entities. Empty bytes give an empty dictionary.
bool Parse(const std::string& bytes, Dictionary& out);
// The document, keys in order. Control characters, U+FFFE, U+FFFF and the bytes of byte
// escapes are written as they are, as other writers of these lists do, and Parse takes them
// back; unpaired surrogates are left out.
std::string Serialize(const Dictionary& dictionary);

} // namespace tbx::plist
