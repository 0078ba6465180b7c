#include "platform/gestalt.h"

#include <sys/sysinfo.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <map>
#include <mutex>
#include <string>

namespace tbx {
namespace {

// The processor's top clock in MHz: cpufreq where the kernel has it, else the first "cpu MHz"
// of /proc/cpuinfo; 0 when neither says.
SInt32 ProcessorMHz() {
    std::ifstream sysfs("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq");
    int64_t kHz = 0;
    if (sysfs >> kHz && kHz > 0)
        return SInt32(std::min<int64_t>(kHz / 1000, INT32_MAX));
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);) {
        if (line.rfind("cpu MHz", 0) != 0)
            continue;
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            break;
        const char* first = line.data() + colon + 1;
        const char* last = line.data() + line.size();
        while (first < last && *first == ' ')
            ++first;
        double mhz = 0;
        if (std::from_chars(first, last, mhz).ec == std::errc() && mhz > 0 && mhz < INT32_MAX)
            return SInt32(mhz + 0.5);
        break;
    }
    return 0;
}

// Physical memory in bytes (32 bits: larger memories saturate) and in megabytes.
void Memory(SInt32& bytes, SInt32& megabytes) {
    struct sysinfo info {};
    if (sysinfo(&info) != 0)
        return;
    const uint64_t total = uint64_t(info.totalram) * info.mem_unit;
    bytes = SInt32(std::min<uint64_t>(total, INT32_MAX));
    megabytes = SInt32(std::min<uint64_t>(total >> 20, INT32_MAX));
}

std::map<OSType, SInt32> DefaultTable() {
    static const struct Machine {
        SInt32 mhz = ProcessorMHz(), bytes = 0, megabytes = 0;
        Machine() { Memory(bytes, megabytes); }
    } machine;
    std::map<OSType, SInt32> table = {
        {FourCC("sysv"), 0x1049}, {FourCC("sys1"), 10},         {FourCC("sys2"), 4},
        {FourCC("sys3"), 9},      {FourCC("qtim"), 0x07008000},
    };
    // A fact the machine does not give is absent rather than 0.
    if (machine.mhz)
        table[FourCC("mclk")] = machine.mhz;
    if (machine.megabytes) {
        table[FourCC("ram ")] = machine.bytes;
        table[FourCC("ramm")] = machine.megabytes;
    }
    return table;
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
