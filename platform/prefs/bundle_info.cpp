#include "platform/prefs/bundle_info.h"

#include <map>
#include <mutex>
#include <vector>

#include "platform/files/whole_file.h"
#include "platform/prefs/property_list.h"

namespace tbx {

namespace {

constexpr std::size_t kMaxInfoBytes = 1 << 20;

std::mutex gInfoMutex;
std::map<std::string, plist::Dictionary> gInfo; // by bundle folder

const plist::Dictionary& InfoOf(const std::string& folder) {
    auto found = gInfo.find(folder);
    if (found != gInfo.end())
        return found->second;
    plist::Dictionary& info = gInfo[folder];
    std::vector<uint8_t> bytes;
    if (ReadWholeFile(folder + "/Contents/Info.plist", bytes, kMaxInfoBytes) &&
        !plist::Parse(std::string(bytes.begin(), bytes.end()), info))
        info = plist::Dictionary();
    return info;
}

} // namespace

CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key) {
    if (!bundle || !key)
        return nullptr;
    std::lock_guard<std::mutex> lock(gInfoMutex);
    return InfoOf(CFBundleGetPath(bundle)).Find(key->Text());
}

} // namespace tbx
