#include "platform/bundle.h"

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>

#include "platform/strings_file.h"

namespace tbx {

class CFBundle : public CFObject {
public:
    explicit CFBundle(std::string path) : _path(std::move(path)) {}
    ~CFBundle() override { UnloadExecutable(); }

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

    void* Symbol(const std::string& name) {
        if (!_code) {
            _code = dlopen(ExecutablePath().c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!_code)
                return nullptr;
        }
        return dlsym(_code, name.c_str());
    }

    void UnloadExecutable() {
        if (_code)
            dlclose(_code);
        _code = nullptr;
    }

private:
    std::string ExecutablePath() const {
        std::error_code error;
        const std::filesystem::path path(_path);
        if (std::filesystem::is_regular_file(path, error))
            return _path;
        return (path / "Contents" / "Linux" / path.stem()).string() + ".so";
    }

    std::string _path;
    std::map<std::string, std::map<std::u16string, std::u16string>> _tables;
    void* _code = nullptr;
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
        if (!folder.empty()) {
            gMainBundle = std::make_unique<CFBundle>(folder);
            gMainBundle->MakeImmortal();
        }
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

CFBundleRef CFBundleCreateFromPath(const std::string& path) {
    std::error_code error;
    if (path.empty() || !std::filesystem::exists(path, error))
        return nullptr;
    return new CFBundle(path);
}

void CFRelease(CFBundleRef bundle) {
    CFRelease(static_cast<CFTypeRef>(bundle));
}

void* CFBundleGetFunctionPointerForName(CFBundleRef bundle, CFStringRef functionName) {
    if (!bundle || !functionName)
        return nullptr;
    std::lock_guard<std::mutex> lock(gBundleMutex);
    return bundle->Symbol(ToUtf8(functionName));
}

void CFBundleUnloadExecutable(CFBundleRef bundle) {
    if (!bundle)
        return;
    std::lock_guard<std::mutex> lock(gBundleMutex);
    bundle->UnloadExecutable();
}

namespace test {

void SetMainBundlePath(const std::string& path) {
    std::lock_guard<std::mutex> lock(gBundleMutex);
    gMainBundle.reset();
    gLookedUp = !path.empty();
    if (!path.empty()) {
        gMainBundle = std::make_unique<CFBundle>(path);
        gMainBundle->MakeImmortal();
    }
}

} // namespace test
} // namespace tbx
