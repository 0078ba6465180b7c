#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "core/files/file_type.h"
#include "platform/types.h"

namespace {

using tbx::FourCC;

struct Row {
    const char code[5];
    const wchar_t* extension;  // null: none
    const wchar_t* extensions; // what the list call gives
    const wchar_t* description;
};

const Row kRows[] = {
    {"8BPS", L"psd", L"psd", L"Photoshop"},
    {"AIFC", L"aiff", L"aiff;aif", L"AIFF"},
    {"APPL", L"prj", L"prj", L"Flash Projector"},
    {"ASF_", L"wmv", L"wmv", L"Windows Media Video"},
    {"BMPf", L"bmp", L"bmp", L"Bitmap"},
    {"FLC ", nullptr, nullptr, L"FLC"},
    {"FLV2", L"flv", L"flv", L"FLV"},
    {"GIFf", L"gif", L"gif", L"GIF"},
    {"ICNS", L"icns", L"icns", L"Icon"},
    {"ICO ", L"ico", L"ico", L"Windows Icon"},
    {"JPEG", L"jpg", L"jpg;jpeg", L"JPEG"},
    {"MPG ", L"mpg", L"mpg;mpeg;mpe", L"MPEG"},
    {"Midi", nullptr, nullptr, L"Midi"},
    {"MooV", L"mov", L"mov", L"MOV"},
    {"Mp3 ", L"mp3", L"mp3", L"MP3"},
    {"PDF ", L"pdf", L"pdf", L"PDF"},
    {"PICT", L"pct", L"pct;pict", L"PICT"},
    {"PNGf", L"png", L"png", L"PNG"},
    {"SPA ", L"fla", L"fla", L"Flash Movie"},
    {"SWFL", L"swf", L"swf", L"Flash Animation"},
    {"TEXT", L"txt", L"txt", L"Text"},
    {"TIFF", L"tiff", L"tif;tiff", L"TIFF"},
    {"TPIC", L"tga", L"tga;targa", L"Targa"},
    {"VfW ", L"avi", L"avi", L"AVI"},
    {"WAVE", L"wav", L"wav", L"Wave"},
    {"WDBN", L"doc", L"doc", L"Microsoft Word Document"},
    {"bina", L"bin", L"bin", L"Binary"},
    {"dvc!", nullptr, nullptr, L"DVC"},
    {"mTbm", L"tbm", L"tbm", L"Tamblet Movie"},
    {"mpg4", L"mp4", L"mp4", L"MPEG-4"},
    {"osas", L"script", L"script", L"Apple Script"},
    {"pBrd", L"brd", L"brd", L"Brindle Project"},
    {"pPlm", L"plm", L"plm", L"Pellamy Project"},
    {"pMrA", L"mrwa", L"mrwa", L"Audio Marrowby Project"},
    {"pMrV", L"mrwv", L"mrwv", L"Video Marrowby Project"},
    {"pDnm", L"dnm", L"dnm", L"Dunmere Project"},
    {"pOrv", L"orv", L"orv", L"Orvane Project"},
    {"pTsl", L"tslylib", L"tslylib", L"Tessaly Lib"},
    {"pTsc", L"tsly", L"tsly", L"Tessaly"},
    {"pPnk", L"pnko", L"pnko", L"Pannock Project"},
    {"pTbo", L"tbo", L"tbo", L"Tamblet Project"},
    {"pKsn", L"kst", L"kst", L"Kestrow Project"},
    {"pQrb", L"qrb", L"qrb", L"Quorbel Project"},
    {"pStv", L"stv", L"stv", L"Stravel Project"},
    {"svg ", L"svg", L"svg", L"Scalable Vector Graphics"},
    {"svgz", L"svgz", L"svgz", L"Compressed Scalable Vector Graphics"},
};

constexpr wchar_t kUntouched[] = L"untouched";

struct Out {
    wchar_t text[kBK_FileTypeTextMax];
    Out() { std::wcscpy(text, kUntouched); }
    std::wstring str() const { return text; }
};

TEST(FileTypeTableTest, EveryRowGivesItsExtensionListAndDescription) {
    for (const Row& row : kRows) {
        const uint32_t type = FourCC(row.code);
        Out extension, extensions, description;
        EXPECT_EQ(BK_GetFileExtensionFromFileType(type, extension.text), row.extension != nullptr)
            << row.code;
        EXPECT_EQ(extension.str(), row.extension ? row.extension : kUntouched) << row.code;
        EXPECT_EQ(BK_GetFileExtensionsFromFileType(type, extensions.text),
                  row.extensions != nullptr)
            << row.code;
        EXPECT_EQ(extensions.str(), row.extensions ? row.extensions : kUntouched) << row.code;
        ASSERT_TRUE(BK_GetFileDescriptionFromFileType(type, description.text)) << row.code;
        EXPECT_EQ(description.str(), row.description) << row.code;
    }
}

TEST(FileTypeTableTest, UnknownTypesAndNearMissesFail) {
    // Codes compare as whole values: case and trailing spaces count.
    for (const char* code : {"XXXX", "jpeg", "MPG_", "MPGs", "mooV", "svg_", "\0\0\0\0"}) {
        char copy[5] = {code[0], code[1], code[2], code[3], 0};
        const uint32_t type = FourCC(copy);
        Out out;
        EXPECT_FALSE(BK_GetFileExtensionFromFileType(type, out.text)) << code;
        EXPECT_FALSE(BK_GetFileExtensionsFromFileType(type, out.text)) << code;
        EXPECT_FALSE(BK_GetFileDescriptionFromFileType(type, out.text)) << code;
        EXPECT_EQ(out.str(), kUntouched) << code;
    }
}

TEST(FileTypeTableTest, NullOutputFails) {
    EXPECT_FALSE(BK_GetFileExtensionFromFileType(FourCC("MooV"), nullptr));
    EXPECT_FALSE(BK_GetFileExtensionsFromFileType(FourCC("JPEG"), nullptr));
    EXPECT_FALSE(BK_GetFileDescriptionFromFileType(FourCC("pStv"), nullptr));
}

TEST(FileTypeTest, ConstructorsSetTypeOrText) {
    EXPECT_EQ(CBK_FileType().GetType(), 0u);
    EXPECT_EQ(CBK_FileType(FourCC("MooV")).GetType(), FourCC("MooV"));
    EXPECT_EQ(CBK_FileType(L"Movies").GetText(), L"Movies");
    EXPECT_EQ(CBK_FileType(static_cast<const wchar_t*>(nullptr)).GetText(), L"");
    EXPECT_TRUE(CBK_FileType(FourCC("MooV")).GetExtensions().empty());
}

TEST(FileTypeTest, AddExtensionIgnoresEmptyText) {
    CBK_FileType type;
    EXPECT_FALSE(type.AddExtension(L""));
    EXPECT_FALSE(type.AddExtension(nullptr));
    EXPECT_TRUE(type.GetExtensions().empty());
    EXPECT_TRUE(type.AddExtension(L"mov"));
    EXPECT_TRUE(type.AddExtension(L"MP4"));
    EXPECT_EQ(type.GetExtensions(), (std::vector<std::wstring>{L"mov", L"MP4"}));
}

TEST(FileTypeTest, InitTakesThePathsExtension) {
    CBK_FileType type;
    type.AddExtension(L"old");
    EXPECT_TRUE(type.Init(CBK_Path(L"/Users/me/Pictures/Holiday.JPG")));
    EXPECT_EQ(type.GetExtensions(), (std::vector<std::wstring>{L"JPG"}));
    EXPECT_TRUE(type.HasExtension(L"jpg"));
    EXPECT_TRUE(type.HasExtension(L"JpG"));
    EXPECT_FALSE(type.HasExtension(L"jpeg"));
    EXPECT_FALSE(type.HasExtension(L"old"));

    // Only the last dot of the file name counts; a dot in a folder name does not.
    EXPECT_TRUE(type.Init(CBK_Path(L"/tmp/clip.v2.mov")));
    EXPECT_EQ(type.GetExtensions(), (std::vector<std::wstring>{L"mov"}));
    EXPECT_TRUE(type.Init(CBK_Path(L"/tmp/folder.d/README")));
    EXPECT_TRUE(type.GetExtensions().empty());
    EXPECT_FALSE(type.HasExtension(L""));
}

TEST(FileTypeTest, HasExtensionIgnoresCaseOnly) {
    CBK_FileType type;
    type.AddExtension(L"Tiff");
    type.AddExtension(L"tif");
    EXPECT_TRUE(type.HasExtension(L"TIFF"));
    EXPECT_TRUE(type.HasExtension(L"TIF"));
    EXPECT_FALSE(type.HasExtension(L"ti"));
    EXPECT_FALSE(type.HasExtension(L"tiffs"));
    EXPECT_FALSE(type.HasExtension(L""));
    EXPECT_FALSE(type.HasExtension(nullptr));
}

TEST(FileTypeTest, HasTypeLooksForAnySharedExtension) {
    CBK_FileType jpeg;
    jpeg.AddExtension(L"jpg");
    jpeg.AddExtension(L"jpeg");
    CBK_FileType file;
    file.Init(CBK_Path(L"photo.JPEG"));
    EXPECT_TRUE(jpeg.HasType(file));
    EXPECT_TRUE(file.HasType(jpeg)); // "JPEG" is among jpeg's entries once case is ignored
    CBK_FileType png;
    png.AddExtension(L"png");
    EXPECT_FALSE(jpeg.HasType(png));
    EXPECT_FALSE(jpeg.HasType(CBK_FileType()));
    EXPECT_FALSE(CBK_FileType().HasType(jpeg));
}

TEST(FileTypeTest, CopiesTakeExtensionsButNotTypeOrText) {
    CBK_FileType source(FourCC("JPEG"));
    source.AddExtension(L"jpg");
    source.AddExtension(L"jpeg");

    CBK_FileType copy(source);
    EXPECT_EQ(copy.GetType(), 0u);
    EXPECT_EQ(copy.GetExtensions(), source.GetExtensions());

    CBK_FileType named(L"Pictures");
    named.AddExtension(L"bmp");
    named = source;
    EXPECT_EQ(named.GetText(), L"Pictures");
    EXPECT_EQ(named.GetType(), 0u);
    EXPECT_EQ(named.GetExtensions(), source.GetExtensions());

    // The copy is independent of its source.
    source.Reset();
    EXPECT_TRUE(source.GetExtensions().empty());
    EXPECT_TRUE(named.HasExtension(L"jpeg"));
}

TEST(FileTypeTest, SelfAssignmentKeepsTheList) {
    CBK_FileType type(L"Movies");
    type.AddExtension(L"mov");
    type.AddExtension(L"mp4");
    CBK_FileType& alias = type;
    type = alias;
    EXPECT_EQ(type.GetExtensions(), (std::vector<std::wstring>{L"mov", L"mp4"}));
    EXPECT_EQ(type.GetText(), L"Movies");
}

TEST(FileTypeTest, FileIsTypeComparesThePathsExtension) {
    CBK_FileType movie;
    movie.AddExtension(L"mov");
    EXPECT_TRUE(movie.FileIsType(CBK_Path(L"/a/b/Clip.MOV")));
    EXPECT_FALSE(movie.FileIsType(CBK_Path(L"/a/b/Clip.mp4")));
    EXPECT_FALSE(movie.FileIsType(CBK_Path(L"/a/b.mov/Clip")));
}

} // namespace
