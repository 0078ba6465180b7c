// Preference lists and string tables: any bytes parse without harm, and a list that parsed
// is written and read back to the same text.
#include <cstdint>
#include <map>
#include <string>

#include "platform/prefs/property_list.h"
#include "platform/strings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::map<std::u16string, std::u16string> table;
    tbx::strings_file::Parse(bytes, table);

    tbx::plist::Dictionary list;
    if (tbx::plist::Parse(bytes, list)) {
        const std::string written = tbx::plist::Serialize(list);
        tbx::plist::Dictionary again;
        if (!tbx::plist::Parse(written, again) || tbx::plist::Serialize(again) != written)
            __builtin_trap();
    }
    return 0;
}
