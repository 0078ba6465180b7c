#include "core/bundles/code_fragments.h"

#include <cstring>
#include <string>

#include "core/paths/path.h"
#include "platform/text_encoding.h"

namespace {

void* Find(tbx::CFragConnectionID connection, const std::string& macRoman) {
    if (macRoman.empty() || macRoman.size() > 255)
        return nullptr;
    tbx::Str255 name;
    name[0] = static_cast<unsigned char>(macRoman.size());
    std::memcpy(name + 1, macRoman.data(), macRoman.size());
    tbx::Ptr address = nullptr;
    return tbx::FindSymbol(connection, name, &address, nullptr) == tbx::noErr ? address : nullptr;
}

} // namespace

bool BK_DllLoad(const CBK_Path& path, tbx::CFragConnectionID& connection) {
    connection = nullptr;
    const tbx::FSSpec file = path.GetFSSpec();
    tbx::Ptr main = nullptr;
    tbx::Str255 message;
    return tbx::GetDiskFragment(&file, 0, tbx::kCFragGoesToEOF, nullptr, tbx::kReferenceCFrag,
                                &connection, &main, message) == tbx::noErr;
}

bool BK_DllUnload(tbx::CFragConnectionID& connection) {
    const bool closed = tbx::CloseConnection(&connection) == tbx::noErr;
    connection = nullptr;
    return closed;
}

void* BK_DllGetProcAddressW(tbx::CFragConnectionID& connection, const wchar_t* name) {
    if (!name)
        return nullptr;
    std::string macRoman;
    for (const wchar_t* c = name; *c; ++c) {
        const int byte = tbx::text::UnicodeToMacRoman(static_cast<char32_t>(*c));
        if (byte < 0)
            return nullptr;
        macRoman.push_back(static_cast<char>(byte));
    }
    return Find(connection, macRoman);
}

void* BK_DllGetProcAddressA(tbx::CFragConnectionID& connection, const char* name) {
    return name ? Find(connection, name) : nullptr;
}
