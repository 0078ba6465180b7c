#include "platform/bundle.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>

#include "platform/strings_file.h"

namespace tbx {

class CFBundle {
public:
    explicit CFBundle(std::string path) : _path(std::move(path)) {}

    const std::string& Path() const { return _path; }

    // The table, read from disk the first time it is asked for.
    const std::map<std::u16string, std::u16string>& Table(const std::string& name) {
        auto found = _tables.find(name);
        if (found != _tables.end())
            return found->second;
        auto& table = _tables[name];
        std::ifstream in(_path + "/Contents/Resources/English.lproj/" + name + ".strings",
                         std::ios::binary);
        if (in) {
            std::ostringstream bytes;
            bytes << in.rdbuf();
            strings_file::Parse(bytes.str(), table);
        }
        return table;
    }

private:
    std::string _path;
    std::map<std::string, std::map<std::u16string, std::u16string>> _tables;
};

namespace {

namespace fs = std::filesystem;

std::mutex gBundleMutex;
std::unique_ptr<CFBundle> gMainBundle;
bool gLookedUp = false;

// The bundle folder: $STRAVEL_BUNDLE, else the ".app" folder that holds the executable, else
// a "Stravel.app" beside the executable or beside one of its parent folders.
std::string FindBundleFolder() {
    if (const char* named = std::getenv("STRAVEL_BUNDLE"); named && *named)
        return fs::path(named).lexically_normal().string();
    std::error_code error;
    fs::path exe = fs::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    for (fs::path folder = exe.parent_path(); !folder.empty(); folder = folder.parent_path()) {
        if (folder.extension() == ".app" && fs::is_directory(folder / "Contents", error))
            return folder.string();
        fs::path candidate = folder / "Stravel.app";
        if (fs::is_directory(candidate / "Contents", error))
            return candidate.string();
        if (folder == folder.root_path())
            break;
    }
    return {};
}

std::string ToUtf8(CFStringRef string) {
    return string ? text::Utf16ToUtf8(string->Text()) : std::string();
}

} // namespace

CFBundleRef CFBundleGetMainBundle() {
    std::lock_guard<std::mutex> lock(gBundleMutex);
    if (!gLookedUp) {
        gLookedUp = true;
        std::string folder = FindBundleFolder();
        if (!folder.empty())
            gMainBundle = std::make_unique<CFBundle>(folder);
    }
    return gMainBundle.get();
}

CFStringRef CFBundleCopyLocalizedString(CFBundleRef bundle, CFStringRef key, CFStringRef value,
                                        CFStringRef tableName) {
    if (!key)
        return nullptr;
    CFStringRef fallback = (value && CFStringGetLength(value) > 0) ? value : key;
    if (bundle) {
        std::lock_guard<std::mutex> lock(gBundleMutex);
        const std::string name = tableName ? ToUtf8(tableName) : "Localizable";
        const auto& table = bundle->Table(name);
        auto found = table.find(key->Text());
        if (found != table.end())
            return CFStringCreateWithCharacters(nullptr, found->second.data(),
                                                static_cast<CFIndex>(found->second.size()));
    }
    return CFStringCreateCopy(nullptr, fallback);
}

std::string CFBundleGetPath(CFBundleRef bundle) {
    return bundle ? bundle->Path() : std::string();
}

namespace test {

void SetMainBundlePath(const std::string& path) {
    std::lock_guard<std::mutex> lock(gBundleMutex);
    gMainBundle.reset();
    gLookedUp = !path.empty();
    if (!path.empty())
        gMainBundle = std::make_unique<CFBundle>(path);
}

} // namespace test
} // namespace tbx
