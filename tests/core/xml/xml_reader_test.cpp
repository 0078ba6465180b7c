#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

#include "core/xml/xml_reader.h"
#include "platform/prefs/property_list.h"
#include "tests/support/allocation_meter.h"
#include "tests/support/bounded_run.h"
#include "tests/support/tools.h"

namespace {

using stravel::testing::TempDir;
using stravel::testing::WriteFileBytes;

class XmlReaderTest : public ::testing::Test {
protected:
    bool Load(const std::string& text) {
        WriteFileBytes(_dir / "doc.xml", text);
        return _reader.Open(CBK_Path((_dir.Path() / "doc.xml").wstring()));
    }
    CBK_XmlDomNode Root() {
        CBK_XmlDomNode root;
        EXPECT_TRUE(_reader.GetRootNode(root));
        return root;
    }
    // The attribute `name` of the first element child named `element` of the root.
    CBK_XmlDomNode Attribute(const char* name) {
        CBK_XmlDomNode root = Root(), child;
        CBK_XmlDomNamedNodeMap map;
        CBK_XmlDomNode value;
        if (root.GetChild(child) && child.GetAttributes(map))
            map.GetItem(name, value);
        return value;
    }

    TempDir _dir;
    CBK_XmlReader _reader;
};

TEST_F(XmlReaderTest, AttributesReadBackWithCarriageReturnLineEnds) {
    ASSERT_TRUE(Load("<xml version=\"1.0\" encoding=\"UTF-8\">\n"
                     "<item text=\"a&quot;b&apos;c&amp;d&lt;e&gt;f&#x0d;&#x0a;g&#x0a;h&#xe9;"
                     "&#x20ac;&#x1f600;\" empty=\"\" num=\"-42\" big=\"0x80000000\" "
                     "f=\"2.5\" t=\"TRUE\" t2=\"True\" one=\"1\" yes=\"yes\" "
                     "lf=\"x\ny\" tab=\"&#x09;\" amp=\"&amp;#x20ac;&amp;amp;\"/>\n</xml>\n"));
    EXPECT_EQ(Attribute("text").GetText(L"def"), L"a\"b'c&d<e>f\rg\nh\u00e9\u20ac\U0001F600");
    // A raw line break in an attribute is a blank to every XML reader.
    EXPECT_EQ(Attribute("lf").GetText(L""), L"x y");
    EXPECT_EQ(Attribute("tab").GetText(L""), L"\t");
    // Text that was escaped twice needs the second decoding.
    EXPECT_EQ(Attribute("amp").GetText(L""), L"&#x20ac;&amp;");
    EXPECT_EQ(Attribute("amp").GetSafeText(L""), L"\u20ac&");
    EXPECT_EQ(Attribute("num").GetTextAsNumber(7), -42);
    EXPECT_EQ(Attribute("missing").GetTextAsNumber(7), 7);
    EXPECT_EQ(Attribute("empty").GetTextAsNumber(7), 0);
    EXPECT_EQ(Attribute("big").GetTextAsU32(1), 0x80000000u);
    EXPECT_EQ(Attribute("f").GetTextAsFloat(0), 2.5);
    EXPECT_EQ(Attribute("missing").GetTextAsFloat(1.25), 1.25);
    EXPECT_TRUE(Attribute("t").TextIsTrue());
    EXPECT_TRUE(Attribute("t2").TextIsTrue());
    EXPECT_FALSE(Attribute("one").TextIsTrue());
    EXPECT_FALSE(Attribute("yes").TextIsTrue());
    EXPECT_FALSE(Attribute("missing").TextIsTrue());
    CBK_String text(L"unchanged");
    EXPECT_FALSE(Attribute("missing").GetText(text, L"default"));
    EXPECT_STREQ(text.GetConstString(), L"default");
    EXPECT_EQ(CBK_XmlDomNode::m_EncodingType, 1);
}

TEST_F(XmlReaderTest, ChildrenAreVisitedOnceWithAFreshNodeEach) {
    ASSERT_TRUE(Load("<?xml version=\"1.0\"?>\n<!-- saved -->\n<root encoding=\"UTF-16\">\n"
                     "  <a/>\n  <b>text &amp; more</b>\n  <c><d/></c>\n</root>"));
    CBK_XmlDomNode root = Root();
    EXPECT_EQ(root.GetNodeName(), L"root");
    CBK_XmlDomNode again;
    EXPECT_TRUE(_reader.GetRootNode(again));
    EXPECT_FALSE(_reader.GetRootNode(again)); // already bound
    CBK_XmlDomNodeList list;
    ASSERT_TRUE(root.GetChildren(list));
    ASSERT_EQ(list.GetListLength(), 3);
    std::wstring names;
    for (int32_t i = 0; i < list.GetListLength(); ++i) {
        CBK_XmlDomNode child;
        ASSERT_TRUE(list.GetChild(i, child));
        names += child.GetNodeName();
    }
    EXPECT_EQ(names, L"abc");
    CBK_XmlDomNode reused;
    EXPECT_TRUE(list.GetChild(0, reused));
    EXPECT_FALSE(list.GetChild(1, reused));
    EXPECT_FALSE(list.GetChild(3, reused));
    EXPECT_FALSE(list.GetChild(-1, reused));

    CBK_XmlDomNode b;
    ASSERT_TRUE(list.GetChild(1, b));
    EXPECT_EQ(b.GetText(L""), L"text & more");
    CBK_XmlDomNode a;
    ASSERT_TRUE(list.GetChild(0, a));
    CBK_String text(L"kept");
    EXPECT_FALSE(a.GetText(text, L"def")); // no child, no text
    EXPECT_STREQ(text.GetConstString(), L"kept");
    CBK_XmlDomNode none;
    EXPECT_FALSE(a.GetChild(none));
    CBK_XmlDomNamedNodeMap map;
    EXPECT_TRUE(a.GetAttributes(map));
    EXPECT_FALSE(map.GetItem("x", none));
    EXPECT_EQ(CBK_XmlDomNode::m_EncodingType, 2);

    CBK_XmlDomNode empty;
    CBK_XmlDomNodeList emptyList;
    EXPECT_TRUE(empty.GetChildren(emptyList));
    EXPECT_EQ(emptyList.GetListLength(), 0);
    EXPECT_FALSE(empty.GetAttributes(map));
    EXPECT_EQ(empty.GetNodeName(), L"");
}

TEST_F(XmlReaderTest, EncodingTypeFollowsTheRootOrStays) {
    ASSERT_TRUE(Load("<xml encoding=\"ISO-8859-1\"/>"));
    EXPECT_EQ(CBK_XmlDomNode::m_EncodingType, 0);
    ASSERT_TRUE(Load("<xml encoding=\"UTF-8\"/>"));
    EXPECT_EQ(CBK_XmlDomNode::m_EncodingType, 1);
    ASSERT_TRUE(Load("<xml/>"));
    EXPECT_EQ(CBK_XmlDomNode::m_EncodingType, 1); // this reader's type is kept
    CBK_XmlReader fresh;
    WriteFileBytes(_dir / "plain.xml", "<plain/>");
    ASSERT_TRUE(fresh.Open(CBK_Path((_dir.Path() / "plain.xml").wstring())));
    EXPECT_EQ(CBK_XmlDomNode::m_EncodingType, 0);
}

TEST_F(XmlReaderTest, BadFilesFailToOpen) {
    EXPECT_FALSE(Load("<xml><unclosed></xml>"));
    EXPECT_FALSE(Load(""));
    EXPECT_FALSE(Load("<a>\x01</a>"));
    EXPECT_FALSE(_reader.Open(CBK_Path((_dir.Path() / "absent.xml").wstring())));
    // Devices and pipes are no documents: no endless read, no wait for a writer.
    EXPECT_FALSE(_reader.Open(CBK_Path(L"/dev/zero")));
    ASSERT_EQ(mkfifo((_dir.Path() / "pipe.xml").c_str(), 0600), 0);
    EXPECT_FALSE(_reader.Open(CBK_Path((_dir.Path() / "pipe.xml").wstring())));
    CBK_XmlDomNode root;
    EXPECT_FALSE(_reader.GetRootNode(root));
}

// A 100 KB entity referenced thousands of times: gigabytes once expanded, quadratic time in
// attributes. Other people's project files and preference lists are refused at once.
TEST(XmlEntityTest, HostileDocumentsAreRefusedWithinTwoSecondsAnd200MB) {
    STRAVEL_REQUIRE(stravel::testing::AllocationMeter::Available(), "heap is not counted here");
    const std::string declaration = "<!ENTITY e \"" + std::string(100000, 'A') + "\">";
    auto references = [](int n) {
        std::string out;
        for (int i = 0; i < n; ++i)
            out += "&e;";
        return out;
    };
    TempDir dir;
    const struct {
        const char* name;
        std::string text;
    } projects[] = {
        {"text.xml", "<!DOCTYPE xml [" + declaration + "]><xml version=\"1.0\"><m>" +
                         references(10000) + "</m></xml>"},
        {"attribute.xml", "<!DOCTYPE xml [" + declaration + "]><xml version=\"1.0\"><m a=\"" +
                              references(3000) + "\"/></xml>"},
    };
    for (const auto& project : projects) {
        WriteFileBytes(dir / project.name, project.text);
        EXPECT_TRUE(stravel::testing::FinishesWithin(2, 200u << 20, [&] {
            CBK_XmlReader reader;
            return !reader.Open(CBK_Path((dir / project.name).wstring()));
        })) << project.name;
    }
    const std::string list = "<!DOCTYPE plist [" + declaration +
                             "]><plist version=\"1.0\"><dict><key>k</key><string>" +
                             references(10000) + "</string></dict></plist>";
    EXPECT_TRUE(stravel::testing::FinishesWithin(2, 200u << 20, [&] {
        tbx::plist::Dictionary values;
        return !tbx::plist::Parse(list, values);
    }));
}

TEST(XmlReferenceTest, DecodingIsBoundedAndLeavesOddTextAlone) {
    const auto decode = CBK_XmlDomNode::DecodeReferences;
    EXPECT_EQ(decode(L"&#x20ac;&#xc4;&#x0a;&#x0041;"), L"\u20ac\u00c4\nA");
    EXPECT_EQ(decode(L"&amp;lt;"), L"&lt;");
    EXPECT_EQ(decode(L"&nbsp;&AMP;&#65;&#x;&#xg;&#x41"), L"&nbsp;&AMP;&#65;&#x;&#xg;&#x41");
    EXPECT_EQ(decode(L"&#x110000;&#xd800;&#x0;&#x000000041;"),
              L"&#x110000;&#xd800;&#x0;&#x000000041;");
    EXPECT_EQ(decode(L"&#x0010FFFF;"), L"\U0010FFFF");
    const std::wstring longDigits = L"&#x" + std::wstring(100000, L'0') + L"41;";
    EXPECT_EQ(decode(longDigits), longDigits);
    EXPECT_EQ(decode(L"&"), L"&");
    EXPECT_EQ(decode(L"&#x"), L"&#x");
}

} // namespace
