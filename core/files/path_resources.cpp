// The resource-file operations of a path: resource files, the 'SIZE' resource and alias
// files, over the Resource Manager stand-in.
#include <algorithm>

#include "core/files/file_create_attributes.h"
#include "core/paths/path.h"
#include "core/strings/wide_text.h"
#include "platform/files/fs_catalog.h"
#include "platform/files/fs_forks.h"
#include "platform/resources/resource_fork.h"

namespace {

constexpr tbx::ResType kSizeType = tbx::FourCC("SIZE");
constexpr tbx::ResType kAliasType = tbx::FourCC("alis");

std::u16string NameUnits(const CBK_Path& path) {
    const std::wstring name = path.GetFilenameString();
    return BK_NarrowToUnits(name.c_str(), name.size());
}

// A new file at `path` with an empty resource map in the data or the resource fork.
bool CreateWithMap(const CBK_Path& path, bool resourceFork, const tbx::FSCatalogInfo& info,
                   tbx::FSCatalogInfoBitmap whichInfo, tbx::FSRef& made) {
    CBK_Path target(path.GetFullPathString());
    target.RemoveSlash();
    tbx::FSRef parent;
    if (!CBK_Path(target.GetDirectoryString(true)).GetFSRef(parent)) {
        CBK_Path::m_nLastError = tbx::dirNFErr;
        return false;
    }
    const std::u16string name = NameUnits(target);
    tbx::HFSUniStr255 fork;
    resourceFork ? tbx::FSGetResourceForkName(&fork) : tbx::FSGetDataForkName(&fork);
    CBK_Path::m_nLastError =
        tbx::FSCreateResourceFile(&parent, name.size(), name.data(), whichInfo, &info, fork.length,
                                  fork.unicode, &made, nullptr);
    return CBK_Path::m_nLastError == tbx::noErr;
}

void Put32(std::string& bytes, std::size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + std::size_t(i)] = char(value >> (24 - 8 * i));
}

} // namespace

tbx::FSCatalogInfo BK_CreationCatalogInfo(const BK_FILE_CREATE_ATTRIBUTES& attributes) {
    tbx::FSCatalogInfo info;
    tbx::FileInfo finder;
    finder.fileType = attributes.type;
    finder.fileCreator = attributes.creator;
    tbx::SetFileInfo(info, finder);
    info.textEncodingHint = tbx::CreateTextEncoding(
        tbx::kTextEncodingUnicodeV2_0, tbx::kTextEncodingDefaultVariant, tbx::kUnicodeUTF8Format);
    return info;
}

bool CBK_Path::CreateResFile(const BK_FILE_CREATE_ATTRIBUTES* attributes, bool, bool overwrite) {
    if (_path.empty())
        return false;
    if (FileExists() && (IsDirectory() || !overwrite || !DeleteFile(false)))
        return false;
    const BK_FILE_CREATE_ATTRIBUTES defaults;
    const tbx::FSCatalogInfo info = BK_CreationCatalogInfo(attributes ? *attributes : defaults);
    tbx::FSRef made;
    return CreateWithMap(*this, false, info,
                         tbx::kFSCatInfoTextEncoding | tbx::kFSCatInfoFinderInfo, made);
}

bool CBK_Path::SetMemoryHeapSize(uint32_t preferred, uint32_t minimum) {
    return BK_SetFileMemoryHeapSize(GetFSSpec(), preferred, minimum);
}

bool BK_SetFileMemoryHeapSize(const tbx::FSSpec& fileRecord, uint32_t preferred, uint32_t minimum) {
    tbx::FSRef file;
    std::vector<tbx::ForkResource> resources;
    if (tbx::FSpMakeFSRef(&fileRecord, &file) != tbx::noErr ||
        tbx::rsrc::ReadForkResources(file, true, resources) != tbx::noErr)
        return false;
    auto size = std::find_if(resources.begin(), resources.end(), [](const tbx::ForkResource& r) {
        return r.type == kSizeType && r.id == -1;
    });
    // The flags word, then the preferred and the minimum size.
    if (size == resources.end() || size->data.size() < 10)
        return false;
    Put32(size->data, 2, preferred);
    Put32(size->data, 6, minimum);
    return tbx::rsrc::WriteForkResources(file, true, resources) == tbx::noErr;
}

bool BK_CreateShortcut(const CBK_Path& target, const CBK_Path& alias) {
    tbx::FSRef targetRef;
    tbx::FSCatalogInfo targetInfo;
    if (!target.GetFSRef(targetRef) ||
        tbx::FSGetCatalogInfo(&targetRef, tbx::kFSCatInfoFinderInfo, &targetInfo, nullptr, nullptr,
                              nullptr) != tbx::noErr)
        return false;
    tbx::FileInfo finder = tbx::GetFileInfo(targetInfo);
    finder.finderFlags |= tbx::kIsAlias;
    if (finder.fileType == tbx::FourCC("APPL"))
        finder.fileType = tbx::FourCC("adrp");

    tbx::FSCatalogInfo temporary;
    tbx::FileInfo placeholder;
    placeholder.fileType = placeholder.fileCreator = tbx::FourCC("TEMP");
    tbx::SetFileInfo(temporary, placeholder);
    tbx::FSRef made;
    if (!CreateWithMap(alias, true, temporary, tbx::kFSCatInfoFinderInfo, made))
        return false;
    tbx::FSCatalogInfo aliasInfo;
    tbx::SetFileInfo(aliasInfo, finder);
    // The alias record holds the target's full path.
    tbx::ForkResource record;
    record.type = kAliasType;
    record.id = 0;
    record.data = BK_WideToFileSystemName(target.GetFullPathString());
    if (tbx::FSSetCatalogInfo(&made, tbx::kFSCatInfoFinderInfo, &aliasInfo) != tbx::noErr ||
        tbx::rsrc::WriteForkResources(made, true, {record}) != tbx::noErr) {
        tbx::FSDeleteObject(&made);
        return false;
    }
    return true;
}
