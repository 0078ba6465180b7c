#include "ui/files/file_filter.h"

#include "core/files/file_type.h"
#include "core/strings/cf_string.h"
#include "core/strings/string_functions.h"
#include "core/system/app_resources.h"
#include "platform/types.h"

namespace {

constexpr int32_t kAppend = 65535;

} // namespace

CBK_FileFilter::FILTER_TYPE_DATA::FILTER_TYPE_DATA(uint32_t type_, const wchar_t* text)
    : type(type_) {
    const std::wstring all = std::wstring(text ? text : L"").substr(0, 256);
    std::size_t start = 0;
    while (start <= all.size()) {
        const std::size_t end = std::min(all.find(L';', start), all.size());
        if (end > start)
            extensions.push_back(all.substr(start, end - start));
        start = end + 1;
    }
}

bool CBK_FileFilter::FILTER_TYPE::HasFilter(uint32_t type) const {
    for (const auto& record : data)
        if (record->type == kAnyType || record->type == type)
            return true;
    return false;
}

bool CBK_FileFilter::FILTER_TYPE::HasExtension(const wchar_t* extension) const {
    if (!extension)
        return false;
    for (const auto& record : data)
        for (const std::wstring& ext : record->extensions)
            if (qf_wcscasecmp(ext.c_str(), extension) == 0)
                return true;
    return false;
}

bool CBK_FileFilter::_Insert(std::unique_ptr<FILTER_TYPE> entry, int32_t position) {
    const auto count = static_cast<int32_t>(_entries.size());
    const int32_t at = position < 0 ? 0 : std::min(position, count);
    _entries.insert(_entries.begin() + at, std::move(entry));
    return true;
}

namespace {

std::unique_ptr<CBK_FileFilter::FILTER_TYPE_DATA> RecordOf(uint32_t type) {
    wchar_t extensions[kBK_FileTypeTextMax] = {};
    BK_GetFileExtensionsFromFileType(type, extensions);
    return std::make_unique<CBK_FileFilter::FILTER_TYPE_DATA>(type, extensions);
}

} // namespace

bool CBK_FileFilter::InsertFilter(uint32_t type, const wchar_t* description, const wchar_t*,
                                  int32_t position) {
    auto entry = std::make_unique<FILTER_TYPE>();
    if (description) {
        entry->description = description;
    } else {
        wchar_t text[kBK_FileTypeTextMax] = {};
        BK_GetFileDescriptionFromFileType(type, text);
        entry->description = text;
    }
    entry->data.push_back(RecordOf(type));
    return _Insert(std::move(entry), position);
}

bool CBK_FileFilter::InsertLongFilter(const wchar_t* description, int32_t count,
                                      const uint32_t* types, int32_t position) {
    auto entry = std::make_unique<FILTER_TYPE>();
    entry->description = description ? description : L"";
    for (int32_t i = 0; types && i < count; ++i)
        entry->data.push_back(RecordOf(types[i]));
    return _Insert(std::move(entry), position);
}

bool CBK_FileFilter::InsertAllFilesFilter(int32_t position) {
    auto entry = std::make_unique<FILTER_TYPE>();
    entry->description = L"All Files";
    entry->data.push_back(std::make_unique<FILTER_TYPE_DATA>(kAnyType, L"*"));
    return _Insert(std::move(entry), position);
}

CBK_FileFilter::FILTER_TYPE* CBK_FileFilter::GetFilter(int32_t index) {
    if (index < 0 || index >= GetFilterCount())
        return nullptr;
    return _entries[static_cast<std::size_t>(index)].get();
}

const wchar_t* CBK_FileFilter::GetExtension(int32_t index) {
    const FILTER_TYPE* entry = GetFilter(index);
    if (!entry)
        return nullptr;
    for (const auto& record : entry->data)
        for (const std::wstring& ext : record->extensions)
            if (ext != L"*")
                return ext.c_str();
    return nullptr;
}

bool CBK_FileFilter::BuildCFArray(tbx::CFMutableArrayRef array) {
    if (!array)
        return false;
    for (const auto& entry : _entries) {
        CBK_CFString text(entry->description.c_str());
        tbx::CFArrayAppendValue(array, text.Get());
    }
    return true;
}

bool CBK_FileFilter::Load(uint32_t id) {
    tbx::Handle resource = nullptr;
    const bool found = BK_GetAppResource(tbx::FourCC("open"), id, resource, nullptr, false);
    BK_ReleaseResource(resource);
    return found;
}

bool CBK_FileFilter::_MakeGroup(const wchar_t* description, const std::vector<uint32_t>& types) {
    InsertLongFilter(description, static_cast<int32_t>(types.size()), types.data(), kAppend);
    for (uint32_t type : types)
        InsertFilter(type, nullptr, nullptr, kAppend);
    return InsertAllFilesFilter(kAppend);
}

bool CBK_FileFilter::MakeTxtFilter() {
    InsertFilter(tbx::FourCC("TEXT"), nullptr, nullptr, kAppend);
    return InsertAllFilesFilter(kAppend);
}

bool CBK_FileFilter::MakeFlaFilter() {
    InsertFilter(tbx::FourCC("SPA "), nullptr, nullptr, kAppend);
    return InsertAllFilesFilter(kAppend);
}

bool CBK_FileFilter::MakeSwfFilter() {
    InsertFilter(tbx::FourCC("SWFL"), nullptr, nullptr, kAppend);
    return InsertAllFilesFilter(kAppend);
}

bool CBK_FileFilter::MakeVideoFilter() {
    using tbx::FourCC;
    return _MakeGroup(L"All Videos", {FourCC("VfW "), FourCC("MooV"), FourCC("MPG "),
                                      FourCC("mpg4"), FourCC("ASF_")});
}

bool CBK_FileFilter::MakeQuicktimeSoundFilter() {
    using tbx::FourCC;
    return _MakeGroup(L"All Sounds", {FourCC("AIFC"), FourCC("Mp3 "), FourCC("WAVE")});
}

bool CBK_FileFilter::MakeQuicktimeImageFilter() {
    using tbx::FourCC;
    return _MakeGroup(L"All Images",
                      {FourCC("BMPf"), FourCC("GIFf"), FourCC("JPEG"), FourCC("PICT"),
                       FourCC("PNGf"), FourCC("8BPS"), FourCC("TIFF"), FourCC("TPIC")});
}
