// Paths written into a document relative to it and read back: any name (bytes that are not
// UTF-8, backslashes, ".", "..", line ends), from a document whose own path may be spelt
// with "." and "..", comes back as the same file, or the save fails for a name the document
// cannot carry.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "core/xml/xml_reader.h"
#include "core/xml/xml_writer.h"

namespace {

namespace fs = std::filesystem;

fs::path Root() {
    const char* tmp = std::getenv("TMPDIR");
    return fs::path(tmp && *tmp ? tmp : "/tmp") /
           ("stravel_fuzz_paths_" + std::to_string(getpid()));
}

const fs::path& Folder() {
    static const fs::path folder = [] {
        const fs::path f = Root() / "d1" / "d2";
        fs::create_directories(f / "sub");
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(Root(), ignored);
        });
        return f;
    }();
    return folder;
}

// The same file as the path names, spelt without "." or ".." (a folder without its "/").
std::string Meaning(const std::string& path) {
    std::string normal = fs::path(path).lexically_normal().string();
    if (normal.size() > 1 && normal.back() == '/')
        normal.pop_back();
    return normal;
}

bool Carried(const std::wstring& text) {
    for (wchar_t c : text)
        if ((c < 0x20 && c != 9 && c != 10 && c != 13) || c == 0xFFFE || c == 0xFFFF)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    // The first byte spells the document's own path in one of several ways.
    static const char* const spellings[] = {"", "./", "sub/../", "./sub/./../"};
    const std::string document = Folder().string() + "/" + spellings[data[0] % 4] + "doc.xml";
    std::string name(reinterpret_cast<const char*>(data + 1), size - 1);
    name.erase(std::remove(name.begin(), name.end(), '\0'), name.end());
    const std::string target = Folder().string() + "/" + name;
    const std::wstring wideTarget = BK_FileSystemNameToWide(target);

    CBK_XmlWriter::SETTINGS settings;
    settings.relativePaths = true;
    CBK_XmlWriter writer;
    if (!writer.Create(CBK_Path(BK_FileSystemNameToWide(document)), settings, true))
        __builtin_trap();
    writer << "<m p=\"" << CBK_Path(wideTarget) << "\"/>";
    // A character the document cannot carry may still leave with a component that ".."
    // takes away.
    if (!writer.Close()) {
        if (Carried(wideTarget))
            __builtin_trap();
        return 0;
    }

    CBK_XmlReader reader;
    CBK_XmlDomNode root, child, value;
    CBK_XmlDomNamedNodeMap map;
    CBK_Path read;
    if (!reader.Open(CBK_Path(BK_FileSystemNameToWide(document))) || !reader.GetRootNode(root) ||
        !root.GetChild(child) || !child.GetAttributes(map) || !map.GetItem("p", value) ||
        !value.GetTextAsPath(read))
        __builtin_trap();
    if (Meaning(BK_WideToFileSystemName(read.GetPathString())) != Meaning(target))
        __builtin_trap();
    return 0;
}
