#include "core/files/file_type.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

#include "core/strings/string_functions.h"
#include "platform/types.h"

namespace {

using tbx::FourCC;

struct FileTypeRow {
    uint32_t type;
    const wchar_t* extension;  // null: the type has none
    const wchar_t* extensions; // null: just the main extension
    const wchar_t* description;
};

// clang-format off
constexpr FileTypeRow kFileTypes[] = {
    {FourCC("8BPS"), L"psd", nullptr, L"Photoshop"},
    {FourCC("AIFC"), L"aiff", L"aiff;aif", L"AIFF"},
    {FourCC("APPL"), L"prj", nullptr, L"Flash Projector"},
    {FourCC("ASF_"), L"wmv", nullptr, L"Windows Media Video"},
    {FourCC("BMPf"), L"bmp", nullptr, L"Bitmap"},
    {FourCC("FLC "), nullptr, nullptr, L"FLC"},
    {FourCC("FLV2"), L"flv", nullptr, L"FLV"},
    {FourCC("GIFf"), L"gif", nullptr, L"GIF"},
    {FourCC("ICNS"), L"icns", nullptr, L"Icon"},
    {FourCC("ICO "), L"ico", nullptr, L"Windows Icon"},
    {FourCC("JPEG"), L"jpg", L"jpg;jpeg", L"JPEG"},
    {FourCC("MPG "), L"mpg", L"mpg;mpeg;mpe", L"MPEG"},
    {FourCC("Midi"), nullptr, nullptr, L"Midi"},
    {FourCC("MooV"), L"mov", nullptr, L"MOV"},
    {FourCC("Mp3 "), L"mp3", nullptr, L"MP3"},
    {FourCC("PDF "), L"pdf", nullptr, L"PDF"},
    {FourCC("PICT"), L"pct", L"pct;pict", L"PICT"},
    {FourCC("PNGf"), L"png", nullptr, L"PNG"},
    {FourCC("SPA "), L"fla", nullptr, L"Flash Movie"},
    {FourCC("SWFL"), L"swf", nullptr, L"Flash Animation"},
    {FourCC("TEXT"), L"txt", nullptr, L"Text"},
    {FourCC("TIFF"), L"tiff", L"tif;tiff", L"TIFF"},
    {FourCC("TPIC"), L"tga", L"tga;targa", L"Targa"},
    {FourCC("VfW "), L"avi", nullptr, L"AVI"},
    {FourCC("WAVE"), L"wav", nullptr, L"Wave"},
    {FourCC("WDBN"), L"doc", nullptr, L"Microsoft Word Document"},
    {FourCC("bina"), L"bin", nullptr, L"Binary"},
    {FourCC("dvc!"), nullptr, nullptr, L"DVC"},
    {FourCC("mTbm"), L"tbm", nullptr, L"Tamblet Movie"},
    {FourCC("mpg4"), L"mp4", nullptr, L"MPEG-4"},
    {FourCC("osas"), L"script", nullptr, L"Apple Script"},
    {FourCC("pBrd"), L"brd", nullptr, L"Brindle Project"},
    {FourCC("pPlm"), L"plm", nullptr, L"Pellamy Project"},
    {FourCC("pMrA"), L"mrwa", nullptr, L"Audio Marrowby Project"},
    {FourCC("pMrV"), L"mrwv", nullptr, L"Video Marrowby Project"},
    {FourCC("pDnm"), L"dnm", nullptr, L"Dunmere Project"},
    {FourCC("pOrv"), L"orv", nullptr, L"Orvane Project"},
    {FourCC("pTsl"), L"tslylib", nullptr, L"Tessaly Lib"},
    {FourCC("pTsc"), L"tsly", nullptr, L"Tessaly"},
    {FourCC("pPnk"), L"pnko", nullptr, L"Pannock Project"},
    {FourCC("pTbo"), L"tbo", nullptr, L"Tamblet Project"},
    {FourCC("pKsn"), L"kst", nullptr, L"Kestrow Project"},
    {FourCC("pQrb"), L"qrb", nullptr, L"Quorbel Project"},
    {FourCC("pStv"), L"stv", nullptr, L"Stravel Project"},
    {FourCC("svg "), L"svg", nullptr, L"Scalable Vector Graphics"},
    {FourCC("svgz"), L"svgz", nullptr, L"Compressed Scalable Vector Graphics"},
};
// clang-format on

const FileTypeRow* FindRow(uint32_t type) {
    const auto row = std::find_if(std::begin(kFileTypes), std::end(kFileTypes),
                                  [type](const FileTypeRow& r) { return r.type == type; });
    return row == std::end(kFileTypes) ? nullptr : row;
}

bool CopyText(const wchar_t* text, wchar_t* out) {
    if (!text || !out)
        return false;
    std::wcscpy(out, text);
    return true;
}

bool EqualIgnoringCase(const std::wstring& a, const wchar_t* b) {
    return qf_wcscasecmp(a.c_str(), b) == 0;
}

} // namespace

bool BK_GetFileExtensionFromFileType(uint32_t type, wchar_t* out) {
    const FileTypeRow* row = FindRow(type);
    return row && CopyText(row->extension, out);
}

bool BK_GetFileExtensionsFromFileType(uint32_t type, wchar_t* out) {
    const FileTypeRow* row = FindRow(type);
    if (row && row->extensions)
        return CopyText(row->extensions, out);
    return BK_GetFileExtensionFromFileType(type, out);
}

bool BK_GetFileDescriptionFromFileType(uint32_t type, wchar_t* out) {
    const FileTypeRow* row = FindRow(type);
    return row && CopyText(row->description, out);
}

CBK_FileType& CBK_FileType::operator=(const CBK_FileType& other) {
    if (this != &other)
        _extensions = other._extensions;
    return *this;
}

bool CBK_FileType::AddExtension(const wchar_t* ext) {
    if (!ext || !*ext)
        return false;
    _extensions.emplace_back(ext);
    return true;
}

bool CBK_FileType::Init(const CBK_Path& path) {
    Reset();
    AddExtension(path.GetExtensionString(false).c_str());
    return true;
}

bool CBK_FileType::HasExtension(const wchar_t* ext) const {
    if (!ext)
        return false;
    return std::any_of(_extensions.begin(), _extensions.end(),
                       [ext](const std::wstring& entry) { return EqualIgnoringCase(entry, ext); });
}

bool CBK_FileType::HasType(const CBK_FileType& other) const {
    return std::any_of(other._extensions.begin(), other._extensions.end(),
                       [this](const std::wstring& entry) { return HasExtension(entry.c_str()); });
}

bool CBK_FileType::FileIsType(const CBK_Path& path) const {
    return HasExtension(path.GetExtensionString(false).c_str());
}
