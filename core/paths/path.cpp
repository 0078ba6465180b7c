#include "core/paths/path.h"

#include "platform/text_encoding.h"

std::string BK_WideToFileSystemName(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text)
        tbx::text::AppendUtf8(out, static_cast<char32_t>(c));
    return out;
}

std::wstring CBK_Path::GetExtensionString(bool withDot) const {
    const std::size_t slash = _path.find_last_of(L'/');
    const std::size_t nameStart = slash == std::wstring::npos ? 0 : slash + 1;
    const std::size_t dot = _path.find_last_of(L'.');
    if (dot == std::wstring::npos || dot < nameStart)
        return {};
    return _path.substr(withDot ? dot : dot + 1);
}

FILE* CBK_Path::OpenAsStdFile(const wchar_t* mode) const {
    if (!mode || _path.empty())
        return nullptr;
    return std::fopen(BK_WideToFileSystemName(_path).c_str(),
                      BK_WideToFileSystemName(mode).c_str());
}
