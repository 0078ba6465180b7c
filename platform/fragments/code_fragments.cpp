#include "platform/fragments/code_fragments.h"

#include <algorithm>
#include <cstring>
#include <dlfcn.h>
#include <memory>
#include <string>
#include <sys/stat.h>

#include "platform/handle_table.h"
#include "platform/text_encoding.h"

namespace tbx {

struct OpaqueCFragConnectionID {};

namespace {

struct Connection {
    void* code = nullptr;
    ~Connection() {
        if (code)
            dlclose(code);
    }
};

TypedHandleTable<CFragConnectionID, Connection>& Connections() {
    static TypedHandleTable<CFragConnectionID, Connection> table;
    return table;
}

void ToPascal(const char* text, Str255 out) {
    if (!out)
        return;
    const std::size_t n = std::min<std::size_t>(text ? std::strlen(text) : 0, 255);
    out[0] = static_cast<unsigned char>(n);
    if (n)
        std::memcpy(out + 1, text, n);
}

} // namespace

OSErr GetDiskFragment(const FSSpec* file, UInt32 offset, UInt32 length, ConstStr63Param,
                      CFragLoadOptions, CFragConnectionID* connID, Ptr* mainAddr,
                      Str255 errMessage) {
    if (mainAddr)
        *mainAddr = nullptr;
    if (!file || !connID)
        return paramErr;
    *connID = nullptr;
    ToPascal("", errMessage);
    struct stat info;
    if (file->path.empty() || stat(file->path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return fnfErr;
    // A shared object loads from the start of its file, whole.
    if (offset != 0 || length != kCFragGoesToEOF)
        return cfragFragmentFormatErr;
    auto connection = std::make_unique<Connection>();
    connection->code = dlopen(file->path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!connection->code) {
        ToPascal(dlerror(), errMessage);
        return cfragNoLibraryErr;
    }
    *connID = Connections().Add(std::move(connection));
    return *connID ? noErr : memFullErr;
}

OSErr CloseConnection(CFragConnectionID* connID) {
    if (!connID || !Connections().Remove(*connID))
        return cfragConnectionIDErr;
    *connID = nullptr;
    return noErr;
}

OSErr FindSymbol(CFragConnectionID connID, ConstStr255Param symName, Ptr* symAddr,
                 CFragSymbolClass* symClass) {
    if (symAddr)
        *symAddr = nullptr;
    if (symClass)
        *symClass = 0;
    const Connection* connection = Connections().Get(connID);
    if (!connection)
        return cfragConnectionIDErr;
    if (!symName || !symAddr)
        return paramErr;
    std::string name;
    for (int i = 1; i <= symName[0]; ++i)
        text::AppendUtf8(name, text::MacRomanToUnicode(symName[i]));
    void* address = name.empty() ? nullptr : dlsym(connection->code, name.c_str());
    if (!address)
        return cfragNoSymbolErr;
    *symAddr = static_cast<Ptr>(address);
    return noErr;
}

} // namespace tbx
