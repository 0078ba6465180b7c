#include "platform/gestalt.h"

#include <map>
#include <mutex>

namespace tbx {
namespace {

std::map<OSType, SInt32> DefaultTable() {
    return {
        {FourCC("sysv"), 0x1049}, {FourCC("sys1"), 10},         {FourCC("sys2"), 4},
        {FourCC("sys3"), 9},      {FourCC("qtim"), 0x07008000},
    };
}

std::mutex gMutex;
std::map<OSType, SInt32>& Table() {
    static std::map<OSType, SInt32> table = DefaultTable();
    return table;
}

} // namespace

OSErr Gestalt(OSType selector, SInt32* response) {
    if (!response)
        return paramErr;
    std::lock_guard<std::mutex> lock(gMutex);
    auto found = Table().find(selector);
    if (found == Table().end())
        return gestaltUndefSelectorErr;
    *response = found->second;
    return noErr;
}

namespace test {

void SetGestalt(OSType selector, SInt32 value) {
    std::lock_guard<std::mutex> lock(gMutex);
    Table()[selector] = value;
}

void RemoveGestalt(OSType selector) {
    std::lock_guard<std::mutex> lock(gMutex);
    Table().erase(selector);
}

void ResetGestalt() {
    std::lock_guard<std::mutex> lock(gMutex);
    Table() = DefaultTable();
}

} // namespace test
} // namespace tbx
