#include "platform/help/apple_help.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>
#include <vector>

#include "platform/cf_type_id.h"
#include "platform/files/file_url.h"
#include "platform/files/launch.h"
#include "platform/files/whole_file.h"
#include "platform/prefs/bundle_info.h"
#include "platform/text_encoding.h"

namespace tbx {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxPageBytes = 1 << 20;

std::mutex gBooksMutex;
std::map<std::u16string, fs::path> gBooks; // name to folder

CFStringRef InfoString(CFBundleRef bundle, CFStringRef key) {
    CFTypeRef value = CFBundleGetValueForInfoDictionaryKey(bundle, key);
    return value && CFGetTypeID(value) == CFStringGetTypeID() ? static_cast<CFStringRef>(value)
                                                              : nullptr;
}

std::string Bytes(CFStringRef text) {
    return text::Utf16ToUtf8Escaped(text->Text());
}

// The page that the book marks as its title page; empty when none does.
fs::path TitlePage(const fs::path& folder) {
    std::vector<fs::path> pages;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string extension = it->path().extension().string();
        if (extension == ".html" || extension == ".htm")
            pages.push_back(it->path());
    }
    std::sort(pages.begin(), pages.end());
    for (const fs::path& page : pages) {
        std::vector<uint8_t> bytes;
        static const std::string kMark = "AppleTitle";
        if (ReadWholeFile(page.string(), bytes, kMaxPageBytes) &&
            std::search(bytes.begin(), bytes.end(), kMark.begin(), kMark.end()) != bytes.end())
            return page;
    }
    return {};
}

} // namespace

OSStatus AHRegisterHelpBook(const FSRef* appBundleRef) {
    if (!appBundleRef)
        return paramErr;
    CFBundleRef bundle = CFBundleCreateFromPath(appBundleRef->path);
    if (!bundle)
        return fnfErr;
    CFStringRef name = InfoString(bundle, CFSTR("CFBundleHelpBookName"));
    CFStringRef folderName = InfoString(bundle, CFSTR("CFBundleHelpBookFolder"));
    OSStatus status = fnfErr;
    if (name && folderName) {
        const fs::path resources = fs::path(appBundleRef->path) / "Contents" / "Resources";
        const fs::path relative(Bytes(folderName));
        std::error_code error;
        for (const fs::path& folder :
             {resources / "English.lproj" / relative, resources / relative}) {
            if (!relative.is_relative() || !fs::is_directory(folder, error))
                continue;
            std::lock_guard<std::mutex> lock(gBooksMutex);
            gBooks[name->Text()] = folder;
            status = noErr;
            break;
        }
    }
    CFRelease(bundle);
    return status;
}

OSStatus AHGotoPage(CFStringRef bookname, CFStringRef path, CFStringRef anchor) {
    if (!bookname)
        return paramErr;
    fs::path folder;
    {
        std::lock_guard<std::mutex> lock(gBooksMutex);
        auto found = gBooks.find(bookname->Text());
        if (found == gBooks.end())
            return kAHInternalErr;
        folder = found->second;
    }
    fs::path page;
    if (path) {
        const fs::path relative = fs::path(Bytes(path)).lexically_normal();
        if (relative.empty() || !relative.is_relative() || *relative.begin() == "..")
            return paramErr;
        page = folder / relative;
    } else {
        page = TitlePage(folder);
    }
    std::error_code error;
    if (page.empty() || !fs::is_regular_file(page, error))
        return fnfErr;
    // A symbolic link inside the book may point anywhere: the page must resolve to a place
    // inside the book's folder as that resolves, and the resolved page is what opens.
    const fs::path resolvedBook = fs::canonical(folder, error);
    const fs::path resolvedPage = error ? fs::path() : fs::canonical(page, error);
    if (error)
        return fnfErr;
    const fs::path inside = resolvedPage.lexically_relative(resolvedBook);
    if (inside.empty() || *inside.begin() == "..")
        return paramErr;
    const std::string fragment = anchor ? Bytes(anchor) : std::string();
    return LaunchProgram({"xdg-open", FileUrl(resolvedPage.string(), fragment)}, nullptr);
}

} // namespace tbx
