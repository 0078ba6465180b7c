#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/xml/xml_reader.h"
#include "core/xml/xml_writer.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/tools.h"

namespace {

using stravel::testing::ReadFileBytes;
using stravel::testing::RunTool;
using stravel::testing::TempDir;
using stravel::testing::WriteFileBytes;

CBK_Path PathOf(const std::filesystem::path& p) {
    return CBK_Path(p.wstring());
}

TEST(XmlWriterTest, DefaultDocumentIsWrappedInThePseudoRoot) {
    TempDir dir;
    CBK_XmlWriter writer;
    ASSERT_TRUE(writer.Create(PathOf(dir / "doc.xml"), {}, false));
    writer << "<item a=\"" << true << "\" b=\"" << 1.5 << "\" c=\"" << int32_t(-7) << "\" d=\""
           << uint32_t(4294967295u) << "\" e=\"" << 0.1f << "\" f=\"" << (1.0 / 3.0) << "\" g=\""
           << 1e300 << "\"/>";
    writer.WriteString(L"<\"&'>\nx");
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(ReadFileBytes(dir / "doc.xml"),
              "<xml version=\"1.0\" encoding=\"UTF-8\">\n<item a=\"true\" b=\"1.5\" c=\"-7\" "
              "d=\"4294967295\" e=\"0.1\" f=\"0.3333333333333333\" g=\"1e+300\"/>"
              "&lt;&quot;&amp;&apos;&gt;&#x0a;x\n</xml>\n");
    EXPECT_TRUE(writer.Close()); // nothing open
}

TEST(XmlWriterTest, HeaderAndDeclarationSettings) {
    TempDir dir;
    CBK_XmlWriter::SETTINGS bare;
    bare.header = false;
    {
        CBK_XmlWriter writer;
        ASSERT_TRUE(writer.Create(PathOf(dir / "bare.xml"), bare, false));
        writer.StartTag(L"t", true);
        writer << L"\u00e9";
    }
    EXPECT_EQ(ReadFileBytes(dir / "bare.xml"), "<t />\n\xc3\xa9\n");
    CBK_XmlWriter::SETTINGS declared;
    declared.xmlDeclaration = true;
    {
        CBK_XmlWriter writer;
        ASSERT_TRUE(writer.Create(PathOf(dir / "decl.xml"), declared, false));
        writer << "<r/>";
    }
    EXPECT_EQ(ReadFileBytes(dir / "decl.xml"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<r/>\n");
}

TEST(XmlWriterTest, EscapingCoversEveryPlaneAndDropsWhatXmlCannotCarry) {
    // The low byte decides; the reference holds the whole code point.
    EXPECT_EQ(CBK_XmlWriter::EscapeString(L"\u00e9\u20ac\u4e2d\U0001F680\U0001F600\t\r"),
              L"&#xe9;&#x20ac;\u4e2d&#x1f680;\U0001F600&#x09;&#x0d;");
    const wchar_t odd[] = {L'a', 0x01, 0x1F, 0xD800, 0xFFFE, 0xFFFF, 0x110000, L'b', 0x7F, 0};
    EXPECT_EQ(CBK_XmlWriter::EscapeString(odd), std::wstring(L"ab") + wchar_t(0x7F));
}

TEST(XmlWriterTest, PathsAreRelativeToTheDocumentWhenAsked) {
    TempDir dir;
    CBK_XmlWriter::SETTINGS relative;
    relative.relativePaths = true;
    const CBK_Path document = PathOf(dir / "projects/doc.stv");
    std::filesystem::create_directories(dir / "projects");
    {
        CBK_XmlWriter writer;
        ASSERT_TRUE(writer.Create(document, relative, false));
        writer << "<m p=\"" << PathOf(dir / "media/a&b.mov") << "\"/>";
    }
    {
        CBK_XmlWriter writer;
        ASSERT_TRUE(writer.Create(PathOf(dir / "abs.xml"), {}, false));
        writer << "<m p=\"" << PathOf(dir / "media/a&b.mov") << "\"/>";
    }
    EXPECT_NE(ReadFileBytes(dir / "projects/doc.stv").find("p=\"../media/a&amp;b.mov\""),
              std::string::npos);
    EXPECT_NE(ReadFileBytes(dir / "abs.xml").find("p=\"" + (dir / "media/a&amp;b.mov").string()),
              std::string::npos);

    CBK_XmlReader reader;
    ASSERT_TRUE(reader.Open(document));
    CBK_XmlDomNode root, child, value;
    CBK_XmlDomNamedNodeMap map;
    ASSERT_TRUE(reader.GetRootNode(root));
    ASSERT_TRUE(root.GetChild(child));
    ASSERT_TRUE(child.GetAttributes(map));
    ASSERT_TRUE(map.GetItem("p", value));
    CBK_Path read;
    ASSERT_TRUE(value.GetTextAsPath(read));
    EXPECT_EQ(read.GetFullPathString(), (dir / "media/a&b.mov").wstring());
    CBK_XmlDomNode missing;
    CBK_Path unchanged(L"/kept");
    EXPECT_FALSE(missing.GetTextAsPath(unchanged));
    EXPECT_EQ(unchanged.GetPathString(), L"/kept");
}

// Names are bytes: one that is not UTF-8, or holds a backslash or a line end, comes back
// as it went, relative or not; one that a document cannot carry fails the save.
TEST(XmlWriterTest, FileNamesComeBackAsTheyWent) {
    TempDir dir;
    const std::wstring folder = BK_FileSystemNameToWide(dir.Path().string());
    const std::wstring names[] = {L"media/caf" + std::wstring(1, wchar_t(0xDCE9)) + L".mov",
                                  L"media/a\\b.mov", L"media/x\r\ny.mov"};
    for (bool relative : {true, false}) {
        CBK_XmlWriter::SETTINGS settings;
        settings.relativePaths = relative;
        const CBK_Path document(folder + L"/docs/doc.xml");
        std::filesystem::create_directories(dir / "docs");
        {
            CBK_XmlWriter writer;
            ASSERT_TRUE(writer.Create(document, settings, true));
            for (const std::wstring& name : names)
                writer << "<m p=\"" << CBK_Path(folder + L"/" + name) << "\"/>";
            ASSERT_TRUE(writer.Close());
        }
        EXPECT_NE(ReadFileBytes(dir / "docs/doc.xml").find("caf\xE9.mov\""), std::string::npos);
        CBK_XmlReader reader;
        ASSERT_TRUE(reader.Open(document));
        CBK_XmlDomNode root;
        CBK_XmlDomNodeList list;
        ASSERT_TRUE(reader.GetRootNode(root) && root.GetChildren(list));
        ASSERT_EQ(list.GetListLength(), 3);
        for (int32_t i = 0; i < 3; ++i) {
            CBK_XmlDomNode child, value;
            CBK_XmlDomNamedNodeMap map;
            CBK_Path read;
            ASSERT_TRUE(list.GetChild(i, child) && child.GetAttributes(map) &&
                        map.GetItem("p", value) && value.GetTextAsPath(read));
            EXPECT_EQ(read.GetPathString(), folder + L"/" + names[i]) << relative << i;
        }
    }
    CBK_XmlWriter writer;
    ASSERT_TRUE(writer.Create(PathOf(dir / "control.xml"), {}, false));
    writer << "<m p=\"" << CBK_Path(folder + L"/a\x01.mov") << "\"/>";
    EXPECT_FALSE(writer.Close());
    EXPECT_FALSE(std::filesystem::exists(dir / "control.xml"));
}

TEST(XmlWriterTest, ReplacingIsAtomicAndFailuresAreReported) {
    TempDir dir;
    const auto file = dir / "keep.xml";
    WriteFileBytes(file, "old");
    std::filesystem::permissions(file, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write);
    CBK_XmlWriter writer;
    EXPECT_FALSE(writer.Create(PathOf(file), {}, false));
    EXPECT_FALSE(writer.Create(PathOf(dir.Path()), {}, true));
    EXPECT_FALSE(writer.Create(PathOf(dir / "no/such/doc.xml"), {}, true));
    ASSERT_TRUE(writer.Create(PathOf(file), {}, true));
    writer << "<new/>";
    EXPECT_EQ(ReadFileBytes(file), "old"); // untouched until closed
    ASSERT_TRUE(writer.Close());
    EXPECT_NE(ReadFileBytes(file).find("<new/>"), std::string::npos);
    EXPECT_EQ(std::filesystem::status(file).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);

    // A file-size limit stands in for a full disk.
    EXPECT_TRUE(stravel::testing::UnderFileSizeLimit(10, [&] {
        CBK_XmlWriter full;
        if (!full.Create(PathOf(dir / "full.xml"), {}, true))
            return false;
        full << "<x/>";
        return !full.Close();
    }));
}

TEST(XmlWriterTest, BinaryAndEncodedTextReadBack) {
    TempDir dir;
    const unsigned char bytes[] = {0, 1, 2, 0xFE, 0xFF, 'x'};
    const wchar_t* text = L"wide \u00e9\u4e2d\U0001F600 text";
    {
        CBK_XmlWriter writer;
        ASSERT_TRUE(writer.Create(PathOf(dir / "bin.xml"), {}, false));
        writer << "<b data=\"";
        EXPECT_EQ(writer.WriteBinary(bytes, sizeof bytes), 8u);
        writer << "\" text=\"";
        EXPECT_EQ(writer.WriteEncodedString(text), (std::wcslen(text) * 4 + 2) / 3 * 4);
        writer << "\"/>";
    }
    CBK_XmlReader reader;
    ASSERT_TRUE(reader.Open(PathOf(dir / "bin.xml")));
    CBK_XmlDomNode root, child, data, encoded;
    CBK_XmlDomNamedNodeMap map;
    ASSERT_TRUE(reader.GetRootNode(root) && root.GetChild(child) && child.GetAttributes(map));
    ASSERT_TRUE(map.GetItem("data", data) && map.GetItem("text", encoded));
    unsigned char out[16] = {};
    int32_t size = 0;
    EXPECT_FALSE(data.GetBinaryData(out, 5, &size));
    EXPECT_TRUE(data.GetBinaryData(out, 16, &size));
    EXPECT_EQ(size, 6);
    EXPECT_EQ(std::memcmp(out, bytes, 6), 0);
    EXPECT_EQ(encoded.GetDecodedText(L"def"), text);
    EXPECT_EQ(child.GetDecodedText(L"def"), L""); // an element without text
    const unsigned char b64[] = "AAEC/v94";
    EXPECT_EQ(reader.ReadBinary(b64, 8, out, 6), 6u);
    EXPECT_EQ(reader.ReadBinary(b64, 8, out, 5), 0u);
    EXPECT_EQ(reader.ReadBinary(reinterpret_cast<const unsigned char*>("!!"), 2, out, 6), 0u);
}

// Strings from every plane, with control characters, markup characters and CR LF pairs.
std::wstring RandomString(std::mt19937& random) {
    std::wstring s;
    const int length = static_cast<int>(random() % 40);
    for (int i = 0; i < length; ++i) {
        switch (random() % 8) {
        case 0:
            s += static_cast<wchar_t>(L"&<>\"'"[random() % 5]);
            break;
        case 1:
            s += static_cast<wchar_t>(random() % 0x20);
            break;
        case 2:
            s += L"\r\n";
            break;
        case 3:
            s += static_cast<wchar_t>(0x20 + random() % 0x5F);
            break;
        case 4: {
            // Byte escapes go out as their bytes, which outside parsers refuse; they have a
            // test of their own.
            const auto c = static_cast<wchar_t>(random() % 0x10000);
            s += c >= 0xDC80 && c <= 0xDCFF ? c - 0x80 : c;
            break;
        }
        case 5:
            s += static_cast<wchar_t>(0x10000 + random() % 0x100000);
            break;
        case 6:
            s += static_cast<wchar_t>(0x80 + random() % 0x780);
            break;
        default:
            s += static_cast<wchar_t>(random() % 4 == 0 ? 0x110000 + random() % 1000
                                                        : 0xFFF0 + random() % 16);
            break;
        }
    }
    std::erase(s, L'\0');
    return s;
}

// CR LF as CR, in one pass over the text as it was.
std::wstring CrLfToCr(const std::wstring& s) {
    std::wstring out;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (!(s[i] == L'\n' && i > 0 && s[i - 1] == L'\r'))
            out += s[i];
    return out;
}

// What a string reads back as: characters XML cannot carry are gone, CR LF is CR.
std::wstring Expected(const std::wstring& s) {
    std::wstring kept;
    for (wchar_t c : s) {
        const uint32_t u = static_cast<uint32_t>(c);
        if (u == 9 || u == 10 || u == 13 || (u >= 0x20 && u <= 0xD7FF) ||
            (u >= 0xE000 && u <= 0xFFFD) || (u >= 0x10000 && u <= 0x10FFFF))
            kept += c;
    }
    return CrLfToCr(kept);
}

std::wstring FromHexUtf8(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    std::wstring out;
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        const int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        uint32_t c = n == 1 ? b : b & (0x7F >> n);
        for (int k = 1; k < n; ++k)
            c = c << 6 | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
        out += static_cast<wchar_t>(c);
        i += n;
    }
    return out;
}

TEST(XmlRoundTripTest, TenThousandRandomStrings) {
    TempDir dir;
    std::mt19937 random(20240601);
    const bool haveLint = stravel::testing::HaveTool("xmllint");
    const bool havePython = stravel::testing::HaveTool("python3");
    for (int file = 0; file < 10; ++file) {
        std::vector<std::wstring> strings;
        for (int i = 0; i < 1000; ++i)
            strings.push_back(RandomString(random));
        const auto path = dir / ("strings" + std::to_string(file) + ".xml");
        CBK_XmlWriter writer;
        ASSERT_TRUE(writer.Create(PathOf(path), {}, false));
        for (const auto& s : strings) {
            writer << "<s v=\"";
            writer.WriteString(s.c_str());
            writer << "\"/>\n";
        }
        ASSERT_TRUE(writer.Close());

        CBK_XmlReader reader;
        ASSERT_TRUE(reader.Open(PathOf(path)));
        CBK_XmlDomNode root;
        CBK_XmlDomNodeList list;
        ASSERT_TRUE(reader.GetRootNode(root) && root.GetChildren(list));
        ASSERT_EQ(list.GetListLength(), 1000);
        std::vector<std::wstring> ours;
        for (int32_t i = 0; i < 1000; ++i) {
            CBK_XmlDomNode child, value;
            CBK_XmlDomNamedNodeMap map;
            ASSERT_TRUE(list.GetChild(i, child) && child.GetAttributes(map) &&
                        map.GetItem("v", value));
            ours.push_back(value.GetText(L"<none>"));
            ASSERT_EQ(ours.back(), Expected(strings[i])) << "file " << file << " string " << i;
        }
        if (haveLint) {
            const auto lint = RunTool({"xmllint", "--noout", path.string()});
            EXPECT_EQ(lint.exitCode, 0) << lint.err;
        }
        if (havePython) {
            const auto py = RunTool({"python3", "-c",
                                     "import sys, xml.etree.ElementTree as E\n"
                                     "for s in E.parse(sys.argv[1]).getroot():\n"
                                     "    print(s.get('v').encode('utf-8').hex())\n",
                                     path.string()});
            ASSERT_EQ(py.exitCode, 0) << py.err;
            std::istringstream lines(py.out);
            std::string line;
            int32_t i = 0;
            while (std::getline(lines, line)) {
                ASSERT_LT(i, 1000);
                ASSERT_EQ(CrLfToCr(FromHexUtf8(line)), ours[i])
                    << "file " << file << " string " << i;
                ++i;
            }
            EXPECT_EQ(i, 1000);
        }
    }
}

} // namespace
