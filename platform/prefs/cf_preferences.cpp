#include "platform/prefs/cf_preferences.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <vector>

#include "platform/files/whole_file.h"
#include "platform/prefs/property_list.h"
#include "platform/text_encoding.h"

namespace tbx {

const CFStringRef kCFPreferencesCurrentApplication = CFSTR("kCFPreferencesCurrentApplication");
const CFStringRef kCFPreferencesAnyUser = CFSTR("kCFPreferencesAnyUser");
const CFStringRef kCFPreferencesCurrentUser = CFSTR("kCFPreferencesCurrentUser");
const CFStringRef kCFPreferencesAnyHost = CFSTR("kCFPreferencesAnyHost");
const CFStringRef kCFPreferencesCurrentHost = CFSTR("kCFPreferencesCurrentHost");

namespace {

// Far above any list of settings; a file beyond it is not one.
constexpr std::size_t kMaxListSize = std::size_t(64) << 20;

struct Domain {
    bool loaded = false;
    plist::Dictionary values;                    // what this process sees
    std::map<std::u16string, CFTypeRef> changes; // set here since the last sync
};

using DomainKey = std::tuple<std::u16string, bool, bool>; // name, any user, any host

std::mutex g_lock;
PreferencesFileWriter g_writer = nullptr; // guarded by g_lock
std::map<DomainKey, Domain>& Domains() {
    static std::map<DomainKey, Domain> domains;
    return domains;
}

bool Same(CFStringRef a, CFStringRef b) {
    return a && b && a->Text() == b->Text();
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string HomeFolder() {
    std::string home = Environment("HOME");
    if (home.empty())
        if (const passwd* entry = getpwuid(getuid()))
            home = entry->pw_dir ? entry->pw_dir : "";
    return home;
}

std::string Folder(bool anyUser) {
    if (anyUser) {
        const std::string system = Environment("STRAVEL_SYSTEM_PREFS");
        return system.empty() ? "/etc/xdg/Stravel" : system;
    }
    std::string config = Environment("XDG_CONFIG_HOME");
    if (config.empty() || config[0] != '/')
        config = HomeFolder() + "/.config";
    return config + "/Stravel";
}

std::string HostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || !name[0])
        return "localhost";
    std::string host = name;
    for (char& c : host)
        if (c == '/')
            c = '_';
    return host;
}

std::optional<DomainKey> KeyOf(CFStringRef applicationID, CFStringRef userName,
                               CFStringRef hostName) {
    if (!applicationID || !userName || !hostName)
        return std::nullopt;
    std::u16string name = Same(applicationID, kCFPreferencesCurrentApplication)
                              ? std::u16string(u"Stravel")
                              : applicationID->Text();
    // The name becomes a file name: nothing that leaves the folder.
    if (name.empty() || name == u"." || name == u".." ||
        name.find_first_of(std::u16string(u"/\0", 2)) != std::u16string::npos)
        return std::nullopt;
    const bool anyUser = Same(userName, kCFPreferencesAnyUser);
    const bool anyHost = Same(hostName, kCFPreferencesAnyHost);
    if (!anyUser && !Same(userName, kCFPreferencesCurrentUser))
        return std::nullopt;
    if (!anyHost && !Same(hostName, kCFPreferencesCurrentHost))
        return std::nullopt;
    return DomainKey{name, anyUser, anyHost};
}

std::string FilePath(const DomainKey& key) {
    const std::string name = text::Utf16ToUtf8(std::get<0>(key));
    const std::string folder = Folder(std::get<1>(key));
    if (std::get<2>(key))
        return folder + "/" + name + ".plist";
    return folder + "/ByHost/" + name + "." + HostName() + ".plist";
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// Renames the file to `<path>.unreadable` (or `.unreadable-2`, `-3`, ...), never over another
// file, unless it changed since `seen` (a writer put a new list in place).
bool MoveAside(const std::string& path, const struct stat& seen) {
    struct stat now;
    if (lstat(path.c_str(), &now) != 0 || !SameFile(now, seen))
        return false;
    for (int n = 1; n <= 100; ++n) {
        std::string aside = path + ".unreadable";
        if (n > 1)
            aside += '-' + std::to_string(n);
        if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0)
            return true;
        if (errno == EEXIST)
            continue;
        if (errno != EINVAL && errno != ENOSYS)
            return false;
        // A file system without the no-replace rename: look first.
        if (lstat(aside.c_str(), &now) == 0 || errno != ENOENT)
            continue;
        return rename(path.c_str(), aside.c_str()) == 0;
    }
    return false;
}

// The list on disk; a missing file is an empty list. A regular file that holds no list is
// moved aside, kept for whoever wants to look into it, and the list starts empty: one bad
// file must not end the preferences for good.
bool ReadList(const std::string& path, plist::Dictionary& out) {
    struct stat seen, target;
    if (lstat(path.c_str(), &seen) != 0)
        return errno == ENOENT || errno == ENOTDIR;
    // Devices and pipes are no lists, but not ours to move either.
    const bool regular = stat(path.c_str(), &target) == 0 && S_ISREG(target.st_mode);
    if (regular && std::size_t(target.st_size) > kMaxListSize)
        return MoveAside(path, seen);
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, kMaxListSize))
        return false;
    if (plist::Parse(std::string(bytes.begin(), bytes.end()), out))
        return true;
    return regular && MoveAside(path, seen);
}

bool MakeFolders(const std::string& file) {
    for (std::size_t slash = file.find('/', 1); slash != std::string::npos;
         slash = file.find('/', slash + 1)) {
        const std::string folder = file.substr(0, slash);
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

Domain& Load(const DomainKey& key) {
    Domain& domain = Domains()[key];
    if (!domain.loaded) {
        plist::Dictionary onDisk;
        if (ReadList(FilePath(key), onDisk)) {
            for (const auto& [name, value] : domain.values.Entries())
                onDisk.Set(name, value);
            domain.values = onDisk;
        }
        domain.loaded = true;
    }
    return domain;
}

} // namespace

CFPropertyListRef CFPreferencesCopyValue(CFStringRef key, CFStringRef applicationID,
                                         CFStringRef userName, CFStringRef hostName) {
    const auto domainKey = KeyOf(applicationID, userName, hostName);
    if (!key || !domainKey)
        return nullptr;
    std::lock_guard<std::mutex> guard(g_lock);
    return CFRetain(Load(*domainKey).values.Find(key->Text()));
}

void CFPreferencesSetValue(CFStringRef key, CFPropertyListRef value, CFStringRef applicationID,
                           CFStringRef userName, CFStringRef hostName) {
    const auto domainKey = KeyOf(applicationID, userName, hostName);
    if (!key || !domainKey)
        return;
    std::lock_guard<std::mutex> guard(g_lock);
    Domain& domain = Load(*domainKey);
    domain.values.Set(key->Text(), value);
    auto found = domain.changes.find(key->Text());
    if (found != domain.changes.end()) {
        CFRelease(found->second);
        found->second = CFRetain(value);
    } else {
        domain.changes.emplace(key->Text(), CFRetain(value));
    }
}

Boolean CFPreferencesSynchronize(CFStringRef applicationID, CFStringRef userName,
                                 CFStringRef hostName) {
    const auto domainKey = KeyOf(applicationID, userName, hostName);
    if (!domainKey)
        return false;
    std::lock_guard<std::mutex> guard(g_lock);
    Domain& domain = Load(*domainKey);
    const std::string path = FilePath(*domainKey);
    plist::Dictionary merged;
    if (!ReadList(path, merged))
        return false;
    for (const auto& [name, value] : domain.changes)
        merged.Set(name, value);
    if (!domain.changes.empty()) {
        if (!g_writer || !MakeFolders(path) || !g_writer(path, plist::Serialize(merged)))
            return false;
        for (auto& change : domain.changes)
            CFRelease(change.second);
        domain.changes.clear();
    }
    domain.values = merged;
    return true;
}

void CFPreferencesSetFileWriter(PreferencesFileWriter writer) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_writer = writer;
}

namespace test {

std::string PreferencesFilePath(CFStringRef applicationID, CFStringRef userName,
                                CFStringRef hostName) {
    const auto key = KeyOf(applicationID, userName, hostName);
    return key ? FilePath(*key) : std::string();
}

void ResetPreferences() {
    std::lock_guard<std::mutex> guard(g_lock);
    for (auto& [key, domain] : Domains())
        for (auto& change : domain.changes)
            CFRelease(change.second);
    Domains().clear();
}

} // namespace test

} // namespace tbx
